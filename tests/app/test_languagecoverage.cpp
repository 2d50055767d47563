// Every number a language file may carry reaches a caption or a message of
// the whole program, and the German file's texts arrive in the editors and
// dialogs (a frame that registers nothing stays English after a change of
// language).
#include "app/drivelocator.h"
#include "app/features.h"
#include "app/framecatalog.h"
#include "app/languagetargets.h"
#include "app/mainform.h"
#include "app/otherframe.h"
#include "editors/devicedialogs.h"
#include "app/editorframe.h"
#include "editors/logo/logoeditor.h"
#include "editors/playdisplay/playdisplayeditor.h"
#include "shellstubs.h"
#include "support/framewindow.h"
#include "ui/skinbutton.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTest>

using namespace voxa;

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
};

QTEST_MAIN(TestLanguageCoverage)
#include "test_languagecoverage.moc"
