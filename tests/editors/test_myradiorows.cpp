#include "editors/myradio/myradiomusic.h"
#include "editors/myradio/myradiorows.h"
#include "platform/codepage.h"
#include "platform/fileops.h"
#include "platform/paths.h"
#include "support/testdrive.h"

#include <QTest>

using namespace voxa;

namespace {

QString row(const MyRadioRow &r)
{
    return r.folder + QLatin1Char('|') + r.name + QLatin1Char('|') + QString::number(r.weightClass)
        + QLatin1Char('|') + QString::number(int(r.picture));
}

TreePick pick(const QStringList &ancestors, const QString &name, bool isFolder = false)
{
    return {ancestors, name, isFolder};
}

}  // namespace

class TestMyRadioRows : public QObject {
    Q_OBJECT

    test::TestDrive drives;

private slots:
    void init() { QVERIFY(drives.setUp('E')); }
    void cleanup() { drives.tearDown(); }

    void priority_data()
    {
        QTest::addColumn<QList<int>>("classes");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("1 and 3, no padding") << QList<int>{1, 3} << QStringList{"1  [25.0%] ", "3  [75.0%] "};
        QTest::newRow("1 and 19, one padding") << QList<int>{1, 19} << QStringList{"1  [  5.0%] ", "19  [95.0%] "};
        QTest::newRow("10 of 20") << QList<int>{10, 10} << QStringList{"10  [50.0%] ", "10  [50.0%] "};
        QTest::newRow("alone is 100.0") << QList<int>{20} << QStringList{"20  [100.0%] "};
        QTest::newRow("thirds") << QList<int>{1, 2} << QStringList{"1  [33.3%] ", "2  [66.7%] "};
        // 1/80 is 1.25 exactly: halves go up.
        QTest::newRow("half up") << QList<int>{1, 20, 20, 20, 19} << QStringList{"1  [  1.3%] ", "20  [25.0%] ", "20  [25.0%] ", "20  [25.0%] ", "19  [23.8%] "};
        // 900/182 = 4.945..: 3 significant digits give 4.95, then 5.0 (not 4.9).
        QList<int> c182{9};
        for (int left = 173; left > 0; left -= 20)
            c182.append(std::min(left, 20));
        QStringList t182;
        for (int c : c182)
            t182.append(PriorityText(c, 182));
        QCOMPARE(t182.first(), QStringLiteral("9  [  5.0%] "));
        QTest::newRow("3 significant digits first") << c182 << t182;
        // The smallest share there can be: 1 of 2000 is 0.05, shown as 0.1.
        QList<int> c2000{1};
        for (int left = 1999; left > 0; left -= 20)
            c2000.append(std::min(left, 20));
        QStringList t2000;
        for (int c : c2000)
            t2000.append(PriorityText(c, 2000));
        QCOMPARE(t2000.first(), QStringLiteral("1  [  0.1%] "));
        QTest::newRow("smallest share") << c2000 << t2000;
    }
    void priority()
    {
        QFETCH(QList<int>, classes);
        QFETCH(QStringList, texts);
        QCOMPARE(RefreshedPriorities(classes), texts);
        for (const QString &t : texts)
            QVERIFY(WeightClassOf(t) >= 1);
        for (qsizetype i = 0; i < classes.size(); ++i)
            QCOMPARE(WeightClassOf(texts[i]), classes[i]);
    }

    void percentText_data()
    {
        QTest::addColumn<int>("weightClass");
        QTest::addColumn<int>("sum");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << 20 << 20 << "100.0";
        QTest::newRow("1 of 7") << 1 << 7 << "14.3";
        QTest::newRow("1 of 21") << 1 << 21 << "4.8";
        QTest::newRow("1 of 999") << 1 << 999 << "0.1";
        QTest::newRow("19 of 20") << 19 << 20 << "95.0";
        QTest::newRow("199 of 200 rounds to 99.5") << 199 << 200 << "99.5";
        QTest::newRow("999 of 1000 is 99.9") << 999 << 1000 << "99.9";
        QTest::newRow("9999 of 10000 rounds to 100.0") << 9999 << 10000 << "100.0";
        QTest::newRow("empty sum") << 1 << 0 << "0.0";
    }
    void percentText()
    {
        QFETCH(int, weightClass);
        QFETCH(int, sum);
        QFETCH(QString, text);
        QCOMPARE(SharePercentText(weightClass, sum), text);
    }

    void weightClassOf_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("weightClass");
        QTest::newRow("after a change") << "7 " << 7;
        QTest::newRow("after a refresh") << "12  [ 60.0%] " << 12;
        QTest::newRow("no space") << "15" << 15;
        QTest::newRow("too big") << "99 " << 20;
        QTest::newRow("zero") << "0 " << 1;
        QTest::newRow("garbage") << "x " << 1;
        QTest::newRow("empty") << "" << 1;
    }
    void weightClassOf()
    {
        QFETCH(QString, text);
        QFETCH(int, weightClass);
        QCOMPARE(WeightClassOf(text), weightClass);
        QCOMPARE(PriorityText(weightClass), QString::number(weightClass) + QLatin1Char(' '));
    }

    void playerNameText()
    {
        const QString cross = fromCodePage("\xD7");
        QCOMPARE(PlayerNameText(fromCodePage("a\xF5" "b\xFB" "c\xED" "d")), "a" + cross + "b" + cross + "c" + cross + "d");
        // Neighbours of the three stay.
        const QString others = fromCodePage("\xF4\xF6\xFA\xFC\xEC\xEE\xE9\xD7");
        QCOMPARE(PlayerNameText(others), others);
        QCOMPARE(PlayerNameText(QStringLiteral("plain.mp3")), QStringLiteral("plain.mp3"));
    }

    void devicePath_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("path");
        QTest::newRow("root file") << "\\" << "a.mp3" << "E:\\a.mp3";
        QTest::newRow("below") << "music\\rock\\" << "a.mp3" << "E:\\music\\rock\\a.mp3";
        QTest::newRow("folder") << "music\\" << "rock" << "E:\\music\\rock";
        // Only the first doubled "\" goes.
        QTest::newRow("two doubles") << "\\m\\\\" << "a.mp3" << "E:\\m\\\\a.mp3";
    }
    void devicePath()
    {
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QFETCH(QString, path);
        QCOMPARE(ElementDevicePath('E', folder, name), path);
    }

    void pathAllowed_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("file") << "music\\a.mp3" << true;
        QTest::newRow("root") << "\\a.mp3" << true;
        QTest::newRow("dots in a name") << "music\\..a..mp3" << true;
        QTest::newRow("climbs") << "..\\a.mp3" << false;
        QTest::newRow("climbs in the middle") << "music\\..\\..\\etc" << false;
        QTest::newRow("climbs with slashes") << "music/../../etc" << false;
        QTest::newRow("drive") << "C:\\a.mp3" << false;
        QTest::newRow("address") << "http://x/a.mp3" << false;
        QTest::newRow("other machine") << "\\\\server\\share\\a.mp3" << false;
        QTest::newRow("too long") << QString(260, QLatin1Char('a')) << false;
        QTest::newRow("outside the code page") << QString::fromUtf8("\xE6\x97\xA5.mp3") << false;
    }
    void pathAllowed()
    {
        QFETCH(QString, path);
        QFETCH(bool, allowed);
        QCOMPARE(ElementPathAllowed(path), allowed);
    }

    void loadedElementsClimbingOutAreRefused()
    {
        const QList<MyRadioElement> elements{
            MyRadioElement::fromPath("music\\a.mp3", 3), MyRadioElement::fromPath("..\\..\\home", 4),
            MyRadioElement::fromPath("\\b.MP3", 5), MyRadioElement::fromPath("music\\rock", 6),
            MyRadioElement::fromPath("D:\\x.mp3", 7)};
        QStringList refused;
        const QList<MyRadioRow> rows = RowsOfElements(elements, &refused);
        QStringList got;
        for (const MyRadioRow &r : rows)
            got.append(row(r));
        QCOMPARE(got, (QStringList{"music\\|a.mp3|3|0", "\\|b.MP3|5|0", "music\\|rock|6|1"}));
        QCOMPARE(refused, (QStringList{"..\\..\\home", "D:\\x.mp3"}));
        QCOMPARE(ElementsOfRows(rows), (QList<MyRadioElement>{elements[0], elements[2], elements[3]}));
    }

    // Adding the same file twice selects the existing row; a root file keeps
    // "\" as its folder part and is stored as "\name".
    void addDuplicateAndRoot()
    {
        QList<MyRadioRow> rows;
        AddOutcome a = AddPicks(rows, {pick({}, "top.mp3"), pick({"music"}, "a.mp3")}, 7, 'E', HasMp3);
        QVERIFY(a.modified);
        QCOMPARE(a.selectRows, (QList<qsizetype>{0, 1}));
        AddOutcome b = AddPicks(rows, {pick({"MUSIC"}, "A.mp3"), pick({}, "top.mp3")}, 3, 'E', HasMp3);
        QVERIFY(!b.modified);
        QVERIFY(!b.listFull);
        QCOMPARE(b.selectRows, (QList<qsizetype>{1, 0}));
        QCOMPARE(rows.size(), 2);
        QCOMPARE(row(rows[0]), QStringLiteral("\\|top.mp3|7|0"));
        QCOMPARE(rows[0].element().path(), QStringLiteral("\\top.mp3"));

        const QString file = QStringLiteral("E:\\voxa\\myradio\\r.mra");
        QVERIFY(QDir().mkpath(drives->root('E') + "/voxa/myradio"));
        QVERIFY(WriteMyRadioFile(file, ElementsOfRows(rows)).ok());
        const QByteArray bytes = test::TestDriveTable::readFile(file);
        QCOMPARE(bytes.mid(10, 9), QByteArray("\\top.mp3\0", 9));
        QCOMPARE(bytes.mid(274, 12), QByteArray("music\\a.mp3\0", 12));
        QStringList refused;
        QCOMPARE(RowsOfElements(*ReadMyRadioFile(file), &refused), rows);
        QVERIFY(refused.isEmpty());
    }

    void addUpToTheLimit()
    {
        QList<MyRadioRow> rows;
        for (int i = 0; i < 98; ++i)
            rows.append({QStringLiteral("f%1.mp3").arg(i), "\\", 10, RowPicture::Mp3File});
        const AddOutcome a = AddPicks(rows, {pick({}, "f3.mp3"), pick({}, "x.mp3"), pick({}, "y.mp3"),
                                             pick({}, "z.mp3"), pick({}, "f5.mp3")},
                                      4, 'E', HasMp3);
        QCOMPARE(rows.size(), 100);
        QVERIFY(ProfileListFull(rows.size()));
        QVERIFY(!ProfileListFull(99));
        QVERIFY(a.listFull);
        QVERIFY(a.modified);
        // The duplicate before the limit is selected; after it, picks stay
        // selected in the tree, duplicates or not.
        QCOMPARE(a.selectRows, (QList<qsizetype>{3, 98, 99}));
        QCOMPARE(a.keptPicks, (QList<qsizetype>{3, 4}));
        QCOMPARE(rows[99].name, QStringLiteral("y.mp3"));
        QCOMPARE(ItemLabelText(rows.size()), QStringLiteral("100"));
    }

    void addFoldersAndReplacedLetters()
    {
        const QString o = fromCodePage("\xF5");
        const QString cross = fromCodePage("\xD7");
        QVERIFY(test::TestDriveTable::writeFile("E:\\music\\deep\\er\\song.Mp3"));
        QVERIFY(QDir().mkpath(drives->root('E') + "/empty/sub"));
        QVERIFY(test::TestDriveTable::writeFile("E:\\empty\\sub\\notes.txt"));
        QVERIFY(test::TestDriveTable::writeFile("E:\\m" + o + "\\b" + o + ".mp3"));
        QStringList asked;
        const auto hasMp3 = [&asked](const QString &p) {
            asked.append(p);
            return HasMp3(p);
        };
        QList<MyRadioRow> rows;
        AddPicks(rows, {pick({}, "music", true), pick({}, "empty", true), pick({"m" + o}, "b" + o + ".mp3"),
                        pick({}, "m" + o, true)},
                 12, 'E', hasMp3);
        QStringList got;
        for (const MyRadioRow &r : rows)
            got.append(row(r));
        QCOMPARE(got, (QStringList{"\\|music|12|1", "\\|empty|12|2", "m" + cross + "\\|b" + cross + ".mp3|12|0",
                                   "\\|m" + cross + "|12|1"}));
        // The folders are searched under the drive's own names.
        QCOMPARE(asked, (QStringList{"E:\\music", "E:\\empty", "E:\\m" + o}));
    }

    void removeRows()
    {
        QList<MyRadioRow> rows;
        for (int i = 0; i < 5; ++i)
            rows.append({QString::number(i), "\\", 1, RowPicture::Mp3File});
        QVERIFY(RemoveRows(rows, {3, 0, 3, 9}));
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[0].name + rows[1].name + rows[2].name, QStringLiteral("124"));
        QVERIFY(!RemoveRows(rows, {}));
        QVERIFY(!RemoveRows(rows, {-1, 3}));
    }

    void removeMissing()
    {
        QVERIFY(test::TestDriveTable::writeFile("E:\\root.mp3"));
        QVERIFY(test::TestDriveTable::writeFile("E:\\music\\rock\\a.mp3"));
        QList<MyRadioRow> rows{{"root.mp3", "\\", 1, RowPicture::Mp3File},
                               {"gone.mp3", "\\", 1, RowPicture::Mp3File},
                               {"rock", "music\\", 1, RowPicture::Folder},
                               {"a.mp3", "music\\rock\\", 1, RowPicture::Mp3File},
                               {"pop", "music\\", 1, RowPicture::Folder}};
        QCOMPARE(RemoveMissingRows(rows, 'E'), 2);
        QStringList names;
        for (const MyRadioRow &r : rows)
            names.append(r.name);
        QCOMPARE(names, (QStringList{"root.mp3", "rock", "a.mp3"}));
    }

    void collectAndList()
    {
        for (const char *p : {"E:\\f\\1.mp3", "E:\\f\\2.MP3", "E:\\f\\x.txt", "E:\\f\\s\\3.mp3", "E:\\f\\s\\t\\4.mP3",
                              "E:\\f\\s\\t\\5.mp3.bak"})
            QVERIFY(test::TestDriveTable::writeFile(QString::fromLatin1(p)));
        // A link back up the tree must not make the walk run for ever.
        QVERIFY(QFile::link(drives->root('E') + "/f", drives->root('E') + "/f/s/t/loop"));
        QStringList all = CollectMp3("E:\\f", 1000);
        QCOMPARE(all.size(), 4);
        all.sort();
        QCOMPARE(all, (QStringList{"E:\\f\\1.mp3", "E:\\f\\2.MP3", "E:\\f\\s\\3.mp3", "E:\\f\\s\\t\\4.mP3"}));
        QCOMPARE(CollectMp3("E:\\f", 2).size(), 2);
        QCOMPARE(CollectMp3("E:\\f", 0).size(), 0);
        QCOMPARE(ListMp3s("E:\\f").size(), 4);
        QVERIFY(HasMp3("E:\\f\\s\\t"));
        QVERIFY(!HasMp3("E:\\f\\nothing"));
        int ticks = 0;
        CollectMp3("E:\\f", 1000, [&ticks] { ++ticks; });
        QCOMPARE(ticks, 3);
        // Files come in each folder's own order, a subfolder's files where
        // the subfolder stands.
        QStringList expected;
        std::function<void(const QString &)> walk = [&](const QString &folder) {
            for (const fs::Entry &e : fs::listDir(folder)) {
                if (e.isDir && e.name != QLatin1String("loop"))
                    walk(folder + "\\" + e.name);
                else if (!e.isDir && e.name.endsWith(".mp3", Qt::CaseInsensitive))
                    expected.append(folder + "\\" + e.name);
            }
        };
        walk("E:\\f");
        QCOMPARE(ListMp3s("E:\\f"), expected);
    }
};

QTEST_GUILESS_MAIN(TestMyRadioRows)
#include "test_myradiorows.moc"
