// voxatool over config, message and MyRadio files: writing them, showing
// them (also as JSON), and the sample drive's recipe.
#include "editors/config/configfile.h"
#include "editors/messages/messagefile.h"
#include "editors/myradio/myradiofile.h"
#include "support/toolrun.h"
#include "tool/command.h"

#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace voxa;
using namespace voxa::tool;
using namespace voxa::test;

class TestToolFormatsA : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    QString path(const QString &name) const { return dir.filePath(name); }

private slots:
    void newConfigIsTheNewDocument()
    {
        const Run r = run({QStringLiteral("new-config"), path(QStringLiteral("new.cfg"))});
        QCOMPARE(r.status, 0);
        QCOMPARE(readAll(path(QStringLiteral("new.cfg"))), *configFileBytes(ConfigDocument()));
    }

    void newConfigSettings()
    {
        const QString file = path(QStringLiteral("set.cfg"));
        const Run r = run({QStringLiteral("new-config"), file, QStringLiteral("Volume=-5"),
                           QStringLiteral("car.equalizer=rock"), QStringLiteral("Repeat Mode=Off"),
                           QStringLiteral("26=368"), QStringLiteral("message=DEFAULT"),
                           QStringLiteral("myradiofile=Kőbánya"), QStringLiteral("logo=unchanged")});
        QCOMPARE(r.status, 0);
        const FileResult<ConfigDocument> doc = ReadConfigFile(file);
        QVERIFY(doc.ok());
        QCOMPARE(doc->word(1), qint16(-5));
        QCOMPARE(doc->word(13), qint16(276));
        QCOMPARE(doc->word(18), qint16(320));
        QCOMPARE(doc->word(26), qint16(368));
        QVERIFY(doc->name(MessageSlot).isEmpty());
        QCOMPARE(doc->name(MyRadioSlot).text(), QStringLiteral("Kőbánya"));
        QVERIFY(doc->name(LogoSlot).isUnchanged());

        const Run shown = run({QStringLiteral("show"), file, QStringLiteral("--json")});
        QCOMPARE(shown.status, 0);
        const QJsonObject o = shownJson(shown);
        const QJsonArray words = o.value(QStringLiteral("ConfigWords")).toArray();
        QCOMPARE(words.size(), 28);
        QCOMPARE(words[12].toObject().value(QStringLiteral("setting")).toString(), QStringLiteral("Equalizer"));
        QCOMPARE(words[12].toObject().value(QStringLiteral("page")).toString(), QStringLiteral("Car Audio"));
        QCOMPARE(words[12].toObject().value(QStringLiteral("text")).toString(), QStringLiteral("Rock"));
        QCOMPARE(words[0].toObject().value(QStringLiteral("value")).toInt(), -5);
        QCOMPARE(words[1].toObject().value(QStringLiteral("unchanged")).toBool(), true);
        const QJsonArray names = o.value(QStringLiteral("ConfigNames")).toArray();
        QCOMPARE(names.size(), 6);
        QCOMPARE(names[4].toObject().value(QStringLiteral("name")).toString(), QStringLiteral("Kőbánya"));
        QCOMPARE(names[3].toObject().value(QStringLiteral("state")).toString(), QStringLiteral("empty"));
    }

    void newConfigRefusals_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::newRow("unknown setting") << QStringLiteral("Loudnes=On");
        QTest::newRow("volume out of range") << QStringLiteral("Volume=13");
        QTest::newRow("unknown choice") << QStringLiteral("Equalizer=Disco");
        QTest::newRow("unused word") << QStringLiteral("30=1");
        QTest::newRow("name too long") << QStringLiteral("logo=ABCDEFGHIJKLMNOPQ");
        QTest::newRow("no value") << QStringLiteral("Volume");
    }
    void newConfigRefusals()
    {
        QFETCH(QString, argument);
        const QString file = path(QStringLiteral("refused.cfg"));
        QFile::remove(file);
        const Run r = run({QStringLiteral("new-config"), file, argument});
        QCOMPARE(r.status, 2);
        QVERIFY(!r.err.isEmpty());
        QVERIFY(!QFile::exists(file));
    }

    void myRadioProfile()
    {
        const QString file = path(QStringLiteral("p.mra"));
        const Run r = run({QStringLiteral("myradio"), file, QStringLiteral("V:\\music\\Rock:10"),
                           QStringLiteral("music/Pop/a.mp3:10"), QStringLiteral("Intro.MP3:20"),
                           QStringLiteral("V:\\music\\Jazz\\:1")});
        QCOMPARE(r.status, 0);
        const Run shown = run({QStringLiteral("show"), QStringLiteral("--json"), file});
        QCOMPARE(shown.status, 0);
        const QJsonArray elements = shownJson(shown).value(QStringLiteral("elements")).toArray();
        QCOMPARE(elements.size(), 4);
        const QStringList paths{QStringLiteral("music\\Rock"), QStringLiteral("music\\Pop\\a.mp3"),
                                QStringLiteral("\\Intro.MP3"), QStringLiteral("music\\Jazz")};
        const QList<int> classes{10, 10, 20, 1};
        for (int i = 0; i < 4; ++i) {
            const QJsonObject e = elements[i].toObject();
            QCOMPARE(e.value(QStringLiteral("path")).toString(), paths[i]);
            QCOMPARE(e.value(QStringLiteral("weightClass")).toInt(), classes[i]);
        }
        QCOMPARE(elements[2].toObject().value(QStringLiteral("folder")).toString(), QStringLiteral("\\"));
        QCOMPARE(elements[2].toObject().value(QStringLiteral("isFile")).toBool(), true);
        QCOMPARE(elements[0].toObject().value(QStringLiteral("share")).toInteger(),
                 qint64(EncodeShares(classes)[0]));
    }

    void myRadioRefusals_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<int>("status");
        QTest::newRow("no class") << QStringLiteral("music\\Rock") << 2;
        QTest::newRow("class 0") << QStringLiteral("music\\Rock:0") << 2;
        QTest::newRow("class 21") << QStringLiteral("music\\Rock:21") << 2;
        QTest::newRow("path too long") << QString(300, QLatin1Char('x')) + QStringLiteral(":3") << 1;
        QTest::newRow("not in the code page") << QStringLiteral("music\\日本:3") << 1;
        QTest::newRow("climbing out") << QStringLiteral("..\\..\\etc:5") << 2;
        QTest::newRow("climbing out inside") << QStringLiteral("music\\..\\..\\x.mp3:5") << 2;
        QTest::newRow("another machine") << QStringLiteral("\\\\server\\share:4") << 2;
        QTest::newRow("a second drive letter") << QStringLiteral("V:\\E:\\x:4") << 2;
    }
    void myRadioRefusals()
    {
        QFETCH(QString, argument);
        QFETCH(int, status);
        const QString file = path(QStringLiteral("refused.mra"));
        QFile::remove(file);
        const Run r = run({QStringLiteral("myradio"), file, argument});
        QCOMPARE(r.status, status);
        QVERIFY(!r.err.isEmpty());
        QVERIFY(!QFile::exists(file));
    }

    void makeMessages()
    {
        const QString source = path(QStringLiteral("m.txt"));
        QVERIFY(writeAll(source, "# test\nFirmwareVersion = 3.00\n[Menu Items]\n513 = Hangerő\n"
                                 "4863 = \"  padded \"\n256 = Off\n"));
        const QString file = path(QStringLiteral("m.mgs"));
        const Run r = run({QStringLiteral("make-messages"), source, file});
        QCOMPARE(r.status, 0);
        const FileResult<MessageFile> f = readMessageFile(file);
        QVERIFY(f.ok());
        QCOMPARE(f->firmwareVersion, QByteArray("3.00"));
        QCOMPARE(f->entries.size(), 3);
        QCOMPARE(f->entries[1].text, QByteArray("Hanger\xF5"));
        QCOMPARE(f->entries[2].Id, quint16(0x12FF));
        QCOMPARE(f->entries[2].text, QByteArray("  padded "));

        const Run shown = run({QStringLiteral("show"), QStringLiteral("--json"), file});
        QCOMPARE(shown.status, 0);
        const QJsonObject o = shownJson(shown);
        QCOMPARE(o.value(QStringLiteral("FirmwareVersion")).toString(), QStringLiteral("3.00"));
        const QJsonArray entries = o.value(QStringLiteral("entries")).toArray();
        QCOMPARE(entries[1].toObject().value(QStringLiteral("text")).toString(), QStringLiteral("Hangerő"));
        QCOMPARE(entries[1].toObject().value(QStringLiteral("range")).toString(), QStringLiteral("Menu Items"));
        QCOMPARE(entries[2].toObject().value(QStringLiteral("Id")).toInt(), 0x12FF);
    }

    void makeMessagesRefusals_data()
    {
        QTest::addColumn<QByteArray>("source");
        QTest::newRow("no version") << QByteArray("256 = Off\n");
        QTest::newRow("twice") << QByteArray("FirmwareVersion = 1\n256 = Off\n256 = On\n");
        QTest::newRow("65535") << QByteArray("FirmwareVersion = 1\n65535 = x\n");
        QTest::newRow("not a number") << QByteArray("FirmwareVersion = 1\nabc = x\n");
        QTest::newRow("no equals") << QByteArray("FirmwareVersion = 1\n256 Off\n");
        QTest::newRow("outside code page") << QByteArray("FirmwareVersion = 1\n256 = \xE6\x97\xA5\n");
        QTest::newRow("too long") << QByteArray("FirmwareVersion = 1\n256 = ") + QByteArray(5000, 'x') + "\n";
    }
    void makeMessagesRefusals()
    {
        QFETCH(QByteArray, source);
        const QString src = path(QStringLiteral("bad.txt"));
        QVERIFY(writeAll(src, source));
        const QString file = path(QStringLiteral("bad.mgs"));
        QFile::remove(file);
        const Run r = run({QStringLiteral("make-messages"), src, file});
        QCOMPARE(r.status, 1);
        QVERIFY(!r.err.isEmpty());
        QVERIFY(!QFile::exists(file));
    }

    void showFailures()
    {
        const QString missing = path(QStringLiteral("missing.cfg"));
        Run r = run({QStringLiteral("show"), QStringLiteral("--json"), missing});
        QCOMPARE(r.status, 1);
        QCOMPARE(shownJson(r).value(QStringLiteral("error")).toString(), QStringLiteral("Cannot open the file!"));

        // The right signature with a wrong version.
        const QString wrong = path(QStringLiteral("wrong.mgs"));
        QVERIFY(writeAll(wrong, QByteArray("R7MGS1.02\0SW1\0\xFF\xFF", 16)));
        r = run({QStringLiteral("show"), QStringLiteral("--json"), wrong});
        QCOMPARE(r.status, 1);
        QCOMPARE(shownJson(r).value(QStringLiteral("error")).toString(), QStringLiteral("Wrong file format"));
    }

    // The sample drive's player files: each shows, a cut copy of each fails.
    void sampleRecipe()
    {
        QTemporaryDir drive;
        QVERIFY(QDir().mkpath(drive.filePath(QStringLiteral("voxa/config"))));
        QVERIFY(QDir().mkpath(drive.filePath(QStringLiteral("voxa/myradio"))));
        QProcess recipe;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("VOXATOOL"), QStringLiteral(VOXA_TOOL_PATH));
        env.insert(QStringLiteral("DRIVE"), drive.path());
        env.insert(QStringLiteral("SRC"), QStringLiteral(VOXA_SOURCE_DIR));
        env.insert(QStringLiteral("BUILD"), QStringLiteral(VOXA_BUILD_DIR));
        recipe.setProcessEnvironment(env);
        recipe.start(QStringLiteral("bash"),
                     {QStringLiteral(VOXA_SOURCE_DIR) + QStringLiteral("/data/sample/10-player-files-a.sh")});
        QVERIFY(recipe.waitForFinished(60000));
        QVERIFY2(recipe.exitCode() == 0, recipe.readAllStandardError().constData());

        QStringList files;
        QDirIterator it(drive.filePath(QStringLiteral("voxa")), {QStringLiteral("*.cfg"), QStringLiteral("*.mgs"),
                                                                 QStringLiteral("*.mra")},
                        QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << it.next();
        files.sort();
        QVERIFY2(files.size() >= 8, qPrintable(files.join(QLatin1Char(' '))));
        int kinds[3] = {};
        for (const QString &file : files) {
            const Run ok = run({QStringLiteral("show"), QStringLiteral("--json"), file});
            QVERIFY2(ok.status == 0, qPrintable(file + QStringLiteral(": ") + ok.err));
            const QString kind = shownJson(ok).value(QStringLiteral("kind")).toString();
            kinds[0] += kind == QLatin1String("cfg");
            kinds[1] += kind == QLatin1String("mgs");
            kinds[2] += kind == QLatin1String("mra");

            const QString cut = path(QStringLiteral("cut.") + file.right(3));
            QVERIFY(writeAll(cut, readAll(file).left(150)));
            const Run failed = run({QStringLiteral("show"), QStringLiteral("--json"), cut});
            QVERIFY2(failed.status != 0, qPrintable(file));
            QVERIFY2(shownJson(failed).value(QStringLiteral("error")).toString().contains(QStringLiteral("too short")),
                     qPrintable(failed.out));
        }
        QVERIFY(kinds[0] >= 3 && kinds[1] >= 2 && kinds[2] >= 2);

        // The default set: every page, the FM channel labels and the genres.
        const QString defaultSet = drive.filePath(QStringLiteral("voxa/manager/default.mgs"));
        const FileResult<MessageFile> f = readMessageFile(defaultSet);
        QVERIFY(f.ok());
        QVERIFY(!f->firmwareVersion.isEmpty());
        QSet<int> ids;
        QSet<MessageRange> ranges;
        for (const MessageEntry &e : f->entries) {
            ids.insert(e.Id);
            ranges.insert(messageRange(e.Id));
            QVERIFY(!e.text.isEmpty());
        }
        for (int id = 288; id <= 303; ++id)
            QVERIFY(ids.contains(id));
        for (int id = 4096; id <= 4096 + 147; ++id)
            QVERIFY(ids.contains(id));
        QCOMPARE(ranges.size(), 6);
        // The config words name message numbers of the set.
        for (int word = 1; word <= 28; ++word)
            for (const ConfigChoice &c : configSetting(word)->choices)
                if (c.value >= 256)
                    QVERIFY2(ids.contains(c.value), qPrintable(QString::number(c.value)));

        // The build puts the same file into the distribution folder.
        QCOMPARE(readAll(QStringLiteral(VOXA_DIST_DIR) + QStringLiteral("/default.mgs")), readAll(defaultSet));

        // A user's set merges onto it.
        const FileResult<MessageFile> user = readMessageFile(drive.filePath(QStringLiteral("voxa/config/magyar.mgs")));
        QVERIFY(user.ok());
        const MessageSet merged = mergeOntoReference(user->entries, f->entries);
        QCOMPARE(merged.size(), f->entries.size());
    }
};

QTEST_GUILESS_MAIN(TestToolFormatsA)
#include "test_tool_formats_a.moc"
