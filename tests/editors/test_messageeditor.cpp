// Flow tests of the message editor through the main window: the default set
// read at start-up, typing in the edit field with real key events, the
// marks, and the bytes of every saved file.
#include "app/appstate.h"
#include "app/mainform.h"
#include "app/messagetable.h"
#include "editors/config/configeditor.h"
#include "editors/devicedialogs.h"
#include "editors/messages/messageeditor.h"
#include "editors/messages/messagefile.h"
#include "platform/codepage.h"
#include "platform/fileops.h"
#include "shellstubs.h"
#include "support/framewindow.h"
#include "support/scriptedprompts.h"
#include "support/testdrives.h"
#include "support/mainwidgets.h"

#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <QValidator>

using namespace voxa;

namespace {

const QString Config = QStringLiteral("V:\\voxa\\config\\");

int rowOf(QTreeWidget *list, quint16 id)
{
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (list->topLevelItem(i)->text(2).toUInt() == id)
            return i;
    return -1;
}

MessageSet genres(const MessageSet &reference)
{
    MessageSet out;
    for (const MessageEntry &e : reference)
        if (e.Id >= 4096 && e.Id <= 4351)
            out << e;
    return out;
}

}  // namespace

class TestMessageEditor : public QObject, private test::FrameWindow {
    Q_OBJECT

    TMessageEditor *editor = nullptr;
    MessageFile defaults;

    void start(bool withDefaults = true)
    {
        if (withDefaults)
            QVERIFY(QFile::copy(QStringLiteral(VOXA_DIST_DIR "/default.mgs"),
                                root + QStringLiteral("/voxa/manager/default.mgs")));
        appState().MessageEditorDisabled = !withDefaults;
        QVERIFY(showMainWindow());
        QVERIFY(form->StartPanel->isVisible());
        editor = qobject_cast<TMessageEditor *>(form->Editor(FrameKind::MessageEditor));
        QVERIFY(editor);
    }

    void open(const QString &row) { openFromDialog(mainChild<QAction>(form, "LoadMGSFile"), row); }

    // Selects the row of a message number and types over its value.
    void type(QTreeWidget *list, quint16 id, const QString &text)
    {
        editor->SelectRow(list, rowOf(list, id));
        QCOMPARE(editor->CurrentList(), list);
        editor->EditValue->selectAll();
        QTest::keyClicks(editor->EditValue, text);
    }

    QByteArray expectedFile(const MessageSet &entries)
    {
        return messageFileBytes(defaults.firmwareVersion, entries).value();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(setUpProgram());
        auto read = readMessageFile(QStringLiteral(VOXA_DIST_DIR "/default.mgs"));
        QVERIFY(read.ok());
        defaults = *read;
    }

    void init()
    {
        QVERIFY(prepare());
        RegisterEditorDialogs();
        RegisterConfigEditor();
        RegisterMessageEditor();
    }

    void cleanup() { tearDown(); }

    void startupReadsTheDefaultSet()
    {
        start();
        QCOMPARE(messageSets().ReferenceMessages, defaults.entries);
        QCOMPARE(messageSets().FirmwareVersion, defaults.firmwareVersion);
        QCOMPARE(editor->FirmWareLabel->text(), QStringLiteral("Firmware Version: 2.10"));
        QVERIFY(mainChild<QAction>(form, "MSGEditMenuItem")->isEnabled());
        form->StartPanel->Button(FrameKind::MessageEditor)->Click();
        QVERIFY(editor->isVisible());
        QCOMPARE(mainChild<QLabel>(form, "FileNameLabel")->text(), QStringLiteral("Message Editor: Untitled"));
        // Every number in its list, in number order, 1280 and 1281 nowhere.
        int shown = 0;
        for (QTreeWidget *list : {editor->MenuItemsList, editor->MenuValuesList, editor->ErrorMessagesList,
                                  editor->OtherMessagesList, editor->ID3GenreList}) {
            quint16 last = 0;
            for (int i = 0; i < list->topLevelItemCount(); ++i) {
                const quint16 id = quint16(list->topLevelItem(i)->text(2).toUInt());
                QCOMPARE(editor->ListFor(id), list);
                QVERIFY(id > last);
                last = id;
                // Untitled: every value equals its name.
                QCOMPARE(list->topLevelItem(i)->text(1), list->topLevelItem(i)->text(0));
            }
            shown += list->topLevelItemCount();
        }
        const auto hidden = std::count_if(defaults.entries.cbegin(), defaults.entries.cend(),
                                          [](const MessageEntry &e) { return e.Id == 1280 || e.Id == 1281; });
        QCOMPARE(shown, int(defaults.entries.size() - hidden));
        QVERIFY(!editor->MSGPages->isTabVisible(4));
        QCOMPARE(editor->MSGPages->currentWidget(), editor->MenuItemsList);
    }

    void withoutDefaultSetTheEditorIsUnavailable()
    {
        start(false);
        for (QAction *a : {mainChild<QAction>(form, "MSGEditMenuItem"), mainChild<QAction>(form, "MessagePopupItem"), mainChild<QAction>(form, "LoadMGSFile")})
            QVERIFY(!a->isEnabled());
        QVERIFY(!form->StartPanel->Button(FrameKind::MessageEditor)->isEnabled());
        QVERIFY(messageSets().ReferenceMessages.isEmpty());
    }

    void untitledSavedUnchangedHoldsNoEntries()
    {
        start();
        mainChild<QAction>(form, "MSGEditMenuItem")->trigger();
        saveAsTyped(QStringLiteral("plain"));
        const QByteArray file = test::TestDriveTable::readFile(Config + QStringLiteral("plain.mgs"));
        QByteArray expected = QByteArray("R7MGS1.01", 9) + '\0' + "SW" + defaults.firmwareVersion + '\0';
        expected += QByteArray(4096 - expected.size(), '\xFF');
        QCOMPARE(file, expected);
        QCOMPARE(mainChild<QLabel>(form, "FileNameLabel")->text(), QStringLiteral("Message Editor: plain"));
    }

    void oneChangedTextSavesItAndTheGenres()
    {
        start();
        mainChild<QAction>(form, "MSGEditMenuItem")->trigger();
        type(editor->MenuItemsList, 513, QStringLiteral("Hangero"));
        QVERIFY(editor->Modified());
        const QTreeWidgetItem *row = editor->MenuItemsList->topLevelItem(rowOf(editor->MenuItemsList, 513));
        QCOMPARE(row->text(1), QStringLiteral("Hangero"));
        // Only texts of the player's code page can be typed.
        QString ok = QStringLiteral("Hanger\u0151"), bad = QStringLiteral("\u65E5");
        int pos = 0;
        QCOMPARE(editor->EditValue->validator()->validate(ok, pos), QValidator::Acceptable);
        QCOMPARE(editor->EditValue->validator()->validate(bad, pos), QValidator::Invalid);
        QCOMPARE(row->icon(0).cacheKey(), editor->MSGImages[0].cacheKey());
        saveAsTyped(QStringLiteral("one"));
        MessageSet expected = {{513, "Hangero"}};
        expected += genres(defaults.entries);
        QCOMPARE(test::TestDriveTable::readFile(Config + QStringLiteral("one.mgs")), expectedFile(expected));
        QVERIFY(!editor->Modified());
    }

    void typingTheNameBackRemovesTheMark()
    {
        start();
        mainChild<QAction>(form, "MSGEditMenuItem")->trigger();
        QTreeWidget *list = editor->MenuValuesList;
        const QString name = list->topLevelItem(rowOf(list, 276))->text(0);
        type(list, 276, QStringLiteral("Rokk"));
        QCOMPARE(list->topLevelItem(rowOf(list, 276))->icon(0).cacheKey(), editor->MSGImages[0].cacheKey());
        editor->EditValue->selectAll();
        QTest::keyClicks(editor->EditValue, name);
        QCOMPARE(list->topLevelItem(rowOf(list, 276))->icon(0).cacheKey(), editor->MSGImages[1].cacheKey());
        saveAsTyped(QStringLiteral("back"));
        QCOMPARE(test::TestDriveTable::readFile(Config + QStringLiteral("back.mgs")), expectedFile({}));
    }

    void returnEscapeUpAndDown()
    {
        start();
        mainChild<QAction>(form, "MSGEditMenuItem")->trigger();
        QTreeWidget *list = editor->ErrorMessagesList;
        QVERIFY(list->topLevelItemCount() >= 3);
        editor->SelectRow(list, 0);
        const QString first = list->topLevelItem(0)->text(0);
        editor->EditValue->selectAll();
        QTest::keyClicks(editor->EditValue, QStringLiteral("Hiba"));
        // Return keeps the text and moves on; the editor stays open.
        QTest::keyClick(editor->EditValue, Qt::Key_Return);
        QVERIFY(editor->isVisible());
        QCOMPARE(list->topLevelItem(0)->text(1), QStringLiteral("Hiba"));
        QCOMPARE(list->currentItem(), list->topLevelItem(1));
        QCOMPARE(editor->EditValue->text(), list->topLevelItem(1)->text(0));
        // Escape brings back the value the row had when selected.
        QTest::keyClicks(editor->EditValue, QStringLiteral("xyz"));
        QTest::keyClick(editor->EditValue, Qt::Key_Escape);
        QVERIFY(editor->isVisible());
        QCOMPARE(list->topLevelItem(1)->text(1), list->topLevelItem(1)->text(0));
        QCOMPARE(editor->EditValue->text(), list->topLevelItem(1)->text(0));
        QCOMPARE(editor->EditValue->selectedText(), editor->EditValue->text());
        QVERIFY(editor->Modified());
        QCOMPARE(list->topLevelItem(1)->icon(0).cacheKey(), editor->MSGImages[1].cacheKey());
        // Up and Down walk the rows and stop at the ends.
        QTest::keyClick(editor->EditValue, Qt::Key_Up);
        QCOMPARE(list->currentItem(), list->topLevelItem(0));
        QCOMPARE(editor->EditValue->text(), QStringLiteral("Hiba"));
        QTest::keyClick(editor->EditValue, Qt::Key_Up);
        QCOMPARE(list->currentItem(), list->topLevelItem(0));
        QTest::keyClick(editor->EditValue, Qt::Key_Down);
        QCOMPARE(list->currentItem(), list->topLevelItem(1));
        const int last = list->topLevelItemCount() - 1;
        editor->SelectRow(list, last);
        QTest::keyClick(editor->EditValue, Qt::Key_Return);
        QCOMPARE(list->currentItem(), list->topLevelItem(last));
        QCOMPARE(list->topLevelItem(0)->text(0), first);
    }

    void pageChangesKeepTheirRows()
    {
        start();
        mainChild<QAction>(form, "MSGEditMenuItem")->trigger();
        type(editor->MenuItemsList, 514, QStringLiteral("Bal"));
        editor->MSGPages->setCurrentWidget(editor->OtherMessagesList);
        QCOMPARE(editor->CurrentList(), editor->OtherMessagesList);
        QVERIFY(editor->EditValue->text().isEmpty());
        type(editor->OtherMessagesList, 1536, QStringLiteral("Szia"));
        editor->MSGPages->setCurrentWidget(editor->MenuItemsList);
        QCOMPARE(editor->EditValue->text(), QStringLiteral("Bal"));
        // Escape here must not bring back the other page's text.
        QTest::keyClick(editor->EditValue, Qt::Key_Escape);
        QCOMPARE(editor->EditValue->text(), QStringLiteral("Bal"));
        saveAsTyped(QStringLiteral("pages"));
        MessageSet expected = {{514, "Bal"}, {1536, "Szia"}};
        expected += genres(defaults.entries);
        QCOMPARE(test::TestDriveTable::readFile(Config + QStringLiteral("pages.mgs")), expectedFile(expected));
    }

    void loadMergesOntoTheDefaults()
    {
        // Out of order, one number the defaults do not know.
        QVERIFY(WriteMessageFile(Config + QStringLiteral("user.mgs"), "9.99",
                                 {{770, "Nincs MP3"}, {60000, "lost"}, {513, "Hangero"}, {0x12FF, "x"}})
                    .ok());
        start();
        open(QStringLiteral("User"));
        QVERIFY(editor->isVisible());
        QCOMPARE(mainChild<QLabel>(form, "FileNameLabel")->text(), QStringLiteral("Message Editor: User"));
        // The firmware version of a user's file is not taken.
        QCOMPARE(editor->FirmWareLabel->text(), QStringLiteral("Firmware Version: 2.10"));
        QTreeWidget *items = editor->MenuItemsList;
        QCOMPARE(items->topLevelItem(rowOf(items, 513))->text(1), QStringLiteral("Hangero"));
        QCOMPARE(items->topLevelItem(rowOf(items, 513))->icon(0).cacheKey(), editor->MSGImages[0].cacheKey());
        QTreeWidget *errors = editor->ErrorMessagesList;
        QCOMPARE(errors->topLevelItem(rowOf(errors, 770))->text(1), QStringLiteral("Nincs MP3"));
        // Saved at once: the unknown numbers are gone.
        QVERIFY(editor->SaveDocument());
        MessageSet expected = {{513, "Hangero"}, {770, "Nincs MP3"}};
        expected += genres(defaults.entries);
        QCOMPARE(test::TestDriveTable::readFile(Config + QStringLiteral("user.mgs")), expectedFile(expected));
    }

    void tooMuchTextIsRefused()
    {
        start();
        mainChild<QAction>(form, "MSGEditMenuItem")->trigger();
        type(editor->MenuItemsList, 513, QStringLiteral("A"));
        const QString longText(120, QLatin1Char('w'));
        int rows = 0;
        for (QTreeWidget *list : {editor->MenuItemsList, editor->ErrorMessagesList, editor->OtherMessagesList}) {
            for (int i = 0; i < list->topLevelItemCount(); ++i)
                list->topLevelItem(i)->setText(1, longText);
            rows += list->topLevelItemCount();
        }
        QVERIFY(rows * 123 > 4096);
        prompts->expectMessage(QStringLiteral("Cannot save the file, because the data is too long"));
        whenShown([this] {
            QTest::keyClicks(fileDialog()->FileNameEdit, QStringLiteral("long"));
            QTest::keyClick(fileDialog()->FileNameEdit, Qt::Key_Return);
        });
        QVERIFY(!editor->SaveDocument());
        QVERIFY(!fs::exists(Config + QStringLiteral("long.mgs")));
        QVERIFY(editor->Modified());
    }

    void closingAsksAndSaves_data()
    {
        QTest::addColumn<Button>("answer");
        QTest::addColumn<bool>("closes");
        QTest::newRow("yes") << Button::Yes << true;
        QTest::newRow("no") << Button::No << true;
        QTest::newRow("cancel") << Button::Cancel << false;
    }
    void closingAsksAndSaves()
    {
        QFETCH(Button, answer);
        QFETCH(bool, closes);
        QVERIFY(WriteMessageFile(Config + QStringLiteral("keep.mgs"), "2.10", {}).ok());
        start();
        open(QStringLiteral("Keep"));
        const QByteArray before = test::TestDriveTable::readFile(Config + QStringLiteral("keep.mgs"));
        type(editor->MenuItemsList, 515, QStringLiteral("Mely"));
        prompts->expectMessage(QStringLiteral("Do you want to save changes?"), answer);
        editor->CancelButton->Click();
        QCOMPARE(editor->isVisible(), !closes);
        const QByteArray after = test::TestDriveTable::readFile(Config + QStringLiteral("keep.mgs"));
        if (answer == Button::Yes) {
            MessageSet expected = {{515, "Mely"}};
            expected += genres(defaults.entries);
            QCOMPARE(after, expectedFile(expected));
        } else {
            QCOMPARE(after, before);
        }
        if (closes) {
            // Closed, the editor is empty and the working set is the reference again.
            QCOMPARE(editor->MenuItemsList->topLevelItemCount(), 0);
            QCOMPARE(messageSets().WorkingMessages, messageSets().ReferenceMessages);
        }
    }

    void wrongFileClosesTheEditor()
    {
        QVERIFY(test::TestDriveTable::writeFile(Config + QStringLiteral("bad.mgs"), QByteArray("R7MGS1.01\0XX", 12)));
        start();
        prompts->expectMessage(QStringLiteral("Wrong file format"));
        open(QStringLiteral("Bad"));
        QVERIFY(!editor->isVisible());
        QVERIFY(form->StartPanel->isVisible());
    }

    void titleFollowsTheLanguage()
    {
        QVERIFY(QFile::copy(QStringLiteral(VOXA_SOURCE_DIR "/data/Language/German.lng"),
                            root + QStringLiteral("/voxa/manager/Language/German.lng")));
        start();
        mainChild<QAction>(form, "MSGEditMenuItem")->trigger();
        form->ListLanguages();
        form->ApplyLanguage(QStringLiteral("Deutsch"));
        QCOMPARE(mainChild<QLabel>(form, "FileNameLabel")->text(), QStringLiteral("Nachrichten-Editor: Unbenannt"));
        QCOMPARE(editor->FirmWareLabel->text(), QStringLiteral("Firmware-Version: 2.10"));
        QCOMPARE(editor->MSGPages->tabText(0), QStringLiteral("Men\u00fcpunkte"));
        QCOMPARE(editor->MenuItemsList->headerItem()->text(1), QStringLiteral("Angezeigter Wert"));
    }
};

QTEST_MAIN(TestMessageEditor)
#include "test_messageeditor.moc"
