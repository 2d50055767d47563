#include "app/controlframe.h"

#include "app/frametable.h"
#include "app/languagetargets.h"
#include "app/mainform.h"
#include "ui/skin.h"
#include "ui/skinbutton.h"
#include "ui/skinfocus.h"
#include "ui/skinpanel.h"

#include <algorithm>
#include <vector>

namespace voxa {

TControlFrame::TControlFrame(TMainForm *main)
    : QWidget(main), m_main(main)
{
    hide();
    resize(FrameSize);
    ButtonPanel = new TSkinPanel(this);
    ButtonPanel->setGeometry(0, 0, FrameSize.width(), FrameSize.height());

    std::vector<const FrameRow *> rows;
    for (const FrameRow &row : FrameTable())
        if (row.startButton.name)
            rows.push_back(&row);
    std::sort(rows.begin(), rows.end(), [](auto *x, auto *y) { return x->startButton.order < y->startButton.order; });
    for (const FrameRow *row : rows) {
        const StartButtonPlace &place = row->startButton;
        auto *b = new TSkinButton(ButtonPanel);
        b->setObjectName(QString::fromLatin1(place.name));
        b->setSkinned(true);
        b->setTransparent(true);
        b->setShowCaption(false);  // the caption is painted into the pictures
        b->setGeometry(QRect(place.at, skin::StartButtonSize));
        b->setCaption(QString::fromLatin1(row->showItem.text).remove(QLatin1Char('&')));
        b->setClickHandler([this, b] { ButtonClick(b); });
        LanguageTargets::instance().add(row->showCaption, b, [b](const QString &t) { b->setCaption(t); });
        m_buttons[size_t(place.picture)] = b;
        m_byKind[size_t(row->kind)] = b;
    }
    // Tab goes through the buttons row by row, not in the order they were made.
    SetReadingTabOrder({m_buttons.begin(), m_buttons.end()});
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
        if (button && Button(row.kind) == button) {
            QAction *item = m_main->ShowItem(row.kind);
            m_main->RunCommand([this, item] { m_main->MenuItemClick(item); });
            return;
        }
}

}  // namespace voxa
