// Flow tests of the config editor through the main window: a drive laid out
// like the sample drive, the real file dialogs, scripted answers, and the
// bytes on disk checked after every save.
#include "app/appstate.h"
#include "app/controlframe.h"
#include "app/mainform.h"
#include "app/messagetable.h"
#include "editors/config/configeditor.h"
#include "editors/devicedialogs.h"
#include "editors/messages/messageeditor.h"
#include "editors/messages/messagefile.h"
#include "platform/fileops.h"
#include "shellstubs.h"
#include "support/framewindow.h"
#include "support/scriptedprompts.h"
#include "support/testdrives.h"
#include "ui/skinslider.h"
#include "support/mainwidgets.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include <sys/stat.h>

using namespace voxa;

namespace {

const QString Config = QStringLiteral("V:\\voxa\\config\\");

qint16 wordAt(const QByteArray &file, int word)
{
    return qint16(quint8(file[10 + 2 * (word - 1)]) | (quint8(file[11 + 2 * (word - 1)]) << 8));
}

QByteArray slotAt(const QByteArray &file, int slot)
{
    return file.mid(90 + 16 * (slot - 1), 16);
}

QByteArray nameSlot(const QByteArray &name)
{
    return name + QByteArray(16 - name.size(), '\0');
}

}  // namespace

class TestConfigEditor : public QObject, private test::FrameWindow {
    Q_OBJECT

    TConfigEditor *editor = nullptr;

    void open(const QString &row) { openFromDialog(mainChild<QAction>(form, "ConfigFileOpen"), row); }

    void newDocument()
    {
        mainChild<QAction>(form, "ConfigEditMenuItem")->trigger();
        QVERIFY(editor->isVisible());
    }

    void tick(QCheckBox *box, bool on = true) { editor->ChangeClick(box, on); }
    QCheckBox *changeOf(int word)
    {
        if (auto *t = editor->track(word))
            return t->change;
        return editor->group(word)->change;
    }
    int checkedItem(int word) { return editor->group(word)->buttons->checkedId(); }

private slots:
    void initTestCase() { QVERIFY(setUpProgram()); }

    void init()
    {
        QVERIFY(prepare());
        QVERIFY(QFile::copy(QStringLiteral(VOXA_DIST_DIR "/default.mgs"), root + QStringLiteral("/voxa/manager/default.mgs")));
        // A user's message set that moves two FM channels.
        QVERIFY(WriteMessageFile(Config + QStringLiteral("magyar.mgs"), "2.10",
                                 {{257, "Be"}, {290, "99.9"}, {291, "101.7xyz"}})
                    .ok());
        for (const char *name : {"logo1.lce", "disp.ply", "Night.ply"})
            QVERIFY(test::TestDriveTable::writeFile(Config + QString::fromLatin1(name), "x"));
        for (const char *name : {"rock.mra", "jazz.mra"})
            QVERIFY(test::TestDriveTable::writeFile(QStringLiteral("V:\\voxa\\myradio\\") + QString::fromLatin1(name), "x"));
        ConfigDocument party;
        party.setWord(3, 5);
        party.setWord(4, 3);
        party.setWord(5, 272);
        party.setWord(6, 465);
        party.setWord(17, 336);
        party.setWord(18, 320);
        party.setName(MyRadioSlot, ConfigName::fromBaseName(QStringLiteral("rock")));
        party.setName(MessageSlot, ConfigName::fromBaseName(QStringLiteral("MAGYAR")));
        party.setName(LogoSlot, ConfigName::fromBaseName(QStringLiteral("gone")));
        party.setName(PlaydisplaySlot, ConfigName::empty());
        QVERIFY(WriteConfigFile(Config + QStringLiteral("party.cfg"), party).ok());
        QVERIFY(test::TestDriveTable::writeFile(Config + QStringLiteral("broken.cfg"), QByteArray(186, 'x')));

        RegisterEditorDialogs();
        RegisterConfigEditor();
        RegisterMessageEditor();
        QVERIFY(showMainWindow());
        QVERIFY(form->StartPanel->isVisible());
        editor = qobject_cast<TConfigEditor *>(form->Editor(FrameKind::ConfigEditor));
        QVERIFY(editor);
        // The start-up read default.mgs as the reference set.
        QVERIFY(messageSets().ReferenceMessages.size() > 100);
    }

    void cleanup() { tearDown(); }

    void newDocumentSavedUnchangedWritesOnlyUnchangedMarks()
    {
        newDocument();
        QCOMPARE(mainChild<QLabel>(form, "FileNameLabel")->text(), QStringLiteral("Config Editor: Untitled"));
        QVERIFY(!editor->Modified());
        saveAsTyped(QStringLiteral("fresh"));
        QByteArray expected("R7CFG2.00", 9);
        expected += '\0';
        for (int i = 0; i < 40; ++i)
            expected += QByteArray("\xFF\x7F", 2);
        for (int i = 0; i < 6; ++i)
            expected += QByteArray("\xFF\xFF", 2) + QByteArray(14, '\0');
        QCOMPARE(test::TestDriveTable::readFile(Config + QStringLiteral("fresh.cfg")), expected);
        QCOMPARE(mainChild<QLabel>(form, "FileNameLabel")->text(), QStringLiteral("Config Editor: fresh"));
    }

    void tickingStoresTheDefault_data()
    {
        QTest::addColumn<int>("word");
        QTest::addColumn<int>("stored");
        QTest::newRow("volume") << 1 << 0;
        QTest::newRow("balance") << 2 << 441;
        QTest::newRow("equalizer flat") << 5 << 273;
        QTest::newRow("loudness on") << 6 << 465;
        QTest::newRow("dynabass off") << 7 << 352;
        QTest::newRow("car auto volume on") << 16 << 465;
        QTest::newRow("repeat") << 18 << 321;
        QTest::newRow("auto pause on") << 19 << 1;
        QTest::newRow("intro play") << 20 << 0;
        QTest::newRow("contrast") << 21 << 20;
        QTest::newRow("back light") << 22 << 31;
        QTest::newRow("fm channel") << 23 << 291;
        QTest::newRow("hdd standby") << 24 << 5;
        QTest::newRow("turn off") << 25 << 3;
        QTest::newRow("inverse normal") << 26 << 369;
        QTest::newRow("rotate left") << 27 << 384;
        QTest::newRow("scroll normal") << 28 << 400;
    }
    void tickingStoresTheDefault()
    {
        QFETCH(int, word);
        QFETCH(int, stored);
        newDocument();
        QCheckBox *box = changeOf(word);
        QWidget *control = editor->track(word) ? static_cast<QWidget *>(editor->track(word)->track)
                                               : editor->group(word)->box;
        QVERIFY(!control->isEnabled());
        tick(box);
        QVERIFY(control->isEnabled());
        QVERIFY(editor->Modified());
        QCOMPARE(int(editor->Document().word(word)), stored);
        tick(box, false);
        QVERIFY(!control->isEnabled());
        QCOMPARE(int(editor->Document().word(word)), int(ConfigUnchanged));
    }

    void trackCaptions_data()
    {
        QTest::addColumn<int>("word");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("caption");
        QTest::newRow("volume plus") << 1 << 7 << QStringLiteral("+7");
        QTest::newRow("volume minus") << 1 << -66 << QStringLiteral("-66");
        QTest::newRow("balance") << 2 << 436 << QStringLiteral("-5");
        QTest::newRow("intro off") << 20 << 0 << QStringLiteral("off");
        QTest::newRow("intro") << 20 << 12 << QStringLiteral("12 sec");
        QTest::newRow("hdd off") << 24 << 0 << QStringLiteral("off");
        QTest::newRow("hdd") << 24 << 30 << QStringLiteral("30 min");
        QTest::newRow("turn off") << 25 << 31 << QStringLiteral("31 sec");
        QTest::newRow("fm") << 23 << 295 << QStringLiteral("87.9 MHz");
    }
    void trackCaptions()
    {
        QFETCH(int, word);
        QFETCH(int, position);
        QFETCH(QString, caption);
        newDocument();
        tick(changeOf(word));
        editor->TrackMoved(editor->track(word)->track, position);
        QCOMPARE(editor->track(word)->track->Caption(), caption);
        QCOMPARE(int(editor->Document().word(word)), position);
    }

    void loudnessIsSavedAndReloaded()
    {
        newDocument();
        tick(changeOf(6));
        QCOMPARE(int(editor->Document().word(6)), 465);
        QCOMPARE(checkedItem(6), 1);
        editor->GroupClick(6, 0);
        QCOMPARE(int(editor->Document().word(6)), 464);
        saveAsTyped(QStringLiteral("loud"));
        const QByteArray file = test::TestDriveTable::readFile(Config + QStringLiteral("loud.cfg"));
        QCOMPARE(int(wordAt(file, 6)), 464);
        editor->CancelButton->Click();
        QVERIFY(form->StartPanel->isVisible());

        open(QStringLiteral("Loud"));
        QVERIFY(editor->isVisible());
        QVERIFY(changeOf(6)->isChecked());
        QCOMPARE(checkedItem(6), 0);
        QVERIFY(!changeOf(8)->isChecked());
        QCOMPARE(checkedItem(8), -1);
        QVERIFY(!editor->Modified());
    }

    void bassAndTrebleFollowTheEqualizer_data()
    {
        QTest::addColumn<int>("base");
        QTest::newRow("party audio") << 0;
        QTest::newRow("car audio") << 8;
    }
    void bassAndTrebleFollowTheEqualizer()
    {
        QFETCH(int, base);
        newDocument();
        const int bass = base + 3, treble = base + 4, eq = base + 5;
        tick(changeOf(bass));
        QVERIFY(changeOf(eq)->isChecked());
        QCOMPARE(checkedItem(eq), 0);
        QCOMPARE(int(editor->Document().word(eq)), 272);
        QVERIFY(!changeOf(treble)->isChecked());
        // The equalizer cannot go while Bass needs it.
        tick(changeOf(eq), false);
        QVERIFY(changeOf(eq)->isChecked());
        QCOMPARE(int(editor->Document().word(eq)), 272);
        // "Rock" unticks both.
        editor->GroupClick(eq, 4);
        QCOMPARE(int(editor->Document().word(eq)), 276);
        QVERIFY(!changeOf(bass)->isChecked());
        QVERIFY(!changeOf(treble)->isChecked());
        QCOMPARE(int(editor->Document().word(bass)), int(ConfigUnchanged));
        // "User" ticks both with their positions.
        editor->GroupClick(eq, 0);
        QVERIFY(changeOf(bass)->isChecked());
        QVERIFY(changeOf(treble)->isChecked());
        QCOMPARE(int(editor->Document().word(treble)), 0);
        // Moving Treble selects "User" again after another choice.
        editor->GroupClick(eq, 1);
        tick(changeOf(treble));
        editor->TrackMoved(editor->track(treble)->track, -4);
        QCOMPARE(int(editor->Document().word(treble)), -4);
        QCOMPARE(int(editor->Document().word(eq)), 272);
        // The other page is untouched.
        const int other = base == 0 ? 8 : 0;
        QVERIFY(!changeOf(other + 5)->isChecked());
        QCOMPARE(int(editor->Document().word(other + 5)), int(ConfigUnchanged));
    }

    void repeatModeOffIsStoredAs320_data()
    {
        QTest::addColumn<int>("item");
        QTest::addColumn<int>("stored");
        QTest::newRow("repeat") << 0 << 321;
        QTest::newRow("track") << 1 << 322;
        QTest::newRow("random") << 2 << 323;
        QTest::newRow("off") << 3 << 320;
    }
    void repeatModeOffIsStoredAs320()
    {
        QFETCH(int, item);
        QFETCH(int, stored);
        newDocument();
        tick(changeOf(18));
        editor->GroupClick(18, item);
        saveAsTyped(QStringLiteral("rep"));
        QCOMPARE(int(wordAt(test::TestDriveTable::readFile(Config + QStringLiteral("rep.cfg")), 18)), stored);
        editor->CancelButton->Click();
        open(QStringLiteral("Rep"));
        QCOMPARE(checkedItem(18), item);
    }

    void loadShowsTheFileAndFallsBack()
    {
        open(QStringLiteral("Party"));
        QVERIFY(editor->isVisible());
        QCOMPARE(mainChild<QLabel>(form, "FileNameLabel")->text(), QStringLiteral("Config Editor: Party"));
        QVERIFY(!editor->Modified());
        QVERIFY(editor->KeepLoaded());
        // Bass +5 and Treble +3 with "User", as loaded.
        QCOMPARE(editor->BassTrack->Position(), 5);
        QCOMPARE(editor->BassTrack->Caption(), QStringLiteral("+5"));
        QCOMPARE(editor->TrebleTrack->Position(), 3);
        QCOMPARE(checkedItem(5), 0);
        QCOMPARE(checkedItem(18), 3);
        // The missing logo falls back to the default.
        QVERIFY(editor->LogoChange->isChecked());
        QCOMPARE(editor->LogoCombo->currentText(), QStringLiteral("DEFAULT"));
        QVERIFY(editor->Document().name(LogoSlot).isEmpty());
        // Names match without regard to case.
        QVERIFY(editor->MessageChange->isChecked());
        QCOMPARE(editor->MessageCombo->currentText(), QStringLiteral("magyar"));
        QCOMPARE(editor->MyRadioCombo->currentText(), QStringLiteral("rock"));
        QVERIFY(editor->PlayDispChange->isChecked());
        QCOMPARE(editor->PlayDispCombo->currentIndex(), 0);
        QVERIFY(!editor->track(1)->change->isChecked());
        // Loading the message choice merged magyar.mgs onto the defaults.
        QCOMPARE(editor->FMLabel(290), QStringLiteral("99.9"));

        // Saved at once: the same values, the logo as the empty name.
        QVERIFY(editor->SaveDocument());
        const QByteArray file = test::TestDriveTable::readFile(Config + QStringLiteral("party.cfg"));
        QCOMPARE(int(wordAt(file, 3)), 5);
        QCOMPARE(int(wordAt(file, 4)), 3);
        QCOMPARE(int(wordAt(file, 5)), 272);
        QCOMPARE(slotAt(file, LogoSlot), QByteArray(16, '\0'));
        QCOMPARE(slotAt(file, MessageSlot), nameSlot("MAGYAR"));
        QCOMPARE(slotAt(file, MyRadioSlot), nameSlot("rock"));
        QCOMPARE(slotAt(file, PlaydisplaySlot), QByteArray(16, '\0'));
    }

    void missingMyRadioProfileTurnsMyRadioOff()
    {
        ConfigDocument doc;
        doc.setWord(17, 336);
        doc.setName(MyRadioSlot, ConfigName::fromBaseName(QStringLiteral("lost")));
        QVERIFY(WriteConfigFile(Config + QStringLiteral("lost.cfg"), doc).ok());
        open(QStringLiteral("Lost"));
        QVERIFY(editor->MyRadioChange->isChecked());
        QCOMPARE(editor->MyRadioCombo->currentIndex(), 0);
        QCOMPARE(int(editor->Document().word(17)), 337);
        QVERIFY(editor->Document().name(MyRadioSlot).isEmpty());
    }

    void messageChoiceChangesTheFMCaptionAtOnce()
    {
        newDocument();
        tick(changeOf(23));
        QCOMPARE(editor->FMChannelTrack->Caption(), QStringLiteral("88.6 MHz"));
        tick(editor->MessageChange);
        QVERIFY(editor->Document().name(MessageSlot).isEmpty());
        editor->ComboChoose(editor->MessageCombo, editor->MessageCombo->findText(QStringLiteral("magyar")));
        // Cut to four characters.
        QCOMPARE(editor->FMChannelTrack->Caption(), QStringLiteral("101. MHz"));
        QCOMPARE(editor->Document().name(MessageSlot), ConfigName::fromBaseName(QStringLiteral("magyar")));
        // The message editor starts from the merged set.
        const MessageSet &ref = messageSets().ReferenceMessages;
        const auto be = std::find_if(ref.cbegin(), ref.cend(), [](const MessageEntry &e) { return e.Id == 257; });
        QCOMPARE(be->text, QByteArray("Be"));
        QCOMPARE(messageSets().WorkingMessages, ref);
        // Back to the default set.
        editor->ComboChoose(editor->MessageCombo, 0);
        QCOMPARE(editor->FMChannelTrack->Caption(), QStringLiteral("88.6 MHz"));
        QVERIFY(editor->Document().name(MessageSlot).isEmpty());
    }

    void unreadableMessageChoiceIsReported()
    {
        QVERIFY(test::TestDriveTable::writeFile(Config + QStringLiteral("bad.mgs"), QByteArray(4096, 'z')));
        newDocument();
        tick(editor->MessageChange);
        prompts->expectMessage(QStringLiteral("Wrong file format"));
        editor->ComboChoose(editor->MessageCombo, editor->MessageCombo->findText(QStringLiteral("bad")));
        // The config editor stays in front.
        QVERIFY(editor->isVisible());
        QCOMPARE(form->ActiveEditor, editor);
    }

    void unstorableNamesAreRefused_data()
    {
        QTest::addColumn<QString>("file");
        // U+02D9 is byte 0xFF in the code page.
        QTest::newRow("0xFF 0xFF") << QStringLiteral("\u02D9\u02D9bad.lce");
        QTest::newRow("outside the code page") << QStringLiteral("\u65E5\u672C.lce");
    }
    void unstorableNamesAreRefused()
    {
        QFETCH(QString, file);
        QVERIFY(test::TestDriveTable::writeFile(Config + file, "x"));
        newDocument();
        tick(editor->LogoChange);
        editor->ComboChoose(editor->LogoCombo, editor->LogoCombo->findText(QStringLiteral("logo1")));
        const int index = editor->LogoCombo->findText(file.chopped(4));
        QVERIFY(index > 0);
        prompts->expectMessage(QStringLiteral("cannot be stored"));
        editor->ComboChoose(editor->LogoCombo, index);
        QCOMPARE(editor->LogoCombo->currentText(), QStringLiteral("logo1"));
        QCOMPARE(editor->Document().name(LogoSlot), ConfigName::fromBaseName(QStringLiteral("logo1")));
    }

    void writerRefusesANameReadingAsUnchanged()
    {
        ConfigDocument doc;
        doc.setName(LogoSlot, ConfigName::named("\xFF\xFF" "abc"));
        const FileResult<QByteArray> bytes = configFileBytes(doc);
        QVERIFY(!bytes);
        QCOMPARE(bytes.error().reason, FileFailure::CannotStore);
        // 0xFF followed by another byte is a name.
        doc.setName(LogoSlot, ConfigName::named("\xFF" "A"));
        QVERIFY(configFileBytes(doc).ok());
    }

    void savedFileEqualsTheToolsFile()
    {
        newDocument();
        tick(changeOf(1));
        editor->TrackMoved(editor->VolumeTrack, -20);
        tick(changeOf(9));
        tick(changeOf(13));
        editor->GroupClick(13, 4);
        tick(changeOf(6));
        tick(changeOf(18));
        editor->GroupClick(18, 3);
        tick(changeOf(26));
        editor->GroupClick(26, 1);
        tick(changeOf(24));
        editor->TrackMoved(editor->HDDStandbyTrack, 0);
        tick(editor->MyRadioChange);
        editor->ComboChoose(editor->MyRadioCombo, editor->MyRadioCombo->findText(QStringLiteral("jazz")));
        tick(editor->LogoChange);
        tick(editor->PlayDispChange);
        editor->ComboChoose(editor->PlayDispCombo, editor->PlayDispCombo->findText(QStringLiteral("Night")));
        saveAsTyped(QStringLiteral("same"));

        const QString tool = QDir(root).filePath(QStringLiteral("tool.cfg"));
        QProcess p;
        p.start(QStringLiteral(VOXA_TOOL_PATH),
                {QStringLiteral("new-config"), tool, QStringLiteral("Volume=-20"), QStringLiteral("car.Volume=0"),
                 QStringLiteral("car.Equalizer=Rock"), QStringLiteral("Loudness=On"),
                 QStringLiteral("Repeat Mode=Off"), QStringLiteral("Inverse Mode=Inverse"),
                 QStringLiteral("HDD Standby=0"), QStringLiteral("MyRadio=On"), QStringLiteral("myradiofile=jazz"),
                 QStringLiteral("logo=DEFAULT"), QStringLiteral("playdisplay=Night")});
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitCode(), 0);
        QFile f(tool);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(test::TestDriveTable::readFile(Config + QStringLiteral("same.cfg")), f.readAll());
    }

    void toolRefusesANameReadingAsUnchanged()
    {
        QProcess p;
        const QString out = QDir(root).filePath(QStringLiteral("t.cfg"));
        p.start(QStringLiteral(VOXA_TOOL_PATH),
                {QStringLiteral("new-config"), out, QStringLiteral("logo=\u02D9\u02D9x")});
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitCode(), 2);
        QVERIFY(QString::fromUtf8(p.readAllStandardError()).contains(QStringLiteral("cannot be stored")));
        QVERIFY(!QFile::exists(out));
    }

    void closingWithChanges_data()
    {
        QTest::addColumn<Button>("answer");
        QTest::addColumn<bool>("closes");
        QTest::newRow("yes saves") << Button::Yes << true;
        QTest::newRow("no drops") << Button::No << true;
        QTest::newRow("cancel keeps") << Button::Cancel << false;
    }
    void closingWithChanges()
    {
        QFETCH(Button, answer);
        QFETCH(bool, closes);
        const QByteArray before = test::TestDriveTable::readFile(Config + QStringLiteral("party.cfg"));
        open(QStringLiteral("Party"));
        tick(changeOf(21));
        prompts->expectMessage(QStringLiteral("Do you want to save changes?"), answer);
        // Closing the manager asks first; Cancel keeps it open.
        form->close();
        QCOMPARE(form->isVisible(), !closes);
        QCOMPARE(editor->isVisible(), !closes);
        const QByteArray after = test::TestDriveTable::readFile(Config + QStringLiteral("party.cfg"));
        QCOMPARE(int(wordAt(after, 21)), answer == Button::Yes ? 20 : int(ConfigUnchanged));
        if (answer != Button::Yes)
            QCOMPARE(after, before);
    }

    void wrongFilesAreRefused()
    {
        prompts->expectMessage(QStringLiteral("Wrong file format"));
        open(QStringLiteral("Broken"));
        QVERIFY(!editor->isVisible());
        QVERIFY(form->StartPanel->isVisible());
        // A file that vanished behind the dialog cannot be opened.
        editor->setFileName(Config + QStringLiteral("nothere.cfg"));
        prompts->expectMessage(QStringLiteral("Cannot open the file!"));
        QVERIFY(!editor->Load());
    }

    // A file that failed to open never names the next document: Ctrl+S asks, the file keeps its bytes.
    void failedOpenLeavesTheNextDocumentUntitled_data()
    {
        QTest::addColumn<bool>("messages");  // the message editor, else the config editor
        QTest::addColumn<QByteArray>("content");  // empty: a named pipe, which no reader opens
        QTest::addColumn<QString>("message");
        for (const bool m : {false, true}) {
            const char *kind = m ? "message" : "config";
            const QByteArray whole = m ? *messageFileBytes("2.10", {{257, "Be"}}) : *configFileBytes(ConfigDocument());
            QTest::addRow("%s, too short", kind) << m << whole.left(m ? 20 : 100) << QStringLiteral("too short");
            QTest::addRow("%s, wrong format", kind) << m << QByteArray(whole.size(), 'x') << QStringLiteral("Wrong file");
            QTest::addRow("%s, unreadable", kind) << m << QByteArray() << QStringLiteral("Cannot open the file!");
        }
    }
    void failedOpenLeavesTheNextDocumentUntitled()
    {
        QFETCH(bool, messages);
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        const QString path = Config + (messages ? QStringLiteral("bad.mgs") : QStringLiteral("bad.cfg"));
        const QByteArray native = QFile::encodeName(root + QStringLiteral("/voxa/config/") + path.mid(15));
        QVERIFY(content.isEmpty() ? ::mkfifo(native.constData(), 0644) == 0 : test::TestDriveTable::writeFile(path, content));
        prompts->expectMessage(message);
        openFromDialog(messages ? mainChild<QAction>(form, "LoadMGSFile") : mainChild<QAction>(form, "ConfigFileOpen"), QStringLiteral("Bad"));
        (messages ? form->StartPanel->Button(FrameKind::MessageEditor) : form->StartPanel->Button(FrameKind::ConfigEditor))->Click();
        QString asked;
        whenShown([this, &asked] { asked = fileDialog()->windowTitle(), fileDialog()->CancelButton->Click(); });
        QTest::keyClick(form, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(asked, QStringLiteral("Save File"));
        struct stat st {};
        QCOMPARE(::lstat(native.constData(), &st), 0);
        QVERIFY(content.isEmpty() ? S_ISFIFO(st.st_mode) : test::TestDriveTable::readFile(path) == content);
    }

    void reopenedFromTheMenuStartsAfresh()
    {
        open(QStringLiteral("Party"));
        QVERIFY(editor->BassTrack->isEnabled());
        mainChild<QAction>(form, "ConfigEditMenuItem")->trigger();
        QVERIFY(editor->isVisible());
        QVERIFY(editor->FileName().isEmpty());
        QCOMPARE(editor->Document(), ConfigDocument());
        QVERIFY(!editor->BassTrack->isEnabled());
        QCOMPARE(mainChild<QLabel>(form, "FileNameLabel")->text(), QStringLiteral("Config Editor: Untitled"));
    }

    void germanCaptions()
    {
        QVERIFY(QFile::copy(QStringLiteral(VOXA_SOURCE_DIR "/data/Language/German.lng"),
                            root + QStringLiteral("/voxa/manager/Language/German.lng")));
        form->ListLanguages();
        form->ApplyLanguage(QStringLiteral("Deutsch"));
        newDocument();
        QCOMPARE(editor->ConfigPage->tabText(1), QStringLiteral("Auto-Audio"));
        QCOMPARE(editor->track(9)->label->text(), QStringLiteral("* Lautst\u00e4rke"));
        QCOMPARE(editor->group(18)->items[3]->text(), QStringLiteral("Aus"));
        QCOMPARE(editor->StarLabel->text(), QStringLiteral("* Beim VOXA-C ohne Wirkung"));
        QCOMPARE(changeOf(28)->text(), QStringLiteral("\u00c4ndern"));
        QCOMPARE(mainChild<QLabel>(form, "FileNameLabel")->text(), QStringLiteral("Config Editor: Unbenannt"));
    }
};

QTEST_MAIN(TestConfigEditor)
#include "test_configeditor.moc"
