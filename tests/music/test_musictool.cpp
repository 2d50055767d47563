// voxatool scan and make-mp3.
#include "music/mpegaudio.h"
#include "mp3testutil.h"
#include "support/testdrives.h"
#include "tool/command.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScopeGuard>
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
    // No drives unless a test adds one, so native folders stay native.
    std::unique_ptr<test::TestDriveTable> m_drives;

    int tool(const QStringList &args) { return run(args, m_out, m_err); }
    QString path(const QString &rel) const { return m_dir.filePath(rel); }

private slots:
    void initTestCase()
    {
        m_drives = std::make_unique<test::TestDriveTable>();
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
        m_drives->addFolder('V', path(QStringLiteral("music")));
        const auto noV = qScopeGuard([this] { m_drives->remove('V'); });
        QCOMPARE(tool({QStringLiteral("scan"), QStringLiteral("V:\\sub"), QStringLiteral("--format"),
                       QStringLiteral("m3u")}),
                 0);
        QStringList lines = m_out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.takeFirst(), QStringLiteral("#EXTM3U"));
        lines.sort();
        QCOMPARE(lines, (QStringList{QStringLiteral("V:\\sub\\c.mp3"), QStringLiteral("V:\\sub\\d.mp3")}));
        // A native folder on the drive is listed in the drive's form, as
        // the find frame shows it, unless native paths are asked for.
        QCOMPARE(tool({QStringLiteral("scan"), path(QStringLiteral("music/sub"))}), 0);
        QVERIFY2(m_out.startsWith(QStringLiteral("V:\\sub\\")), qPrintable(m_out));
        QCOMPARE(tool({QStringLiteral("scan"), path(QStringLiteral("music/sub")), QStringLiteral("--format"),
                       QStringLiteral("json")}),
                 0);
        QCOMPARE(QJsonDocument::fromJson(m_out.toUtf8()).object().value(QStringLiteral("folder")).toString(),
                 QStringLiteral("V:\\sub"));
        QCOMPARE(tool({QStringLiteral("scan"), path(QStringLiteral("music/sub")), QStringLiteral("--native-paths")}), 0);
        QVERIFY(m_out.startsWith(path(QStringLiteral("music/sub/"))));
        QCOMPARE(tool({QStringLiteral("scan"), QStringLiteral("W:\\music")}), 2);
        QVERIFY(m_err.contains(QStringLiteral("unknown drive W:")));
    }

    // A drive W with a few files for the operations; each test starts afresh.
    QString freshDrive()
    {
        const QString root = m_drives->add('W');
        for (const char *rel : {"Zeta/z.mp3", "alpha/one.MP!", "alpha/two.mp3", "Beta/b.MP!", "Beta/deep/c.mp3"})
            test::writeBytes(root + QLatin1Char('/') + QLatin1String(rel), test::cbrFile());
        return root;
    }

    void scanListsInTheFramesOrder()
    {
        freshDrive();
        const auto noW = qScopeGuard([this] { m_drives->remove('W'); });
        QCOMPARE(tool({QStringLiteral("scan"), QStringLiteral("W:\\")}), 0);
        const QStringList lines = m_out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 5);
        // By directory without regard to case; one folder's files in the
        // order found.
        QCOMPARE(lines[0].section(QLatin1Char('\\'), 0, 1), QStringLiteral("W:\\alpha"));
        QCOMPARE(lines[1].section(QLatin1Char('\\'), 0, 1), QStringLiteral("W:\\alpha"));
        QCOMPARE(lines[2], QStringLiteral("W:\\Beta\\b.MP!"));
        QCOMPARE(lines[3], QStringLiteral("W:\\Beta\\deep\\c.mp3"));
        QCOMPARE(lines[4], QStringLiteral("W:\\Zeta\\z.mp3"));
    }

    void csvSizeUnit_data()
    {
        QTest::addColumn<QStringList>("unit");
        QTest::addColumn<QString>("header");
        QTest::addColumn<QString>("size");
        QTest::newRow("default kByte") << QStringList() << QStringLiteral("Size [kByte]") << QStringLiteral("2047");
        QTest::newRow("kbyte") << QStringList{QStringLiteral("--size-unit"), QStringLiteral("kbyte")}
                               << QStringLiteral("Size [kByte]") << QStringLiteral("2047");
        QTest::newRow("MByte rounds down") << QStringList{QStringLiteral("--size-unit"), QStringLiteral("MByte")}
                                           << QStringLiteral("Size [MByte]") << QStringLiteral("1");
    }
    void csvSizeUnit()
    {
        QFETCH(QStringList, unit);
        QFETCH(QString, header);
        QFETCH(QString, size);
        const QString root = m_drives->add('W');
        const auto noW = qScopeGuard([this] { m_drives->remove('W'); });
        test::writeBytes(root + QStringLiteral("/big.mp3"), QByteArray(2097151, 'x'));
        QCOMPARE(tool(QStringList{QStringLiteral("scan"), QStringLiteral("W:\\"), QStringLiteral("--format"),
                                  QStringLiteral("csv"), QStringLiteral("--size"), QStringLiteral("lt"),
                                  QStringLiteral("2097152")}
                      + unit),
                 0);
        // Files at the root have the bare drive as their directory.
        QCOMPARE(m_out, QStringLiteral("Filename;%1;Path\nbig.mp3;%2;W:\n").arg(header, size));
        QCOMPARE(tool({QStringLiteral("scan"), QStringLiteral("W:\\"), QStringLiteral("--size-unit"), QStringLiteral("GB")}), 2);
    }

    void unmarkLinePerItem()
    {
        const QString root = freshDrive();
        const auto noW = qScopeGuard([this] { m_drives->remove('W'); });
        // One marked file cannot be renamed: its plain name is taken.
        test::writeBytes(root + QStringLiteral("/Beta/b.MP3"), "taken");
        QCOMPARE(tool({QStringLiteral("scan"), QStringLiteral("W:\\"), QStringLiteral("--kind"), QStringLiteral("marked"),
                       QStringLiteral("--unmark")}),
                 1);
        const QStringList lines = m_out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], QStringLiteral("unmarked\tW:\\alpha\\one.MP!\tW:\\alpha\\one.MP3"));
        QVERIFY(lines[1].startsWith(QStringLiteral("failed\tW:\\Beta\\b.MP!\t")));
        QVERIFY(QFile::exists(root + QStringLiteral("/alpha/one.MP3")));
        QVERIFY(!QFile::exists(root + QStringLiteral("/alpha/one.MP!")));
        QVERIFY(QFile::exists(root + QStringLiteral("/Beta/b.MP!")));

        // Plain files are left alone and said so; that is no failure.
        QCOMPARE(tool({QStringLiteral("scan"), QStringLiteral("W:\\Zeta"), QStringLiteral("--unmark")}), 0);
        QCOMPARE(m_out, QStringLiteral("skipped\tW:\\Zeta\\z.mp3\tnot marked\n"));
        QVERIFY(QFile::exists(root + QStringLiteral("/Zeta/z.mp3")));
    }

    void deleteLinePerItem()
    {
        const QString root = freshDrive();
        const auto noW = qScopeGuard([this] { m_drives->remove('W'); });
        const QString kept = root + QStringLiteral("/alpha/two.mp3");
        QVERIFY(QFile::setPermissions(kept, QFileDevice::ReadOwner));
        const QString list = path(QStringLiteral("deleted.m3u"));
        QCOMPARE(tool({QStringLiteral("scan"), QStringLiteral("W:\\alpha"), QStringLiteral("--delete"),
                       QStringLiteral("--format"), QStringLiteral("m3u"), QStringLiteral("--output"), list}),
                 1);
        QStringList lines = m_out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        lines.sort();
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], QStringLiteral("deleted\tW:\\alpha\\one.MP!"));
        QVERIFY(lines[1].startsWith(QStringLiteral("failed\tW:\\alpha\\two.mp3\t")));
        QVERIFY(!QFile::exists(root + QStringLiteral("/alpha/one.MP!")));
        QVERIFY(QFile::exists(kept));
        // The list of what was found is written first, both files in it.
        const QByteArray written = test::readAllBytes(list);
        QVERIFY(written.contains("W:\\alpha\\one.MP!\r\n"));
        QVERIFY(written.contains("W:\\alpha\\two.mp3\r\n"));

        // Nothing found: nothing printed, success.
        QCOMPARE(tool({QStringLiteral("scan"), QStringLiteral("W:\\Beta"), QStringLiteral("--kind"),
                       QStringLiteral("bitrate"), QStringLiteral("--bitrate"), QStringLiteral("gt"),
                       QStringLiteral("320"), QStringLiteral("--delete")}),
                 0);
        QVERIFY(m_out.isEmpty());
        QVERIFY(QFile::exists(root + QStringLiteral("/Beta/b.MP!")));
    }

    void quarantineLinePerItem()
    {
        const QString root = freshDrive();
        const auto noW = qScopeGuard([this] { m_drives->remove('W'); });
        QCOMPARE(tool({QStringLiteral("scan"), QStringLiteral("W:\\Beta"), QStringLiteral("--quarantine"),
                       QStringLiteral("Quarantine")}),
                 0);
        QCOMPARE(m_out, QStringLiteral("moved\tW:\\Beta\\b.MP!\tW:\\Quarantine\\Beta\\b.MP!\n"
                                       "moved\tW:\\Beta\\deep\\c.mp3\tW:\\Quarantine\\Beta\\deep\\c.mp3\n"));
        QVERIFY(QFile::exists(root + QStringLiteral("/Quarantine/Beta/deep/c.mp3")));
        QVERIFY(!QFileInfo::exists(root + QStringLiteral("/Beta")));  // emptied, so removed

        // ".." in the quarantine text stays on the drive.
        QCOMPARE(tool({QStringLiteral("scan"), QStringLiteral("W:\\Zeta"), QStringLiteral("--quarantine"),
                       QStringLiteral("..\\..\\out")}),
                 0);
        QCOMPARE(m_out, QStringLiteral("moved\tW:\\Zeta\\z.mp3\tW:\\out\\Zeta\\z.mp3\n"));
        QVERIFY(QFile::exists(root + QStringLiteral("/out/Zeta/z.mp3")));
        QVERIFY(!QFileInfo::exists(QFileInfo(root).dir().filePath(QStringLiteral("out"))));

        // Only a folder on a drive has a quarantine; one operation at a time.
        QCOMPARE(tool({QStringLiteral("scan"), path(QStringLiteral("music")), QStringLiteral("--quarantine"),
                       QStringLiteral("Q")}),
                 2);
        QVERIFY(m_err.contains(QStringLiteral("--quarantine needs a folder on a drive")));
        QCOMPARE(tool({QStringLiteral("scan"), QStringLiteral("W:\\"), QStringLiteral("--delete"),
                       QStringLiteral("--unmark")}),
                 2);
        QVERIFY(QFile::exists(root + QStringLiteral("/alpha/two.mp3")));
    }

    // --quarantine and --delete enter folder links within the drive only; a start folder off it is refused.
    void operationsStayOnTheDrive_data()
    {
        QTest::addColumn<QStringList>("operation");
        QTest::addColumn<QStringList>("done");  // what happened to W:\fe\in.mp3 and W:\fe\linkin\other.mp3
        QTest::newRow("quarantine") << QStringList{"--quarantine", "Quarantine"}
                                    << QStringList{"moved\tW:\\fe\\in.mp3\tW:\\Quarantine\\fe\\in.mp3",
                                                   "moved\tW:\\fe\\linkin\\other.mp3\tW:\\Quarantine\\fe\\linkin\\other.mp3"};
        QTest::newRow("delete") << QStringList{"--delete"}
                                << QStringList{"deleted\tW:\\fe\\in.mp3", "deleted\tW:\\fe\\linkin\\other.mp3"};
    }
    void operationsStayOnTheDrive()
    {
        QFETCH(QStringList, operation);
        QFETCH(QStringList, done);
        const QString root = m_drives->add('W');
        const auto noW = qScopeGuard([this] { m_drives->remove('W'); });
        QTemporaryDir elsewhere;
        const QString outside = elsewhere.filePath("out.mp3");
        for (const QString &file : {outside, root + "/fe/in.mp3", root + "/other/other.mp3"})
            test::writeBytes(file, test::cbrFile());
        QVERIFY(QFile::link(elsewhere.path(), root + "/fe/linkout"));
        QVERIFY(QFile::link("../other", root + "/fe/linkin"));

        QCOMPARE(tool(QStringList{"scan", "W:\\fe\\linkout"} + operation), 1);
        QVERIFY2(m_err.contains("W:\\fe\\linkout leads off its drive") && m_out.isEmpty(), qPrintable(m_err));
        QCOMPARE(tool(QStringList{"scan", "W:\\fe"} + operation), 0);
        QStringList lines = m_out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        lines.sort();
        QCOMPARE(lines, done);
        QCOMPARE(test::readAllBytes(outside), test::cbrFile());
        QVERIFY(!QFileInfo::exists(root + "/Quarantine/fe/linkout"));
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
        QTest::newRow("negative limit") << QStringList{dir, QStringLiteral("--limit"), QStringLiteral("-1")}
                                        << QStringLiteral("--limit is a number of files");
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

    // --limit lifts the manager's cut of the list, and standard error says when a cut was made.
    void scanLimit_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("listed");
        QTest::addColumn<QString>("cut");  // the limit named on stderr; empty: no message
        QTest::newRow("default, as the manager") << QStringList() << 5000 << "5000";
        QTest::newRow("none") << QStringList{"--limit", "0"} << 5003 << QString();
        QTest::newRow("exactly enough") << QStringList{"--limit", "5003"} << 5003 << QString();
    }
    void scanLimit()
    {
        QFETCH(QStringList, options);
        QFETCH(int, listed);
        QFETCH(QString, cut);
        const QString many = path("many");
        if (!QFileInfo::exists(many)) {
            QVERIFY(QDir().mkpath(many + "/sub"));
            for (int i = 0; i < 5003; ++i)
                QVERIFY(QFile(many + (i % 2 ? "/sub" : "") + QString::asprintf("/%04d.mp3", i)).open(QFile::WriteOnly));
        }
        QCOMPARE(tool(QStringList{"scan", many, "--json"} + options), 0);
        const QJsonObject o = QJsonDocument::fromJson(m_out.toUtf8()).object();
        QCOMPARE(o.value("records").toArray().size(), listed);
        QCOMPARE(o.value("table full").toBool(), !cut.isEmpty());
        QCOMPARE(m_err, cut.isEmpty() ? QString()
                                      : QStringLiteral("voxatool scan: the list stops at %1 MP3 files (--limit %1); "
                                                       "more lie below %2 (--limit 0 lists them all)\n")
                                            .arg(cut, many));
        QCOMPARE(tool(QStringList{"scan", many} + options), 0);  // plain text lists the same files, one a line
        QCOMPARE(m_out.count(QLatin1Char('\n')), listed);
    }
};

QTEST_GUILESS_MAIN(TestMusicTool)
#include "test_musictool.moc"
