#include "update/proxydialog.h"

#include "app/languagetargets.h"
#include "app/framehost.h"
#include "platform/prompts.h"
#include "update/updateframe.h"
#include "ui/skinbutton.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QSpinBox>

#include <limits>

namespace voxa {

TProxySetupForm::TProxySetupForm(FrameHost *host, QWidget *parent)
    : QDialog(parent, Qt::Tool), m_host(host)
{
    setWindowTitle(QStringLiteral("Proxy Settings"));
    if (parent)
        setFont(parent->font());
    setFixedSize(260, 124);

    ProxyCheck = new QCheckBox(QStringLiteral("Use Proxy"), this);
    ProxyCheck->setGeometry(10, 8, 240, 20);
    ProxyServerLabel = new QLabel(QStringLiteral("Proxy Server"), this);
    ProxyServerLabel->setGeometry(10, 34, 80, 21);
    ProxyServerEdit = new QLineEdit(this);
    ProxyServerEdit->setGeometry(94, 34, 156, 21);
    ProxyPortLabel = new QLabel(QStringLiteral("Proxy Port"), this);
    ProxyPortLabel->setGeometry(10, 60, 80, 21);
    ProxyPortEdit = new QSpinBox(this);
    ProxyPortEdit->setGeometry(94, 60, 96, 21);
    ProxyPortEdit->setRange(0, std::numeric_limits<int>::max());
    ProxyPortEdit->setValue(8080);
    ProxyServerLabel->setBuddy(ProxyServerEdit);
    ProxyPortLabel->setBuddy(ProxyPortEdit);

    OKButton = MakeCaptionButton(this, QStringLiteral("OK"), QRect(82, 92, 81, 25), [this] { OKButtonClick(); });
    CloseButton = MakeCaptionButton(this, QStringLiteral("Close"), QRect(169, 92, 81, 25),
                                    [this] { CloseButtonClick(); });

    // Return confirms the dialog from any field; on a focused button it
    // presses that button.
    auto *confirm = new QShortcut(QKeySequence(Qt::Key_Return), this);
    auto *confirmKeypad = new QShortcut(QKeySequence(Qt::Key_Enter), this);
    for (QShortcut *s : {confirm, confirmKeypad})
        connect(s, &QShortcut::activated, this, [this] {
            if (auto *b = qobject_cast<TSkinButton *>(focusWidget()); b && b->KeyboardFocus())
                b->Click();
            else
                OKButton->Click();
        });
    connect(ProxyCheck, &QCheckBox::clicked, this, &TProxySetupForm::ProxyCheckClick);
    connect(ProxyServerEdit, &QLineEdit::textChanged, this, &TProxySetupForm::ProxyCheckClick);
    connect(ProxyPortEdit, &QSpinBox::valueChanged, this, &TProxySetupForm::ProxyPortEditChanged);
    LanguageTargets::instance().add(187, this, [this](const QString &t) { CloseButton->setCaption(t); });
    LanguageTargets::instance().add(253, this, [this](const QString &t) { setWindowTitle(t); });
    LanguageTargets::instance().add(254, this, [this](const QString &t) { ProxyCheck->setText(t); });
    ProxyCheckClick();
}

ProxyValues TProxySetupForm::Values() const
{
    return {ProxyCheck->isChecked(), ProxyServerEdit->text(), ProxyPortEdit->value()};
}

void TProxySetupForm::setValues(const ProxyValues &values)
{
    {
        const QSignalBlocker a(ProxyCheck), b(ProxyServerEdit), c(ProxyPortEdit);
        ProxyCheck->setChecked(values.UseProxy);
        ProxyServerEdit->setText(values.Server);
        ProxyPortEdit->setValue(values.Port);
    }
    ProxyCheckClick();
}

void TProxySetupForm::ShowModal()
{
    if (QWidget *window = m_host ? m_host->hostWindow() : nullptr) {
        const QRect r = window->frameGeometry();
        move(r.center() - QPoint(width() / 2, height() / 2));
    }
    exec();
}

void TProxySetupForm::ProxyCheckClick()
{
    const bool on = ProxyCheck->isChecked();
    ProxyServerEdit->setEnabled(on);
    ProxyPortEdit->setEnabled(on);
    if (!m_host)
        return;
    if (auto *frame = qobject_cast<TUpdateFrame *>(m_host->frame(FrameKind::Update)))
        frame->ApplyProxy(ProxyFromDialog(on, ProxyServerEdit->text(), ProxyPortEdit->value()));
}

void TProxySetupForm::ProxyPortEditChanged()
{
    ProxyCheckClick();
}

void TProxySetupForm::OKButtonClick()
{
    // A port outside 1 to 65535 or a port inside the server text is not
    // saved: the transfers would refuse it anyway.
    const QString problem = ProxyProblem(ProxyFromDialog(ProxyCheck->isChecked(), ProxyServerEdit->text(),
                                                         ProxyPortEdit->value()));
    if (!problem.isEmpty()) {
        prompts().warning(problem, Placement::centered());
        return;
    }
    if (m_host)
        m_host->saveSettings();
    accept();
}

void TProxySetupForm::CloseButtonClick()
{
    reject();
}

}  // namespace voxa
