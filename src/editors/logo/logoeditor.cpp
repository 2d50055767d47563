#include "editors/logo/logoeditor.h"

#include "app/appstate.h"
#include "app/framehost.h"
#include "app/languagetargets.h"
#include "app/framehost.h"
#include "app/messagetable.h"
#include "platform/fileops.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "ui/skinbutton.h"
#include "ui/panelcontrols.h"
#include "ui/skinpanel.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSlider>
#include <algorithm>

namespace voxa {
namespace {

const QSize FullView(615, 375);
const QColor LitColor(Qt::white);
const QColor UnlitColor(0, 0, 255);

// The source path as the companion keeps it: the player's form when the
// picture lies on a known drive, else the full native path.
QString companionSourcePath(const QString &picture)
{
    if (platform::isDevicePath(picture))
        return picture;
    const QString absolute = QFileInfo(picture).absoluteFilePath();
    const QString device = platform::toDevice(absolute);
    return device.isEmpty() ? absolute : device;
}

QImage logoPicture(const LogoBitmap &logo)
{
    QImage img(logo.width(), logo.height(), QImage::Format_RGB32);
    const QRgb lit = LitColor.rgb(), unlit = UnlitColor.rgb();
    for (int y = 0; y < logo.height(); ++y) {
        const uchar *src = logo.row(y);
        auto *dst = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < logo.width(); ++x)
            dst[x] = src[x] ? lit : unlit;
    }
    return img;
}

}  // namespace

// ============================================================ picture view

LogoPictureView::LogoPictureView(QWidget *parent) : QWidget(parent)
{
    setMouseTracking(true);
}

void LogoPictureView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (!picture.isNull())
        p.drawImage(0, 0, picture);
    if (!showSelection || selection.isEmpty())
        return;
    // A dotted rectangle that shows on any picture: drawn exclusive-or.
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.setPen(QPen(Qt::white, 1, Qt::DotLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(selection.adjusted(0, 0, -1, -1));
}

void LogoPictureView::mousePressEvent(QMouseEvent *e)
{
    emit pressed(e->position().toPoint(), e->button());
}

void LogoPictureView::mouseMoveEvent(QMouseEvent *e)
{
    emit moved(e->position().toPoint(), e->buttons(), e->modifiers());
}

void LogoPictureView::mouseReleaseEvent(QMouseEvent *e)
{
    emit released(e->position().toPoint(), e->button());
}

// ================================================================= editor

TLogoEditor::TLogoEditor(FrameHost *host, QWidget *parent) : TEditorFrame(host, parent)
{
    QWidget *panel = MainPanel();
    const QPalette pal = PanelTextPalette(panel->palette());
    auto label = [&](const QString &text, QRect geometry, bool boxed = false) {
        return PanelLabel(panel, pal, text, geometry, boxed);
    };
    auto check = [&](const QString &text, QRect geometry) { return PanelCheckBox(panel, pal, text, geometry); };
    auto preview = [&](QSize size, QPoint at, QLabel *&image) {
        auto *f = new QFrame(panel);
        f->setFrameShape(QFrame::Panel);
        f->setFrameShadow(QFrame::Sunken);
        f->setGeometry(QRect(at, size + QSize(4, 4)));
        image = new QLabel(f);
        image->setGeometry(QRect(QPoint(2, 2), size));
        image->setScaledContents(true);
        f->hide();
        return f;
    };

    TheImage = new LogoPictureView(panel);
    TheImage->setGeometry(QRect(QPoint(8, 8), FullView));
    TheImage->hide();
    connect(TheImage, &LogoPictureView::pressed, this, &TLogoEditor::TheImageMouseDown);
    connect(TheImage, &LogoPictureView::moved, this, &TLogoEditor::TheImageMouseMove);
    connect(TheImage, &LogoPictureView::released, this, [this](QPoint p, Qt::MouseButton) { TheImageMouseUp(p); });
    XScrollBar = new QScrollBar(Qt::Horizontal, panel);
    XScrollBar->setGeometry(8, 8 + FullView.height(), FullView.width(), 16);
    YScrollBar = new QScrollBar(Qt::Vertical, panel);
    YScrollBar->setGeometry(8 + FullView.width(), 8, 16, FullView.height());
    for (QScrollBar *bar : {XScrollBar, YScrollBar}) {
        bar->setRange(0, 0);
        bar->setEnabled(false);
    }
    connect(XScrollBar, &QScrollBar::valueChanged, this, &TLogoEditor::XScrollBarChange);
    connect(YScrollBar, &QScrollBar::valueChanged, this, &TLogoEditor::YScrollBarChange);

    const int previewTop = 8 + FullView.height() + 24;
    SourcePanel = preview(QSize(128, 56), QPoint(8, previewTop), SourceImage);
    LogoPanel = preview(QSize(128, 56), QPoint(148, previewTop), LogoImage);
    BigSourcePanel = preview(QSize(176, 64), QPoint(8, previewTop), BigSourceImage);
    BigLogoPanel = preview(QSize(176, 64), QPoint(196, previewTop), BigLogoImage);

    const int x = 8 + FullView.width() + 28;
    VOXAACheck = check(QStringLiteral("VOXA-A"), QRect(x, 8, 160, 20));
    VOXACCheck = check(QStringLiteral("VA-DA"), QRect(x, 30, 160, 20));
    InvertCheck = check(QStringLiteral("Invert"), QRect(x, 62, 160, 20));
    FixedCheck = check(QStringLiteral("Keep Aspect Ratio"), QRect(x, 84, 160, 20));
    DarkBackCheck = check(QStringLiteral("Black Frame"), QRect(x, 106, 160, 20));
    FixedCheck->setChecked(true);
    connect(VOXAACheck, &QCheckBox::clicked, this, [this] { VOXAACClick(VOXAACheck); });
    connect(VOXACCheck, &QCheckBox::clicked, this, [this] { VOXAACClick(VOXACCheck); });
    connect(InvertCheck, &QCheckBox::clicked, this, &TLogoEditor::InvertCheckClick);
    connect(FixedCheck, &QCheckBox::clicked, this, &TLogoEditor::FixedCheckClick);
    connect(DarkBackCheck, &QCheckBox::clicked, this, &TLogoEditor::DarkBackCheckClick);

    ThresholdLabel = label(QStringLiteral("Threshold:"), QRect(x, 138, 100, 18));
    ThresholdValueLabel = label(QStringLiteral("127"), QRect(x + 110, 138, 40, 18));
    ThresholdBar = new QSlider(Qt::Horizontal, panel);
    ThresholdBar->setGeometry(x, 158, 150, 22);
    ThresholdBar->setRange(0, 256);
    ThresholdBar->setValue(127);
    ThresholdBar->setEnabled(false);
    connect(ThresholdBar, &QSlider::valueChanged, this, &TLogoEditor::ThresholdBarChange);

    CursorLabel = label(QStringLiteral("Position"), QRect(x, 192, 100, 18));
    XLabel = label(QStringLiteral("0"), QRect(x, 212, 50, 20), true);
    YLabel = label(QStringLiteral("0"), QRect(x + 56, 212, 50, 20), true);
    SizeLabel = label(QStringLiteral("Size"), QRect(x, 240, 100, 18));
    XSLabel = label(QStringLiteral("0"), QRect(x, 260, 50, 20), true);
    YSLabel = label(QStringLiteral("0"), QRect(x + 56, 260, 50, 20), true);

    OpenButton = MakeCaptionButton(panel, QStringLiteral("New Image"), QRect(x, 300, 110, 25),
                                   [this] { OpenButtonClick(); });

    auto &targets = LanguageTargets::instance();
    targets.add(23, this, [this](const QString &t) { InvertCheck->setText(t); });
    targets.add(24, this, [this](const QString &t) { ThresholdLabel->setText(t); });
    targets.add(25, this, [this](const QString &t) { SizeLabel->setText(t); });
    targets.add(26, this, [this](const QString &t) { FixedCheck->setText(t); });
    targets.add(44, this, [this](const QString &t) { CursorLabel->setText(t); });
    targets.add(194, this, [this](const QString &t) { OpenButton->setCaption(t); });
    targets.add(201, this, [this](const QString &t) { DarkBackCheck->setText(t); });

    setMouseTracking(true);
    panel->setMouseTracking(true);
    resize(x + 170, previewTop + 64 + 4 + 70);
}

// ------------------------------------------------------ framework steps

void TLogoEditor::Activate()
{
    TEditorFrame::Activate();
    m_hover = Hover::None;
    if (!SourcePanel->isHidden() || !BigSourcePanel->isHidden()) {
        setPictureViewShown(true);
        refreshView();
        // Showing converts again, but is no change of the user's.
        const bool modified = Modified();
        CropAndConvert();
        setModified(modified);
    } else {
        setPictureViewShown(false);
    }
}

void TLogoEditor::Reset()
{
    setFileName(QString());
    m_sourcePath.clear();
    for (QFrame *f : {LogoPanel, SourcePanel, BigLogoPanel, BigSourcePanel})
        f->hide();
    XScrollBar->setEnabled(false);
    YScrollBar->setEnabled(false);
    TheImage->resize(m_viewSize);
    m_guard = true;
    VOXAACheck->setChecked(false);
    VOXACCheck->setChecked(false);
    m_guard = false;
    TEditorFrame::Reset();
}

void TLogoEditor::FirstShowSetup()
{
    TEditorFrame::FirstShowSetup();
    // The source path is not forgotten here: the first showing may be the
    // one of a picture just imported.
    m_dragging = false;
}

void TLogoEditor::LayoutButtons()
{
    CancelButton->move(width() - CancelButton->width() - 6, height() - CancelButton->height() - 39);
    EditOKButton->move(CancelButton->x() - EditOKButton->width() - 6, CancelButton->y());
}

int TLogoEditor::CurrentDisplayType() const
{
    return VOXAACheck->isChecked() ? VoxaADisplay : VaDaDisplay;
}

const LogoBitmap &TLogoEditor::PreviewLogo(int displayType) const
{
    return displayType == VoxaADisplay ? m_logoA : m_logoC;
}

Qt::CursorShape TLogoEditor::PointerShape() const
{
    return TheImage->cursor().shape();
}

// ---------------------------------------------------------- load and save

bool TLogoEditor::Load()
{
    const auto read = LoadLogoFile(FileName());
    if (!read) {
        if (read.error().reason == FileFailure::WrongFormat) {
            ReportWrongFormat();
            return false;
        }
        prompts().warning(msg(Msg::CannotOpenFile));
        return false;
    }
    WriteTitle();
    m_fileLogo = *read;
    const int type = m_fileLogo.displayType();
    m_logoWidth = LogoWidth(type);
    m_logoHeight = LogoHeight(type);
    (type == VoxaADisplay ? m_logoA : m_logoC) = m_fileLogo;
    showPanelsFor(type);
    showLogo(m_fileLogo);
    (type == VoxaADisplay ? SourceImage : BigSourceImage)->setPixmap(QPixmap::fromImage(logoPicture(m_fileLogo)));

    m_sourcePath.clear();
    const auto companion = LoadLogoCompanion(FileName());
    if (companion) {
        m_sel = companion->selection;
        setThresholdQuietly(companion->threshold);
        m_sourcePath = companion->sourcePath;
    }
    setDisplayChecks(type);
    if (m_sourcePath.isEmpty()) {
        SourcePanel->hide();
        BigSourcePanel->hide();
    }

    if (m_sourcePath.isEmpty()) {
        setPictureViewShown(false);
        ThresholdBar->setEnabled(false);
        FixedCheck->setEnabled(false);
        DarkBackCheck->setEnabled(false);
    } else if (LoadPicture(m_sourcePath)) {
        setPictureViewShown(true);
        ThresholdBar->setEnabled(true);
        FixedCheck->setEnabled(true);
        FixedCheck->setChecked(false);
    } else {
        m_sourcePath.clear();
        setPictureViewShown(false);
        SourcePanel->hide();
        BigSourcePanel->hide();
        ThresholdBar->setEnabled(false);
        FixedCheck->setEnabled(false);
        DarkBackCheck->setEnabled(false);
    }
    // A companion whose picture is gone only misleads the next opening.
    if (companion && m_sourcePath.isEmpty())
        fs::removeFile(LogoCompanionPath(FileName()));
    InvertCheck->setChecked(false);
    setModified(false);
    return true;
}

bool TLogoEditor::Save()
{
    TEditorFrame::Save();
    const LogoBitmap &logo = PreviewLogo(CurrentDisplayType());
    WriteTitle();
    LogoCompanion companion;
    if (!m_sourcePath.isEmpty()) {
        companion.selection = m_sel;
        companion.threshold = ThresholdBar->value();
        companion.sourcePath = companionSourcePath(m_sourcePath);
    }
    const WriteResult written =
        SaveLogoWithCompanion(FileName(), logo, m_sourcePath.isEmpty() ? nullptr : &companion);
    if (written.failed()) {
        prompts().warning(written.reason == FileFailure::CannotCreate ? msg(Msg::OpenForWriteError)
                                                                      : written.message());
        return false;
    }
    setModified(false);
    return true;
}

bool TLogoEditor::ImportPicture(const QString &path)
{
    const QString previous = m_sourcePath;
    m_sourcePath.clear();
    if (LoadPicture(path))
        return true;
    m_sourcePath = previous;
    return false;
}

void TLogoEditor::OpenButtonClick()
{
    FileRequest request;
    request.mode = FileRequest::Open;
    request.title = msg(Msg::ChooseLogoImage);
    request.folder = m_sourcePath.isEmpty() ? QString(appState().DriveLetter) + QStringLiteral(":\\")
                                            : platform::folderOf(m_sourcePath);
    request.filters = {QStringLiteral("Pictures (*.bmp *.jpg *.jpeg)")};
    const QString path = prompts().chooseFile(request);
    if (path.isEmpty() || !ImportPicture(path))
        return;
    m_hover = Hover::None;
    drawSelection();
    CropAndConvert();
}

bool TLogoEditor::LoadPicture(const QString &path)
{
    // Decoded first: a picture that fails leaves the editor as it was.
    const auto picture = LoadSourcePicture(path);
    if (!picture) {
        if (m_sourcePath.isEmpty()) {
            const FileFailure why = picture.error().reason;
            prompts().warning(why == FileFailure::CannotOpen ? msg(Msg::CannotOpenFile) : picture.error().message());
        }
        return false;
    }
    ThresholdBar->setEnabled(false);
    const bool newLogo = m_sourcePath.isEmpty();
    if (newLogo) {
        setFileName(QString());
        WriteTitle();
        if (!m_viewShown) {
            setPictureViewShown(true);
            m_guard = true;
            VOXAACheck->setChecked(false);
            VOXACCheck->setChecked(false);
            m_guard = false;
        }
    }
    if (!VOXAACheck->isChecked() && !VOXACCheck->isChecked()) {
        const int type = appState().DisplayType == 1 ? VoxaADisplay : VaDaDisplay;
        setDisplayChecks(type);
        showPanelsFor(type);
    }

    m_loading = true;
    m_picture = *picture;
    m_work = MakeWorkCanvas(m_picture, false);
    const QSize canvas = m_work.canvas.size();
    QSize view = FullView;
    m_viewSize = FullView;
    const auto setBar = [](QScrollBar *bar, int canvasSize, int &viewSize) {
        if (canvasSize > viewSize) {
            bar->setRange(0, canvasSize - viewSize);
            bar->setPageStep(viewSize);
            bar->setEnabled(true);
        } else {
            viewSize = canvasSize;
            bar->setRange(0, 0);
            bar->setEnabled(false);
        }
        bar->setValue(0);
    };
    int vw = view.width(), vh = view.height();
    setBar(XScrollBar, canvas.width(), vw);
    setBar(YScrollBar, canvas.height(), vh);
    TheImage->resize(std::max(vw, WorkCanvasMinWidth), std::max(vh, WorkCanvasMinHeight));
    m_loading = false;

    const int type = CurrentDisplayType();
    m_logoWidth = LogoWidth(type);
    m_logoHeight = LogoHeight(type);
    if (newLogo)
        m_sel = LogoRect{0, 0, m_logoWidth, m_logoHeight};
    DarkBackCheck->setChecked(false);
    DarkBackCheck->setEnabled(m_work.framed);
    m_sourcePath = path;
    refreshView();
    setModified(true);
    return true;
}

// ----------------------------------------------------- crop and convert

void TLogoEditor::CropAndConvert()
{
    const int type = CurrentDisplayType();
    if (ThresholdBar->isEnabled() == false && !m_sourcePath.isEmpty()) {
        ThresholdBar->setEnabled(true);
        FixedCheck->setEnabled(true);
        setThresholdQuietly(128);
    }
    LogoBitmap logo;
    if (m_sourcePath.isEmpty()) {
        logo = m_fileLogo;
        if (InvertCheck->isChecked())
            InvertLogo(logo);
    } else {
        const QImage crop = CropCanvas(m_work.canvas, m_sel);
        showCrop(crop, type);
        logo = ConvertLogo(crop, type, ThresholdBar->value(), InvertCheck->isChecked());
    }
    if (!logo.isNull()) {
        (logo.displayType() == VoxaADisplay ? m_logoA : m_logoC) = logo;
        showLogo(logo);
    }
    setModified(true);
}

void TLogoEditor::showLogo(const LogoBitmap &logo)
{
    QLabel *image = logo.displayType() == VoxaADisplay ? LogoImage : BigLogoImage;
    image->setPixmap(QPixmap::fromImage(logoPicture(logo)));
}

void TLogoEditor::showCrop(const QImage &crop, int displayType)
{
    QLabel *image = displayType == VoxaADisplay ? SourceImage : BigSourceImage;
    if (crop.isNull()) {
        image->clear();
        return;
    }
    image->setPixmap(QPixmap::fromImage(crop.scaled(image->size(), Qt::IgnoreAspectRatio, Qt::FastTransformation)));
}

void TLogoEditor::setThresholdQuietly(int value)
{
    m_guard = true;
    ThresholdBar->setValue(value);
    m_guard = false;
    ThresholdValueLabel->setText(QString::number(ThresholdBar->value()));
}

// ----------------------------------------------------------------- view

QSize TLogoEditor::extent() const
{
    return m_work.canvas.size().expandedTo(TheImage->size());
}

QPoint TLogoEditor::scroll() const
{
    return {XScrollBar->value(), YScrollBar->value()};
}

void TLogoEditor::setPictureViewShown(bool shown)
{
    m_viewShown = shown;
    TheImage->setVisible(shown);
    XScrollBar->setVisible(shown);
    YScrollBar->setVisible(shown);
}

void TLogoEditor::showPanelsFor(int displayType)
{
    const bool a = displayType == VoxaADisplay;
    LogoPanel->setVisible(a);
    SourcePanel->setVisible(a);
    BigLogoPanel->setVisible(!a);
    BigSourcePanel->setVisible(!a);
}

void TLogoEditor::setDisplayChecks(int displayType)
{
    m_guard = true;
    VOXAACheck->setChecked(displayType == VoxaADisplay);
    VOXACCheck->setChecked(displayType != VoxaADisplay);
    m_guard = false;
}

void TLogoEditor::refreshView()
{
    if (m_work.canvas.isNull())
        return;
    QImage view(TheImage->size(), QImage::Format_RGB32);
    view.fill(Qt::white);
    QPainter p(&view);
    p.drawImage(QPoint(0, 0), m_work.canvas, QRect(scroll(), TheImage->size()));
    p.end();
    TheImage->picture = view;
    drawSelection();
}

void TLogoEditor::drawSelection()
{
    const QPoint s = scroll();
    TheImage->selection = QRect(QPoint(m_sel.left - s.x(), m_sel.top - s.y()),
                                QPoint(m_sel.right - s.x() - 1, m_sel.bottom - s.y() - 1));
    TheImage->showSelection = !m_sourcePath.isEmpty();
    TheImage->update();
    updateSelectionLabels();
}

void TLogoEditor::updateSelectionLabels()
{
    XLabel->setText(QString::number(m_sel.left));
    YLabel->setText(QString::number(m_sel.top));
    XSLabel->setText(QString::number(m_sel.width()));
    YSLabel->setText(QString::number(m_sel.height()));
}

void TLogoEditor::setPointer(Qt::CursorShape shape)
{
    if (TheImage->cursor().shape() != shape)
        TheImage->setCursor(shape);
}

void TLogoEditor::XScrollBarChange()
{
    if (m_loading)
        return;
    refreshView();
}

void TLogoEditor::YScrollBarChange()
{
    if (m_loading)
        return;
    refreshView();
}

// --------------------------------------------------------------- pointer

void TLogoEditor::TheImageMouseDown(QPoint viewPos, Qt::MouseButton button)
{
    if (button != Qt::LeftButton)
        return;
    if (m_hover == Hover::Move) {
        const QPoint c = viewPos + scroll();
        m_grab = QPoint(m_sel.left - c.x(), m_sel.top - c.y());
        m_dragging = true;
    } else {
        m_grab = QPoint();
    }
}

void TLogoEditor::TheImageMouseMove(QPoint viewPos, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
{
    if (m_sourcePath.isEmpty() || m_work.canvas.isNull())
        return;
    const QPoint s = scroll();
    if (buttons != Qt::LeftButton || modifiers != Qt::NoModifier) {
        updateSelectionLabels();
        const int x = viewPos.x(), y = viewPos.y();
        const int L = m_sel.left - s.x(), T = m_sel.top - s.y();
        const int R = m_sel.right - s.x(), B = m_sel.bottom - s.y();
        const bool inX = L + 1 < x && x < R - 2;
        const bool inY = T + 1 < y && y < B - 2;
        if (inX && inY) {
            m_hover = Hover::Move;
            setPointer(Qt::SizeAllCursor);
        } else if (inY) {
            if (R - 2 <= x && x <= R)
                m_hover = Hover::RightEdge;
            else if (L - 1 <= x && x <= L + 1)
                m_hover = Hover::LeftEdge;
            else
                m_hover = Hover::None;
            setPointer(m_hover == Hover::None ? Qt::ArrowCursor : Qt::SizeHorCursor);
        } else if (inX) {
            if (T - 1 <= y && y <= T + 1)
                m_hover = Hover::TopEdge;
            else if (B - 2 <= y && y <= B)
                m_hover = Hover::BottomEdge;
            else
                m_hover = Hover::None;
            setPointer(m_hover == Hover::None ? Qt::ArrowCursor : Qt::SizeVerCursor);
        }
        return;
    }

    const QSize ext = extent();
    const QPoint c = viewPos + s;
    switch (m_hover) {
    case Hover::None:
        return;
    case Hover::LeftEdge:
        m_sel.left = std::clamp(c.x(), 0, std::max(0, m_sel.right - 2));
        if (FixedCheck->isChecked())
            applyAspectAfterHorizontal(true);
        break;
    case Hover::RightEdge:
        m_sel.right = std::clamp(c.x(), m_sel.left + 2, std::max(m_sel.left + 2, ext.width()));
        if (FixedCheck->isChecked())
            applyAspectAfterHorizontal(false);
        break;
    case Hover::TopEdge:
        m_sel.top = std::clamp(c.y(), 0, std::max(0, m_sel.bottom - 2));
        if (FixedCheck->isChecked())
            applyAspectAfterVertical(true);
        break;
    case Hover::BottomEdge:
        m_sel.bottom = std::clamp(c.y(), m_sel.top + 2, std::max(m_sel.top + 2, ext.height()));
        if (FixedCheck->isChecked())
            applyAspectAfterVertical(false);
        break;
    case Hover::Move: {
        const int w = int(m_sel.width()), h = int(m_sel.height());
        int left = c.x() + m_grab.x(), top = c.y() + m_grab.y();
        // Put back against the side it left; the pointer then slides along.
        if (left < 0 || left + w > ext.width()) {
            left = left < 0 ? 0 : ext.width() - w;
            m_grab.setX(left - c.x());
        }
        if (top < 0 || top + h > ext.height()) {
            top = top < 0 ? 0 : ext.height() - h;
            m_grab.setY(top - c.y());
        }
        m_sel = LogoRect{left, top, left + w, top + h};
        break;
    }
    }
    drawSelection();
    CropAndConvert();
}

void TLogoEditor::applyAspectAfterHorizontal(bool leftEdge)
{
    const int extH = extent().height();
    // At least one row: an empty selection would make the companion
    // unusable and lose the picture on the next opening.
    m_sel.bottom = m_sel.top + std::max(1, int(m_sel.width() * m_logoHeight / m_logoWidth));
    if (m_sel.bottom > extH) {
        m_sel.bottom = extH;
        const int width = std::max(1, int(qint64(extH - m_sel.top) * m_logoWidth / m_logoHeight));
        if (leftEdge)
            m_sel.left = m_sel.right - width;
        else
            m_sel.right = m_sel.left + width;
    }
}

void TLogoEditor::applyAspectAfterVertical(bool topEdge)
{
    const int extW = extent().width();
    m_sel.right = m_sel.left + std::max(1, int(m_sel.height() * m_logoWidth / m_logoHeight));
    if (m_sel.right > extW) {
        m_sel.right = extW;
        const int height = std::max(1, int(qint64(extW - m_sel.left) * m_logoHeight / m_logoWidth));
        if (topEdge)
            m_sel.top = m_sel.bottom - height;
        else
            m_sel.bottom = m_sel.top + height;
    }
}

void TLogoEditor::TheImageMouseUp(QPoint viewPos)
{
    if (!TheImage->rect().contains(viewPos))
        setPointer(Qt::ArrowCursor);
    m_dragging = false;
}

void TLogoEditor::mouseMoveEvent(QMouseEvent *e)
{
    setPointer(Qt::ArrowCursor);
    TEditorFrame::mouseMoveEvent(e);
}

void TLogoEditor::leaveEvent(QEvent *e)
{
    if (!m_dragging)
        setPointer(Qt::ArrowCursor);
    TEditorFrame::leaveEvent(e);
}

// ------------------------------------------------------------- controls

void TLogoEditor::VOXAACClick(QCheckBox *clicked)
{
    if (m_guard)
        return;
    QCheckBox *other = clicked == VOXAACheck ? VOXACCheck : VOXAACheck;
    m_guard = true;
    if (!m_viewShown) {
        // Without a picture the type is the file's: the click is undone.
        clicked->setChecked(!clicked->isChecked());
        m_guard = false;
        return;
    }
    clicked->setChecked(true);
    other->setChecked(false);
    m_guard = false;

    const int type = CurrentDisplayType();
    showPanelsFor(type);
    m_logoWidth = LogoWidth(type);
    m_logoHeight = LogoHeight(type);
    m_sel.right = m_sel.left + m_logoWidth;
    m_sel.bottom = m_sel.top + m_logoHeight;
    if (type == VaDaDisplay) {
        const QSize ext = extent();
        if (m_sel.right > ext.width()) {
            m_sel.right = ext.width();
            m_sel.left = m_sel.right - m_logoWidth;
        }
        if (m_sel.bottom > ext.height()) {
            m_sel.bottom = ext.height();
            m_sel.top = m_sel.bottom - m_logoHeight;
        }
    }
    drawSelection();
    XSLabel->setText(QString::number(m_logoWidth));
    YSLabel->setText(QString::number(m_logoHeight));
    CropAndConvert();
}

void TLogoEditor::FixedCheckClick()
{
    if (!FixedCheck->isChecked() || m_sourcePath.isEmpty())
        return;
    const qint64 w = m_sel.width(), h = m_sel.height();
    // At least one pixel each way, as the edge drags keep it: a narrow
    // selection would otherwise lose its last row.
    const int w2 = std::max(1, int(h * m_logoWidth / m_logoHeight));
    const int h2 = std::max(1, int(w * m_logoHeight / m_logoWidth));
    if (w2 >= w)
        m_sel.bottom = m_sel.top + h2;
    else
        m_sel.right = m_sel.left + w2;
    drawSelection();
    CropAndConvert();
}

void TLogoEditor::DarkBackCheckClick()
{
    if (m_sourcePath.isEmpty() || !m_work.framed)
        return;
    RefillWorkCanvas(m_work, m_picture, DarkBackCheck->isChecked());
    refreshView();
    CropAndConvert();
}

void TLogoEditor::ThresholdBarChange()
{
    ThresholdValueLabel->setText(QString::number(ThresholdBar->value()));
    if (m_guard || !isVisible())
        return;
    CropAndConvert();
    setModified(true);
}

void TLogoEditor::InvertCheckClick()
{
    CropAndConvert();
}

void RegisterLogoEditor()
{
    RegisterFrame(FrameKind::LogoEditor, [](FrameHost &host, QWidget *parent) -> QWidget * {
        return new TLogoEditor(&host, parent);
    });
}

}  // namespace voxa
