// Skinned button captions reach 4.5:1 against their face on the dialogs and frames, in every state.
#include "app/features.h"
#include "app/frametable.h"
#include "app/mainform.h"
#include "editors/devicedialogs.h"
#include "support/framewindow.h"
#include "ui/skinbutton.h"
#include "ui/skinpanel.h"
#include "update/proxydialog.h"

#include <QMouseEvent>
#include <QScopeGuard>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <memory>

using namespace voxa;

namespace {

double lum(QRgb c)
{
    auto ch = [](int v) { const double d = v / 255.0; return d <= 0.04045 ? d / 12.92 : std::pow((d + 0.055) / 1.055, 2.4); };
    return 0.2126 * ch(qRed(c)) + 0.7152 * ch(qGreen(c)) + 0.0722 * ch(qBlue(c));
}

// Face = commonest colour of the picture; result = best contrast of any pixel against it.
double captionContrast(const QImage &picture)
{
    const QImage img = picture.convertToFormat(QImage::Format_RGB32);
    std::map<QRgb, int> counts;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            ++counts[img.pixel(x, y)];
    const double lf = lum(std::max_element(counts.begin(), counts.end(), [](auto &a, auto &b) { return a.second < b.second; })->first);
    double best = 1.0;
    for (const auto &entry : counts) {
        const double l = lum(entry.first);
        best = std::max(best, (std::max(l, lf) + 0.05) / (std::min(l, lf) + 0.05));
    }
    return best;
}

void send(QWidget *w, QEvent::Type type, Qt::MouseButton button = Qt::NoButton)
{
    const QPointF at(w->width() / 2.0, w->height() / 2.0);
    QMouseEvent e(type, at, w->mapToGlobal(at), button, button, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

enum class State { Normal, Hovered, Pressed, Disabled, Focused };
const std::pair<const char *, State> kStates[] = {{"normal", State::Normal},     {"hovered", State::Hovered},
                                                  {"pressed", State::Pressed},   {"disabled", State::Disabled},
                                                  {"focused", State::Focused}};

using Maker = std::function<QWidget *()>;

// A frame's look: a skin panel (colour or picture) holding a button, optionally with a blue face.
QWidget *panelWith(const QColor &panelColour, const QColor &baseColour, bool picture)
{
    auto *panel = new TSkinPanel;
    panel->resize(200, 60);
    panel->setColor(panelColour);
    QImage bg(200, 60, QImage::Format_RGB32);
    bg.fill(panelColour);
    if (picture)
        panel->setBackground(bg);
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

    // Puts each shown, captioned button into the state and measures it as it paints itself.
    void measureButtons(QWidget *window, State state)
    {
        int measured = 0;
        for (TSkinButton *b : window->findChildren<TSkinButton *>()) {
            if (!b->isVisible() || b->Caption().isEmpty() || !b->ShowCaption())
                continue;
            ++measured;
            const bool wasEnabled = b->isEnabled();
            b->setEnabled(state != State::Disabled);
            if (state == State::Focused)
                b->setFocusPolicy(Qt::StrongFocus), b->setFocus();
            if (state == State::Hovered || state == State::Pressed)
                send(b, QEvent::MouseMove);
            if (state == State::Hovered && b->isEnabled() && !b->Skinned())
                QVERIFY(b->Hovered());
            if (state == State::Pressed) {
                send(b, QEvent::MouseButtonPress, Qt::LeftButton);
                if (b->Hovered())
                    QCOMPARE(b->CurrentLook(), TSkinButton::Look::Pressed);
            }
            const double c = captionContrast(b->grab().toImage());
            if (state == State::Pressed)
                send(b, QEvent::MouseButtonRelease);
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
        for (const auto &[wname, make] : windows)
            for (const auto &[sname, state] : kStates)
                QTest::addRow("%s %s", wname, sname) << make << state;
    }
    void everyButtonReadable()
    {
        QFETCH(Maker, make);
        QFETCH(State, state);
        std::unique_ptr<QWidget> window(make());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        measureButtons(window.get(), state);
    }

    void everyFrameReadable_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<State>("state");
        for (const FrameRow &row : FrameTable())
            if (row.status)
                for (const auto &[sname, state] : kStates)
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
        QVERIFY(form->Frame(FrameKind(kind)));
        form->ShowFrame(form->Frame(FrameKind(kind)));
        QTRY_VERIFY(!form->Busy());
        measureButtons(form, state);
    }
};

QTEST_MAIN(TestCaptionContrast)
#include "test_captioncontrast.moc"
