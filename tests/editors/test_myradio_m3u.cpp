#include "app/messagetable.h"
#include "editors/myradio/m3uimport.h"
#include "platform/codepage.h"
#include "platform/paths.h"
#include "support/mutate.h"
#include "support/scriptedprompts.h"
#include "support/testdrive.h"

#include <QTest>
#include <QUrl>

using namespace voxa;

namespace {

QStringList texts(const QList<MyRadioRow> &rows)
{
    QStringList out;
    for (const MyRadioRow &r : rows)
        out.append(r.folder + QLatin1Char('|') + r.name);
    return out;
}

}  // namespace

class TestMyRadioM3u : public QObject {
    Q_OBJECT

    test::TestDrive drives;

private slots:
    void init() { QVERIFY(drives.setUp('E')); }
    void cleanup() { drives.tearDown(); }

    void parse_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("m3uFolder");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("refused");
        const QString music = QStringLiteral("E:\\music\\");
        QTest::newRow("no line end at the end") << QByteArray("a\\b.mp3\r\nc\\d.mp3") << music
                                                << QStringList{"a\\|b.mp3", "c\\|d.mp3"} << QStringList{};
        QTest::newRow("leading backslash") << QByteArray("\\music\\a.mp3\n") << music
                                           << QStringList{"music\\|a.mp3"} << QStringList{};
        QTest::newRow("root file") << QByteArray("\\a.mp3\n") << music << QStringList{"\\|a.mp3"} << QStringList{};
        QTest::newRow("comments and blank lines")
            << QByteArray("#EXTM3U\r\n\r\n   \r\n#EXTINF:123,Artist - Title\r\nm\\a.mp3\r\n\r\n") << music
            << QStringList{"m\\|a.mp3"} << QStringList{};
        QTest::newRow("own folder") << QByteArray("a.mp3\r\n") << music << QStringList{"music\\|a.mp3"}
                                    << QStringList{};
        QTest::newRow("own folder at the root") << QByteArray("a.mp3") << "E:\\" << QStringList{"\\|a.mp3"}
                                                << QStringList{};
        QTest::newRow("own folder on no drive") << QByteArray("a.mp3") << QString() << QStringList{}
                                                << QStringList{"a.mp3"};
        QTest::newRow("drive dropped") << QByteArray("E:\\music\\a.mp3\nF:\\b.mp3\n") << music
                                       << QStringList{"music\\|a.mp3", "\\|b.mp3"} << QStringList{};
        QTest::newRow("trailing spaces") << QByteArray("m\\a.mp3 \t\r\n") << music << QStringList{"m\\|a.mp3"}
                                         << QStringList{};
        QTest::newRow("climbing out is refused")
            << QByteArray("..\\x.mp3\nmusic\\..\\..\\x.mp3\nok\\y.mp3\n") << music << QStringList{"ok\\|y.mp3"}
            << QStringList{"..\\x.mp3", "music\\..\\..\\x.mp3"};
        QTest::newRow("paths off the drive and other addresses are refused")
            << QByteArray("/home/u/a.mp3\nC:/x.mp3\nhttp://h/a.mp3\nfile:///a.mp3\nE:a.mp3\n") << music
            << QStringList{} << QStringList{"/home/u/a.mp3", "C:/x.mp3", "http://h/a.mp3", "file:///a.mp3", "E:a.mp3"};
        QTest::newRow("other machine is refused") << QByteArray("\\\\server\\share\\a.mp3\n") << music
                                                  << QStringList{} << QStringList{"\\\\server\\share\\a.mp3"};
        QTest::newRow("no name is refused") << QByteArray("music\\\n") << music << QStringList{}
                                            << QStringList{"music\\"};
        QTest::newRow("too long is refused") << "m\\" + QByteArray(300, 'a') << music << QStringList{}
                                             << QStringList{"m\\" + QString(300, QLatin1Char('a'))};
        QTest::newRow("code page") << QByteArray("m\\\xF5.mp3") << music
                                   << QStringList{"m\\|" + fromCodePage("\xF5") + ".mp3"} << QStringList{};
        QTest::newRow("UTF-8 with byte order mark")
            << QByteArray("\xEF\xBB\xBF#EXTM3U\nm\\\xC5\x91.mp3\n") << music
            << QStringList{"m\\|" + QString::fromUtf8("\xC5\x91") + ".mp3"} << QStringList{};
        QTest::newRow("empty") << QByteArray() << music << QStringList{} << QStringList{};
    }
    void parse()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, m3uFolder);
        QFETCH(QStringList, rows);
        QFETCH(QStringList, refused);
        const M3uImport import = ParseM3u(content, m3uFolder, 13, QLatin1Char('E'));
        QCOMPARE(texts(import.rows), rows);
        QCOMPARE(import.refused, refused);
        for (const MyRadioRow &r : import.rows) {
            QCOMPARE(r.weightClass, 13);
            QCOMPARE(r.picture, RowPicture::Mp3File);
        }
    }

    // This computer's list lines: taken inside drive E, refused off it (<E>, <F>: drive folders; <E%>: escaped).
    void linesMadeHere_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("m3uFolder");
        QTest::addColumn<QString>("row");  // empty: refused
        const QString music = QStringLiteral("E:\\music\\");
        QTest::newRow("absolute inside") << "<E>/music/rock/a b.mp3" << music << "music\\rock\\|a b.mp3";
        QTest::newRow("absolute on another drive") << "<F>/music/a.mp3" << music << "";
        QTest::newRow("absolute beside the drive") << "<E>x/music/a.mp3" << music << "";
        QTest::newRow("absolute through a link off the drive") << "<E>/away/a.mp3" << music << "";
        QTest::newRow("relative") << "rock/a b.mp3" << music << "music\\rock\\|a b.mp3";
        QTest::newRow("relative up and down") << "../voxa/../song.mp3" << music << "\\|song.mp3";
        QTest::newRow("relative climbing out") << "../../x.mp3" << music << "";
        QTest::newRow("relative, list on another drive") << "rock/a.mp3" << "F:\\music\\" << "";
        QTest::newRow("address, escaped") << "file://<E%>/music/rock/a%20b.mp3" << music << "music\\rock\\|a b.mp3";
        QTest::newRow("address, localhost") << "FILE://localhost<E%>/song.mp3" << music << "\\|song.mp3";
        QTest::newRow("address, escaped slash climbing out") << "file://<E%>/music/%2E%2E/%2E%2E/x.mp3" << music << "";
        QTest::newRow("address of another machine") << "file://server<E%>/song.mp3" << music << "";
    }
    void linesMadeHere()
    {
        QFETCH(QString, line);
        QFETCH(QString, m3uFolder);
        QFETCH(QString, row);
        const QString e = drives->root('E');
        const QString f = drives->add('F');
        QVERIFY(test::TestDriveTable::writeFile("E:\\music\\rock\\a b.mp3"));
        QVERIFY(test::TestDriveTable::writeFile("E:\\song.mp3"));
        QVERIFY(test::TestDriveTable::writeFile("F:\\music\\a.mp3"));
        QVERIFY(QFile::link(f + "/music", e + "/away"));
        line.replace("<E%>", QUrl::fromLocalFile(e).path(QUrl::FullyEncoded)).replace("<E>", e).replace("<F>", f);
        const M3uImport import = ParseM3u(line.toUtf8(), m3uFolder, 3, 'E');
        QCOMPARE(texts(import.rows), row.isEmpty() ? QStringList{} : QStringList{row});
        QCOMPARE(import.refused, row.isEmpty() ? QStringList{line} : QStringList{});
    }

    void firstHundredPaths()
    {
        QByteArray content("#EXTM3U\r\n");
        for (int i = 1; i <= 150; ++i)
            content += "#EXTINF:1,x\r\n" + QByteArray(i == 7 ? "..\\bad.mp3\r\n" : "")
                + QStringLiteral("m\\%1.mp3\r\n").arg(i).toLatin1();
        const M3uImport import = ParseM3u(content, QStringLiteral("E:\\"), 10, QLatin1Char('E'));
        QCOMPARE(import.rows.size(), 100);
        QCOMPARE(import.rows.first().name, QStringLiteral("1.mp3"));
        QCOMPARE(import.rows.last().name, QStringLiteral("100.mp3"));
        QCOMPARE(import.refused, QStringList{"..\\bad.mp3"});
    }

    void folderOfPlayList()
    {
        QCOMPARE(M3uFolderOf("E:\\music\\list.m3u"), QStringLiteral("E:\\music\\"));
        QCOMPARE(M3uFolderOf("E:\\list.m3u"), QStringLiteral("E:\\"));
        // Native paths are taken to their drive.
        QCOMPARE(M3uFolderOf(drives->root('E') + "/lists/a.m3u"), QStringLiteral("E:\\lists\\"));
    }

    void readFromDrive()
    {
        QVERIFY(test::TestDriveTable::writeFile("E:\\lists\\mix.m3u", "#EXTM3U\r\nhere.mp3\r\n\\music\\a.mp3"));
        QString error;
        const std::optional<M3uImport> import = ReadM3u(drives->root('E') + "/lists/mix.m3u", 4, 'E', &error);
        QVERIFY(import);
        QCOMPARE(texts(import->rows), (QStringList{"lists\\|here.mp3", "music\\|a.mp3"}));
    }

    void readFailures()
    {
        QString error;
        QVERIFY(!ReadM3u("E:\\missing.m3u", 4, 'E', &error));
        QVERIFY(error.endsWith("[E:\\missing.m3u]"));
        QVERIFY(QDir().mkpath(drives->root('E') + "/folder.m3u"));
        QVERIFY(!ReadM3u("E:\\folder.m3u", 4, 'E', &error));

        test::ScriptedPrompts prompts;
        prompts.expectMessage("[E:\\missing.m3u]");
        QVERIFY(!ImportM3u("E:\\missing.m3u", 4, 'E'));
        QCOMPARE(prompts.pending(), 0);
    }

    void refusedLinesAreShown()
    {
        QVERIFY(test::TestDriveTable::writeFile("E:\\l.m3u", "a\\ok.mp3\n..\\..\\etc\\passwd\n/etc/passwd\n"));
        test::ScriptedPrompts prompts;
        prompts.expectMessage(msg(Msg::M3uNotValid));
        const std::optional<QList<MyRadioRow>> rows = ImportM3u("E:\\l.m3u", 9, 'E');
        QVERIFY(rows);
        QCOMPARE(texts(*rows), QStringList{"a\\|ok.mp3"});
        const QString shown = prompts.lastMessage().text;
        QVERIFY(shown.contains("[..\\..\\etc\\passwd]"));
        QVERIFY(shown.contains("[/etc/passwd]"));
        QCOMPARE(prompts.pending(), 0);
    }

    // A list larger than the read limit loses its cut last line only.
    void oversizedList()
    {
        QByteArray content(M3uReadLimit - 5, '#');
        content += "\nm\\cut-in-the-middle.mp3\n";
        QVERIFY(test::TestDriveTable::writeFile("E:\\big.m3u", content));
        const std::optional<M3uImport> import = ReadM3u("E:\\big.m3u", 1, 'E');
        QVERIFY(import);
        QVERIFY(import->rows.isEmpty());
        QVERIFY(import->refused.isEmpty());
    }

    // Damaged and random play lists never crash the reader, and what it
    // takes always stays on the drive and fits a profile.
    void fuzz()
    {
        QRandomGenerator rng(20240611);
        const QByteArray good("#EXTM3U\r\n#EXTINF:1,A\r\n\\music\\rock\\a.mp3\r\nb.mp3\r\nE:\\c\\d.MP3\r\n"
                              "x\\y\\z\\w.mp3\n\xF5\xFB\xED.mp3\r\n");
        const test::Damage damage{8, QByteArrayView("\\/:.#\r\n\0\xEF\xBB\xBF", 12), 300};
        for (int round = 0; round < 4000; ++round) {
            QByteArray bytes = round % 4 == 0 ? QByteArray() : good.repeated(1 + int(rng.bounded(40)));
            if (round % 4 == 0)
                for (int i = int(rng.bounded(3000)); i > 0; --i)
                    bytes += char(rng.bounded(256));
            bytes = test::mutateBytes(bytes, rng, damage);
            const QString folder = round % 3 == 0 ? QString() : QStringLiteral("E:\\lists\\");
            const M3uImport import = ParseM3u(bytes, folder, 5, QLatin1Char('E'));
            QVERIFY(import.rows.size() <= MyRadioMaxElements);
            for (const MyRadioRow &r : import.rows) {
                QVERIFY(!r.name.isEmpty());
                QVERIFY(!r.name.contains(QLatin1Char('\\')));
                QVERIFY(r.folder.endsWith(QLatin1Char('\\')));
                QVERIFY(r.folder == QLatin1String("\\") || !r.folder.startsWith(QLatin1Char('\\')));
                QVERIFY2(ElementPathAllowed(r.folder + r.name), qPrintable(r.folder + r.name));
                QVERIFY(!(r.folder + r.name).split(QLatin1Char('\\')).contains(QStringLiteral("..")));
            }
            QVERIFY(bool(myRadioFileBytes(ElementsOfRows(import.rows))));
        }
    }
};

QTEST_GUILESS_MAIN(TestMyRadioM3u)
#include "test_myradio_m3u.moc"
