#pragma once
#include <QString>

namespace voxa {
// A file name for file lists: all in lower case, with the first letter
// (a-z or one of the accented small letters á é í ó ő ö ú ű ü) in capitals.
// "03_SONG.MP3" becomes "03_Song.mp3".
QString DisplayName(const QString &name);
}  // namespace voxa
