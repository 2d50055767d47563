#pragma once
// The update description update2.ini, the installed-firmware records
// autoupd.dat and extupd.dat, the version comparison and the update server's
// address. Nothing here shows a widget; the warnings go through the prompts.
#include "platform/prompts.h"

#include <QByteArray>
#include <QChar>
#include <QString>

#include <array>
#include <optional>

namespace voxa {

// The six update rows, in list order (row numbers 1 to 6).
inline constexpr int UpdateRowCount = 6;

struct UpdateRowDef {
    int row;
    const char *title;           // first list column
    const char *recordFile;      // in voxa; nullptr for the manager
    const char *identifier;      // record identifier
    const char *fallbackIdentifier;  // tried when the first gives "z.zz"
    const char *versionKey;
    const char *urlKey;
    const char *checksumKey;     // optional SHA-256 of the file, hex
    const char *label;           // appended to "Downloading"
    const char *folder;          // target folder below the drive root
};

// The row's description; row 1 to 6.
const UpdateRowDef &updateRowDef(int row);

// What update2.ini offers. A value is absent when its key is missing.
struct UpdateInfo {
    std::array<std::optional<QString>, UpdateRowCount> versions;
    std::array<QString, UpdateRowCount> urls;  // spaces already "%20"
    // SHA-256 digests from the optional checksum keys; absent when the key
    // is missing. A value that is not 64 hex digits is kept as an empty
    // digest, which no download matches.
    std::array<std::optional<QByteArray>, UpdateRowCount> checksums;

    const std::optional<QString> &version(int row) const { return versions[size_t(row - 1)]; }
    const QString &url(int row) const { return urls[size_t(row - 1)]; }
    const std::optional<QByteArray> &checksum(int row) const { return checksums[size_t(row - 1)]; }
};

enum class UpdateInfoError { None, CannotOpen, Invalid };

// Parses the bytes of update2.ini. The first line must be exactly
// "[UPDATE]"; further lines are KEY=value with a known key (case matters,
// the value keeps its spaces); later keys win.
std::optional<UpdateInfo> ParseUpdateInfo(const QByteArray &bytes);

// Largest update2.ini read; a bigger one is invalid.
inline constexpr qint64 MaxUpdateInfoBytes = 1 << 20;

// drive:\voxa\manager\update2.ini, where the check stores the description.
QString UpdateInfoPath(QChar drive);

// Reads drive:\voxa\manager\update2.ini. On failure shows "Cannot open the
// update information file!" or "The update information file is invalid!"
// as a warning at the given place and returns nothing.
std::optional<UpdateInfo> ReadUpdateInfo(QChar drive, Placement placement = Placement::frameBox());
// The same without a box; *error tells why it failed.
std::optional<UpdateInfo> ReadUpdateInfoFile(const QString &path, UpdateInfoError *error);

// The placeholder of a missing or unreadable record; it compares greater
// than any version made of digits.
inline constexpr const char *UnknownFirmwareVersion = "z.zz";

// The installed version from drive:\voxa\<recordFile>: bytes 5 to 8 when the
// record's first 9 bytes begin with the identifier, else "z.zz".
QString ReadInstalledFirmware(QChar drive, const QString &recordFile, const QString &identifier);
// The installed version a row compares against: the manager's own version
// for row 1, the record (row 6 with its fallback identifier) for the others.
QString InstalledVersion(QChar drive, int row);

// Byte-wise comparison of two version texts (in the player's code page): the
// first differing byte decides, a prefix is the smaller. <0, 0, >0.
int CompareVersions(const QString &a, const QString &b);
// An absent offered version is older than anything.
bool IsNewerVersion(const std::optional<QString> &offered, const QString &installed);

// The file name a URL gives: the text after its last "/" (the whole URL
// without one). Nothing when that name would not stay inside the target
// folder or cannot be a file name: empty, ".", "..", or holding a path
// separator, a drive colon, a control character or a character FAT refuses.
std::optional<QString> TargetFileName(const QString &url);
// True for a name TargetFileName would give.
bool IsSafeFileName(const QString &name);
// drive:\<row folder>\<file name of url>; nothing when the name is unsafe.
std::optional<QString> UpdateTargetPath(QChar drive, int row, const QString &url);

// Whether a file name is one of a manager installation's own files, letter
// case and trailing dots and blanks ignored (FAT and Windows ignore them
// too): the install list of either platform, voxam2.ini, copy.his,
// play.m3u, the Language folder and the kinds of file it holds (*.lng,
// *.chm). A download never takes such a name.
bool IsInstallationFileName(const QString &name);
// The same for a target path (device or native), and also when the target
// is another name of such a file in its folder (a FAT short name like
// DEFAUL~1.BMP, or a hard link).
bool IsInstallationFile(const QString &target);

// The update server: a base address such as "http://host" or
// "http://host:8080". It comes from this computer, never from the player's
// drive (a second-hand disk must not redirect the updates): the environment
// variable VOXA_UPDATE_SERVER, else an "Update Server = ..." line in
// UpdateSettingsFile(), else the built-in address. Every caller asks here.
inline constexpr const char *DefaultUpdateServer = "http://update.voxamanager.net";
inline constexpr const char *UpdateServerKey = "Update Server";
inline constexpr const char *UpdateServerVariable = "VOXA_UPDATE_SERVER";
// $XDG_CONFIG_HOME/voxa/update (~/.config/voxa/update), beside the drive
// table file.
QString UpdateSettingsFile();
QString UpdateServerAddress();
// The description's URL on a server: <server>/update/update2.ini.
QString UpdateInfoUrl(const QString &server);

}  // namespace voxa
