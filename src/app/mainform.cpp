#include "app/mainform.h"

#include "app/aboutframe.h"
#include "app/appstate.h"
#include "app/controlframe.h"
#include "app/drivelocator.h"
#include "app/languagetargets.h"
#include "app/messagetable.h"
#include "app/otherframe.h"
#include "app/version.h"
#include "editors/editorframe.h"
#include "platform/fileops.h"
#include "platform/paths.h"
#include "platform/processes.h"
#include "platform/prompts.h"
#include "ui/artwork.h"
#include "ui/skin.h"
#include "ui/skinbutton.h"
#include "ui/skinfonts.h"
#include "ui/skinmenu.h"
#include "ui/skinpanel.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QStandardPaths>
#include <cmath>

namespace voxa {
namespace {

TMainForm *g_mainForm = nullptr;

const char *const ImageIndexProperty = "ImageIndex";

// The popup menus share the window's colours.
const char *const MenuStyle =
    "QMenu { background: #2d406b; color: white; border: 1px solid #5e7db8; padding: 2px 0; }"
    "QMenu::item { padding: 3px 22px 3px 24px; }"
    "QMenu::item:selected { background: #4a6ca8; }"
    "QMenu::item:disabled { color: #7b8db5; }"
    "QMenu::separator { height: 1px; background: #4a6499; margin: 3px 6px; }"
    "QMenu::right-arrow { width: 8px; height: 8px; }";

const QColor HeaderColor(20, 29, 51);

QString configFolder()
{
    return QStringLiteral(":\\voxa\\config");
}

QString myRadioFolder()
{
    return QStringLiteral(":\\voxa\\myradio");
}

// A path on the player's drive.
QString onDrive(const QString &below)
{
    return QString(appState().DriveLetter) + QStringLiteral(":\\") + below;
}

void processEvents()
{
    QCoreApplication::processEvents();
}

int sign(int v)
{
    return v < 0 ? -1 : 1;
}

bool chmViewerAvailable()
{
    for (const char *viewer : {"xchm", "kchmviewer", "uchmviewer", "chmsee"})
        if (!QStandardPaths::findExecutable(QString::fromLatin1(viewer)).isEmpty())
            return true;
    return false;
}

}  // namespace

TMainForm *MainForm()
{
    return g_mainForm;
}

bool LoadSkinForStartup()
{
    if (LoadSkin())
        return true;
    MessageBox box;
    box.text = QStringLiteral("The defaultskin.bmp not found. VOXA Manager cannot run without it.");
    box.icon = BoxIcon::Error;
    box.buttons = Button::Ok;
    box.defaultButton = Button::Ok;
    prompts().message(box);
    return false;
}

QStringList LoadablePictureFilters()
{
    QStringList patterns;
    for (const QByteArray &format : QImageReader::supportedImageFormats())
        patterns << QStringLiteral("*.") + QString::fromLatin1(format);
    // JPEG pictures are decoded by the logo editor itself.
    for (const QString &jpeg : {QStringLiteral("*.jpg"), QStringLiteral("*.jpeg")})
        if (!patterns.contains(jpeg))
            patterns << jpeg;
    patterns.sort();
    return {QStringLiteral("Pictures (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')'),
            QStringLiteral("JPEG (*.jpg *.jpeg)"), QStringLiteral("Bitmaps (*.bmp)")};
}

// ===================================================================== create

TMainForm::TMainForm(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
{
    g_mainForm = this;
    FormCreate();
    qApp->installEventFilter(this);
}

TMainForm::~TMainForm()
{
    qApp->removeEventFilter(this);
    RemoveActivationHandler();
    if (g_mainForm == this)
        g_mainForm = nullptr;
}

void TMainForm::FormCreate()
{
    setWindowTitle(QString::fromLatin1(ApplicationTitle));
    setWindowIcon(QIcon(QPixmap::fromImage(ManagerIcon(32))));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, BackgroundColor());
    pal.setColor(QPalette::WindowText, Qt::white);
    pal.setColor(QPalette::Disabled, QPalette::WindowText, Qt::white);
    pal.setColor(QPalette::ButtonText, Qt::white);
    setPalette(pal);
    setFont(ShellDlgFont(8));

    m_settings.setWindowPositionSource([this] { return pos(); });
    createControls();
    createMenus();
    registerLanguageTargets();
    chooseFontSet();

    XButton->setNormalPic(MakeButtonPicture(skin::XButtonNormal, skin::XButtonSize));
    XButton->setMouseOverPic(MakeButtonPicture(skin::XButtonHover, skin::XButtonSize));
    XButton->setMouseDownPic(MakeButtonPicture(skin::XButtonNormal, skin::XButtonSize));
    XButton->Refresh();
    XButton->move(FullWidth - XButton->width() - 4, 5);
    SkinToolButtons();

    m_targetSize = QSize(FullWidth, FullHeight);
    const QSize screen = screenSize();
    move(screen.width() / 2 - FullWidth / 2, screen.height() / 2 - FullHeight / 2);
    resize(3, 3);
    m_firstActivationPending = true;
    m_resizing = false;
}

void TMainForm::createControls()
{
    Header = new TSkinPanel(this);
    Header->setObjectName(QStringLiteral("Header"));
    Header->setGeometry(0, 0, FullWidth, 21);
    Header->setColor(HeaderColor);
    Header->setBackground(MakeHeaderBackground(FullWidth, 21));
    Header->setMouseTracking(true);
    Header->installEventFilter(this);

    HeaderCaption = new QLabel(Header);
    HeaderCaption->setGeometry(0, 0, FullWidth, 21);
    HeaderCaption->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    HeaderCaption->setAttribute(Qt::WA_TransparentForMouseEvents, true);
    setHeaderCaption(QStringLiteral("      VOXA Manager"));

    IconImage = new QLabel(Header);
    IconImage->setGeometry(2, 3, 16, 16);
    IconImage->setPixmap(QPixmap::fromImage(ManagerIcon(16)));
    IconImage->setAttribute(Qt::WA_TransparentForMouseEvents, true);

    XButton = new TSkinButton(Header);
    XButton->setSkinned(true);
    XButton->setTransparent(true);
    XButton->setBaseColor(HeaderColor);
    XButton->setClickHandler([this] { XButtonClick(); });

    Border = new TSkinPanel(this);
    Border->setObjectName(QStringLiteral("Border"));
    Border->setGeometry(-1, 21, FullWidth, 68);
    Border->setBackground(MakeBorderBackground(FullWidth, 68));

    MenuBar = new TSkinMenu(Border);
    MenuBar->setGeometry(1, 1, 760, 20);
    FileMenu = new TSkinMenuButton(MenuBar);
    FileMenu->setCaption(QStringLiteral("File"));
    VOXAMenu = new TSkinMenuButton(MenuBar);
    VOXAMenu->setCaption(QStringLiteral("VOXA"));
    OptionsMenu = new TSkinMenuButton(MenuBar);
    OptionsMenu->setCaption(QStringLiteral("Options"));
    HelpMenu = new TSkinMenuButton(MenuBar);
    HelpMenu->setCaption(QStringLiteral("Help"));
    MenuBar->LayoutButtons();

    FileNameLabel = new QLabel(Border);
    FileNameLabel->setGeometry(4, 42, 368, 23);
    FileNameLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QPalette white = FileNameLabel->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    white.setColor(QPalette::Disabled, QPalette::WindowText, Qt::white);
    FileNameLabel->setPalette(white);
    HeaderCaption->setPalette(white);

    ToolPanel = new TSkinPanel(this);
    ToolPanel->setObjectName(QStringLiteral("ToolPanel"));
    ToolPanel->setGeometry(0, 89, 35, 151);
    ToolPanel->setBackground(MakeToolPanelBackground(35, 151));

    const struct {
        TSkinButton **field;
        int top;
        const char *hint;
        ToolCommand command;
    } tools[] = {
        {&OpenButton, 8, "Open", ToolCommand::Open},
        {&SaveButton, 36, "Save", ToolCommand::Save},
        {&SaveAsButton, 64, "Save As", ToolCommand::SaveAs},
        {&ExitButton, 92, "Exit", ToolCommand::Exit},
    };
    for (const auto &t : tools) {
        auto *b = new TSkinButton(ToolPanel);
        b->setSkinned(true);
        b->setTransparent(true);
        b->setShowHint(true);
        b->setHint(QString::fromLatin1(t.hint));
        b->setGeometry(7, t.top, 24, 24);
        const ToolCommand command = t.command;
        b->setClickHandler([this, command] { ToolButtonClick(command); });
        *t.field = b;
    }
}

void TMainForm::createMenus()
{
    auto popup = [this](QMenu *&menu, const QString &title) {
        menu = new QMenu(title, this);
        menu->setStyleSheet(QString::fromLatin1(MenuStyle));
        return menu;
    };
    auto item = [](QMenu *menu, const char *caption, auto handler) {
        QAction *a = menu->addAction(QString::fromLatin1(caption));
        a->setIconVisibleInMenu(true);
        a->setShortcutContext(Qt::WidgetShortcut);  // the window's key preview handles the keys
        QObject::connect(a, &QAction::triggered, menu, [handler, a] { handler(a); });
        return a;
    };
    auto menuClick = [this](QAction *a) { MenuItemClick(a); };
    auto subMenuClick = [this](QAction *a) { SubMenuClick(a); };
    auto deleteClick = [this](QAction *a) { DeleteFileClick(a); };

    popup(FilePopup, QStringLiteral("File"));
    LoadMenu = FilePopup->addMenu(popup(LoadSubMenu, QStringLiteral("&Open")));
    LoadMenu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    LoadMenu->setShortcutContext(Qt::WidgetShortcut);
    ConfigFileOpen = item(LoadSubMenu, "&Config File..", subMenuClick);
    LoadLogoFile = item(LoadSubMenu, "&Logo File...", subMenuClick);
    LoadMGSFile = item(LoadSubMenu, "&Message File...", subMenuClick);
    MyRadioProfOpen = item(LoadSubMenu, "My&Radio File..", subMenuClick);
    PlaydisplayFileOpen = item(LoadSubMenu, "&Playdisplay File...", subMenuClick);
    SaveMenu = item(FilePopup, "&Save", [this](QAction *) { ToolButtonClick(ToolCommand::Save); });
    SaveMenu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    SaveAsMenuItem = item(FilePopup, "Save &As...", [this](QAction *) { ToolButtonClick(ToolCommand::SaveAs); });
    DeleteMenu = FilePopup->addMenu(popup(DeleteSubMenu, QStringLiteral("&Delete")));
    ConfigFile1 = item(DeleteSubMenu, "&Config File...", deleteClick);
    LogoFile1 = item(DeleteSubMenu, "&Logo File...", deleteClick);
    MessageFile1 = item(DeleteSubMenu, "&Message File...", deleteClick);
    MyRadioFile1 = item(DeleteSubMenu, "My&Radio File...", deleteClick);
    PlaydisplayFile1 = item(DeleteSubMenu, "&Playdisplay File...", deleteClick);
    FilePopup->addSeparator();
    ExitMenuItem = item(FilePopup, "&Exit", [this](QAction *) {
        MenuBar->CloseMenus();
        close();
    });

    popup(VOXAPopup, QStringLiteral("VOXA"));
    ConfigEditMenuItem = item(VOXAPopup, "&Config Editor", menuClick);
    LogoEditorItem = item(VOXAPopup, "&Logo Editor", menuClick);
    MSGEditMenuItem = item(VOXAPopup, "&Message Editor", menuClick);
    MyProfileEditMenuItem = item(VOXAPopup, "My&Radio Editor", menuClick);
    PlayDisplEditorItem = item(VOXAPopup, "&Playdisplay Editor", menuClick);
    VOXAPopup->addSeparator();
    Update1 = item(VOXAPopup, "&Update", menuClick);

    popup(OptionsPopup, QStringLiteral("Options"));
    SortDirectory1 = item(OptionsPopup, "Sort Directory", menuClick);
    FindExportMenu = item(OptionsPopup, "MP3 Find/Export", menuClick);
    MyRadioCopyMenu = item(OptionsPopup, "MyRadio Copy", menuClick);
    ChooseVOXADrive1 = item(OptionsPopup, "Choose VOXA Drive", menuClick);
    OptionsPopup->addSeparator();
    ProxySettingsMenu = item(OptionsPopup, "Proxy Settings", [this](QAction *) {
        ToolButtonClick(ToolCommand::ProxySettings);
    });
    VOXATypeMenu = OptionsPopup->addMenu(popup(VOXATypeSubMenu, QStringLiteral("Default Display Type")));
    VOXAA = item(VOXATypeSubMenu, "VOXA-A Display", [this](QAction *a) { VOXATypeChoose(a); });
    VOXAC1 = item(VOXATypeSubMenu, "VA-DA Front Panel", [this](QAction *a) { VOXATypeChoose(a); });
    LanguageMenu = OptionsPopup->addMenu(popup(LanguageSubMenu, QStringLiteral("Language")));

    popup(HelpPopup, QStringLiteral("Help"));
    MarlekVOXAManager20Help1 = item(HelpPopup, "&Marlek VOXA Manager Help", [this](QAction *) {
        MarlekVOXAManager20Help1Click();
    });
    MarlekVOXAManager20Help1->setShortcut(QKeySequence(Qt::Key_F1));
    AboutMenuItem = item(HelpPopup, "&About VOXA Manager", menuClick);

    popup(OpenPopup, QString());
    ConfigFilePopUp = item(OpenPopup, "Config File...", subMenuClick);
    LogoPopupItem = item(OpenPopup, "Logo File...", subMenuClick);
    MessagePopupItem = item(OpenPopup, "Message File...", subMenuClick);
    MyRadioProfPopUp = item(OpenPopup, "MyRadio File...", subMenuClick);
    PlaydisplayFilePopUp = item(OpenPopup, "Playdisplay File...", subMenuClick);

    for (QMenu *m : {FilePopup, VOXAPopup, OptionsPopup, HelpPopup, OpenPopup, LoadSubMenu, DeleteSubMenu,
                     VOXATypeSubMenu, LanguageSubMenu})
        for (QAction *a : m->actions())
            a->setProperty(ImageIndexProperty, -1);

    FileMenu->setPopupMenu(FilePopup);
    VOXAMenu->setPopupMenu(VOXAPopup);
    OptionsMenu->setPopupMenu(OptionsPopup);
    HelpMenu->setPopupMenu(HelpPopup);
}

void TMainForm::registerLanguageTargets()
{
    auto &targets = LanguageTargets::instance();
    auto caption = [&](int number, std::initializer_list<QAction *> items) {
        for (QAction *a : items)
            targets.add(number, this, [a](const QString &t) { a->setText(t); });
    };
    caption(0, {LoadMenu});
    caption(1, {SaveMenu});
    caption(2, {SaveAsMenuItem});
    caption(3, {DeleteMenu});
    caption(4, {ChooseVOXADrive1});
    caption(5, {ExitMenuItem});
    caption(6, {ConfigFileOpen, ConfigFile1, ConfigFilePopUp});
    caption(7, {LoadLogoFile, LogoFile1, LogoPopupItem});
    caption(8, {LoadMGSFile, MessageFile1, MessagePopupItem});
    caption(9, {MyRadioProfOpen, MyRadioFile1, MyRadioProfPopUp});
    caption(10, {PlaydisplayFileOpen, PlaydisplayFile1, PlaydisplayFilePopUp});
    caption(11, {ConfigEditMenuItem});
    caption(12, {LogoEditorItem});
    caption(13, {MSGEditMenuItem});
    caption(14, {MyProfileEditMenuItem});
    caption(15, {PlayDisplEditorItem});
    caption(50, {Update1});
    caption(103, {LanguageMenu});
    caption(190, {SortDirectory1});
    caption(191, {AboutMenuItem});
    caption(192, {MarlekVOXAManager20Help1});
    caption(197, {VOXATypeMenu});
    caption(198, {VOXAA});
    caption(199, {VOXAC1});
    caption(200, {FindExportMenu});
    caption(243, {MyRadioCopyMenu});
    caption(253, {ProxySettingsMenu});
    int number = 104;
    for (TSkinButton *b : {OpenButton, SaveButton, SaveAsButton, ExitButton})
        targets.add(number++, this, [b](const QString &t) { b->setHint(t); });
    const std::pair<int, TSkinMenuButton *> bar[] = {{112, FileMenu}, {113, VOXAMenu}, {114, HelpMenu}, {209, OptionsMenu}};
    for (const auto &[n, b] : bar)
        targets.add(n, this, [b = b](const QString &t) { b->setCaption(t); });
}

bool TMainForm::UseSmallFontSet(const QFont &windowFont, int labelWidth)
{
    const QString test = msg(Msg::FontTest);
    const int measured = QFontMetrics(windowFont).horizontalAdvance(test);
    // The layout was drawn for a face in which the test text takes 364 of the
    // title line's 368 pixels at the design size of 11 pixels. The faces that
    // stand in for it on Linux run wider, so the text is measured against the
    // same face at the design size: only a larger font than designed (a high
    // screen resolution) picks the small set.
    QFont design = windowFont;
    design.setPixelSize(11);
    const int designWidth = std::max(1, QFontMetrics(design).horizontalAdvance(test));
    return qint64(measured) * 364 > qint64(labelWidth) * designWidth;
}

void TMainForm::chooseFontSet()
{
    m_smallFontSet = UseSmallFontSet(font(), FileNameLabel->width());
    setFont(ShellDlgFont(m_smallFontSet ? 6 : 8));
    FileNameLabel->setFont(ShellDlgFont(m_smallFontSet ? 8 : 12, true));
    IconImage->move(2, m_smallFontSet ? 1 : 3);
    QFont bold = font();
    bold.setBold(true);
    HeaderCaption->setFont(bold);
    MenuBar->LayoutButtons();
}

QSize TMainForm::screenSize() const
{
    const QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen();
    return s ? s->geometry().size() : QSize(1024, 768);
}

void TMainForm::setHeaderCaption(const QString &caption)
{
    HeaderCaption->setText(caption);
}

QString TMainForm::HeaderText() const
{
    return HeaderCaption->text();
}

int TMainForm::ImageIndex(const QAction *item)
{
    const QVariant v = item ? item->property(ImageIndexProperty) : QVariant();
    return v.isValid() ? v.toInt() : -1;
}

void TMainForm::setImageIndex(QAction *item, int index)
{
    if (!item)
        return;
    item->setProperty(ImageIndexProperty, index);
    item->setIcon(MenuImage(index));
}

// ==================================================================== frames

QWidget *TMainForm::Frame(FrameKind kind) const
{
    return m_frames[size_t(kind)];
}

TEditorFrame *TMainForm::Editor(FrameKind kind) const
{
    return dynamic_cast<TEditorFrame *>(Frame(kind));
}

TOtherFrame *TMainForm::OtherFrame(FrameKind kind) const
{
    return qobject_cast<TOtherFrame *>(Frame(kind));
}

QWidget *TMainForm::VisibleFrame() const
{
    if (StartPanel && StartPanel->isVisibleTo(this))
        return StartPanel;
    for (const auto &f : m_frames)
        if (f && f->isVisibleTo(this))
            return f;
    return nullptr;
}

void TMainForm::ensureFrame(FrameKind kind, bool announce)
{
    static const struct {
        FrameKind kind;
        const char *status;
        const char *extension;
    } steps[] = {
        {FrameKind::Sort, "Initializing Sort Directory...", nullptr},
        {FrameKind::PlaydisplayEditor, "Initializing Playdisplay Editor...", "ply"},
        {FrameKind::MyRadioEditor, "Initializing MyRadio Editor...", "mra"},
        {FrameKind::LogoEditor, "Initializing Logo Editor...", "lce"},
        {FrameKind::ConfigEditor, "Initializing Config Editor...", "cfg"},
        {FrameKind::MessageEditor, "Initializing Message Editor...", "mgs"},
        {FrameKind::About, "Initializing About...", nullptr},
        {FrameKind::Update, "Initializing Updater...", nullptr},
        {FrameKind::FindExport, "Initializing Find/Export...", nullptr},
        {FrameKind::MyRadioCopy, "Initializing MyRadio Copy...", nullptr},
    };
    if (Frame(kind))
        return;
    FrameFactory factory = FrameFactoryFor(kind);
    if (!factory && kind == FrameKind::About)
        factory = [](TMainForm &m) -> QWidget * { return new TAboutFrame(&m); };
    if (!factory)
        return;
    for (const auto &step : steps) {
        if (step.kind != kind)
            continue;
        if (announce)
            ShowStartupStatus(QString::fromLatin1(step.status));
        QWidget *frame = factory(*this);
        if (!frame)
            return;
        if (frame->parentWidget() != this)
            frame->setParent(this);
        frame->hide();
        m_frames[size_t(kind)] = frame;
        if (step.extension) {
            if (auto *editor = dynamic_cast<TEditorFrame *>(frame)) {
                editor->setFolder(kind == FrameKind::MyRadioEditor ? myRadioFolder() : configFolder());
                editor->setExtension(QString::fromLatin1(step.extension));
            }
        }
        return;
    }
}

void TMainForm::CreateFrames(bool announce)
{
    for (FrameKind kind : {FrameKind::Sort, FrameKind::PlaydisplayEditor, FrameKind::MyRadioEditor,
                           FrameKind::LogoEditor, FrameKind::ConfigEditor, FrameKind::MessageEditor,
                           FrameKind::About, FrameKind::Update, FrameKind::FindExport, FrameKind::MyRadioCopy})
        ensureFrame(kind, announce);
    m_framesCreated = true;
}

void TMainForm::ShowFrame(QWidget *frame)
{
    if (!frame)
        return;
    m_status.clear();
    OpenButton->setEnabled(true);
    SaveButton->setEnabled(true);
    SaveAsButton->setEnabled(true);
    frame->move(ToolPanel->x() + ToolPanel->width(), Border->y() + Border->height());
    FitWindowToFrame(frame->width(), frame->height());
    const QImage background = MakeFrameBackground(frame->width(), frame->height());
    if (auto *editor = dynamic_cast<TEditorFrame *>(frame)) {
        ActiveEditor = editor;
        editor->MainPanel()->setBackground(background);
    } else {
        ActiveEditor = nullptr;
        if (auto *start = qobject_cast<TControlFrame *>(frame))
            start->ButtonPanel->setBackground(background);
        else if (auto *other = qobject_cast<TOtherFrame *>(frame))
            other->MainPanel->setBackground(background);
    }
    frame->show();
    frame->raise();
}

bool TMainForm::CloseActiveFrame(bool keepHidden)
{
    if (!m_framesCreated)
        return true;
    if (StartPanel && StartPanel->isVisibleTo(this)) {
        StartPanel->hide();
        return true;
    }
    for (FrameKind kind : {FrameKind::PlaydisplayEditor, FrameKind::MyRadioEditor, FrameKind::ConfigEditor,
                           FrameKind::MessageEditor, FrameKind::LogoEditor})
        if (TEditorFrame *editor = Editor(kind); editor && editor->isVisibleTo(this))
            return editor->CloseEditor(keepHidden);
    for (FrameKind kind : {FrameKind::Chooser, FrameKind::Sort, FrameKind::Update, FrameKind::About,
                           FrameKind::FindExport, FrameKind::MyRadioCopy})
        if (TOtherFrame *frame = OtherFrame(kind); frame && frame->isVisibleTo(this))
            return frame->CloseFrame(keepHidden);
    return true;
}

void TMainForm::setPaintOrigin()
{
    m_paintOrigin = QPoint(ToolPanel->width(), Border->y() + Border->height());
}

void TMainForm::FitWindowToFrame(int fw, int fh)
{
    setPaintOrigin();
    m_resizing = true;
    const int targetWidth = ToolPanel->x() + ToolPanel->width() + fw;
    const int targetHeight = Border->y() + Border->height() + fh;
    int w = width(), h = height();
    if (targetWidth == w && targetHeight == h) {
        m_resizing = false;
        return;
    }
    const int dx = targetWidth - w, dy = targetHeight - h;
    int widthStep, heightStep, delay;
    if (std::abs(dx) > std::abs(dy)) {
        widthStep = 5;
        heightStep = std::abs(int(std::lround(5.0 * dy / dx)));
        delay = 500 / (std::abs(dx) / 5 + 1);
    } else {
        heightStep = 5;
        widthStep = std::abs(int(std::lround(5.0 * dx / dy)));
        delay = 500 / (std::abs(dy) / 5 + 1);
    }
    widthStep = std::max(widthStep, 1);
    heightStep = std::max(heightStep, 1);

    const QSize screen = screenSize();
    int left = x(), top = y();
    // The steps are counted on our own numbers, so a window system that
    // holds the window at another size cannot keep this loop going.
    while (w != targetWidth || h != targetHeight) {
        if (heightStep < std::abs(targetHeight - h))
            h += sign(targetHeight - h) * heightStep;
        else
            h = targetHeight;
        if (widthStep < std::abs(targetWidth - w))
            w += sign(targetWidth - w) * widthStep;
        else
            w = targetWidth;
        if (top + h > screen.height())
            top = screen.height() - h;
        if (left + w > screen.width())
            left = screen.width() - w;
        setGeometry(left, top, w, h);
        Header->resize(w, Header->height());
        HeaderCaption->resize(w, HeaderCaption->height());
        XButton->move(w - XButton->width() - 4, XButton->y());
        processEvents();
        platform::processes().sleepMs(delay);
    }
    m_resizing = false;
    Header->setBackground(MakeHeaderBackground(Header->width(), Header->height()));
    Border->resize(ToolPanel->x() + ToolPanel->width() + fw, Border->height());
    Border->setBackground(MakeBorderBackground(Border->width(), Border->height()));
    ToolPanel->resize(ToolPanel->width(), fh);
    ToolPanel->setBackground(MakeToolPanelBackground(ToolPanel->width(), fh));
    update();
}

void TMainForm::ShowStartupStatus(const QString &text)
{
    m_status = text;
    repaint();
}

void TMainForm::paintEvent(QPaintEvent *)
{
    if (!m_resizing && m_status.isEmpty())
        return;
    QPainter p(this);
    const QPoint origin = m_resizing ? m_paintOrigin
                                     : QPoint(ToolPanel->x() + ToolPanel->width(), Border->y() + Border->height());
    const QSize work(width() - origin.x(), height() - origin.y());
    if (work.width() > 0 && work.height() > 0) {
        const QImage pieces = MakeFrameBackground(work.width(), work.height());
        if (!pieces.isNull())
            p.drawImage(origin, pieces);
        else
            p.fillRect(QRect(origin, work), BackgroundColor());
    }
    if (!m_status.isEmpty()) {
        p.setFont(ImpactFont(FileNameLabel->font().pointSize()));
        p.setPen(QColor(176, 197, 218));
        const int left = ToolPanel->x() + ToolPanel->width();
        const QRect band(left, height() - 50, width() - 10 - left, 20);
        p.drawText(band, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, m_status);
    }
}

// ============================================================ start and end

void TMainForm::showEvent(QShowEvent *e)
{
    QWidget::showEvent(e);
    if (m_firstActivationPending) {
        raise();
        activateWindow();
    }
}

void TMainForm::changeEvent(QEvent *e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

void TMainForm::FormActivate()
{
    if (!m_firstActivationPending)
        return;
    m_firstActivationPending = false;
    m_starting = true;
    runStartup();
    m_starting = false;
}

void TMainForm::OpeningAnimation()
{
    const QPoint start = pos();
    int left = start.x() + FullWidth / 2 + 2;
    int top = start.y() + FullHeight / 2 + 1;
    int w = width(), h = height();
    setGeometry(left, top, w, h);
    while (w < FullWidth) {
        w = std::min(w + 8, FullWidth);
        left -= 4;
        setGeometry(left, top, w, h);
        processEvents();
    }
    setPaintOrigin();
    m_resizing = true;
    while (h < FullHeight) {
        h = std::min(h + 8, FullHeight);
        top -= 4;
        setGeometry(left, top, w, h);
        processEvents();
    }
    m_resizing = false;
    // The height's steps leave the window one pixel below where it started;
    // ending exactly there keeps a saved position from creeping down a pixel
    // at every start.
    if (pos() != start)
        move(start);
    update();
}

void TMainForm::runStartup()
{
    MenuBar->hide();
    InstallActivationHandler();

    StartPanel = new TControlFrame(this);
    StartPanel->ButtonPanel->setBackground(MakeFrameBackground(StartPanel->width(), StartPanel->height()));
    StartPanel->SkinButtons(m_smallFontSet);
    if (TOtherFrame *chooser = driveLocator().createChooser(*this)) {
        if (chooser->parentWidget() != this)
            chooser->setParent(this);
        chooser->hide();
        m_frames[size_t(FrameKind::Chooser)] = chooser;
    }

    appState().NormalRun = driveLocator().LocateManager(*this, false);
    if (appState().Terminating)
        return;
    OpeningAnimation();

    if (!appState().NormalRun) {
        FileNameLabel->setText(QStringLiteral("Install VOXA Manager v. ") + QString::fromLatin1(ManagerVersionText));
        ensureFrame(FrameKind::Sort, false);
        driveLocator().LocateManager(*this, true);
        return;
    }

    setHeaderCaption(QStringLiteral("     Starting VOXA Manager"));
    processEvents();
    CreateFrames(true);

    ShowStartupStatus(QStringLiteral("Applying proxy settings..."));
    LoadProxySettings();
    ShowStartupStatus(QStringLiteral("Directory found. Looking for language files..."));
    LanguageSubMenu->clear();
    ListLanguages();
    ShowStartupStatus(QStringLiteral("Reading language files..."));
    m_settings.SetDrive(appState().DriveLetter);
    ApplyLanguage(m_settings.language());
    LoadWindowSettings();

    VOXATypeChoose(appState().DisplayType == 1 ? VOXAA : VOXAC1);

    const bool messageEditor = !appState().MessageEditorDisabled;
    if (messageEditor) {
        ShowStartupStatus(QStringLiteral("Reading default.mgs..."));
        if (auto *reference = dynamic_cast<MessageReferenceSet *>(Frame(FrameKind::MessageEditor)))
            reference->LoadReferenceSet(onDrive(QStringLiteral("voxa\\manager\\default.mgs")), true);
    }
    for (QAction *a : {MSGEditMenuItem, MessagePopupItem, LoadMGSFile})
        a->setEnabled(messageEditor);
    StartPanel->MessageButton->setEnabled(messageEditor);

    if (fs::exists(onDrive(QStringLiteral("voxa\\manager\\copy.his")))) {
        ShowStartupStatus(QStringLiteral("Completing installation..."));
        driveLocator().CompleteInstallation(*this);
    }

    ShowStartupStatus(QStringLiteral("Looking for uncompleted Sort Directory..."));
    QWidget *sort = Frame(FrameKind::Sort);
    if (sort && fs::exists(onDrive(QStringLiteral("voxa\\Temp\\Sort.dat")))) {
        ShowFrame(sort);
        if (auto *resume = dynamic_cast<SortResumeStep *>(sort))
            resume->ResumeInterruptedSort();
    } else {
        ShowFrame(StartPanel);
    }

    setHeaderCaption(QStringLiteral("     VOXA Manager"));
    MenuBar->setEnabled(true);
    ToolPanel->setEnabled(true);
    MenuBar->show();
}

bool TMainForm::FormCloseQuery()
{
    return CloseActiveFrame(true);
}

void TMainForm::FormClose()
{
    if (appState().Terminating)
        return;
    appState().savedTop = y();
    appState().savedLeft = x();
    SaveSettings();
    ClosingAnimation();
}

void TMainForm::ClosingAnimation()
{
    setPaintOrigin();
    m_resizing = true;
    int left = x(), top = y(), w = width(), h = height();
    while (h > 3) {
        top += 6;
        h = h < 16 ? 3 : h - 12;
        setGeometry(left, top, w, h);
        repaint();
        platform::processes().sleepMs(20);
    }
    m_resizing = false;
    while (w > 3) {
        left += 4;
        w = w < 12 ? 3 : w - 8;
        setGeometry(left, top, w, h);
        repaint();
    }
}

void TMainForm::closeEvent(QCloseEvent *e)
{
    if (m_closing) {
        e->accept();
        return;
    }
    // Closing half-way through the start-up or an animation would leave the
    // sequence running on a closed window.
    if (m_starting || m_resizing) {
        e->ignore();
        return;
    }
    MenuBar->CloseMenus();
    if (!FormCloseQuery()) {
        e->ignore();
        return;
    }
    m_closing = true;
    FormClose();
    e->accept();
}

// ================================================================= commands

FrameKind TMainForm::editorKindOf(QAction *item) const
{
    if (item == ConfigFileOpen || item == ConfigFilePopUp || item == ConfigEditMenuItem)
        return FrameKind::ConfigEditor;
    if (item == LoadLogoFile || item == LogoPopupItem || item == LogoEditorItem)
        return FrameKind::LogoEditor;
    if (item == LoadMGSFile || item == MessagePopupItem || item == MSGEditMenuItem)
        return FrameKind::MessageEditor;
    if (item == MyRadioProfOpen || item == MyRadioProfPopUp || item == MyProfileEditMenuItem)
        return FrameKind::MyRadioEditor;
    return FrameKind::PlaydisplayEditor;
}

void TMainForm::MenuItemClick(QAction *item)
{
    MenuBar->CloseMenus();
    if (m_resizing)
        return;
    if (!item)
        return;
    QWidget *target = nullptr;
    if (item == AboutMenuItem)
        target = Frame(FrameKind::About);
    else if (item == SortDirectory1)
        target = Frame(FrameKind::Sort);
    else if (item == Update1)
        target = Frame(FrameKind::Update);
    else if (item == FindExportMenu)
        target = Frame(FrameKind::FindExport);
    else if (item == MyRadioCopyMenu)
        target = Frame(FrameKind::MyRadioCopy);
    else if (item != ChooseVOXADrive1)
        target = Frame(editorKindOf(item));
    // A frame that this build does not have: the command does nothing.
    if (!target && item != ChooseVOXADrive1)
        return;
    if (!CloseActiveFrame(true))
        return;
    if (item == ChooseVOXADrive1) {
        appState().savedTop = y();
        appState().savedLeft = x();
        driveLocator().LocateManager(*this, true);
        return;
    }
    if (item == LogoEditorItem) {
        pictureChooser();
        return;
    }
    ShowFrame(target);
}

void TMainForm::pictureChooser()
{
    FileRequest request;
    request.mode = FileRequest::Open;
    request.title = msg(Msg::ChooseLogoImage);
    request.folder = m_lastPictureFolder.isEmpty() ? QString(appState().DriveLetter) + QStringLiteral(":\\")
                                                   : m_lastPictureFolder;
    request.filters = LoadablePictureFilters();
    const QString path = prompts().chooseFile(request);
    if (!path.isEmpty())
        m_lastPictureFolder = QFileInfo(path).absolutePath();
    QWidget *logo = Frame(FrameKind::LogoEditor);
    auto *import = dynamic_cast<PictureImport *>(logo);
    if (!path.isEmpty() && import && import->ImportPicture(path))
        ShowFrame(logo);
    else
        ShowFrame(StartPanel);
}

void TMainForm::SubMenuClick(QAction *item)
{
    MenuBar->CloseMenus();
    if (m_resizing)
        return;
    TEditorFrame *editor = Editor(editorKindOf(item));
    if (!editor || !m_fileDialog)
        return;
    m_fileDialog->setMode(DeviceFileDialog::Mode::Open);
    m_fileDialog->setExtension(editor->Extension());
    m_fileDialog->setFolder(QString(appState().DriveLetter) + editor->Folder());
    m_fileDialog->ShowModalAt(pos() + QPoint(70, 90));
    const QString path = m_fileDialog->ResultPath();
    if (path.isEmpty() || !CloseActiveFrame(true))
        return;
    editor->setFileName(path);
    if (editor->Load())
        ShowFrame(editor);
    else
        ShowFrame(StartPanel);
}

void TMainForm::DeleteFileClick(QAction *item)
{
    MenuBar->CloseMenus();
    if (m_resizing)
        return;
    if (!m_deleteDialog)
        return;
    const bool myRadio = item == MyRadioFile1;
    const char *extension = item == ConfigFile1    ? "cfg"
                            : item == LogoFile1    ? "lce"
                            : item == MessageFile1 ? "mgs"
                            : myRadio              ? "mra"
                                                   : "ply";
    m_deleteDialog->setFolder(QString(appState().DriveLetter) + (myRadio ? myRadioFolder() : configFolder()));
    m_deleteDialog->setExtension(QString::fromLatin1(extension));
    m_deleteDialog->ShowModal();
}

void TMainForm::ToolButtonClick(ToolCommand command)
{
    MenuBar->CloseMenus();
    if (m_resizing)
        return;
    switch (command) {
    case ToolCommand::Open:
        if (!ActiveEditor) {
            OpenPopup->popup(OpenButton->mapToGlobal(QPoint(OpenButton->width(), 0)));
            return;
        }
        for (QAction *a : {ConfigFileOpen, LoadLogoFile, LoadMGSFile, MyRadioProfOpen, PlaydisplayFileOpen})
            if (Editor(editorKindOf(a)) == ActiveEditor) {
                SubMenuClick(a);
                return;
            }
        return;
    case ToolCommand::Save:
        if (ActiveEditor)
            ActiveEditor->SaveDocument();
        return;
    case ToolCommand::SaveAs:
        if (ActiveEditor) {
            const QString remembered = ActiveEditor->FileName();
            ActiveEditor->setFileName(QString());
            if (!ActiveEditor->SaveDocument())
                ActiveEditor->setFileName(remembered);
        }
        return;
    case ToolCommand::Exit:
        if (StartPanel && !StartPanel->isVisibleTo(this))
            CloseActiveFrame(false);
        else
            close();
        return;
    case ToolCommand::ProxySettings:
        if (m_proxyDialog)
            m_proxyDialog->ShowModal();
        return;
    }
}

void TMainForm::XButtonClick()
{
    MenuBar->CloseMenus();
    close();
}

void TMainForm::VOXATypeChoose(QAction *item)
{
    MenuBar->CloseMenus();
    const QList<QAction *> items = VOXATypeSubMenu->actions();
    const qsizetype index = items.indexOf(item);
    if (index < 0)
        return;
    for (QAction *a : items)
        setImageIndex(a, a == item ? CheckMarkImage : -1);
    appState().DisplayType = quint8(index + 1);
}

void TMainForm::LangChoose(QAction *item)
{
    MenuBar->CloseMenus();
    if (!item)
        return;
    QString name = item->text();
    const qsizetype amp = name.indexOf(QLatin1Char('&'));
    if (amp >= 0)
        name.remove(amp, 1);
    ApplyLanguage(name);
    setImageIndex(item, CheckMarkImage);
}

QString TMainForm::HelpFilePath() const
{
    const QString chm = onDrive(QStringLiteral("voxa\\manager\\Language\\")) + HelpFileName();
    // Linux rarely has a compiled-help viewer; a page of the same base name
    // serves instead when there is one.
    if (!fs::exists(chm) || !chmViewerAvailable()) {
        const qsizetype dot = chm.lastIndexOf(QLatin1Char('.'));
        const QString base = dot > chm.lastIndexOf(QLatin1Char('\\')) ? chm.left(dot) : chm;
        for (const QString &ext : {QStringLiteral(".html"), QStringLiteral(".htm")})
            if (fs::exists(base + ext))
                return base + ext;
    }
    return chm;
}

void TMainForm::MarlekVOXAManager20Help1Click()
{
    MenuBar->CloseMenus();
    platform::processes().openWithAssociated(HelpFilePath());
}

void TMainForm::HeaderMouseMove(QPoint globalPos, Qt::MouseButtons buttons)
{
    if (buttons & Qt::LeftButton)
        move(globalPos - m_dragOffset);
    else if (buttons == Qt::NoButton)
        m_dragOffset = globalPos - pos();
}

bool TMainForm::FormKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    const auto visible = [this](FrameKind kind) {
        QWidget *f = Frame(kind);
        return f && f->isVisibleTo(this);
    };
    const bool control = modifiers & Qt::ControlModifier;
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!(StartPanel && StartPanel->isVisibleTo(this))) {
            for (FrameKind kind : {FrameKind::About, FrameKind::Update, FrameKind::Sort, FrameKind::Chooser})
                if (TOtherFrame *f = OtherFrame(kind); f && f->isVisibleTo(this)) {
                    f->OKButton->Click();
                    break;
                }
        }
        return !visible(FrameKind::MyRadioEditor);
    case Qt::Key_Escape:
        ToolButtonClick(ToolCommand::Exit);
        return true;
    case Qt::Key_F1:
        MarlekVOXAManager20Help1Click();
        return true;
    default:
        break;
    }
    if (control && key == Qt::Key_S && ActiveEditor) {
        ActiveEditor->SaveDocument();
        return true;
    }
    if (control && key == Qt::Key_O && ToolPanel->isEnabled() && OpenButton->isEnabled()) {
        ToolButtonClick(ToolCommand::Open);
        return true;
    }
    if (TEditorFrame *play = Editor(FrameKind::PlaydisplayEditor); play && play->isVisibleTo(this))
        return play->ImageKeyDown(key, modifiers);
    return false;
}

bool TMainForm::eventFilter(QObject *watched, QEvent *e)
{
    if (e->type() == QEvent::KeyPress) {
        auto *w = qobject_cast<QWidget *>(watched);
        if (!w || w->window() != this)
            return false;
        // The same event travels up to the parents when nobody takes it; it is
        // looked at once, on its first receiver.
        if (e == m_lastKeyEvent && m_lastKeyTarget && w != m_lastKeyTarget && w->isAncestorOf(m_lastKeyTarget))
            return false;
        m_lastKeyEvent = e;
        m_lastKeyTarget = w;
        auto *key = static_cast<QKeyEvent *>(e);
        return FormKeyDown(key->key(), key->modifiers());
    }
    if (watched == Header) {
        if (e->type() == QEvent::MouseMove || e->type() == QEvent::MouseButtonPress) {
            auto *m = static_cast<QMouseEvent *>(e);
            const QPoint global = m->globalPosition().toPoint();
            if (e->type() == QEvent::MouseButtonPress)
                m_dragOffset = global - pos();
            else
                HeaderMouseMove(global, m->buttons());
        }
    }
    return false;
}

void TMainForm::SkinToolButtons()
{
    const std::pair<TSkinButton *, skin::Tool> tools[] = {
        {OpenButton, skin::Tool::Open},
        {SaveButton, skin::Tool::Save},
        {SaveAsButton, skin::Tool::SaveAs},
        {ExitButton, skin::Tool::Exit},
    };
    for (const auto &[button, tool] : tools) {
        const QImage normal = MakeButtonPicture(skin::toolRegion(tool, false), skin::ToolButtonSize);
        button->setNormalPic(normal);
        button->setMouseOverPic(normal);
        button->setMouseDownPic(MakeButtonPicture(skin::toolRegion(tool, true), skin::ToolButtonSize));
        button->Refresh();
    }
    if (StartPanel)
        StartPanel->SkinButtons(m_smallFontSet);
}

// ================================================================= language

QAction *TMainForm::languageItem(int index) const
{
    const QList<QAction *> items = LanguageSubMenu->actions();
    return index >= 0 && index < items.size() ? items[index] : nullptr;
}

void TMainForm::ListLanguages()
{
    LanguageList = FindLanguages(onDrive(QStringLiteral("voxa\\manager\\Language")));
    for (const LanguageEntry &entry : LanguageList) {
        QAction *a = LanguageSubMenu->addAction(entry.displayName);
        a->setProperty(ImageIndexProperty, -1);
        a->setIconVisibleInMenu(true);
        connect(a, &QAction::triggered, this, [this, a] { LangChoose(a); });
    }
}

void TMainForm::ApplyLanguage(const QString &name)
{
    m_settings.SetDrive(appState().DriveLetter);
    m_settings.setLanguage(name);
    const QList<QAction *> items = LanguageSubMenu->actions();
    for (QAction *a : items)
        setImageIndex(a, -1);
    int found = -1;
    for (int i = 0; i < std::min<qsizetype>(items.size(), LanguageList.size()); ++i)
        if (LanguageList[i].displayName == name) {
            found = i;
            break;
        }
    if (found >= 0) {
        setImageIndex(languageItem(found), CheckMarkImage);
        // A file that cannot be read leaves the texts as they are.
        ApplyLanguageFile(onDrive(QStringLiteral("voxa\\manager\\Language\\") + LanguageList[found].fileName));
        appState().savedTop = y();
        appState().savedLeft = x();
        SaveSettings();
    }
    for (FrameKind kind : {FrameKind::ConfigEditor, FrameKind::LogoEditor, FrameKind::MessageEditor,
                           FrameKind::MyRadioEditor, FrameKind::MyRadioCopy, FrameKind::PlaydisplayEditor,
                           FrameKind::Update, FrameKind::Sort, FrameKind::FindExport}) {
        if (TEditorFrame *editor = Editor(kind))
            editor->RefreshTitle();
        else if (TOtherFrame *frame = OtherFrame(kind))
            frame->RefreshTitle();
    }
    SkinToolButtons();
    emit LanguageApplied();
}

// ================================================================= settings

ProxyValues TMainForm::CurrentProxyValues() const
{
    return m_proxyDialog ? m_proxyDialog->Values() : m_proxy;
}

void TMainForm::SaveSettings()
{
    if (!appState().NormalRun)
        return;
    m_settings.SetDrive(appState().DriveLetter);
    m_settings.setVersion(ManagerVersion);
    m_settings.setLanguage(m_settings.language());
    m_settings.setWindowPosition(appState().savedLeft, appState().savedTop);
    m_settings.setDisplayType(appState().DisplayType);
    const ProxyValues proxy = CurrentProxyValues();
    m_settings.setUseProxy(proxy.UseProxy);
    m_settings.setProxyServer(proxy.Server);
    m_settings.setProxyPort(proxy.Port);
    const auto *quarantine = dynamic_cast<const QuarantineField *>(Frame(FrameKind::FindExport));
    m_settings.setQuarantineDir(quarantine ? quarantine->QuarantineDir() : m_settings.quarantineDir());
    m_settings.SaveFile();
}

void TMainForm::LoadWindowSettings()
{
    m_settings.SetDrive(appState().DriveLetter);
    const QPoint p = m_settings.windowPosition();
    appState().savedLeft = p.x();
    appState().savedTop = p.y();
    appState().DisplayType = m_settings.displayType();
    move(appState().savedLeft, appState().savedTop);
}

void TMainForm::LoadProxySettings()
{
    m_settings.SetDrive(appState().DriveLetter);
    m_proxy.UseProxy = m_settings.useProxy();
    m_proxy.Server = m_settings.proxyServer();
    m_proxy.Port = m_settings.proxyPort();
    if (m_proxyDialog)
        m_proxyDialog->setValues(m_proxy);
}

void TMainForm::WriteInstallSettings()
{
    m_settings.SetDrive(appState().DriveLetter);
    m_settings.setVersion(ManagerVersion);
    m_settings.setLanguage(m_settings.language());
    m_settings.setWindowPosition(x(), y());
    m_settings.SaveFile();
}

// ================================================================== dialogs

void TMainForm::CreateDialogs()
{
    const DialogFactories &f = RegisteredDialogs();
    auto adopt = [this](QWidget *w) {
        if (w && w->parentWidget() != this)
            w->setParent(this, w->windowFlags() | Qt::Dialog);
        if (w)
            w->hide();
    };
    if (f.fileDialog && (m_fileDialog = f.fileDialog(*this)))
        adopt(m_fileDialog->Window());
    if (f.elementPrompt && (m_elementPrompt = f.elementPrompt(*this)))
        adopt(m_elementPrompt);
    if (f.deleteDialog && (m_deleteDialog = f.deleteDialog(*this)))
        adopt(m_deleteDialog->Window());
    if (f.proxyDialog && (m_proxyDialog = f.proxyDialog(*this))) {
        adopt(m_proxyDialog->Window());
        ProxyValues initial = m_proxyDialog->Values();
        initial.Port = 8080;
        m_proxyDialog->setValues(initial);
    }
}

void TMainForm::InstallActivationHandler()
{
    if (m_activationHandler)
        return;
    m_activationHandler = true;
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (m_activationHandler && state == Qt::ApplicationActive)
            ApplicationActivate();
    });
}

void TMainForm::RemoveActivationHandler()
{
    if (!m_activationHandler)
        return;
    m_activationHandler = false;
    disconnect(qApp, &QGuiApplication::applicationStateChanged, this, nullptr);
}

void TMainForm::ApplicationActivate()
{
    const std::pair<QWidget *, bool> dialogs[] = {
        {m_fileDialog ? m_fileDialog->Window() : nullptr, true},
        {m_deleteDialog ? m_deleteDialog->Window() : nullptr, true},
        {m_elementPrompt.data(), false},
        {m_proxyDialog ? m_proxyDialog->Window() : nullptr, false},
    };
    for (const auto &[w, focus] : dialogs) {
        if (!w || !w->isVisible())
            continue;
        w->raise();
        if (focus) {
            w->activateWindow();
            w->setFocus();
        }
    }
}

void TMainForm::EndEventLoop()
{
    QCoreApplication::exit(0);
}

}  // namespace voxa
