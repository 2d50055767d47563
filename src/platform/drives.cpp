#include "platform/drives.h"

#include "platform/fileops.h"
#include "platform/processes.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QStandardPaths>
#include <QTextStream>

#include <functional>
#include <optional>

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>

namespace voxa::platform {

QString DriveTable::rootOf(QChar letter)
{
    QList<DriveInfo> last;
    bool looked = false;
    {
        QMutexLocker lock(&m_lastLock);
        looked = m_looked;
        last = m_last;
    }
    if (!looked) {
        last = drives();
        remember(last);
    }
    const QChar up = letter.toUpper();
    for (const DriveInfo &d : std::as_const(last))
        if (d.letter == up)
            return d.root;
    return {};
}

std::optional<DriveInfo> DriveTable::drive(QChar letter)
{
    const QList<DriveInfo> now = drives();
    remember(now);
    const QChar up = letter.toUpper();
    for (const DriveInfo &d : now)
        if (d.letter == up)
            return d;
    return std::nullopt;
}

void DriveTable::remember(const QList<DriveInfo> &drives)
{
    QMutexLocker lock(&m_lastLock);
    m_last = drives;
    m_looked = true;
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

// /proc/self/mountinfo escapes blanks and the like as octal "\040".
QString unescapeMount(const QByteArray &s)
{
    QByteArray out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size()) {
            bool ok = false;
            const int v = s.mid(i + 1, 3).toInt(&ok, 8);
            if (ok && v < 256) {
                out.append(char(v));
                i += 3;
                continue;
            }
        }
        out.append(s[i]);
    }
    return QFile::decodeName(out);
}

// Names of /dev/disk/by-xxx links that point at a device.
QString diskLinkFor(const QString &linksDir, const QString &kind, const QString &device)
{
    const QString canonical = QFileInfo(device).canonicalFilePath();
    if (canonical.isEmpty())
        return {};
    QDir dir(linksDir + QLatin1Char('/') + kind);
    const QStringList names = dir.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot);
    for (const QString &n : names)
        if (QFileInfo(dir.filePath(n)).canonicalFilePath() == canonical)
            return decodeUdevName(n);
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

bool interestingMount(const MountEntry &m, DriveType &type)
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
    const auto bytes = fs::readRegularFile(configDir() + QStringLiteral("/letters"), 1 << 20);
    if (!bytes)
        return memory;
    for (const QByteArray &raw : bytes->split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        const qsizetype eq = line.lastIndexOf(QLatin1Char('='));
        if (eq > 0 && eq == line.size() - 2)
            memory.insert(line.left(eq), line.back().toUpper());
    }
    return memory;
}

void writeLetterMemory(const QHash<QString, QChar> &memory)
{
    QDir().mkpath(configDir());
    QStringList keys = memory.keys();
    keys.sort();
    QByteArray text;
    for (const QString &k : keys)
        text += (k + QLatin1Char('=') + memory.value(k) + QLatin1Char('\n')).toUtf8();
    // Losing the memory only costs letters; nothing to report.
    fs::writeWholeFile(configDir() + QStringLiteral("/letters"), text);
}

// The root of the drive a running manager sits on when it runs from a
// voxa/manager folder: two levels above the program's folder.
QString managerFolderRoot()
{
    if (!QCoreApplication::instance())
        return {};
    QDir dir(QFileInfo(runningProgramFile()).path());
    if (dir.dirName().compare(QStringLiteral("manager"), Qt::CaseInsensitive) != 0)
        return {};
    if (!dir.cdUp() || dir.dirName().compare(QStringLiteral("voxa"), Qt::CaseInsensitive) != 0)
        return {};
    if (!dir.cdUp())
        return {};
    return dir.absolutePath();
}

QString mountFileSystemOf(const QString &path, const QList<MountEntry> &mounts)
{
    QString best;
    qsizetype bestLen = -1;
    const QString canonical = QFileInfo(path).canonicalFilePath();
    for (const MountEntry &m : mounts) {
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

QList<MountEntry> parseMountInfo(const QByteArray &text)
{
    QList<MountEntry> mounts;
    for (const QByteArray &line : text.split('\n')) {
        // id parent major:minor root mountpoint options [optional...] - fstype source superopts
        const QList<QByteArray> parts = line.split(' ');
        const qsizetype dash = parts.indexOf("-");
        if (dash < 6 || dash + 2 >= parts.size())
            continue;
        const QList<QByteArray> dev = parts[2].split(':');
        bool okMajor = false, okMinor = false;
        MountEntry m;
        if (dev.size() == 2) {
            m.major = dev[0].toUInt(&okMajor);
            m.minor = dev[1].toUInt(&okMinor);
        }
        if (!okMajor || !okMinor)
            continue;
        m.root = unescapeMount(parts[3]);
        m.mountPoint = unescapeMount(parts[4]);
        m.fsType = QString::fromLatin1(parts[dash + 1]);
        m.device = unescapeMount(parts[dash + 2]);
        mounts.append(m);
    }
    return mounts;
}

QString decodeUdevName(QStringView name)
{
    QByteArray out;
    const QByteArray in = name.toUtf8();
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == '\\' && i + 3 < in.size() && in[i + 1] == 'x') {
            bool ok = false;
            const int v = in.mid(i + 2, 2).toInt(&ok, 16);
            if (ok) {
                out.append(char(v));
                i += 3;
                continue;
            }
        }
        out.append(in[i]);
    }
    return QString::fromUtf8(out);
}

UdevVolume parseUdevData(const QByteArray &text)
{
    UdevVolume v;
    QString plainLabel;
    for (const QByteArray &line : text.split('\n')) {
        if (!line.startsWith("E:"))
            continue;
        const qsizetype eq = line.indexOf('=');
        if (eq < 0)
            continue;
        const QByteArray key = line.mid(2, eq - 2);
        const QByteArray value = line.mid(eq + 1).trimmed();
        if (key == "ID_FS_TYPE")
            v.fsType = QString::fromLatin1(value);
        else if (key == "ID_FS_UUID")
            v.uuid = QString::fromLatin1(value);
        else if (key == "ID_FS_LABEL_ENC")
            v.label = decodeUdevName(QString::fromLatin1(value));
        else if (key == "ID_FS_LABEL")
            plainLabel = QString::fromUtf8(value);
    }
    if (v.label.isEmpty())
        v.label = plainLabel;
    return v;
}

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
    if (linuxType == QLatin1String("ntfs") || linuxType == QLatin1String("ntfs3"))
        return QStringLiteral("NTFS");
    if (linuxType == QLatin1String("cifs") || linuxType == QLatin1String("smb3")
        || linuxType == QLatin1String("nfs") || linuxType == QLatin1String("nfs4"))
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
    const auto bytes = fs::readRegularFile(path, 1 << 20);
    if (!bytes)
        return out;
    for (const QByteArray &raw : bytes->split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
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
        // The program knows its own path fully resolved; so must the table,
        // or a drive reached through a link is not recognised as its drive.
        const QString real = QFileInfo(d.root).canonicalFilePath();
        if (!real.isEmpty())
            d.root = real;
        out.append(d);
    }
    return out;
}

namespace {

// A drive found by looking, before it has its letter; key names it in the
// remembered letters.
struct PendingDrive {
    DriveInfo info;
    QString key;
};

// The drive of one mounted volume, described by udev where it can.
PendingDrive mountedDrive(const MountEntry &m, DriveType type, const SystemSources &sources)
{
    UdevVolume udev;
    auto udevFor = [&](quint32 major, quint32 minor) {
        const auto bytes = fs::readRegularFile(sources.udevData + QStringLiteral("/b%1:%2").arg(major).arg(minor),
                                               1 << 20);
        return bytes ? parseUdevData(*bytes) : UdevVolume{};
    };
    if (m.major != 0)
        udev = udevFor(m.major, m.minor);
    struct stat st {};
    if (udev.fsType.isEmpty() && m.device.startsWith(QLatin1String("/dev/"))
        && ::stat(QFile::encodeName(m.device).constData(), &st) == 0 && S_ISBLK(st.st_mode))
        udev = udevFor(major(st.st_rdev), minor(st.st_rdev));
    // FUSE names only itself; udev knows what the volume really holds.
    const QString fsType = m.fsType == QLatin1String("fuseblk") && !udev.fsType.isEmpty() ? udev.fsType : m.fsType;

    DriveInfo d;
    d.type = type;
    d.root = m.mountPoint;
    if (m.device.startsWith(QLatin1String("/dev/")))
        d.device = m.device;
    d.fileSystem = fileSystemName(fsType);
    d.label = !udev.label.isEmpty() ? udev.label : diskLinkFor(sources.diskLinks, QStringLiteral("by-label"), m.device);
    if (d.label.isEmpty())
        d.label = QFileInfo(m.mountPoint).fileName();
    const QString uuid = !udev.uuid.isEmpty() ? udev.uuid : diskLinkFor(sources.diskLinks, QStringLiteral("by-uuid"), m.device);
    const QString key = !uuid.isEmpty() ? QStringLiteral("uuid:") + uuid
                        : !d.label.isEmpty() ? QStringLiteral("label:") + d.label
                                             : QStringLiteral("path:") + m.mountPoint;
    return {d, key};
}

// Every mounted volume worth a letter that the drive table file does not
// declare, once each.
QList<PendingDrive> mountedDrives(const QList<MountEntry> &mounts, const QSet<QString> &declaredRoots,
                                  const SystemSources &sources)
{
    QList<PendingDrive> pending;
    QSet<QString> volumesSeen;
    for (const MountEntry &m : mounts) {
        DriveType type;
        if (!interestingMount(m, type) || declaredRoots.contains(m.mountPoint))
            continue;
        // A bind mount of a folder inside a volume is not a volume.
        if (m.root != QLatin1String("/"))
            continue;
        // The same volume mounted twice is one drive: the first mount.
        const QString volume = QStringLiteral("%1:%2").arg(m.major).arg(m.minor);
        if (m.major != 0 && volumesSeen.contains(volume))
            continue;
        volumesSeen.insert(volume);
        pending.append(mountedDrive(m, type, sources));
    }
    return pending;
}

// The folder the manager runs from, as a drive of its own when no other
// drive holds it.
std::optional<PendingDrive> managerFolderDrive(const QList<PendingDrive> &pending,
                                               const QSet<QString> &declaredRoots,
                                               const QList<MountEntry> &mounts)
{
    const QString managerRoot = managerFolderRoot();
    if (managerRoot.isEmpty())
        return std::nullopt;
    const QString canonical = QFileInfo(managerRoot).canonicalFilePath();
    bool known = declaredRoots.contains(canonical) || canonical == QLatin1String("/");
    for (const PendingDrive &p : pending)
        known = known || p.info.root == canonical;
    if (known)
        return std::nullopt;
    DriveInfo d;
    d.type = DriveType::Fixed;
    d.root = canonical;
    d.fileSystem = fileSystemName(mountFileSystemOf(canonical, mounts));
    d.label = QFileInfo(canonical).fileName();
    return PendingDrive{d, QStringLiteral("path:") + canonical};
}

// Gives each pending drive a letter: its remembered one first, so that a
// newcomer cannot take it, then one nobody remembers, then any free one.
// New letters are remembered.
void assignLetters(QList<PendingDrive> &pending, QHash<QString, QChar> &memory, const QSet<QChar> &used,
                   const std::function<void(const DriveInfo &)> &take)
{
    for (PendingDrive &p : pending) {
        const QChar l = memory.value(p.key);
        if (!l.isNull() && !used.contains(l)) {
            p.info.letter = l;
            take(p.info);
        }
    }
    for (PendingDrive &p : pending) {
        if (!p.info.letter.isNull())
            continue;
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
}

}  // namespace

QList<DriveInfo> SystemDriveTable::drives()
{
    QMutexLocker look(&m_lookLock);
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

    QList<MountEntry> mounts;
    {
        // A procfs file: no size known beforehand, so not readRegularFile.
        QFile f(m_sources.mountInfo);
        if (f.open(QIODevice::ReadOnly))
            mounts = parseMountInfo(f.read(16 << 20));
    }
    if (!used.contains(QLatin1Char('C'))) {
        DriveInfo c;
        c.letter = QLatin1Char('C');
        c.type = DriveType::Fixed;
        c.root = QStringLiteral("/");
        c.fileSystem = fileSystemName(mountFileSystemOf(QStringLiteral("/"), mounts));
        take(c);
    }

    QList<PendingDrive> pending = mountedDrives(mounts, declaredRoots, m_sources);
    if (const std::optional<PendingDrive> own = managerFolderDrive(pending, declaredRoots, mounts))
        pending.append(*own);
    QHash<QString, QChar> memory = readLetterMemory();
    const QHash<QString, QChar> before = memory;
    assignLetters(pending, memory, used, take);
    if (memory != before)
        writeLetterMemory(memory);

    std::sort(out.begin(), out.end(),
              [](const DriveInfo &a, const DriveInfo &b) { return a.letter < b.letter; });
    remember(out);
    return out;
}

}  // namespace voxa::platform
