#include "update/updateframe.h"

#include "app/appstate.h"
#include "app/captionfit.h"
#include "app/languagetargets.h"
#include "app/framehost.h"
#include "app/messagetable.h"
#include "update/proxydialog.h"
#include "ui/skinbutton.h"
#include "ui/skinfonts.h"
#include "ui/skinpanel.h"
#include "ui/skinprogressbar.h"

#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>

namespace voxa {

TUpdateFrame::TUpdateFrame(FrameHost *host, QWidget *parent)
    : TOtherFrame(host, parent, FrameSize)
{
    MainPanel->setColor(QColor(47, 64, 106));

    dlList = new QTreeWidget(MainPanel);
    dlList->setGeometry(8, 8, 452, 126);
    dlList->setRootIsDecorated(false);
    dlList->setSelectionMode(QAbstractItemView::NoSelection);
    dlList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dlList->setFocusPolicy(Qt::NoFocus);
    dlList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    dlList->setColumnCount(3);
    dlList->setHeaderLabels({QStringLiteral("Available Updates"), QStringLiteral("Current Version"),
                             QStringLiteral("Latest Version")});
    // Wide enough for the longest row title and the column titles in the
    // frame's font.
    const int widths[] = {234, 108, 106};
    for (int c = 0; c < 3; ++c)
        dlList->setColumnWidth(c, widths[c]);
    QHeaderView *header = dlList->header();
    header->setSectionsClickable(false);
    header->setSectionsMovable(false);
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setStretchLastSection(false);
    dlList->setStyleSheet(QStringLiteral(
        "QTreeWidget { background: #0080ff; color: white; border: 1px solid #1b2947; }"
        "QHeaderView { background: #2d406b; }"
        "QHeaderView::section { background: #2d406b; color: white; border: 0;"
        " border-right: 1px solid #1b2947; padding: 1px 4px; }"));
    connect(dlList, &QTreeWidget::itemChanged, this, &TUpdateFrame::listChanged);

    dlInfoLabel = new QLabel(MainPanel);
    dlInfoLabel->setGeometry(8, 138, 452, 17);
    QPalette pal = dlInfoLabel->palette();
    pal.setColor(QPalette::WindowText, Qt::white);
    dlInfoLabel->setPalette(pal);

    dlProgress = new TSkinProgressBar(MainPanel);
    dlProgress->setGeometry(8, 158, 452, 16);
    dlProgress->setMin(0);
    dlProgress->setMax(100);

    OKButton->setCaption(QStringLiteral("Update"));
    OKButton->setClickHandler([this] { OKButtonClick(); });
    CancelButton = MakeCaptionButton(MainPanel, QStringLiteral("Cancel"), QRect(0, 0, 81, 25),
                                     [this] { CancelButtonClick(); });

    connect(&m_session, &TUpdateSession::rowsChanged, this, &TUpdateFrame::showRows);
    connect(&m_session, &TUpdateSession::infoTextChanged, dlInfoLabel, &QLabel::setText);
    connect(&m_session, &TUpdateSession::progressChanged, this, &TUpdateFrame::showProgress);
    connect(&m_session, &TUpdateSession::buttonsChanged, this, &TUpdateFrame::showButtons);
    // After the last download, or a failed check: back to the start panel.
    connect(&m_session, &TUpdateSession::closeRequested, this, [this] {
        if (isVisible())
            CloseFrame(false);
    });

    auto &targets = LanguageTargets::instance();
    auto column = [this](int c) {
        return [this, c](const QString &t) {
            dlList->headerItem()->setText(c, t);
            fitColumnTitles(dlList, 0);
        };
    };
    targets.add(47, this, column(0));
    targets.add(48, this, column(1));
    targets.add(49, this, column(2));
    targets.add(50, this, [this](const QString &t) { OKButton->setCaption(t); });
    targets.add(187, this, [this](const QString &t) { CancelButton->setCaption(t); });
    LayoutButtons();
}

void TUpdateFrame::OnShowFrame()
{
    TOtherFrame::OnShowFrame();
    dlInfoLabel->setFont(font());
    if (FrameHost *host = Host()) {
        m_session.setDrive(appState().DriveLetter);
        m_session.setServer(UpdateServerAddress());
        // The dialog's fields are what its handlers last applied.
        if (ProxyDialog *dialog = host->proxyDialog()) {
            const ProxyValues v = dialog->Values();
            m_session.setProxy(ProxyFromDialog(v.UseProxy, v.Server, v.Port));
        }
    }
    m_session.setInfoWarningPlacement(Placement::at(mapToGlobal(QPoint(40, 10))));
    if (FrameHost *host = Host())
        host->setTitleLine(msg(Msg::OnlineUpdate));
    m_session.CheckForUpdates();
}

void TUpdateFrame::OnCloseFrame()
{
    m_session.Close();
    m_hostBusy.reset();
    if (FrameHost *host = Host()) {
        host->setTitleLine(QString());
        host->restoreTitleFont();
        host->setMenusEnabled(true);
        host->setFileToolsEnabled(true);
    }
}

void TUpdateFrame::LayoutButtons()
{
    if (!CancelButton)
        return;
    CancelButton->move(width() - CancelButton->width() - 6, height() - CancelButton->height() - 30);
    OKButton->move(CancelButton->x() - OKButton->width() - 6, CancelButton->y());
}

void TUpdateFrame::RefreshTitle()
{
    if (isVisible())
        if (FrameHost *host = Host())
            host->setTitleLine(msg(Msg::OnlineUpdate));
    m_session.RefreshTexts();
}

void TUpdateFrame::OKButtonClick()
{
    if (!OKButton->isEnabled())
        return;
    m_session.StartUpdate();
}

void TUpdateFrame::CancelButtonClick()
{
    if (!CancelButton->isEnabled())
        return;
    m_session.Cancel();
}

void TUpdateFrame::ApplyProxy(const ProxySettings &proxy)
{
    m_session.setProxy(proxy);
}

void TUpdateFrame::showRows()
{
    const QList<UpdateRow> &rows = m_session.list().rows();
    m_showingRows = true;
    if (dlList->topLevelItemCount() != rows.size()) {
        dlList->clear();
        for (qsizetype i = 0; i < rows.size(); ++i) {
            auto *item = new QTreeWidgetItem(dlList);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        }
    }
    for (qsizetype i = 0; i < rows.size(); ++i) {
        QTreeWidgetItem *item = dlList->topLevelItem(int(i));
        item->setText(0, rows[i].title());
        item->setText(1, rows[i].currentCell());
        item->setText(2, rows[i].latestCell());
        item->setCheckState(0, rows[i].ticked ? Qt::Checked : Qt::Unchecked);
    }
    m_showingRows = false;
}

void TUpdateFrame::listChanged(QTreeWidgetItem *, int column)
{
    if (m_showingRows || column != 0)
        return;
    QList<bool> ticks;
    for (int i = 0; i < dlList->topLevelItemCount(); ++i)
        ticks << (dlList->topLevelItem(i)->checkState(0) == Qt::Checked);
    // The rules may untick what was just ticked; showRows puts the list right.
    m_session.ListClick(ticks);
}

void TUpdateFrame::showButtons()
{
    OKButton->setEnabled(m_session.updateEnabled());
    CancelButton->setEnabled(m_session.cancelEnabled());
    if (!m_session.cancelCaption().isEmpty())
        CancelButton->setCaption(m_session.cancelCaption());
    // A check or a download keeps the user in the frame.
    if (m_session.navigationEnabled())
        m_hostBusy.reset();
    else if (!m_hostBusy)
        m_hostBusy.emplace(Host());
}

void TUpdateFrame::showProgress()
{
    const TransferProgress &p = m_session.progress();
    dlProgress->setPosition(p.percent());
    dlProgress->setCaption(p.caption);
}

void RegisterUpdateFrame()
{
    RegisterFrame(FrameKind::Update,
                  [](FrameHost &host, QWidget *parent) { return new TUpdateFrame(&host, parent); });
    RegisteredDialogs().proxyDialog = [](FrameHost &host, QWidget *parent) -> ProxyDialog * {
        return new TProxySetupForm(&host, parent);
    };
}

}  // namespace voxa
