#include "update/proxydialog.h"

#include "app/languagetargets.h"
#include "app/mainform.h"
#include "platform/prompts.h"
#include "update/updateframe.h"
#include "ui/skinbutton.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

#include <limits>

namespace voxa {

TProxySetupForm::TProxySetupForm(TMainForm *main)
    : QDialog(main, Qt::Tool), m_main(main)
{
    setWindowTitle(QStringLiteral("Proxy Settings"));
    if (main)
        setFont(main->font());
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

    OKButton = new TSkinButton(this);
    OKButton->setAutoSize(false);
    OKButton->setGeometry(82, 92, 81, 25);
    OKButton->setCaption(QStringLiteral("OK"));
    OKButton->setClickHandler([this] { OKButtonClick(); });
    CloseButton = new TSkinButton(this);
    CloseButton->setAutoSize(false);
    CloseButton->setGeometry(169, 92, 81, 25);
    CloseButton->setCaption(QStringLiteral("Close"));
    CloseButton->setClickHandler([this] { CloseButtonClick(); });

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
    if (m_main) {
        const QRect r = m_main->frameGeometry();
        move(r.center() - QPoint(width() / 2, height() / 2));
    }
    exec();
}

void TProxySetupForm::ProxyCheckClick()
{
    const bool on = ProxyCheck->isChecked();
    ProxyServerEdit->setEnabled(on);
    ProxyPortEdit->setEnabled(on);
    if (!m_main)
        return;
    if (auto *frame = qobject_cast<TUpdateFrame *>(m_main->Frame(FrameKind::Update)))
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
    if (m_main)
        m_main->SaveSettings();
    accept();
}

void TProxySetupForm::CloseButtonClick()
{
    reject();
}

}  // namespace voxa
