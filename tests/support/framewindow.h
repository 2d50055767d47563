#pragma once
// The main window of a frame flow test: the state every test starts from
// (drive V with the player's folders, scripted prompts, the stub drive
// locator), the window shown the way the program shows it, the tear-down in
// the order the parts depend on each other, and the moves through the
// device file dialog that several tests share.
//
// A test class derives from it next to QObject and calls it from its own
// slots: setUpProgram() in initTestCase, prepare() then its own registrations
// and files then showMainWindow() in init, tearDown() in cleanup.
#include <QString>
#include <QStringList>

#include <functional>

class QAction;
class QTreeWidget;

namespace voxa {
class TMainForm;
class TFileDialog;
class TDeleteFile;
}  // namespace voxa

namespace voxa::test {

class TestDriveTable;
class ScriptedPrompts;
class StubLocator;

class FrameWindow {
public:
    // Who installs the scripted prompts: the fixture for the whole test, or
    // each test for itself.
    enum class PromptsBy { Fixture, Test };

    FrameWindow() = default;
    FrameWindow(const FrameWindow &) = delete;
    FrameWindow &operator=(const FrameWindow &) = delete;
    ~FrameWindow();

    // The folders of a device laid out like the player's.
    static QStringList playerFolders();

    // Once per program: instant animations, the font substitutes, the
    // default skin. False (with the failure recorded) when the skin is
    // missing.
    static bool setUpProgram();

    // Before each test: program state, messages and registrations cleared,
    // drive V made with the given folders, the prompts and the stub locator
    // installed. The test registers its frames after this.
    bool prepare(const QStringList &folders = playerFolders(), PromptsBy prompts = PromptsBy::Fixture);

    // The main window created, shown and activated through its start-up.
    bool showMainWindow();

    // After each test: the window first (it may wait for a worker), then
    // the locator, the prompts (which check that no answer was left over)
    // and the drives; registrations cleared.
    void tearDown();

    // The device file and delete dialogs the main window created.
    TFileDialog *fileDialog() const;
    TDeleteFile *deleteDialog() const;

    // Acts on a modal dialog once its event loop runs.
    static void whenShown(std::function<void()> act);

    // Opens a document through a file-menu item: the row is picked in the
    // file dialog and Open pressed.
    void openFromDialog(QAction *menuItem, const QString &row);

    // Ctrl+S as typed, the save dialog answered by typing a name and Return.
    void saveAsTyped(const QString &name);

    // The texts of one column of a list's top-level rows, in their order.
    static QStringList column(const QTreeWidget *list, int c = 0);

    TMainForm *form = nullptr;
    TestDriveTable *drives = nullptr;
    ScriptedPrompts *prompts = nullptr;
    StubLocator *locator = nullptr;
    // Drive V's folder on this machine.
    QString root;

private:
    void prepareSteps(const QStringList &folders, PromptsBy promptsBy);
    void showSteps();
};

}  // namespace voxa::test
