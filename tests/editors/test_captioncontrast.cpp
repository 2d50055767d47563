// The captions of the skinned buttons stay readable: each dialog (and a
// button on a tinted skin panel, as on the frames) is rendered offscreen and
// the caption's contrast against the face is measured in every state.
#include "app/features.h"
#include "app/frametable.h"
#include "app/mainform.h"
#include "editors/devicedialogs.h"
#include "support/framewindow.h"
#include "ui/skinbutton.h"
#include "ui/skinpanel.h"
#include "update/proxydialog.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScopeGuard>
#include <QTest>

#include <cmath>
#include <functional>
#include <map>
#include <memory>

using namespace voxa;

namespace {

double channel(int c)
{
    const double v = c / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

double ratio(QRgb a, QRgb b)
{
    auto lum = [](QRgb c) { return 0.2126 * channel(qRed(c)) + 0.7152 * channel(qGreen(c)) + 0.0722 * channel(qBlue(c)); };
    const double la = lum(a), lb = lum(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The face is the commonest colour of the button's picture; the caption's
// colour is the pixel that stands out most from it.
double captionContrast(const QImage &picture)
{
    const QImage img = picture.convertToFormat(QImage::Format_RGB32);
    std::map<QRgb, int> counts;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            ++counts[img.pixel(x, y)];
    QRgb face = 0;
    int most = 0;
    for (const auto &[colour, n] : counts)
        if (n > most)
            most = n, face = colour;
    double best = 1.0;
    for (const auto &entry : counts)
        best = std::max(best, ratio(entry.first, face));
    return best;
}

void send(QWidget *w, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    const QPointF at(w->width() / 2.0, w->height() / 2.0);
    QMouseEvent e(type, at, w->mapToGlobal(at), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

enum class State { Normal, Hovered, Pressed, Disabled, Focused };

void putInto(TSkinButton *b, State state)
{
    b->setEnabled(state != State::Disabled);
    if (state == State::Hovered || state == State::Pressed)
        send(b, QEvent::MouseMove, Qt::NoButton, Qt::NoButton);
    if (state == State::Pressed)
        send(b, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton);
    if (state == State::Focused) {
        b->setFocusPolicy(Qt::StrongFocus);
        b->setFocus();
    }
}

using Maker = std::function<QWidget *()>;

// A frame's look: a skin panel with the skin's colour or a picture, and a
// button with the blue face of the light pages.
QWidget *panelWith(const QColor &panelColour, const QColor &baseColour, bool picture)
{
    auto *panel = new TSkinPanel;
    panel->resize(200, 60);
    panel->setColor(panelColour);
    if (picture) {
        QImage bg(200, 60, QImage::Format_RGB32);
        bg.fill(panelColour);
        panel->setBackground(bg);
    }
    auto *b = new TSkinButton(panel);
    b->setAutoSize(false);
    b->setGeometry(10, 10, 110, 25);
    b->setCaption(QStringLiteral("Select None"));
    if (baseColour.isValid())
        b->setBaseColor(baseColour);
    return panel;
}

}  // namespace

Q_DECLARE_METATYPE(Maker)
Q_DECLARE_METATYPE(State)

class TestCaptionContrast : public QObject, private test::FrameWindow {
    Q_OBJECT

    // Each shown button with a caption of its own, in each state, as the
    // window shows it.
    void measureButtons(QWidget *window, State state)
    {
        int measured = 0;
        for (TSkinButton *b : window->findChildren<TSkinButton *>()) {
            if (!b->isVisible() || b->Caption().isEmpty() || !b->ShowCaption())
                continue;
            ++measured;
            const bool wasEnabled = b->isEnabled();
            putInto(b, state);
            if (state == State::Hovered && b->isEnabled() && !b->Skinned())
                QVERIFY(b->Hovered());
            if (state == State::Pressed && b->Hovered())
                QCOMPARE(b->CurrentLook(), TSkinButton::Look::Pressed);
            // The button as it paints itself: a frame may lie over another.
            const QImage shot = b->grab().toImage();
            const double c = captionContrast(shot);
            if (state == State::Pressed)
                send(b, QEvent::MouseButtonRelease, Qt::NoButton, Qt::NoButton);
            b->setEnabled(wasEnabled);
            QVERIFY2(c >= 4.5, qPrintable(QStringLiteral("%1: contrast %2").arg(b->Caption()).arg(c, 0, 'f', 2)));
        }
        QVERIFY(measured > 0);
    }

private slots:
    void initTestCase() { QVERIFY(setUpProgram()); }
    void everyButtonReadable_data()
    {
        QTest::addColumn<Maker>("make");
        QTest::addColumn<State>("state");
        const std::pair<const char *, Maker> windows[] = {
            {"file", [] { return new TFileDialog; }},
            {"delete", [] { return new TDeleteFile; }},
            {"playlist size", [] { return new TGetElement; }},
            {"proxy", [] { return new TProxySetupForm(nullptr); }},
            {"skin panel", [] { return panelWith(QColor(45, 64, 107), QColor(), true); }},
            {"pale panel", [] { return panelWith(QColor(239, 239, 239), QColor(), false); }},
            {"blue face", [] { return panelWith(QColor(239, 239, 239), QColor(28, 96, 160), false); }},
        };
        const std::pair<const char *, State> states[] = {{"normal", State::Normal},
                                                         {"hovered", State::Hovered},
                                                         {"pressed", State::Pressed},
                                                         {"disabled", State::Disabled},
                                                         {"focused", State::Focused}};
        for (const auto &[wname, make] : windows)
            for (const auto &[sname, state] : states)
                QTest::addRow("%s %s", wname, sname) << make << state;
    }

    void everyButtonReadable()
    {
        QFETCH(Maker, make);
        QFETCH(State, state);
        std::unique_ptr<QWidget> window(make());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        for (TSkinButton *b : window->findChildren<TSkinButton *>())
            QVERIFY2(!b->Caption().isEmpty(), "every dialog button has a caption");
        measureButtons(window.get(), state);
    }

    // Every frame of the main window, its buttons in each state.
    void everyFrameReadable_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<State>("state");
        const std::pair<const char *, State> states[] = {
            {"normal", State::Normal}, {"hovered", State::Hovered}, {"pressed", State::Pressed},
            {"disabled", State::Disabled}};
        for (const FrameRow &row : FrameTable())
            if (row.status)
                for (const auto &[sname, state] : states)
                    QTest::addRow("%s %s", row.status, sname) << int(row.kind) << state;
    }
    void everyFrameReadable()
    {
        QFETCH(int, kind);
        QFETCH(State, state);
        QVERIFY(prepare());
        RegisterFeatures();
        QVERIFY(showMainWindow());
        auto done = qScopeGuard([this] { tearDown(); });
        form->EnsureFrame(FrameKind(kind), false);
        QWidget *frame = form->Frame(FrameKind(kind));
        QVERIFY(frame);
        form->ShowFrame(frame);
        QTRY_VERIFY(!form->Busy());
        measureButtons(form, state);
    }
};

QTEST_MAIN(TestCaptionContrast)
#include "test_captioncontrast.moc"
