#include "app/messagetable.h"
#include "music/mp3fileops.h"
#include "music/mp3list.h"
#include "platform/fileops.h"
#include "mp3testutil.h"
#include "support/scriptedprompts.h"
#include "support/testdrives.h"

#include <QTest>

using namespace voxa;
using test::TestDriveTable;

namespace {

Mp3FileInfo item(const QString &dir, const QString &name, qint64 size = 0, quint16 kbps = 0,
                 QDate date = QDate(2003, 5, 17))
{
    Mp3FileInfo f;
    f.Directory = dir;
    f.FileName = name;
    f.Marked = name.endsWith(QLatin1Char('!'));
    f.Size = size;
    f.Bitrate = kbps;
    f.Date = QDateTime(date, QTime(10, 0));
    f.Selected = true;
    return f;
}

// The records as a search finds them: size and time from the file itself,
// so that the file operations take them as the files found.
QList<Mp3FileInfo> asFound(QList<Mp3FileInfo> items)
{
    for (Mp3FileInfo &f : items) {
        const QString path = Mp3FullPath(f);
        if (fs::exists(path)) {
            f.Size = fs::fileSize(path);
            f.ModifiedSecs = fs::modified(path).toSecsSinceEpoch();
        }
    }
    return items;
}

QList<Mp3FileInfo> three()
{
    return {item(QStringLiteral("E:\\music\\rock"), QStringLiteral("a.mp3"), 2097151, 128),
            item(QStringLiteral("E:\\music"), QStringLiteral("b.MP!"), 2097152, 192, QDate(2002, 1, 2)),
            item(QStringLiteral("E:"), QStringLiteral("c.mp3"), 1000, 0, QDate(1999, 12, 31))};
}

}  // namespace

class TestMp3List : public QObject {
    Q_OBJECT
private slots:
    void init() { resetMessages(); }

    void plsLineForLine()
    {
        const QByteArray expected = "[playlist]\r\n"
                                    "File1=E:\\music\\rock\\a.mp3\r\n"
                                    "File2=E:\\music\\b.MP!\r\n"
                                    "File3=E:\\c.mp3\r\n"
                                    "NumberOfEntries=3\r\n"
                                    "Version=2\r\n";
        QCOMPARE(Mp3ListBytes(Mp3ExportLines(Mp3ExportFormat::PLS, three())), expected);
        QCOMPARE(Mp3ExportLines(Mp3ExportFormat::PLS, {}),
                 (QStringList{QStringLiteral("[playlist]"), QStringLiteral("NumberOfEntries=0"),
                              QStringLiteral("Version=2")}));
    }

    void m3uAndText()
    {
        QCOMPARE(Mp3ListBytes(Mp3ExportLines(Mp3ExportFormat::M3U, three())),
                 QByteArray("#EXTM3U\r\nE:\\music\\rock\\a.mp3\r\nE:\\music\\b.MP!\r\nE:\\c.mp3\r\n"));
        QCOMPARE(Mp3ListBytes(Mp3ExportLines(Mp3ExportFormat::Text, three())),
                 QByteArray("E:\\music\\rock\\a.mp3\r\nE:\\music\\b.MP!\r\nE:\\c.mp3\r\n"));
        // Records of a folder outside every drive keep their native form.
        QCOMPARE(Mp3ExportLines(Mp3ExportFormat::Text, {item(QStringLiteral("/srv/music"), QStringLiteral("x.mp3"))}),
                 QStringList{QStringLiteral("/srv/music/x.mp3")});
    }

    void csvLineForLine()
    {
        const QString sep = SystemDateSeparator();
        Mp3ListColumns c;
        c.Date = true;
        c.Size = true;
        QCOMPARE(Mp3ListBytes(Mp3ExportLines(Mp3ExportFormat::CSV, three(), c)),
                 QStringLiteral("Filename;Date;Size [MByte];Path\r\n"
                                "a.mp3;2003#05#17;1;E:\\music\\rock\r\n"
                                "b.MP!;2002#01#02;2;E:\\music\r\n"
                                "c.mp3;1999#12#31;0;E:\r\n")
                     .replace(QLatin1Char('#'), sep)
                     .toLatin1());

        Mp3ListColumns k;
        k.Size = true;
        k.SizeInMBytes = false;
        k.SizeUnitText = QStringLiteral("kByte");
        k.Bitrate = true;
        QCOMPARE(Mp3ExportLines(Mp3ExportFormat::CSV, three(), k),
                 (QStringList{QStringLiteral("Filename;Size [kByte];Bitrate;Path"),
                              QStringLiteral("a.mp3;2047;128 kbps;E:\\music\\rock"),
                              QStringLiteral("b.MP!;2048;192 kbps;E:\\music"),
                              QStringLiteral("c.mp3;0;0 kbps;E:")}));
        QCOMPARE(Mp3ExportLines(Mp3ExportFormat::CSV, {}), QStringList{QStringLiteral("Filename;Path")});
    }

    void captionsFollowTheLanguage()
    {
        setMessage(Msg::Filename, QStringLiteral("Dateiname"));
        setMessage(Msg::Size, QStringLiteral("Größe"));
        setMessage(Msg::Path, QStringLiteral("Pfad"));
        Mp3ListColumns c;
        c.Size = true;
        QCOMPARE(Mp3ListCaptions(c),
                 (QStringList{QStringLiteral("Dateiname"), QStringLiteral("Größe [MByte]"), QStringLiteral("Pfad")}));
        // Written in the code page.
        QCOMPARE(Mp3ListBytes(Mp3ExportLines(Mp3ExportFormat::CSV, {}, c)),
                 QByteArray("Dateiname;Gr\xF6\xDF" "e [MByte];Pfad\r\n"));
        QCOMPARE(Mp3ListBytes({QStringLiteral("E:\\Dvořák\\č.mp3")}), QByteArray("E:\\Dvo\xF8\xE1k\\\xE8.mp3\r\n"));
    }

    void exportFileNames_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << QStringLiteral("list") << int(Mp3ExportFormat::M3U) << QStringLiteral("list.m3u");
        QTest::newRow("has it") << QStringLiteral("list.m3u") << int(Mp3ExportFormat::M3U) << QStringLiteral("list.m3u");
        QTest::newRow("other case") << QStringLiteral("list.M3U") << int(Mp3ExportFormat::M3U)
                                    << QStringLiteral("list.M3U.m3u");
        QTest::newRow("other format") << QStringLiteral("list.m3u") << int(Mp3ExportFormat::PLS)
                                      << QStringLiteral("list.m3u.pls");
        QTest::newRow("text") << QStringLiteral("a") << int(Mp3ExportFormat::Text) << QStringLiteral("a.txt");
        QTest::newRow("csv") << QStringLiteral("a.csv") << int(Mp3ExportFormat::CSV) << QStringLiteral("a.csv");
    }

    void exportFileNames()
    {
        QFETCH(QString, chosen);
        QFETCH(int, format);
        QFETCH(QString, name);
        QCOMPARE(Mp3ExportFileName(chosen, Mp3ExportFormat(format)), name);
    }

    void exportAsksBeforeReplacingAReadOnlyFile()
    {
        TestDriveTable t;
        t.add('E');
        const QString path = QStringLiteral("E:\\lists\\a.pls");
        QVERIFY(TestDriveTable::writeFile(path, "old"));
        QVERIFY(fs::setReadOnly(path));

        test::ScriptedPrompts p;
        p.expectMessage(QStringLiteral("Do you want to overwrite the existing file? [E:\\lists\\a.pls]"), Button::No);
        QCOMPARE(ExportMp3List(Mp3ExportFormat::PLS, path, three(), {}), Mp3ExportResult::Declined);
        QCOMPARE(TestDriveTable::readFile(path), QByteArray("old"));
        QCOMPARE(p.lastMessage().buttons, Button::Yes | Button::No);

        p.expectMessage(QStringLiteral("Do you want to overwrite the existing file?"), Button::Yes);
        QCOMPARE(ExportMp3List(Mp3ExportFormat::PLS, path, three(), {}), Mp3ExportResult::Written);
        QCOMPARE(TestDriveTable::readFile(path), Mp3ListBytes(Mp3ExportLines(Mp3ExportFormat::PLS, three())));
        QVERIFY(!fs::isReadOnly(path));
        QCOMPARE(p.pending(), 0);

        // A writable file is replaced without a question.
        QCOMPARE(ExportMp3List(Mp3ExportFormat::M3U, path, three(), {}), Mp3ExportResult::Written);
        QVERIFY(TestDriveTable::readFile(path).startsWith("#EXTM3U\r\n"));
    }

    void exportThatCannotOpen()
    {
        TestDriveTable t;
        t.add('E');
        test::ScriptedPrompts p;
        p.expectMessage(QStringLiteral("Error while trying to open file for write!"));
        QCOMPARE(ExportMp3List(Mp3ExportFormat::Text, QStringLiteral("E:\\no\\such\\folder\\a.txt"), three(), {}),
                 Mp3ExportResult::OpenFailed);
        QCOMPARE(p.lastMessage().title, QStringLiteral("Error"));
        QCOMPARE(p.pending(), 0);
    }

    void listOrderIsByPath()
    {
        auto rec = [](const char *dir, const char *name) {
            Mp3FileInfo f;
            f.Directory = QString::fromLatin1(dir);
            f.FileName = QString::fromLatin1(name);
            return f;
        };
        QList<Mp3FileInfo> items{rec("E:\\zeta", "1.mp3"), rec("E:\\Alpha", "2.mp3"), rec("E:\\beta", "3.mp3"),
                                 rec("E:\\alpha", "4.mp3"), rec("E:\\Alpha", "5.mp3"), rec("E:", "6.mp3")};
        SortMp3ListByPath(items);
        QStringList names;
        for (const Mp3FileInfo &f : items)
            names << f.FileName;
        // The root first; Alpha and alpha together, capitals first; one
        // folder's files in the order found.
        QCOMPARE(names, (QStringList{QStringLiteral("6.mp3"), QStringLiteral("2.mp3"), QStringLiteral("5.mp3"),
                                     QStringLiteral("4.mp3"), QStringLiteral("3.mp3"), QStringLiteral("1.mp3")}));
    }

    void playListHasNoHeader()
    {
        TestDriveTable t;
        t.add('E');
        QVERIFY(WritePlayList(QStringLiteral("E:\\voxa\\manager\\play.m3u"), three()) == false);  // no folder yet
        QVERIFY(fs::makePath(QStringLiteral("E:\\voxa\\manager")));
        QVERIFY(WritePlayList(QStringLiteral("E:\\voxa\\manager\\play.m3u"), three().mid(1)));
        QCOMPARE(TestDriveTable::readFile(QStringLiteral("E:\\voxa\\manager\\play.m3u")),
                 QByteArray("E:\\music\\b.MP!\r\nE:\\c.mp3\r\n"));
    }

    // File operations --------------------------------------------------------

    void unMark()
    {
        TestDriveTable t;
        t.add('E');
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("E:\\m\\a.MP!"), "a"));
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("E:\\m\\b.mp!"), "b"));
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("E:\\m\\taken.MP!"), "new"));
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("E:\\m\\taken.MP3"), "old"));
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("E:\\m\\plain.mp3"), "p"));
        const QString m = QStringLiteral("E:\\m");
        const QList<Mp3FileInfo> items = {item(m, QStringLiteral("a.MP!")), item(m, QStringLiteral("b.mp!")),
                                          item(m, QStringLiteral("taken.MP!")), item(m, QStringLiteral("plain.mp3")),
                                          item(m, QStringLiteral("gone.MP!"))};
        const QList<Mp3ItemOutcome> out = UnMarkFiles(asFound(items));
        QCOMPARE(out.size(), 5);
        QVERIFY(out[0].Done && out[0].LeavesList);
        QVERIFY(out[1].Done && out[1].LeavesList);
        QVERIFY(!out[2].Done && !out[2].LeavesList);  // never over another file
        QVERIFY(out[2].Error.endsWith(QStringLiteral("[E:\\m\\taken.MP!]")));
        QVERIFY(!out[3].Tried && !out[3].LeavesList);
        QVERIFY(!out[4].Done && !out[4].LeavesList);
        QCOMPARE(TestDriveTable::readFile(QStringLiteral("E:\\m\\a.MP3")), QByteArray("a"));
        QCOMPARE(TestDriveTable::readFile(QStringLiteral("E:\\m\\b.mp3")), QByteArray("b"));
        QCOMPARE(TestDriveTable::readFile(QStringLiteral("E:\\m\\taken.MP3")), QByteArray("old"));
        QVERIFY(!fs::exists(QStringLiteral("E:\\m\\a.MP!")));
    }

    void deleteAsksFirst()
    {
        test::ScriptedPrompts p;
        p.expectMessage(QStringLiteral("Do you really want to delete the selected files from disk?"), Button::No);
        QVERIFY(!ConfirmDeleteFiles());
        const MessageBox box = p.lastMessage();
        QCOMPARE(box.title, QStringLiteral("Warning"));
        QCOMPARE(box.buttons, Button::Yes | Button::No);
        QCOMPARE(box.defaultButton, Button::No);
        QCOMPARE(box.placement.kind, Placement::MainWindowOffset);
        QCOMPARE(box.placement.point, QPoint(70, 50));
        p.expectMessage(QStringLiteral("Do you really want to delete"), Button::Yes);
        QVERIFY(ConfirmDeleteFiles());
    }

    void deleteFiles()
    {
        TestDriveTable t;
        t.add('E');
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("E:\\top.mp3"), "x"));
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("E:\\a\\b\\one.mp3"), "x"));
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("E:\\a\\two.mp3"), "x"));
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("E:\\a\\locked.mp3"), "x"));
        QVERIFY(fs::setReadOnly(QStringLiteral("E:\\a\\locked.mp3")));
        const QList<Mp3FileInfo> items = {
            item(QStringLiteral("E:"), QStringLiteral("top.mp3")),
            item(QStringLiteral("E:\\a\\b"), QStringLiteral("one.mp3")),
            item(QStringLiteral("E:\\a"), QStringLiteral("locked.mp3")),
            item(QStringLiteral("E:\\a"), QStringLiteral("gone.mp3")),
            item(QStringLiteral("E:\\a"), QStringLiteral("two.mp3")),  // the last item goes too
        };
        const QList<Mp3ItemOutcome> out = DeleteFiles(asFound(items));
        QCOMPARE(out.size(), 5);
        QVERIFY(out[0].Done && out[0].LeavesList);
        QVERIFY(out[1].Done && out[1].LeavesList);
        QVERIFY(!out[2].Done && !out[2].LeavesList);
        QVERIFY(out[2].Error.endsWith(QStringLiteral("[E:\\a\\locked.mp3]")));
        QVERIFY(!out[3].Done && out[3].LeavesList);  // no longer there
        QVERIFY(out[4].Done && out[4].LeavesList);
        // The emptied folder goes; one still holding a file stays; the root stays.
        QVERIFY(!fs::exists(QStringLiteral("E:\\a\\b")));
        QVERIFY(fs::exists(QStringLiteral("E:\\a\\locked.mp3")));
        QVERIFY(fs::isDir(QStringLiteral("E:\\")));
        QVERIFY(QDir(t.root('E')).exists());
    }

    void deleteNeverRemovesTheDriveRoot()
    {
        TestDriveTable t;
        const QString root = t.add('E');
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("E:\\only.mp3"), "x"));
        const QList<Mp3ItemOutcome> out = DeleteFiles(asFound({item(QStringLiteral("E:"), QStringLiteral("only.mp3"))}));
        QVERIFY(out[0].Done);
        QVERIFY(QDir(root).exists());
    }

    void moveToQuarantine()
    {
        TestDriveTable t;
        const QString root = t.add('E');
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("E:\\music\\rock\\a.mp3"), "a"));
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("E:\\music\\pop\\b.mp3"), "b"));
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("E:\\music\\pop\\c.mp3"), "c"));
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("E:\\top.MP!"), "t"));
        // A file of the same name waits in the quarantine already.
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("E:\\Quarantine\\music\\pop\\c.mp3"), "older"));

        const QList<Mp3FileInfo> items = {item(QStringLiteral("E:\\music\\rock"), QStringLiteral("a.mp3")),
                                          item(QStringLiteral("E:\\music\\pop"), QStringLiteral("b.mp3")),
                                          item(QStringLiteral("E:\\music\\pop"), QStringLiteral("c.mp3")),
                                          item(QStringLiteral("E:"), QStringLiteral("top.MP!"))};
        const QuarantineOutcome q = MoveToQuarantine(QLatin1Char('e'), QStringLiteral("Quarantine"), asFound(items));
        QVERIFY(q.Started);
        QCOMPARE(q.Folder, QStringLiteral("E:\\Quarantine"));
        QCOMPARE(q.Items.size(), 4);
        QVERIFY(q.Items[0].Tried && q.Items[0].Done);
        QVERIFY(q.Items[1].Tried && q.Items[1].Done);
        QVERIFY(q.Items[2].Tried && !q.Items[2].Done);
        QVERIFY(q.Items[3].Tried && q.Items[3].Done);
        for (const Mp3ItemOutcome &o : q.Items)
            QVERIFY(!o.LeavesList);

        QCOMPARE(TestDriveTable::readFile(QStringLiteral("E:\\Quarantine\\music\\rock\\a.mp3")), QByteArray("a"));
        QCOMPARE(TestDriveTable::readFile(QStringLiteral("E:\\Quarantine\\music\\pop\\b.mp3")), QByteArray("b"));
        QCOMPARE(TestDriveTable::readFile(QStringLiteral("E:\\Quarantine\\music\\pop\\c.mp3")), QByteArray("older"));
        QCOMPARE(TestDriveTable::readFile(QStringLiteral("E:\\music\\pop\\c.mp3")), QByteArray("c"));
        QCOMPARE(TestDriveTable::readFile(QStringLiteral("E:\\Quarantine\\top.MP!")), QByteArray("t"));
        // rock and its emptied parents went; pop still holds c.mp3.
        QVERIFY(!fs::exists(QStringLiteral("E:\\music\\rock")));
        QVERIFY(fs::exists(QStringLiteral("E:\\music\\pop")));
        QVERIFY(QDir(root).exists());
    }

    void quarantineRemovesEmptiedParentsUpToTheRoot()
    {
        TestDriveTable t;
        const QString root = t.add('E');
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("E:\\music\\rock\\a.mp3"), "a"));
        const QuarantineOutcome q = MoveToQuarantine(QLatin1Char('E'), QStringLiteral("Q\\"),
                                                     asFound({item(QStringLiteral("E:\\music\\rock"), QStringLiteral("a.mp3"))}));
        QVERIFY(q.Items[0].Done);
        QVERIFY(fs::exists(QStringLiteral("E:\\Q\\music\\rock\\a.mp3")));
        QVERIFY(!fs::exists(QStringLiteral("E:\\music")));
        QVERIFY(QDir(root).exists());
    }

    void quarantineThatCannotStart()
    {
        TestDriveTable t;
        t.add('E');
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("E:\\music\\a.mp3"), "a"));
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("E:\\blocker"), "a file where the folder should be"));
        const QList<Mp3FileInfo> items = {item(QStringLiteral("E:\\music"), QStringLiteral("a.mp3"))};
        QVERIFY(!MoveToQuarantine(QLatin1Char('E'), QString(), items).Started);
        const QuarantineOutcome q = MoveToQuarantine(QLatin1Char('E'), QStringLiteral("blocker"), items);
        QVERIFY(!q.Started);
        QCOMPARE(q.Error, QStringLiteral("Cannot create directory: E:\\blocker"));
        QVERIFY(!q.Items[0].Tried);
        QVERIFY(fs::exists(QStringLiteral("E:\\music\\a.mp3")));
    }
};

QTEST_GUILESS_MAIN(TestMp3List)
#include "test_mp3list.moc"
