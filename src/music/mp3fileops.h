#pragma once
// What the find and export frame does to the files of its result list:
// unmark, delete, move to the quarantine folder. Each operation reports per
// item, in the order given, what happened, so that the frame can update its
// list; none of them shows anything apart from the delete question.
//
// Every operation acts only on the file that was found, where it was found:
// a record already moved, a file that lies off its drive (a folder link
// leading elsewhere) and a file that is not the one found any more
// (another size or modification time: another file now has its name) are
// refused and left alone. No link on the way is followed after it has been
// checked.
#include "music/mp3finder.h"

#include <QList>
#include <QString>

namespace voxa {

struct Mp3ItemOutcome {
    bool Tried = false;      // the operation was attempted on the file
    bool Done = false;       // the file was renamed, deleted or moved
    bool LeavesList = false; // the frame takes the item out of its list
    // Not attempted for the file's own safety: the record was moved
    // already, the file lies off its drive, or it is not the file found.
    bool Refused = false;
    QString Error;           // why not, with the path in square brackets
    QString NewPath;         // where a renamed or moved file is now
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
// Tried and Done is moved (NewPath says where to), Tried and not Done
// failed; one not Tried stays as it was (refused, or its target folder could
// not be made). Nothing is moved when the quarantine text is empty, and
// nothing when the quarantine folder would lie off the drive.
QuarantineOutcome MoveToQuarantine(QChar driveLetter, const QString &quarantine,
                                   const QList<Mp3FileInfo> &items);

}  // namespace voxa
