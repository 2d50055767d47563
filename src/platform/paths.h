#pragma once
// Paths on drives are kept in the player's own form, a letter, ":\" and the
// path below with backslashes ("E:\voxa\config\a.cfg"), in the logic and in
// every file the system writes. This is the one place where such a path
// becomes a native one and back.
#include <QString>
#include <QStringList>

namespace voxa::platform {

// "E:", "E:\" or "E:\..." with a letter C..Z in either case.
bool isDevicePath(QStringView path);
// The letter of a device path in capitals, or a null QChar.
QChar driveLetterOf(QStringView path);

// The folder names of a device path below its drive's root, with "." left
// out and ".." taking away the name before it; ".." at the root stays at the
// root, so no device path leads off its drive.
QStringList devicePathParts(QStringView path);
// The same path spelled plainly: "e:\a\.\..\b\" -> "E:\b"; "E:\" for the root.
// Other paths are returned unchanged.
QString cleanDevicePath(QStringView path);

// A device path as a native path below its drive's root (".." as above). Each component is
// matched without regard to letter case, as on FAT, so "voxa\Temp" finds
// "voxa/temp"; components that do not exist are kept as written. A path that
// is not a device path is returned unchanged; an unknown letter gives an
// empty text.
QString toNative(const QString &path);

// A native path inside a known drive as a device path ("/mnt/v/voxa" ->
// "V:\voxa"); the deepest drive root wins. Empty when no drive holds it.
QString toDevice(const QString &nativePath);

// Joins with exactly one backslash: ("E:\voxa", "config") -> "E:\voxa\config".
QString joinDevice(const QString &folder, const QString &name);

// A path on a drive in both its forms: the player's, as the program shows
// it and writes it into files ("E:\music\rock"), and the native one this
// computer opens ("/media/usb/music/rock"), looked up once when the value
// is made, so a call chain never converts it again.
class DevicePath {
public:
    DevicePath() = default;
    // A device path is looked up (as toNative); any other path is taken as
    // native for both forms.
    DevicePath(const QString &path);  // NOLINT: a path converts on purpose
    // Both forms known already.
    static DevicePath known(const QString &device, const QString &native);

    const QString &device() const { return m_device; }
    // Empty when the drive is unknown.
    const QString &native() const { return m_native; }
    bool isEmpty() const { return m_device.isEmpty(); }
    // An entry of this folder by the name it is stored under (as a listing
    // gives it): both forms joined, nothing looked up again.
    DevicePath child(const QString &storedName) const;

    bool operator==(const DevicePath &o) const = default;

private:
    QString m_device;
    QString m_native;
};

// The part after the last "\" (or "/").
QString fileNameOf(QStringView path);
// The part before the last "\" (or "/"), without it.
QString folderOf(QStringView path);

}  // namespace voxa::platform
