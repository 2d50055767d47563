#include "platform/drives.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QSet>
#include <QStandardPaths>
#include <QTextStream>

#include <sys/statvfs.h>

namespace voxa::platform {

QString DriveTable::rootOf(QChar letter)
{
    if (!m_looked) {
        m_last = drives();
        m_looked = true;
    }
    const QChar up = letter.toUpper();
    for (const DriveInfo &d : m_last)
        if (d.letter == up)
            return d.root;
    return {};
}

std::optional<DriveInfo> DriveTable::drive(QChar letter)
{
    m_last = drives();
    m_looked = true;
    const QChar up = letter.toUpper();
    for (const DriveInfo &d : m_last)
        if (d.letter == up)
            return d;
    return std::nullopt;
}

namespace {

DriveTable *g_table = nullptr;

SystemDriveTable &systemTable()
{
    static SystemDriveTable table;
    return table;
}

void fillSizes(DriveInfo &d)
{
    struct statvfs st {};
    if (::statvfs(QFile::encodeName(d.root).constData(), &st) == 0) {
        d.totalBytes = qint64(st.f_blocks) * qint64(st.f_frsize);
        d.freeBytes = qint64(st.f_bavail) * qint64(st.f_frsize);
    }
}

QString configDir()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/voxa");
}

struct Mount {
    QString device;
    QString mountPoint;
    QString fsType;
};

// /proc/self/mountinfo escapes blanks and the like as octal "\040".
QString unescapeMount(const QByteArray &s)
{
    QByteArray out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size()) {
            bool ok = false;
            const int v = s.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                out.append(char(v));
                i += 3;
                continue;
            }
        }
        out.append(s[i]);
    }
    return QFile::decodeName(out);
}

QList<Mount> readMounts()
{
    QList<Mount> mounts;
    QFile f(QStringLiteral("/proc/self/mountinfo"));
    if (!f.open(QIODevice::ReadOnly))
        return mounts;
    const QList<QByteArray> lines = f.readAll().split('\n');
    for (const QByteArray &line : lines) {
        // id parent major:minor root mountpoint options [optional...] - fstype source superopts
        const QList<QByteArray> parts = line.split(' ');
        const qsizetype dash = parts.indexOf("-");
        if (dash < 5 || dash + 2 >= parts.size())
            continue;
        mounts.append({unescapeMount(parts[dash + 2]), unescapeMount(parts[4]),
                       QString::fromLatin1(parts[dash + 1])});
    }
    return mounts;
}

// Names of /dev/disk/by-xxx links that point at a device.
QString diskLinkFor(const QString &kind, const QString &device)
{
    const QString canonical = QFileInfo(device).canonicalFilePath();
    if (canonical.isEmpty())
        return {};
    QDir dir(QStringLiteral("/dev/disk/") + kind);
    const QStringList names = dir.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot);
    for (const QString &n : names)
        if (QFileInfo(dir.filePath(n)).canonicalFilePath() == canonical) {
            // udev escapes blanks as \x20
            QString name = n;
            name.replace(QStringLiteral("\\x20"), QStringLiteral(" "));
            return name;
        }
    return {};
}

// A USB hard disk reports removable 0; the bus it hangs on tells the truth.
DriveType blockDeviceType(const QString &device)
{
    const QString dev = QFileInfo(device).canonicalFilePath();
    if (!dev.startsWith(QStringLiteral("/dev/")))
        return DriveType::Fixed;
    const QString name = dev.mid(5);
    if (name.startsWith(QStringLiteral("sr")))
        return DriveType::Optical;
    if (name.startsWith(QStringLiteral("ram")) || name.startsWith(QStringLiteral("zram")))
        return DriveType::RamDisk;
    const QString sysPath = QFileInfo(QStringLiteral("/sys/class/block/") + name).canonicalFilePath();
    if (sysPath.contains(QStringLiteral("/usb")) || sysPath.contains(QStringLiteral("/mmc")))
        return DriveType::Removable;
    // A partition's parent folder is the whole disk.
    QString disk = sysPath;
    if (QFile::exists(sysPath + QStringLiteral("/partition")))
        disk = QFileInfo(sysPath).path();
    QFile rem(disk + QStringLiteral("/removable"));
    if (rem.open(QIODevice::ReadOnly) && rem.readAll().trimmed() == "1")
        return DriveType::Removable;
    return DriveType::Fixed;
}

bool interestingMount(const Mount &m, DriveType &type)
{
    static const QStringList disk = {QStringLiteral("vfat"), QStringLiteral("msdos"),
                                     QStringLiteral("ntfs"), QStringLiteral("ntfs3"),
                                     QStringLiteral("fuseblk"), QStringLiteral("exfat")};
    static const QStringList optical = {QStringLiteral("iso9660"), QStringLiteral("udf")};
    static const QStringList network = {QStringLiteral("nfs"), QStringLiteral("nfs4"),
                                        QStringLiteral("cifs"), QStringLiteral("smb3"),
                                        QStringLiteral("fuse.sshfs")};
    if (disk.contains(m.fsType)) {
        type = blockDeviceType(m.device);
        return true;
    }
    if (optical.contains(m.fsType)) {
        type = DriveType::Optical;
        return true;
    }
    if (network.contains(m.fsType)) {
        type = DriveType::Network;
        return true;
    }
    return false;
}

// Remembered letters: one "key=letter" line per volume.
QHash<QString, QChar> readLetterMemory()
{
    QHash<QString, QChar> memory;
    QFile f(configDir() + QStringLiteral("/letters"));
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return memory;
    while (!f.atEnd()) {
        const QString line = QString::fromUtf8(f.readLine()).trimmed();
        const qsizetype eq = line.lastIndexOf(QLatin1Char('='));
        if (eq > 0 && eq == line.size() - 2)
            memory.insert(line.left(eq), line.back().toUpper());
    }
    return memory;
}

void writeLetterMemory(const QHash<QString, QChar> &memory)
{
    QDir().mkpath(configDir());
    QSaveFile f(configDir() + QStringLiteral("/letters"));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Text))
        return;
    QStringList keys = memory.keys();
    keys.sort();
    for (const QString &k : keys)
        f.write((k + QLatin1Char('=') + memory.value(k) + QLatin1Char('\n')).toUtf8());
    f.commit();
}

// The root of the drive a running manager sits on when it runs from a
// voxa/manager folder: two levels above the program's folder.
QString managerFolderRoot()
{
    if (!QCoreApplication::instance())
        return {};
    QDir dir(QCoreApplication::applicationDirPath());
    if (dir.dirName().compare(QStringLiteral("manager"), Qt::CaseInsensitive) != 0)
        return {};
    if (!dir.cdUp() || dir.dirName().compare(QStringLiteral("voxa"), Qt::CaseInsensitive) != 0)
        return {};
    if (!dir.cdUp())
        return {};
    return dir.absolutePath();
}

QString mountFileSystemOf(const QString &path, const QList<Mount> &mounts)
{
    QString best;
    qsizetype bestLen = -1;
    const QString canonical = QFileInfo(path).canonicalFilePath();
    for (const Mount &m : mounts) {
        const QString mp = m.mountPoint;
        const bool inside = canonical == mp || mp == QStringLiteral("/")
                            || canonical.startsWith(mp + QLatin1Char('/'));
        if (inside && mp.size() > bestLen) {
            bestLen = mp.size();
            best = m.fsType;
        }
    }
    return best;
}

}  // namespace

DriveTable &driveTable()
{
    return g_table ? *g_table : systemTable();
}

void setDriveTable(DriveTable *table)
{
    g_table = table;
}

QString driveTableFile()
{
    const QByteArray env = qgetenv("VOXA_DRIVE_TABLE");
    if (!env.isEmpty())
        return QFile::decodeName(env);
    return configDir() + QStringLiteral("/drives");
}

DriveType driveTypeFromName(const QString &name)
{
    const QString n = name.toLower();
    if (n == QLatin1String("removable"))
        return DriveType::Removable;
    if (n == QLatin1String("fixed"))
        return DriveType::Fixed;
    if (n == QLatin1String("network"))
        return DriveType::Network;
    if (n == QLatin1String("optical") || n == QLatin1String("cdrom"))
        return DriveType::Optical;
    if (n == QLatin1String("ram") || n == QLatin1String("ramdisk"))
        return DriveType::RamDisk;
    return DriveType::NoDrive;
}

QString driveTypeName(DriveType type)
{
    switch (type) {
    case DriveType::Removable: return QStringLiteral("removable");
    case DriveType::Fixed: return QStringLiteral("fixed");
    case DriveType::Network: return QStringLiteral("network");
    case DriveType::Optical: return QStringLiteral("optical");
    case DriveType::RamDisk: return QStringLiteral("ramdisk");
    case DriveType::NoDrive: break;
    }
    return QStringLiteral("none");
}

QString fileSystemName(const QString &linuxType)
{
    if (linuxType == QLatin1String("vfat") || linuxType == QLatin1String("msdos"))
        return QStringLiteral("FAT32");
    if (linuxType == QLatin1String("ntfs") || linuxType == QLatin1String("ntfs3")
        || linuxType == QLatin1String("fuseblk"))
        return QStringLiteral("NTFS");
    if (linuxType == QLatin1String("exfat"))
        return QStringLiteral("exFAT");
    if (linuxType == QLatin1String("iso9660"))
        return QStringLiteral("CDFS");
    if (linuxType == QLatin1String("udf"))
        return QStringLiteral("UDF");
    return linuxType;
}

QList<DriveInfo> readDriveTableFile(const QString &path)
{
    QList<DriveInfo> out;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return out;
    while (!f.atEnd()) {
        const QString line = QString::fromUtf8(f.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        // Four blank-separated words, then the folder (which may hold blanks).
        QStringList words;
        qsizetype pos = 0;
        for (int w = 0; w < 4 && pos < line.size(); ++w) {
            while (pos < line.size() && line[pos].isSpace())
                ++pos;
            qsizetype end = pos;
            while (end < line.size() && !line[end].isSpace())
                ++end;
            words << line.mid(pos, end - pos);
            pos = end;
        }
        const QString folder = line.mid(pos).trimmed();
        if (words.size() < 4 || folder.isEmpty() || words[0].size() != 1)
            continue;
        const QChar letter = words[0][0].toUpper();
        if (letter < QLatin1Char('C') || letter > QLatin1Char('Z'))
            continue;
        DriveInfo d;
        d.letter = letter;
        d.type = driveTypeFromName(words[1]);
        d.fileSystem = words[2];
        d.label = words[3] == QLatin1String("-") ? QString() : words[3];
        d.root = QDir::cleanPath(QDir(QFileInfo(path).absolutePath()).absoluteFilePath(folder));
        out.append(d);
    }
    return out;
}

QList<DriveInfo> SystemDriveTable::drives()
{
    QList<DriveInfo> out;
    QSet<QChar> used;
    auto take = [&](DriveInfo d) {
        if (used.contains(d.letter))
            return;
        used.insert(d.letter);
        fillSizes(d);
        out.append(d);
    };

    const QList<DriveInfo> declared = readDriveTableFile(driveTableFile());
    QSet<QString> declaredRoots;
    for (const DriveInfo &d : declared) {
        if (!QFileInfo(d.root).isDir())
            continue;
        take(d);
        declaredRoots.insert(QFileInfo(d.root).canonicalFilePath());
    }

    const QList<Mount> mounts = readMounts();
    if (!used.contains(QLatin1Char('C'))) {
        DriveInfo c;
        c.letter = QLatin1Char('C');
        c.type = DriveType::Fixed;
        c.root = QStringLiteral("/");
        c.fileSystem = fileSystemName(mountFileSystemOf(QStringLiteral("/"), mounts));
        take(c);
    }

    QHash<QString, QChar> memory = readLetterMemory();
    const QHash<QString, QChar> before = memory;
    struct Pending {
        DriveInfo info;
        QString key;
    };
    QList<Pending> pending;
    for (const Mount &m : mounts) {
        DriveType type;
        if (!interestingMount(m, type) || declaredRoots.contains(m.mountPoint))
            continue;
        DriveInfo d;
        d.type = type;
        d.root = m.mountPoint;
        d.fileSystem = fileSystemName(m.fsType);
        d.label = diskLinkFor(QStringLiteral("by-label"), m.device);
        if (d.label.isEmpty())
            d.label = QFileInfo(m.mountPoint).fileName();
        const QString uuid = diskLinkFor(QStringLiteral("by-uuid"), m.device);
        const QString key = !uuid.isEmpty() ? QStringLiteral("uuid:") + uuid
                            : !d.label.isEmpty() ? QStringLiteral("label:") + d.label
                                                 : QStringLiteral("path:") + m.mountPoint;
        pending.append({d, key});
    }
    const QString managerRoot = managerFolderRoot();
    if (!managerRoot.isEmpty()) {
        const QString canonical = QFileInfo(managerRoot).canonicalFilePath();
        bool known = declaredRoots.contains(canonical) || canonical == QLatin1String("/");
        for (const Pending &p : pending)
            known = known || p.info.root == canonical;
        if (!known) {
            DriveInfo d;
            d.type = DriveType::Fixed;
            d.root = canonical;
            d.fileSystem = fileSystemName(mountFileSystemOf(canonical, mounts));
            d.label = QFileInfo(canonical).fileName();
            pending.append({d, QStringLiteral("path:") + canonical});
        }
    }
    // Remembered letters first, so that a newcomer cannot take one.
    for (Pending &p : pending) {
        const QChar l = memory.value(p.key);
        if (!l.isNull() && !used.contains(l)) {
            p.info.letter = l;
            take(p.info);
        }
    }
    for (Pending &p : pending) {
        if (!p.info.letter.isNull())
            continue;
        // A letter nobody remembers if there is one, else any free one.
        const QList<QChar> remembered = memory.values();
        for (int pass = 0; pass < 2 && p.info.letter.isNull(); ++pass) {
            for (char c = 'D'; c <= 'Z'; ++c) {
                const QChar l = QLatin1Char(c);
                if (used.contains(l) || (pass == 0 && remembered.contains(l)))
                    continue;
                p.info.letter = l;
                memory.insert(p.key, l);
                take(p.info);
                break;
            }
        }
    }
    if (memory != before)
        writeLetterMemory(memory);

    std::sort(out.begin(), out.end(),
              [](const DriveInfo &a, const DriveInfo &b) { return a.letter < b.letter; });
    m_last = out;
    m_looked = true;
    return out;
}

}  // namespace voxa::platform
