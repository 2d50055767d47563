#pragma once
// Importing an M3U play list as a new MyRadio profile: its first 100 paths
// become file rows.
#include "editors/myradio/myradiorows.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace voxa {

// Larger play lists are read only this far.
constexpr qint64 M3uReadLimit = 8 * 1024 * 1024;

struct M3uImport {
    QList<MyRadioRow> rows;  // at most 100, picture 0, the given class
    QStringList refused;     // lines that were not taken, see M3uLineRow
};

// The row of one line of a play list, or nothing for a line that is not
// taken. m3uFolder is the play list's own folder in device form with its
// closing "\" ("E:\music\"), or empty when it lies on no drive.
//  - The name is the part after the last "\", the folder part the part up
//    to and including it without one leading "\"; a line without "\" takes
//    the play list's folder without its drive ("music\"). A folder part
//    that comes out empty is the drive root, "\".
//  - A leading drive ("E:\music\a.mp3") is dropped: play lists are made on
//    whatever letter the drive had then, and the path is taken from the
//    drive's root.
//  - Lines made on this computer lead into the player's drive (`drive`):
//    absolute native paths ("/media/u/VOXA/music/a.mp3"), paths relative to
//    the play list's folder ("rock/a.mp3", "../b.mp3") and "file" addresses
//    with their %-escapes decoded. They are cleaned (".." is resolved) and,
//    where they exist, followed through links; only paths that stay on the
//    player's drive are taken.
//  - Refused, never followed: such lines leading off the drive, other
//    addresses (any other ":"), other machines ("\\server", "file://host/"),
//    ".." parts of the player's form, a line without a name, and paths a
//    profile cannot store. Lines without "\" or "/" when the play list lies
//    on no drive are refused as well.
std::optional<MyRadioRow> M3uLineRow(const QString &line, const QString &m3uFolder, int weightClass, QChar drive);

// The import of a play list's content for the player's drive `drive`.
// Lines end with LF or CR LF (the last one needs no line end); blank lines
// and lines starting with "#" are skipped. Text is in the system's code
// page, or UTF-8 after a byte order mark. Stops at 100 rows.
M3uImport ParseM3u(const QByteArray &bytes, const QString &m3uFolder, int weightClass, QChar drive);

// The folder part that M3uLineRow takes for a play list path (device or
// native): "E:\music\" for E:\music\list.m3u; empty on no drive.
QString M3uFolderOf(const QString &m3uPath);

// Reads a play list (device or native path). A file that cannot be read
// gives nothing and *error (when given) the system's text with the path.
std::optional<M3uImport> ReadM3u(const QString &m3uPath, int weightClass, QChar drive, QString *error = nullptr);

// The editor's import of a chosen play list: reads it; on failure shows the
// error and returns nothing (the rows stay as they are). Refused lines are
// shown in one "M3U file is not valid!" box, each in brackets.
std::optional<QList<MyRadioRow>> ImportM3u(const QString &m3uPath, int weightClass, QChar drive);

}  // namespace voxa
