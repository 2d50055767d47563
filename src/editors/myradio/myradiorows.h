#pragma once
// The MyRadio editor's rows without the widgets: the texts of the "Priority"
// column, adding picked tree nodes under the 100-element limit, duplicates,
// the existence check and the paths the rows stand for.
#include "editors/myradio/myradiofile.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace voxa {

// The row's picture.
enum class RowPicture { Mp3File = 0, Folder = 1, EmptyFolder = 2 };

struct MyRadioRow {
    QString name;    // "File Name"
    QString folder;  // "Path": "music\rock\", or "\" for the drive root
    int weightClass = 10;
    RowPicture picture = RowPicture::Mp3File;

    bool isFolder() const { return picture != RowPicture::Mp3File; }
    MyRadioElement element() const { return {folder, name, weightClass}; }
    bool operator==(const MyRadioRow &) const = default;
};

// The player cannot show three letters of the code page (bytes 0xF5, 0xFB
// and 0xED); names taken from the drive carry the byte 0xD7 in their place.
QString PlayerNameText(const QString &text);

// The folder part of a tree node: the texts of its ancestors from the top,
// each followed by "\"; "\" for a node at the top.
QString TreeFolderPart(const QStringList &ancestors);

// "Priority" right after a change: the class and one space ("10 ").
QString PriorityText(int weightClass);
// "Priority" after a refresh: the class, two spaces, "[", padding, the
// percentage and "%] ". The padding is two spaces for every character the
// percentage with "%] " is shorter than 7: "1  [  5.0%] ", "10  [50.0%] ",
// "20  [100.0%] ".
QString PriorityText(int weightClass, int classSum);
// class x 100 / sum rounded to 3 significant digits, then to 1 decimal,
// halves upwards, with "." as the separator: "50.0", "5.0", "100.0".
QString SharePercentText(int weightClass, int classSum);
// The number at the start of a "Priority" text, up to the first space,
// kept within 1..20; a text without a number gives 1.
int WeightClassOf(const QString &priorityText);
// The refreshed "Priority" texts of rows with these classes.
QStringList RefreshedPriorities(const QList<int> &classes);

// What `ItemLabel` shows: the number of rows.
QString ItemLabelText(qsizetype rows);
// True when no row may be added any more (100 rows).
bool ProfileListFull(qsizetype rows);

// The row with this folder part and name (letter case ignored, as on the
// player's FAT drive), or -1.
qsizetype FindRow(const QList<MyRadioRow> &rows, const QString &folder, const QString &name);

// Drive letter + ":\" + folder part + name, with the first doubled "\"
// reduced to one (a root element's folder part is "\").
QString ElementDevicePath(QChar drive, const QString &folder, const QString &name);
inline QString RowDevicePath(QChar drive, const MyRadioRow &row)
{
    return ElementDevicePath(drive, row.folder, row.name);
}

// False for a path below the drive root that must not be followed: a ".."
// part would climb out of the drive, a ":" names another drive or an
// address, a leading "\\" another machine. Paths that cannot be stored in a
// profile (see checkMyRadioPath) are refused as well.
bool ElementPathAllowed(const QString &path);

// Rows for loaded elements: picture 0 for ".MP3" names, 1 otherwise. An
// element whose path ElementPathAllowed refuses is left out and its path
// appended to *refused.
QList<MyRadioRow> RowsOfElements(const QList<MyRadioElement> &elements, QStringList *refused = nullptr);
QList<MyRadioElement> ElementsOfRows(const QList<MyRadioRow> &rows);

// A node of the drive tree picked for adding. ancestors and name are the
// texts of the tree (the drive's own names).
struct TreePick {
    QStringList ancestors;
    QString name;
    bool isFolder = false;
};

struct AddOutcome {
    QList<qsizetype> selectRows;  // rows to select: the new ones and the duplicates
    QList<qsizetype> keptPicks;   // picks left selected in the tree (the list was full)
    bool listFull = false;        // show "You riched the maximal 100 elements!"
    bool modified = false;        // rows were appended
};

// Adding the picked nodes in tree order: each one while the list has fewer
// than 100 rows; a duplicate (same folder part and name) is selected instead
// of added; a folder without any MP3 file below it (hasMp3 gets the node's
// device path) gets picture 2.
AddOutcome AddPicks(QList<MyRadioRow> &rows, const QList<TreePick> &picks, int weightClass, QChar drive,
                    const std::function<bool(const QString &)> &hasMp3);

// Removes the rows at the given positions; true when any was removed.
bool RemoveRows(QList<MyRadioRow> &rows, QList<qsizetype> positions);

// The existence check: removes every row whose path is neither a file nor
// a folder on the drive; returns how many were removed.
int RemoveMissingRows(QList<MyRadioRow> &rows, QChar drive);

}  // namespace voxa
