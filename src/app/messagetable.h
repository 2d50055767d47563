#pragma once
// The 64 texts the code shows by number (messages, titles, column names),
// with their English defaults. A language file replaces them by their
// language-file number. Code refers to them only through these names.
#include <QString>

namespace voxa {

enum class Msg {
    Editor,  // 115: Editor,
    Untitled,  // 116: Untitled,
    SaveChanges,  // 117: Do you want to save changes?,
    OverlappedFields,  // 118: You cannot save changes until there are ,
    OverwriteExisting,  // 119: Do you want to overwrite the existing fi,
    FileNotExists,  // 240: The file does not exists!,
    ReadOnlyOverwrite,  // 242: The file is readonly. Do You want to ove,
    OpenForWriteError,  // 120: Error while trying to open file for writ,
    CannotOpenFile,  // 121: Cannot open the file!,
    NotEnoughSpace,  // 241: Not enough free space int the target dri,
    ReallyDeleteFile,  // 122: Do you really want to delete this file?,
    FirmwareVersion,  // 124: Firmware Version,
    Unknown,  // 125: Unknown,
    DownloadError,  // 126: Error while downloading the file! Please,
    CheckingForUpdate,  // 127: Checking for update,
    SelectUpdate,  // 128: Select update.,
    DownloadEnded,  // 129: Download ended succesfully. Executing fi,
    NewManagerDownloaded,  // 130: The new VOXA Manager was downloaded. For,
    NoNeedToUpdate,  // 131: No need to update, you already have the ,
    DownloadAborted,  // 132: Download aborted by user!,
    CannotOpenUpdateInfo,  // 133: Cannot open the update information file!,
    UpdateInfoInvalid,  // 134: The update information file is invalid!,
    Downloading,  // 135: Downloading,
    MaxElements,  // 136: You riched the maximal 100 elements!,
    NoMp3InDirectory,  // 137: There is not any MP3 file in this direct,
    M3uNotValid,  // 138: M3U file is not valid!,
    ElementNumberInvalid,  // 139: The element number is not valid! Try ano,
    Open,  // 140: Open,
    Save,  // 141: Save,
    OpenFile,  // 144: Open File,
    SaveFile,  // 145: Save File,
    SaveAs,  // 143: Save As,
    FontTest,  // -1: AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA,
    NoMp3InSelected,  // 152: There is not any mp3 in selected directo,
    CannotCreateDirectory,  // 153: Cannot create directory: ,
    CannotCopyFile,  // 154: Cannot copy file: ,
    HelpFile,  // -2: voxam2eng.chm,
    Sorting,  // 174: Sorting:,
    RollingBack,  // 175: Rolling Back:,
    SortErrorRollBack,  // 176: There was an error while sorting. Trying,
    RollBackError,  // 177: Error While RollBack,
    RollBackErrorFiles,  // 178: There was some error while trying to rol,
    RollBackErrorMove,  // 179: directory and you can move them back.,
    DirectorySorted,  // 180: Directory Sorted,
    FilesRolledBack,  // 182: Files Rolled Back,
    InstallManager,  // 184: Install VOXA Manager,
    InstallQuestion,  // 185: VOXA Manager does not exist on this driv,
    Installing,  // 186: Installing. Please wait...,
    OnlineUpdate,  // 188: Online Update,
    Fat32NotFound,  // 189: Fat32 patition not found. Press OK to cl,
    TooFewFilesToSort,  // 195: There are less then 100 files in directo,
    DataTooLong,  // 196: Cannot save the file, because the data i,
    Cancel,  // 142: Cancel,
    Close,  // 187: Close,
    ChooseLogoImage,  // 203: Choose Logo Image,
    NotAvailable,  // 204: Not Available,
    ReallyDeleteSelected,  // 205: Do you really want to delete the selecte,
    Filename,  // 150: Filename,
    Date,  // 206: Date,
    Size,  // 207: Size,
    Bitrate,  // 208: Bitrate,
    Path,  // 30: Path,
    WrongFileFormat,  // 210: Wrong file format,
    Searching,  // 247: Searching,
    Count
};

// The current text of an entry.
QString msg(Msg m);
// The entry's language-file number; -1 for the two that have none
// (FontTest, and HelpFile which comes from line 3 of a language file).
int languageNumber(Msg m);
void setMessage(Msg m, const QString &text);
// Back to the English defaults (start of a run, tests).
void resetMessages();

// The help file name, replaced from line 3 of a language file.
inline QString HelpFileName() { return msg(Msg::HelpFile); }

}  // namespace voxa
