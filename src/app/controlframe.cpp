#include "app/controlframe.h"

#include "app/frametable.h"
#include "app/languagetargets.h"
#include "app/mainform.h"
#include "ui/skin.h"
#include "ui/skinbutton.h"
#include "ui/skinpanel.h"

namespace voxa {

TControlFrame::TControlFrame(TMainForm *main)
    : QWidget(main), m_main(main)
{
    hide();
    resize(FrameSize);
    ButtonPanel = new TSkinPanel(this);
    ButtonPanel->setGeometry(0, 0, FrameSize.width(), FrameSize.height());

    struct Place {
        skin::StartButton which;
        TSkinButton **field;
        QPoint at;
        const char *caption;
        int number;
    };
    const Place places[] = {
        {skin::StartButton::Config, &ConfigButton, {16, 2}, "Config Editor", 11},
        {skin::StartButton::Playdisplay, &PlaydisplayButton, {191, 40}, "Playdisplay Editor", 15},
        {skin::StartButton::Logo, &LogoButton, {16, 40}, "Logo Editor", 12},
        {skin::StartButton::Message, &MessageButton, {16, 78}, "Message Editor", 13},
        {skin::StartButton::MyRadio, &MyRadioButton, {191, 2}, "MyRadio Editor", 14},
        {skin::StartButton::Update, &UpdateButton, {191, 78}, "Update", 50},
    };
    for (const Place &s : places) {
        auto *b = new TSkinButton(ButtonPanel);
        b->setSkinned(true);
        b->setTransparent(true);
        b->setShowCaption(false);  // the caption is painted into the pictures
        b->setGeometry(QRect(s.at, skin::StartButtonSize));
        b->setCaption(QString::fromLatin1(s.caption));
        b->setClickHandler([this, b] { ButtonClick(b); });
        LanguageTargets::instance().add(s.number, b, [b](const QString &t) { b->setCaption(t); });
        *s.field = b;
        m_buttons[size_t(s.which)] = b;
    }
}

TSkinButton *TControlFrame::Button(skin::StartButton which) const
{
    return m_buttons[size_t(which)];
}

void TControlFrame::SkinButtons(bool smallFontSet)
{
    for (int i = 0; i < skin::StartButtonCount; ++i) {
        TSkinButton *b = m_buttons[size_t(i)];
        const auto which = skin::StartButton(i);
        b->setNormalPic(MakeStartPanelPicture(which, skin::State::Normal, b->Caption(), smallFontSet));
        b->setMouseOverPic(MakeStartPanelPicture(which, skin::State::Hover, b->Caption(), smallFontSet));
        b->setMouseDownPic(MakeStartPanelPicture(which, skin::State::Pressed, b->Caption(), smallFontSet));
        b->Refresh();
    }
}

void TControlFrame::ButtonClick(TSkinButton *button)
{
    if (!m_main)
        return;
    for (const FrameRow &row : FrameTable())
        if (row.startButton && this->*row.startButton == button && row.showItem) {
            QAction *item = m_main->*row.showItem;
            m_main->RunCommand([this, item] { m_main->MenuItemClick(item); });
            return;
        }
}

}  // namespace voxa
