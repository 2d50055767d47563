#pragma once
// The ID3 version 1 tag: the last 128 bytes of an MP3 file.
//
//   0-2   "TAG"
//   3-32  title      33-62 artist      63-92 album      93-96 year
//   97-126 comment; in version 1.1: 97-124 comment, 125 zero (or space),
//          126 track number
//   127   genre number
//
// Texts are the bytes as stored, without trailing spaces, zeros or other
// control characters; no character-set conversion.
#include <QByteArray>
#include <QString>

#include <array>

namespace voxa {

namespace music {
class Mp3Source;
}

// The published ID3v1 genre names with the later extensions, by number,
// spelled as published.
inline constexpr int MaxMusicGenres = 148;
extern const std::array<const char *, MaxMusicGenres> MusicGenre;

class TID3v1 {
public:
    TID3v1() { ResetData(); }

    void ResetData();
    // False when the file cannot be opened or read, or is shorter than 128
    // bytes (the reader is then reset); true otherwise, tag or not.
    bool ReadFromFile(const QString &fileName);
    bool ReadFrom(music::Mp3Source &file);
    // Fills the fields from a 128-byte block.
    void ReadFromBlock(const char *block);

    bool Exists = false;
    quint8 VersionID = 1;  // 1 = ID3v1.0, 2 = ID3v1.1
    QByteArray Title;
    QByteArray Artist;
    QByteArray Album;
    QByteArray Year;
    QByteArray Comment;
    quint8 Track = 0;
    quint8 GenreID = 255;  // 255: no genre
};

}  // namespace voxa
