#pragma once
// The one main window: a borderless, skinned window whose size follows the
// frame it shows. It owns the menus, the four tool buttons, the keys, the
// start-up sequence, frame switching and the shutdown.
#include "app/controlframe.h"
#include "app/drivelocator.h"
#include "app/framecatalog.h"
#include "app/framehost.h"
#include "app/frametable.h"
#include "app/languagefile.h"
#include "app/settings.h"

#include <QList>
#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>

class QAction;
class QLabel;
class QMenu;
class QMouseEvent;
class QWindow;

namespace voxa {

class TEditorFrame;
class TOtherFrame;
class TSkinButton;
class TSkinMenu;
class TSkinMenuButton;
class TSkinPanel;

class StepAnimation;

class TMainForm : public QWidget, public StartupHost {
    Q_OBJECT
public:
    // FormCreate runs here: the window is a 3 x 3 square until the first
    // activation grows it.
    explicit TMainForm(QWidget *parent = nullptr);
    ~TMainForm() override;

    static constexpr int FullWidth = 380;
    static constexpr int FullHeight = 240;

    // The window's own controls and menu items are private: tests find them
    // by object name. The items that show a frame, and its file items, come
    // from the frame table and are kept by kind.
    QAction *ShowItem(FrameKind kind) const { return m_showItems[size_t(kind)]; }

    // The picture of the window's image list that an item shows (-1: none;
    // 12: the check mark).
    static int ImageIndex(const QAction *item);
    static void setImageIndex(QAction *item, int index);

    // ----------------------------------------------------------- frames
    TControlFrame *StartPanel = nullptr;
    TEditorFrame *ActiveEditor = nullptr;
    QWidget *Frame(FrameKind kind) const;
    TEditorFrame *Editor(FrameKind kind) const;
    TOtherFrame *OtherFrame(FrameKind kind) const;
    // The frame currently shown, or nullptr.
    QWidget *VisibleFrame() const;

    // The kind of a created frame; Count when it is none of them.
    FrameKind KindOf(const QWidget *frame) const;

    // Creates the frames of the start-up sequence that are registered and not
    // created yet, each announced by its status line (tests call it too).
    void CreateFrames(bool announce);
    // Creates one frame when its kind is registered.
    void EnsureFrame(FrameKind kind, bool announce);

    // Makes a frame the current one: places it, animates the window to its
    // size, then gives it its background, shows it and runs then. A frame
    // change asked for during an animation first finishes that animation.
    void ShowFrame(QWidget *frame, std::function<void()> then = {});
    // Closes the visible frame; false when an editor's user cancelled.
    bool CloseActiveFrame(bool keepHidden);
    // The animated resize to a frame of fw x fh, kept on the screen; runs
    // then when the window has its new size.
    void FitWindowToFrame(int fw, int fh, std::function<void()> then = {});
    // A status line painted over the empty work area during start-up.
    void ShowStartupStatus(const QString &text);
    QString StartupStatus() const { return m_status; }

    // ------------------------------------------------------ start-up, end
    // The first activation runs the start-up sequence; later ones nothing.
    void FormActivate();
    bool FirstActivationPending() const { return m_firstActivationPending; }
    void OpeningAnimation(std::function<void()> then = {});
    bool FormCloseQuery();
    // Saves the settings and runs the closing animation; then runs when the
    // window has shrunk.
    void FormClose(std::function<void()> then = {});
    void ClosingAnimation(std::function<void()> then = {});
    void setHeaderCaption(const QString &caption);
    QString HeaderText() const;

    // --------------------------------------------------------- commands
    // Every menu item, tool button, start-panel button and key comes in
    // here: nothing runs while the window animates or starts, and a command
    // leaves the menu bar closed.
    void RunCommand(const std::function<void()> &command);
    enum class ToolCommand { Open, Save, SaveAs, Exit, ProxySettings };
    void MenuItemClick(QAction *item);
    void SubMenuClick(QAction *item);
    void DeleteFileClick(QAction *item);
    void ToolButtonClick(ToolCommand command);
    void XButtonClick();
    void VOXATypeChoose(QAction *item);
    void LangChoose(QAction *item);
    void MarlekVOXAManager20Help1Click();
    // The file the help command opens.
    QString HelpFilePath() const;
    // The header's drag: past the drag distance it asks the window system
    // to move the window, and moves the window itself where that is
    // refused or does nothing.
    void HeaderMouseMove(QPoint globalPos, Qt::MouseButtons buttons);
    // A key seen before the focused control; true when it was used up.
    bool FormKeyDown(int key, Qt::KeyboardModifiers modifiers);

    // The pictures of the tool buttons and of the start panel's buttons,
    // with the current captions painted in.
    void SkinToolButtons();
    bool SmallFontSet() const { return m_smallFontSet; }
    // The font-size test: is the test text wider than the title line?
    static bool UseSmallFontSet(const QFont &windowFont, int labelWidth);

    // --------------------------------------------------------- language
    QList<LanguageEntry> LanguageList;
    void ListLanguages();
    void ApplyLanguage(const QString &name);

    // --------------------------------------------------------- settings
    TIniFileHandler &Settings() { return m_settings; }
    // Only in a normal run: everything, to the player's drive.
    void SaveSettings();
    // Window position and display type from the player's drive; moves the
    // window there.
    void LoadWindowSettings();
    // Proxy values from the player's drive into the proxy dialog (or into
    // the holder while there is none).
    void LoadProxySettings();
    // A fresh settings file for an installation on the player's drive.
    void WriteInstallSettings();
    // The proxy values when no proxy dialog exists.
    ProxyValues &ProxyHolder() { return m_proxy; }
    ProxyValues CurrentProxyValues() const;

    // ---------------------------------------------------------- dialogs
    // Creates the dialogs in their order (file dialog, element prompt,
    // delete dialog, proxy dialog) from the registered factories.
    void CreateDialogs();
    DeviceFileDialog *FileDialog() const { return m_fileDialog; }
    QWidget *ElementPrompt() const { return m_elementPrompt; }
    DeleteFileDialog *DeleteDialog() const { return m_deleteDialog; }
    ProxyDialog *ProxySetupForm() const { return m_proxyDialog; }

    // ------------------------------------------------------ the program
    void InstallActivationHandler();
    void RemoveActivationHandler();
    bool ActivationHandlerInstalled() const { return m_activationHandler; }
    // Brings the visible dialogs to the front.
    void ApplicationActivate();
    // Ends the event loop without closing (hand-over to another copy).
    void EndEventLoop();

    // ------------------------------------------------------ placement
    // Whether the platform tells where the window stands (a Wayland window
    // cannot know its place on the screen).
    static bool WindowPositionKnown();
    // Tests: pretend a platform that can (true) or cannot (false) tell; no
    // value asks the platform again.
    static void setWindowPositionKnown(std::optional<bool> known);
    // The request to the window system to move the window with the pointer;
    // true when it took over. Tests put a stand-in here; none restores it.
    using SystemMove = std::function<bool(QWindow *)>;
    static void setSystemMove(SystemMove move);

    bool Resizing() const { return m_resizing; }
    // While the window animates or the start-up runs, commands do nothing.
    bool Busy() const;
    QPoint PaintOrigin() const { return m_paintOrigin; }
    // Tests: animations and the start-up run their steps at once, without
    // timers. The steps and their order stay the same.
    static void setInstantAnimations(bool instant);
    static bool InstantAnimations();

    // ------------------------------------------------------ FrameHost
    void ShowStartPanel() override;
    void setTitleLine(const QString &text) override;
    QString titleLine() const override;
    QRect windowGeometry() const override;
    QWidget *hostWindow() override { return this; }
    DeviceFileDialog *fileDialog() const override { return m_fileDialog; }
    QWidget *elementPrompt() const override { return m_elementPrompt; }
    ProxyDialog *proxyDialog() const override { return m_proxyDialog; }
    void setFileToolsEnabled(bool enabled) override;
    void setMenusEnabled(bool enabled) override;
    QString messageEditorCaption() const override;
    QString frameCaption(FrameKind kind) const override;
    void restoreTitleFont() override;
    bool smallFontSet() const override { return m_smallFontSet; }
    QWidget *frame(FrameKind kind) const override { return Frame(kind); }
    void showFrame(QWidget *frame, std::function<void()> then = {}) override { ShowFrame(frame, std::move(then)); }
    TIniFileHandler &settings() override { return m_settings; }
    void saveSettings() override { SaveSettings(); }
    void setBusy(bool busy) override;
    bool frameBusy() const override { return m_busyFrames > 0; }
    void closeLater() override;
    // StartupHost
    void setNavigationEnabled(bool enabled) override;
    void showMenuBar() override;
    void loadWindowSettings() override { LoadWindowSettings(); }
    void writeInstallSettings() override { WriteInstallSettings(); }
    void removeActivationHandler() override { RemoveActivationHandler(); }
    void endEventLoop() override { EndEventLoop(); }

signals:
    // The start-up sequence has ended (in any of its three ways).
    void startupFinished();
    // A frame change has finished: the frame is shown.
    void frameShown(QWidget *frame);

protected:
    void paintEvent(QPaintEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void changeEvent(QEvent *e) override;
    void showEvent(QShowEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    // --------------------------------------------------------- controls
    TSkinPanel *Header = nullptr;
    QLabel *HeaderCaption = nullptr;
    QLabel *IconImage = nullptr;
    TSkinButton *XButton = nullptr;
    TSkinPanel *Border = nullptr;
    TSkinMenu *MenuBar = nullptr;
    TSkinMenuButton *FileMenu = nullptr;
    TSkinMenuButton *VOXAMenu = nullptr;
    TSkinMenuButton *OptionsMenu = nullptr;
    TSkinMenuButton *HelpMenu = nullptr;
    QLabel *FileNameLabel = nullptr;
    TSkinPanel *ToolPanel = nullptr;
    TSkinButton *OpenButton = nullptr;
    TSkinButton *SaveButton = nullptr;
    TSkinButton *SaveAsButton = nullptr;
    TSkinButton *ExitButton = nullptr;

    // ------------------------------------------------------------ menus
    QMenu *FilePopup = nullptr;
    QMenu *VOXAPopup = nullptr;
    QMenu *OptionsPopup = nullptr;
    QMenu *HelpPopup = nullptr;
    QMenu *OpenPopup = nullptr;
    QMenu *LoadSubMenu = nullptr;
    QMenu *DeleteSubMenu = nullptr;
    QMenu *VOXATypeSubMenu = nullptr;
    QMenu *LanguageSubMenu = nullptr;

    QAction *LoadMenu = nullptr;
    QAction *SaveMenu = nullptr;
    QAction *SaveAsMenuItem = nullptr;
    QAction *DeleteMenu = nullptr;
    QAction *ExitMenuItem = nullptr;
    QAction *ChooseVOXADrive1 = nullptr;
    QAction *ProxySettingsMenu = nullptr;
    QAction *VOXATypeMenu = nullptr;
    QAction *VOXAA = nullptr;
    QAction *VOXAC1 = nullptr;
    QAction *LanguageMenu = nullptr;
    QAction *MarlekVOXAManager20Help1 = nullptr;

    // By FrameKind: the items that show a frame, and the editors' items of
    // File > Open, the Open popup and File > Delete; nullptr where a kind
    // has none.
    using ItemsByKind = std::array<QAction *, FrameKindCount>;
    ItemsByKind m_showItems{};
    ItemsByKind m_openItems{};
    ItemsByKind m_popupItems{};
    ItemsByKind m_deleteItems{};

    void FormCreate();
    void createControls();
    void createMenus();
    void registerLanguageTargets();
    void chooseFontSet();
    void startupSteps();
    void runNormalStartup();
    void finishStartup();
    void setPaintOrigin();
    QAction *addItem(QMenu *menu, const char *caption, const char *name,
                     const std::function<void(QAction *)> &handler);
    // Adds the items of the frames shown from a menu, in their order.
    void addFrameItems(QMenu *menu, FrameMenu which);
    // The row whose show, open, popup or delete item this is.
    const struct FrameRow *rowOfItem(QAction *item) const;
    QAction *languageItem(int index) const;
    QSize screenSize() const;
    void finishFrameChange(QWidget *frame);
    void headerMouseEvent(QMouseEvent *e);
    // The size a saved position must leave room for: the window's, at least
    // the full size the next start opens at.
    QSize placementSize() const;
    // The position to save for a window at current: kept on the screens,
    // and the one in the settings where the platform cannot tell.
    QPoint savedPosition(QPoint current);
    void reportSettingsNotSaved();

    TIniFileHandler m_settings;
    ProxyValues m_proxy;
    std::array<QPointer<QWidget>, FrameKindCount> m_frames{};
    bool m_framesCreated = false;
    bool m_firstActivationPending = false;
    bool m_resizing = false;
    bool m_smallFontSet = false;
    bool m_activationHandler = false;
    bool m_closing = false;
    bool m_closed = false;
    bool m_starting = false;
    int m_busyFrames = 0;  // setBusy(true) calls not yet ended
    QPoint m_paintOrigin;
    StepAnimation *m_animation = nullptr;
    QPoint m_dragOffset;
    // Press: not yet past the drag distance; System: the window system was
    // asked to move the window; Manual: the window follows the pointer.
    enum class Drag { None, Press, System, Manual };
    Drag m_drag = Drag::None;
    QPoint m_dragFrom;  // the pointer where the press or the system move began
    QPoint m_systemMoveFrom;  // the window where the system move began
    QString m_status;
    const QEvent *m_lastKeyEvent = nullptr;
    QPointer<QWidget> m_lastKeyTarget;

    DeviceFileDialog *m_fileDialog = nullptr;
    QPointer<QWidget> m_elementPrompt;
    DeleteFileDialog *m_deleteDialog = nullptr;
    ProxyDialog *m_proxyDialog = nullptr;
};

// Loads the skin picture at program start; without it, shows the error box
// that ends the manager and returns false.
bool LoadSkinForStartup();

// Where a window of this size may stand: the saved top-left corner when the
// whole window lies on the screens' available areas, otherwise moved the
// least onto the area it overlaps most (or lies nearest to). A window larger
// than that area keeps its top-left corner, header and menus, on it. No
// areas: the position as it is.
QPoint KeepOnScreen(QPoint topLeft, QSize window, const QList<QRect> &available);

// The available areas of all screens, in desktop coordinates.
QList<QRect> AvailableScreenAreas();


}  // namespace voxa
