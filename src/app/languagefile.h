#pragma once
// Language files, voxa\manager\Language\*.lng: 8-bit text in the system's
// code page, lines ended by CR LF.
//   line 1   ...Language...=<display name>
//   line 2   ID=<code>               (no "ID": the code is "ENG")
//   line 3   <key>=<help file name without extension>
//   line 4.. <number 0-255>=<text, kept exactly, "=" allowed>
#include <QList>
#include <QString>
#include <optional>

namespace voxa {

struct LanguageEntry {
    QString fileName;     // the name found in the folder
    QString displayName;  // shown in the menu, stored as the Language setting
    QString code;
};

inline constexpr int MaxLanguages = 100;

// Lines 1 and 2 of a file; nothing when it cannot be read or line 1 does not
// contain "Language".
std::optional<LanguageEntry> ReadLanguageHeader(const QString &path);

// The language files of a folder (device or native path) in the folder's own
// entry order, at most MaxLanguages.
QList<LanguageEntry> FindLanguages(const QString &folder);

// Applies a file: line 3 to HelpFileName (an empty name keeps it), every
// further line to the targets of its number. Lines whose part before the
// first "=" is not a number are skipped. False when the file cannot be read.
bool ApplyLanguageFile(const QString &path);

// Qt's own texts (the Yes, No and Cancel of the questions) follow the
// language file's code: Qt's translations for that language are installed,
// and removed again for English or a code Qt has no translations for.
// Returns whether a translation is in force afterwards.
bool ApplyQtTranslation(const QString &code);

// The lines of a file's bytes: split at LF, one CR before it dropped.
QList<QByteArray> LanguageLines(const QByteArray &content);

}  // namespace voxa
