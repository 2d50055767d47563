#pragma once
// Plain Qt controls laid on a skinned editor panel: white captions on the
// dark background, black text in edit fields.
#include <QPalette>
#include <QRect>
#include <QString>

class QCheckBox;
class QLabel;
class QWidget;

namespace voxa {

QPalette PanelTextPalette(QPalette base);
// A caption at a fixed place; boxed, a sunken value box with centred text.
QLabel *PanelLabel(QWidget *parent, const QPalette &palette, const QString &text, QRect geometry,
                   bool boxed = false);
QCheckBox *PanelCheckBox(QWidget *parent, const QPalette &palette, const QString &text, QRect geometry);

}  // namespace voxa
