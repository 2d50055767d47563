#include "app/messagetable.h"
#include "editors/myradio/myradiomusic.h"
#include "editors/myradio/randomexport.h"
#include "platform/fileops.h"
#include "platform/paths.h"
#include "support/scriptedprompts.h"
#include "support/testdrive.h"

#include <QTest>

using namespace voxa;

namespace {

// Answers below() from a script; running out fails the test.
class ScriptedRandom : public RandomSource {
public:
    explicit ScriptedRandom(QList<quint32> script) : m_script(std::move(script)) {}
    quint32 below(quint32 n) override
    {
        if (m_script.isEmpty()) {
            ++overrun;
            return 0;
        }
        const quint32 v = m_script.takeFirst();
        if (v >= n)
            ++outOfRange;
        return v;
    }
    qsizetype left() const { return m_script.size(); }
    int overrun = 0;
    int outOfRange = 0;

private:
    QList<quint32> m_script;
};

ExportTable tableOf(const QList<int> &weights, int n, bool folders = false)
{
    QList<ExportElement> elements;
    for (qsizetype i = 0; i < weights.size(); ++i) {
        ExportElement e;
        e.path = QStringLiteral("E:\\e%1.mp3").arg(i);
        e.w = quint8(weights[i]);
        e.folder = folders;
        elements.append(e);
    }
    return ExportTable::of(elements, n);
}

MyRadioRow fileRow(const QString &folder, const QString &name, int weightClass)
{
    return {name, folder, weightClass, RowPicture::Mp3File};
}

QByteArray m3u(const QStringList &lines)
{
    QByteArray b("#EXTM3U\r\n");
    for (const QString &l : lines)
        b += l.toLatin1() + "\r\n";
    return b;
}

}  // namespace

class TestMyRadioExport : public QObject {
    Q_OBJECT

    test::TestDrive drives;

private slots:
    void init() { QVERIFY(drives.setUp('E', {QStringLiteral("voxa/myradio")})); }
    void cleanup() { drives.tearDown(); }

    // Each row: the weights, N, how many picks to run, the draws (below's
    // answers, 0-based), the picks expected and every element's hits,
    // cooldown and age afterwards.
    void pickNext_data()
    {
        QTest::addColumn<QList<int>>("weights");
        QTest::addColumn<int>("n");
        QTest::addColumn<QList<quint32>>("draws");
        QTest::addColumn<QList<int>>("picks");
        QTest::addColumn<QList<int>>("state");  // hits, cooldown, age per element

        // Equal shares, N = 4: each element twice. Cool-down T/w - 0.3 T/w
        // = 2 - 0; at pick 4 element 0 has its share and is refused three
        // times, which ages its cool-down by one.
        QTest::newRow("shares and cool-down") << QList<int>{1, 1} << 4 << QList<quint32>{0, 0, 1, 1, 0, 0, 0, 0, 1}
                                              << QList<int>{0, 1, 0, 1} << QList<int>{2, 4, 0, 2, 6, 0};
        // 3 : 1 of N = 4. The small element's share (one pick) is full at
        // once; its refusals age its cool-down from 4 to 3.
        QTest::newRow("share full") << QList<int>{3, 1} << 4 << QList<quint32>{3, 3, 0, 0, 3, 3, 2}
                                    << QList<int>{1, 0, 0, 0} << QList<int>{3, 5, 0, 1, 3, 0};
        // Cool-down pick + 2: at pick 2 element 0 is still cooling; the
        // third refusal lowers its cool-down to 2 and the next draw takes it.
        QTest::newRow("ageing ends the wait") << QList<int>{2, 2} << 8 << QList<quint32>{0, 0, 1, 0, 0}
                                              << QList<int>{0, 0} << QList<int>{2, 4, 0, 0, 0, 0};
        // The walk: r = 6 passes 2 and 3 and lands on the last element.
        QTest::newRow("walk to the last") << QList<int>{2, 3, 1} << 6 << QList<quint32>{5}
                                          << QList<int>{2} << QList<int>{0, 0, 0, 0, 0, 0, 1, 1 + 6 - 1, 0};
        // cooldown = pick + trunc(T / w) - trunc(T / w x 0.3): T = 20, w = 7:
        // 2.857 and 0.857 give pick + 2.
        QTest::newRow("cool-down truncates") << QList<int>{7, 13} << 10 << QList<quint32>{0}
                                             << QList<int>{0} << QList<int>{1, 3, 0, 0, 0, 0};
    }
    void pickNext()
    {
        QFETCH(QList<int>, weights);
        QFETCH(int, n);
        QFETCH(QList<quint32>, draws);
        QFETCH(QList<int>, picks);
        QFETCH(QList<int>, state);
        ExportTable table = tableOf(weights, n);
        ScriptedRandom random(draws);
        QList<int> got;
        for (int pick = 1; pick <= picks.size(); ++pick)
            got.append(PickNext(table, pick, random));
        QCOMPARE(got, picks);
        QCOMPARE(random.left(), 0);
        QCOMPARE(random.overrun, 0);
        QCOMPARE(random.outOfRange, 0);
        QList<int> after;
        for (const ExportElement &e : table.elements)
            after << e.hits << e.cooldown << e.age;
        QCOMPARE(after, state);
    }

    // With a fixed seed, every element's count in a 10,000-line list stays
    // within its share: never above it, and since the counts fill N, never
    // below N less the other elements' shares.
    void sharesHold_data()
    {
        QTest::addColumn<QList<int>>("weights");
        QTest::addColumn<int>("n");
        QTest::newRow("1 2 3 7") << QList<int>{1, 2, 3, 7} << 10000;
        QTest::newRow("one of each class") << [] {
            QList<int> w;
            for (int c = 1; c <= 20; ++c)
                w.append(c);
            return w;
        }() << 10000;
        QList<int> hundred;
        for (int i = 0; i < 100; ++i)
            hundred.append(1 + (i * 7) % 20);
        QTest::newRow("100 elements") << hundred << 10000;
        QTest::newRow("short list") << QList<int>{5, 1} << 7;
    }
    void sharesHold()
    {
        QFETCH(QList<int>, weights);
        QFETCH(int, n);
        for (quint32 seed : {1u, 77u, 4242u}) {
            ExportTable table = tableOf(weights, n);
            SeededRandom random(seed);
            const QList<int> picks = PickAll(table, random);
            QCOMPARE(picks.size(), n);
            QList<int> counts(weights.size(), 0);
            for (int p : picks)
                ++counts[p];
            int ceilings = 0;
            for (int w : weights)
                ceilings += int(std::ceil(double(w) * n / table.T));
            for (qsizetype i = 0; i < weights.size(); ++i) {
                const double share = double(weights[i]) * n / table.T;
                const int floor = n - (ceilings - int(std::ceil(share)));
                QVERIFY2(counts[i] <= std::ceil(share) && counts[i] >= floor,
                         qPrintable(QStringLiteral("element %1: %2 of share %3").arg(i).arg(counts[i]).arg(share)));
                QCOMPARE(int(table.elements[i].hits), counts[i]);
            }
        }
    }

    void folderLines()
    {
        ExportTable table = tableOf({1, 1}, 5);
        table.elements[0].folder = true;
        table.elements[0].path = "E:\\f";
        ScriptedRandom random({2, 0, 1});
        QStringList asked;
        const QStringList lines = ExportLines(table, {1, 0, 0, 1, 0}, random, [&asked](const QString &p) {
            asked.append(p);
            return QStringList{"E:\\f\\a.mp3", "E:\\f\\b.mp3", "E:\\f\\c.mp3"};
        });
        QCOMPARE(lines, (QStringList{"E:\\e1.mp3", "E:\\f\\c.mp3", "E:\\f\\a.mp3", "E:\\e1.mp3", "E:\\f\\b.mp3"}));
        QCOMPARE(asked, QStringList{"E:\\f"});  // collected once
        QVERIFY(table.elements[0].expanded);
        QCOMPARE(random.left(), 0);

        // A folder emptied since the table was built leaves no lines.
        ExportTable gone = tableOf({1}, 2, true);
        ScriptedRandom none({});
        const QStringList empty = ExportLines(gone, {0, 0}, none, [](const QString &) { return QStringList{}; });
        QCOMPARE(RandomExportBytes(empty), QByteArray("#EXTM3U\r\n"));
    }

    void elementNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("n");  // -1: not valid
        QTest::newRow("default") << "1000" << 1000;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("spaces") << " 12 " << 12;
        QTest::newRow("limit") << "10000" << 10000;
        QTest::newRow("above the limit") << "20000" << 10000;
        QTest::newRow("largest") << "65535" << 10000;
        QTest::newRow("too large") << "65536" << -1;
        QTest::newRow("negative") << "-1" << -1;
        QTest::newRow("fraction") << "1.5" << -1;
        QTest::newRow("letters") << "ten" << -1;
        QTest::newRow("empty") << "" << -1;
    }
    void elementNumber()
    {
        QFETCH(QString, text);
        QFETCH(int, n);
        const std::optional<int> got = ElementNumber(text);
        QCOMPARE(got.value_or(-1), n);
    }

    void proposedName()
    {
        QCOMPARE(ExportProposedName("E:\\voxa\\myradio\\rock.mra"), QStringLiteral("rock.m3u"));
        QCOMPARE(ExportProposedName("E:\\voxa\\myradio\\a.b.mra"), QStringLiteral("a.m3u"));
        QCOMPARE(ExportProposedName(QString()), QStringLiteral("Untitled.m3u"));  // never a hidden file
        QCOMPARE(ExportProposedName("E:\\voxa\\myradio\\.mra"), QStringLiteral("Untitled.m3u"));
        setMessage(Msg::Untitled, QStringLiteral("Unbenannt"));
        QCOMPARE(ExportProposedName(QString()), QStringLiteral("Unbenannt.m3u"));
        setMessage(Msg::Untitled, QStringLiteral("../x"));
        QCOMPARE(ExportProposedName(QString()), QStringLiteral("Untitled.m3u"));
        resetMessages();
        QCOMPARE(ExportFolder('E'), QStringLiteral("E:\\voxa\\myradio"));
    }

    // The whole export of rows into a file.
    void exportFile_data()
    {
        QTest::addColumn<QList<MyRadioRow>>("rows");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QByteArray>("bytes");  // "<E>": the drive's folder, written for this computer
        QTest::newRow("10 picks from one file")
            << QList<MyRadioRow>{fileRow("music\\", "a.mp3", 1)} << "10" << m3u(QStringList(10, "E:\\music\\a.mp3"));
        QTest::newRow("a root file") << QList<MyRadioRow>{fileRow("\\", "r.mp3", 20)} << "2"
                                     << m3u({"E:\\r.mp3", "E:\\r.mp3"});
        QTest::newRow("20000 gives 10000")
            << QList<MyRadioRow>{fileRow("m\\", "a.mp3", 3)} << "20000" << m3u(QStringList(10000, "E:\\m\\a.mp3"));
        QTest::newRow("an empty folder is left out")
            << QList<MyRadioRow>{{"empty", "\\", 20, RowPicture::EmptyFolder},
                                 {"nothing", "\\", 20, RowPicture::Folder},
                                 fileRow("m\\", "a.mp3", 1)}
            << "5" << m3u(QStringList(5, "E:\\m\\a.mp3"));
        const MyRadioRow accented = fileRow("m\\", QString::fromUtf8("\xC3\xA9 x.mp3"), 1);
        QTest::newRow("player's form, code page")
            << QList<MyRadioRow>{accented} << "2" << QByteArray("#EXTM3U\r\nE:\\m\\\xE9 x.mp3\r\nE:\\m\\\xE9 x.mp3\r\n");
        QTest::newRow("this computer's paths")
            << QList<MyRadioRow>{accented} << "2" << QByteArray("#EXTM3U\r\n<E>/m/\xC3\xA9 x.mp3\r\n<E>/m/\xC3\xA9 x.mp3\r\n");
    }
    void exportFile()
    {
        QFETCH(QList<MyRadioRow>, rows);
        QFETCH(QString, number);
        QFETCH(QByteArray, bytes);
        const ExportPaths paths = bytes.contains("<E>") ? ExportPaths::ThisComputer : ExportPaths::Player;
        bytes.replace("<E>", QFile::encodeName(drives->root('E')));
        QVERIFY(QDir().mkpath(drives->root('E') + "/empty"));
        QVERIFY(test::TestDriveTable::writeFile("E:\\nothing\\readme.txt"));
        test::ScriptedPrompts prompts;
        std::optional<ExportTable> table = PrepareRandomExport(rows, number, 'E', Placement::frameBox());
        QVERIFY(table);
        SeededRandom random(5);
        const QString path = "E:\\voxa\\myradio\\out.m3u";
        QCOMPARE(WriteRandomExport(*table, path, random, {}, paths), RandomExportResult::Written);
        QCOMPARE(test::TestDriveTable::readFile(path), bytes);
        QVERIFY(prompts.records().isEmpty());
    }

    void twoFilesTwiceEach()
    {
        const QList<MyRadioRow> rows{fileRow("m\\", "a.mp3", 1), fileRow("m\\", "b.mp3", 1)};
        for (quint32 seed = 0; seed < 50; ++seed) {
            std::optional<ExportTable> table = PrepareRandomExport(rows, "4", 'E', Placement::frameBox());
            QVERIFY(table);
            SeededRandom random(seed);
            QCOMPARE(WriteRandomExport(*table, "E:\\voxa\\myradio\\x.m3u", random), RandomExportResult::Written);
            const QByteArray b = test::TestDriveTable::readFile("E:\\voxa\\myradio\\x.m3u");
            QCOMPARE(b.count("E:\\m\\a.mp3\r\n"), 2);
            QCOMPARE(b.count("E:\\m\\b.mp3\r\n"), 2);
        }
    }

    void folderElementPicksItsFiles()
    {
        for (int i = 0; i < 5; ++i)
            QVERIFY(test::TestDriveTable::writeFile(QStringLiteral("E:\\rock\\sub\\%1.mp3").arg(i)));
        QVERIFY(test::TestDriveTable::writeFile("E:\\rock\\cover.jpg"));
        const QList<MyRadioRow> rows{{"rock", "\\", 10, RowPicture::Folder}};
        std::optional<ExportTable> table = PrepareRandomExport(rows, "300", 'E', Placement::frameBox());
        QVERIFY(table);
        SeededRandom random(9);
        int ticks = 0;
        QCOMPARE(WriteRandomExport(*table, "E:\\voxa\\myradio\\r.m3u", random, [&ticks] { ++ticks; }),
                 RandomExportResult::Written);
        QVERIFY(ticks > 0);
        const QList<QByteArray> lines = test::TestDriveTable::readFile("E:\\voxa\\myradio\\r.m3u").split('\n');
        QCOMPARE(lines.size(), 302);  // header, 300 lines, nothing after the last line end
        QSet<QByteArray> seen;
        for (int i = 1; i <= 300; ++i) {
            QVERIFY(lines[i].startsWith("E:\\rock\\sub\\") && lines[i].endsWith(".mp3\r"));
            seen.insert(lines[i]);
        }
        QCOMPARE(seen.size(), 5);  // chosen anew for every line
    }

    void messages()
    {
        const Placement box = Placement::at(QPoint(140, 110));
        const QList<MyRadioRow> rows{fileRow("m\\", "a.mp3", 1)};
        {
            test::ScriptedPrompts prompts;
            prompts.expectMessage(msg(Msg::ElementNumberInvalid));
            QVERIFY(!PrepareRandomExport(rows, "70000", 'E', box));
            QCOMPARE(prompts.pending(), 0);
            const MessageBox shown = prompts.lastMessage();
            QCOMPARE(shown.placement.kind, Placement::At);
            QCOMPARE(shown.placement.point, QPoint(140, 110));
            QCOMPARE(shown.buttons, Buttons(Button::Ok));
            QVERIFY(shown.title.isEmpty());
        }
        {
            test::ScriptedPrompts prompts;  // N = 0 ends without a word
            QVERIFY(!PrepareRandomExport(rows, "0", 'E', box));
        }
        {
            test::ScriptedPrompts prompts;
            prompts.expectMessage(msg(Msg::NoMp3InSelected));
            QVERIFY(QDir().mkpath(drives->root('E') + "/empty"));
            QVERIFY(!PrepareRandomExport({{"empty", "\\", 5, RowPicture::Folder}}, "10", 'E', box));
            QCOMPARE(prompts.pending(), 0);
        }
    }

    void readOnlyTarget()
    {
        const QString path = "E:\\voxa\\myradio\\ro.m3u";
        QVERIFY(test::TestDriveTable::writeFile(path, "old"));
        QVERIFY(fs::setReadOnly(path));
        const QList<MyRadioRow> rows{fileRow("m\\", "a.mp3", 1)};
        {
            test::ScriptedPrompts prompts;
            prompts.expectMessage(msg(Msg::OverwriteExisting), Button::No);
            std::optional<ExportTable> table = PrepareRandomExport(rows, "1", 'E', Placement::frameBox());
            SeededRandom random(1);
            QCOMPARE(WriteRandomExport(*table, path, random), RandomExportResult::Declined);
            QCOMPARE(test::TestDriveTable::readFile(path), QByteArray("old"));
            QCOMPARE(prompts.lastMessage().buttons, Button::Yes | Button::No);
        }
        {
            test::ScriptedPrompts prompts;
            prompts.expectMessage(msg(Msg::OverwriteExisting), Button::Yes);
            std::optional<ExportTable> table = PrepareRandomExport(rows, "1", 'E', Placement::frameBox());
            SeededRandom random(1);
            QCOMPARE(WriteRandomExport(*table, path, random), RandomExportResult::Written);
            QCOMPARE(test::TestDriveTable::readFile(path), m3u({"E:\\m\\a.mp3"}));
        }
    }

    void cannotWrite()
    {
        test::ScriptedPrompts prompts;
        prompts.expectMessage(msg(Msg::OpenForWriteError));
        std::optional<ExportTable> table =
            PrepareRandomExport({fileRow("m\\", "a.mp3", 1)}, "3", 'E', Placement::frameBox());
        SeededRandom random(1);
        QCOMPARE(WriteRandomExport(*table, "E:\\no\\such\\folder\\x.m3u", random), RandomExportResult::WriteFailed);
        QVERIFY(prompts.lastMessage().text.endsWith("[E:\\no\\such\\folder\\x.m3u]"));
    }
};

QTEST_GUILESS_MAIN(TestMyRadioExport)
#include "test_myradio_export.moc"
