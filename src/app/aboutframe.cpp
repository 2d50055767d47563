#include "app/aboutframe.h"

#include "app/languagetargets.h"
#include "app/framehost.h"
#include "app/version.h"
#include "ui/artwork.h"
#include "ui/skinbutton.h"
#include "ui/skinmenu.h"
#include "ui/skinpanel.h"

#include <QLabel>

namespace voxa {

TAboutFrame::TAboutFrame(FrameHost *host, QWidget *parent)
    : TOtherFrame(host, parent, FrameSize)
{
    AboutImage = new QLabel(MainPanel);
    AboutImage->setGeometry(2, 2, 402, 206);
    AboutImage->setPixmap(QPixmap::fromImage(MakeAboutPicture(402, 206)));
    AboutLabel = new QLabel(MainPanel);
    AboutLabel->setGeometry(4, 211, 225, 54);
    AboutLabel->setWordWrap(true);
    AboutLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette pal = AboutLabel->palette();
    pal.setColor(QPalette::WindowText, Qt::white);
    AboutLabel->setPalette(pal);
    OKButton->setClickHandler([this] { OKButtonClick(); });
    LanguageTargets::instance().add(146, OKButton, [this](const QString &t) { OKButton->setCaption(t); });
}

QString TAboutFrame::AboutText()
{
    return QStringLiteral("VOXA Manager for Linux v") + QString::fromLatin1(ManagerVersionText);
}

void TAboutFrame::OnShowFrame()
{
    TOtherFrame::OnShowFrame();
    AboutLabel->setText(AboutText());
    if (FrameHost *host = Host())
        host->setMenusEnabled(false);
}

void TAboutFrame::OnCloseFrame()
{
    if (FrameHost *host = Host()) {
        host->setMenusEnabled(true);
        host->setFileToolsEnabled(true);
    }
}

void TAboutFrame::OKButtonClick()
{
    CloseFrame(false);
}

}  // namespace voxa
