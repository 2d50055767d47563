#include "editors/myradio/m3uimport.h"

#include "app/messagetable.h"
#include "platform/codepage.h"
#include "platform/drives.h"
#include "platform/fileops.h"
#include "platform/paths.h"
#include "platform/prompts.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace voxa {
namespace {

constexpr int RefusedShown = 10;

bool startsWithDrive(const QString &line)
{
    return line.size() >= 3 && line[1] == QLatin1Char(':') && line[2] == QLatin1Char('\\')
        && line[0].isLetter() && line[0].unicode() < 0x80;
}

bool inside(const QString &path, const QString &root)
{
    return path == root || root == QLatin1String("/") || path.startsWith(root + QLatin1Char('/'));
}

// A native path (absolute) as the player's path below the drive root with a
// leading "\" ("\music\a.mp3"), or empty when it leads off the player's
// drive. The path is cleaned first, so ".." cannot climb out, and a path
// that exists must stay on the drive once its links are resolved too.
QString belowDriveRoot(const QString &nativePath, QChar drive)
{
    if (drive.isNull() || nativePath.contains(QLatin1Char('\\')))
        return {};
    const QString root = platform::driveTable().rootOf(drive);
    if (root.isEmpty())
        return {};
    const QString path = QDir::cleanPath(nativePath);
    if (!inside(path, root))
        return {};
    const QFileInfo info(path);
    if (info.exists() || info.isSymLink()) {
        const QString real = info.canonicalFilePath();
        const QString realRoot = QFileInfo(root).canonicalFilePath();
        if (real.isEmpty() || realRoot.isEmpty() || !inside(real, realRoot))
            return {};
    }
    QString rest = root == QLatin1String("/") ? path.mid(1) : path.mid(root.size() + 1);
    return QLatin1Char('\\') + rest.replace(QLatin1Char('/'), QLatin1Char('\\'));
}

bool isFileAddress(const QString &line)
{
    return line.startsWith(QLatin1String("file:"), Qt::CaseInsensitive);
}

// A line in the form a desktop program writes: an absolute path, a path
// relative to the play list's folder ("rock/a.mp3") or a "file" address,
// turned into the player's form ("\music\rock\a.mp3"). Empty when it
// leads off the drive or is none of these.
QString playerFormOfNative(const QString &line, const QString &m3uFolder, QChar drive)
{
    if (isFileAddress(line)) {
        const QUrl url(line, QUrl::StrictMode);
        // Another machine's file is no file of this drive.
        if (!url.isValid() || !url.isLocalFile()
            || !(url.host().isEmpty() || url.host().compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0))
            return {};
        QUrl local = url;
        local.setHost(QString());
        const QString path = local.toLocalFile();
        return path.startsWith(QLatin1Char('/')) ? belowDriveRoot(path, drive) : QString();
    }
    if (line.startsWith(QLatin1Char('/')))
        return belowDriveRoot(line, drive);
    if (m3uFolder.size() < 3)
        return {};
    const QString folder = platform::toNative(m3uFolder);
    if (folder.isEmpty())
        return {};
    return belowDriveRoot(folder + QLatin1Char('/') + line, drive);
}

}  // namespace

std::optional<MyRadioRow> M3uLineRow(const QString &line, const QString &m3uFolder, int weightClass, QChar drive)
{
    QString l = line;
    if (startsWithDrive(l))
        l.remove(0, 2);
    else if (isFileAddress(l) || (l.contains(QLatin1Char('/')) && !l.contains(QLatin1Char('\\'))
                                  && (l.startsWith(QLatin1Char('/')) || !l.contains(QLatin1Char(':'))))) {
        l = playerFormOfNative(l, m3uFolder, drive);
        if (l.isEmpty())
            return std::nullopt;
    }
    // "/" marks a native path or an address; the player's paths use "\".
    if (l.contains(QLatin1Char('/')) || l.contains(QLatin1Char(':')))
        return std::nullopt;
    MyRadioRow row;
    row.weightClass = weightClass;
    row.picture = RowPicture::Mp3File;
    const qsizetype cut = l.lastIndexOf(QLatin1Char('\\'));
    if (cut < 0) {
        if (m3uFolder.size() < 3)
            return std::nullopt;
        row.folder = m3uFolder.mid(3);
        row.name = l;
    } else {
        row.folder = l.left(cut + 1);
        if (row.folder.startsWith(QLatin1Char('\\')))
            row.folder.remove(0, 1);
        row.name = l.mid(cut + 1);
    }
    if (row.folder.isEmpty())
        row.folder = QStringLiteral("\\");
    if (row.name.isEmpty() || (row.folder.startsWith(QLatin1Char('\\')) && row.folder.size() > 1))
        return std::nullopt;
    if (!ElementPathAllowed(row.folder + row.name))
        return std::nullopt;
    return row;
}

M3uImport ParseM3u(const QByteArray &bytes, const QString &m3uFolder, int weightClass, QChar drive)
{
    M3uImport out;
    QByteArrayView rest(bytes);
    const bool utf8 = rest.startsWith("\xEF\xBB\xBF");
    if (utf8)
        rest = rest.sliced(3);
    while (!rest.isEmpty() && out.rows.size() < MyRadioMaxElements) {
        const qsizetype end = rest.indexOf('\n');
        QByteArrayView raw = end < 0 ? rest : rest.first(end);
        rest = end < 0 ? QByteArrayView() : rest.sliced(end + 1);
        const QString line = (utf8 ? QString::fromUtf8(raw) : fromCodePage(raw)).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (std::optional<MyRadioRow> row = M3uLineRow(line, m3uFolder, weightClass, drive))
            out.rows.append(*row);
        else
            out.refused.append(line);
    }
    return out;
}

QString M3uFolderOf(const QString &m3uPath)
{
    const QString device = platform::isDevicePath(m3uPath) ? m3uPath : platform::toDevice(m3uPath);
    if (device.isEmpty())
        return {};
    const qsizetype cut = device.lastIndexOf(QLatin1Char('\\'));
    return cut < 0 ? QString() : device.left(cut + 1);
}

std::optional<M3uImport> ReadM3u(const QString &m3uPath, int weightClass, QChar drive, QString *error)
{
    QString why;
    std::optional<QByteArray> bytes = fs::readRegularFile(m3uPath, M3uReadLimit, &why);
    if (!bytes) {
        if (error)
            *error = why + QStringLiteral(" [") + m3uPath + QLatin1Char(']');
        return std::nullopt;
    }
    // A list cut at the read limit loses its cut last line rather than
    // taking half a path.
    if (bytes->size() >= M3uReadLimit) {
        const qsizetype lastEnd = bytes->lastIndexOf('\n');
        bytes->truncate(lastEnd < 0 ? 0 : lastEnd + 1);
    }
    return ParseM3u(*bytes, M3uFolderOf(m3uPath), weightClass, drive);
}

std::optional<QList<MyRadioRow>> ImportM3u(const QString &m3uPath, int weightClass, QChar drive)
{
    QString error;
    const std::optional<M3uImport> import = ReadM3u(m3uPath, weightClass, drive, &error);
    if (!import) {
        prompts().error(error);
        return std::nullopt;
    }
    if (!import->refused.isEmpty()) {
        QString text = msg(Msg::M3uNotValid);
        for (qsizetype i = 0; i < import->refused.size() && i < RefusedShown; ++i)
            text += QStringLiteral("\n[") + import->refused[i] + QLatin1Char(']');
        if (import->refused.size() > RefusedShown)
            text += QStringLiteral("\n...");
        prompts().warning(text);
    }
    return import->rows;
}

}  // namespace voxa
