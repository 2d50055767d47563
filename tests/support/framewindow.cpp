#include "support/framewindow.h"

#include "app/appstate.h"
#include "app/languagetargets.h"
#include "app/mainform.h"
#include "app/messagetable.h"
#include "app/shellstubs.h"
#include "editors/devicedialogs.h"
#include "editors/messages/messagefile.h"
#include "support/globals.h"
#include "support/scriptedprompts.h"
#include "support/testdrives.h"
#include "ui/skin.h"
#include "ui/skinbutton.h"
#include "ui/skinfonts.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

namespace voxa::test {

namespace {

void setUpProgramSteps()
{
    TMainForm::setInstantAnimations(true);
    InstallFontSubstitutes();
    QVERIFY(LoadSkinFrom(QStringLiteral(VOXA_SOURCE_DIR "/data/defaultskin.bmp")));
}

}  // namespace

FrameWindow::~FrameWindow()
{
    tearDown();
}

QStringList FrameWindow::playerFolders()
{
    return {QStringLiteral("voxa/manager/Language"), QStringLiteral("voxa/config"), QStringLiteral("voxa/myradio")};
}

// The checks run as QVERIFY in void steps; the bool tells the caller whether
// to go on.
bool FrameWindow::setUpProgram()
{
    setUpProgramSteps();
    return !QTest::currentTestFailed();
}

bool FrameWindow::prepare(const QStringList &folders, PromptsBy promptsBy)
{
    prepareSteps(folders, promptsBy);
    return !QTest::currentTestFailed();
}

bool FrameWindow::showMainWindow()
{
    showSteps();
    return !QTest::currentTestFailed();
}

void FrameWindow::prepareSteps(const QStringList &folders, PromptsBy promptsBy)
{
    resetGlobals();
    drives = new TestDriveTable;
    root = drives->add('V');
    for (const QString &dir : folders)
        QVERIFY2(QDir(root).mkpath(dir), qPrintable(dir));
    if (promptsBy == PromptsBy::Fixture)
        prompts = new ScriptedPrompts;
    locator = new StubLocator;
    setDriveLocator(locator);
}

void FrameWindow::showSteps()
{
    form = new TMainForm;
    form->CreateDialogs();
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    form->FormActivate();
}

void FrameWindow::tearDown()
{
    delete form;  // waits for a worker still running
    form = nullptr;
    setDriveLocator(nullptr);
    delete locator;
    locator = nullptr;
    delete prompts;
    prompts = nullptr;
    delete drives;
    drives = nullptr;
    root.clear();
    ClearRegistrations();
}

TFileDialog *FrameWindow::fileDialog() const
{
    return dynamic_cast<TFileDialog *>(form->FileDialog());
}

TDeleteFile *FrameWindow::deleteDialog() const
{
    return dynamic_cast<TDeleteFile *>(form->DeleteDialog());
}

void FrameWindow::whenShown(std::function<void()> act)
{
    QTimer::singleShot(0, std::move(act));
}

void FrameWindow::openFromDialog(QAction *menuItem, const QString &row)
{
    whenShown([this, row] {
        TFileDialog *d = fileDialog();
        const auto found = d->FileList->findItems(row, Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        d->FileList->setCurrentItem(found.first());
        d->OpenSaveButton->Click();
    });
    form->SubMenuClick(menuItem);
}

void FrameWindow::saveAsTyped(const QString &name)
{
    whenShown([this, name] {
        QTest::keyClicks(fileDialog()->FileNameEdit, name);
        QTest::keyClick(fileDialog()->FileNameEdit, Qt::Key_Return);
    });
    // As typed: the key reaches the widget with the focus first.
    QWidget *focus = QApplication::focusWidget();
    QTest::keyClick(focus && focus->window() == form ? focus : form, Qt::Key_S, Qt::ControlModifier);
}

QStringList FrameWindow::column(const QTreeWidget *list, int c)
{
    QStringList out;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        out << list->topLevelItem(i)->text(c);
    return out;
}

}  // namespace voxa::test
