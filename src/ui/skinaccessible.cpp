#include "ui/skinaccessible.h"

#include "ui/skinbutton.h"
#include "ui/skinmenu.h"
#include "ui/skinslider.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QTreeView>
#include <QAccessibleWidget>
#include <QCheckBox>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QPointer>
#include <algorithm>
#include <cstdlib>

namespace voxa {
namespace {

QHash<const QWidget *, QPointer<QWidget>> &namers()
{
    static QHash<const QWidget *, QPointer<QWidget>> map;
    return map;
}

QString withoutAmpersand(QString text)
{
    const qsizetype amp = text.indexOf(QLatin1Char('&'));
    if (amp >= 0)
        text.remove(amp, 1);
    return text.simplified();
}

// The text the naming widget shows now; empty when there is none.
QString namerText(const QWidget *control)
{
    const QWidget *label = namers().value(control);
    if (!label)
        return {};
    if (auto *l = qobject_cast<const QLabel *>(label))
        return withoutAmpersand(l->text());
    if (auto *g = qobject_cast<const QGroupBox *>(label))
        return withoutAmpersand(g->title());
    if (auto *b = qobject_cast<const QAbstractButton *>(label))
        return withoutAmpersand(b->text());
    return label->accessibleName();
}

// The set name first, then what names the control from outside, then its
// own texts.
QString nameOf(const QWidget *w, const QString &own, const QString &fallback = {})
{
    if (!w->accessibleName().isEmpty())
        return w->accessibleName();
    if (const QString outside = namerText(w); !outside.isEmpty())
        return outside;
    return own.isEmpty() ? fallback : own;
}

class SkinButtonAccessible : public QAccessibleWidget {
public:
    explicit SkinButtonAccessible(TSkinButton *b) : QAccessibleWidget(b, QAccessible::Button) {}
    TSkinButton *button() const { return static_cast<TSkinButton *>(widget()); }

    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name:
            return nameOf(button(), button()->Caption(), button()->Hint());
        case QAccessible::Description:
            // A hint that says more than the caption.
            if (!button()->Caption().isEmpty() && button()->Hint() != button()->Caption())
                return button()->Hint();
            return QAccessibleWidget::text(t);
        default:
            return QAccessibleWidget::text(t);
        }
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.pressed = button()->CurrentLook() == TSkinButton::Look::Pressed;
        return s;
    }
    QStringList actionNames() const override
    {
        return QStringList(pressAction()) + QAccessibleWidget::actionNames();
    }
    void doAction(const QString &action) override
    {
        if (action == pressAction()) {
            if (button()->isEnabled())
                button()->Click();
            return;
        }
        QAccessibleWidget::doAction(action);
    }
    QStringList keyBindingsForAction(const QString &action) const override
    {
        if (action == pressAction())
            return {QStringLiteral("Space"), QStringLiteral("Return")};
        return QAccessibleWidget::keyBindingsForAction(action);
    }
};

class SkinMenuButtonAccessible : public QAccessibleWidget {
public:
    explicit SkinMenuButtonAccessible(TSkinMenuButton *b) : QAccessibleWidget(b, QAccessible::MenuItem) {}
    TSkinMenuButton *button() const { return static_cast<TSkinMenuButton *>(widget()); }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return nameOf(button(), button()->Caption());
        if (t == QAccessible::Accelerator && !button()->Mnemonic().isNull())
            return QStringLiteral("Alt+") + button()->Mnemonic();
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.hasPopup = button()->PopupMenu() != nullptr;
        s.expandable = s.hasPopup;
        s.expanded = button()->PopupShown();
        s.collapsed = s.hasPopup && !s.expanded;
        s.hotTracked = button()->Hot();
        return s;
    }
    QStringList actionNames() const override
    {
        return QStringList{pressAction(), showMenuAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString &action) override
    {
        if (action == pressAction() || action == showMenuAction()) {
            if (button()->isEnabled() && !button()->PopupShown())
                button()->OpenPopupByKey();
            return;
        }
        QAccessibleWidget::doAction(action);
    }
};

class SkinSliderAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit SkinSliderAccessible(TSkinSlider *s) : QAccessibleWidget(s, QAccessible::Slider) {}
    TSkinSlider *slider() const { return static_cast<TSkinSlider *>(widget()); }

    void *interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface *>(this);
        return QAccessibleWidget::interface_cast(t);
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return nameOf(slider(), slider()->Caption());
        if (t == QAccessible::Value)
            return QString::number(slider()->Position());
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override
    {
        return QStringList{increaseAction(), decreaseAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString &action) override
    {
        if (!slider()->isEnabled())
            return;
        if (action == increaseAction())
            slider()->UserMoveTo(slider()->Position() + 1);
        else if (action == decreaseAction())
            slider()->UserMoveTo(slider()->Position() - 1);
        else
            QAccessibleWidget::doAction(action);
    }

    QVariant currentValue() const override { return slider()->Position(); }
    void setCurrentValue(const QVariant &value) override
    {
        if (slider()->isEnabled())
            slider()->UserMoveTo(value.toInt());
    }
    QVariant maximumValue() const override { return slider()->Max(); }
    QVariant minimumValue() const override { return slider()->Min(); }
    QVariant minimumStepSize() const override { return 1; }
};

// A check box named after the setting beside it; otherwise as Qt's own.
class NamedCheckBoxAccessible : public QAccessibleWidget {
public:
    explicit NamedCheckBoxAccessible(QCheckBox *b) : QAccessibleWidget(b, QAccessible::CheckBox) {}
    QCheckBox *box() const { return static_cast<QCheckBox *>(widget()); }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name) {
            const QString outside = namerText(box());
            return outside.isEmpty() ? nameOf(box(), withoutAmpersand(box()->text())) : outside;
        }
        // What ticking it does.
        if (t == QAccessible::Description && box()->accessibleDescription().isEmpty())
            return withoutAmpersand(box()->text());
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        s.checked = box()->checkState() == Qt::Checked;
        s.checkStateMixed = box()->checkState() == Qt::PartiallyChecked;
        return s;
    }
    QStringList actionNames() const override
    {
        return QStringList(toggleAction()) + QAccessibleWidget::actionNames();
    }
    void doAction(const QString &action) override
    {
        if (action == toggleAction() || action == pressAction()) {
            if (box()->isEnabled())
                box()->click();
            return;
        }
        QAccessibleWidget::doAction(action);
    }
    QStringList keyBindingsForAction(const QString &action) const override
    {
        if (action == toggleAction())
            return {QStringLiteral("Space")};
        return QAccessibleWidget::keyBindingsForAction(action);
    }
};

QAccessibleInterface *skinFactory(const QString &className, QObject *object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    const auto is = [&className](const QMetaObject &mo) { return className == QLatin1String(mo.className()); };
    if (is(TSkinButton::staticMetaObject))
        return new SkinButtonAccessible(static_cast<TSkinButton *>(object));
    if (is(TSkinMenuButton::staticMetaObject))
        return new SkinMenuButtonAccessible(static_cast<TSkinMenuButton *>(object));
    if (is(TSkinMenu::staticMetaObject))
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::MenuBar);
    if (is(TSkinSlider::staticMetaObject))
        return new SkinSliderAccessible(static_cast<TSkinSlider *>(object));
    if (is(QCheckBox::staticMetaObject) && namers().contains(static_cast<QWidget *>(object)))
        return new NamedCheckBoxAccessible(static_cast<QCheckBox *>(object));
    return nullptr;
}

}  // namespace

namespace {
bool g_installed = false;

// Qt asks the factory installed last first: ours stays last, so the named
// check boxes are ours and not the stock ones.
void keepFactoryLast()
{
    if (!g_installed)
        return;
    QAccessible::removeFactory(skinFactory);
    QAccessible::installFactory(skinFactory);
}

bool nameless(const QWidget *w)
{
    if (!w->accessibleName().isEmpty() || namers().contains(w))
        return false;
    QAccessibleInterface *i = QAccessible::queryAccessibleInterface(const_cast<QWidget *>(w));
    return !i || i->text(QAccessible::Name).trimmed().isEmpty();
}

// The visible label without a buddy nearest left of w on its row, else
// nearest above it, in w's parent.
QLabel *labelBeside(QWidget *w)
{
    QWidget *parent = w->parentWidget();
    if (!parent)
        return nullptr;
    const QRect g = w->geometry();
    QLabel *best = nullptr;
    int bestDistance = 0;
    for (QLabel *l : parent->findChildren<QLabel *>(Qt::FindDirectChildrenOnly)) {
        if (!l->isVisibleTo(parent) || l->buddy() || l->text().trimmed().isEmpty() || l->text().contains(QLatin1Char('&')))
            continue;
        const QRect lg = l->geometry();
        int distance = -1;
        if (lg.right() <= g.left() + 2 && std::abs(lg.center().y() - g.center().y()) <= std::max(g.height(), lg.height()) / 2)
            distance = g.left() - lg.right();
        else if (lg.bottom() <= g.top() + 2 && lg.right() > g.left() && lg.left() < g.right())
            distance = 1000 + g.top() - lg.bottom();
        if (distance >= 0 && distance < 1400 && (!best || distance < bestDistance)) {
            best = l;
            bestDistance = distance;
        }
    }
    return best;
}

void nameByHeader(QTreeView *view)
{
    QAbstractItemModel *model = view->model();
    if (!model || view->isHeaderHidden())
        return;
    // The first titled column names the list.
    const auto apply = [view] {
        QAbstractItemModel *m = view->model();
        for (int c = 0; m && c < m->columnCount(); ++c)
            if (const QString title = m->headerData(c, Qt::Horizontal).toString().trimmed(); !title.isEmpty()) {
                view->setAccessibleName(title);
                return;
            }
    };
    apply();
    QObject::connect(model, &QAbstractItemModel::headerDataChanged, view, apply);
}

}  // namespace

void InstallSkinAccessibility()
{
    if (g_installed)
        return;
    g_installed = true;
    QAccessible::installFactory(skinFactory);
}

void RefreshAccessibleNames()
{
    // Qt's own check boxes and lists read their accessible name, not ours: it is set
    // from the label whenever a frame is shown or the language changes.
    for (auto it = namers().cbegin(); it != namers().cend(); ++it) {
        auto *w = const_cast<QWidget *>(it.key());
        if (qobject_cast<QCheckBox *>(w) || qobject_cast<QAbstractItemView *>(w))
            if (const QString name = namerText(w); !name.isEmpty())
                w->setAccessibleName(name);
    }
}

void NameFromNeighbours(QWidget *root)
{
    if (!root)
        return;
    keepFactoryLast();
    for (QWidget *w : root->findChildren<QWidget *>()) {
        const bool control = qobject_cast<QAbstractItemView *>(w) || qobject_cast<QLineEdit *>(w)
            || qobject_cast<QAbstractSlider *>(w) || qobject_cast<QAbstractSpinBox *>(w)
            || qobject_cast<QComboBox *>(w) || qobject_cast<TSkinSlider *>(w);
        if (!control || qobject_cast<QHeaderView *>(w) || !nameless(w))
            continue;
        // Edits inside spin and combo boxes are their box's.
        if (qobject_cast<QLineEdit *>(w) && (qobject_cast<QAbstractSpinBox *>(w->parentWidget())
                                             || qobject_cast<QComboBox *>(w->parentWidget())))
            continue;
        if (auto *tree = qobject_cast<QTreeView *>(w); tree && !tree->isHeaderHidden()) {
            nameByHeader(tree);
            continue;
        }
        if (QLabel *label = labelBeside(w)) {
            // Lists read no buddy label: they take its text as their name.
            if (qobject_cast<TSkinSlider *>(w) || qobject_cast<QAbstractItemView *>(w))
                NameAfter(w, label);
            else
                label->setBuddy(w);
        } else if (auto *view = qobject_cast<QAbstractItemView *>(w); view && view->model()) {
            // A folder tree alone on its side: called by its top row (the
            // drive or folder it shows).
            const auto byTopRow = [view] {
                QAbstractItemModel *m = view->model();
                if (m && m->rowCount() > 0)
                    view->setAccessibleName(m->index(0, 0).data().toString());
            };
            byTopRow();
            QObject::connect(view->model(), &QAbstractItemModel::rowsInserted, view, byTopRow);
            QObject::connect(view->model(), &QAbstractItemModel::modelReset, view, byTopRow);
        }
    }
    RefreshAccessibleNames();
}

namespace {
std::function<void(const QAccessibleEvent &)> &announcementWatch()
{
    static std::function<void(const QAccessibleEvent &)> watch;
    return watch;
}
}  // namespace

void Announce(QAccessibleEvent &event)
{
    if (const auto &watch = announcementWatch())
        watch(event);
    if (QAccessible::isActive())
        QAccessible::updateAccessibility(&event);
}

void setAnnouncementWatch(std::function<void(const QAccessibleEvent &)> watch)
{
    announcementWatch() = std::move(watch);
}

void NameAfter(QWidget *control, QWidget *label)
{
    if (!control || !label)
        return;
    keepFactoryLast();
    namers().insert(control, label);
    QObject::connect(control, &QObject::destroyed, [control] { namers().remove(control); });
}

}  // namespace voxa
