#pragma once
// Makes small MP3 files: MPEG audio frames with silent (zero) data, an
// optional Xing or VBRI header, junk before the first frame, and ID3v1 and
// ID3v2 tags. Used by voxatool make-mp3 (the sample drive), the tests and
// the benchmark.
#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

namespace voxa {

struct Mp3Recipe {
    // MPEG version id as in the header: 3 MPEG 1, 2 MPEG 2, 0 MPEG 2.5.
    int VersionID = 3;
    int Layer = 3;            // 1, 2 or 3
    int SampleRate = 0;       // Hz; 0: the first rate of the version
    bool Mono = false;
    int Kbps = 128;           // the first frame's bit rate
    // Bit rates the frames after the first cycle through; empty: all Kbps.
    QList<int> VbrKbps;
    bool PadFirstFrame = false;
    int Frames = 8;
    enum VbrKind { NoVbr, Xing, Vbri } Vbr = NoVbr;
    qint64 VbrFrames = -1;    // declared counts; -1: the real ones
    qint64 VbrBytes = -1;
    quint8 VbrQuality = 50;
    QByteArray Junk;          // bytes between the ID3v2 tag and the first frame

    bool HasId3v1 = false;
    QByteArray Title, Artist, Album, Year, Comment;
    int Track = 0;            // > 0: an ID3v1.1 tag with this track
    quint8 Genre = 255;

    int Id3v2Version = 0;     // 0: none; else the major version byte (3, 4)
    QList<QPair<QByteArray, QByteArray>> Id3v2Frames;  // identifier, data
    int Id3v2Padding = 0;
    qint64 Id3v2DeclaredSize = -1;  // size field; -1: the real size

    // A text frame's data: encoding byte 0 and the text.
    static QByteArray TextFrame(const QByteArray &text);
    // A COMM frame's data: encoding 0, language "eng", empty description.
    static QByteArray CommentFrame(const QByteArray &text);
    void addText(const char *id, const QByteArray &text);
};

// The file's bytes; empty with *error set when the recipe names a bit rate or
// sample rate the version and layer do not have.
QByteArray makeMp3(const Mp3Recipe &recipe, QString *error = nullptr);

// The 4 header bytes of a frame; false when the rates do not exist.
bool makeFrameHeader(int versionId, int layer, int kbps, int sampleRate, bool padding, bool mono,
                     quint8 out[4]);

}  // namespace voxa
