#pragma once
// The result list of an MP3 search as the find and export frame shows it,
// and the lists it exports: M3U and PLS play lists, a plain text list and a
// CSV table. Every list names each file by its full path and ends each line
// with CR LF; texts are written in the system's code page.
#include "music/mp3finder.h"

#include <QString>
#include <QStringList>

namespace voxa {

// The columns shown besides "Filename" and "Path".
struct Mp3ListColumns {
    bool Date = false;
    bool Size = false;
    bool SizeInMBytes = true;                       // else kilobytes
    QString SizeUnitText = QStringLiteral("MByte");  // the unit box's caption
    bool Bitrate = false;
};

// The captions of the visible columns, from the message table: "Filename",
// "Date", "Size [MByte]", "Bitrate", "Path".
QStringList Mp3ListCaptions(const Mp3ListColumns &columns);
// An item's texts in column order: name, date, size, "128 kbps", directory.
QStringList Mp3ListTexts(const Mp3FileInfo &file, const Mp3ListColumns &columns);
// Year, month and day (4, 2 and 2 digits) joined by the system's date
// separator.
QString Mp3DateText(const QDate &date);
QString SystemDateSeparator();

// The list's order: by its Path column, the directory, without regard to
// letter case as on the player's FAT (then by case); files of one directory
// keep the order the search found them in.
void SortMp3ListByPath(QList<Mp3FileInfo> &items);

enum class Mp3ExportFormat { M3U, PLS, Text, CSV };

QString Mp3ExportExtension(Mp3ExportFormat format);  // "m3u", "pls", "txt", "csv"
// The name the user chose, with ".ext" appended unless its last four
// characters are exactly that (so list.M3U becomes list.M3U.m3u).
QString Mp3ExportFileName(const QString &chosen, Mp3ExportFormat format);
// The lines of an export of every item, in list order.
QStringList Mp3ExportLines(Mp3ExportFormat format, const QList<Mp3FileInfo> &items,
                           const Mp3ListColumns &columns = {});
// Lines as the file holds them: code page, CR LF after each.
QByteArray Mp3ListBytes(const QStringList &lines);
// Writes the lines whole (a crash never leaves half a list). No questions;
// *error gets the reason with the path on failure.
bool WriteMp3ListFile(const QString &path, const QStringList &lines, QString *error = nullptr);

enum class Mp3ExportResult { Written, Declined, OpenFailed, WriteFailed };
// The frame's export of the checked format to a file already named: asks
// before replacing a read-only file, reports failures in message boxes.
Mp3ExportResult ExportMp3List(Mp3ExportFormat format, const QString &path,
                              const QList<Mp3FileInfo> &items, const Mp3ListColumns &columns);

// The play list handed to a media player: one full path per item, no header.
bool WritePlayList(const QString &path, const QList<Mp3FileInfo> &items);

}  // namespace voxa
