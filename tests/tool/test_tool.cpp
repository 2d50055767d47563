#include "app/messagetable.h"
#include "support/testdrives.h"
#include "tool/command.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace voxa::tool;
using voxa::test::TestDriveTable;

namespace {
int run(const QStringList &args, QString &out, QString &err)
{
    QTextStream o(&out), e(&err);
    Io io{o, e};
    return runTool(args, io);
}

QStringList words(const char *text)
{
    return QString::fromLatin1(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// Each command, then the arguments and options its help must explain.
const char *const helpTable[] = {
    "download URL DIR --sha256 --drive --proxy --no-proxy --json", "drives --bytes --json",
    "logo PICTURE OUT.lce --type --threshold --crop --invert --black-frame", "make-messages SOURCE OUT.mgs",
    "make-mp3 FILE --mpeg --layer --rate --mono --kbps --frames --vbr --xing --vbri --junk --id3v1 --title --artist "
    "--album --year --comment --track --genre --id3v2 --frame",
    "myradio OUT.mra PATH:CLASS", "myradio-copy PROFILE... DEST --overwrite --skip --content-only --drive --json",
    "new-config OUT.cfg SETTING=VALUE", "play-order DIR --json",
    "playdisplay OUT.ply FIELD at= width= font= inverse align= --type --no-vumeter", "rollback DRIVE",
    "sample-picture OUT --size --quality", "show FILE... --json", "sort DIR --force --dry-run --json",
    "scan DIR --kind --bitrate --date --size --extend --limit --format --json --size-unit --native-paths --output "
    "--unmark --delete --quarantine",
    "settings DRIVE KEY=VALUE version= language= left= top= display= use-proxy= proxy-server= proxy-port= quarantine=",
    "update-check URL --drive --proxy --no-proxy --json"};
}  // namespace

class TestTool : public QObject {
    Q_OBJECT
private slots:
    void usageAndVersion()
    {
        QString out, err;
        QCOMPARE(run({}, out, err), 2);
        QVERIFY(err.contains(QStringLiteral("usage: voxatool")));
        out.clear();
        QCOMPARE(run({QStringLiteral("--version")}, out, err), 0);
        QCOMPARE(out, QStringLiteral("voxatool 3.01.01\n"));
    }

    // One line naming the command and status 2, however the unknown name is reached.
    void unknownCommand_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("alone") << words("frobnicate");
        QTest::newRow("letter case counts") << words("SCAN /tmp");
        QTest::newRow("help for it") << words("help frobnicate");
    }
    void unknownCommand()
    {
        QFETCH(QStringList, args);
        QString out, err;
        QCOMPARE(run(args, out, err), 2);
        const QString name = args[0] == "help" ? args[1] : args[0];
        QCOMPARE(err, QStringLiteral("voxatool: unknown command '%1'; see voxatool --help\n").arg(name));
        QCOMPARE(out, QString());
    }

    // COMMAND --help (= help COMMAND) explains each argument and option, with an example.
    void commandHelp_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("usage");
        for (const ToolCommand *c : commands())
            QTest::newRow(qPrintable(c->name)) << c->name << c->usage;
    }
    void commandHelp()
    {
        QFETCH(QString, command);
        QFETCH(QString, usage);
        QStringList names;
        for (const char *row : helpTable)
            if (words(row).constFirst() == command)
                names = words(row).mid(1);
        QVERIFY2(!names.isEmpty(), "a new command needs its row in helpTable");
        QString out, err;
        QCOMPARE(run({command, "--help"}, out, err), 0);
        QCOMPARE(err, QString());
        const qsizetype blank = out.indexOf("\n\n");
        QVERIFY2(blank > 0, qPrintable(out));
        const QString body = out.mid(blank + 2);
        for (const QString &name : names) {  // in a line of its own explanation, not only in the usage
            const QRegularExpression word("(^|[\\s,(\"])" + QRegularExpression::escape(name) + "($|[\\s,)=\"]|(?<==))",
                                          QRegularExpression::MultilineOption);
            QVERIFY2(word.match(body).hasMatch(), qPrintable(command + ": " + name));
        }
        QRegularExpressionMatchIterator it = QRegularExpression("--[a-z0-9-]+").globalMatch(usage);
        while (it.hasNext()) {
            const QString option = it.next().captured();
            QVERIFY2(names.contains(option), qPrintable(command + ": " + option + " is not in helpTable"));
        }
        QVERIFY2(body.contains("example:\n  voxatool " + command + ' '), qPrintable(body));
        QString again;
        QCOMPARE(run({"help", command}, again, err), 0);
        QCOMPARE(again, out);
    }

    void everyCommandIsListed()
    {
        QString out, err;
        QCOMPARE(run({QStringLiteral("--help")}, out, err), 0);
        QVERIFY(!commands().isEmpty());
        for (const ToolCommand *c : commands())
            QVERIFY2(out.contains(c->usage), qPrintable(c->name));
    }

    // Help asked for after a command shows its usage and runs nothing: no
    // file named "--help" appears, whatever stands before it.
    void helpAfterACommandRunsNothing_data()
    {
        QTest::addColumn<QStringList>("tail");
        QTest::newRow("alone") << QStringList{QStringLiteral("--help")};
        QTest::newRow("after an output name") << QStringList{QStringLiteral("out.x"), QStringLiteral("--help")};
        QTest::newRow("short") << QStringList{QStringLiteral("-h")};
    }
    void helpAfterACommandRunsNothing()
    {
        QFETCH(QStringList, tail);
        QTemporaryDir dir;
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        for (const ToolCommand *c : commands()) {
            QString out, err;
            const int rc = run(QStringList{c->name} + tail, out, err);
            QVERIFY2(rc == 0, qPrintable(c->name));
            QVERIFY2(out.contains(QStringLiteral("usage: voxatool ") + c->usage), qPrintable(c->name));
            QVERIFY2(QDir(dir.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                     qPrintable(c->name));
        }
        QVERIFY(QDir::setCurrent(before));
    }

    // A header line, then one line per drive with sizes in GB, or in bytes with --bytes.
    void drives_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("lines");  // what each line holds, parts split by |
        QTest::newRow("GB") << QStringList()
                            << QStringList{"Drive|Total GB|Free GB", "E:|removable|FAT32|VOXA| 16.00 | 1.00 ",
                                           "F:|fixed|NTFS| - | 2.00 | 1.50 "};
        QTest::newRow("bytes") << words("--bytes")
                               << QStringList{"Drive|Total bytes|Free bytes", "E:| 17179869184 | 1073741824 ",
                                              "F:| 2147483648 | 1610612736 "};
    }
    void drives()
    {
        QFETCH(QStringList, options);
        QFETCH(QStringList, lines);
        TestDriveTable table;
        const QString eRoot = table.add(QLatin1Char('E'));
        table.add(QLatin1Char('F'), voxa::platform::DriveType::Fixed, "NTFS", QString(), 3LL << 29, 1LL << 31);
        QString out, err;
        QCOMPARE(run(QStringList{"drives"} + options, out, err), 0);
        const QStringList printed = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(printed.size(), 3);
        for (int i = 0; i < 3; ++i) {
            const QStringList parts = lines[i].split(QLatin1Char('|'));
            QVERIFY2(printed[i].startsWith(parts[0]), qPrintable(printed[i]));
            for (const QString &part : parts)
                QVERIFY2(printed[i].contains(part), qPrintable(printed[i] + " lacks " + part));
        }
        QVERIFY(printed[1].endsWith("  " + eRoot));
    }

    // --json prints one document whose keys, and its records' keys, are exactly the documented ones.
    void jsonLayouts_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("keys");        // of the top object; empty: the top is an array
        QTest::addColumn<QString>("recordsKey");      // where the records are; empty: the top array
        QTest::addColumn<QStringList>("recordKeys");  // empty: the records are texts
        QTest::addColumn<int>("records");
        QTest::newRow("drives") << words("drives --json") << words("drives") << "drives"
                                << words("fileSystem freeBytes label letter root totalBytes type") << 2;
        QTest::newRow("show") << words("show --json E:\\voxa\\config\\a.cfg") << QStringList() << QString()
                              << words("ConfigNames ConfigWords file kind") << 1;
        QTest::newRow("scan list") << words("scan E:\\music --json")
                                   << QStringList{"entries", "folder", "found", "limit", "records", "table full"}
                                   << "records" << QStringList{"date", "directory", "file name", "marked", "size"} << 3;
        QTest::newRow("scan results") << words("scan E:\\music --unmark --json") << words("results") << "results"
                                      << words("detail path result") << 3;
        QTest::newRow("play-order") << words("play-order E:\\music --json") << words("now sorted") << "now"
                                    << QStringList() << 3;
        QTest::newRow("myradio-copy") << words("myradio-copy --json E:\\voxa\\myradio\\p.mra F:\\")
                                      << words("allCopied profiles") << "profiles"
                                      << words("bytesCopied copied elementsMissing fileName filesCopied filesFailed "
                                               "filesSkipped profileCopy")
                                      << 1;
        QTest::newRow("sort --dry-run") << words("sort E:\\music --dry-run --force --json")
                                        << words("directory files reason steps wouldSort") << "steps"
                                        << words("from step to") << 6;  // mkdir, three moves, rmdir, rename
    }
    void jsonLayouts()
    {
        QFETCH(QStringList, args);
        QFETCH(QStringList, keys);
        QFETCH(QString, recordsKey);
        QFETCH(QStringList, recordKeys);
        QFETCH(int, records);
        TestDriveTable table;
        const QDir e(table.add(QLatin1Char('E')));
        QVERIFY(e.mkpath("voxa/config") && e.mkpath("voxa/myradio"));
        table.add(QLatin1Char('F'));
        QString out, err;
        for (const char *made : {"make-mp3 E:\\music\\b.mp3", "make-mp3 E:\\music\\a.mp3", "make-mp3 E:\\music\\c.mp3",
                                 "new-config E:\\voxa\\config\\a.cfg", "myradio E:\\voxa\\myradio\\p.mra music:10"})
            QVERIFY2(run(words(made), out, err) == 0, qPrintable(err));
        out.clear();
        QCOMPARE(run(args, out, err), 0);
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(out.toUtf8(), &error);
        QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(out));
        QString help;
        QCOMPARE(run({args[0], "--help"}, help, err), 0);
        for (const QString &key : keys + recordKeys)
            QVERIFY2(help.contains('"' + key + '"'), qPrintable(args[0] + " does not document " + key));
        QCOMPARE(keys.isEmpty() ? QStringList() : doc.object().keys(), keys);
        QVERIFY(keys.isEmpty() ? doc.isArray() : doc.isObject());
        const QJsonArray list = keys.isEmpty() ? doc.array() : doc.object().value(recordsKey).toArray();
        QCOMPARE(list.size(), records);
        for (const QJsonValue &record : list)
            QVERIFY2(recordKeys.isEmpty() ? record.isString() : record.toObject().keys() == recordKeys,
                     qPrintable(QJsonDocument(list).toJson()));
    }

    // sort --dry-run moves nothing and says why a real sort would not run (a forced plan: jsonLayouts).
    void sortDryRun()
    {
        TestDriveTable table;
        const QString music = table.add(QLatin1Char('E')) + "/music";
        QString out, err;
        for (const char *name : {"c.mp3", "a.mp3", "b.mp3"})
            QVERIFY(run({"make-mp3", QStringLiteral("E:\\music\\") + QLatin1String(name)}, out, err) == 0);
        const QStringList before = QDir(music).entryList(QDir::Files, QDir::Unsorted);
        out.clear();
        QCOMPARE(run(words("sort E:\\music --dry-run"), out, err), 1);
        QVERIFY2(out.count(QLatin1Char('\n')) == 6, qPrintable(out));
        QVERIFY2(err.startsWith("voxatool sort: a real sort would not run: " + voxa::msg(voxa::Msg::TooFewFilesToSort) +
                                " (--force sorts it anyway)\n"),
                 qPrintable(err));
        err.clear();
        QCOMPARE(run(words("sort E:\\music --json"), out, err), 2);
        QVERIFY2(err.startsWith("voxatool sort: --json goes with --dry-run\n"), qPrintable(err));
        QCOMPARE(QDir(music).entryList(QDir::Files, QDir::Unsorted), before);
        QVERIFY(!QFileInfo::exists(music + "/../voxa/Temp"));
    }
};

QTEST_GUILESS_MAIN(TestTool)
#include "test_tool.moc"
