#include "music/id3v1.h"
#include "music/id3v2.h"
#include "music/mp3source.h"
#include "music/mpegaudio.h"
#include "mp3testutil.h"

#include <QTemporaryDir>

#include <future>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QTest>

using namespace voxa;
using test::frameHeader;
using test::writeBytes;

namespace {

// A 128-byte ID3v1 block with the given bytes 125 and 126.
QByteArray v1Block(quint8 b125, quint8 b126, const QByteArray &comment = QByteArray(28, 'c'))
{
    QByteArray b("TAG");
    b += QByteArray("Title").leftJustified(30, ' ');
    b += QByteArray("Artist").leftJustified(30, '\0');
    b += QByteArray("Album\t\r\n").leftJustified(30, ' ');
    b += QByteArray("1999");
    b += comment.leftJustified(28, '\0').left(28);
    b += char(b125);
    b += char(b126);
    b += char(17);
    return b;
}

// A text frame's data: encoding byte 0, then the text.
QByteArray txt(const char *text)
{
    return QByteArray(1, '\0') + text;
}

QByteArray frameBytes(const char *id, const QByteArray &data)
{
    QByteArray f(id);
    const quint32 n = quint32(data.size());
    f += char(n >> 24);
    f += char(n >> 16);
    f += char(n >> 8);
    f += char(n);
    f += QByteArray(2, '\0');
    return f + data;
}

// An ID3v2 tag of the given version around the frames, its size field
// counting `declared` bytes after the header (-1: the real count).
QByteArray v2Tag(int version, const QByteArray &frames, qint64 declared = -1)
{
    const quint32 n = quint32(declared >= 0 ? declared : frames.size());
    QByteArray h("ID3");
    h += char(version);
    h += '\0';
    h += '\0';
    h += char((n >> 21) & 0x7F);
    h += char((n >> 14) & 0x7F);
    h += char((n >> 7) & 0x7F);
    h += char(n & 0x7F);
    return h + frames;
}

QByteArray audio(int kbps = 128, int frames = 6)
{
    return test::cbrFile(kbps, frames);
}

// A Xing or VBRI header inside an MPEG 1 Layer III stereo first frame.
QByteArray withVbr(QByteArray mp3, const char *id, quint32 frames, quint32 bytes, quint8 quality)
{
    auto put = [&](int at, quint32 v) {
        mp3[at] = char(v >> 24);
        mp3[at + 1] = char(v >> 16);
        mp3[at + 2] = char(v >> 8);
        mp3[at + 3] = char(v);
    };
    const int d = 36;
    mp3.replace(d, 4, id);
    if (qstrcmp(id, "Xing") == 0) {
        put(d + 8, frames);
        put(d + 12, bytes);
        mp3[d + 119] = char(quality);
    } else {
        mp3[d + 9] = char(quality);
        put(d + 10, bytes);
        put(d + 14, frames);
    }
    return mp3;
}

}  // namespace

class TestMp3Readers : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_n = 0;

    QString file(const QByteArray &bytes)
    {
        const QString p = m_dir.filePath(QStringLiteral("f%1.mp3").arg(++m_n));
        writeBytes(p, bytes);
        return p;
    }

private slots:
    // ID3v1 ----------------------------------------------------------------

    void id3v1FileOf127BytesFails()
    {
        const QString p = file(audio().left(127));
        TID3v1 tag;
        QVERIFY(!tag.ReadFromFile(p));
        QVERIFY(!tag.Exists);
        TMPEGaudio mpeg;
        QVERIFY(!mpeg.ReadFromFile(p));
        QCOMPARE(mpeg.BitRate(), quint16(0));
        QVERIFY(!mpeg.Frame.Found);
        // 128 bytes are enough to look.
        QVERIFY(tag.ReadFromFile(file(QByteArray(128, 'x'))));
        QVERIFY(!tag.Exists);
        QVERIFY(!tag.ReadFromFile(m_dir.filePath(QStringLiteral("missing.mp3"))));
    }

    void id3v1Version_data()
    {
        QTest::addColumn<int>("b125");
        QTest::addColumn<int>("b126");
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("track");
        QTest::addColumn<QByteArray>("comment");
        const QByteArray c28(28, 'c');
        QTest::newRow("zero then track 7") << 0 << 7 << 2 << 7 << c28;
        QTest::newRow("zero then zero") << 0 << 0 << 1 << 0 << c28;
        QTest::newRow("space then track") << 0x20 << 9 << 2 << 9 << c28;
        QTest::newRow("space then zero") << 0x20 << 0 << 2 << 0 << c28;
        QTest::newRow("space then space") << 0x20 << 0x20 << 1 << 0 << c28;
        QTest::newRow("letter then letter") << int('x') << int('y') << 1 << 0 << c28 + "xy";
        QTest::newRow("zero then 255") << 0 << 255 << 2 << 255 << c28;
    }

    void id3v1Version()
    {
        QFETCH(int, b125);
        QFETCH(int, b126);
        QFETCH(int, version);
        QFETCH(int, track);
        QFETCH(QByteArray, comment);
        TID3v1 tag;
        QVERIFY(tag.ReadFromFile(file(audio() + v1Block(quint8(b125), quint8(b126)))));
        QVERIFY(tag.Exists);
        QCOMPARE(int(tag.VersionID), version);
        QCOMPARE(int(tag.Track), track);
        QCOMPARE(tag.Comment, comment);
        QCOMPARE(int(tag.GenreID), 17);
    }

    void id3v1Trimming()
    {
        TID3v1 tag;
        QByteArray b = v1Block(0, 3, QByteArray("a\0b  ", 5));
        b.replace(3, 30, QByteArray(" in\0side\x01\x1f ", 12).leftJustified(30, '\0'));
        QVERIFY(tag.ReadFromFile(file(audio() + b)));
        QCOMPARE(tag.Title, QByteArray(" in\0side", 8));  // leading space and inner zero stay
        QCOMPARE(tag.Artist, QByteArray("Artist"));
        QCOMPARE(tag.Album, QByteArray("Album"));
        QCOMPARE(tag.Year, QByteArray("1999"));
        QCOMPARE(tag.Comment, QByteArray("a\0b", 3));
        QCOMPARE(int(tag.Track), 3);

        // No tag: reset values.
        QVERIFY(tag.ReadFromFile(file(audio())));
        QVERIFY(!tag.Exists);
        QCOMPARE(int(tag.VersionID), 1);
        QCOMPARE(int(tag.GenreID), 255);
        QVERIFY(tag.Title.isEmpty());
    }

    void genreTable()
    {
        QCOMPARE(int(MusicGenre.size()), 148);
        QCOMPARE(QByteArray(MusicGenre[0]), QByteArray("Blues"));
        QCOMPARE(QByteArray(MusicGenre[13]), QByteArray("Pop"));
        QCOMPARE(QByteArray(MusicGenre[67]), QByteArray("Psychadelic"));
        QCOMPARE(QByteArray(MusicGenre[85]), QByteArray("Bebob"));
        QCOMPARE(QByteArray(MusicGenre[92]), QByteArray("Progessive Rock"));
        QCOMPARE(QByteArray(MusicGenre[100]), QByteArray("Humour"));
        QCOMPARE(QByteArray(MusicGenre[125]), QByteArray("Dance Hall"));
        QCOMPARE(QByteArray(MusicGenre[144]), QByteArray("Trash Metal"));
        QCOMPARE(QByteArray(MusicGenre[147]), QByteArray("Synthpop"));
    }

    // ID3v2 ----------------------------------------------------------------

    void id3v2NeedsTenBytes()
    {
        TID3v2 tag;
        QVERIFY(!tag.ReadFromFile(file("ID3\3\0\0\0\0\0")));  // 9 bytes
        QVERIFY(tag.ReadFromFile(file(QByteArray("ID3\3\0\0\0\0\0\0", 10))));
        QVERIFY(tag.Exists);
        QCOMPARE(tag.Size, 10);
        QVERIFY(tag.ReadFromFile(file(audio())));
        QVERIFY(!tag.Exists);
        QCOMPARE(tag.Size, 0);
    }

    void id3v2Texts()
    {
        QByteArray frames = frameBytes("TIT2", QByteArray("\0  Song\0", 8))
                            + frameBytes("TPE1", QByteArray("\0Band", 5))
                            + frameBytes("TALB", QByteArray("\0First", 6))
                            + frameBytes("TALB", QByteArray("\0Second", 7))  // a later one wins
                            + frameBytes("TYER", QByteArray("\0" "2003", 5))
                            + frameBytes("TXXX", QByteArray("\0ignored", 8))
                            + frameBytes("COMM", QByteArray("\0eng\0A comment ", 15))
                            + QByteArray(40, '\0')                            // padding ends the frames
                            + frameBytes("TPE1", QByteArray("\0After padding", 14));
        TID3v2 tag;
        QVERIFY(tag.ReadFromFile(file(v2Tag(3, frames) + audio())));
        QVERIFY(tag.Exists);
        QCOMPARE(int(tag.VersionID), 3);
        QCOMPARE(tag.Size, int(frames.size()) + 10);
        QCOMPARE(tag.Title, QByteArray("Song"));
        QCOMPARE(tag.Artist, QByteArray("Band"));
        QCOMPARE(tag.Album, QByteArray("Second"));
        QCOMPARE(tag.Year, QByteArray("2003"));
        QCOMPARE(tag.Comment, QByteArray("A comment"));
    }

    void id3v2FramesStayInsideTheTag()
    {
        // The tag ends after TIT2; bytes that look like a frame behind it are audio.
        const QByteArray frames = frameBytes("TIT2", QByteArray("\0In", 3));
        TID3v2 tag;
        QVERIFY(tag.ReadFromFile(file(v2Tag(3, frames) + frameBytes("TPE1", txt("Out")) + audio())));
        QCOMPARE(tag.Title, QByteArray("In"));
        QVERIFY(tag.Artist.isEmpty());
    }

    void id3v2Version4IsSizedButNotRead()
    {
        // The tag body holds a pair of 64 kbit/s headers; the audio is 128.
        const QByteArray decoy = frameHeader(3, 3, 64) + QByteArray(208 - 4, '\0') + frameHeader(3, 3, 64);
        const QByteArray body = frameBytes("TIT2", txt("Four")) + decoy + QByteArray(16, '\0');
        const QString p = file(v2Tag(4, body) + audio(128));
        TID3v2 tag;
        QVERIFY(tag.ReadFromFile(p));
        QVERIFY(tag.Exists);
        QCOMPARE(int(tag.VersionID), 4);
        QCOMPARE(tag.Size, int(body.size()) + 10);
        QVERIFY(tag.Title.isEmpty());
        TMPEGaudio mpeg;
        QVERIFY(mpeg.ReadFromFile(p));
        QCOMPARE(mpeg.BitRate(), quint16(128));
        QCOMPARE(mpeg.Frame.Position, 0);
    }

    void id3v2ClaimingMoreThanTheFile()
    {
        const QByteArray frames = frameBytes("TIT2", txt("Big"));
        const QByteArray tagBytes = v2Tag(3, frames, 1 << 20);
        const QString p = file(tagBytes + audio());
        TID3v2 tag;
        QVERIFY(tag.ReadFromFile(p));
        QVERIFY(tag.Exists);
        QCOMPARE(tag.Size, 0);
        QVERIFY(tag.Title.isEmpty());
        // The audio search starts at the file's first byte.
        TMPEGaudio mpeg;
        QVERIFY(mpeg.ReadFromFile(p));
        QVERIFY(mpeg.Frame.Found);
        QCOMPARE(mpeg.Frame.Position, int(tagBytes.size()));

        // Exactly the file's size is not more than it holds.
        const QByteArray exact = v2Tag(3, frames, frames.size());
        QVERIFY(tag.ReadFromFile(file(exact)));
        QCOMPARE(tag.Size, int(exact.size()));
        QCOMPARE(tag.Title, QByteArray("Big"));
    }

    void id3v2Track_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("track");
        QTest::newRow("5/12") << QByteArray("5/12") << 5;
        QTest::newRow("300") << QByteArray("300") << 0;
        QTest::newRow("x") << QByteArray("x") << 0;
        QTest::newRow("7") << QByteArray("7") << 7;
        QTest::newRow("255") << QByteArray("255") << 255;
        QTest::newRow("256/256") << QByteArray("256/256") << 0;
        QTest::newRow("spaces") << QByteArray("  9  ") << 9;
        QTest::newRow("slash first") << QByteArray("/3") << 0;
        QTest::newRow("empty") << QByteArray() << 0;
        QTest::newRow("negative") << QByteArray("-1") << 0;
        QTest::newRow("digits then text") << QByteArray("3a") << 0;
        QTest::newRow("very long") << QByteArray("99999999999999999999") << 0;
    }

    void id3v2Track()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, track);
        QCOMPARE(int(TID3v2::TrackFromText(text)), track);
        TID3v2 tag;
        QVERIFY(tag.ReadFromFile(file(v2Tag(3, frameBytes("TRCK", '\0' + text)) + audio())));
        QCOMPARE(int(tag.Track), track);
    }

    void id3v2Genre_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("genre");
        QTest::newRow("(13)") << QByteArray("(13)") << QByteArray();
        QTest::newRow("Pop") << QByteArray("Pop") << QByteArray("Pop");
        QTest::newRow("(17)Rock") << QByteArray("(17)Rock") << QByteArray("Rock");
        QTest::newRow("two refinements") << QByteArray("(1)(2)Jazz") << QByteArray("Jazz");
        QTest::newRow("spaces") << QByteArray("  Pop  ") << QByteArray("Pop");
        QTest::newRow("after bracket kept as is") << QByteArray("(9) Metal") << QByteArray(" Metal");
    }

    void id3v2Genre()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, genre);
        TID3v2 tag;
        QVERIFY(tag.ReadFromFile(file(v2Tag(3, frameBytes("TCON", '\0' + text)) + audio())));
        QCOMPARE(tag.Genre, genre);
    }

    void id3v2LongTitleGivesTheFirst250Bytes()
    {
        QByteArray data(300, '\0');
        for (int i = 1; i < 300; ++i)
            data[i] = char('a' + i % 26);
        TID3v2 tag;
        QVERIFY(tag.ReadFromFile(file(v2Tag(3, frameBytes("TIT2", data) + frameBytes("TPE1", txt("Next"))) + audio())));
        QCOMPARE(tag.Title, data.mid(1, 249));
        QCOMPARE(tag.Artist, QByteArray("Next"));  // the reader went on after the whole frame
    }

    void id3v2BrokenFramesKeepWhatWasRead()
    {
        // A data size beyond a signed 32-bit number ends the frames.
        QByteArray huge = frameBytes("TPE1", txt("Lost"));
        huge[4] = char(0x80);
        QByteArray frames = frameBytes("TIT2", txt("Kept")) + huge;
        TID3v2 tag;
        QVERIFY(tag.ReadFromFile(file(v2Tag(3, frames) + audio())));
        QCOMPARE(tag.Title, QByteArray("Kept"));
        QVERIFY(tag.Artist.isEmpty());

        // A file that ends inside a frame's data (the tag itself fits).
        frames = frameBytes("TIT2", txt("Kept")) + frameBytes("TPE1", QByteArray("\0Cut short", 10));
        QVERIFY(tag.ReadFromFile(file(v2Tag(3, frames, frames.size() - 3).chopped(3))));
        QCOMPARE(tag.Size, int(frames.size()) + 7);
        QCOMPARE(tag.Title, QByteArray("Kept"));
        QVERIFY(tag.Artist.isEmpty());
    }

    // MPEG audio -----------------------------------------------------------

    void headerCheck_data()
    {
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<bool>("valid");
        QTest::newRow("MPEG 1 Layer III") << QByteArray("\xFF\xFB\x90\x44") << true;
        QTest::newRow("MPEG 2 Layer III") << QByteArray("\xFF\xF3\x80\xC4") << true;
        QTest::newRow("MPEG 2.5 Layer III") << QByteArray("\xFF\xE3\x40\xC4") << true;
        QTest::newRow("sync too short") << QByteArray("\xFF\xDB\x90\x44") << false;
        QTest::newRow("first byte") << QByteArray("\xFE\xFB\x90\x44") << false;
        QTest::newRow("reserved version") << QByteArray("\xFF\xEB\x90\x44") << false;
        QTest::newRow("reserved layer") << QByteArray("\xFF\xF9\x90\x44") << false;
        QTest::newRow("free format") << QByteArray("\xFF\xFB\x0F\x44") << false;
        QTest::newRow("bit-rate index 15") << QByteArray("\xFF\xFB\xF0\x44") << false;
        QTest::newRow("lowest bit rate") << QByteArray("\xFF\xFB\x10\x44") << true;
        QTest::newRow("highest bit rate") << QByteArray("\xFF\xFB\xEF\x44") << false;  // sample-rate bits 3
        QTest::newRow("index 14, rate 0") << QByteArray("\xFF\xFB\xE0\x44") << true;
        QTest::newRow("reserved sample rate") << QByteArray("\xFF\xFB\x9C\x44") << false;
        QTest::newRow("reserved emphasis") << QByteArray("\xFF\xFB\x90\x46") << false;
        QTest::newRow("emphasis 3") << QByteArray("\xFF\xFB\x90\x47") << true;
    }

    void headerCheck()
    {
        QFETCH(QByteArray, header);
        QFETCH(bool, valid);
        QCOMPARE(TMPEGaudio::IsFrameHeader(reinterpret_cast<const quint8 *>(header.constData())), valid);
    }

    void headerDecoding()
    {
        const quint8 h[4] = {0xFF, 0xFA, 0x93, 0x6D};
        const FrameData f = TMPEGaudio::DecodeHeader(h);
        QCOMPARE(int(f.VersionID), 3);
        QCOMPARE(int(f.LayerID), 1);
        QVERIFY(f.ProtectionBit);  // bit 0 clear: a CRC follows
        QCOMPARE(int(f.BitRateID), 9);
        QCOMPARE(int(f.SampleRateID), 0);
        QVERIFY(f.PaddingBit);
        QVERIFY(f.PrivateBit);
        QCOMPARE(int(f.ModeID), 1);
        QCOMPARE(int(f.ModeExtensionID), 2);
        QVERIFY(f.CopyrightBit);
        QVERIFY(f.OriginalBit);
        QCOMPARE(int(f.EmphasisID), 1);
        QCOMPARE(TMPEGaudio::BitRateKbps(f), 128);
        QCOMPARE(TMPEGaudio::SampleRate(f), 44100);
        QCOMPARE(TMPEGaudio::FrameLength(f), 418);
    }

    void frameLength_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("layer");
        QTest::addColumn<int>("kbps");
        QTest::addColumn<int>("rate");
        QTest::addColumn<bool>("padding");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("vbrOffset");
        QTest::newRow("MPEG 1 III 128 44100") << 3 << 3 << 128 << 44100 << false << 417 << 36;
        QTest::newRow("MPEG 1 III 128 44100 padded") << 3 << 3 << 128 << 44100 << true << 418 << 36;
        QTest::newRow("MPEG 1 III 320 32000") << 3 << 3 << 320 << 32000 << false << 1440 << 36;
        QTest::newRow("MPEG 1 II 384 32000 padded") << 3 << 2 << 384 << 32000 << true << 1729 << 36;
        QTest::newRow("MPEG 1 I 448 32000 padded") << 3 << 1 << 448 << 32000 << true << 676 << 36;
        QTest::newRow("MPEG 2 III 64 22050") << 2 << 3 << 64 << 22050 << false << 208 << 21;
        QTest::newRow("MPEG 2 III 160 16000 padded") << 2 << 3 << 160 << 16000 << true << 721 << 21;
        // Layer II frames hold 1152 samples in every version: 144, not 72.
        QTest::newRow("MPEG 2 II 64 24000") << 2 << 2 << 64 << 24000 << false << 384 << 21;
        QTest::newRow("MPEG 2 II 160 16000 padded") << 2 << 2 << 160 << 16000 << true << 1441 << 21;
        QTest::newRow("MPEG 2.5 II 8 8000") << 0 << 2 << 8 << 8000 << false << 144 << 21;
        // Layer I frames hold 384 samples in every version, counted in
        // 4-byte slots.
        QTest::newRow("MPEG 2 I 256 16000 padded") << 2 << 1 << 256 << 16000 << true << 772 << 21;
        QTest::newRow("MPEG 1 I 32 44100 slots") << 3 << 1 << 32 << 44100 << false << 32 << 36;
        QTest::newRow("MPEG 1 I 416 44100 padded") << 3 << 1 << 416 << 44100 << true << 456 << 36;
        QTest::newRow("MPEG 2.5 III 32 11025") << 0 << 3 << 32 << 11025 << false << 208 << 21;
        QTest::newRow("MPEG 2.5 III 8 8000 padded") << 0 << 3 << 8 << 8000 << true << 73 << 21;
    }

    void frameLength()
    {
        QFETCH(int, version);
        QFETCH(int, layer);
        QFETCH(int, kbps);
        QFETCH(int, rate);
        QFETCH(bool, padding);
        QFETCH(int, length);
        QFETCH(int, vbrOffset);
        quint8 h[4];
        QVERIFY(makeFrameHeader(version, layer, kbps, rate, padding, false, h));
        const FrameData f = TMPEGaudio::DecodeHeader(h);
        QCOMPARE(TMPEGaudio::FrameLength(f), length);
        QCOMPARE(TMPEGaudio::VBROffset(f), vbrOffset);
        QVERIFY(makeFrameHeader(version, layer, kbps, rate, padding, true, h));
        QCOMPARE(TMPEGaudio::VBROffset(TMPEGaudio::DecodeHeader(h)), version == 3 ? 21 : 13);
    }

    void resetValues()
    {
        TMPEGaudio mpeg;
        QVERIFY(mpeg.ReadFromFile(file(audio())));
        QVERIFY(mpeg.Frame.Found);
        mpeg.ResetData();
        const FrameData &f = mpeg.Frame;
        QVERIFY(!f.Found);
        QCOMPARE(f.Position, 0);
        QCOMPARE(int(f.Size), 0);
        QCOMPARE(int(f.VersionID), 1);
        QCOMPARE(int(f.LayerID), 0);
        QCOMPARE(int(f.BitRateID), 0);
        QCOMPARE(int(f.SampleRateID), 3);
        QCOMPARE(int(f.ModeID), 4);
        QCOMPARE(int(f.ModeExtensionID), 4);
        QCOMPARE(int(f.EmphasisID), 2);
        QVERIFY(!f.PaddingBit && !f.ProtectionBit && !f.CopyrightBit && !f.OriginalBit && !f.PrivateBit);
        QVERIFY(!mpeg.VBR.Found);
        QCOMPARE(mpeg.FileLength, 0);
        QCOMPARE(mpeg.BitRate(), quint16(0));
    }

    void constantBitRate_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("kbps");
        QTest::addColumn<bool>("pad");
        QTest::addColumn<int>("length");
        QTest::newRow("MPEG 1 128") << 3 << 128 << false << 417;
        QTest::newRow("MPEG 1 128 padded") << 3 << 128 << true << 418;
        QTest::newRow("MPEG 2 64") << 2 << 64 << false << 208;
        QTest::newRow("MPEG 2.5 32") << 0 << 32 << false << 208;
        QTest::newRow("MPEG 2.5 8") << 0 << 8 << false << 52;
    }

    void constantBitRate()
    {
        QFETCH(int, version);
        QFETCH(int, kbps);
        QFETCH(bool, pad);
        QFETCH(int, length);
        Mp3Recipe r;
        r.VersionID = version;
        r.Kbps = kbps;
        r.PadFirstFrame = pad;
        r.Frames = 10;
        r.HasId3v1 = true;
        r.Title = "t";
        r.addText("TIT2", "Two");
        r.Id3v2Version = 3;
        const QByteArray bytes = makeMp3(r);
        TMPEGaudio mpeg;
        QVERIFY(mpeg.ReadFromFile(file(bytes)));
        QVERIFY(mpeg.Frame.Found);
        QCOMPARE(mpeg.Frame.Position, 0);
        QCOMPARE(int(mpeg.Frame.Size), length);
        QCOMPARE(int(mpeg.Frame.VersionID), version);
        QCOMPARE(int(mpeg.BitRate()), kbps);
        QCOMPARE(mpeg.FileLength, bytes.size());
        QVERIFY(!mpeg.VBR.Found);
        // The owned tag readers were filled by the same read.
        QCOMPARE(mpeg.ID3v1().Title, QByteArray("t"));
        QCOMPARE(mpeg.ID3v2().Title, QByteArray("Two"));
    }

    void xingHeader_data()
    {
        QTest::addColumn<quint32>("frames");
        QTest::addColumn<quint32>("bytes");
        QTest::addColumn<int>("firstKbps");
        QTest::addColumn<int>("kbps");
        QTest::newRow("example: 1000 frames, 417960 bytes") << 1000u << 417960u << 160 << 128;
        QTest::newRow("average 127") << 1000u << 414694u << 128 << 127;
        QTest::newRow("frame count 0: first frame") << 0u << 417960u << 160 << 160;
        QTest::newRow("no bytes") << 10u << 0u << 128 << 0;
    }

    void xingHeader()
    {
        QFETCH(quint32, frames);
        QFETCH(quint32, bytes);
        QFETCH(int, firstKbps);
        QFETCH(int, kbps);
        TMPEGaudio mpeg;
        QVERIFY(mpeg.ReadFromFile(file(withVbr(audio(firstKbps), "Xing", frames, bytes, 77))));
        QVERIFY(mpeg.VBR.Found);
        QCOMPARE(QByteArray(mpeg.VBR.ID, 4), QByteArray("Xing"));
        QCOMPARE(mpeg.VBR.Frames, qint32(frames));
        QCOMPARE(mpeg.VBR.Bytes, qint32(bytes));
        QCOMPARE(int(mpeg.VBR.Quality), 77);
        QCOMPARE(int(mpeg.BitRate()), kbps);
    }

    void halvesRoundToEven_data()
    {
        QTest::addColumn<quint32>("bytes");
        QTest::addColumn<int>("kbps");
        // 48000 Hz: kbit/s = bytes per frame / 3.
        QTest::newRow("128.5") << 771u << 128;
        QTest::newRow("129.5") << 777u << 130;
        QTest::newRow("129.33") << 776u << 129;
    }

    void halvesRoundToEven()
    {
        QFETCH(quint32, bytes);
        QFETCH(int, kbps);
        Mp3Recipe r;
        r.SampleRate = 48000;
        r.Vbr = Mp3Recipe::Xing;
        r.VbrFrames = 2;
        r.VbrBytes = bytes;
        TMPEGaudio mpeg;
        QVERIFY(mpeg.ReadFromFile(file(makeMp3(r))));
        QCOMPARE(int(mpeg.BitRate()), kbps);
    }

    void vbrCountsBeyond32Bits()
    {
        TMPEGaudio mpeg;
        QVERIFY(!mpeg.ReadFromFile(file(withVbr(audio(), "Xing", 0x80000000u, 1000, 0))));
        QVERIFY(!mpeg.Frame.Found);
        QCOMPARE(mpeg.BitRate(), quint16(0));
        QVERIFY(!mpeg.ReadFromFile(file(withVbr(audio(), "VBRI", 10, 0xFFFFFFFFu, 0))));
        QCOMPARE(mpeg.BitRate(), quint16(0));
    }

    void vbriHeader()
    {
        TMPEGaudio mpeg;
        QVERIFY(mpeg.ReadFromFile(file(withVbr(audio(160), "VBRI", 1000, 417960, 33))));
        QVERIFY(mpeg.VBR.Found);
        QCOMPARE(QByteArray(mpeg.VBR.ID, 4), QByteArray("VBRI"));
        QCOMPARE(mpeg.VBR.Frames, 1000);
        QCOMPARE(mpeg.VBR.Bytes, 417960);
        QCOMPARE(int(mpeg.VBR.Quality), 33);
        QCOMPARE(int(mpeg.BitRate()), 128);
    }

    void vbrHeadersOfOtherVersions()
    {
        // MPEG 2 mono: the header sits 13 bytes into the frame.
        Mp3Recipe r;
        r.VersionID = 2;
        r.Mono = true;
        r.Kbps = 64;
        r.VbrKbps = {32, 96};
        r.Frames = 21;
        r.Vbr = Mp3Recipe::Xing;
        const QByteArray bytes = makeMp3(r);
        QCOMPARE(bytes.mid(13, 4), QByteArray("Xing"));
        TMPEGaudio mpeg;
        QVERIFY(mpeg.ReadFromFile(file(bytes)));
        QVERIFY(mpeg.VBR.Found);
        QCOMPARE(mpeg.VBR.Frames, 21);
        // (bytes / frames) * 22050 / 72 / 1000
        const double expected = double(bytes.size()) / 21 * 22050 / 72 / 1000;
        QCOMPARE(int(mpeg.BitRate()), qRound(expected));

        // A header at the stereo offset of a mono file is not looked at.
        r.Mono = false;
        QByteArray moved = makeMp3(r);
        moved.replace(21, 4, "Junk");
        TMPEGaudio other;
        QVERIFY(other.ReadFromFile(file(moved)));
        QVERIFY(!other.VBR.Found);
        QCOMPARE(int(other.BitRate()), 64);
    }

    void realLayerTwoAndOneFiles_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("layer");
        QTest::addColumn<int>("kbps");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("length");  // as encoders write them
        QTest::newRow("MPEG 2 Layer II 64 kbit/s 24000 Hz") << 2 << 2 << 64 << 24000 << 384;
        QTest::newRow("MPEG 2 Layer II 160 kbit/s 22050 Hz") << 2 << 2 << 160 << 22050 << 1044;
        QTest::newRow("MPEG 2.5 Layer II 32 kbit/s 11025 Hz") << 0 << 2 << 32 << 11025 << 417;
        QTest::newRow("MPEG 2 Layer I 128 kbit/s 22050 Hz") << 2 << 1 << 128 << 22050 << 276;
        QTest::newRow("MPEG 1 Layer I 192 kbit/s 44100 Hz") << 3 << 1 << 192 << 44100 << 208;
    }
    void realLayerTwoAndOneFiles()
    {
        // Frames laid out at the lengths real streams use, independent of
        // the reader's own arithmetic: the bit rate comes out, not 0.
        QFETCH(int, version);
        QFETCH(int, layer);
        QFETCH(int, kbps);
        QFETCH(int, rate);
        QFETCH(int, length);
        QByteArray bytes;
        for (int i = 0; i < 6; ++i)
            bytes += frameHeader(version, layer, kbps, rate) + QByteArray(length - 4, '\0');
        TMPEGaudio mpeg;
        QVERIFY(mpeg.ReadFromFile(file(bytes)));
        QVERIFY(mpeg.Frame.Found);
        QCOMPARE(int(mpeg.Frame.Size), length);
        QCOMPARE(int(mpeg.BitRate()), kbps);
    }

    void vbriSitsAt36InEveryMode_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<bool>("mono");
        QTest::addColumn<int>("kbps");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("coefficient");
        QTest::newRow("MPEG 1 mono") << 3 << true << 128 << 44100 << 144;
        QTest::newRow("MPEG 2 stereo") << 2 << false << 64 << 22050 << 72;
        QTest::newRow("MPEG 2 mono") << 2 << true << 64 << 22050 << 72;
        QTest::newRow("MPEG 2.5 stereo") << 0 << false << 32 << 11025 << 72;
    }
    void vbriSitsAt36InEveryMode()
    {
        // Built by hand: VBRI 36 bytes into the first frame, where
        // encoders put it whatever the Xing offset of the mode.
        QFETCH(int, version);
        QFETCH(bool, mono);
        QFETCH(int, kbps);
        QFETCH(int, rate);
        QFETCH(int, coefficient);
        const int length = coefficient * kbps * 1000 / rate;
        QByteArray bytes;
        for (int i = 0; i < 30; ++i)
            bytes += frameHeader(version, 3, kbps, rate, false, mono) + QByteArray(length - 4, '\0');
        // 30 frames averaging 1.5 times the first frame's length.
        bytes = withVbr(bytes, "VBRI", 30, quint32(30 * length * 3 / 2), 60);
        QCOMPARE(bytes.mid(36, 4), QByteArray("VBRI"));
        TMPEGaudio mpeg;
        QVERIFY(mpeg.ReadFromFile(file(bytes)));
        QVERIFY(mpeg.VBR.Found);
        QCOMPARE(QByteArray(mpeg.VBR.ID, 4), QByteArray("VBRI"));
        QCOMPARE(mpeg.VBR.Frames, 30);
        QCOMPARE(int(mpeg.VBR.Quality), 60);
        const double expected = double(30 * length * 3 / 2) / 30 * rate / coefficient / 1000;
        QCOMPARE(int(mpeg.BitRate()), qRound(expected));
        QVERIFY(int(mpeg.BitRate()) != kbps);

        // Xing keeps its offset: at 36 in a mono or MPEG 2 frame it is not
        // a header.
        TMPEGaudio other;
        QVERIFY(other.ReadFromFile(file(withVbr(bytes, "Xing", 30, quint32(30 * length * 3 / 2), 60))));
        QVERIFY(!other.VBR.Found);
        QCOMPARE(int(other.BitRate()), kbps);
    }

    void bitRateOnlyReadAgrees()
    {
        // The finder's bit-rate search skips the tag texts; the bit rate
        // must be the one the full read gives, whatever the tags.
        QList<QByteArray> files;
        Mp3Recipe r;
        r.Id3v2Version = 3;
        r.addText("TIT2", "t");
        r.Id3v2Frames.append({"APIC", QByteArray(20000, 'p')});
        r.Id3v2Padding = 1000;
        r.Vbr = Mp3Recipe::Xing;
        r.VbrKbps = {64, 192};
        r.Frames = 30;
        files << makeMp3(r);
        r.Id3v2Version = 4;
        r.HasId3v1 = true;
        files << makeMp3(r);
        files << audio(96).left(127) << QByteArray(128, 'x') << audio(320);
        for (const QByteArray &bytes : files) {
            const QString p = file(bytes);
            TMPEGaudio full, quick;
            const bool fullOk = full.ReadFromFile(p);
            music::Mp3Source source(QFile::encodeName(p).constData());
            QCOMPARE(quick.ReadFrom(source, false), fullOk);
            QCOMPARE(quick.BitRate(), full.BitRate());
            QCOMPARE(quick.Frame.Position, full.Frame.Position);
        }
    }

    void namedPipeNeverBlocks()
    {
        // A FIFO named like an MP3 file: opening it for reading would wait
        // for a writer for ever. Run the readers on a worker and give them
        // five seconds; open the writing end only to free a hung worker.
        const QString fifo = m_dir.filePath(QStringLiteral("pipe.mp3"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
        auto result = std::async(std::launch::async, [&] {
            TMPEGaudio mpeg;
            TID3v1 v1;
            TID3v2 v2;
            return !mpeg.ReadFromFile(fifo) && !v1.ReadFromFile(fifo) && !v2.ReadFromFile(fifo)
                   && mpeg.BitRate() == 0;
        });
        const bool ended = result.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
        if (!ended) {
            const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
        }
        QVERIFY2(ended, "reading a named pipe blocked");
        QVERIFY(result.get());
    }

    void junkAndALoneFalseHeader()
    {
        QByteArray junk(1000, 'j');
        junk.replace(5, 4, frameHeader(3, 3, 128));       // nothing 417 bytes later
        junk.replace(700, 4, frameHeader(3, 3, 64, 0));    // 208 bytes later: still junk
        const QString p = file(junk + audio(192));
        TMPEGaudio mpeg;
        QVERIFY(mpeg.ReadFromFile(p));
        QVERIFY(mpeg.Frame.Found);
        QCOMPARE(mpeg.Frame.Position, 1000);
        QCOMPARE(int(mpeg.BitRate()), 192);
    }

    void secondHeaderMustLieInsideTheWindow()
    {
        // MPEG 1 Layer II, 384 kbit/s, 32000 Hz, padded: 1729 bytes a frame.
        Mp3Recipe r;
        r.Layer = 2;
        r.Kbps = 384;
        r.SampleRate = 32000;
        r.PadFirstFrame = true;
        r.Frames = 1;
        QByteArray frame = makeMp3(r);
        QCOMPARE(frame.size(), 1729);
        QByteArray pair = frame + frame;

        // At position 1729 the second header would start at 3458: outside.
        TMPEGaudio mpeg;
        QVERIFY(mpeg.ReadFromFile(file(QByteArray(1729, 'j') + pair)));
        QVERIFY(!mpeg.Frame.Found);
        QCOMPARE(mpeg.BitRate(), quint16(0));
        // At 1725 it ends exactly at the window's end.
        QVERIFY(mpeg.ReadFromFile(file(QByteArray(1725, 'j') + pair)));
        QVERIFY(mpeg.Frame.Found);
        QCOMPARE(mpeg.Frame.Position, 1725);
        QCOMPARE(int(mpeg.Frame.Size), 1729);
    }

    void secondWindowInTheMiddle()
    {
        // 20000 bytes of junk, frames from 9000 on: the middle window finds them.
        QByteArray bytes(20000, 'j');
        const QByteArray frames = audio(96, 20);
        bytes.replace(9000, frames.size(), frames);
        TMPEGaudio mpeg;
        QVERIFY(mpeg.ReadFromFile(file(bytes)));
        QVERIFY(mpeg.Frame.Found);
        QCOMPARE(int(mpeg.BitRate()), 96);
        // The window starts at (length - tag size) / 2 = 10000; the frames
        // lie every 313 bytes from 9000 on.
        QCOMPARE(mpeg.Frame.Position, 9000 + 4 * 313 - 10000);

        // With an ID3v2 tag the window starts at (length - tag size) / 2
        // counted from the file's start: 8995 here.
        const QByteArray tag = v2Tag(3, frameBytes("TIT2", txt("x")) + QByteArray(1988, '\0'));
        QCOMPARE(tag.size(), 2010);
        QByteArray tagged = tag + QByteArray(20000 - 2010, 'j');
        tagged.replace(9000, frames.size(), frames);
        QVERIFY(mpeg.ReadFromFile(file(tagged)));
        QVERIFY(mpeg.Frame.Found);
        QCOMPARE(mpeg.Frame.Position, 9000 - (20000 - 2010) / 2);
    }

    void noSecondWindowAfterAShortRead()
    {
        // Junk shorter than a window, then nothing: the frames further on
        // would only be found by a second look, which a short read rules out.
        TMPEGaudio mpeg;
        QVERIFY(mpeg.ReadFromFile(file(QByteArray(3000, 'j') + frameHeader(3, 3, 128))));
        QVERIFY(!mpeg.Frame.Found);
    }

    void noFrameResetsTheTagReadersToo()
    {
        Mp3Recipe r;
        r.Frames = 1;  // a lone frame has no second header
        r.HasId3v1 = true;
        r.Title = "Lonely";
        TMPEGaudio mpeg;
        QVERIFY(mpeg.ReadFromFile(file(makeMp3(r))));
        QVERIFY(!mpeg.Frame.Found);
        QVERIFY(!mpeg.ID3v1().Exists);
        QVERIFY(mpeg.ID3v1().Title.isEmpty());
        QCOMPARE(mpeg.BitRate(), quint16(0));
        // On its own the tag reader still sees the tag.
        TID3v1 tag;
        QVERIFY(tag.ReadFromFile(file(makeMp3(r))));
        QCOMPARE(tag.Title, QByteArray("Lonely"));
    }

    void unreadableFiles()
    {
        TMPEGaudio mpeg;
        QVERIFY(!mpeg.ReadFromFile(m_dir.filePath(QStringLiteral("missing.mp3"))));
        QVERIFY(!mpeg.ReadFromFile(m_dir.path()));  // a folder
        QCOMPARE(mpeg.BitRate(), quint16(0));
        TID3v2 tag;
        QVERIFY(!tag.ReadFromFile(m_dir.path()));
    }
};

QTEST_GUILESS_MAIN(TestMp3Readers)
#include "test_mp3readers.moc"
