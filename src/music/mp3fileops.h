#pragma once
// What the find and export frame does to the files of its result list:
// unmark, delete, move to the quarantine folder. Each operation reports per
// item, in the order given, what happened, so that the frame can update its
// list; none of them shows anything apart from the delete question.
#include "music/mp3finder.h"

#include <QList>
#include <QString>

namespace voxa {

struct Mp3ItemOutcome {
    bool Tried = false;      // the operation was attempted on the file
    bool Done = false;       // the file was renamed, deleted or moved
    bool LeavesList = false; // the frame takes the item out of its list
    QString Error;           // why not, with the path in square brackets
};

// Renames each marked file x.MP! to x.MP3 (the last character of the name
// becomes "3"). A file whose rename succeeds leaves the list; a file that
// is not marked, or whose new name is taken, stays.
QList<Mp3ItemOutcome> UnMarkFiles(const QList<Mp3FileInfo> &checked);

// "Do you really want to delete the selected files from disk?", Yes/No with
// No as the default; true for Yes.
bool ConfirmDeleteFiles();
// Deletes each file and then its folder when that has become empty (never a
// drive's root). A deleted file, or one that is gone already, leaves the
// list. A read-only file is kept, as on the player's FAT drive.
QList<Mp3ItemOutcome> DeleteFiles(const QList<Mp3FileInfo> &checked);

struct QuarantineOutcome {
    bool Started = false;  // the quarantine folder exists or was created
    QString Folder;        // the quarantine folder, E:\Quarantine
    QString Error;
    QList<Mp3ItemOutcome> Items;
};
// Moves every item to drive + ":\" + quarantine + its own directory below
// the drive root (E:\music\rock\a.mp3 -> E:\Quarantine\music\rock\a.mp3) and
// removes the folders left empty, upwards, never the drive's root. An item
// Tried and Done is moved (the frame checks it), Tried and not Done failed
// (unchecked); one not Tried stays as it was (its target folder could not
// be made). Nothing is moved when the quarantine text is empty.
QuarantineOutcome MoveToQuarantine(QChar driveLetter, const QString &quarantine,
                                   const QList<Mp3FileInfo> &items);

}  // namespace voxa
