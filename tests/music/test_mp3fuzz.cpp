// Thousands of damaged files through the readers: truncated, bit-flipped,
// with absurd sizes and counts, and plain garbage. None may crash, read
// outside the file or report values the formats cannot hold.
#include "music/id3v1.h"
#include "music/id3v2.h"
#include "music/mpegaudio.h"
#include "mp3testutil.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace voxa;

namespace {

QList<QByteArray> seeds()
{
    QList<QByteArray> out;
    Mp3Recipe r;
    r.Frames = 6;
    out << makeMp3(r);
    r.HasId3v1 = true;
    r.Title = "Title";
    r.Artist = "Artist";
    r.Album = "Album";
    r.Track = 3;
    r.Id3v2Version = 3;
    r.addText("TIT2", "Title");
    r.addText("TRCK", "5/12");
    r.addText("TCON", "(13)Pop");
    r.addText("COMM", "Comment");
    r.Id3v2Padding = 64;
    out << makeMp3(r);
    r.Vbr = Mp3Recipe::Xing;
    r.VbrKbps = {96, 160};
    r.Frames = 12;
    out << makeMp3(r);
    r.Vbr = Mp3Recipe::Vbri;
    r.VersionID = 2;
    r.Kbps = 64;
    r.VbrKbps = {32, 80};
    out << makeMp3(r);
    Mp3Recipe m;
    m.VersionID = 0;
    m.Kbps = 32;
    m.Mono = true;
    m.Junk = QByteArray(900, 'j');
    m.Id3v2Version = 4;
    m.addText("TIT2", "Four");
    out << makeMp3(m);
    return out;
}

QByteArray mutate(QByteArray b, QRandomGenerator &rng)
{
    const int kind = int(rng.bounded(8));
    auto at = [&](qsizetype n) { return n > 0 ? qsizetype(rng.bounded(quint32(n))) : 0; };
    switch (kind) {
    case 0:  // a few random bytes
        for (int i = 0, n = 1 + int(rng.bounded(20)); i < n && !b.isEmpty(); ++i)
            b[at(b.size())] = char(rng.bounded(256));
        break;
    case 1:  // cut short
        b.truncate(at(b.size() + 1));
        break;
    case 2:  // bytes that look like headers and sizes
        for (int i = 0, n = 1 + int(rng.bounded(40)); i < n && !b.isEmpty(); ++i)
            b[at(b.size())] = char(rng.bounded(2) ? 0xFF : 0x7F);
        break;
    case 3:  // the ID3v2 size field
        if (b.size() >= 10)
            for (int i = 6; i < 10; ++i)
                b[i] = char(rng.bounded(256));
        break;
    case 4: {  // a frame or VBR count of any size
        if (b.size() >= 8) {
            const qsizetype p = at(b.size() - 4);
            for (int i = 0; i < 4; ++i)
                b[p + i] = char(rng.bounded(2) ? 0xFF : rng.bounded(256));
        }
        break;
    }
    case 5:  // a tag marker somewhere
        if (b.size() >= 4)
            b.replace(at(b.size() - 3), 3, rng.bounded(2) ? "TAG" : "ID3");
        break;
    case 6:  // a VBR marker in a likely place
        if (b.size() > 200)
            b.replace(at(200), 4, rng.bounded(2) ? "Xing" : "VBRI");
        break;
    default: {  // garbage of any length
        QByteArray g(at(12000), '\0');
        for (char &c : g)
            c = char(rng.bounded(8) == 0 ? 0xFF : rng.bounded(256));
        b = g;
        break;
    }
    }
    return b;
}

}  // namespace

class TestMp3Fuzz : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_found = 0;
    int m_vbr = 0;
    int m_tagged = 0;

    void check(const QString &p, qint64 size)
    {
        TID3v1 v1;
        const bool ok1 = v1.ReadFromFile(p);
        QCOMPARE(ok1, size >= 128);
        QVERIFY(v1.Title.size() <= 30 && v1.Artist.size() <= 30 && v1.Album.size() <= 30);
        QVERIFY(v1.Year.size() <= 4 && v1.Comment.size() <= 30);
        QVERIFY(v1.VersionID == 2 || v1.Track == 0);

        TID3v2 v2;
        QCOMPARE(v2.ReadFromFile(p), size >= 10);
        QVERIFY(v2.Size >= 0 && v2.Size <= size);
        QVERIFY(v2.Size == 0 || v2.Size >= 10);
        QVERIFY(v2.Title.size() <= 250 && v2.Comment.size() <= 246 && v2.Genre.size() <= 250);
        QVERIFY(v2.Exists || v2.Title.isEmpty());

        TMPEGaudio mpeg;
        mpeg.ReadFromFile(p);
        const FrameData &f = mpeg.Frame;
        m_found += f.Found;
        m_vbr += mpeg.VBR.Found;
        m_tagged += v2.Exists && !v2.Title.isEmpty();
        if (f.Found) {
            QVERIFY(f.Position >= 0 && f.Position <= TMPEGaudio::MaxFrameLength);
            QVERIFY(f.Size > 0 && f.Size <= TMPEGaudio::MaxFrameLength);
            QVERIFY(f.Position + f.Size + 4 <= TMPEGaudio::WindowSize);
            QVERIFY(TMPEGaudio::IsFrameHeader(f.Data));
            QCOMPARE(mpeg.FileLength, size);
            QVERIFY(!mpeg.VBR.Found || (mpeg.VBR.Frames >= 0 && mpeg.VBR.Bytes >= 0));
            if (!mpeg.VBR.Found || mpeg.VBR.Frames == 0)
                QCOMPARE(int(mpeg.BitRate()), TMPEGaudio::BitRateKbps(f));
        } else {
            QCOMPARE(mpeg.BitRate(), quint16(0));
            QVERIFY(!mpeg.ID3v1().Exists && !mpeg.ID3v2().Exists && mpeg.FileLength == 0);
        }
        // The same file gives the same answer.
        TMPEGaudio again;
        again.ReadFromFile(p);
        QCOMPARE(again.BitRate(), mpeg.BitRate());
        QCOMPARE(again.Frame.Position, f.Position);
    }

private slots:
    void everyTruncation()
    {
        const QString p = m_dir.filePath(QStringLiteral("cut.mp3"));
        for (const QByteArray &seed : seeds())
            for (qsizetype n = 0; n <= seed.size(); n += (n < 400 || seed.size() - n < 400) ? 1 : 37) {
                QVERIFY(test::writeBytes(p, seed.left(n)));
                check(p, n);
                if (QTest::currentTestFailed())
                    QFAIL(qPrintable(QStringLiteral("cut at %1").arg(n)));
            }
    }

    void mutations()
    {
        QRandomGenerator rng(20030517);  // fixed, so a failure can be replayed
        m_found = m_vbr = m_tagged = 0;
        const QList<QByteArray> base = seeds();
        const QString p = m_dir.filePath(QStringLiteral("fuzz.mp3"));
        for (int i = 0; i < 4000; ++i) {
            QByteArray b = base[qsizetype(rng.bounded(quint32(base.size())))];
            for (int k = 0, n = 1 + int(rng.bounded(3)); k < n; ++k)
                b = mutate(b, rng);
            QVERIFY(test::writeBytes(p, b));
            check(p, b.size());
            if (QTest::currentTestFailed())
                QFAIL(qPrintable(QStringLiteral("case %1: %2").arg(i).arg(QString::fromLatin1(b.left(64).toHex()))));
        }
        // Most damaged files still hold frames, headers and tags worth reading.
        qInfo("%d found, %d VBR, %d tagged", m_found, m_vbr, m_tagged);
        QVERIFY2(m_found > 2000 && m_vbr > 500 && m_tagged > 500,
                 qPrintable(QStringLiteral("%1 %2 %3").arg(m_found).arg(m_vbr).arg(m_tagged)));
    }
};

QTEST_GUILESS_MAIN(TestMp3Fuzz)
#include "test_mp3fuzz.moc"
