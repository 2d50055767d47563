#include "device/chooseframe.h"

#include "app/appstate.h"
#include "app/captionfit.h"
#include "app/languagetargets.h"
#include "app/messagetable.h"
#include "app/owntexts.h"
#include "app/settings.h"
#include "device/managerdrive.h"
#include "platform/prompts.h"
#include "ui/skinbutton.h"
#include "ui/skinmenu.h"
#include "ui/skinpanel.h"

#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <QTreeWidget>

namespace voxa {
namespace {

class MainFormHost : public DeviceHost {
public:
    MainFormHost(StartupHost &main, TChooseFrame *chooser) : m_main(main), m_chooser(chooser) {}
    TIniFileHandler &settings() override { return m_main.settings(); }
    void setMenusEnabled(bool enabled) override { m_main.setNavigationEnabled(enabled); }
    void showMenuBar() override { m_main.showMenuBar(); }
    void showChooser() override
    {
        if (m_chooser)
            m_main.showFrame(m_chooser);
    }
    void loadWindowSettings() override { m_main.loadWindowSettings(); }
    void writeInstallSettings() override { m_main.writeInstallSettings(); }
    void removeActivationHandler() override { m_main.removeActivationHandler(); }
    void quit() override { m_main.endEventLoop(); }
    void paintInstallText() override
    {
        if (m_chooser)
            m_chooser->InstallLabel->repaint();
    }
    void setInstallText(const QString &text) override
    {
        if (m_chooser)
            m_chooser->InstallLabel->setText(text);
    }

private:
    StartupHost &m_main;
    TChooseFrame *m_chooser;
};

// The mark of a drive that holds a manager: a small disk with a green light.
QIcon managerDriveIcon()
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(20, 30, 60));
    p.setBrush(QColor(214, 222, 235));
    p.drawRoundedRect(QRectF(1.5, 4.5, 13, 8), 2, 2);
    p.setBrush(QColor(40, 200, 90));
    p.drawEllipse(QRectF(10, 7, 3, 3));
    p.end();
    return QIcon(pm);
}

void whiteText(QLabel *label)
{
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(pal);
}

}  // namespace

std::unique_ptr<DeviceHost> MakeMainFormHost(StartupHost &main, TChooseFrame *chooser)
{
    return std::make_unique<MainFormHost>(main, chooser);
}

TChooseFrame::TChooseFrame(StartupHost *host, QWidget *parent)
    : TOtherFrame(host, parent, FrameSize)
{
    MainPanel->setColor(QColor(47, 64, 106));

    TextLabel = new QLabel(QStringLiteral("Choose the VOXA drive"), MainPanel);
    TextLabel->setGeometry(10, 4, 343, 17);
    whiteText(TextLabel);

    DrivesView = new QTreeWidget(MainPanel);
    DrivesView->setGeometry(8, 24, 421, 89);
    DrivesView->setRootIsDecorated(false);
    DrivesView->setSelectionMode(QAbstractItemView::SingleSelection);
    DrivesView->setSelectionBehavior(QAbstractItemView::SelectRows);
    DrivesView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DrivesView->setColumnCount(4);
    DrivesView->setHeaderLabels({QStringLiteral("Drive"), QStringLiteral("Current Version"),
                                 QStringLiteral("Disk Size"), QStringLiteral("Free Space")});
    const int widths[] = {141, 100, 80, 80};
    for (int c = 0; c < 4; ++c)
        DrivesView->setColumnWidth(c, widths[c]);
    QHeaderView *header = DrivesView->header();
    header->setSectionsClickable(false);
    header->setSectionsMovable(false);
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setStretchLastSection(false);
    for (int c = 1; c < 4; ++c)
        DrivesView->headerItem()->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    DrivesView->setStyleSheet(QStringLiteral(
        "QTreeWidget { background: #0080ff; color: white; border: 1px solid #1b2947; }"
        "QTreeWidget::item:selected { background: #1b2947; color: white; }"
        "QHeaderView { background: #2d406b; }"
        "QHeaderView::section { background: #2d406b; color: white; border: 0;"
        " border-right: 1px solid #1b2947; padding: 1px 4px; }"));
    connect(DrivesView, &QTreeWidget::itemDoubleClicked, this, [this] { OKButtonClick(); });

    InstallLabel = new QLabel(MainPanel);
    InstallLabel->setGeometry(8, 126, 229, 23);
    whiteText(InstallLabel);

    OKButton->move(OKButton->x(), 121);
    OKButton->setClickHandler([this] { OKButtonClick(); });
    CloseButton = MakeCaptionButton(MainPanel, ownText(OwnText::ChooserClose), QRect(326, 121, 81, 25),
                                    [this] { CloseButtonClick(); });

    m_host = MakeMainFormHost(*host, this);

    auto &targets = LanguageTargets::instance();
    auto column = [this](int c) {
        return [this, c](const QString &t) {
            DrivesView->headerItem()->setText(c, t);
            fitColumnTitles(DrivesView, 0);
        };
    };
    targets.add(51, this, column(0));
    targets.add(48, this, column(1));
    targets.add(52, this, column(2));
    targets.add(53, this, column(3));
    targets.add(54, this, [this](const QString &t) { TextLabel->setText(t); });
    targets.add(146, this, [this](const QString &t) { OKButton->setCaption(t); });
    targets.add(ownNumber(OwnText::ChooserClose), this, [this](const QString &t) { CloseButton->setCaption(t); });
    LayoutButtons();
}

// Replaces the base step: the file tool buttons keep their state.
void TChooseFrame::OnShowFrame()
{
    InstallLabel->clear();
    PrepareChooserListing();
    DrivesView->clear();
    const QList<ChooserRow> rows = ListChooserDrives(m_host->settings());
    QTreeWidgetItem *first = nullptr;
    QTreeWidgetItem *firstManager = nullptr;
    for (const ChooserRow &r : rows) {
        auto *item = new QTreeWidgetItem(DrivesView, {r.driveText, r.versionText, r.sizeText, r.freeText});
        for (int c = 1; c < 4; ++c)
            item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
        if (r.managerDrive) {
            item->setIcon(0, managerDriveIcon());
            if (!firstManager)
                firstManager = item;
        }
        if (!first)
            first = item;
    }
    if (!first) {
        prompts().message({QString(), msg(Msg::Fat32NotFound), BoxIcon::Error, Button::Ok, Button::Ok,
                           Placement::centered()});
        // Closed once the start-up (which may be running us) has finished.
        if (FrameHost *host = TOtherFrame::Host())
            host->closeLater();
        return;
    }
    DrivesView->setCurrentItem(firstManager ? firstManager : first);
    DrivesView->setFocus();
    LayoutButtons();
}

void TChooseFrame::OnCloseFrame()
{
    m_host->setMenusEnabled(true);
    DrivesView->clear();
}

void TChooseFrame::LayoutButtons()
{
    if (!CloseButton)
        return;
    if (appState().NormalRun) {
        CloseButton->show();
        CloseButton->move(width() - CloseButton->width() - 6, height() - CloseButton->height() - 30);
        OKButton->move(CloseButton->x() - OKButton->width() - 6, CloseButton->y());
    } else {
        TOtherFrame::LayoutButtons();
        CloseButton->hide();
    }
}

void TChooseFrame::OKButtonClick()
{
    chooserFlags().StartAfterInstall = true;
    QTreeWidgetItem *item = DrivesView->currentItem();
    if (!item || !item->isSelected())
        return;
    const QString text = item->text(0).trimmed();
    const qsizetype bracket = text.indexOf(QLatin1Char('['));
    const QString letter = bracket > 1 ? text.left(bracket - 1).trimmed() : text.left(1);
    if (letter.isEmpty())
        return;
    InstallOrStart(*m_host, letter[0]);
}

void TChooseFrame::CloseButtonClick()
{
    CloseFrame(false);
}

TOtherFrame *DeviceDriveLocator::createChooser(StartupHost &host, QWidget *parent)
{
    return new TChooseFrame(&host, parent);
}

bool DeviceDriveLocator::LocateManager(StartupHost &main, bool chooserMode)
{
    auto *chooser = qobject_cast<TChooseFrame *>(main.frame(FrameKind::Chooser));
    if (chooser)
        return voxa::LocateManager(chooser->Host(), chooserMode);
    return voxa::LocateManager(*MakeMainFormHost(main, nullptr), chooserMode);
}

void DeviceDriveLocator::CompleteInstallation(StartupHost &)
{
    voxa::CompleteInstallation(appState().DriveLetter, startingInstallation());
    startingInstallation() = {};
}

}  // namespace voxa
