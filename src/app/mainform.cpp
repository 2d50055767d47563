#include "app/mainform.h"

#include "app/aboutframe.h"
#include "app/appstate.h"
#include "app/controlframe.h"
#include "app/drivelocator.h"
#include "app/frametable.h"
#include "app/stepanimation.h"
#include "app/languagetargets.h"
#include "app/messagetable.h"
#include "app/otherframe.h"
#include "app/saferemoval.h"
#include "app/version.h"
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
#include <QTimer>
#include <cmath>

namespace voxa {
namespace {

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

}  // namespace

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

// ===================================================================== create
TMainForm::TMainForm(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
{
    m_animation = new StepAnimation(this);
    FormCreate();
    qApp->installEventFilter(this);
}

TMainForm::~TMainForm()
{
    qApp->removeEventFilter(this);
    RemoveActivationHandler();
    // The frames go while the window is still whole: a frame that works
    // lets go of the busy state as it ends.
    for (QPointer<QWidget> &frame : m_frames)
        delete frame;
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
    HeaderCaption->setObjectName(QStringLiteral("HeaderCaption"));
    HeaderCaption->setGeometry(0, 0, FullWidth, 21);
    HeaderCaption->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    HeaderCaption->setAttribute(Qt::WA_TransparentForMouseEvents, true);
    setHeaderCaption(QStringLiteral("      VOXA Manager"));

    IconImage = new QLabel(Header);
    IconImage->setObjectName(QStringLiteral("IconImage"));
    IconImage->setGeometry(2, 3, 16, 16);
    IconImage->setPixmap(QPixmap::fromImage(ManagerIcon(16)));
    IconImage->setAttribute(Qt::WA_TransparentForMouseEvents, true);

    XButton = new TSkinButton(Header);
    XButton->setObjectName(QStringLiteral("XButton"));
    XButton->setSkinned(true);
    XButton->setTransparent(true);
    XButton->setBaseColor(HeaderColor);
    XButton->setClickHandler([this] { RunCommand([this] { XButtonClick(); }); });

    Border = new TSkinPanel(this);
    Border->setObjectName(QStringLiteral("Border"));
    Border->setGeometry(-1, 21, FullWidth, 68);
    Border->setBackground(MakeBorderBackground(FullWidth, 68));

    MenuBar = new TSkinMenu(Border);
    MenuBar->setObjectName(QStringLiteral("MenuBar"));
    MenuBar->setGeometry(1, 1, 760, 20);
    FileMenu = new TSkinMenuButton(MenuBar);
    FileMenu->setObjectName(QStringLiteral("FileMenu"));
    FileMenu->setCaption(QStringLiteral("File"));
    VOXAMenu = new TSkinMenuButton(MenuBar);
    VOXAMenu->setObjectName(QStringLiteral("VOXAMenu"));
    VOXAMenu->setCaption(QStringLiteral("VOXA"));
    OptionsMenu = new TSkinMenuButton(MenuBar);
    OptionsMenu->setObjectName(QStringLiteral("OptionsMenu"));
    OptionsMenu->setCaption(QStringLiteral("Options"));
    HelpMenu = new TSkinMenuButton(MenuBar);
    HelpMenu->setObjectName(QStringLiteral("HelpMenu"));
    HelpMenu->setCaption(QStringLiteral("Help"));
    MenuBar->LayoutButtons();

    FileNameLabel = new QLabel(Border);
    FileNameLabel->setObjectName(QStringLiteral("FileNameLabel"));
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
        const char *name;
    } tools[] = {
        {&OpenButton, 8, "Open", ToolCommand::Open, "OpenButton"},
        {&SaveButton, 36, "Save", ToolCommand::Save, "SaveButton"},
        {&SaveAsButton, 64, "Save As", ToolCommand::SaveAs, "SaveAsButton"},
        {&ExitButton, 92, "Exit", ToolCommand::Exit, "ExitButton"},
    };
    for (const auto &t : tools) {
        auto *b = new TSkinButton(ToolPanel);
        b->setObjectName(QString::fromLatin1(t.name));
        b->setSkinned(true);
        b->setTransparent(true);
        b->setShowHint(true);
        b->setHint(QString::fromLatin1(t.hint));
        b->setGeometry(7, t.top, 24, 24);
        const ToolCommand command = t.command;
        b->setClickHandler([this, command] { RunCommand([this, command] { ToolButtonClick(command); }); });
        *t.field = b;
    }
}

void TMainForm::createMenus()
{
    auto popup = [this](QMenu *&menu, const QString &title, const char *name) {
        menu = new QMenu(title, this);
        menu->setObjectName(QString::fromLatin1(name));
        menu->setStyleSheet(QString::fromLatin1(MenuStyle));
        return menu;
    };
    auto menuClick = [this](QAction *a) { MenuItemClick(a); };
    auto subMenuClick = [this](QAction *a) { SubMenuClick(a); };
    auto deleteClick = [this](QAction *a) { DeleteFileClick(a); };
    auto item = [this](QMenu *menu, const char *caption, const char *name, auto handler) {
        return addItem(menu, caption, name, handler);
    };
    // The editors' file items, in their menu order, into one array by kind.
    auto fileItems = [this](QMenu *menu, ItemText FrameRow::*text, ItemsByKind &items, auto handler) {
        for (const FrameRow *row : EditorRowsInMenuOrder())
            items[size_t(row->kind)] = addItem(menu, (row->*text).text, (row->*text).name, handler);
    };

    popup(FilePopup, QStringLiteral("File"), "FilePopup");
    LoadMenu = FilePopup->addMenu(popup(LoadSubMenu, QStringLiteral("&Open"), "LoadSubMenu"));
    LoadMenu->setObjectName(QStringLiteral("LoadMenu"));
    LoadMenu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    LoadMenu->setShortcutContext(Qt::WidgetShortcut);
    fileItems(LoadSubMenu, &FrameRow::openItem, m_openItems, subMenuClick);
    SaveMenu = item(FilePopup, "&Save", "SaveMenu", [this](QAction *) { ToolButtonClick(ToolCommand::Save); });
    SaveMenu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    SaveAsMenuItem = item(FilePopup, "Save &As...", "SaveAsMenuItem",
                          [this](QAction *) { ToolButtonClick(ToolCommand::SaveAs); });
    DeleteMenu = FilePopup->addMenu(popup(DeleteSubMenu, QStringLiteral("&Delete"), "DeleteSubMenu"));
    DeleteMenu->setObjectName(QStringLiteral("DeleteMenu"));
    fileItems(DeleteSubMenu, &FrameRow::deleteItem, m_deleteItems, deleteClick);
    FilePopup->addSeparator();
    ExitMenuItem = item(FilePopup, "&Exit", "ExitMenuItem", [this](QAction *) {
        MenuBar->CloseMenus();
        close();
    });

    popup(VOXAPopup, QStringLiteral("VOXA"), "VOXAPopup");
    addFrameItems(VOXAPopup, FrameMenu::Voxa);

    popup(OptionsPopup, QStringLiteral("Options"), "OptionsPopup");
    addFrameItems(OptionsPopup, FrameMenu::Options);
    ChooseVOXADrive1 = item(OptionsPopup, "Choose VOXA Drive", "ChooseVOXADrive1", menuClick);
    OptionsPopup->addSeparator();
    ProxySettingsMenu = item(OptionsPopup, "Proxy Settings", "ProxySettingsMenu", [this](QAction *) {
        ToolButtonClick(ToolCommand::ProxySettings);
    });
    VOXATypeMenu = OptionsPopup->addMenu(
        popup(VOXATypeSubMenu, QStringLiteral("Default Display Type"), "VOXATypeSubMenu"));
    VOXATypeMenu->setObjectName(QStringLiteral("VOXATypeMenu"));
    VOXAA = item(VOXATypeSubMenu, "VOXA-A Display", "VOXAA", [this](QAction *a) { VOXATypeChoose(a); });
    VOXAC1 = item(VOXATypeSubMenu, "VA-DA Front Panel", "VOXAC1", [this](QAction *a) { VOXATypeChoose(a); });
    LanguageMenu = OptionsPopup->addMenu(popup(LanguageSubMenu, QStringLiteral("Language"), "LanguageSubMenu"));
    LanguageMenu->setObjectName(QStringLiteral("LanguageMenu"));

    popup(HelpPopup, QStringLiteral("Help"), "HelpPopup");
    MarlekVOXAManager20Help1 = item(HelpPopup, "&Marlek VOXA Manager Help", "MarlekVOXAManager20Help1",
                                    [this](QAction *) { MarlekVOXAManager20Help1Click(); });
    MarlekVOXAManager20Help1->setShortcut(QKeySequence(Qt::Key_F1));
    addFrameItems(HelpPopup, FrameMenu::Help);

    popup(OpenPopup, QString(), "OpenPopup");
    fileItems(OpenPopup, &FrameRow::popupItem, m_popupItems, subMenuClick);

    for (QMenu *m : {FilePopup, VOXAPopup, OptionsPopup, HelpPopup, OpenPopup, LoadSubMenu, DeleteSubMenu,
                     VOXATypeSubMenu, LanguageSubMenu})
        for (QAction *a : m->actions())
            a->setProperty(ImageIndexProperty, -1);

    FileMenu->setPopupMenu(FilePopup);
    VOXAMenu->setPopupMenu(VOXAPopup);
    OptionsMenu->setPopupMenu(OptionsPopup);
    HelpMenu->setPopupMenu(HelpPopup);
    AddSafeRemovalCommand(*this, VOXAPopup);
}

QAction *TMainForm::addItem(QMenu *menu, const char *caption, const char *name,
                            const std::function<void(QAction *)> &handler)
{
    QAction *a = menu->addAction(QString::fromLatin1(caption));
    a->setObjectName(QString::fromLatin1(name));
    a->setIconVisibleInMenu(true);
    a->setShortcutContext(Qt::WidgetShortcut);  // the window's key preview handles the keys
    QObject::connect(a, &QAction::triggered, menu, [this, handler, a] { RunCommand([&] { handler(a); }); });
    return a;
}

void TMainForm::addFrameItems(QMenu *menu, FrameMenu which)
{
    for (const FrameRow *row : RowsInMenu(which)) {
        if (row->separatorBefore)
            menu->addSeparator();
        m_showItems[size_t(row->kind)] = addItem(menu, row->showItem.text, row->showItem.name,
                                                 [this](QAction *a) { MenuItemClick(a); });
    }
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
    // The close button has no caption: it is read out as the Exit item it does.
    const auto closeName = [this](const QString &t) { XButton->setHint(QString(t).remove(QLatin1Char('&'))); };
    closeName(ExitMenuItem->text());
    targets.add(5, XButton, closeName);
    // The items of each frame kind come from its row.
    for (const FrameRow &row : FrameTable()) {
        const size_t k = size_t(row.kind);
        if (m_showItems[k] && row.showCaption >= 0)
            caption(row.showCaption, {m_showItems[k]});
        if (row.fileCaption >= 0)
            caption(row.fileCaption, {m_openItems[k], m_deleteItems[k], m_popupItems[k]});
    }
    caption(103, {LanguageMenu});
    caption(192, {MarlekVOXAManager20Help1});
    caption(197, {VOXATypeMenu});
    caption(198, {VOXAA});
    caption(199, {VOXAC1});
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


void TMainForm::ShowStartupStatus(const QString &text)
{
    m_status = text;
    repaint();
}

// ==================================================================== keys

bool TMainForm::eventFilter(QObject *watched, QEvent *e)
{
    // A press has travelled all the way up once its release comes; the next
    // press may be built at the same address and is a new one.
    if (e->type() == QEvent::KeyRelease)
        m_lastKeyEvent = nullptr;
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
        // Keys are commands too: none while the window animates or starts.
        if (Busy())
            return false;
        auto *key = static_cast<QKeyEvent *>(e);
        if (ClaimsKey(w, key->key()))
            return false;
        // While a frame works, Escape would leave it and Return press its
        // Close; the frame's own controls still get every other key.
        if (frameBusy())
            return key->key() == Qt::Key_Escape || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        MenuBar->CloseMenus();
        return FormKeyDown(key->key(), key->modifiers());
    }
    if (watched == Header && (e->type() == QEvent::MouseMove || e->type() == QEvent::MouseButtonPress ||
                              e->type() == QEvent::MouseButtonRelease))
        headerMouseEvent(static_cast<QMouseEvent *>(e));
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

// ================================================================ FrameHost

namespace {
const char *const ClaimedKeysProperty = "claimedKeys";
}

void ClaimKeys(QWidget *control, const QList<int> &keys)
{
    QVariantList list;
    for (int key : keys)
        list << key;
    control->setProperty(ClaimedKeysProperty, list);
}

bool ClaimsKey(const QWidget *control, int key)
{
    return control && control->property(ClaimedKeysProperty).toList().contains(QVariant(key));
}

void TMainForm::ShowStartPanel()
{
    ShowFrame(StartPanel);
}

void TMainForm::setTitleLine(const QString &text)
{
    FileNameLabel->setText(text);
}

QString TMainForm::titleLine() const
{
    return FileNameLabel->text();
}

QRect TMainForm::windowGeometry() const
{
    return geometry();
}

void TMainForm::setFileToolsEnabled(bool enabled)
{
    OpenButton->setEnabled(enabled);
    SaveButton->setEnabled(enabled);
    SaveAsButton->setEnabled(enabled);
}

void TMainForm::setMenusEnabled(bool enabled)
{
    MenuBar->setEnabled(enabled);
    Border->setEnabled(enabled);
}

QString TMainForm::messageEditorCaption() const
{
    const QAction *item = ShowItem(FrameKind::MessageEditor);
    return item ? item->text() : QString();
}

QString TMainForm::frameCaption(FrameKind kind) const
{
    const QAction *item = ShowItem(kind);
    return item ? item->text().remove(QLatin1Char('&')) : QString();
}

void TMainForm::restoreTitleFont()
{
    FileNameLabel->setFont(ShellDlgFont(font().pointSize() == 8 ? 12 : 10, true));
}

void TMainForm::setBusy(bool busy)
{
    const int before = m_busyFrames;
    m_busyFrames = std::max(0, m_busyFrames + (busy ? 1 : -1));
    if ((before > 0) == (m_busyFrames > 0))
        return;
    // Nothing may leave the working frame or end the program halfway
    // through: the keys and closeEvent look at frameBusy() as well.
    const bool enabled = m_busyFrames == 0;
    setMenusEnabled(enabled);
    XButton->setEnabled(enabled);
    ExitButton->setEnabled(enabled);
}

void TMainForm::closeLater()
{
    QTimer::singleShot(0, this, [this] { close(); });
}

void TMainForm::setNavigationEnabled(bool enabled)
{
    MenuBar->setEnabled(enabled);
    ToolPanel->setEnabled(enabled);
}

void TMainForm::showMenuBar()
{
    MenuBar->show();
}

}  // namespace voxa
