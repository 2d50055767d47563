// voxatool over logos and playdisplay layouts: making a logo from a picture,
// writing a layout, showing both (also as JSON), and the sample drive's
// recipe.
#include "editors/logo/logoconvert.h"
#include "editors/logo/logofile.h"
#include "editors/playdisplay/playdisplayfile.h"
#include "support/toolrun.h"
#include "tool/command.h"

#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace voxa;
using namespace voxa::tool;
using namespace voxa::test;

namespace {


// White on the left half, black on the right.
QImage halves(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, x < w / 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    return img;
}

}  // namespace

class TestToolFormatsB : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString path(const QString &name) const { return dir.filePath(name); }

private slots:
    void pipesAndDevicesAreRefusedAtOnce_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("fifo");
        QTest::newRow("show, pipe") << QStringLiteral("show") << true;
        QTest::newRow("logo, pipe") << QStringLiteral("logo") << true;
        QTest::newRow("show, /dev/zero") << QStringLiteral("show") << false;
        QTest::newRow("logo, /dev/zero") << QStringLiteral("logo") << false;
    }
    void pipesAndDevicesAreRefusedAtOnce()
    {
        QFETCH(QString, command);
        QFETCH(bool, fifo);
        QString input = QStringLiteral("/dev/zero");
        if (fifo) {
            input = path(QStringLiteral("pipe-%1.lce").arg(command));
            QCOMPARE(::mkfifo(QFile::encodeName(input).constData(), 0600), 0);
        }
        QStringList args{command, input};
        if (command == QStringLiteral("logo"))
            args << path(QStringLiteral("never.lce"));
        // Run in-process: a blocking read would hang the test right here.
        const Run r = run(args);
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(QStringLiteral("Not a regular file")), qPrintable(r.err));
        QVERIFY(!QFile::exists(path(QStringLiteral("never.lce"))));
    }

    void logoFromPicture()
    {
        const QString picture = path(QStringLiteral("halves.bmp"));
        QVERIFY(halves(256, 112).save(picture));
        const QString out = path(QStringLiteral("h.lce"));
        const Run r = run({QStringLiteral("logo"), picture, out, QStringLiteral("--crop"),
                           QStringLiteral("0,0,256,112")});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(readAll(out).size(), qsizetype(1042));
        const LogoBitmap logo = *LoadLogoFile(out);
        QCOMPARE(logo.litCount(), 64 * 56);
        QVERIFY(logo.pixel(63, 0) && !logo.pixel(64, 0));

        const FileResult<LogoCompanion> c = LoadLogoCompanion(out);
        QVERIFY(c.ok());
        QCOMPARE(c->selection, (LogoRect{0, 0, 256, 112}));
        QCOMPARE(c->threshold, 128);
        QVERIFY(c->sourcePath.endsWith(QStringLiteral("\\halves.bmp")));
        QVERIFY(QFile::exists(path(QStringLiteral("h.lcx"))));

        // The text art shows the same pixels.
        const Run shown = run({QStringLiteral("show"), out});
        QCOMPARE(shown.status, 0);
        const QString row0 = QString(64, QLatin1Char('#')) + QString(64, QLatin1Char('.'));
        QVERIFY(shown.out.contains(row0 + QLatin1Char('\n')));
        QVERIFY(shown.out.contains(QStringLiteral("companion: selection 0,0,256,112 threshold 128")));
    }

    void logoOptions_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("lit");
        // The picture is 100 x 40 white: a 176 x 64 canvas with a frame.
        QTest::newRow("VA-DA, white frame") << QStringList{QStringLiteral("--type"), QStringLiteral("va-da")} << 1426
                                            << 176 * 64;
        QTest::newRow("VA-DA, black frame")
            << QStringList{QStringLiteral("--type"), QStringLiteral("va-da"), QStringLiteral("--black-frame")} << 1426
            << 100 * 40;
        QTest::newRow("VA-DA, black frame, inverted")
            << QStringList{QStringLiteral("--type"), QStringLiteral("va-da"), QStringLiteral("--black-frame"),
                           QStringLiteral("--invert")}
            << 1426 << 176 * 64 - 100 * 40;
        QTest::newRow("VOXA-A default selection") << QStringList{} << 1042 << 128 * 56;
        QTest::newRow("threshold 256") << QStringList{QStringLiteral("--threshold"), QStringLiteral("256")} << 1042
                                       << 0;
    }
    void logoOptions()
    {
        QFETCH(QStringList, options);
        QFETCH(int, size);
        QFETCH(int, lit);
        const QString picture = path(QStringLiteral("white.bmp"));
        QImage white(100, 40, QImage::Format_RGB32);
        white.fill(Qt::white);
        QVERIFY(white.save(picture));
        const QString out = path(QStringLiteral("o.lce"));
        const Run r = run(QStringList{QStringLiteral("logo"), picture, out} + options);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(readAll(out).size(), qsizetype(size));
        QCOMPARE(LoadLogoFile(out)->litCount(), lit);
    }

    void logoRefusals_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::newRow("unknown type") << QStringList{QStringLiteral("--type"), QStringLiteral("voxa-c")} << 2;
        QTest::newRow("threshold 257") << QStringList{QStringLiteral("--threshold"), QStringLiteral("257")} << 2;
        QTest::newRow("crop off the canvas") << QStringList{QStringLiteral("--crop"), QStringLiteral("0,0,177,64")}
                                             << 2;
        QTest::newRow("empty crop") << QStringList{QStringLiteral("--crop"), QStringLiteral("10,0,10,64")} << 2;
        QTest::newRow("crop of three") << QStringList{QStringLiteral("--crop"), QStringLiteral("0,0,10")} << 2;
        QTest::newRow("unknown option") << QStringList{QStringLiteral("--dither")} << 2;
    }
    void logoRefusals()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        const QString picture = path(QStringLiteral("r.bmp"));
        QVERIFY(halves(100, 40).save(picture));
        const QString out = path(QStringLiteral("refused.lce"));
        const Run r = run(QStringList{QStringLiteral("logo"), picture, out} + arguments);
        QCOMPARE(r.status, status);
        QVERIFY(!r.err.isEmpty());
        QVERIFY(!QFile::exists(out));
    }

    void logoFailures()
    {
        const QString out = path(QStringLiteral("fail.lce"));
        Run r = run({QStringLiteral("logo"), path(QStringLiteral("missing.jpg")), out});
        QCOMPARE(r.status, 1);
        QVERIFY(r.err.contains(QStringLiteral("Cannot open the file!")));
        QVERIFY(!QFile::exists(out));

        // A source path longer than the companion holds: nothing is written.
        QString deep = dir.path();
        while (deep.size() < 300)
            deep += QStringLiteral("/folder-with-a-long-name-for-the-test");
        QVERIFY(QDir().mkpath(deep));
        const QString picture = deep + QStringLiteral("/p.bmp");
        QVERIFY(halves(200, 80).save(picture));
        r = run({QStringLiteral("logo"), picture, out});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(QStringLiteral("Cannot save the file")), qPrintable(r.err));
        QVERIFY(!QFile::exists(out));
        QVERIFY(!QFile::exists(path(QStringLiteral("fail.lcx"))));
    }

    void playdisplayLayout()
    {
        const QString out = path(QStringLiteral("l.ply"));
        const Run r = run({QStringLiteral("playdisplay"), out, QStringLiteral("--type"), QStringLiteral("va-da"),
                           QStringLiteral("id3 title"), QStringLiteral("font=12"), QStringLiteral("align=autoscroll"),
                           QStringLiteral("at=0,0"), QStringLiteral("width=150"), QStringLiteral("Play status"),
                           QStringLiteral("inverse"), QStringLiteral("kind=3"), QStringLiteral("at=100,20"),
                           QStringLiteral("width=12")});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QVERIFY(r.err.isEmpty());
        const FileResult<PlaydisplayDocument> doc = LoadPlaydisplayFile(out);
        QVERIFY(doc.ok());
        QCOMPARE(doc->displayType, VaDaDisplay);  // the status field's bottom is row 63
        QVERIFY(doc->layout.vuMeter);
        QCOMPARE(doc->layout.fields.size(), qsizetype(3));

        const Run shown = run({QStringLiteral("show"), QStringLiteral("--json"), out});
        QCOMPARE(shown.status, 0);
        const QJsonObject o = shownJson(shown);
        QCOMPARE(o.value(QStringLiteral("kind")).toString(), QStringLiteral("ply"));
        QCOMPARE(o.value(QStringLiteral("DisplayType")).toInt(), 2);
        QCOMPARE(o.value(QStringLiteral("VUMeter")).toBool(), true);
        const QJsonArray fields = o.value(QStringLiteral("fields")).toArray();
        QCOMPARE(fields.size(), 3);
        const QJsonObject title = fields[0].toObject();
        QCOMPARE(title.value(QStringLiteral("caption")).toString(), QStringLiteral("ID3 Title"));
        QCOMPARE(title.value(QStringLiteral("right")).toInt(), 150);
        QCOMPARE(title.value(QStringLiteral("bottom")).toInt(), 11);
        QCOMPARE(title.value(QStringLiteral("font")).toInt(), 12);
        QCOMPARE(title.value(QStringLiteral("alignment")).toString(), QStringLiteral("autoscroll"));
        const QJsonObject status = fields[1].toObject();
        QCOMPARE(status.value(QStringLiteral("top")).toInt(), 55);
        QCOMPARE(status.value(QStringLiteral("width")).toInt(), 18);
        QCOMPARE(status.value(QStringLiteral("inverse")).toBool(), true);
        QCOMPARE(status.value(QStringLiteral("flags")).toInt(), 0x0015 | (20 << 10));
        QCOMPARE(fields[2].toObject().value(QStringLiteral("caption")).toString(), QStringLiteral("Unknown"));
        QCOMPARE(fields[2].toObject().value(QStringLiteral("kind")).toInt(), 3);
        QVERIFY(o.value(QStringLiteral("overlaps")).toArray().isEmpty());

        const Run text = run({QStringLiteral("show"), out});
        QVERIFY(text.out.contains(QStringLiteral("VA-DA layout (176 x 64), VU meter shown, 3 fields")));
        QVERIFY(text.out.contains(QStringLiteral("Unknown (3)")));
    }

    void playdisplayRefusals_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        QTest::newRow("overlap") << QStringList{QStringLiteral("Filename"), QStringLiteral("ID3 Year")} << 1
                                 << QStringLiteral("You cannot save changes until there are overlapped fields");
        QTest::newRow("over the VU meter")
            << QStringList{QStringLiteral("Filename"), QStringLiteral("at=10,0")} << 1
            << QStringLiteral("overlapped fields");
        QTest::newRow("unknown content") << QStringList{QStringLiteral("Lyrics")} << 2 << QStringLiteral("ID3 Title");
        QTest::newRow("off the display") << QStringList{QStringLiteral("Filename"), QStringLiteral("at=20,0")} << 2
                                         << QStringLiteral("does not fit");
        QTest::newRow("below the display") << QStringList{QStringLiteral("ID3 Year"), QStringLiteral("at=0,49")} << 2
                                           << QStringLiteral("does not fit");
        QTest::newRow("option without a field") << QStringList{QStringLiteral("inverse")} << 2
                                                << QStringLiteral("no option");
        QTest::newRow("bad font") << QStringList{QStringLiteral("Filename"), QStringLiteral("font=10")} << 2
                                  << QStringLiteral("no option");
        QStringList sixteen;
        for (int i = 0; i < 16; ++i)
            sixteen << QStringLiteral("ID3 Track") << QStringLiteral("at=%1,0").arg(i * 6) << QStringLiteral("width=5");
        QTest::newRow("16 fields") << sixteen << 2 << QStringLiteral("at most 15");
    }
    void playdisplayRefusals()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, message);
        const QString out = path(QStringLiteral("refused.ply"));
        const Run r = run(QStringList{QStringLiteral("playdisplay"), out} + arguments);
        QCOMPARE(r.status, status);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY(!QFile::exists(out));
    }

    void vadaNote()
    {
        const Run r = run({QStringLiteral("playdisplay"), path(QStringLiteral("n.ply")), QStringLiteral("--type"),
                           QStringLiteral("va-da"), QStringLiteral("Filename"), QStringLiteral("at=0,0")});
        QCOMPARE(r.status, 0);
        QVERIFY(r.err.contains(QStringLiteral("reads back as a VOXA-A layout")));
    }

    void samplePicture()
    {
        const QString jpg = path(QStringLiteral("s.jpg"));
        QCOMPARE(run({QStringLiteral("sample-picture"), jpg, QStringLiteral("--size"), QStringLiteral("300x200")}).status,
                 0);
        const FileResult<QImage> p = LoadSourcePicture(jpg);
        QVERIFY(p.ok());
        QCOMPARE(p->size(), QSize(300, 200));
        const QString unknown = path(QStringLiteral("s.xyz"));
        const Run r = run({QStringLiteral("sample-picture"), unknown});
        QCOMPARE(r.status, 1);
        QVERIFY(!r.err.isEmpty());
        QVERIFY(!QFile::exists(unknown));
        QCOMPARE(run({QStringLiteral("sample-picture"), jpg, QStringLiteral("--size"), QStringLiteral("0x5")}).status,
                 2);
    }

    void showFailures_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("error");
        const QByteArray logo = logoFileBytes(LogoBitmap(2));
        const QByteArray ply = *playdisplayFileBytes(PlayLayout());
        QTest::newRow("logo of 1000 bytes") << logo.left(1000) << QStringLiteral("too short (1000 of 1042 bytes)");
        QTest::newRow("VA-DA logo cut") << logo.left(1425) << QStringLiteral("too short (1425 of 1426 bytes)");
        QTest::newRow("logo version") << QByteArray("R7LCE2.00\0", 10) + logo.mid(10)
                                      << QStringLiteral("Wrong file format");
        QTest::newRow("layout of 511 bytes") << ply.left(511) << QStringLiteral("too short (511 of 512 bytes)");
        QTest::newRow("layout of 300 bytes") << ply.left(300) << QStringLiteral("too short (300 of 512 bytes)");
        QTest::newRow("layout version") << QByteArray("R7PLY1.0\0\0", 10) + ply.mid(10)
                                        << QStringLiteral("Wrong file format");
    }
    void showFailures()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, error);
        const QString file = path(QStringLiteral("bad.bin"));
        QVERIFY(writeAll(file, bytes));
        const Run r = run({QStringLiteral("show"), QStringLiteral("--json"), file});
        QCOMPARE(r.status, 1);
        QVERIFY2(shownJson(r).value(QStringLiteral("error")).toString().contains(error), qPrintable(r.out));
    }

    void showLongerFiles()
    {
        const QString file = path(QStringLiteral("long.lce"));
        QVERIFY(writeAll(file, logoFileBytes(LogoBitmap(2)) + "x"));
        const Run r = run({QStringLiteral("show"), QStringLiteral("--json"), file});
        QCOMPARE(r.status, 0);
        QCOMPARE(shownJson(r).value(QStringLiteral("DisplayType")).toInt(), 1);
        QCOMPARE(shownJson(r).value(QStringLiteral("fileSize")).toInt(), 1427);
    }

    // The sample drive's logos and layouts: each shows, a cut copy of each
    // fails.
    void sampleRecipe()
    {
        QTemporaryDir drive;
        QVERIFY(QDir().mkpath(drive.filePath(QStringLiteral("voxa/config"))));
        QProcess recipe;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("VOXATOOL"), QStringLiteral(VOXA_TOOL_PATH));
        env.insert(QStringLiteral("DRIVE"), drive.path());
        env.insert(QStringLiteral("SRC"), QStringLiteral(VOXA_SOURCE_DIR));
        env.insert(QStringLiteral("BUILD"), QStringLiteral(VOXA_BUILD_DIR));
        recipe.setProcessEnvironment(env);
        recipe.start(QStringLiteral("bash"),
                     {QStringLiteral(VOXA_SOURCE_DIR) + QStringLiteral("/data/sample/11-player-files-b.sh")});
        QVERIFY(recipe.waitForFinished(60000));
        QVERIFY2(recipe.exitCode() == 0, recipe.readAllStandardError().constData());

        QStringList files;
        QDirIterator it(drive.filePath(QStringLiteral("voxa/config")), {QStringLiteral("*.lce"), QStringLiteral("*.ply")},
                        QDir::Files);
        while (it.hasNext())
            files << it.next();
        files.sort();
        QSet<QString> seen;
        for (const QString &file : files) {
            const Run ok = run({QStringLiteral("show"), QStringLiteral("--json"), file});
            QVERIFY2(ok.status == 0, qPrintable(file + QStringLiteral(": ") + ok.err));
            const QJsonObject o = shownJson(ok);
            const QString kind = o.value(QStringLiteral("kind")).toString();
            const int type = o.value(QStringLiteral("DisplayType")).toInt();
            seen.insert(kind + QString::number(type));
            if (kind == QLatin1String("lce")) {
                // Made from a picture: the companion names it on drive V.
                const QJsonObject c = o.value(QStringLiteral("companion")).toObject();
                QVERIFY2(c.value(QStringLiteral("sourcePath")).toString().startsWith(QStringLiteral("V:\\pictures\\")),
                         qPrintable(file));
                QVERIFY(o.value(QStringLiteral("LogoBitmap")).toObject().value(QStringLiteral("lit")).toInt() > 0);
            } else {
                QVERIFY(o.value(QStringLiteral("overlaps")).toArray().isEmpty());
            }

            const QString cut = path(QStringLiteral("cut.") + file.right(3));
            QVERIFY(writeAll(cut, readAll(file).left(readAll(file).size() / 2)));
            const Run failed = run({QStringLiteral("show"), QStringLiteral("--json"), cut});
            QVERIFY2(failed.status != 0, qPrintable(file));
            QVERIFY2(shownJson(failed).value(QStringLiteral("error")).toString().contains(QStringLiteral("too short")),
                     qPrintable(failed.out));
        }
        // Logos and layouts for both displays, and the names the sample
        // config files use.
        QCOMPARE(seen, (QSet<QString>{QStringLiteral("lce1"), QStringLiteral("lce2"), QStringLiteral("ply1"),
                                      QStringLiteral("ply2")}));
        QVERIFY(files.contains(drive.filePath(QStringLiteral("voxa/config/default.lce"))));
        QVERIFY(files.contains(drive.filePath(QStringLiteral("voxa/config/default.ply"))));
        // A picture in each format the recipe uses loads.
        QVERIFY(LoadSourcePicture(drive.filePath(QStringLiteral("pictures/evening.jpg"))).ok());
        QVERIFY(LoadSourcePicture(drive.filePath(QStringLiteral("pictures/badge.bmp"))).ok());
    }
};

QTEST_GUILESS_MAIN(TestToolFormatsB)
#include "test_tool_formats_b.moc"
