// Flow tests of the find and export frame, driven through the main window on
// a test drive of generated MP3 files, with scripted answers to every
// question and a recording media player.
#include "../app/shellstubs.h"
#include "app/messagetable.h"
#include "app/owntexts.h"
#include "music/findexportframe.h"
#include "mp3testutil.h"
#include "platform/fileops.h"
#include "platform/paths.h"
#include "support/framewindow.h"
#include "support/recordingmediaplayer.h"
#include "support/recordingprocesses.h"
#include "support/scriptedprompts.h"
#include "support/testdrives.h"
#include "ui/skin.h"
#include "support/mainwidgets.h"

#include <QCheckBox>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTreeWidget>

using namespace voxa;

namespace {

QStringList headers(QTreeWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->columnCount(); ++i)
        out << list->headerItem()->text(i);
    return out;
}

QTreeWidgetItem *findNode(QTreeWidget *tree, const QString &relative)
{
    QTreeWidgetItem *node = nullptr;
    for (const QString &part : relative.split(QLatin1Char('\\'))) {
        QTreeWidgetItem *next = nullptr;
        const int n = node ? node->childCount() : tree->topLevelItemCount();
        for (int i = 0; i < n && !next; ++i) {
            QTreeWidgetItem *c = node ? node->child(i) : tree->topLevelItem(i);
            if (c->text(0) == part)
                next = c;
        }
        if (!next)
            return nullptr;
        if (node == nullptr || !node->isExpanded())
            next->setExpanded(true);  // lists one level ahead, as the user's click does
        node = next;
    }
    return node;
}

void choose(QComboBox *box, const QString &text)
{
    const int i = box->findText(text);
    QVERIFY2(i >= 0, qPrintable(text));
    box->setCurrentIndex(i);
    emit box->activated(i);
}

}  // namespace

class TestFindExportFrame : public QObject, private test::FrameWindow {
    Q_OBJECT

    test::RecordingMediaPlayer *player = nullptr;
    TFindExportFrame *frame = nullptr;

    static QByteArray mp3(int kbps = 128, qint64 size = 0)
    {
        QByteArray b = test::cbrFile(kbps, 4);
        if (size > b.size())
            b.append(QByteArray(int(size - b.size()), '\0'));
        return b;
    }
    static void put(const QString &device, const QByteArray &bytes, QDate date = {})
    {
        QVERIFY(test::TestDriveTable::writeFile(device, bytes));
        if (date.isValid())
            QVERIFY(test::setModified(platform::toNative(device), QDateTime(date, QTime(12, 0))));
    }

    // Runs Find on a folder and waits for the list, checking that nothing
    // else can start meanwhile.
    void find(const QString &relative)
    {
        QVERIFY2(frame->SelectFolder(relative), qPrintable(relative));
        QCOMPARE(frame->SelectedFolder(), QStringLiteral("V:\\") + relative);
        QSignalSpy done(frame, &TFindExportFrame::searchFinished);
        frame->FindButtonClick();
        QVERIFY(frame->Searching());
        QVERIFY(!frame->FindBox->isEnabled());
        QVERIFY(!frame->OKButton->isEnabled());
        QVERIFY(!mainChild<TSkinMenu>(form, "MenuBar")->isEnabled());
        // The window stays while the search runs.
        QVERIFY(frame->Host()->frameBusy());
        QVERIFY(!mainChild<TSkinButton>(form, "XButton")->isEnabled());
        frame->FindButtonClick();  // a second start is ignored
        QVERIFY(done.wait(10000));
        QCOMPARE(done.size(), 1);
        QVERIFY(!frame->Searching());
        QVERIFY(frame->FindBox->isEnabled());
        QVERIFY(mainChild<TSkinMenu>(form, "MenuBar")->isEnabled());
        QVERIFY(!frame->Host()->frameBusy());
        QCOMPARE(frame->SearchLabel->text(), QString());
        QCOMPARE(frame->ItemNumLabel->text(), QString::number(frame->FileList->topLevelItemCount()));
    }

    void click(TSkinButton *b)
    {
        QVERIFY2(b->isEnabled(), qPrintable(b->Caption()));
        b->Click();
    }

    void checkRow(int row)
    {
        frame->FileList->topLevelItem(row)->setCheckState(0, Qt::Checked);
    }

    void show()
    {
        form->ShowFrame(frame);
        QVERIFY(frame->isVisible());
    }

    QString native(const QString &device) const { return platform::toNative(device); }

private slots:
    void initTestCase() { QVERIFY(setUpProgram()); }

    void init()
    {
        QVERIFY(prepare({QStringLiteral("voxa/manager"), QStringLiteral("voxa/myradio")}));
        player = new test::RecordingMediaPlayer;
        RegisterFindExport();
        QVERIFY(showMainWindow());
        frame = qobject_cast<TFindExportFrame *>(form->Frame(FrameKind::FindExport));
        QVERIFY(frame);
    }

    void cleanup()
    {
        tearDown();
        delete player;
        player = nullptr;
    }

    void showsTheDriveAndDisablesTheListButtons()
    {
        put(QStringLiteral("V:\\music\\rock\\deep\\a.mp3"), mp3());
        show();
        QCOMPARE(mainChild<QLabel>(form, "FileNameLabel")->text(), QStringLiteral("MP3 Find/Export"));
        QCOMPARE(frame->ProfileTree->currentItem()->text(0), QStringLiteral("music"));
        // Two levels are listed; a third comes when its parent opens.
        QTreeWidgetItem *music = frame->ProfileTree->currentItem();
        QCOMPARE(music->child(0)->text(0), QStringLiteral("rock"));
        QCOMPARE(music->child(0)->childCount(), 0);
        music->setExpanded(true);
        QCOMPARE(music->child(0)->childCount(), 1);
        QCOMPARE(frame->YearBox->itemText(0), QStringLiteral("Year"));
        QVERIFY(frame->YearBox->findText(QStringLiteral("2003")) > 0);
        QCOMPARE(frame->YearBox->itemText(frame->YearBox->count() - 1), QStringLiteral("1983"));
        QVERIFY(frame->M3UBox->isChecked());
        QCOMPARE(frame->QuarantineDir(), QStringLiteral("Quarantine"));
        for (TSkinButton *b : {frame->SelAllButton, frame->SelNoneButton, frame->RemoveButton, frame->DeleteButton,
                               frame->Move2QButton, frame->ExportButton, frame->UnMarkButton, frame->PlayButton})
            QVERIFY2(!b->isEnabled(), qPrintable(b->Caption()));
        for (QWidget *w : {static_cast<QWidget *>(frame->EQBox), static_cast<QWidget *>(frame->YearBox),
                           static_cast<QWidget *>(frame->SizeSpin)})
            QVERIFY(!w->isEnabled());
        frame->CloseFrame(false);
        QCOMPARE(mainChild<QLabel>(form, "FileNameLabel")->text(), QString());
        QCOMPARE(frame->ProfileTree->topLevelItemCount(), 0);
    }

    void dateFilter_data()
    {
        QTest::addColumn<QString>("op");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("=") << "=" << QStringList{QStringLiteral("on.mp3")};
        QTest::newRow("<") << "<" << QStringList{QStringLiteral("before.mp3")};
        QTest::newRow(">") << ">" << QStringList{QStringLiteral("after.mp3")};
    }
    void dateFilter()
    {
        QFETCH(QString, op);
        QFETCH(QStringList, listed);
        put(QStringLiteral("V:\\music\\before.mp3"), mp3(), QDate(2000, 2, 28));
        put(QStringLiteral("V:\\music\\on.mp3"), mp3(), QDate(2000, 2, 29));
        put(QStringLiteral("V:\\music\\after.mp3"), mp3(), QDate(2000, 3, 1));
        show();
        frame->DateCheck->setChecked(true);
        QVERIFY(frame->DayBox->isEnabled());
        choose(frame->DateEQBox, op);
        choose(frame->YearBox, QStringLiteral("2000"));
        choose(frame->MonthBox, QStringLiteral("2"));
        choose(frame->DayBox, QStringLiteral("29"));
        find(QStringLiteral("music"));
        QCOMPARE(column(frame->FileList, 0), listed);
        QCOMPARE(headers(frame->FileList),
                 (QStringList{QStringLiteral("Filename"), QStringLiteral("Date"), QStringLiteral("Path")}));
        const QDate shown = QDate(2000, 2, 29).addDays(op == QLatin1String("=") ? 0 : op == QLatin1String("<") ? -1 : 1);
        QCOMPARE(frame->FileList->topLevelItem(0)->text(1), Mp3DateText(shown));
        QCOMPARE(frame->FileList->topLevelItem(0)->text(2), QStringLiteral("V:\\music"));
    }

    void daysFollowYearAndMonth_data()
    {
        QTest::addColumn<QString>("year");
        QTest::addColumn<int>("februaryDays");
        QTest::newRow("2000 leap") << "2000" << 29;
        QTest::newRow("2003") << "2003" << 28;
        QTest::newRow("1996 leap") << "1996" << 29;
    }
    void daysFollowYearAndMonth()
    {
        QFETCH(QString, year);
        QFETCH(int, februaryDays);
        show();
        frame->DateCheck->setChecked(true);
        QCOMPARE(frame->DayBox->count(), 1);  // "Day" until a month is chosen
        QCOMPARE(frame->YearBox->findText(QStringLiteral("1900")), -1);
        choose(frame->MonthBox, QStringLiteral("1"));
        QCOMPARE(frame->DayBox->count(), 32);
        choose(frame->DayBox, QStringLiteral("31"));
        choose(frame->YearBox, year);
        choose(frame->MonthBox, QStringLiteral("2"));
        QCOMPARE(frame->MonthDays(2), februaryDays);
        QCOMPARE(frame->DayBox->count(), februaryDays + 1);
        // Day 31 lies beyond February: the last day is taken.
        QCOMPARE(frame->DayBox->currentText(), QString::number(februaryDays));
    }

    // The German language file re-captions the pages, groups, lists and
    // buttons; the date lists keep their translated header entry when they
    // are filled again.
    void germanCaptions()
    {
        QVERIFY(QDir(root).mkpath(QStringLiteral("voxa/manager/Language")));
        QVERIFY(QFile::copy(QStringLiteral(VOXA_SOURCE_DIR "/data/Language/German.lng"),
                            root + QStringLiteral("/voxa/manager/Language/German.lng")));
        form->ListLanguages();
        form->ApplyLanguage(QStringLiteral("Deutsch"));
        show();
        QCOMPARE(frame->Pages->tabText(0), QStringLiteral("Suchen"));
        QCOMPARE(frame->Pages->tabText(2), QStringLiteral("Verschieben/Export"));
        QCOMPARE(frame->FindBox->itemText(0), QStringLiteral("Alle"));
        QCOMPARE(frame->FindBox->itemText(2), QStringLiteral("Unvollständiges ID3 v1"));
        QCOMPARE(frame->ExtendCheck->text(), QStringLiteral("Auf ganzes Verzeichnis ausdehnen"));
        QCOMPARE(frame->FileSizeCheck->text(), QStringLiteral("Dateigröße"));
        QCOMPARE(frame->SelAllButton->Caption(), QStringLiteral("Alle wählen"));
        QCOMPARE(frame->DeleteButton->Caption(), QStringLiteral("Löschen"));
        QCOMPARE(frame->Move2QButton->Caption(), QStringLiteral("Alle in Quarantäne"));
        QCOMPARE(frame->ExportButton->Caption(), QStringLiteral("Exportieren"));
        QCOMPARE(frame->QuarantineLabel->text(), QStringLiteral("Quarantäne-Verzeichnis"));
        QCOMPARE(frame->YearBox->itemText(0), QStringLiteral("Jahr"));
        QCOMPARE(frame->MonthBox->itemText(0), QStringLiteral("Monat"));
        frame->DateCheck->setChecked(true);
        choose(frame->MonthBox, QStringLiteral("2"));
        QCOMPARE(frame->DayBox->itemText(0), QStringLiteral("Tag"));
        QCOMPARE(frame->DayBox->count(), frame->MonthDays(2) + 1);
    }

    void invalidDateIsRefused()
    {
        put(QStringLiteral("V:\\music\\a.mp3"), mp3());
        show();
        frame->DateCheck->setChecked(true);
        choose(frame->YearBox, QStringLiteral("2000"));
        prompts->expectMessage(QStringLiteral("Month") + SystemDateSeparator() + QStringLiteral("Day' is not a valid date"));
        frame->FindButtonClick();
        QVERIFY(!frame->Searching());
        QCOMPARE(frame->FileList->topLevelItemCount(), 0);
        QCOMPARE(prompts->lastMessage().text, QStringLiteral("'2000%1Month%1Day' is not a valid date").arg(SystemDateSeparator()));
    }

    void sizeFilter()
    {
        put(QStringLiteral("V:\\music\\small.mp3"), mp3(128, 100));
        put(QStringLiteral("V:\\music\\justbelow.mp3"), mp3(128, 2097151));
        put(QStringLiteral("V:\\music\\two.mp3"), mp3(128, 2097152));
        show();
        frame->FileSizeCheck->setChecked(true);
        QVERIFY(frame->SizeSpin->isEnabled());
        choose(frame->SizeEQBox, QStringLiteral("<"));
        frame->SizeSpin->setValue(2);
        find(QStringLiteral("music"));
        QCOMPARE(headers(frame->FileList),
                 (QStringList{QStringLiteral("Filename"), QStringLiteral("Size [MByte]"), QStringLiteral("Path")}));
        QStringList rows;
        for (int i = 0; i < frame->FileList->topLevelItemCount(); ++i)
            rows << frame->FileList->topLevelItem(i)->text(0) + QLatin1Char(' ') + frame->FileList->topLevelItem(i)->text(1);
        rows.sort();
        QCOMPARE(rows, (QStringList{QStringLiteral("justbelow.mp3 1"), QStringLiteral("small.mp3 0")}));
    }

    void sizeLimit_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<bool>("refused");
        QTest::newRow("2048 MByte") << 2048 << "MByte" << true;
        QTest::newRow("2047 MByte") << 2047 << "MByte" << false;
        QTest::newRow("2097152 kByte") << 2097152 << "kByte" << true;
        QTest::newRow("2097151 kByte") << 2097151 << "kByte" << false;
    }
    void sizeLimit()
    {
        QFETCH(int, value);
        QFETCH(QString, unit);
        QFETCH(bool, refused);
        put(QStringLiteral("V:\\music\\a.mp3"), mp3());
        show();
        frame->FileSizeCheck->setChecked(true);
        choose(frame->SizeEQBox, QStringLiteral("<"));
        choose(frame->WhichByteBox, unit);
        frame->SizeSpin->setValue(value);
        if (refused) {
            prompts->expectMessage(QStringLiteral("2147483647"));
            frame->FindButtonClick();
            QVERIFY(!frame->Searching());
        } else {
            find(QStringLiteral("music"));
            QCOMPARE(column(frame->FileList, 0), QStringList{QStringLiteral("a.mp3")});
        }
    }

    void bitrateDefaultsAndColumn()
    {
        put(QStringLiteral("V:\\music\\a128.mp3"), mp3(128));
        put(QStringLiteral("V:\\music\\b192.mp3"), mp3(192));
        show();
        QCOMPARE(frame->BitrateBox->currentIndex(), -1);
        frame->FindBox->setCurrentIndex(int(FindKind::Bitrate));
        QVERIFY(frame->EQBox->isEnabled() && frame->BitrateBox->isEnabled());
        QCOMPARE(frame->EQBox->currentText(), QStringLiteral("="));
        QCOMPARE(frame->BitrateBox->currentText(), QStringLiteral("128 kbps"));
        find(QStringLiteral("music"));
        QCOMPARE(headers(frame->FileList),
                 (QStringList{QStringLiteral("Filename"), QStringLiteral("Bitrate"), QStringLiteral("Path")}));
        QCOMPARE(column(frame->FileList, 0), QStringList{QStringLiteral("a128.mp3")});
        QCOMPARE(column(frame->FileList, 1), QStringList{QStringLiteral("128 kbps")});
        // A chosen value stays when the kind comes back.
        choose(frame->BitrateBox, QStringLiteral("320 kbps"));
        frame->FindBox->setCurrentIndex(0);
        QVERIFY(!frame->EQBox->isEnabled());
        frame->FindBox->setCurrentIndex(int(FindKind::Bitrate));
        QCOMPARE(frame->BitrateBox->currentText(), QStringLiteral("320 kbps"));
    }

    void markThenUnMarkEmptiesTheList()
    {
        put(QStringLiteral("V:\\music\\a.MP!"), mp3());
        put(QStringLiteral("V:\\music\\b.MP!"), mp3());
        put(QStringLiteral("V:\\music\\plain.mp3"), mp3());
        show();
        frame->FindBox->setCurrentIndex(int(FindKind::Marked));
        find(QStringLiteral("music"));
        QCOMPARE(frame->FileList->topLevelItemCount(), 2);
        QVERIFY(!frame->UnMarkButton->isEnabled());
        click(frame->SelAllButton);
        QVERIFY(frame->PlayButton->isEnabled() && frame->DeleteButton->isEnabled());
        click(frame->UnMarkButton);
        QCOMPARE(frame->FileList->topLevelItemCount(), 0);
        QCOMPARE(frame->ItemNumLabel->text(), QStringLiteral("0"));
        QVERIFY(!frame->SelAllButton->isEnabled() && !frame->UnMarkButton->isEnabled());
        QVERIFY(fs::isFile(QStringLiteral("V:\\music\\a.MP3")));
        QVERIFY(fs::isFile(QStringLiteral("V:\\music\\b.MP3")));
        QVERIFY(!fs::exists(QStringLiteral("V:\\music\\a.MP!")));
    }

    void selectNoneAndRemove()
    {
        for (const char *n : {"a", "b", "c"})
            put(QStringLiteral("V:\\music\\%1.mp3").arg(QLatin1String(n)), mp3());
        show();
        find(QStringLiteral("music"));
        click(frame->SelAllButton);
        click(frame->SelNoneButton);
        QVERIFY(!frame->RemoveButton->isEnabled() && !frame->PlayButton->isEnabled());
        checkRow(1);
        QVERIFY(frame->RemoveButton->isEnabled());
        const QString removed = frame->FileList->topLevelItem(1)->text(0);
        click(frame->RemoveButton);
        QCOMPARE(frame->FileList->topLevelItemCount(), 2);
        QVERIFY(!column(frame->FileList, 0).contains(removed));
        QVERIFY(fs::isFile(QStringLiteral("V:\\music\\") + removed));  // stays on the drive
        QCOMPARE(frame->ItemNumLabel->text(), QStringLiteral("2"));
        click(frame->SelAllButton);
        click(frame->RemoveButton);
        QVERIFY(!frame->SelAllButton->isEnabled() && !frame->ExportButton->isEnabled()
                && !frame->Move2QButton->isEnabled());
    }

    void deleteAsks_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("Yes") << true;
        QTest::newRow("No") << false;
    }
    void deleteAsks()
    {
        QFETCH(bool, yes);
        put(QStringLiteral("V:\\music\\a.mp3"), mp3());
        put(QStringLiteral("V:\\music\\b.mp3"), mp3());
        put(QStringLiteral("V:\\music\\solo\\z.mp3"), mp3());
        show();
        find(QStringLiteral("music"));
        QCOMPARE(frame->FileList->topLevelItemCount(), 3);
        const int last = frame->FileList->topLevelItemCount() - 1;
        QCOMPARE(frame->FileList->topLevelItem(last)->text(0), QStringLiteral("z.mp3"));
        checkRow(last);
        prompts->expectMessage(QStringLiteral("Do you really want to delete the selected files from disk?"),
                               yes ? Button::Yes : Button::No);
        click(frame->DeleteButton);
        QCOMPARE(prompts->lastMessage().defaultButton, Button::No);
        QCOMPARE(frame->FileList->topLevelItemCount(), yes ? 2 : 3);
        QCOMPARE(fs::exists(QStringLiteral("V:\\music\\solo\\z.mp3")), !yes);
        QCOMPARE(fs::exists(QStringLiteral("V:\\music\\solo")), !yes);  // emptied folder goes
        QCOMPARE(frame->DeleteButton->isEnabled(), !yes);
    }

    void formatBoxesAreOneChoice()
    {
        show();
        frame->PLSBox->click();
        QVERIFY(frame->PLSBox->isChecked() && !frame->M3UBox->isChecked());
        frame->PLSBox->click();  // unchecking the checked one checks it again
        QVERIFY(frame->PLSBox->isChecked());
        frame->CSVBox->click();
        QVERIFY(frame->CSVBox->isChecked() && !frame->PLSBox->isChecked() && !frame->TextBox->isChecked());
    }

    void exportWrites_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("PLS of three")
            << "PLS" << "V:\\voxa\\myradio\\list" << "V:\\voxa\\myradio\\list.pls"
            << QByteArray("[playlist]\r\nFile1=V:\\music\\%1\r\nFile2=V:\\music\\%2\r\n"
                          "File3=V:\\music\\%3\r\nNumberOfEntries=3\r\nVersion=2\r\n");
        QTest::newRow("M3U exact extension")
            << "M3U" << "V:\\list.M3U" << "V:\\list.M3U.m3u"
            << QByteArray("#EXTM3U\r\nV:\\music\\%1\r\nV:\\music\\%2\r\nV:\\music\\%3\r\n");
        QTest::newRow("Text") << "Text" << "V:\\list.txt" << "V:\\list.txt"
                              << QByteArray("V:\\music\\%1\r\nV:\\music\\%2\r\nV:\\music\\%3\r\n");
    }
    void exportWrites()
    {
        QFETCH(QString, format);
        QFETCH(QString, chosen);
        QFETCH(QString, written);
        QFETCH(QByteArray, expected);
        for (const char *n : {"a", "b", "c"})
            put(QStringLiteral("V:\\music\\%1.mp3").arg(QLatin1String(n)), mp3());
        show();
        find(QStringLiteral("music"));
        checkRow(0);  // every item is exported, checked or not
        for (QCheckBox *box : {frame->M3UBox, frame->PLSBox, frame->TextBox, frame->CSVBox})
            if (box->text() == format)
                box->click();
        prompts->expectFile(native(chosen));
        click(frame->ExportButton);
        const FileRequest request = prompts->records().last().request;
        QCOMPARE(request.title, QStringLiteral("Save As"));
        QCOMPARE(request.folder, format == QLatin1String("Text") ? QStringLiteral("V:\\")
                                                                 : QStringLiteral("V:\\voxa\\myradio"));
        // In list order, which within a folder is the file system's own.
        const QStringList names = column(frame->FileList, 0);
        QCOMPARE(test::TestDriveTable::readFile(written),
                 QString::fromLatin1(expected).arg(names[0], names[1], names[2]).toLatin1());
    }

    void csvHeaderWithDateAndSize()
    {
        put(QStringLiteral("V:\\music\\a.mp3"), mp3(), QDate(2001, 5, 6));
        show();
        frame->DateCheck->setChecked(true);
        choose(frame->DateEQBox, QStringLiteral("<"));
        choose(frame->YearBox, QStringLiteral("2002"));
        choose(frame->MonthBox, QStringLiteral("1"));
        choose(frame->DayBox, QStringLiteral("1"));
        frame->FileSizeCheck->setChecked(true);
        find(QStringLiteral("music"));
        frame->CSVBox->click();
        prompts->expectFile(native(QStringLiteral("V:\\t.csv")));
        click(frame->ExportButton);
        QCOMPARE(test::TestDriveTable::readFile(QStringLiteral("V:\\t.csv")),
                 QByteArray("Filename;Date;Size [MByte];Path\r\na.mp3;") + Mp3DateText(QDate(2001, 5, 6)).toLatin1()
                     + ";0;V:\\music\r\n");
    }

    void readOnlyExportAsks_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("Yes") << true;
        QTest::newRow("No") << false;
    }
    void readOnlyExportAsks()
    {
        QFETCH(bool, yes);
        put(QStringLiteral("V:\\music\\a.mp3"), mp3());
        put(QStringLiteral("V:\\old.m3u"), "old");
        QVERIFY(fs::setReadOnly(QStringLiteral("V:\\old.m3u")));
        show();
        find(QStringLiteral("music"));
        prompts->expectFile(native(QStringLiteral("V:\\old.m3u")));
        prompts->expectMessage(QStringLiteral("Do you want to overwrite the existing file?"),
                               yes ? Button::Yes : Button::No);
        click(frame->ExportButton);
        QCOMPARE(test::TestDriveTable::readFile(QStringLiteral("V:\\old.m3u")),
                 yes ? QByteArray("#EXTM3U\r\nV:\\music\\a.mp3\r\n") : QByteArray("old"));
    }

    void quarantineMovesAndRemovesEmptiedFolders()
    {
        put(QStringLiteral("V:\\music\\rock\\a.mp3"), mp3());
        put(QStringLiteral("V:\\music\\rock\\b.mp3"), mp3());
        show();
        QCOMPARE(frame->QuarantineEdit->text(), QStringLiteral("Quarantine"));
        find(QStringLiteral("music\\rock"));
        QCOMPARE(frame->FileList->topLevelItemCount(), 2);
        click(frame->Move2QButton);
        for (const char *n : {"a", "b"})
            QVERIFY(fs::isFile(QStringLiteral("V:\\Quarantine\\music\\rock\\%1.mp3").arg(QLatin1String(n))));
        QVERIFY(!fs::exists(QStringLiteral("V:\\music")));
        // Moved rows are unchecked, cannot be checked again, and show where their files went.
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(frame->FileList->topLevelItem(i)->checkState(0), Qt::Unchecked);
            QVERIFY(!(frame->FileList->topLevelItem(i)->flags() & Qt::ItemIsUserCheckable));
        }
        QCOMPARE(column(frame->FileList, 1),
                 (QStringList{QStringLiteral("V:\\Quarantine\\music\\rock"), QStringLiteral("V:\\Quarantine\\music\\rock")}));
        QCOMPARE(frame->ProfileTree->topLevelItemCount(), 2);  // the tree rebuilt: Quarantine and voxa
        QVERIFY(findNode(frame->ProfileTree, QStringLiteral("Quarantine\\music")));
        QVERIFY(!findNode(frame->ProfileTree, QStringLiteral("music")));
        // Change takes the selected folder; the settings save it.
        QVERIFY(frame->SelectFolder(QStringLiteral("voxa\\myradio")));
        click(frame->CopyButton);
        QCOMPARE(frame->QuarantineDir(), QStringLiteral("voxa\\myradio"));
    }

    // After Move to Quarantine, Delete with every row checked takes only the file that could not be
    // moved, never a file of the same size and time now lying at a moved row's old path.
    void deleteAfterQuarantineTakesOnlyListedFiles_data()
    {
        QTest::addColumn<QString>("comeback");
        QTest::newRow("same name") << "music/rock/a.mp3";
        QTest::newRow("other letter case") << "music/rock/A.MP3";
    }
    void deleteAfterQuarantineTakesOnlyListedFiles()
    {
        QFETCH(QString, comeback);
        const QDate day(2002, 3, 4);
        for (const char *n : {"a", "b", "stuck"})
            put(QStringLiteral("V:\\music\\rock\\%1.mp3").arg(QLatin1String(n)), mp3(), day);
        put(QStringLiteral("V:\\Quarantine\\music\\rock\\stuck.mp3"), "older");  // stops that move
        show();
        find(QStringLiteral("music\\rock"));
        click(frame->SelAllButton);
        click(frame->Move2QButton);
        const QString q = QStringLiteral("V:\\Quarantine\\music\\rock");
        const QString impostor = root + QLatin1Char('/') + comeback;
        QVERIFY(test::writeBytes(impostor, mp3()));
        QVERIFY(test::setModified(impostor, QDateTime(day, QTime(12, 0))));
        for (int i = 0; i < 3; ++i)
            checkRow(i);
        prompts->expectMessage(QStringLiteral("Do you really want to delete"), Button::Yes);
        click(frame->DeleteButton);
        QCOMPARE(column(frame->FileList, 0), (QStringList{QStringLiteral("a.mp3"), QStringLiteral("b.mp3")}));
        QCOMPARE(test::readAllBytes(impostor), mp3());
        QVERIFY(!fs::exists(QStringLiteral("V:\\music\\rock\\stuck.mp3")));
        QCOMPARE(test::TestDriveTable::readFile(q + QStringLiteral("\\stuck.mp3")), QByteArray("older"));
        // A second move takes no moved row again.
        click(frame->Move2QButton);
        QVERIFY(fs::isFile(q + QStringLiteral("\\a.mp3")) && fs::isFile(q + QStringLiteral("\\b.mp3")));
        QVERIFY(!fs::exists(QStringLiteral("V:\\Quarantine\\Quarantine")));
    }

    // A file replaced after the search (other size, or same size and other time) is never deleted,
    // unmarked or moved, and its row stays.
    void replacedFileIsLeftAlone_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<bool>("sameSize");
        for (const char *op : {"Delete", "UnMark", "Move"}) {
            QTest::addRow("%s, other size", op) << op << false;
            QTest::addRow("%s, other time", op) << op << true;
        }
    }
    void replacedFileIsLeftAlone()
    {
        QFETCH(QString, operation);
        QFETCH(bool, sameSize);
        put(QStringLiteral("V:\\music\\x.MP!"), mp3(), QDate(2002, 3, 4));
        show();
        frame->FindBox->setCurrentIndex(int(FindKind::Marked));
        find(QStringLiteral("music"));
        const QByteArray other = sameSize ? QByteArray(mp3().size(), 'o') : QByteArray("other");
        put(QStringLiteral("V:\\music\\x.MP!"), other, QDate(2002, 3, sameSize ? 5 : 4));
        click(frame->SelAllButton);
        if (operation == QLatin1String("Delete"))
            prompts->expectMessage(QStringLiteral("Do you really want to delete"), Button::Yes);
        click(operation == QLatin1String("Delete")   ? frame->DeleteButton
              : operation == QLatin1String("UnMark") ? frame->UnMarkButton
                                                     : frame->Move2QButton);
        QCOMPARE(test::TestDriveTable::readFile(QStringLiteral("V:\\music\\x.MP!")), other);
        QVERIFY(!fs::exists(QStringLiteral("V:\\music\\x.MP3")) && !fs::exists(QStringLiteral("V:\\Quarantine\\music")));
        QCOMPARE(column(frame->FileList, 1), QStringList{QStringLiteral("V:\\music")});
    }

    void playHandsCheckedItemsOver()
    {
        for (const char *n : {"a", "b", "c"})
            put(QStringLiteral("V:\\music\\%1.mp3").arg(QLatin1String(n)), mp3());
        show();
        find(QStringLiteral("music"));
        checkRow(0);
        checkRow(2);
        const QStringList names = column(frame->FileList, 0);
        const auto added = [&](int row) {
            return QStringLiteral("add ") + native(QStringLiteral("V:\\music\\") + names[row]);
        };
        player->reach = platform::MediaPlayer::Reach::List;
        click(frame->PlayButton);
        frame->HandOver()->Wait();
        QCOMPARE(player->steps,
                 (QStringList{QStringLiteral("find"), QStringLiteral("clear"), added(0), added(2), QStringLiteral("play")}));
        player->steps.clear();
        frame->FileListDoubleClick(frame->FileList->topLevelItem(1));
        frame->HandOver()->Wait();
        QCOMPARE(player->steps, (QStringList{QStringLiteral("find"), QStringLiteral("clear"), added(1), QStringLiteral("play")}));

        // Without a player or a program for the play list, Play says so.
        player->reach = platform::MediaPlayer::Reach::None;
        test::RecordingProcesses processes;
        processes.startSucceeds = false;
        prompts->expectMessage(ownText(LaterOwnText::PlayNoProgram));
        click(frame->PlayButton);
        frame->HandOver()->Wait();
        QTRY_COMPARE(prompts->pending(), 0);
        QCOMPARE(processes.calls.size(), 1);
    }

    void progressTicksWhileSearching()
    {
        for (int i = 0; i < 45; ++i)
            put(QStringLiteral("V:\\music\\f%1.mp3").arg(i, 2, 10, QLatin1Char('0')), mp3());
        show();
        find(QStringLiteral("music"));
        QVERIFY(frame->ProgressCount() >= 1 && frame->ProgressCount() <= 5);
        QCOMPARE(frame->FileList->topLevelItemCount(), 45);
    }

    void closingStopsTheSearch()
    {
        for (int i = 0; i < 30; ++i)
            put(QStringLiteral("V:\\music\\f%1.mp3").arg(i), mp3());
        show();
        QVERIFY(frame->SelectFolder(QStringLiteral("music")));
        frame->FindButtonClick();
        QVERIFY(frame->Searching());
        QVERIFY(QApplication::overrideCursor());
        frame->CloseFrame(false);
        QVERIFY(!frame->Searching());
        QCOMPARE(frame->FileList->topLevelItemCount(), 0);
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(mainChild<TSkinMenu>(form, "MenuBar")->isEnabled());
        QVERIFY(!frame->Host()->frameBusy());
        QVERIFY(form->StartPanel->isVisible());
    }
};

QTEST_MAIN(TestFindExportFrame)
#include "test_findexportframe.moc"
