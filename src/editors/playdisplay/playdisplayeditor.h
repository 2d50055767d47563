#pragma once
// The playdisplay editor: the player's playing screen enlarged three times,
// with the VU meter and the text fields as labelled boxes that are added,
// selected, dragged, resized at their edges and moved with the arrow keys.
// Overlapping fields are painted red and block saving.
#include "app/editorframe.h"
#include "editors/playdisplay/playdisplayfile.h"

#include <QImage>
#include <QWidget>

class QCheckBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QRadioButton;

namespace voxa {

class FrameHost;
class TSkinButton;

// A drawing area: shows the editor's off-screen picture and hands the
// pointer to the editor.
class PlayDisplayArea : public QWidget {
    Q_OBJECT
public:
    PlayDisplayArea(QSize size, QWidget *parent);
    QImage picture;

signals:
    void pressed(QPoint pos, Qt::MouseButton button);
    void moved(QPoint pos);
    void released(QPoint pos, Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
};

class TPlaydisplayEditor : public TEditorFrame {
    Q_OBJECT
public:
    TPlaydisplayEditor(FrameHost *host, QWidget *parent);

    QListWidget *StringList = nullptr;
    TSkinButton *NewTextFieldButton = nullptr;
    TSkinButton *RemoveTextFButton = nullptr;
    QGroupBox *SizeGroup = nullptr;
    QRadioButton *Point8Button = nullptr;
    QRadioButton *Point12Button = nullptr;
    QCheckBox *InvertCheck = nullptr;
    QGroupBox *AlignmentGroup = nullptr;
    QRadioButton *LeftButton = nullptr;
    QRadioButton *CenterButton = nullptr;
    QRadioButton *RightButton = nullptr;
    QRadioButton *AutoscrollButton = nullptr;
    QCheckBox *VUMeterCheck = nullptr;
    QCheckBox *VOXAACheck = nullptr;
    QCheckBox *VOXACCheck = nullptr;
    PlayDisplayArea *PlayDispPaint = nullptr;
    PlayDisplayArea *BigPlayDispPaint = nullptr;
    QLabel *PositionLabel = nullptr;
    QLabel *TXLabel = nullptr;
    QLabel *TYLabel = nullptr;
    QLabel *TextFieldLabel = nullptr;
    QLabel *TFWidthLabel = nullptr;
    QLabel *XLabel = nullptr;
    QLabel *YLabel = nullptr;

    // ----------------------------------------------- framework steps
    bool Load() override;
    bool Save() override;
    void Activate() override;
    void Reset() override;
    void FirstShowSetup() override;
    void LayoutButtons() override;
    void RefreshTitle() override;
    QString KindWord() const override { return QStringLiteral("Playdisplay "); }
    bool ImageKeyDown(int key, Qt::KeyboardModifiers modifiers) override;

    // ----------------------------------------------- the editor's own
    void DrawDisplay();
    // The first field (1..n) containing the display position; 0 for none.
    int HitTest(QPoint pos) const;
    void SelectFieldAt(QPoint pos);
    void AddField();
    void RemoveField();
    void RescaleLayout(QSize oldArea, QSize newArea);

    void StringListClick();
    void StringListSelectItem();
    void PlayDispPaintMouseDown(QPoint areaPos);
    void PlayDispPaintMouseMove(QPoint areaPos, bool buttonDown);
    void PlayDispPaintMouseUp(QPoint areaPos);
    void Point8ButtonClick();
    void Point12ButtonClick();
    void InvertCheckClick();
    void AlignmentClick(PlayAlignment alignment);
    void VUMeterCheckClick();
    void VOXAACClick(QCheckBox *clicked);

    // ------------------------------------------------ what tests read
    // Item 0 is the VU meter, 1..n the fields in list order.
    const QList<PlayField> &Items() const { return m_items; }
    QList<PlayField> Fields() const { return m_items.mid(1); }
    int Selected() const { return m_selected; }
    int CurrentDisplayType() const { return m_displayType; }
    PlayDisplayArea *CurrentArea() const;
    // The pointer shape over the drawing area.
    Qt::CursorShape PointerShape() const;
    // The display pixel's top-left point in the drawing area.
    static QPoint AreaPoint(QPoint displayPos) { return {3 * displayPos.x() + 1, 3 * displayPos.y() + 1}; }

private:
    void createAreas();
    QLabel *createFieldControls();
    void createGroups();
    void registerTexts(QLabel *textFieldsLabel);
    void setDisplayType(int type);
    void setVuItem(bool on);
    void showSelection();
    void updatePositionLabels();
    void attributeChanged();
    void keepOnDisplay(PlayField &field);
    PlayAlignment chosenAlignment() const;
    PlayLayout layout() const;

    QList<PlayField> m_items{PlayField{}};
    int m_selected = 0;
    int m_displayType = VoxaADisplay;
    DisplayGeometry m_geometry = PlayGeometry(VoxaADisplay);
    QPoint m_pointer;
    bool m_buttonDown = false;
    bool m_moved = false;
    int m_edgeItem = 0;
    bool m_leftEdge = false;
    std::optional<QPoint> m_grab;
    bool m_guard = false;
    bool m_selecting = false;
    QImage m_vuMeter;     // 11 x 48, as the player shows it
    QImage m_bigVuMeter;  // three times, in the display colour
};

void RegisterPlaydisplayEditor();

}  // namespace voxa
