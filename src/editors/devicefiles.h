#pragma once
// The rows of the device-file lists (open, save and delete dialogs): the
// files of one kind in a folder of the player's drive, by base name.
#include <QStringList>

namespace voxa {

// True for a base name that stays a file in its folder: not empty, and no
// "/", "\", ":", ".." or control character. Anything else would reach
// another folder or drive once the path is built from it.
bool IsDeviceBaseName(const QString &name);

// Base names, in DisplayName form, of the files in folder whose last three
// characters match extension without regard to case. Folders are skipped,
// and so are names that are no device base name (their path would name
// another file); with eightCharacterRule set, names longer than 8
// characters before the extension are too. Sorted.
QStringList DeviceFileRows(const QString &folder, const QString &extension, bool eightCharacterRule);

// The full path of a row: folder + "\" + row + "." + extension.
QString DeviceFilePath(const QString &folder, const QString &row, const QString &extension);

}  // namespace voxa
