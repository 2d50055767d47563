#pragma once
// The logo editor: opens a logo file, or makes a new logo from a picture.
// The picture lies in a scrollable view with a selection rectangle of the
// logo's aspect ratio, moved and resized with the pointer; a threshold, an
// invert switch and a frame colour shape the result, which two previews
// show beside the crop at the player's resolution.
#include "app/editorframe.h"
#include "app/framecatalog.h"
#include "editors/logo/logoconvert.h"
#include "editors/logo/logofile.h"

#include <QImage>
#include <QWidget>

class QCheckBox;
class QFrame;
class QLabel;
class QScrollBar;
class QSlider;

namespace voxa {

class FrameHost;
class TSkinButton;

// The picture view: shows the visible part of the working canvas with the
// selection as a dotted rectangle, and hands the pointer to the editor.
class LogoPictureView : public QWidget {
    Q_OBJECT
public:
    explicit LogoPictureView(QWidget *parent);
    QImage picture;     // the canvas part under the view
    QRect selection;    // in view coordinates, right and bottom exclusive
    bool showSelection = false;

signals:
    void pressed(QPoint pos, Qt::MouseButton button);
    void moved(QPoint pos, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
    void released(QPoint pos, Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
};

class TLogoEditor : public TEditorFrame, public PictureImport {
    Q_OBJECT
public:
    TLogoEditor(FrameHost *host, QWidget *parent);

    enum class Hover { None, Move, LeftEdge, RightEdge, TopEdge, BottomEdge };

    QFrame *LogoPanel = nullptr;
    QLabel *LogoImage = nullptr;
    QFrame *SourcePanel = nullptr;
    QLabel *SourceImage = nullptr;
    QFrame *BigLogoPanel = nullptr;
    QLabel *BigLogoImage = nullptr;
    QFrame *BigSourcePanel = nullptr;
    QLabel *BigSourceImage = nullptr;
    LogoPictureView *TheImage = nullptr;
    QScrollBar *XScrollBar = nullptr;
    QScrollBar *YScrollBar = nullptr;
    QCheckBox *InvertCheck = nullptr;
    QCheckBox *FixedCheck = nullptr;
    QCheckBox *DarkBackCheck = nullptr;
    QCheckBox *VOXAACheck = nullptr;
    QCheckBox *VOXACCheck = nullptr;
    QLabel *ThresholdLabel = nullptr;
    QSlider *ThresholdBar = nullptr;
    QLabel *ThresholdValueLabel = nullptr;  // the slider's caption
    QLabel *CursorLabel = nullptr;
    QLabel *XLabel = nullptr;
    QLabel *YLabel = nullptr;
    QLabel *SizeLabel = nullptr;
    QLabel *XSLabel = nullptr;
    QLabel *YSLabel = nullptr;
    TSkinButton *OpenButton = nullptr;

    // ----------------------------------------------- framework steps
    bool Load() override;
    bool Save() override;
    void Activate() override;
    void Reset() override;
    void FirstShowSetup() override;
    void LayoutButtons() override;
    QString KindWord() const override { return QStringLiteral("Logo "); }

    // The main window's "Logo Editor" item: a new logo from a picture.
    bool ImportPicture(const QString &path) override;

    // ----------------------------------------------- the editor's own
    bool LoadPicture(const QString &path);
    void OpenButtonClick();
    void CropAndConvert();
    void TheImageMouseDown(QPoint viewPos, Qt::MouseButton button);
    void TheImageMouseMove(QPoint viewPos, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers = {});
    void TheImageMouseUp(QPoint viewPos);
    void XScrollBarChange();
    void YScrollBarChange();
    void VOXAACClick(QCheckBox *clicked);
    void FixedCheckClick();
    void DarkBackCheckClick();
    void ThresholdBarChange();
    void InvertCheckClick();

    // ------------------------------------------------ what tests read
    QString SourcePath() const { return m_sourcePath; }
    LogoRect Selection() const { return m_sel; }
    const QImage &Canvas() const { return m_work.canvas; }
    QPoint PictureOffset() const { return m_work.offset; }
    Hover HoverMode() const { return m_hover; }
    Qt::CursorShape PointerShape() const;
    bool HasPictureView() const { return m_viewShown; }
    int CurrentDisplayType() const;
    // The logo preview of a display type as it would be saved.
    const LogoBitmap &PreviewLogo(int displayType) const;

protected:
    void mouseMoveEvent(QMouseEvent *e) override;
    void leaveEvent(QEvent *e) override;

private:
    // The extent against which the selection is clamped.
    QSize extent() const;
    QPoint scroll() const;
    void setPictureViewShown(bool shown);
    void showPanelsFor(int displayType);
    void setDisplayChecks(int displayType);
    void refreshView();
    void drawSelection();
    void updateSelectionLabels();
    void setPointer(Qt::CursorShape shape);
    void applyAspectAfterHorizontal(bool leftEdge);
    void applyAspectAfterVertical(bool topEdge);
    void showLogo(const LogoBitmap &logo);
    void showCrop(const QImage &crop, int displayType);
    void setThresholdQuietly(int value);

    QString m_sourcePath;
    QImage m_picture;  // the source picture, for refilling the frame
    WorkCanvas m_work;
    LogoRect m_sel;
    int m_logoWidth = 128;
    int m_logoHeight = 56;
    LogoBitmap m_fileLogo;  // a logo as read, for logos without a picture
    LogoBitmap m_logoA;     // the two previews
    LogoBitmap m_logoC;
    Hover m_hover = Hover::None;
    QPoint m_grab;
    bool m_dragging = false;
    bool m_guard = false;
    bool m_loading = false;
    bool m_viewShown = false;
    QSize m_viewSize{615, 375};
};

void RegisterLogoEditor();

}  // namespace voxa
