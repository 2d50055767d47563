#pragma once
// The real prompts: Qt message boxes and file dialogs, placed as the frames
// expect (see Placement).
#include "platform/prompts.h"

#include <QPointer>
#include <QWidget>

namespace voxa {

class QtPrompts : public Prompts {
public:
    // The window that boxes are placed against and owned by.
    void setMainWindow(QWidget *window) { m_main = window; }

    Button message(const MessageBox &box) override;
    QString chooseFile(const FileRequest &request) override;
    bool inputText(const QString &title, const QString &label, QString &value) override;

private:
    QPointer<QWidget> m_main;
};

}  // namespace voxa
