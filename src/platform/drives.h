#pragma once
// Drives as the manager sees them: letters C to Z, each with a type, a volume
// label, a file-system name, sizes and the native folder that is its root.
//
// On Linux the system table is made of
//  - C, the root of the file system ("/");
//  - folder drives declared in the drive table file (a copy or image of the
//    player's disk kept in a folder), each with its own letter;
//  - the mounted FAT, NTFS, exFAT, optical and network volumes, which keep the
//    letter they had last time (remembered by UUID, label or mount point);
//  - the folder holding a running manager's voxa/manager, when it is none of
//    the above.
// Tests install a table of temporary folders instead (setDriveTable).
#include <QChar>
#include <QList>
#include <QMutex>
#include <QString>
#include <optional>

namespace voxa::platform {

enum class DriveType { NoDrive, Removable, Fixed, Network, Optical, RamDisk };

struct DriveInfo {
    QChar letter;
    DriveType type = DriveType::Fixed;
    QString label;
    QString fileSystem;  // "FAT32", "NTFS", or the system's own name
    qint64 totalBytes = 0;
    qint64 freeBytes = 0;
    QString root;        // native folder; "/" or a path without a closing "/"
    QString device;      // the mounted block device ("/dev/sdb1"); empty for folder drives
};

class DriveTable {
public:
    virtual ~DriveTable() = default;
    // Looks at the system afresh: a volume plugged in since the last call
    // appears, sizes are current.
    virtual QList<DriveInfo> drives() = 0;
    // The root folder of a letter from the last look (looks once if there was
    // none). Cheap: path conversion calls it for every path.
    virtual QString rootOf(QChar letter);
    // The drive of a letter with current sizes, if there is such a drive.
    virtual std::optional<DriveInfo> drive(QChar letter);

protected:
    // Keeps a look for rootOf. Worker threads convert paths (rootOf) while
    // the window thread looks again, so the last look is guarded.
    void remember(const QList<DriveInfo> &drives);

private:
    QMutex m_lastLock;
    QList<DriveInfo> m_last;
    bool m_looked = false;
};

// The table every caller uses.
DriveTable &driveTable();
// Replaces the table (tests); nullptr restores the system's own.
void setDriveTable(DriveTable *table);

// Where the system's table looks; tests point it at a made-up system.
struct SystemSources {
    QString mountInfo = QStringLiteral("/proc/self/mountinfo");
    QString udevData = QStringLiteral("/run/udev/data");  // files "b<major>:<minor>"
    QString diskLinks = QStringLiteral("/dev/disk");      // by-uuid, by-label
};

// The system's table.
class SystemDriveTable : public DriveTable {
public:
    SystemDriveTable() = default;
    explicit SystemDriveTable(SystemSources sources) : m_sources(std::move(sources)) {}
    QList<DriveInfo> drives() override;

private:
    SystemSources m_sources;
    // One look at a time: a look also updates the remembered letters.
    QMutex m_lookLock;
};

// One line of /proc/self/mountinfo.
struct MountEntry {
    quint32 major = 0;
    quint32 minor = 0;
    QString root;        // the folder of the volume that is mounted; "/" for all of it
    QString mountPoint;
    QString fsType;
    QString device;
};
QList<MountEntry> parseMountInfo(const QByteArray &text);

// What udev knows of a volume: its file-system type, UUID and label.
struct UdevVolume {
    QString fsType;
    QString uuid;
    QString label;
};
UdevVolume parseUdevData(const QByteArray &text);
// Decodes udev's "\xNN" escapes (blanks and other bytes of a name), then UTF-8.
QString decodeUdevName(QStringView name);

// The declared folder drives: one line per drive,
//   letter  type  filesystem  label  folder
// for example "V removable FAT32 VOXA /home/me/voxa-disk". Blank lines and
// lines starting with "#" are ignored; the folder is the rest of the line.
// The file is $VOXA_DRIVE_TABLE when that is set, else
// $XDG_CONFIG_HOME/voxa/drives (~/.config/voxa/drives).
QString driveTableFile();
QList<DriveInfo> readDriveTableFile(const QString &path);
DriveType driveTypeFromName(const QString &name);
QString driveTypeName(DriveType type);

// Maps a Linux file-system type to the name the manager shows. Network
// shares show as "NTFS", as Windows shows them.
QString fileSystemName(const QString &linuxType);

}  // namespace voxa::platform
