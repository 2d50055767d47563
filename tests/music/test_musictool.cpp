// voxatool scan and make-mp3.
#include "music/mpegaudio.h"
#include "mp3testutil.h"
#include "support/testdrives.h"
#include "tool/command.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

using namespace voxa;

namespace {

int run(const QStringList &args, QString &out, QString &err)
{
    out.clear();
    err.clear();
    QTextStream o(&out), e(&err);
    tool::Io io{o, e};
    return tool::runTool(args, io);
}

}  // namespace

class TestMusicTool : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_out, m_err;

    int tool(const QStringList &args) { return run(args, m_out, m_err); }
    QString path(const QString &rel) const { return m_dir.filePath(rel); }

private slots:
    void initTestCase()
    {
        // A small tree made with the tool itself.
        const QList<QStringList> files = {
            {QStringLiteral("music/a.mp3"), QStringLiteral("--title"), QStringLiteral("A"), QStringLiteral("--artist"),
             QStringLiteral("B"), QStringLiteral("--album"), QStringLiteral("C")},
            {QStringLiteral("music/b.MP!"), QStringLiteral("--kbps"), QStringLiteral("192"), QStringLiteral("--id3v2"),
             QStringLiteral("3"), QStringLiteral("--frame"), QStringLiteral("TIT2=Bee")},
            {QStringLiteral("music/sub/c.mp3"), QStringLiteral("--vbr"), QStringLiteral("96,192"),
             QStringLiteral("--frames"), QStringLiteral("21")},
            {QStringLiteral("music/sub/d.mp3"), QStringLiteral("--mpeg"), QStringLiteral("2.5"), QStringLiteral("--kbps"),
             QStringLiteral("32"), QStringLiteral("--mono"), QStringLiteral("--junk"), QStringLiteral("500")},
        };
        for (QStringList f : files) {
            f[0] = path(f[0]);
            QCOMPARE(tool(QStringList{QStringLiteral("make-mp3")} + f), 0);
        }
        QVERIFY(test::setModified(path(QStringLiteral("music/a.mp3")), QDateTime(QDate(2003, 5, 17), QTime(23, 59, 59))));
    }

    void makeMp3Files()
    {
        TMPEGaudio mpeg;
        QVERIFY(mpeg.ReadFromFile(path(QStringLiteral("music/a.mp3"))));
        QCOMPARE(mpeg.BitRate(), quint16(128));
        QCOMPARE(mpeg.ID3v1().Album, QByteArray("C"));
        QVERIFY(mpeg.ReadFromFile(path(QStringLiteral("music/b.MP!"))));
        QCOMPARE(mpeg.ID3v2().Title, QByteArray("Bee"));
        QVERIFY(mpeg.ReadFromFile(path(QStringLiteral("music/sub/c.mp3"))));
        QVERIFY(mpeg.VBR.Found);
        QCOMPARE(mpeg.VBR.Frames, 21);
        QVERIFY(mpeg.ReadFromFile(path(QStringLiteral("music/sub/d.mp3"))));
        QCOMPARE(mpeg.Frame.Position, 500);
        QCOMPARE(int(mpeg.Frame.VersionID), 0);

        QCOMPARE(tool({QStringLiteral("make-mp3"), path(QStringLiteral("x.mp3")), QStringLiteral("--kbps"),
                       QStringLiteral("448")}),
                 2);
        QVERIFY(m_err.contains(QStringLiteral("no MPEG frame of 448 kbit/s")));
        QCOMPARE(tool({QStringLiteral("make-mp3"), path(QStringLiteral("x.mp3")), QStringLiteral("--mpeg"),
                       QStringLiteral("3")}),
                 2);
        QCOMPARE(tool({QStringLiteral("make-mp3")}), 2);
        QVERIFY(!QFile::exists(path(QStringLiteral("x.mp3"))));
    }

    void scanJson()
    {
        QCOMPARE(tool({QStringLiteral("scan"), path(QStringLiteral("music")), QStringLiteral("--kind"),
                       QStringLiteral("bitrate"), QStringLiteral("--bitrate"), QStringLiteral("gt"),
                       QStringLiteral("0"), QStringLiteral("--format"), QStringLiteral("json")}),
                 0);
        const QJsonObject o = QJsonDocument::fromJson(m_out.toUtf8()).object();
        QCOMPARE(o.value(QStringLiteral("found")).toInt(), 4);
        QCOMPARE(o.value(QStringLiteral("table full")).toBool(), false);
        const QJsonArray records = o.value(QStringLiteral("records")).toArray();
        QCOMPARE(records.size(), 4);
        QHash<QString, QJsonObject> byName;
        for (const QJsonValue &v : records)
            byName.insert(v.toObject().value(QStringLiteral("file name")).toString(), v.toObject());
        const QJsonObject a = byName.value(QStringLiteral("a.mp3"));
        QCOMPARE(a.value(QStringLiteral("directory")).toString(), path(QStringLiteral("music")));
        QCOMPARE(a.value(QStringLiteral("marked")).toBool(), false);
        QCOMPARE(a.value(QStringLiteral("bit rate")).toInt(), 128);
        // Local time with its offset from UTC, to two seconds.
        const QString date = a.value(QStringLiteral("date")).toString();
        QVERIFY2(date.startsWith(QStringLiteral("2003-05-17T23:59:58")), qPrintable(date));
        QCOMPARE(QDateTime::fromString(date, Qt::ISODate), QDateTime(QDate(2003, 5, 17), QTime(23, 59, 58)));
        QCOMPARE(a.value(QStringLiteral("size")).toInteger(), QFileInfo(path(QStringLiteral("music/a.mp3"))).size());
        QVERIFY(!a.contains(QStringLiteral("ID3v1 incomplete")));
        QCOMPARE(byName.value(QStringLiteral("b.MP!")).value(QStringLiteral("marked")).toBool(), true);
        QCOMPARE(byName.value(QStringLiteral("b.MP!")).value(QStringLiteral("bit rate")).toInt(), 192);
        QCOMPARE(byName.value(QStringLiteral("d.mp3")).value(QStringLiteral("bit rate")).toInt(), 32);
        QCOMPARE(byName.value(QStringLiteral("d.mp3")).value(QStringLiteral("directory")).toString(),
                 path(QStringLiteral("music/sub")));

        // Incomplete ID3v1 tags: all but a.mp3, with the flag named.
        QCOMPARE(tool({QStringLiteral("scan"), path(QStringLiteral("music")), QStringLiteral("--kind"),
                       QStringLiteral("id3v1"), QStringLiteral("--format"), QStringLiteral("json")}),
                 0);
        const QJsonArray incomplete = QJsonDocument::fromJson(m_out.toUtf8()).object().value(QStringLiteral("records")).toArray();
        QCOMPARE(incomplete.size(), 3);
        for (const QJsonValue &v : incomplete) {
            QCOMPARE(v.toObject().value(QStringLiteral("ID3v1 incomplete")).toBool(), true);
            QVERIFY(!v.toObject().contains(QStringLiteral("bit rate")));
        }
    }

    void scanFilters_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("all") << QStringList() << QStringList{QStringLiteral("a.mp3"), QStringLiteral("b.MP!"),
                                                              QStringLiteral("c.mp3"), QStringLiteral("d.mp3")};
        QTest::newRow("marked") << QStringList{QStringLiteral("--kind"), QStringLiteral("marked")}
                                << QStringList{QStringLiteral("b.MP!")};
        QTest::newRow("marked, extended") << QStringList{QStringLiteral("--kind"), QStringLiteral("marked"), QStringLiteral("--extend")}
                                          << QStringList{QStringLiteral("a.mp3"), QStringLiteral("b.MP!")};
        QTest::newRow("id3v2") << QStringList{QStringLiteral("--kind"), QStringLiteral("id3v2")}
                               << QStringList{QStringLiteral("a.mp3"), QStringLiteral("b.MP!"),
                                              QStringLiteral("c.mp3"), QStringLiteral("d.mp3")};
        QTest::newRow("bitrate alone is = 128") << QStringList{QStringLiteral("--kind"), QStringLiteral("bitrate")}
                                                << QStringList{QStringLiteral("a.mp3")};
        QTest::newRow("bitrate < 128") << QStringList{QStringLiteral("--bitrate"), QStringLiteral("<"), QStringLiteral("128")}
                                       << QStringList{QStringLiteral("d.mp3")};
        QTest::newRow("date = day") << QStringList{QStringLiteral("--date"), QStringLiteral("eq"), QStringLiteral("2003-05-17")}
                                    << QStringList{QStringLiteral("a.mp3")};
        QTest::newRow("date < day") << QStringList{QStringLiteral("--date"), QStringLiteral("lt"), QStringLiteral("2003-05-17")}
                                    << QStringList();
        QTest::newRow("size > 5000") << QStringList{QStringLiteral("--size"), QStringLiteral("gt"), QStringLiteral("5000")}
                                     << QStringList{QStringLiteral("b.MP!"), QStringLiteral("c.mp3")};
    }

    void scanFilters()
    {
        QFETCH(QStringList, options);
        QFETCH(QStringList, names);
        QCOMPARE(tool(QStringList{QStringLiteral("scan"), path(QStringLiteral("music"))} + options), 0);
        QStringList got;
        for (const QString &line : m_out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            got << QFileInfo(line).fileName();
        got.sort();
        QCOMPARE(got, names);
    }

    void scanExportsToAFile()
    {
        const QString out = path(QStringLiteral("list.pls"));
        QCOMPARE(tool({QStringLiteral("scan"), path(QStringLiteral("music/sub")), QStringLiteral("--format"), QStringLiteral("pls"), QStringLiteral("--output"), out}),
                 0);
        QFile f(out);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = f.readAll().split('\n');
        QCOMPARE(lines.size(), 6);  // five lines, each closed by CR LF
        QCOMPARE(lines[0], QByteArray("[playlist]\r"));
        QVERIFY(lines[1].startsWith("File1=" + QFile::encodeName(path(QStringLiteral("music/sub/")))));
        QCOMPARE(lines[3], QByteArray("NumberOfEntries=2\r"));
        QCOMPARE(lines[4], QByteArray("Version=2\r"));

        QCOMPARE(tool({QStringLiteral("scan"), path(QStringLiteral("music")), QStringLiteral("--format"),
                       QStringLiteral("csv"), QStringLiteral("--size"), QStringLiteral("lt"), QStringLiteral("4000")}),
                 0);
        QVERIFY(m_out.startsWith(QStringLiteral("Filename;Size [kByte];Path\n")));
    }

    void scanADrive()
    {
        test::TestDriveTable t;
        t.addFolder('V', path(QStringLiteral("music")));
        QCOMPARE(tool({QStringLiteral("scan"), QStringLiteral("V:\\sub"), QStringLiteral("--format"),
                       QStringLiteral("m3u")}),
                 0);
        QStringList lines = m_out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.takeFirst(), QStringLiteral("#EXTM3U"));
        lines.sort();
        QCOMPARE(lines, (QStringList{QStringLiteral("V:\\sub\\c.mp3"), QStringLiteral("V:\\sub\\d.mp3")}));
        // The native folder of the drive keeps its native form.
        QCOMPARE(tool({QStringLiteral("scan"), path(QStringLiteral("music/sub"))}), 0);
        QVERIFY(m_out.startsWith(path(QStringLiteral("music/sub/"))));
        QCOMPARE(tool({QStringLiteral("scan"), QStringLiteral("W:\\music")}), 2);
        QVERIFY(m_err.contains(QStringLiteral("unknown drive W:")));
    }

    void badArguments_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        const QString dir = m_dir.filePath(QStringLiteral("music"));
        QTest::newRow("no folder") << QStringList() << QStringLiteral("no DIR given");
        QTest::newRow("two folders") << QStringList{dir, dir} << QStringLiteral("more than one DIR");
        QTest::newRow("missing folder") << QStringList{dir + QStringLiteral("/nope")} << QStringLiteral("no such folder");
        QTest::newRow("kind") << QStringList{dir, QStringLiteral("--kind"), QStringLiteral("loud")}
                              << QStringLiteral("unknown kind 'loud'");
        QTest::newRow("operator le") << QStringList{dir, QStringLiteral("--bitrate"), QStringLiteral("le"), QStringLiteral("128")}
                                     << QStringLiteral("unknown operator 'le'");
        QTest::newRow("bit rate") << QStringList{dir, QStringLiteral("--bitrate"), QStringLiteral("eq"), QStringLiteral("fast")}
                                  << QStringLiteral("bad bit rate 'fast'");
        QTest::newRow("bitrate with another kind")
            << QStringList{dir, QStringLiteral("--kind"), QStringLiteral("marked"), QStringLiteral("--bitrate"),
                           QStringLiteral("eq"), QStringLiteral("128")}
            << QStringLiteral("--bitrate goes with --kind bitrate");
        QTest::newRow("date") << QStringList{dir, QStringLiteral("--date"), QStringLiteral("eq"), QStringLiteral("2003-02-30")}
                              << QStringLiteral("'2003-02-30' is not a valid date");
        QTest::newRow("size equal") << QStringList{dir, QStringLiteral("--size"), QStringLiteral("eq"), QStringLiteral("5")}
                                    << QStringLiteral("unknown size operator 'eq'");
        QTest::newRow("size too big") << QStringList{dir, QStringLiteral("--size"), QStringLiteral("gt"), QStringLiteral("2147483648")}
                                      << QStringLiteral("bad size '2147483648'");
        QTest::newRow("format") << QStringList{dir, QStringLiteral("--format"), QStringLiteral("xml")}
                                << QStringLiteral("unknown format 'xml'");
        QTest::newRow("missing value") << QStringList{dir, QStringLiteral("--size"), QStringLiteral("gt")}
                                       << QStringLiteral("--size needs OP and BYTES");
        QTest::newRow("unknown option") << QStringList{dir, QStringLiteral("--loud")} << QStringLiteral("unknown option --loud");
    }

    void badArguments()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        QCOMPARE(tool(QStringList{QStringLiteral("scan")} + args), 2);
        QVERIFY2(m_err.contains(message), qPrintable(m_err));
        QVERIFY(m_err.contains(QStringLiteral("usage: voxatool scan")));
        QVERIFY(m_out.isEmpty());
    }

    void outputThatCannotBeWritten()
    {
        QCOMPARE(tool({QStringLiteral("scan"), path(QStringLiteral("music")), QStringLiteral("--output"),
                       path(QStringLiteral("no/such/folder/list.txt"))}),
                 1);
        QVERIFY(m_err.contains(QStringLiteral("list.txt]")));
    }
};

QTEST_GUILESS_MAIN(TestMusicTool)
#include "test_musictool.moc"
