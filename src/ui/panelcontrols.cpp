#include "ui/panelcontrols.h"

#include <QCheckBox>
#include <QLabel>

namespace voxa {

QPalette PanelTextPalette(QPalette p)
{
    p.setColor(QPalette::WindowText, Qt::white);
    p.setColor(QPalette::Text, Qt::black);
    return p;
}

QLabel *PanelLabel(QWidget *parent, const QPalette &palette, const QString &text, QRect geometry, bool boxed)
{
    auto *l = new QLabel(text, parent);
    l->setGeometry(geometry);
    l->setPalette(palette);
    if (boxed) {
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        l->setAlignment(Qt::AlignCenter);
    }
    return l;
}

QCheckBox *PanelCheckBox(QWidget *parent, const QPalette &palette, const QString &text, QRect geometry)
{
    auto *c = new QCheckBox(text, parent);
    c->setGeometry(geometry);
    c->setPalette(palette);
    return c;
}

}  // namespace voxa
