#pragma once
// The ID3 version 2 tag at the start of an MP3 file.
//
// Header, 10 bytes: "ID3", major version, revision, flags, and the size of
// what follows as four bytes of which the reader takes each byte whole
// (b6 * 2097152 + b7 * 16384 + b8 * 128 + b9). Frames (version 2.3 only):
// a 4-character identifier, a 4-byte big-endian data size, 2 flag bytes,
// then the data. Only the first 250 bytes of a frame's data are looked at;
// encodings, unsynchronisation, compression and frame flags are not handled.
// Texts are bytes; no character-set conversion.
#include <QByteArray>
#include <QString>

namespace voxa {

namespace music {
class Mp3Source;
}

class TID3v2 {
public:
    TID3v2() { ResetData(); }

    void ResetData();
    // False when the file cannot be opened or read, or holds fewer than 10
    // bytes; true otherwise, tag or not. Text frames are read for version
    // 2.3 only; other versions leave the texts empty but are still sized.
    bool ReadFromFile(const QString &fileName);
    // Without frames only the header is read: presence, version and size.
    bool ReadFrom(music::Mp3Source &file, bool frames = true);

    bool Exists = false;
    quint8 VersionID = 0;
    // The whole tag with its header, in bytes; 0 when it claims more bytes
    // than the file holds.
    qint32 Size = 0;
    QByteArray Title;
    QByteArray Artist;
    QByteArray Album;
    quint8 Track = 0;
    QByteArray Year;
    QByteArray Genre;
    QByteArray Comment;

    // The frames the reader keeps, in the order of its work record.
    static constexpr int FrameCount = 7;
    static const char *const Frames[FrameCount];  // TIT2 TPE1 TALB TRCK TYER TCON COMM
    static constexpr int FrameTextSize = 250;

    // The track number of a TRCK text: the trimmed text up to the first "/",
    // as a decimal number, 0 when it is none or lies outside 0-255.
    static quint8 TrackFromText(const QByteArray &text);
    // The genre of a TCON text: trimmed, and without everything up to and
    // including the last ")".
    static QByteArray GenreFromText(const QByteArray &text);
};

}  // namespace voxa
