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
}  // namespace

// For each command, the arguments and options its help must explain.
static const QMap<QString, QString> &helpTable()
{
    static const QMap<QString, QString> table{
        {QStringLiteral("download"), QStringLiteral("URL DIR --sha256 --drive --proxy --no-proxy --json")},
        {QStringLiteral("drives"), QStringLiteral("--bytes --json")},
        {QStringLiteral("logo"), QStringLiteral("PICTURE OUT.lce --type --threshold --crop --invert --black-frame")},
        {QStringLiteral("make-messages"), QStringLiteral("SOURCE OUT.mgs")},
        {QStringLiteral("make-mp3"),
         QStringLiteral("FILE --mpeg --layer --rate --mono --kbps --frames --vbr --xing --vbri --junk --id3v1 "
                        "--title --artist --album --year --comment --track --genre --id3v2 --frame")},
        {QStringLiteral("myradio"), QStringLiteral("OUT.mra PATH:CLASS")},
        {QStringLiteral("myradio-copy"),
         QStringLiteral("PROFILE... DEST --overwrite --skip --content-only --drive --json")},
        {QStringLiteral("new-config"), QStringLiteral("OUT.cfg SETTING=VALUE")},
        {QStringLiteral("play-order"), QStringLiteral("DIR --json")},
        {QStringLiteral("playdisplay"),
         QStringLiteral("OUT.ply FIELD at= width= font= inverse align= --type --no-vumeter")},
        {QStringLiteral("rollback"), QStringLiteral("DRIVE")},
        {QStringLiteral("sample-picture"), QStringLiteral("OUT --size --quality")},
        {QStringLiteral("scan"),
         QStringLiteral("DIR --kind --bitrate --date --size --extend --limit --format --json --size-unit "
                        "--native-paths --output --unmark --delete --quarantine")},
        {QStringLiteral("settings"),
         QStringLiteral("DRIVE KEY=VALUE version= language= left= top= display= use-proxy= proxy-server= "
                        "proxy-port= quarantine=")},
        {QStringLiteral("show"), QStringLiteral("FILE... --json")},
        {QStringLiteral("sort"), QStringLiteral("DIR --force --dry-run --json")},
        {QStringLiteral("update-check"), QStringLiteral("URL --drive --proxy --no-proxy --json")},
    };
    return table;
}

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

    // One line naming the command and where to look, and status 2, however
    // the unknown name is reached.
    void unknownCommand_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("name");
        QTest::newRow("alone") << QStringList{QStringLiteral("frobnicate")} << QStringLiteral("frobnicate");
        QTest::newRow("with arguments") << QStringList{QStringLiteral("frob"), QStringLiteral("x"), QStringLiteral("--help")}
                                        << QStringLiteral("frob");
        QTest::newRow("letter case counts") << QStringList{QStringLiteral("SCAN"), QStringLiteral("/tmp")}
                                            << QStringLiteral("SCAN");
        QTest::newRow("help for it") << QStringList{QStringLiteral("help"), QStringLiteral("nope")} << QStringLiteral("nope");
    }
    void unknownCommand()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, name);
        QString out, err;
        QCOMPARE(run(args, out, err), 2);
        QCOMPARE(err, QStringLiteral("voxatool: unknown command '%1'; see voxatool --help\n").arg(name));
        QCOMPARE(out, QString());
    }

    // "COMMAND --help" explains each argument and option below the usage,
    // and ends with an example of that command.
    void commandHelp_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("names");  // arguments and options the text must explain
        for (auto it = helpTable().cbegin(); it != helpTable().cend(); ++it)
            QTest::newRow(qPrintable(it.key())) << it.key() << it.value().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    }
    void commandHelp()
    {
        QFETCH(QString, command);
        QFETCH(QStringList, names);
        QString out, err;
        QCOMPARE(run({command, QStringLiteral("--help")}, out, err), 0);
        QCOMPARE(err, QString());
        // What follows the usage and the summary.
        const qsizetype blank = out.indexOf(QStringLiteral("\n\n"));
        QVERIFY2(blank > 0, qPrintable(out));
        const QString body = out.mid(blank + 2);
        // Each name stands in a line of its own explanation, not only in the usage.
        auto explained = [&](const QString &name) {
            const QRegularExpression word(QStringLiteral("(^|[\\s,(\"])") + QRegularExpression::escape(name)
                                          + QStringLiteral("($|[\\s,)=\"]|(?<==))"),
                                          QRegularExpression::MultilineOption);
            return word.match(body).hasMatch();
        };
        for (const QString &name : names)
            QVERIFY2(explained(name), qPrintable(command + QStringLiteral(": ") + name));
        // Every option the usage offers is explained, and the table above
        // knows them all.
        const ToolCommand *c = nullptr;
        for (const ToolCommand *each : commands())
            if (each->name == command)
                c = each;
        QVERIFY(c);
        QRegularExpressionMatchIterator it = QRegularExpression(QStringLiteral("--[a-z0-9-]+")).globalMatch(c->usage);
        while (it.hasNext()) {
            const QString option = it.next().captured();
            QVERIFY2(names.contains(option), qPrintable(command + QStringLiteral(": ") + option));
        }
        QVERIFY2(body.contains(QStringLiteral("example:\n  voxatool ") + command + QLatin1Char(' ')), qPrintable(body));
        // "voxatool help COMMAND" says the same.
        QString again;
        QCOMPARE(run({QStringLiteral("help"), command}, again, err), 0);
        QCOMPARE(again, out);
    }

    // A new command comes with its help and a row in the table above.
    void everyCommandHasHelp()
    {
        for (const ToolCommand *c : commands()) {
            QVERIFY2(helpTable().contains(c->name), qPrintable(c->name));
            QVERIFY2(!c->help.isEmpty(), qPrintable(c->name));
        }
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

    // A header line, then one line per drive with sizes in GB, or in bytes
    // with --bytes.
    void drives_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QStringList>("eLine");
        QTest::addColumn<QStringList>("fLine");
        QTest::newRow("GB") << QStringList() << QStringLiteral("GB")
                            << QStringList{QStringLiteral("removable"), QStringLiteral("FAT32"), QStringLiteral("VOXA"),
                                           QStringLiteral(" 16.00 "), QStringLiteral(" 1.00 ")}
                            << QStringList{QStringLiteral("fixed"), QStringLiteral("NTFS"), QStringLiteral(" - "),
                                           QStringLiteral(" 2.00 "), QStringLiteral(" 1.50 ")};
        QTest::newRow("bytes") << QStringList{QStringLiteral("--bytes")} << QStringLiteral("bytes")
                               << QStringList{QStringLiteral(" 17179869184 "), QStringLiteral(" 1073741824 ")}
                               << QStringList{QStringLiteral(" 2147483648 "), QStringLiteral(" 1610612736 ")};
    }
    void drives()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, unit);
        QFETCH(QStringList, eLine);
        QFETCH(QStringList, fLine);
        TestDriveTable table;
        const QString eRoot = table.add(QLatin1Char('E'));
        table.add(QLatin1Char('F'), voxa::platform::DriveType::Fixed, QStringLiteral("NTFS"), QString(), 3LL << 29,
                  1LL << 31);
        QString out, err;
        QCOMPARE(run(QStringList{QStringLiteral("drives")} + options, out, err), 0);
        const QStringList lines = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        QVERIFY2(lines[0].startsWith(QStringLiteral("Drive")), qPrintable(out));
        QVERIFY2(lines[0].contains(QStringLiteral("Total ") + unit) && lines[0].contains(QStringLiteral("Free ") + unit),
                 qPrintable(lines[0]));
        QVERIFY(lines[1].startsWith(QStringLiteral("E:")));
        QVERIFY(lines[1].endsWith(QStringLiteral("  ") + eRoot));
        for (const QString &part : eLine)
            QVERIFY2(lines[1].contains(part), qPrintable(lines[1] + QStringLiteral(" lacks ") + part));
        QVERIFY(lines[2].startsWith(QStringLiteral("F:")));
        for (const QString &part : fLine)
            QVERIFY2(lines[2].contains(part), qPrintable(lines[2] + QStringLiteral(" lacks ") + part));
    }

    // --json prints one document with exactly the keys the command's help
    // documents; records are objects with exactly their documented keys.
    void jsonLayouts_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("keys");        // of the top object; empty: the top is an array
        QTest::addColumn<QString>("recordsKey");      // where the records are; empty: the top array
        QTest::addColumn<QStringList>("recordKeys");  // empty: the records are texts
        QTest::addColumn<int>("records");
        const QString music = QStringLiteral("E:\\music");
        QTest::newRow("drives") << QStringList{QStringLiteral("drives"), QStringLiteral("--json")}
                                << QStringList{QStringLiteral("drives")} << QStringLiteral("drives")
                                << QStringList{QStringLiteral("fileSystem"), QStringLiteral("freeBytes"),
                                               QStringLiteral("label"), QStringLiteral("letter"), QStringLiteral("root"),
                                               QStringLiteral("totalBytes"), QStringLiteral("type")}
                                << 2;
        QTest::newRow("show") << QStringList{QStringLiteral("show"), QStringLiteral("--json"),
                                             QStringLiteral("E:\\voxa\\config\\a.cfg")}
                              << QStringList() << QString()
                              << QStringList{QStringLiteral("ConfigNames"), QStringLiteral("ConfigWords"),
                                             QStringLiteral("file"), QStringLiteral("kind")}
                              << 1;
        QTest::newRow("scan list") << QStringList{QStringLiteral("scan"), music, QStringLiteral("--json")}
                                   << QStringList{QStringLiteral("entries"), QStringLiteral("folder"),
                                                  QStringLiteral("found"), QStringLiteral("limit"),
                                                  QStringLiteral("records"), QStringLiteral("table full")}
                                   << QStringLiteral("records")
                                   << QStringList{QStringLiteral("date"), QStringLiteral("directory"),
                                                  QStringLiteral("file name"), QStringLiteral("marked"),
                                                  QStringLiteral("size")}
                                   << 3;
        QTest::newRow("scan results") << QStringList{QStringLiteral("scan"), music, QStringLiteral("--unmark"),
                                                     QStringLiteral("--json")}
                                      << QStringList{QStringLiteral("results")} << QStringLiteral("results")
                                      << QStringList{QStringLiteral("detail"), QStringLiteral("path"),
                                                     QStringLiteral("result")}
                                      << 3;
        QTest::newRow("play-order") << QStringList{QStringLiteral("play-order"), music, QStringLiteral("--json")}
                                    << QStringList{QStringLiteral("now"), QStringLiteral("sorted")}
                                    << QStringLiteral("now") << QStringList() << 3;
        QTest::newRow("myradio-copy") << QStringList{QStringLiteral("myradio-copy"), QStringLiteral("--json"),
                                                     QStringLiteral("E:\\voxa\\myradio\\p.mra"), QStringLiteral("F:\\")}
                                      << QStringList{QStringLiteral("allCopied"), QStringLiteral("profiles")}
                                      << QStringLiteral("profiles")
                                      << QStringList{QStringLiteral("bytesCopied"), QStringLiteral("copied"),
                                                     QStringLiteral("elementsMissing"), QStringLiteral("fileName"),
                                                     QStringLiteral("filesCopied"), QStringLiteral("filesFailed"),
                                                     QStringLiteral("filesSkipped"), QStringLiteral("profileCopy")}
                                      << 1;
        QTest::newRow("sort --dry-run") << QStringList{QStringLiteral("sort"), music, QStringLiteral("--dry-run"),
                                                       QStringLiteral("--force"), QStringLiteral("--json")}
                                        << QStringList{QStringLiteral("directory"), QStringLiteral("files"),
                                                       QStringLiteral("reason"), QStringLiteral("steps"),
                                                       QStringLiteral("wouldSort")}
                                        << QStringLiteral("steps")
                                        << QStringList{QStringLiteral("from"), QStringLiteral("step"), QStringLiteral("to")}
                                        << 6;  // mkdir, three moves, rmdir, rename
    }
    void jsonLayouts()
    {
        QFETCH(QStringList, args);
        QFETCH(QStringList, keys);
        QFETCH(QString, recordsKey);
        QFETCH(QStringList, recordKeys);
        QFETCH(int, records);
        TestDriveTable table;
        QVERIFY(QDir(table.add(QLatin1Char('E'))).mkpath(QStringLiteral("voxa/config")));
        QVERIFY(QDir(table.root(QLatin1Char('E'))).mkpath(QStringLiteral("voxa/myradio")));
        table.add(QLatin1Char('F'));
        QString out, err;
        for (const QStringList &made : {
                 QStringList{QStringLiteral("make-mp3"), QStringLiteral("E:\\music\\b.mp3")},
                 QStringList{QStringLiteral("make-mp3"), QStringLiteral("E:\\music\\a.mp3")},
                 QStringList{QStringLiteral("make-mp3"), QStringLiteral("E:\\music\\c.mp3")},
                 QStringList{QStringLiteral("new-config"), QStringLiteral("E:\\voxa\\config\\a.cfg")},
                 QStringList{QStringLiteral("myradio"), QStringLiteral("E:\\voxa\\myradio\\p.mra"),
                             QStringLiteral("music:10")}})
            QVERIFY2(run(made, out, err) == 0, qPrintable(err));
        out.clear();
        QCOMPARE(run(args, out, err), 0);
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(out.toUtf8(), &error);
        QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(out));
        // The keys are the documented ones.
        QString help;
        QCOMPARE(run({args[0], QStringLiteral("--help")}, help, err), 0);
        for (const QString &key : keys + recordKeys)
            QVERIFY2(help.contains(QLatin1Char('"') + key + QLatin1Char('"')),
                     qPrintable(args[0] + QStringLiteral(" does not document ") + key));
        QJsonArray list;
        if (keys.isEmpty()) {
            QVERIFY(doc.isArray());
            list = doc.array();
        } else {
            QVERIFY(doc.isObject());
            QCOMPARE(doc.object().keys(), keys);
            list = doc.object().value(recordsKey).toArray();
        }
        QCOMPARE(list.size(), records);
        for (const QJsonValue &record : list) {
            if (recordKeys.isEmpty())
                QVERIFY(record.isString());
            else
                QCOMPARE(record.toObject().keys(), recordKeys);
        }
    }

    // sort --dry-run takes any folder, moves nothing, and says whether a
    // real sort would run (exit status 0) or not (1) and why.
    void sortDryRun_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("steps");   // lines on standard output
        QTest::addColumn<QString>("says");  // on standard error
        const QString music = QStringLiteral("E:\\music");
        QTest::newRow("too few files") << QStringList{music, QStringLiteral("--dry-run")} << 1 << 6
                                       << QStringLiteral("voxatool sort: a real sort would not run: TOOFEW (--force "
                                                         "sorts it anyway)\n");
        QTest::newRow("forced") << QStringList{QStringLiteral("--force"), music, QStringLiteral("--dry-run")} << 0 << 6
                                << QStringLiteral("voxatool sort: a real sort would run: 3 files in E:\\music\n");
        QTest::newRow("the drive's root") << QStringList{QStringLiteral("E:\\"), QStringLiteral("--dry-run"),
                                                         QStringLiteral("--force")}
                                          << 1 << 0
                                          << QStringLiteral("voxatool sort: a real sort would not run: the drive's root, "
                                                            "voxa and folders in voxa\\Temp cannot be sorted: E:\\\n");
        QTest::newRow("on no drive") << QStringList{QStringLiteral("OUTSIDE"), QStringLiteral("--dry-run")} << 1 << 0
                                     << QStringLiteral("voxatool sort: a real sort would not run: OUTSIDE lies on no "
                                                       "drive (see voxatool drives)\n");
        QTest::newRow("json without --dry-run") << QStringList{music, QStringLiteral("--json")} << 2 << 0
                                                << QStringLiteral("voxatool sort: --json goes with --dry-run\n");
    }
    void sortDryRun()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(int, steps);
        QFETCH(QString, says);
        TestDriveTable table;
        const QString root = table.add(QLatin1Char('E'));
        QTemporaryDir outside;
        args.replaceInStrings(QStringLiteral("OUTSIDE"), outside.path());
        says.replace(QStringLiteral("OUTSIDE"), outside.path());
        says.replace(QStringLiteral("TOOFEW"), voxa::msg(voxa::Msg::TooFewFilesToSort));
        QString out, err;
        for (const char *name : {"c.mp3", "a.mp3", "b.mp3"})
            QVERIFY(run({QStringLiteral("make-mp3"), QStringLiteral("E:\\music\\") + QLatin1String(name)}, out, err) == 0);
        const QStringList before = QDir(root + QStringLiteral("/music")).entryList(QDir::Files, QDir::Unsorted);
        out.clear();
        QCOMPARE(run(QStringList{QStringLiteral("sort")} + args, out, err), status);
        QVERIFY2(out.count(QLatin1Char('\n')) == steps, qPrintable(out));
        QVERIFY2(err.startsWith(says), qPrintable(err));
        QCOMPARE(QDir(root + QStringLiteral("/music")).entryList(QDir::Files, QDir::Unsorted), before);
        QVERIFY(!QFileInfo::exists(root + QStringLiteral("/voxa/Temp")));
    }
};

QTEST_GUILESS_MAIN(TestTool)
#include "test_tool.moc"
