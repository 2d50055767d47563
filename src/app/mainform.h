#pragma once
// The one main window: a borderless, skinned window whose size follows the
// frame it shows. It owns the menus, the four tool buttons, the keys, the
// start-up sequence, frame switching and the shutdown.
#include "app/controlframe.h"
#include "app/framecatalog.h"
#include "app/languagefile.h"
#include "app/settings.h"

#include <QList>
#include <QPointer>
#include <QWidget>
#include <array>

class QAction;
class QLabel;
class QMenu;

namespace voxa {

class TEditorFrame;
class TOtherFrame;
class TSkinButton;
class TSkinMenu;
class TSkinMenuButton;
class TSkinPanel;

class TMainForm : public QWidget {
    Q_OBJECT
public:
    // FormCreate runs here: the window is a 3 x 3 square until the first
    // activation grows it.
    explicit TMainForm(QWidget *parent = nullptr);
    ~TMainForm() override;

    static constexpr int FullWidth = 380;
    static constexpr int FullHeight = 240;

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
    QAction *ConfigFileOpen = nullptr;
    QAction *LoadLogoFile = nullptr;
    QAction *LoadMGSFile = nullptr;
    QAction *MyRadioProfOpen = nullptr;
    QAction *PlaydisplayFileOpen = nullptr;
    QAction *SaveMenu = nullptr;
    QAction *SaveAsMenuItem = nullptr;
    QAction *DeleteMenu = nullptr;
    QAction *ConfigFile1 = nullptr;
    QAction *LogoFile1 = nullptr;
    QAction *MessageFile1 = nullptr;
    QAction *MyRadioFile1 = nullptr;
    QAction *PlaydisplayFile1 = nullptr;
    QAction *ExitMenuItem = nullptr;
    QAction *ConfigEditMenuItem = nullptr;
    QAction *LogoEditorItem = nullptr;
    QAction *MSGEditMenuItem = nullptr;
    QAction *MyProfileEditMenuItem = nullptr;
    QAction *PlayDisplEditorItem = nullptr;
    QAction *Update1 = nullptr;
    QAction *SortDirectory1 = nullptr;
    QAction *FindExportMenu = nullptr;
    QAction *MyRadioCopyMenu = nullptr;
    QAction *ChooseVOXADrive1 = nullptr;
    QAction *ProxySettingsMenu = nullptr;
    QAction *VOXATypeMenu = nullptr;
    QAction *VOXAA = nullptr;
    QAction *VOXAC1 = nullptr;
    QAction *LanguageMenu = nullptr;
    QAction *MarlekVOXAManager20Help1 = nullptr;
    QAction *AboutMenuItem = nullptr;
    QAction *ConfigFilePopUp = nullptr;
    QAction *LogoPopupItem = nullptr;
    QAction *MessagePopupItem = nullptr;
    QAction *MyRadioProfPopUp = nullptr;
    QAction *PlaydisplayFilePopUp = nullptr;

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

    // Creates the frames of the start-up sequence that are registered and not
    // created yet, each announced by its status line (tests call it too).
    void CreateFrames(bool announce);

    // Makes a frame the current one: places it, animates the window to its
    // size, gives it its background and shows it.
    void ShowFrame(QWidget *frame);
    // Closes the visible frame; false when an editor's user cancelled.
    bool CloseActiveFrame(bool keepHidden);
    // The animated resize to a frame of fw x fh, kept on the screen.
    void FitWindowToFrame(int fw, int fh);
    // A status line painted over the empty work area during start-up.
    void ShowStartupStatus(const QString &text);
    QString StartupStatus() const { return m_status; }

    // ------------------------------------------------------ start-up, end
    // The first activation runs the start-up sequence; later ones nothing.
    void FormActivate();
    bool FirstActivationPending() const { return m_firstActivationPending; }
    void OpeningAnimation();
    bool FormCloseQuery();
    void FormClose();
    void ClosingAnimation();
    void setHeaderCaption(const QString &caption);
    QString HeaderText() const;

    // --------------------------------------------------------- commands
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

    bool Resizing() const { return m_resizing; }
    // Commands wait while the window animates (the animation lets events
    // through so that it repaints).
    bool Busy() const { return m_resizing || m_starting; }
    QPoint PaintOrigin() const { return m_paintOrigin; }
    QSize TargetSize() const { return m_targetSize; }

signals:
    // After every language application, for controls drawn over the skin
    // that compose their texts themselves.
    void LanguageApplied();

protected:
    void paintEvent(QPaintEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void changeEvent(QEvent *e) override;
    void showEvent(QShowEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void FormCreate();
    void createControls();
    void createMenus();
    void registerLanguageTargets();
    void chooseFontSet();
    void runStartup();
    void setPaintOrigin();
    void moveKeepingOnScreen();
    void pictureChooser();
    void ensureFrame(FrameKind kind, bool announce);
    FrameKind editorKindOf(QAction *item) const;
    QAction *languageItem(int index) const;
    QSize screenSize() const;

    TIniFileHandler m_settings;
    ProxyValues m_proxy;
    std::array<QPointer<QWidget>, FrameKindCount> m_frames{};
    bool m_framesCreated = false;
    bool m_firstActivationPending = false;
    bool m_resizing = false;
    bool m_smallFontSet = false;
    bool m_activationHandler = false;
    bool m_closing = false;
    bool m_starting = false;
    QPoint m_paintOrigin;
    QSize m_targetSize;
    QPoint m_dragOffset;
    QString m_status;
    QString m_lastPictureFolder;
    const QEvent *m_lastKeyEvent = nullptr;
    QPointer<QWidget> m_lastKeyTarget;

    DeviceFileDialog *m_fileDialog = nullptr;
    QPointer<QWidget> m_elementPrompt;
    DeleteFileDialog *m_deleteDialog = nullptr;
    ProxyDialog *m_proxyDialog = nullptr;
};

// The main window while it exists.
TMainForm *MainForm();

// Loads the skin picture at program start; without it, shows the error box
// that ends the manager and returns false.
bool LoadSkinForStartup();

// Picture formats the logo editor's picture chooser offers.
QStringList LoadablePictureFilters();

}  // namespace voxa
