#pragma once
// The proxy settings dialog: "Use Proxy", the proxy server and its port.
// Every change applies to the update frame's transfers at once; OK also
// saves the settings.
#include "app/framecatalog.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace voxa {

class TSkinButton;

class TProxySetupForm : public QDialog, public ProxyDialog {
    Q_OBJECT
public:
    explicit TProxySetupForm(FrameHost *host, QWidget *parent = nullptr);

    QCheckBox *ProxyCheck = nullptr;
    QLabel *ProxyServerLabel = nullptr;
    QLineEdit *ProxyServerEdit = nullptr;
    QLabel *ProxyPortLabel = nullptr;
    QSpinBox *ProxyPortEdit = nullptr;
    TSkinButton *OKButton = nullptr;
    TSkinButton *CloseButton = nullptr;

    QWidget *Window() override { return this; }
    ProxyValues Values() const override;
    // Fills the three fields; the handlers apply them.
    void setValues(const ProxyValues &values) override;
    // Centred on the main window.
    void ShowModal() override;

    // Also run when the server text changes.
    void ProxyCheckClick();
    void ProxyPortEditChanged();
    void OKButtonClick();
    void CloseButtonClick();

private:
    FrameHost *m_host;
};

}  // namespace voxa
