#include "editors/playdisplay/playdisplayeditor.h"

#include "app/appstate.h"
#include "app/framecatalog.h"
#include "app/framehost.h"
#include "app/languagetargets.h"
#include "app/framehost.h"
#include "app/messagetable.h"
#include "platform/fileops.h"
#include "platform/prompts.h"
#include "ui/skinbutton.h"
#include "ui/skinfonts.h"
#include "ui/panelcontrols.h"
#include "ui/skinpanel.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>
#include <cmath>

namespace voxa {
namespace {

const QColor DisplayColor(0, 128, 255);
const QColor FieldFill(0, 0, 176);
const QColor InverseFill(144, 144, 144);
const QColor InverseText(0, 0, 144);
const QColor FieldFrame(0, 0, 96);

const QSize SmallArea(387, 171);
const QSize BigArea(531, 195);

// The player's VU meter, 11 x 48: ten bars from green to red over a black
// ground that takes the display colour when enlarged.
QImage makeVuMeter()
{
    QImage img(11, 48, QImage::Format_RGB32);
    img.fill(Qt::black);
    for (int bar = 0; bar < 12; ++bar) {
        const int y = 47 - bar * 4;
        const QColor c = bar < 7 ? QColor(64, 255, 64) : bar < 10 ? QColor(255, 230, 64) : QColor(255, 64, 64);
        for (int row = y - 2; row <= y; ++row)
            for (int x = 1; x < 10; ++x)
                img.setPixelColor(x, row, c);
    }
    return img;
}

// Every pixel a block of 3 x 3; pixels without red take the display colour.
QImage enlargeVuMeter(const QImage &small)
{
    QImage big(small.width() * 3, small.height() * 3, QImage::Format_RGB32);
    for (int y = 0; y < small.height(); ++y)
        for (int x = 0; x < small.width(); ++x) {
            const QColor c = small.pixelColor(x, y);
            const QColor out = c.red() == 0 ? DisplayColor : c;
            for (int dy = 0; dy < 3; ++dy)
                for (int dx = 0; dx < 3; ++dx)
                    big.setPixelColor(3 * x + dx, 3 * y + dy, out);
        }
    return big;
}

// A rectangle from its first corner to its second, exclusive one.
QRect span(int x1, int y1, int x2, int y2)
{
    return QRect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1));
}

int roundHalfEven(double v)
{
    return int(std::nearbyint(v));  // the default rounding mode sends halves to the even neighbour
}

}  // namespace

// ============================================================ drawing area

PlayDisplayArea::PlayDisplayArea(QSize size, QWidget *parent) : QWidget(parent)
{
    setFixedSize(size);
    setMouseTracking(true);
}

void PlayDisplayArea::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (!picture.isNull())
        p.drawImage(0, 0, picture);
}

void PlayDisplayArea::mousePressEvent(QMouseEvent *e)
{
    emit pressed(e->position().toPoint(), e->button());
}

void PlayDisplayArea::mouseMoveEvent(QMouseEvent *e)
{
    emit moved(e->position().toPoint());
}

void PlayDisplayArea::mouseReleaseEvent(QMouseEvent *e)
{
    emit released(e->position().toPoint(), e->button());
}

// ================================================================= editor

namespace {

QRadioButton *panelRadio(QWidget *parent, const QPalette &pal, const QString &text, QRect geometry)
{
    auto *r = new QRadioButton(text, parent);
    r->setGeometry(geometry);
    r->setPalette(pal);
    return r;
}

}  // namespace

TPlaydisplayEditor::TPlaydisplayEditor(FrameHost *host, QWidget *parent) : TEditorFrame(host, parent)
{
    createAreas();
    QLabel *textFieldsLabel = createFieldControls();
    createGroups();
    registerTexts(textFieldsLabel);
    m_vuMeter = makeVuMeter();
    resize(660, 470);
}

// The small and the big display, one shown at a time.
void TPlaydisplayEditor::createAreas()
{
    QWidget *panel = MainPanel();
    PlayDispPaint = new PlayDisplayArea(SmallArea, panel);
    PlayDispPaint->move(8, 8);
    BigPlayDispPaint = new PlayDisplayArea(BigArea, panel);
    BigPlayDispPaint->move(8, 8);
    for (PlayDisplayArea *area : {PlayDispPaint, BigPlayDispPaint}) {
        area->hide();
        connect(area, &PlayDisplayArea::pressed, this, [this](QPoint p, Qt::MouseButton b) {
            if (b == Qt::LeftButton)
                PlayDispPaintMouseDown(p);
        });
        connect(area, &PlayDisplayArea::moved, this, [this](QPoint p) {
            PlayDispPaintMouseMove(p, QGuiApplication::mouseButtons() & Qt::LeftButton);
        });
        connect(area, &PlayDisplayArea::released, this, [this](QPoint p, Qt::MouseButton b) {
            if (b == Qt::LeftButton)
                PlayDispPaintMouseUp(p);
        });
    }
}

// The position labels, the list of contents, the add and remove buttons and
// the three check boxes; returns the list's caption.
QLabel *TPlaydisplayEditor::createFieldControls()
{
    QWidget *panel = MainPanel();
    const QPalette pal = PanelTextPalette(panel->palette());
    auto label = [&](const QString &text, QRect geometry, bool boxed = false) {
        return PanelLabel(panel, pal, text, geometry, boxed);
    };
    PositionLabel = label(QStringLiteral("Position"), QRect(550, 8, 100, 18));
    TXLabel = label(QStringLiteral("N/A"), QRect(550, 28, 46, 20), true);
    TYLabel = label(QStringLiteral("N/A"), QRect(602, 28, 46, 20), true);
    TextFieldLabel = label(QStringLiteral("Width"), QRect(550, 54, 100, 18));
    TFWidthLabel = label(QStringLiteral("N/A"), QRect(550, 74, 46, 20), true);
    XLabel = label(QString(), QRect(550, 100, 40, 18));
    YLabel = label(QString(), QRect(600, 100, 40, 18));
    XLabel->hide();
    YLabel->hide();

    QLabel *textFieldsLabel = label(QStringLiteral("Text Fields"), QRect(8, 208, 190, 18));
    StringList = new QListWidget(panel);
    StringList->setGeometry(8, 228, 190, 180);
    for (const PlayContentKind &kind : PlayContentKinds())
        StringList->addItem(QString::fromLatin1(kind.caption));
    connect(StringList, &QListWidget::itemSelectionChanged, this, &TPlaydisplayEditor::StringListSelectItem);
    connect(StringList, &QListWidget::itemClicked, this, &TPlaydisplayEditor::StringListClick);
    connect(StringList, &QListWidget::itemDoubleClicked, this, &TPlaydisplayEditor::AddField);

    NewTextFieldButton = MakeCaptionButton(panel, QStringLiteral("Add Text Field"), QRect(208, 212, 128, 25));
    NewTextFieldButton->setEnabled(false);
    NewTextFieldButton->setClickHandler([this] { AddField(); });
    RemoveTextFButton = MakeCaptionButton(panel, QStringLiteral("Remove Text Field"), QRect(208, 242, 128, 25));
    RemoveTextFButton->setClickHandler([this] { RemoveField(); });

    VUMeterCheck = PanelCheckBox(panel, pal, QStringLiteral("VUMeter"), QRect(210, 280, 120, 20));
    VOXAACheck = PanelCheckBox(panel, pal, QStringLiteral("VOXA-A"), QRect(210, 304, 120, 20));
    VOXACCheck = PanelCheckBox(panel, pal, QStringLiteral("VA-DA"), QRect(210, 328, 120, 20));
    connect(VUMeterCheck, &QCheckBox::clicked, this, &TPlaydisplayEditor::VUMeterCheckClick);
    connect(VOXAACheck, &QCheckBox::clicked, this, [this] { VOXAACClick(VOXAACheck); });
    connect(VOXACCheck, &QCheckBox::clicked, this, [this] { VOXAACClick(VOXACCheck); });
    return textFieldsLabel;
}

// The text size and alignment groups.
void TPlaydisplayEditor::createGroups()
{
    QWidget *panel = MainPanel();
    const QPalette pal = PanelTextPalette(panel->palette());
    SizeGroup = new QGroupBox(QStringLiteral("Text"), panel);
    SizeGroup->setGeometry(346, 206, 120, 96);
    SizeGroup->setPalette(pal);
    Point8Button = panelRadio(SizeGroup, pal, QStringLiteral("8 pixel"), QRect(10, 20, 100, 20));
    Point12Button = panelRadio(SizeGroup, pal, QStringLiteral("12 pixel"), QRect(10, 44, 100, 20));
    InvertCheck = PanelCheckBox(SizeGroup, pal, QStringLiteral("Inverse"), QRect(10, 68, 100, 20));
    Point8Button->setChecked(true);
    connect(Point8Button, &QRadioButton::clicked, this, &TPlaydisplayEditor::Point8ButtonClick);
    connect(Point12Button, &QRadioButton::clicked, this, &TPlaydisplayEditor::Point12ButtonClick);
    connect(InvertCheck, &QCheckBox::clicked, this, &TPlaydisplayEditor::InvertCheckClick);

    AlignmentGroup = new QGroupBox(QStringLiteral("Alignment"), panel);
    AlignmentGroup->setGeometry(476, 206, 130, 120);
    AlignmentGroup->setPalette(pal);
    LeftButton = panelRadio(AlignmentGroup, pal, QStringLiteral("Left"), QRect(10, 20, 110, 20));
    CenterButton = panelRadio(AlignmentGroup, pal, QStringLiteral("Center"), QRect(10, 44, 110, 20));
    RightButton = panelRadio(AlignmentGroup, pal, QStringLiteral("Right"), QRect(10, 68, 110, 20));
    AutoscrollButton = panelRadio(AlignmentGroup, pal, QStringLiteral("Autoscroll"), QRect(10, 92, 110, 20));
    LeftButton->setChecked(true);
    const std::pair<QRadioButton *, PlayAlignment> alignments[] = {{LeftButton, PlayAlignment::Left},
                                                                   {CenterButton, PlayAlignment::Center},
                                                                   {RightButton, PlayAlignment::Right},
                                                                   {AutoscrollButton, PlayAlignment::Autoscroll}};
    for (const auto &[b, a] : alignments)
        connect(b, &QRadioButton::clicked, this, [this, a = a] { AlignmentClick(a); });
}

// The captions a language file replaces; the list of contents is matched by
// position, never by text.
void TPlaydisplayEditor::registerTexts(QLabel *textFieldsLabel)
{
    auto &targets = LanguageTargets::instance();
    targets.add(31, this, [this](const QString &t) { NewTextFieldButton->setCaption(t); });
    targets.add(32, this, [this](const QString &t) { RemoveTextFButton->setCaption(t); });
    targets.add(33, this, [this](const QString &t) { InvertCheck->setText(t); });
    targets.add(34, this, [this](const QString &t) { VUMeterCheck->setText(t); });
    targets.add(35, this, [this](const QString &t) { SizeGroup->setTitle(t); });
    targets.add(36, this, [textFieldsLabel](const QString &t) { textFieldsLabel->setText(t); });
    targets.add(37, this, [this](const QString &t) { Point8Button->setText(t); });
    targets.add(38, this, [this](const QString &t) { Point12Button->setText(t); });
    targets.add(39, this, [this](const QString &t) { AlignmentGroup->setTitle(t); });
    targets.add(40, this, [this](const QString &t) { LeftButton->setText(t); });
    targets.add(41, this, [this](const QString &t) { CenterButton->setText(t); });
    targets.add(42, this, [this](const QString &t) { RightButton->setText(t); });
    targets.add(43, this, [this](const QString &t) { AutoscrollButton->setText(t); });
    targets.add(44, this, [this](const QString &t) { PositionLabel->setText(t); });
    targets.add(45, this, [this](const QString &t) { TextFieldLabel->setText(t); });
    for (int row = 0; row < StringList->count() && row < 19; ++row)
        targets.add(155 + row, this, [this, row](const QString &t) { StringList->item(row)->setText(t); });
}

PlayDisplayArea *TPlaydisplayEditor::CurrentArea() const
{
    return m_displayType == VoxaADisplay ? PlayDispPaint : BigPlayDispPaint;
}

PlayLayout TPlaydisplayEditor::layout() const
{
    PlayLayout l;
    l.vuMeter = VUMeterCheck->isChecked();
    l.fields = Fields();
    return l;
}

// ------------------------------------------------------ framework steps

void TPlaydisplayEditor::Activate()
{
    TEditorFrame::Activate();
    if (!FileName().isEmpty()) {
        DrawDisplay();  // a layout just loaded while hidden
        return;
    }
    WriteTitle();
    setDisplayType(appState().DisplayType == 1 ? VoxaADisplay : VaDaDisplay);
    setExtension(QStringLiteral("ply"));
    VUMeterCheck->setChecked(true);
    setVuItem(true);
    DrawDisplay();
    setModified(false);
}

void TPlaydisplayEditor::Reset()
{
    m_items = {PlayField{}};
    m_selected = 0;
    setFileName(QString());
    InvertCheck->setChecked(false);
    Point8Button->setChecked(true);
    LeftButton->setChecked(true);
    VUMeterCheck->setChecked(false);
    m_guard = true;
    VOXAACheck->setChecked(false);
    VOXACCheck->setChecked(false);
    m_guard = false;
    PlayDispPaint->hide();
    BigPlayDispPaint->hide();
    NewTextFieldButton->setEnabled(false);
    StringList->clearSelection();
    TEditorFrame::Reset();
}

void TPlaydisplayEditor::FirstShowSetup()
{
    TEditorFrame::FirstShowSetup();
    m_bigVuMeter = enlargeVuMeter(m_vuMeter);
    // The alignment group shows the panel's background under it.
    const QImage back = MainPanel()->Background();
    if (!back.isNull()) {
        QPalette p = AlignmentGroup->palette();
        p.setBrush(QPalette::Window, QBrush(back.copy(AlignmentGroup->geometry())));
        AlignmentGroup->setPalette(p);
    }
}

void TPlaydisplayEditor::LayoutButtons()
{
    CancelButton->move(width() - CancelButton->width() - 9, height() - CancelButton->height() - 49);
    EditOKButton->move(CancelButton->x() - EditOKButton->width() - 6, CancelButton->y());
}

void TPlaydisplayEditor::RefreshTitle()
{
    if (!isVisible())
        return;
    setOverlapped(false);
    DrawDisplay();
    WriteTitle();
}

bool TPlaydisplayEditor::Load()
{
    const auto doc = LoadPlaydisplayFile(FileName());
    if (!doc) {
        if (doc.error().cannotOpen()) {
            prompts().warning(doc.error().message());
            return false;
        }
        ReportWrongFormat();
        return false;
    }
    WriteTitle();
    m_guard = true;
    setDisplayType(doc->displayType);
    m_guard = false;
    VUMeterCheck->setChecked(doc->layout.vuMeter);
    m_items = {PlayField{}};
    setVuItem(doc->layout.vuMeter);
    // A damaged file's field beyond the display could neither be seen nor
    // moved without its position wrapping round.
    for (PlayField f : doc->layout.fields) {
        ClampFieldToDisplay(f, m_displayType);
        m_items.append(f);
    }
    m_selected = 0;
    NewTextFieldButton->setEnabled(m_items.size() - 1 < PlayMaxFields && !StringList->selectedItems().isEmpty());
    if (isVisible())
        DrawDisplay();
    setModified(false);
    return true;
}

bool TPlaydisplayEditor::Save()
{
    TEditorFrame::Save();
    WriteTitle();
    if (!askToMakeWritable(FileName(), QString(), msg(Msg::OverwriteExisting), Placement::centered()))
        return false;
    const WriteResult written = SavePlaydisplayFile(FileName(), layout());
    if (written.failed()) {
        prompts().warning(written.reason == FileFailure::CannotCreate ? msg(Msg::OpenForWriteError) : written.text());
        return false;
    }
    setModified(false);
    return true;
}

bool TPlaydisplayEditor::ImageKeyDown(int key, Qt::KeyboardModifiers)
{
    if (!isVisible() || m_selected <= 0)
        return false;
    PlayField &f = m_items[m_selected];
    switch (key) {
    case Qt::Key_Delete:
        RemoveField();
        return true;
    case Qt::Key_Left:
        if (f.left > 0) {
            f.left -= 1;
            f.setRight(f.right - 1);
        }
        break;
    case Qt::Key_Right:
        if (f.right < m_geometry.width) {
            f.left += 1;
            f.setRight(f.right + 1);
        }
        break;
    case Qt::Key_Up:
        if (f.top > 0)
            f.top -= 1;
        break;
    case Qt::Key_Down:
        if (FieldBottom(f) < m_geometry.height - 1)
            f.top += 1;
        break;
    default:
        return true;
    }
    setModified(true);
    updatePositionLabels();
    DrawDisplay();
    return true;
}

// --------------------------------------------------------------- drawing

void TPlaydisplayEditor::DrawDisplay()
{
    setOverlapped(false);
    PlayDisplayArea *area = CurrentArea();
    QImage img(area->size(), QImage::Format_RGB32);
    img.fill(DisplayColor);
    QPainter p(&img);
    p.setPen(Qt::white);
    p.drawRect(img.rect().adjusted(0, 0, -1, -1));
    if (VUMeterCheck->isChecked() && !m_bigVuMeter.isNull()) {
        const int vuLeft = m_geometry.width - m_geometry.vuWidth;
        p.drawImage(span(3 * vuLeft + 1, 1, 3 * m_geometry.width + 1, 3 * m_geometry.vuBottom + 4), m_bigVuMeter);
    }
    const PlayRect vu = VuMeterRect(m_displayType);
    for (int i = 1; i < m_items.size(); ++i) {
        const PlayField &f = m_items[i];
        const int bottom = FieldBottom(f);
        const QRect box = span(3 * f.left + 1, 3 * f.top + 1, 3 * (f.right - 1) + 3, 3 * bottom + 3);
        p.fillRect(box, f.isInverse() ? InverseFill : FieldFill);
        QFont font = ShellDlgFont(bottom - f.top > 9 ? 22 : 16);
        font.setItalic(f.alignment() == PlayAlignment::Autoscroll);
        p.setFont(font);
        p.setPen(f.isInverse() ? InverseText : Qt::white);
        const Qt::Alignment h = (f.flags & PlayFlag::Right)    ? Qt::AlignRight
                                : (f.flags & PlayFlag::Center) ? Qt::AlignHCenter
                                                               : Qt::AlignLeft;
        const QRect textBox(QPoint(3 * f.left + 2, 3 * f.top + 2), box.bottomRight());
        p.save();
        p.setClipRect(box);
        p.drawText(textBox, int(h | Qt::AlignVCenter), ContentKindCaption(f.kind));
        p.restore();
        p.setPen(FieldFrame);
        p.drawRect(span(3 * f.left + 1, 3 * f.top + 1, 3 * (f.right - 1) + 4, 3 * bottom + 4).adjusted(0, 0, -1, -1));
        // Against the VU meter and every field before it.
        QList<PlayRect> others;
        if (VUMeterCheck->isChecked())
            others << vu;
        for (int j = 1; j < i; ++j)
            others << FieldRect(m_items[j]);
        for (const PlayRect &o : std::as_const(others))
            if (const auto shared = SharedArea(FieldRect(f), o)) {
                p.fillRect(span(3 * shared->left + 1, 3 * shared->top + 1, 3 * (shared->right - 1) + 3,
                                3 * shared->bottom + 3),
                           Qt::red);
                setOverlapped(true);
            }
    }
    if (m_selected > 0 && m_selected < m_items.size()) {
        const PlayField &f = m_items[m_selected];
        p.setPen(Qt::white);
        p.drawRect(span(3 * f.left + 1, 3 * f.top + 1, 3 * (f.right - 1) + 4, 3 * FieldBottom(f) + 4)
                       .adjusted(0, 0, -1, -1));
    }
    p.end();
    area->picture = img;
    area->update();
}

// ------------------------------------------------------------- selection

int TPlaydisplayEditor::HitTest(QPoint pos) const
{
    for (int i = 1; i < m_items.size(); ++i) {
        const PlayField &f = m_items[i];
        if (pos.x() >= f.left && pos.x() <= f.right - 1 && pos.y() >= f.top && pos.y() <= FieldBottom(f))
            return i;
    }
    return 0;
}

void TPlaydisplayEditor::SelectFieldAt(QPoint pos)
{
    const int hit = HitTest(pos);
    if (hit == 0) {
        m_selected = 0;
    } else {
        m_items.append(m_items.takeAt(hit));
        m_selected = int(m_items.size()) - 1;
        showSelection();
    }
    updatePositionLabels();
    setOverlapped(false);
    DrawDisplay();
}

void TPlaydisplayEditor::showSelection()
{
    // Showing the field's attributes is no edit.
    const bool modified = Modified();
    m_selecting = true;
    const PlayField &f = m_items[m_selected];
    (f.isBigFont() ? Point12Button : Point8Button)->setChecked(true);
    InvertCheck->setChecked(f.isInverse());
    switch (f.alignment()) {
    case PlayAlignment::Autoscroll: AutoscrollButton->setChecked(true); break;
    case PlayAlignment::Right: RightButton->setChecked(true); break;
    case PlayAlignment::Center: CenterButton->setChecked(true); break;
    case PlayAlignment::Left: LeftButton->setChecked(true); break;
    }
    StringList->blockSignals(true);
    if (const PlayContentKind *kind = FindContentKind(f.kind)) {
        StringList->setCurrentRow(kind->listPosition);
        StringList->scrollToItem(StringList->item(kind->listPosition));
    } else {
        StringList->clearSelection();
    }
    StringList->blockSignals(false);
    NewTextFieldButton->setEnabled(!StringList->selectedItems().isEmpty() && m_items.size() - 1 < PlayMaxFields);
    m_selecting = false;
    setModified(modified);
}

void TPlaydisplayEditor::updatePositionLabels()
{
    if (m_selected > 0 && m_selected < m_items.size()) {
        const PlayField &f = m_items[m_selected];
        TXLabel->setText(QString::number(f.left));
        TYLabel->setText(QString::number(f.top));
        TFWidthLabel->setText(QString::number(f.width()));
    } else {
        TXLabel->setText(QStringLiteral("N/A"));
        TYLabel->setText(QStringLiteral("N/A"));
    }
}

void TPlaydisplayEditor::StringListClick()
{
    m_selected = 0;
    updatePositionLabels();
    DrawDisplay();
}

void TPlaydisplayEditor::StringListSelectItem()
{
    NewTextFieldButton->setEnabled(!StringList->selectedItems().isEmpty() && m_items.size() - 1 < PlayMaxFields);
}

// --------------------------------------------------------------- pointer

Qt::CursorShape TPlaydisplayEditor::PointerShape() const
{
    return CurrentArea()->cursor().shape();
}

void TPlaydisplayEditor::PlayDispPaintMouseDown(QPoint areaPos)
{
    m_pointer = QPoint(areaPos.x() / 3, areaPos.y() / 3);
    StringList->setFocus();
    m_buttonDown = true;
    m_moved = false;
    if (m_edgeItem > 0) {
        if (m_edgeItem != m_selected) {
            SelectFieldAt(m_pointer);
            m_edgeItem = m_selected;
        }
    } else if (m_selected == 0 || HitTest(m_pointer) != m_selected) {
        const PlayField *sel = m_selected > 0 ? &m_items[m_selected] : nullptr;
        const bool inside = sel && m_pointer.x() >= sel->left && m_pointer.x() <= sel->right - 1
                            && m_pointer.y() >= sel->top && m_pointer.y() <= FieldBottom(*sel);
        if (!inside)
            SelectFieldAt(m_pointer);
    }
    if (m_selected > 0) {
        const PlayField &f = m_items[m_selected];
        updatePositionLabels();
        m_grab = QPoint(m_pointer.x() - f.left, m_pointer.y() - f.top);
    }
}

void TPlaydisplayEditor::PlayDispPaintMouseMove(QPoint areaPos, bool buttonDown)
{
    m_pointer = QPoint(areaPos.x() / 3, areaPos.y() / 3);
    m_moved = true;
    XLabel->setText(QString::number(m_pointer.x()));
    YLabel->setText(QString::number(m_pointer.y()));
    if (!buttonDown || !m_buttonDown) {
        m_edgeItem = 0;
        for (int i = int(m_items.size()) - 1; i >= 1; --i) {
            const PlayField &f = m_items[i];
            if (m_pointer.y() < f.top || m_pointer.y() > FieldBottom(f))
                continue;
            if (m_pointer.x() == f.left || m_pointer.x() == f.right - 1) {
                m_edgeItem = i;
                m_leftEdge = m_pointer.x() == f.left;
                break;
            }
        }
        CurrentArea()->setCursor(m_edgeItem > 0 ? Qt::SizeHorCursor : Qt::ArrowCursor);
        updatePositionLabels();
        return;
    }
    if (m_selected <= 0)
        return;
    PlayField &f = m_items[m_selected];
    if (m_edgeItem > 0) {
        setModified(true);
        const int x = std::clamp(m_pointer.x(), 0, m_geometry.width);
        if (m_leftEdge) {
            if (x < f.right - 2 && x != f.left)
                f.left = quint16(x);
        } else if (x > f.left + 2 && x != f.right) {
            f.setRight(quint16(x));
        }
        updatePositionLabels();
        DrawDisplay();
        return;
    }
    setModified(true);
    const int w = f.width();
    const int h = FieldBottom(f) - f.top;
    if (!m_grab || m_grab->x() < 0 || m_grab->x() > w - 1 || m_grab->y() < 0 || m_grab->y() > h - 1)
        m_grab = QPoint(m_pointer.x() - f.left, m_pointer.y() - f.top);
    int left = m_pointer.x() - m_grab->x();
    int top = m_pointer.y() - m_grab->y();
    if (left < 0 || top < 0) {
        left = std::max(left, 0);
        top = std::max(top, 0);
        m_grab = QPoint(m_pointer.x() - left, m_pointer.y() - top);
    }
    if (left + w > m_geometry.width) {
        left = std::max(0, m_geometry.width - w);
        m_grab = QPoint(m_pointer.x() - left, m_pointer.y() - top);
    }
    if (top + h > m_geometry.height - 1) {
        top = std::max(0, m_geometry.height - 1 - h);
        m_grab = QPoint(m_pointer.x() - left, m_pointer.y() - top);
    }
    const bool inside = m_grab->x() >= 0 && m_grab->x() <= w - 1 && m_grab->y() >= 0 && m_grab->y() <= h - 1;
    if (inside && (left != f.left || top != f.top)) {
        f.left = quint16(left);
        f.top = quint16(top);
        f.setRight(quint16(left + w));
        updatePositionLabels();
        DrawDisplay();
    }
}

void TPlaydisplayEditor::PlayDispPaintMouseUp(QPoint areaPos)
{
    m_pointer = QPoint(areaPos.x() / 3, areaPos.y() / 3);
    if (!m_moved && m_edgeItem == 0)
        SelectFieldAt(m_pointer);
    m_buttonDown = false;
    m_grab.reset();
}

// ------------------------------------------------------------ the fields

PlayAlignment TPlaydisplayEditor::chosenAlignment() const
{
    if (AutoscrollButton->isChecked())
        return PlayAlignment::Autoscroll;
    if (RightButton->isChecked())
        return PlayAlignment::Right;
    if (CenterButton->isChecked())
        return PlayAlignment::Center;
    return PlayAlignment::Left;
}

void TPlaydisplayEditor::AddField()
{
    const int row = StringList->currentRow();
    if (StringList->selectedItems().isEmpty() || row < 0 || row >= PlayContentKinds().size()
        || m_items.size() - 1 >= PlayMaxFields)
        return;
    setModified(true);
    PlayField f = MakePlayField(PlayContentKinds()[row], Point12Button->isChecked(), InvertCheck->isChecked(),
                                chosenAlignment(), m_displayType);
    m_items.append(f);
    m_selected = int(m_items.size()) - 1;
    updatePositionLabels();
    TFWidthLabel->setText(QString::number(f.width()));
    if (m_items.size() - 1 >= PlayMaxFields)
        NewTextFieldButton->setEnabled(false);
    setOverlapped(false);
    DrawDisplay();
}

void TPlaydisplayEditor::RemoveField()
{
    if (m_selected <= 0 || m_selected >= m_items.size())
        return;
    m_items.removeAt(m_selected);
    m_selected = 0;
    setModified(true);
    updatePositionLabels();
    StringListSelectItem();
    DrawDisplay();
}

void TPlaydisplayEditor::keepOnDisplay(PlayField &f)
{
    if (FieldBottom(f) > m_geometry.height - 1)
        f.top = quint16(m_geometry.height - 1 - FieldHeightOffset(f.isBigFont(), f.isInverse()));
}

void TPlaydisplayEditor::attributeChanged()
{
    setModified(true);
    setOverlapped(false);
    updatePositionLabels();
    DrawDisplay();
}

void TPlaydisplayEditor::Point8ButtonClick()
{
    if (m_selecting || m_selected <= 0)
        return;
    PlayField &f = m_items[m_selected];
    f.flags &= quint16(~PlayFlag::BigFont);
    keepOnDisplay(f);
    attributeChanged();
}

void TPlaydisplayEditor::Point12ButtonClick()
{
    if (m_selecting || m_selected <= 0)
        return;
    PlayField &f = m_items[m_selected];
    f.flags |= PlayFlag::BigFont;
    keepOnDisplay(f);
    attributeChanged();
}

void TPlaydisplayEditor::InvertCheckClick()
{
    if (m_selecting || m_selected <= 0)
        return;
    PlayField &f = m_items[m_selected];
    if (InvertCheck->isChecked())
        f.flags |= PlayFlag::Inverse;
    else
        f.flags &= quint16(~PlayFlag::Inverse);
    keepOnDisplay(f);
    attributeChanged();
}

void TPlaydisplayEditor::AlignmentClick(PlayAlignment alignment)
{
    if (m_selecting || m_selected <= 0)
        return;
    SetFieldAlignment(m_items[m_selected], alignment);
    attributeChanged();
}

void TPlaydisplayEditor::setVuItem(bool on)
{
    PlayField vu;
    if (on) {
        vu.left = quint16(m_geometry.width - m_geometry.vuWidth);
        vu.setRight(quint16(m_geometry.width));
    }
    m_items[0] = vu;
}

void TPlaydisplayEditor::VUMeterCheckClick()
{
    setVuItem(VUMeterCheck->isChecked());
    setModified(true);
    if (isVisible())
        DrawDisplay();
}

// ---------------------------------------------------------- display type

void TPlaydisplayEditor::setDisplayType(int type)
{
    m_displayType = type == VoxaADisplay ? VoxaADisplay : VaDaDisplay;
    m_geometry = PlayGeometry(m_displayType);
    const bool guard = m_guard;
    m_guard = true;
    VOXAACheck->setChecked(m_displayType == VoxaADisplay);
    VOXACCheck->setChecked(m_displayType == VaDaDisplay);
    m_guard = guard;
    PlayDispPaint->setVisible(m_displayType == VoxaADisplay);
    BigPlayDispPaint->setVisible(m_displayType == VaDaDisplay);
    if (m_displayType == VaDaDisplay && AutoscrollButton->isChecked())
        LeftButton->setChecked(true);
    AutoscrollButton->setEnabled(m_displayType == VoxaADisplay);
}

void TPlaydisplayEditor::VOXAACClick(QCheckBox *clicked)
{
    if (m_guard)
        return;
    if (!clicked->isChecked()) {
        // The box in force cannot be turned off; the other one switches.
        m_guard = true;
        clicked->setChecked(true);
        m_guard = false;
        return;
    }
    const QSize oldArea = CurrentArea()->size();
    setDisplayType(clicked == VOXAACheck ? VoxaADisplay : VaDaDisplay);
    RescaleLayout(oldArea, CurrentArea()->size());
    setVuItem(VUMeterCheck->isChecked());
    setModified(true);
    DrawDisplay();
}

void TPlaydisplayEditor::RescaleLayout(QSize oldArea, QSize newArea)
{
    const double fx = double(newArea.width()) / oldArea.width();
    const double fy = double(newArea.height()) / oldArea.height();
    for (int i = 1; i < m_items.size(); ++i) {
        PlayField &f = m_items[i];
        f.left = quint16(roundHalfEven(f.left * fx));
        f.top = quint16(roundHalfEven(f.top * fy));
        f.setRight(quint16(roundHalfEven(f.right * fx)));
        if (f.top != 0)
            f.top = quint16(fy > 1 ? f.top + 1 : f.top - 1);
        // Rounding may leave a one-column field without a column.
        ClampFieldToDisplay(f, m_displayType);
    }
    updatePositionLabels();
}

void RegisterPlaydisplayEditor()
{
    RegisterFrame(FrameKind::PlaydisplayEditor, [](FrameHost &host, QWidget *parent) -> QWidget * {
        return new TPlaydisplayEditor(&host, parent);
    });
}

}  // namespace voxa
