#pragma once
// Texts of this system's own that the message table does not hold: they
// belong to commands the table's numbers do not cover. Each has a language
// number from FirstOwnNumber on, so a language file replaces it like any
// other text.
#include <QString>

namespace voxa {

enum class OwnText {
    SafelyRemoveDisk,      // 1001: the VOXA menu's command
    DiskRemoved,           // 1002
    DiskUnmountedOnly,     // 1003
    DiskBusy,              // 1004
    RemovalNotAuthorized,  // 1005
    RemovalNoService,      // 1006
    RemovalFailed,         // 1007
    RemoveRunningManager,  // 1008: the question when the manager runs from the disk
    RemovalNotStarted,     // 1009
    CopyFinished,          // 1010: notifications of a MyRadio copy's end
    CopyStopped,           // 1011
    CopyIncomplete,        // 1012
    SearchFinished,        // 1013: "%1" is the number of files found
    SortPlaysNow,          // 1014: column titles of the sort frame's play order
    SortAfterSorting,      // 1015
    HelpFileMissing,       // 1016: "%1" is the help file's path
    HelpNoViewer,          // 1017: "%1" is the help file's path
    FileTooShort,          // 1018: "%1" bytes found of "%2"
    CannotStoreText,       // 1019
    ChooserClose,          // 1020: the drive chooser's Close button
    Count
};

constexpr int FirstOwnNumber = 1001;
constexpr int LastOwnNumber = FirstOwnNumber + int(OwnText::Count) - 1;

QString ownText(OwnText t);
int ownNumber(OwnText t);

// A second block of own texts from 1050 on, apart from the first so that
// both can grow without taking the same numbers.
enum class LaterOwnText {
    PlayNoProgram,  // 1050: Play found no player and no program for the file
    Count
};

constexpr int FirstLaterOwnNumber = 1050;
constexpr int LastLaterOwnNumber = FirstLaterOwnNumber + int(LaterOwnText::Count) - 1;

QString ownText(LaterOwnText t);
int ownNumber(LaterOwnText t);
// Whether a language number is one of the own texts of either block.
bool isOwnNumber(int number);
// Replaces the text of a number in the own range; false for other numbers.
bool setOwnText(int number, const QString &text);
// Back to the English defaults (tests).
void resetOwnTexts();

// The notification texts of a MyRadio copy's end and of a search's end.
QString CopyEndingText(bool stopped, bool allCopied);
QString SearchEndingText(int found);

}  // namespace voxa
