// Flow tests of the MyRadio editor: driven through the main window on a test
// drive with a small music tree, with scripted answers, a recording media
// player and a stand-in MyRadio copy frame.
#include "app/appstate.h"
#include "app/languagetargets.h"
#include "app/mainform.h"
#include "app/messagetable.h"
#include "app/otherframe.h"
#include "app/owntexts.h"
#include "app/shellstubs.h"
#include "editors/devicedialogs.h"
#include "editors/myradio/myradioeditor.h"
#include "platform/codepage.h"
#include "platform/fileops.h"
#include "platform/paths.h"
#include "support/framewindow.h"
#include "support/recordingmediaplayer.h"
#include "support/recordingprocesses.h"
#include "support/scriptedprompts.h"
#include "support/testdrives.h"
#include "ui/skinbutton.h"
#include "ui/skinslider.h"
#include "support/mainwidgets.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

using namespace voxa;

namespace {

// The MyRadio copy as the editor sees it: records what it was handed.
class StubCopyFrame : public TOtherFrame, public MyRadioCopyHandOff {
public:
    StubCopyFrame(FrameHost *host, QWidget *parent) : TOtherFrame(host, parent, QSize(400, 300)) {}
    void EnterEditorMode(const QString &profileFileName, const QList<MyRadioElement> &elements,
                         bool modified) override
    {
        ++calls;
        fileName = profileFileName;
        this->elements = elements;
        this->modified = modified;
    }
    int calls = 0;
    QString fileName;
    QList<MyRadioElement> elements;
    bool modified = false;
};

QByteArray le32(quint32 v)
{
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = char((v >> (8 * i)) & 0xFF);
    return b;
}

// A profile spelled out byte by byte: header, records, zero padding.
QByteArray profileBytes(const QList<QPair<QByteArray, quint32>> &records)
{
    QByteArray out("R7MRA1.00", 9);
    out.append('\0');
    for (const auto &[path, share] : records) {
        QByteArray rec = path;
        rec.append(QByteArray(260 - rec.size(), '\0'));
        rec += le32(share);
        out += rec;
    }
    out.append(QByteArray(26410 - out.size(), '\0'));
    return out;
}

}  // namespace

class TestMyRadioEditor : public QObject, private test::FrameWindow {
    Q_OBJECT

    TMyRadioEditor *editor = nullptr;
    StubCopyFrame *copyFrame = nullptr;

    static void file(const char *devicePath) { QVERIFY(test::TestDriveTable::writeFile(QString::fromLatin1(devicePath), "ID3")); }

    void showNew()
    {
        mainChild<QAction>(form, "MyProfileEditMenuItem")->trigger();
        QVERIFY(editor->isVisible());
    }

    // Selects tree nodes by their paths below the root ("music\rock\a.mp3"),
    // expanding their folders first.
    void pick(const QStringList &paths)
    {
        editor->ProfileTree->clearSelection();
        for (const QString &path : paths) {
            const QStringList parts = path.split(QLatin1Char('\\'));
            for (int i = 1; i < parts.size(); ++i) {
                QTreeWidgetItem *folder = editor->FindNode(parts.mid(0, i).join(QLatin1Char('\\')));
                QVERIFY2(folder, qPrintable(path));
                folder->setExpanded(true);
            }
            QTreeWidgetItem *node = editor->FindNode(path);
            QVERIFY2(node, qPrintable(path));
            node->setSelected(true);
        }
    }

    void add(const QStringList &paths, int weightClass = 10)
    {
        editor->WeightClassTrack->setPosition(weightClass);
        pick(paths);
        editor->AddButton->Click();
    }

    // The track bar moved by the user to a value.
    void moveTrack(int value)
    {
        editor->WeightClassTrack->setPosition(value);
        emit editor->WeightClassTrack->OnChange();
    }

    QStringList column(int c) const
    {
        QStringList texts;
        for (int i = 0; i < editor->ProfileList->topLevelItemCount(); ++i)
            texts.append(editor->ProfileList->topLevelItem(i)->text(c));
        return texts;
    }

    QString native(const char *devicePath) const { return platform::toNative(QString::fromLatin1(devicePath)); }

    // Answers the element prompt with a number once it is shown.
    void answerElementPrompt(const QString &number, bool ok = true, bool localPaths = false)
    {
        QTimer::singleShot(0, this, [this, number, ok, localPaths] {
            auto *prompt = qobject_cast<TGetElement *>(form->ElementPrompt());
            QVERIFY(prompt && prompt->isVisible());
            // The player's paths are chosen whatever the last export took.
            QVERIFY(prompt->PlayerPathsRadio->isChecked());
            prompt->ElementEdit->setText(number);
            if (localPaths)
                prompt->LocalPathsRadio->click();
            (ok ? prompt->OKButton : prompt->Button1)->Click();
        });
    }

private slots:
    void initTestCase() { QVERIFY(setUpProgram()); }

    void init()
    {
        QVERIFY(prepare(playerFolders() << QStringLiteral("empty/inner")));
        appState().DriveLetter = QLatin1Char('V');
        file("V:\\music\\rock\\a.mp3");
        file("V:\\music\\rock\\b.MP3");
        file("V:\\music\\rock\\cover.jpg");
        file("V:\\music\\jazz\\deep\\c.mp3");
        file("V:\\song.mp3");
        RegisterEditorDialogs();
        RegisterMyRadioEditor();
        RegisterFrame(FrameKind::MyRadioCopy, [this](FrameHost &host, QWidget *parent) -> QWidget * {
            copyFrame = new StubCopyFrame(&host, parent);
            return copyFrame;
        });
        QVERIFY(showMainWindow());
        editor = qobject_cast<TMyRadioEditor *>(form->Frame(FrameKind::MyRadioEditor));
        QVERIFY(editor);
        QVERIFY(copyFrame);
    }

    void cleanup()
    {
        tearDown();
        copyFrame = nullptr;
    }

    void treeShowsFoldersAndMp3FilesTwoLevelsDeep()
    {
        showNew();
        QCOMPARE(mainChild<QLabel>(form, "FileNameLabel")->text(), QStringLiteral("MyRadio Editor: Untitled"));
        QStringList top;
        for (int i = 0; i < editor->ProfileTree->topLevelItemCount(); ++i)
            top.append(editor->ProfileTree->topLevelItem(i)->text(0));
        QCOMPARE(top, (QStringList{"empty", "music", "song.mp3", "voxa"}));
        // The first node is selected; level two is read, level three not yet.
        QVERIFY(editor->ProfileTree->topLevelItem(0)->isSelected());
        QTreeWidgetItem *rock = editor->FindNode(QStringLiteral("music\\rock"));
        QVERIFY(rock);
        QCOMPARE(rock->childCount(), 0);
        editor->FindNode(QStringLiteral("music"))->setExpanded(true);
        QCOMPARE(rock->childCount(), 2);  // a.mp3, b.MP3; no cover.jpg
        QCOMPARE(rock->child(0)->text(0), QStringLiteral("a.mp3"));
        QCOMPARE(editor->NodePath(rock->child(1)), QStringLiteral("V:\\music\\rock\\b.MP3"));
        QCOMPARE(editor->NodePath(editor->FindNode(QStringLiteral("song.mp3"))), QStringLiteral("V:\\song.mp3"));
        QCOMPARE(editor->WeightClassTrack->Caption(), QStringLiteral("10"));
        QVERIFY(!editor->Modified());
    }

    void addingTakesEveryRule()
    {
        showNew();
        add({"music\\rock\\a.mp3", "song.mp3", "music\\jazz", "empty"}, 5);
        // Rows come in tree order, not in the order the nodes were picked.
        QCOMPARE(column(0), (QStringList{"empty", "jazz", "a.mp3", "song.mp3"}));
        QCOMPARE(column(2), (QStringList{"\\", "music\\", "music\\rock\\", "\\"}));
        QCOMPARE(column(1), (QStringList{"5  [25.0%] ", "5  [25.0%] ", "5  [25.0%] ", "5  [25.0%] "}));
        QList<RowPicture> pictures;
        for (const MyRadioRow &r : editor->Rows())
            pictures.append(r.picture);
        QCOMPARE(pictures, (QList<RowPicture>{RowPicture::EmptyFolder, RowPicture::Folder, RowPicture::Mp3File,
                                              RowPicture::Mp3File}));
        QCOMPARE(editor->SelectedRows(), (QList<qsizetype>{0, 1, 2, 3}));
        QCOMPARE(editor->ItemLabel->text(), QStringLiteral("4"));
        QVERIFY(editor->Modified());
        QVERIFY(editor->ProfileTree->selectedItems().isEmpty());
        // The empty folder alone shows the warning; another row clears it.
        editor->SelectRows({0});
        QCOMPARE(editor->WarningLabel->text(), msg(Msg::NoMp3InDirectory));
        editor->SelectRows({3});
        QCOMPARE(editor->WarningLabel->text(), QString());
    }

    void duplicateSelectsTheExistingRow()
    {
        showNew();
        add({"music\\rock\\a.mp3", "music\\rock\\b.MP3"});
        editor->setModified(false);
        add({"music\\rock\\b.MP3"}, 3);
        QCOMPARE(editor->Rows().size(), 2);
        QCOMPARE(editor->SelectedRows(), (QList<qsizetype>{1}));
        QCOMPARE(editor->Rows()[1].weightClass, 10);
        QVERIFY(!editor->Modified());
        // The existing row's class moved the track bar.
        QCOMPARE(editor->WeightClassTrack->Position(), 10);
    }

    void replacedLettersAndDuplicatesOfThem()
    {
        // 0xF5, 0xFB and 0xED of the code page become 0xD7.
        const QString odd = fromCodePage("s\xF5ng\xFB\xED.mp3");
        QVERIFY(test::TestDriveTable::writeFile(QStringLiteral("V:\\") + odd, "ID3"));
        showNew();
        pick({odd});
        editor->AddButton->Click();
        QCOMPARE(editor->Rows().size(), 1);
        QCOMPARE(editor->Rows()[0].name, fromCodePage("s\xD7ng\xD7\xD7.mp3"));
    }

    void theHundredthElementIsTheLast()
    {
        for (int i = 0; i < 101; ++i)
            QVERIFY(test::TestDriveTable::writeFile(QStringLiteral("V:\\many\\t%1.mp3").arg(i, 3, 10, QLatin1Char('0')),
                                                    "ID3"));
        showNew();
        add({"song.mp3"});
        QStringList paths;
        for (int i = 0; i < 101; ++i)
            paths.append(QStringLiteral("many\\t%1.mp3").arg(i, 3, 10, QLatin1Char('0')));
        add(paths);
        QCOMPARE(editor->Rows().size(), 100);
        QCOMPARE(editor->Rows().last().name, QStringLiteral("t098.mp3"));
        QCOMPARE(editor->WarningLabel->text(), msg(Msg::MaxElements));
        QCOMPARE(editor->ItemLabel->text(), QStringLiteral("100"));
        // The nodes not taken stay selected.
        QStringList left;
        for (QTreeWidgetItem *n : editor->ProfileTree->selectedItems())
            left.append(n->text(0));
        left.sort();
        QCOMPARE(left, (QStringList{"t099.mp3", "t100.mp3"}));
        // Removing makes room again; removing everything clears the warning.
        editor->SelectRows({0});
        editor->RemoveButton->Click();
        QCOMPARE(editor->Rows().size(), 99);
        QCOMPARE(editor->ItemLabel->text(), QStringLiteral("99"));
        editor->ProfileList->selectAll();
        QTest::keyClick(editor->ProfileList, Qt::Key_Delete);
        QVERIFY(editor->Rows().isEmpty());
        QCOMPARE(editor->ItemLabel->text(), QStringLiteral("0"));
        QCOMPARE(editor->WarningLabel->text(), QString());
    }

    void priorityTexts_data()
    {
        QTest::addColumn<QList<int>>("classes");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("1 + 3") << QList<int>{1, 3} << QStringList{"1  [25.0%] ", "3  [75.0%] "};
        QTest::newRow("1 + 19") << QList<int>{1, 19} << QStringList{"1  [  5.0%] ", "19  [95.0%] "};
        QTest::newRow("20 alone") << QList<int>{20} << QStringList{"20  [100.0%] "};
        QTest::newRow("1 + 1 + 1") << QList<int>{1, 1, 1}
                                   << QStringList{"1  [33.3%] ", "1  [33.3%] ", "1  [33.3%] "};
    }
    void priorityTexts()
    {
        QFETCH(QList<int>, classes);
        QFETCH(QStringList, texts);
        showNew();
        const QStringList files{"music\\rock\\a.mp3", "music\\rock\\b.MP3", "song.mp3"};
        for (int i = 0; i < classes.size(); ++i)
            add({files[i]}, classes[i]);
        QCOMPARE(column(1), texts);
    }

    void trackBarMovesTheSelectedRows()
    {
        showNew();
        add({"music\\rock\\a.mp3"}, 2);
        add({"music\\rock\\b.MP3"}, 4);
        add({"song.mp3"}, 6);
        add({"music\\jazz"}, 8);
        editor->setModified(false);
        // Several rows of different classes: the bar keeps its value, no caption.
        editor->SelectRows({0, 1, 2});
        QCOMPARE(editor->WeightClassTrack->Caption(), QString());
        moveTrack(5);
        QCOMPARE(editor->WeightClassTrack->Caption(), QStringLiteral("5"));
        QCOMPARE(column(1), (QStringList{"5  [21.7%] ", "5  [21.7%] ", "5  [21.7%] ", "8  [34.8%] "}));
        QVERIFY(editor->Modified());
        // Equal classes give the bar their value.
        moveTrack(1);
        editor->SelectRows({3});
        QCOMPARE(editor->WeightClassTrack->Position(), 8);
        editor->SelectRows({0, 2});
        QCOMPARE(editor->WeightClassTrack->Position(), 1);
        QCOMPARE(editor->WeightClassTrack->Caption(), QStringLiteral("1"));
        // With nothing selected only the bar moves.
        editor->setModified(false);
        editor->ProfileList->clearSelection();
        moveTrack(17);
        QCOMPARE(editor->WeightClassTrack->Caption(), QStringLiteral("17"));
        QCOMPARE(editor->Rows()[3].weightClass, 8);
        QVERIFY(!editor->Modified());
    }

    void saveIsByteExactAndReopens()
    {
        showNew();
        add({"song.mp3", "music\\jazz"});
        const QString path = QStringLiteral("V:\\voxa\\myradio\\mine.mra");
        editor->setFileName(path);
        QVERIFY(editor->SaveDocument());
        QVERIFY(!editor->Modified());
        QCOMPARE(mainChild<QLabel>(form, "FileNameLabel")->text(), QStringLiteral("MyRadio Editor: mine"));
        // Two of class 10: unit 214748363, shares 2147483630.
        QCOMPARE(test::TestDriveTable::readFile(path),
                 profileBytes({{"music\\jazz", 2147483630u}, {"\\song.mp3", 2147483630u}}));

        QVERIFY(form->CloseActiveFrame(false));
        QVERIFY(editor->Rows().isEmpty());
        QVERIFY(editor->FileName().isEmpty());
        editor->setFileName(path);
        QVERIFY(editor->Load());
        form->ShowFrame(editor);
        QVERIFY(editor->isVisible());
        QCOMPARE(column(0), (QStringList{"jazz", "song.mp3"}));
        QCOMPARE(column(2), (QStringList{"music\\", "\\"}));
        QCOMPARE(column(1), (QStringList{"10  [50.0%] ", "10  [50.0%] "}));
        QCOMPARE(editor->ItemLabel->text(), QStringLiteral("2"));
        QCOMPARE(mainChild<QLabel>(form, "FileNameLabel")->text(), QStringLiteral("MyRadio Editor: mine"));
        QVERIFY(!editor->Modified());
    }

    void saveFailureKeepsTheChanges()
    {
        showNew();
        add({"song.mp3"});
        editor->setFileName(QStringLiteral("V:\\no such folder\\x.mra"));
        prompts->expectMessage(msg(Msg::OpenForWriteError));
        QVERIFY(!editor->SaveDocument());
        QVERIFY(editor->Modified());
        QVERIFY(!fs::exists(QStringLiteral("V:\\no such folder\\x.mra")));
    }

    void loadFailures_data()
    {
        QTest::addColumn<QByteArray>("content");  // empty: no file
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << QByteArray() << QStringLiteral("Cannot open the file![V:\\voxa\\myradio\\x.mra]");
        QTest::newRow("wrong signature") << QByteArray("R7MRB1.00").append(QByteArray(26401, '\0'))
                                         << QStringLiteral("Wrong file format");
        QTest::newRow("too short") << profileBytes({}).left(26409) << QStringLiteral("26409 of 26410");
    }
    void loadFailures()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        const QString path = QStringLiteral("V:\\voxa\\myradio\\x.mra");
        if (!content.isEmpty())
            QVERIFY(test::TestDriveTable::writeFile(path, content));
        prompts->expectMessage(message);
        editor->setFileName(path);
        QVERIFY(!editor->Load());
        QVERIFY(editor->Rows().isEmpty());
        QVERIFY(!editor->isVisible());
    }

    void pathsOutOfTheDriveAreRefused()
    {
        const QString path = QStringLiteral("V:\\voxa\\myradio\\bad.mra");
        QVERIFY(test::TestDriveTable::writeFile(
            path, profileBytes({{"music\\rock\\a.mp3", 100}, {"..\\..\\etc\\passwd", 100}, {"C:\\Windows\\x.mp3", 100}})));
        prompts->expectMessage(QStringLiteral("[..\\..\\etc\\passwd]"));
        editor->setFileName(path);
        QVERIFY(editor->Load());
        QCOMPARE(prompts->lastMessage().text.count(QLatin1Char('[')), 2);
        QCOMPARE(editor->Rows().size(), 1);
        QCOMPARE(editor->Rows()[0].name, QStringLiteral("a.mp3"));
        QVERIFY(!editor->Modified());
    }

    void checkRemovesMissingElements()
    {
        showNew();
        add({"music\\rock\\a.mp3", "music\\rock\\b.MP3", "music\\jazz"});
        editor->setModified(false);
        QVERIFY(fs::removeFile(QStringLiteral("V:\\music\\rock\\a.mp3")));
        editor->MyRadioCheckButton->Click();
        QCOMPARE(column(0), (QStringList{"jazz", "b.MP3"}));
        QVERIFY(editor->SelectedRows().isEmpty());
        QCOMPARE(editor->ItemLabel->text(), QStringLiteral("2"));
        QCOMPARE(column(1), (QStringList{"10  [50.0%] ", "10  [50.0%] "}));
        QVERIFY(editor->Modified());
        // Nothing missing: nothing changes.
        editor->setModified(false);
        editor->MyRadioCheckButton->Click();
        QCOMPARE(editor->Rows().size(), 2);
        QVERIFY(!editor->Modified());
    }

    void returnInTheTreeAndDeleteInTheList()
    {
        showNew();
        pick({"music\\rock\\a.mp3"});
        QTest::keyClick(editor->ProfileTree, Qt::Key_Return);
        QCOMPARE(column(0), QStringList{"a.mp3"});
        QTest::keyClick(editor->ProfileList, Qt::Key_Delete);
        QVERIFY(editor->Rows().isEmpty());
    }

    void hiddenNodesAreNotPickedAlong()
    {
        showNew();
        pick({"music\\rock\\a.mp3"});
        editor->FindNode(QStringLiteral("music\\rock"))->setExpanded(false);
        // Any change of the selection drops nodes inside collapsed folders.
        editor->FindNode(QStringLiteral("song.mp3"))->setSelected(true);
        editor->AddButton->Click();
        QCOMPARE(column(0), QStringList{"song.mp3"});
    }

    void importM3u()
    {
        const QString m3u = QStringLiteral("V:\\lists\\party.m3u");
        QVERIFY(test::TestDriveTable::writeFile(
            m3u, "#EXTM3U\r\n#EXTINF:1,x\r\n\\music\\rock\\a.mp3\r\n\r\nlocal.mp3\r\nmusic\\jazz\\deep\\c.mp3"));
        showNew();
        add({"song.mp3"});
        editor->setModified(false);
        editor->WeightClassTrack->setPosition(4);
        prompts->expectFile(platform::toNative(m3u));
        editor->WinampImportButton->Click();
        QCOMPARE(column(0), (QStringList{"a.mp3", "local.mp3", "c.mp3"}));
        QCOMPARE(column(2), (QStringList{"music\\rock\\", "lists\\", "music\\jazz\\deep\\"}));
        QCOMPARE(column(1), (QStringList{"4  [33.3%] ", "4  [33.3%] ", "4  [33.3%] "}));
        QCOMPARE(editor->ItemLabel->text(), QStringLiteral("3"));
        QVERIFY(editor->Modified());
        QCOMPARE(prompts->records().last().request.title, QStringLiteral("Import M3U"));
    }

    void importM3uTakesTheFirstHundred()
    {
        QByteArray lines;
        for (int i = 0; i < 150; ++i)
            lines += "\\music\\t" + QByteArray::number(i) + ".mp3\n";
        const QString m3u = QStringLiteral("V:\\big.m3u");
        QVERIFY(test::TestDriveTable::writeFile(m3u, lines));
        showNew();
        prompts->expectFile(platform::toNative(m3u));
        editor->WinampImportButton->Click();
        QCOMPARE(editor->Rows().size(), 100);
        QCOMPARE(editor->Rows().last().name, QStringLiteral("t99.mp3"));
        // Cancelling the dialog changes nothing.
        prompts->expectFile(QString());
        editor->WinampImportButton->Click();
        QCOMPARE(editor->Rows().size(), 100);
    }

    void randomExport_data()
    {
        QTest::addColumn<QStringList>("picks");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("message");  // expected box, or empty
        QTest::addColumn<int>("lines");        // lines after #EXTM3U; -1: no file
        QTest::addColumn<QStringList>("allowed");
        QTest::addColumn<bool>("localPaths");
        const QStringList a{"V:\\music\\rock\\a.mp3"};
        QTest::newRow("10 from one file") << QStringList{"music\\rock\\a.mp3"} << "10" << QString() << 10 << a
                                          << false;
        QTest::newRow("20000 gives 10000") << QStringList{"music\\rock\\a.mp3"} << " 20000 " << QString() << 10000
                                           << a << false;
        QTest::newRow("0 does nothing") << QStringList{"music\\rock\\a.mp3"} << "0" << QString() << -1 << a << false;
        QTest::newRow("not a number") << QStringList{"music\\rock\\a.mp3"} << "12a" << msg(Msg::ElementNumberInvalid)
                                      << -1 << a << false;
        QTest::newRow("too big") << QStringList{"music\\rock\\a.mp3"} << "65536" << msg(Msg::ElementNumberInvalid)
                                 << -1 << a << false;
        QTest::newRow("only an empty folder") << QStringList{"empty"} << "10" << msg(Msg::NoMp3InSelected) << -1 << a
                                              << false;
        QTest::newRow("folder and empty folder")
            << QStringList{"music\\jazz", "empty"} << "30" << QString() << 30
            << QStringList{"V:\\music\\jazz\\deep\\c.mp3"} << false;
        QTest::newRow("this computer's paths")
            << QStringList{"music\\jazz", "song.mp3"} << "30" << QString() << 30
            << QStringList{"V:\\music\\jazz\\deep\\c.mp3", "V:\\song.mp3"} << true;
    }
    void randomExport()
    {
        QFETCH(QStringList, picks);
        QFETCH(QString, number);
        QFETCH(QString, message);
        QFETCH(int, lines);
        QFETCH(QStringList, allowed);
        QFETCH(bool, localPaths);
        showNew();
        add(picks);
        const QString out = QStringLiteral("V:\\voxa\\myradio\\out.m3u");
        if (!message.isEmpty())
            prompts->expectMessage(message);
        if (lines >= 0)
            prompts->expectFile(platform::toNative(out));
        answerElementPrompt(number, true, localPaths);
        editor->WinampExportButton->Click();
        if (lines < 0) {
            QVERIFY(!fs::exists(out));
            return;
        }
        const test::PromptRecord &save = prompts->records().last();
        QCOMPARE(save.request.title, QStringLiteral("Export M3U"));
        QCOMPARE(save.request.fileName, QStringLiteral("Untitled.m3u"));
        QCOMPARE(save.request.folder, QStringLiteral("V:\\voxa\\myradio"));
        const QList<QByteArray> written = test::TestDriveTable::readFile(out).split('\n');
        QCOMPARE(written.first(), QByteArray("#EXTM3U\r"));
        QCOMPARE(written.size(), lines + 2);  // the header, the lines, the empty rest
        if (localPaths)
            for (QString &p : allowed)
                p = platform::toNative(p);
        for (int i = 1; i <= lines; ++i)
            QVERIFY2(allowed.contains(QFile::decodeName(written[i].chopped(1))), written[i].constData());
    }

    void exportWithTwoFilesTakesEachTwice()
    {
        showNew();
        add({"music\\rock\\a.mp3", "music\\rock\\b.MP3"}, 1);
        editor->setFileName(QStringLiteral("V:\\voxa\\myradio\\two.x.mra"));
        const QString out = QStringLiteral("V:\\voxa\\myradio\\two.m3u");
        prompts->expectFile(platform::toNative(out));
        answerElementPrompt(QStringLiteral("4"));
        editor->WinampExportButton->Click();
        QCOMPARE(prompts->records().last().request.fileName, QStringLiteral("two.m3u"));
        const QByteArray text = test::TestDriveTable::readFile(out);
        QCOMPARE(text.count("V:\\music\\rock\\a.mp3\r\n"), 2);
        QCOMPARE(text.count("V:\\music\\rock\\b.MP3\r\n"), 2);
        // Cancel in the prompt writes nothing and asks nothing more.
        QVERIFY(fs::removeFile(out));
        answerElementPrompt(QStringLiteral("4"), false);
        editor->WinampExportButton->Click();
        QVERIFY(!fs::exists(out));
    }

    void doubleClickPlays_data()
    {
        QTest::addColumn<bool>("fromTree");
        QTest::addColumn<QString>("node");
        QTest::addColumn<QStringList>("files");  // device paths handed over
        QTest::addColumn<bool>("player");        // a running player takes lists
        QTest::addColumn<bool>("programStarts"); // the desktop opens the file
        QTest::newRow("row, file") << false << "music\\rock\\a.mp3" << QStringList{"V:\\music\\rock\\a.mp3"} << true
                                   << true;
        QTest::newRow("row, folder") << false << "music\\jazz" << QStringList{"V:\\music\\jazz\\deep\\c.mp3"} << true
                                     << true;
        QTest::newRow("row, root file") << false << "song.mp3" << QStringList{"V:\\song.mp3"} << true << true;
        QTest::newRow("tree, file") << true << "music\\rock\\b.MP3" << QStringList{"V:\\music\\rock\\b.MP3"} << true
                                    << true;
        QTest::newRow("tree, folder plays nothing") << true << "music\\rock" << QStringList{} << true << true;
        QTest::newRow("no player, its program opens it") << false << "song.mp3" << QStringList{} << false << true;
        QTest::newRow("no player, no program says so") << false << "song.mp3" << QStringList{} << false << false;
    }
    void doubleClickPlays()
    {
        QFETCH(bool, fromTree);
        QFETCH(QString, node);
        QFETCH(QStringList, files);
        QFETCH(bool, player);
        QFETCH(bool, programStarts);
        test::RecordingMediaPlayer mediaPlayer;
        mediaPlayer.reach = player ? platform::MediaPlayer::Reach::List : platform::MediaPlayer::Reach::None;
        test::RecordingProcesses processes;
        processes.startSucceeds = programStarts;
        if (!programStarts)
            prompts->expectMessage(ownText(LaterOwnText::PlayNoProgram));
        showNew();
        if (fromTree) {
            pick({node});
            editor->ProfileTreeDblClick(editor->FindNode(node));
        } else {
            add({node});
            emit editor->ProfileList->itemDoubleClicked(editor->ProfileList->topLevelItem(0), 0);
        }
        editor->HandOver()->Wait();
        QTRY_COMPARE(prompts->pending(), 0);
        QStringList expected;
        if (!player)
            expected = QStringList{"find"};
        if (!files.isEmpty()) {
            expected = QStringList{"find", "clear"};
            for (const QString &f : files)
                expected.append(QStringLiteral("add ") + platform::toNative(f));
            expected.append(QStringLiteral("play"));
        }
        QCOMPARE(mediaPlayer.steps, expected);
        QCOMPARE(processes.calls.size(), player ? 0 : 1);
    }

    void copyButtonHandsTheProfileOver()
    {
        showNew();
        // Nothing to hand over: nothing happens.
        editor->MyRadioCopyButton->Click();
        QCOMPARE(copyFrame->calls, 0);
        QVERIFY(editor->isVisible());

        add({"song.mp3", "music\\jazz"}, 7);
        editor->setFileName(QStringLiteral("V:\\voxa\\myradio\\mix.mra"));
        QVERIFY(editor->Modified());
        editor->MyRadioCopyButton->Click();  // no save question: the mark travels
        QCOMPARE(copyFrame->calls, 1);
        QCOMPARE(copyFrame->fileName, QStringLiteral("V:\\voxa\\myradio\\mix.mra"));
        QCOMPARE(copyFrame->elements, (QList<MyRadioElement>{{"music\\", "jazz", 7}, {"\\", "song.mp3", 7}}));
        QVERIFY(copyFrame->modified);
        QVERIFY(!editor->isVisible());
        QVERIFY(copyFrame->isVisible());
        QVERIFY(editor->CopyKeep());
        QVERIFY(!editor->Modified());
        QCOMPARE(editor->Rows().size(), 2);
        QCOMPARE(editor->FileName(), QStringLiteral("V:\\voxa\\myradio\\mix.mra"));

        copyFrame->hide();
        editor->EditorModeEnded(true);
        QVERIFY(editor->isVisible());
        QCOMPARE(form->ActiveEditor, static_cast<TEditorFrame *>(editor));
        QVERIFY(editor->Modified());
        QVERIFY(!editor->CopyKeep());
        QCOMPARE(column(0), (QStringList{"jazz", "song.mp3"}));
        QCOMPARE(mainChild<QLabel>(form, "FileNameLabel")->text(), QStringLiteral("MyRadio Editor: mix"));
        QVERIFY(editor->ProfileTree->topLevelItemCount() > 0);

        // A later close forgets the profile again.
        prompts->expectMessage(msg(Msg::SaveChanges), Button::No);
        QVERIFY(form->CloseActiveFrame(false));
        QVERIFY(editor->Rows().isEmpty());
        QVERIFY(editor->FileName().isEmpty());
    }

    void languageChangeRewritesTheWarning()
    {
        showNew();
        add({"empty"});
        QCOMPARE(editor->WarningLabel->text(), msg(Msg::NoMp3InDirectory));
        setMessage(Msg::NoMp3InDirectory, QStringLiteral("Nincs MP3"));
        editor->RefreshTitle();
        QCOMPARE(editor->WarningLabel->text(), QStringLiteral("Nincs MP3"));
        // Captions and column titles of a language file.
        QVERIFY(LanguageTargets::instance().apply(29, QStringLiteral("Prioritás")));
        QVERIFY(LanguageTargets::instance().apply(30, QStringLiteral("Útvonal")));
        QCOMPARE(editor->PriorityLabel->text(), QStringLiteral("Prioritás"));
        QCOMPARE(editor->ProfileList->headerItem()->text(1), QStringLiteral("Prioritás"));
        QCOMPARE(editor->ProfileList->headerItem()->text(2), QStringLiteral("Útvonal"));
    }
};

QTEST_MAIN(TestMyRadioEditor)
#include "test_myradioeditor.moc"
