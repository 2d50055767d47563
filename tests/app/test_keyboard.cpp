// The whole program from the keyboard: each row reaches a frame or dialog from
// the start panel with keys only (Tab and Return, or F10, Alt and the menus),
// does one small task there and checks its outcome.
#include "app/drivelocator.h"
#include "app/editorframe.h"
#include "app/features.h"
#include "app/frametable.h"
#include "app/mainform.h"
#include "app/shellstubs.h"
#include "editors/config/configfile.h"
#include "platform/fileops.h"
#include "support/framewindow.h"
#include "support/scriptedprompts.h"
#include "support/testdrives.h"
#include "ui/skinaccessible.h"
#include "ui/skinbutton.h"
#include "ui/skinslider.h"
#include "update/proxydialog.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace voxa;

namespace {

const QString Config = QStringLiteral("V:\\voxa\\config\\");

struct Step {
    enum Op { Focus, Key, Type, Pick, Frame, Value, Check } op;
    QString text;  // Focus: accessible name; Type: text; Pick: menu item
    int key = 0;   // Key: the key; Frame: the kind; Value: the value
    Qt::KeyboardModifiers mods = Qt::NoModifier;
    std::function<bool()> check = {};
};
using Script = QList<Step>;

Step focus(const char *name) { return {Step::Focus, QString::fromUtf8(name)}; }
Step key(int k, Qt::KeyboardModifiers m = Qt::NoModifier) { return {Step::Key, {}, k, m}; }
Step type(const char *text) { return {Step::Type, QString::fromUtf8(text)}; }
Step pick(const char *item) { return {Step::Pick, QString::fromUtf8(item)}; }
Step frame(FrameKind kind) { return {Step::Frame, {}, int(kind)}; }
Step value(int v) { return {Step::Value, {}, v}; }
Step check(const char *what, std::function<bool()> f) { return {Step::Check, QString::fromUtf8(what), 0, {}, std::move(f)}; }

// The last two controls of a frame that Tab stops at.
QList<QWidget *> lastTwoOnTabChain(QWidget *frame)
{
    QList<QWidget *> stops;
    for (QWidget *w = frame->nextInFocusChain(); w && w != frame; w = w->nextInFocusChain())
        if (frame->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus))
            stops.append(w);
    return stops.mid(stops.size() - 2);
}

QString plain(QString text)
{
    return text.remove(QLatin1Char('&'));
}

QString accessibleName(QObject *o)
{
    QAccessibleInterface *i = o ? QAccessible::queryAccessibleInterface(o) : nullptr;
    return i ? i->text(QAccessible::Name) : QString();
}

// Where a key goes as typed: an open menu, else the focus of the modal
// dialog or of the window.
QWidget *keyTarget(QWidget *window)
{
    if (QWidget *popup = QApplication::activePopupWidget())
        return popup;
    if (QWidget *modal = QApplication::activeModalWidget()) {
        // As the window system does: the dialog that opens is the active window.
        if (!modal->isActiveWindow()) {
            modal->activateWindow();
            // A dialog that never becomes active shows in the next step's failure.
            (void)QTest::qWaitForWindowActive(modal);
        }
        return modal->focusWidget() ? modal->focusWidget() : modal;
    }
    QWidget *f = QApplication::focusWidget();
    return f && f->isVisible() ? f : window;
}

}  // namespace

Q_DECLARE_METATYPE(Script)

class TestKeyboard : public QObject, private test::FrameWindow {
    Q_OBJECT

    Script m_script;
    qsizetype m_next = 0;
    bool m_done = false;

    QWidget *frameOf(FrameKind kind) const { return form->Frame(kind); }

    void runStep(const Step &s)
    {
        switch (s.op) {
        case Step::Focus: {
            // Tab until the control of that name has the focus: it must be
            // on the Tab chain, with a name.
            QStringList seen;
            for (int i = 0; i < 150; ++i) {
                QWidget *target = keyTarget(form);
                QWidget *f = QApplication::focusWidget();
                if (f && f->isVisible() && accessibleName(f) == s.text)
                    return;
                if (i < 12)
                    seen << (f ? accessibleName(f) + QLatin1Char('/') + QString::fromLatin1(f->metaObject()->className()) : QStringLiteral("-"));
                QTest::keyClick(target, Qt::Key_Tab);
            }
            QFAIL(qPrintable(QStringLiteral("Tab never reached \"%1\": %2").arg(s.text, seen.join(QStringLiteral(", ")))));
        }
        case Step::Key:
            press(Qt::Key(s.key), s.mods);
            return;
        case Step::Type:
            QTest::keyClicks(keyTarget(form), s.text);
            return;
        case Step::Pick: {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            QVERIFY2(menu, qPrintable(QStringLiteral("no menu open for \"%1\"").arg(s.text)));
            for (int i = 0; i <= menu->actions().size(); ++i) {
                if (menu->activeAction() && plain(menu->activeAction()->text()) == s.text) {
                    press(menu->activeAction()->menu() ? Qt::Key_Right : Qt::Key_Return);
                    return;
                }
                QTest::keyClick(menu, Qt::Key_Down);
            }
            QFAIL(qPrintable(QStringLiteral("no item \"%1\" in the open menu").arg(s.text)));
        }
        case Step::Frame:
            QTRY_VERIFY2(!form->Busy() && frameOf(FrameKind(s.key)) && frameOf(FrameKind(s.key))->isVisible(),
                         qPrintable(QStringLiteral("frame %1 not shown").arg(s.key)));
            return;
        case Step::Value: {
            QAccessibleInterface *i = QAccessible::queryAccessibleInterface(QApplication::focusWidget());
            QVERIFY(i && i->valueInterface());
            QCOMPARE(i->valueInterface()->currentValue().toInt(), s.key);
            return;
        }
        case Step::Check:
            QTRY_VERIFY2(s.check(), qPrintable(s.text));
            return;
        }
    }

    // A key that may open a modal dialog is typed on the next turn of the
    // event loop, so that the steps after it run inside the dialog's loop.
    void press(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTimer::singleShot(0, this, [this, k, mods] { QTest::keyClick(keyTarget(form), k, mods); });
    }

    // One step per turn of the event loop, so that steps after a key that
    // opens a modal dialog run inside the dialog's own loop.
    void runNext()
    {
        if (QTest::currentTestFailed() || m_next >= m_script.size()) {
            // A flow stopped inside a menu or dialog leaves it.
            if (QWidget *popup = QApplication::activePopupWidget())
                popup->close();
            if (auto *modal = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
                modal->reject();
            m_done = true;
            return;
        }
        runStep(m_script[m_next++]);
        // A little later, so that a dialog closed by this step has left its
        // loop before the next step waits for what follows.
        QTimer::singleShot(20, this, [this] { runNext(); });
    }

private slots:
    void initTestCase()
    {
        QVERIFY(setUpProgram());
        InstallSkinAccessibility();
    }

    void keysOnly_data()
    {
        QTest::addColumn<Script>("script");
        QTest::addColumn<QString>("answer");  // a question the flow asks, answered Yes

        QTest::newRow("config editor volume by Tab and Return")
            << Script{focus("Config Editor"), key(Qt::Key_Return), frame(FrameKind::ConfigEditor),
                      focus("Volume"), key(Qt::Key_Space), key(Qt::Key_Tab, Qt::ShiftModifier), value(0), key(Qt::Key_PageUp), value(7), key(Qt::Key_Right), value(8),
                      key(Qt::Key_Home), value(-66), key(Qt::Key_End), value(12), key(Qt::Key_PageDown), value(5),
                      key(Qt::Key_Left), value(4),
                      check("OK and Close after the settings on the Tab chain", [this] {
                          auto *editor = qobject_cast<TEditorFrame *>(form->Frame(FrameKind::ConfigEditor));
                          return lastTwoOnTabChain(editor)
                              == QList<QWidget *>{editor->EditOKButton, editor->CancelButton};
                      })}
            << QString();
        QTest::newRow("proxy settings by Alt+O, typed, Return")
            << Script{key(Qt::Key_O, Qt::AltModifier), pick("Proxy Settings"), focus("Use Proxy"),
                      key(Qt::Key_Space), focus("Proxy Server"), type("proxy.lan"), key(Qt::Key_Return),
                      check("dialog closed, server kept",
                            [this] {
                                auto *d = form->findChild<TProxySetupForm *>();
                                return d && !d->isVisible() && d->Values().UseProxy
                                    && d->Values().Server == QStringLiteral("proxy.lan");
                            })}
            << QString();
        QTest::newRow("open dialog by F10, Return on a row")
            << Script{key(Qt::Key_F10), pick("Open"), pick("Config File.."), focus("File Name"), key(Qt::Key_Return),
                      frame(FrameKind::ConfigEditor),
                      check("party.cfg open", [this] {
                          auto *editor = qobject_cast<TEditorFrame *>(form->Frame(FrameKind::ConfigEditor));
                          return editor && editor->FileName().contains(QStringLiteral("party"), Qt::CaseInsensitive);
                      })}
            << QString();
        QTest::newRow("delete dialog: Space on a row, Tab to Delete")
            << Script{key(Qt::Key_F10), pick("Delete"), pick("Config File..."), focus("File Name"), key(Qt::Key_Space),
                      focus("Delete"), key(Qt::Key_Return),
                      check("file gone", [] { return !fs::exists(Config + QStringLiteral("party.cfg")); }),
                      key(Qt::Key_Escape), check("dialog closed", [] { return !QApplication::activeModalWidget(); })}
            << QStringLiteral("delete");
        QTest::newRow("menus: F10, Left wraps to Help, About")
            << Script{key(Qt::Key_F10), key(Qt::Key_Left), pick("About VOXA Manager"), frame(FrameKind::About)}
            << QString();
        QTest::newRow("menus: Right moves to the next menu")
            << Script{key(Qt::Key_V, Qt::AltModifier), key(Qt::Key_Right), pick("Sort Directory"),
                      frame(FrameKind::Sort)}
            << QString();
        QTest::newRow("message editor by Tab and Space, Escape back")
            << Script{focus("Message Editor"), key(Qt::Key_Space), frame(FrameKind::MessageEditor), key(Qt::Key_Escape),
                      check("start panel back", [this] { return form->StartPanel->isVisible(); })}
            << QString();
        // The other frames: reached by key, left with Escape.
        const struct {
            const char *row;
            Script reach;
            FrameKind kind;
        } others[] = {
            {"find and export by Alt+O", {key(Qt::Key_O, Qt::AltModifier), pick("MP3 Find/Export")}, FrameKind::FindExport},
            {"MyRadio copy by Alt+O", {key(Qt::Key_O, Qt::AltModifier), pick("MyRadio Copy")}, FrameKind::MyRadioCopy},
            {"playdisplay editor by Tab", {focus("Playdisplay Editor"), key(Qt::Key_Return)}, FrameKind::PlaydisplayEditor},
            {"MyRadio editor by Tab", {focus("MyRadio Editor"), key(Qt::Key_Space)}, FrameKind::MyRadioEditor},
        };
        for (const auto &o : others)
            QTest::newRow(o.row) << (o.reach + Script{frame(o.kind), key(Qt::Key_Escape),
                                                      check("start panel back", [this] { return form->StartPanel->isVisible(); })})
                                 << QString();
        QTest::newRow("Escape on a menu closes it, the window stays")
            << Script{key(Qt::Key_F10), check("menu open", [] { return QApplication::activePopupWidget(); }),
                      key(Qt::Key_Escape), check("menu closed", [] { return !QApplication::activePopupWidget(); }),
                      check("window open", [this] { return form->isVisible() && form->StartPanel->isVisible(); })}
            << QString();
    }
    void keysOnly()
    {
        QFETCH(Script, script);
        QFETCH(QString, answer);
        QVERIFY(prepare());
        QVERIFY(WriteConfigFile(Config + QStringLiteral("party.cfg"), ConfigDocument()).ok());
        if (!answer.isEmpty())
            prompts->expectMessage(QString(), Button::Yes);
        // The message editor opens the drive's default message set at start.
        QVERIFY(QFile::copy(QStringLiteral(VOXA_DIST_DIR "/default.mgs"),
                            root + QStringLiteral("/voxa/manager/default.mgs")));
        RegisterFeatures();
        setDriveLocator(locator);  // the stub again, in place of the device search
        QVERIFY(showMainWindow());
        auto done = qScopeGuard([this] {
            if (QWidget *popup = QApplication::activePopupWidget())
                popup->close();
            if (QWidget *modal = QApplication::activeModalWidget())
                modal->close();
            tearDown();
        });
        QTRY_VERIFY(form->StartPanel->isVisible() && !form->Busy());
        form->activateWindow();
        m_script = script;
        m_next = 0;
        m_done = false;
        QTimer::singleShot(0, this, [this] { runNext(); });
        QTRY_VERIFY_WITH_TIMEOUT(m_done, 20000);
    }

    // The slider's own keys and a click on its track, with the change signal
    // of a drag.
    void sliderKeysAndTrack()
    {
        QWidget window;
        auto *other = new TSkinButton(&window);
        other->setGeometry(0, 30, 40, 20);
        auto *s = new TSkinSlider(&window);
        s->setGeometry(0, 0, 111, 20);
        s->setMin(0);
        s->setMax(100);
        s->setPosition(50);
        int changes = 0;
        connect(s, &TSkinSlider::OnChange, this, [&] { ++changes; });
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        // Without keyboard focus the keys are not the slider's.
        QTest::keyClick(s, Qt::Key_End);
        QCOMPARE(s->Position(), 50);
        while (QApplication::focusWidget() != s)
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &window, Qt::Key_Tab);
        QVERIFY(s->KeyboardFocus());
        const struct {
            Qt::Key key;
            int position;
        } keys[] = {{Qt::Key_Up, 51}, {Qt::Key_Down, 50}, {Qt::Key_PageDown, 40}, {Qt::Key_Home, 0},
                    {Qt::Key_Left, 0}, {Qt::Key_End, 100}, {Qt::Key_Right, 100}, {Qt::Key_PageUp, 100}};
        for (const auto &k : keys) {
            QTest::keyClick(s, k.key);
            QCOMPARE(s->Position(), k.position);
        }
        QCOMPARE(changes, 5);  // the moves that changed something
        // A click left of the knob moves a page left; the knob is not dragged.
        QTest::mouseMove(s, QPoint(5, 10));
        QTest::mouseClick(s, Qt::LeftButton, {}, QPoint(5, 10));
        QCOMPARE(s->Position(), 90);
        QVERIFY(!s->Dragging());
        QCOMPARE(changes, 6);
        // A mouse click leaves the focus where it was.
        QTest::mouseClick(other, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(s->hasFocus());
    }
};

QTEST_MAIN(TestKeyboard)
#include "test_keyboard.moc"
