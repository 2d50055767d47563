// What a screen reader sees: the accessibility tree of the main window with
// each frame shown, and of each dialog, has no nameless or actionless
// interactive object; sliders tell their value and range and announce a
// change; names follow the chosen language.
#include "app/drivelocator.h"
#include "app/features.h"
#include "app/frametable.h"
#include "app/languagetargets.h"
#include "app/mainform.h"
#include "app/shellstubs.h"
#include "editors/devicedialogs.h"
#include "support/framewindow.h"
#include "ui/skinaccessible.h"
#include "ui/skinbutton.h"
#include "ui/skinmenu.h"
#include "ui/skinslider.h"
#include "update/proxydialog.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QScopeGuard>
#include <QTest>

#include <functional>
#include <memory>

using namespace voxa;

namespace {

bool interactive(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::Button:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::Slider:
    case QAccessible::MenuItem:
    case QAccessible::PageTab:
    case QAccessible::EditableText:
    case QAccessible::SpinBox:
    case QAccessible::ComboBox:
    case QAccessible::List:
    case QAccessible::Tree:
    case QAccessible::Table:
        return true;
    default:
        return false;
    }
}

// Every shown interactive object below iface without a name or an action,
// as "role class 'object name'"; items inside lists are the list's own.
void findFaults(QAccessibleInterface *iface, QStringList &faults, int &checked)
{
    if (!iface || !iface->isValid() || iface->state().invisible)
        return;
    const QAccessible::Role role = iface->role();
    if (interactive(role)) {
        ++checked;
        QAccessibleActionInterface *actions = iface->actionInterface();
        const QString name = iface->text(QAccessible::Name).trimmed();
        // Lists are worked through their rows; a disabled control offers nothing.
        const bool list = role == QAccessible::List || role == QAccessible::Tree || role == QAccessible::Table;
        const bool needsAction = !list && !iface->state().disabled;
        if (name.isEmpty() || (needsAction && (!actions || actions->actionNames().isEmpty()))) {
            QObject *o = iface->object();
            faults << QStringLiteral("%1 %2 '%3'%4")
                          .arg(int(role))
                          .arg(o ? QString::fromLatin1(o->metaObject()->className()) : QStringLiteral("?"))
                          .arg(o ? o->objectName() : QString())
                          .arg(name.isEmpty() ? QStringLiteral(" nameless") : QStringLiteral(" no action"));
        }
        if (list)
            return;
    }
    for (int i = 0; i < iface->childCount(); ++i)
        findFaults(iface->child(i), faults, checked);
}

QAccessibleInterface *byName(QAccessibleInterface *iface, QAccessible::Role role, const QString &name)
{
    if (!iface || iface->state().invisible)
        return nullptr;
    if (iface->role() == role && iface->text(QAccessible::Name) == name)
        return iface;
    for (int i = 0; i < iface->childCount(); ++i)
        if (QAccessibleInterface *found = byName(iface->child(i), role, name))
            return found;
    return nullptr;
}

using Maker = std::function<QWidget *(TMainForm *)>;

}  // namespace

Q_DECLARE_METATYPE(Maker)

class TestAccessibility : public QObject, private test::FrameWindow {
    Q_OBJECT

    void expectNoFaults(QWidget *root)
    {
        QStringList faults;
        int checked = 0;
        findFaults(QAccessible::queryAccessibleInterface(root), faults, checked);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("; "))));
        QVERIFY(checked > 0);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(setUpProgram());
        InstallSkinAccessibility();
    }
    void init()
    {
        QVERIFY(prepare());
        // The message editor opens the drive's default message set at start.
        QVERIFY(QFile::copy(QStringLiteral(VOXA_DIST_DIR "/default.mgs"),
                            root + QStringLiteral("/voxa/manager/default.mgs")));
        RegisterFeatures();
        setDriveLocator(locator);  // the stub again, in place of the device search
        QVERIFY(showMainWindow());
        QTRY_VERIFY(!form->Busy());
    }
    void cleanup()
    {
        setAnnouncementWatch({});
        tearDown();
    }

    void everyFrameNamed_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("start panel") << -1;
        for (const FrameRow &row : FrameTable())
            if (row.status)
                QTest::newRow(row.status) << int(row.kind);
    }
    void everyFrameNamed()
    {
        QFETCH(int, kind);
        if (kind >= 0) {
            form->EnsureFrame(FrameKind(kind), false);
            QVERIFY(form->Frame(FrameKind(kind)));
            form->ShowFrame(form->Frame(FrameKind(kind)));
            QTRY_VERIFY(!form->Busy());
        }
        expectNoFaults(form);
    }

    void everyDialogNamed_data()
    {
        QTest::addColumn<Maker>("make");
        QTest::newRow("file") << Maker([](TMainForm *) { return new TFileDialog; });
        QTest::newRow("delete") << Maker([](TMainForm *) { return new TDeleteFile; });
        QTest::newRow("playlist size") << Maker([](TMainForm *) { return new TGetElement; });
        QTest::newRow("proxy") << Maker([](TMainForm *m) { return m->findChild<TProxySetupForm *>(); });
    }
    void everyDialogNamed()
    {
        QFETCH(Maker, make);
        QWidget *dialog = make(form);
        QVERIFY(dialog);
        std::unique_ptr<QWidget> owned(dialog->parent() ? nullptr : dialog);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        expectNoFaults(dialog);
        dialog->hide();
    }

    // The start panel's buttons, the menus, the close button and the config
    // editor's controls by role and name, in English and in German.
    void namesInLanguage_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<int>("role");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("frame");
        const int start = -1, config = int(FrameKind::ConfigEditor);
        QTest::newRow("start button") << "" << int(QAccessible::Button) << "Config Editor" << start;
        QTest::newRow("menu caption") << "" << int(QAccessible::MenuItem) << "Options" << start;
        QTest::newRow("tool hint") << "" << int(QAccessible::Button) << "Save As" << start;
        QTest::newRow("close button") << "" << int(QAccessible::Button) << "Exit" << start;
        QTest::newRow("check box by its setting") << "" << int(QAccessible::CheckBox) << "Bass" << config;
        QTest::newRow("slider by its label") << "" << int(QAccessible::Slider) << "Treble" << config;
        QTest::newRow("German menu caption") << "Deutsch" << int(QAccessible::MenuItem) << "Hilfe" << start;
        QTest::newRow("German check box") << "Deutsch" << int(QAccessible::CheckBox) << "Lautstärke" << config;
        QTest::newRow("German start button") << "Deutsch" << int(QAccessible::Button) << "Konfig-Editor" << start;
        QTest::newRow("German close button") << "Deutsch" << int(QAccessible::Button) << "Beenden" << start;
    }
    void namesInLanguage()
    {
        QFETCH(QString, language);
        QFETCH(int, role);
        QFETCH(QString, name);
        QFETCH(int, frame);
        if (!language.isEmpty()) {
            QVERIFY(QFile::copy(QStringLiteral(VOXA_SOURCE_DIR "/data/Language/German.lng"),
                                root + QStringLiteral("/voxa/manager/Language/German.lng")));
            form->ListLanguages();
            form->ApplyLanguage(language);
        }
        if (frame >= 0) {
            form->EnsureFrame(FrameKind(frame), false);
            form->ShowFrame(form->Frame(FrameKind(frame)));
            QTRY_VERIFY(!form->Busy());
        }
        QAccessibleInterface *found = byName(QAccessible::queryAccessibleInterface(form), QAccessible::Role(role), name);
        QVERIFY2(found, qPrintable(name));
        QVERIFY(found->actionInterface() && !found->actionInterface()->actionNames().isEmpty());
        QVERIFY(found->state().focusable);
    }

    // The config editor's Volume slider tells its value and range; a key
    // moves a slider and the move is announced with the new value.
    void sliderValueAnnounced()
    {
        form->EnsureFrame(FrameKind::ConfigEditor, false);
        form->ShowFrame(form->Frame(FrameKind::ConfigEditor));
        QTRY_VERIFY(!form->Busy());
        QAccessibleInterface *volume =
            byName(QAccessible::queryAccessibleInterface(form), QAccessible::Slider, QStringLiteral("Volume"));
        QVERIFY(volume);
        QAccessibleValueInterface *v = volume->valueInterface();
        QVERIFY(v);
        QCOMPARE(v->minimumValue().toInt(), -66);
        QCOMPARE(v->maximumValue().toInt(), 12);
        auto *volumeSlider = qobject_cast<TSkinSlider *>(volume->object());
        QVERIFY(volumeSlider);
        QCOMPARE(v->currentValue().toInt(), volumeSlider->Position());
        QCOMPARE(volume->state().disabled, !volumeSlider->isEnabled());

        QWidget window;
        auto *label = new QLabel(QStringLiteral("Priority"), &window);
        label->setGeometry(0, 0, 60, 20);
        (new TSkinButton(&window))->setGeometry(0, 30, 40, 20);
        auto *slider = new TSkinSlider(&window);
        slider->setGeometry(70, 0, 111, 20);
        slider->setMin(1);
        slider->setMax(20);
        slider->setPosition(10);
        NameFromNeighbours(&window);
        QList<QVariant> events;
        setAnnouncementWatch([&](const QAccessibleEvent &e) {
            if (e.object() == slider && e.type() == QAccessible::ValueChanged)
                events << static_cast<const QAccessibleValueChangeEvent &>(e).value();
        });
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QAccessibleInterface *s = QAccessible::queryAccessibleInterface(slider);
        QCOMPARE(s->role(), QAccessible::Slider);
        QCOMPARE(s->text(QAccessible::Name), QStringLiteral("Priority"));
        // Focus that came with the window is no keyboard focus: Tab round to it.
        do
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &window, Qt::Key_Tab);
        while (QApplication::focusWidget() != slider);
        QVERIFY(s->state().focused);
        QTest::keyClick(slider, Qt::Key_End);
        QTest::keyClick(slider, Qt::Key_End);  // no move, no announcement
        QTest::keyClick(slider, Qt::Key_PageDown);
        QCOMPARE(events, QList<QVariant>({20, 20 - slider->PageStep()}));
        QCOMPARE(s->valueInterface()->currentValue().toInt(), 20 - slider->PageStep());
        // Set through the interface as a screen reader may: kept in range.
        s->valueInterface()->setCurrentValue(-70);
        QCOMPARE(slider->Position(), 1);
        QCOMPARE(events.last().toInt(), 1);
        s->actionInterface()->doAction(QAccessibleActionInterface::increaseAction());
        QCOMPARE(slider->Position(), 2);
    }
};

QTEST_MAIN(TestAccessibility)
#include "test_accessibility.moc"
