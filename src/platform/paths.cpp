#include "platform/paths.h"

#include "platform/drives.h"

#include <QDir>
#include <QFileInfo>

#include <dirent.h>
#include <sys/stat.h>

namespace voxa::platform {

bool isDevicePath(QStringView path)
{
    if (path.size() < 2 || path[1] != QLatin1Char(':'))
        return false;
    const QChar l = path[0].toUpper();
    if (l < QLatin1Char('C') || l > QLatin1Char('Z'))
        return false;
    return path.size() == 2 || path[2] == QLatin1Char('\\') || path[2] == QLatin1Char('/');
}

QChar driveLetterOf(QStringView path)
{
    return isDevicePath(path) ? path[0].toUpper() : QChar();
}

namespace {

bool existsNative(const QByteArray &p)
{
    struct stat st {};
    return ::lstat(p.constData(), &st) == 0;
}

// The entry of a folder whose name equals name without regard to case.
QString findCaseless(const QString &folder, const QString &name)
{
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return {};
    QString found;
    while (dirent *e = ::readdir(dir)) {
        const QString n = QFile::decodeName(e->d_name);
        if (n.compare(name, Qt::CaseInsensitive) == 0) {
            found = n;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

}  // namespace

QStringList devicePathParts(QStringView path)
{
    QStringList parts;
    if (!isDevicePath(path))
        return parts;
    // As on the player's own system: "." is the folder itself, and ".."
    // climbs one folder but never above the drive's root.
    qsizetype start = 2;
    for (qsizetype i = 2; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != QLatin1Char('\\') && path[i] != QLatin1Char('/'))
            continue;
        const QStringView part = path.sliced(start, i - start);
        start = i + 1;
        if (part.isEmpty() || part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            if (!parts.isEmpty())
                parts.removeLast();
            continue;
        }
        parts.append(part.toString());
    }
    return parts;
}

QString cleanDevicePath(QStringView path)
{
    if (!isDevicePath(path))
        return path.toString();
    return QString(path[0].toUpper()) + QStringLiteral(":\\") + devicePathParts(path).join(QLatin1Char('\\'));
}

QString toNative(const QString &path)
{
    if (!isDevicePath(path))
        return path;
    QString root = driveTable().rootOf(path[0]);
    if (root.isEmpty())
        return {};
    const QStringList parts = devicePathParts(path);
    if (root.endsWith(QLatin1Char('/')) && root.size() > 1)
        root.chop(1);
    if (parts.isEmpty())
        return root;

    // The exact spelling is the usual case: one stat answers it.
    const QString direct = (root == QLatin1String("/") ? QString() : root) + QLatin1Char('/')
                           + parts.join(QLatin1Char('/'));
    if (existsNative(QFile::encodeName(direct)))
        return direct;

    QString current = root;
    bool resolving = true;
    for (const QString &part : parts) {
        QString name = part;
        if (resolving) {
            const QString candidate = (current == QLatin1String("/") ? QString() : current)
                                      + QLatin1Char('/') + part;
            if (!existsNative(QFile::encodeName(candidate))) {
                const QString found = findCaseless(current, part);
                if (found.isEmpty())
                    resolving = false;
                else
                    name = found;
            }
        }
        current = (current == QLatin1String("/") ? QString() : current) + QLatin1Char('/') + name;
    }
    return current;
}

QString toDevice(const QString &nativePath)
{
    if (isDevicePath(nativePath))
        return nativePath;
    const QString abs = QDir::cleanPath(QFileInfo(nativePath).absoluteFilePath());
    DriveTable &table = driveTable();
    table.rootOf(QLatin1Char('C'));  // makes sure the table has looked once
    QChar best;
    qsizetype bestLen = -1;
    QString bestRoot;
    for (char c = 'C'; c <= 'Z'; ++c) {
        const QString root = table.rootOf(QLatin1Char(c));
        if (root.isEmpty())
            continue;
        const bool inside = root == QLatin1String("/") || abs == root
                            || abs.startsWith(root + QLatin1Char('/'));
        if (inside && root.size() > bestLen) {
            bestLen = root.size();
            best = QLatin1Char(c);
            bestRoot = root;
        }
    }
    if (best.isNull())
        return {};
    QString rest = bestRoot == QLatin1String("/") ? abs.mid(1) : abs.mid(bestRoot.size() + 1);
    rest.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return QString(best) + QStringLiteral(":\\") + rest;
}

QString joinDevice(const QString &folder, const QString &name)
{
    QString f = folder;
    while (f.endsWith(QLatin1Char('\\')))
        f.chop(1);
    QString n = name;
    while (n.startsWith(QLatin1Char('\\')))
        n.remove(0, 1);
    return f + QLatin1Char('\\') + n;
}

DevicePath::DevicePath(const QString &path) : m_device(path), m_native(toNative(path)) {}

DevicePath DevicePath::known(const QString &device, const QString &native)
{
    DevicePath p;
    p.m_device = device;
    p.m_native = native;
    return p;
}

DevicePath DevicePath::child(const QString &storedName) const
{
    const QChar sep = isDevicePath(m_device) ? QLatin1Char('\\') : QLatin1Char('/');
    const QString native = m_native.endsWith(QLatin1Char('/')) ? m_native + storedName
                                                               : m_native + QLatin1Char('/') + storedName;
    return known(m_device + sep + storedName, native);
}

QString fileNameOf(QStringView path)
{
    const qsizetype i = std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
    return path.mid(i + 1).toString();
}

QString folderOf(QStringView path)
{
    const qsizetype i = std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
    return i < 0 ? QString() : path.left(i).toString();
}

}  // namespace voxa::platform
