#include "editors/myradio/myradiomusic.h"

#include "platform/fileops.h"
#include "platform/paths.h"

#include <QFileInfo>
#include <QSet>

namespace voxa {
namespace {

bool isMp3Name(const QString &name)
{
    return name.endsWith(QLatin1String(".MP3"), Qt::CaseInsensitive);
}

QString join(const QString &folder, const QString &name)
{
    if (folder.endsWith(QLatin1Char('\\')) || folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + (platform::isDevicePath(folder) ? QLatin1Char('\\') : QLatin1Char('/')) + name;
}

class Mp3Walk {
public:
    Mp3Walk(int limit, const std::function<void()> &tick) : m_limit(limit), m_tick(tick) {}

    QStringList run(const QString &folder)
    {
        visit(folder);
        return m_files;
    }

private:
    bool full() const { return m_files.size() >= m_limit; }

    void visit(const QString &folder)
    {
        // The real folder behind links, so every folder is read once.
        const QString real = QFileInfo(platform::toNative(folder)).canonicalFilePath();
        if (real.isEmpty() || m_seen.contains(real))
            return;
        m_seen.insert(real);
        const QList<fs::Entry> entries = fs::listDir(folder);
        if (m_tick)
            m_tick();
        for (const fs::Entry &e : entries) {
            if (full())
                return;
            if (e.isDir)
                visit(join(folder, e.name));
            else if (isMp3Name(e.name))
                m_files.append(join(folder, e.name));
        }
    }

    int m_limit;
    const std::function<void()> &m_tick;
    QStringList m_files;
    QSet<QString> m_seen;
};

}  // namespace

bool HasMp3(const QString &folder)
{
    return !CollectMp3(folder, 1).isEmpty();
}

QStringList CollectMp3(const QString &folder, int limit, const std::function<void()> &tick)
{
    if (limit <= 0)
        return {};
    return Mp3Walk(limit, tick).run(folder);
}

QStringList ListMp3s(const QString &folder)
{
    return CollectMp3(folder, ListMp3sLimit);
}

QString HandOverPlayListPath(QChar drive)
{
    return QString(drive) + QStringLiteral(":\\voxa\\manager\\play.m3u");
}

platform::HandOverStep HandOverElement(const QString &path, QChar drive, const std::atomic<bool> *stop)
{
    if (!fs::isDir(path))
        return platform::HandOverFile(path, stop);
    return platform::HandOverFiles(ListMp3s(path), HandOverPlayListPath(drive), stop);
}

platform::PlayedBy PlayInMediaPlayer(const QString &path, QChar drive)
{
    return platform::FinishHandOver(HandOverElement(path, drive));
}

}  // namespace voxa
