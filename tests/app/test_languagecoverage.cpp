// Every number a language file may carry reaches a caption or a message of
// the whole program, and the German file's texts arrive in the editors and
// dialogs (a frame that registers nothing stays English after a change of
// language).
#include "app/captionfit.h"
#include "app/drivelocator.h"
#include "app/features.h"
#include "app/framecatalog.h"
#include "app/languagetargets.h"
#include "app/mainform.h"
#include "app/otherframe.h"
#include "device/chooseframe.h"
#include "editors/config/playerfile.h"
#include "editors/devicedialogs.h"
#include "app/editorframe.h"
#include "music/sortframe.h"
#include "update/updateframe.h"
#include "editors/logo/logoeditor.h"
#include "editors/playdisplay/playdisplayeditor.h"
#include "shellstubs.h"
#include "support/framewindow.h"
#include "ui/skinbutton.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

using namespace voxa;

namespace {

// A control's text, the width the text takes and the room it has (none for a message).
struct Shown {
    QString text;
    int width = 0, room = 0;
};

Shown titleOf(const QTreeWidget *view, int c)
{
    return {view->headerItem()->text(c), columnTitleWidth(view, c), view->columnWidth(c)};
}

Shown captionOf(const TSkinButton *b)
{
    return {b->Caption(), QFontMetrics(b->font()).horizontalAdvance(b->Caption()) + 4, b->width()};
}

}  // namespace

class TestLanguageCoverage : public QObject, private test::FrameWindow {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(setUpProgram()); }

    void init()
    {
        QVERIFY(prepare());
        // The message editor opens the drive's default message set at start.
        QVERIFY(QFile::copy(QStringLiteral(VOXA_DIST_DIR "/default.mgs"),
                            root + QStringLiteral("/voxa/manager/default.mgs")));
        RegisterFeatures();
        setDriveLocator(locator);  // the features bring the real one
        QVERIFY(showMainWindow());
    }

    void cleanup() { tearDown(); }

    void everyNumberHasATarget()
    {
        QStringList missing;
        for (int n = 0; n < 256; ++n) {
            // The drive chooser exists only when the manager starts to
            // install; its numbers are its own tests' matter.
            if (LanguageTargets::isIgnored(n) || (n >= 51 && n <= 54))
                continue;
            if (LanguageTargets::instance().count(n) == 0)
                missing << QString::number(n);
        }
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QLatin1Char(' '))));
    }

    void germanReachesEditorsAndDialogs()
    {
        QVERIFY(QFile::copy(QStringLiteral(VOXA_SOURCE_DIR "/data/Language/German.lng"),
                            root + QStringLiteral("/voxa/manager/Language/German.lng")));
        form->ListLanguages();
        form->ApplyLanguage(QStringLiteral("Deutsch"));
        auto *logo = qobject_cast<TLogoEditor *>(form->Editor(FrameKind::LogoEditor));
        auto *ply = qobject_cast<TPlaydisplayEditor *>(form->Editor(FrameKind::PlaydisplayEditor));
        QVERIFY(logo && ply);
        QCOMPARE(logo->InvertCheck->text(), QStringLiteral("Invertieren"));
        QCOMPARE(logo->OpenButton->Caption(), QStringLiteral("Neues Bild"));
        QCOMPARE(ply->VUMeterCheck->text(), QStringLiteral("VU-Meter"));
        QCOMPARE(ply->StringList->item(2)->text(), QStringLiteral("ID3-Titel"));
        QCOMPARE(deleteDialog()->windowTitle(), QStringLiteral("Dateien löschen"));
        // Close of every editor and tool frame that has one.
        for (FrameKind kind : {FrameKind::ConfigEditor, FrameKind::MessageEditor, FrameKind::MyRadioEditor,
                               FrameKind::LogoEditor, FrameKind::PlaydisplayEditor})
            QCOMPARE(form->Editor(kind)->CancelButton->Caption(), QStringLiteral("Schließen"));
        for (FrameKind kind : {FrameKind::Sort, FrameKind::FindExport, FrameKind::MyRadioCopy}) {
            auto *frame = qobject_cast<TOtherFrame *>(form->Frame(kind));
            QVERIFY(frame);
            QCOMPARE(frame->OKButton->Caption(), QStringLiteral("Schließen"));
        }
    }

    // Texts that lacked a language number or reached one control only, and long German captions: shown and fitting.
    void germanReachesEveryControl_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("german");
        for (const auto &[control, german] : std::initializer_list<std::pair<const char *, const char *>>{
                 {"fileColumn", "Dateiname"}, {"fileCancel", "Abbrechen"}, {"fileSaveLabel", "Speichern unter"},
                 {"deleteColumn", "Dateiname"}, {"sortNow", "Spielt jetzt"}, {"chooserClose", "Schließen"},
                 {"chooserVersion", "Installierte Version"}, {"updateVersion", "Installierte Version"},
                 {"questionYes", "&Ja"},
                 {"cannotStore", "Dieser Text kann nicht in der Datei des Players gespeichert werden"}})
            QTest::newRow(control) << QString::fromLatin1(control) << QString::fromUtf8(german);
    }
    void germanReachesEveryControl()
    {
        QFETCH(QString, control);
        QFETCH(QString, german);
        for (const char *file : {"German.lng", "English.lng"})
            QVERIFY(QFile::copy(QStringLiteral(VOXA_SOURCE_DIR "/data/Language/") + QLatin1String(file),
                                root + QStringLiteral("/voxa/manager/Language/") + QLatin1String(file)));
        TChooseFrame chooser(form, form);  // exists only in install mode
        form->ListLanguages();
        form->ApplyLanguage(QStringLiteral("Deutsch"));
        const Shown de = shown(control, chooser);
        QCOMPARE(de.text, german);
        QVERIFY2(de.width <= de.room, qPrintable(QStringLiteral("%1 of %2").arg(de.width).arg(de.room)));
        form->ApplyLanguage(QStringLiteral("English"));
        const Shown en = shown(control, chooser);
        QVERIFY2(en.text != german && en.width <= en.room && en.room <= de.room, qPrintable(en.text));
    }

private:
    Shown shown(const QString &control, const TChooseFrame &chooser)
    {
        TFileDialog *file = fileDialog();
        file->setMode(DeviceFileDialog::Mode::Save);
        file->PrepareShow();
        const QLabel *save = file->SaveLabel;
        auto *sort = qobject_cast<TSortFrame *>(form->Frame(FrameKind::Sort));
        auto *update = qobject_cast<TUpdateFrame *>(form->Frame(FrameKind::Update));
        QMessageBox box;
        box.setStandardButtons(QMessageBox::Yes);
        const QHash<QString, Shown> controls = {
            {QStringLiteral("fileColumn"), titleOf(file->FileList, 0)},
            {QStringLiteral("fileCancel"), captionOf(file->CancelButton)},
            {QStringLiteral("fileSaveLabel"),
             {save->text(), save->fontMetrics().horizontalAdvance(save->text()), save->width()}},
            {QStringLiteral("deleteColumn"), titleOf(deleteDialog()->FileList, 0)},
            {QStringLiteral("sortNow"), titleOf(sort->PlayOrderView, 1)},
            {QStringLiteral("chooserClose"), captionOf(chooser.CloseButton)},
            {QStringLiteral("chooserVersion"), titleOf(chooser.DrivesView, 1)},
            {QStringLiteral("updateVersion"), titleOf(update->dlList, 1)},
            {QStringLiteral("questionYes"), {box.button(QMessageBox::Yes)->text()}},
            {QStringLiteral("cannotStore"), {playerfile::failure(FileFailure::CannotStore).message()}},
        };
        return controls.value(control);
    }
};

QTEST_MAIN(TestLanguageCoverage)
#include "test_languagecoverage.moc"
