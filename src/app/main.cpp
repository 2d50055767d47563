// The manager's entry: no arguments, one main window.
#include "app/qtprompts.h"
#include "app/version.h"

#include <QApplication>
#include <QLabel>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(voxa::ApplicationTitle));
    QApplication::setApplicationDisplayName(QString::fromLatin1(voxa::ApplicationTitle));
    voxa::QtPrompts prompts;
    voxa::setPrompts(&prompts);

    QLabel window(QStringLiteral("VOXA Manager %1").arg(QString::fromLatin1(voxa::ManagerVersionText)));
    window.setAlignment(Qt::AlignCenter);
    window.setWindowTitle(QString::fromLatin1(voxa::ApplicationTitle));
    window.resize(380, 240);
    window.setStyleSheet(QStringLiteral("background:#2d406b;color:white;font-weight:bold"));
    prompts.setMainWindow(&window);
    window.show();
    return app.exec();
}
