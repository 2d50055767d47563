#include "music/id3v2.h"

#include "music/mp3source.h"

#include <array>
#include <cstring>

namespace voxa {

const char *const TID3v2::Frames[TID3v2::FrameCount] = {"TIT2", "TPE1", "TALB", "TRCK",
                                                         "TYER", "TCON", "COMM"};

namespace {

// The work record filled while reading.
struct TagInfo {
    char ID[3] = {};
    quint8 Version = 0;
    quint8 Revision = 0;
    quint8 Flags = 0;
    quint8 Size[4] = {};
    qint64 FileSize = 0;
    std::array<QByteArray, TID3v2::FrameCount> FrameText;
};

// Without leading and trailing characters of code 32 or below.
QByteArray trimmed(const QByteArray &text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && quint8(text[b]) <= 32)
        ++b;
    while (e > b && quint8(text[e - 1]) <= 32)
        --e;
    return text.mid(b, e - b);
}

void readFrames(music::Mp3Source &file, qint64 tagSize, TagInfo &tag)
{
    qint64 pos = 10;
    while (pos < tagSize && pos < file.size()) {
        char header[10];
        if (file.readAt(pos, header, 10) != 10)
            return;
        if (header[0] < 'A' || header[0] > 'Z')
            return;
        const quint32 size = music::bigEndian32(header + 4);
        if (size > 0x7FFFFFFFu)
            return;
        char data[TID3v2::FrameTextSize] = {};
        const qint64 want = std::min<qint64>(size, TID3v2::FrameTextSize);
        if (file.readAt(pos + 10, data, want) != want)
            return;
        for (int i = 0; i < TID3v2::FrameCount; ++i)
            if (std::memcmp(header, TID3v2::Frames[i], 4) == 0)
                tag.FrameText[size_t(i)] = QByteArray(data, TID3v2::FrameTextSize);
        pos += 10 + qint64(size);
    }
}

}  // namespace

void TID3v2::ResetData()
{
    Exists = false;
    VersionID = 0;
    Size = 0;
    Title.clear();
    Artist.clear();
    Album.clear();
    Track = 0;
    Year.clear();
    Genre.clear();
    Comment.clear();
}

quint8 TID3v2::TrackFromText(const QByteArray &text)
{
    QByteArray t = trimmed(text);
    const qsizetype slash = t.indexOf('/');
    if (slash >= 0)
        t.truncate(slash);
    qsizetype i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-'))
        ++i;
    if (i == t.size())
        return 0;
    const bool negative = t[0] == '-';
    int value = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9')
            return 0;
        value = value * 10 + (t[i] - '0');
        if (value > 255)
            return 0;
    }
    return negative ? 0 : quint8(value);
}

QByteArray TID3v2::GenreFromText(const QByteArray &text)
{
    QByteArray g = trimmed(text);
    const qsizetype close = g.lastIndexOf(')');
    if (close >= 0)
        g.remove(0, close + 1);
    return g;
}

bool TID3v2::ReadFromFile(const QString &fileName)
{
    music::Mp3Source file(fileName);
    return ReadFrom(file);
}

bool TID3v2::ReadFrom(music::Mp3Source &file, bool frames)
{
    ResetData();
    if (!file.isOpen() || file.size() < 10)
        return false;
    char h[10];
    if (file.readAt(0, h, 10) != 10)
        return false;
    TagInfo tag;
    std::memcpy(tag.ID, h, 3);
    tag.Version = quint8(h[3]);
    tag.Revision = quint8(h[4]);
    tag.Flags = quint8(h[5]);
    std::memcpy(tag.Size, h + 6, 4);
    tag.FileSize = file.size();
    if (std::memcmp(tag.ID, "ID3", 3) != 0)
        return true;

    Exists = true;
    VersionID = tag.Version;
    const qint64 size = qint64(tag.Size[0]) * 2097152 + qint64(tag.Size[1]) * 16384
                        + qint64(tag.Size[2]) * 128 + qint64(tag.Size[3]) + 10;
    Size = size > tag.FileSize ? 0 : qint32(size);
    if (VersionID != 3 || Size <= 0 || !frames)
        return true;

    readFrames(file, Size, tag);
    Title = trimmed(tag.FrameText[0]);
    Artist = trimmed(tag.FrameText[1]);
    Album = trimmed(tag.FrameText[2]);
    Track = TrackFromText(tag.FrameText[3]);
    Year = trimmed(tag.FrameText[4]);
    Genre = GenreFromText(tag.FrameText[5]);
    Comment = trimmed(tag.FrameText[6].mid(4));
    return true;
}

}  // namespace voxa
