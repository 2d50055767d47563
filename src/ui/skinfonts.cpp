#include "ui/skinfonts.h"

#include <QStringList>

namespace voxa {

void InstallFontSubstitutes()
{
    const QString impact = QString::fromLatin1(ImpactFamily);
    const QString shellDlg = QString::fromLatin1(ShellDlgFamily);
    if (QFont::substitutes(impact).isEmpty())
        QFont::insertSubstitutions(impact, {QStringLiteral("Yanone Kaffeesatz"), QStringLiteral("DejaVu Sans Condensed"),
                                            QStringLiteral("DejaVu Sans")});
    if (QFont::substitutes(shellDlg).isEmpty())
        QFont::insertSubstitutions(shellDlg, {QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
}

QFont ImpactFont(int pointSize)
{
    QFont f(QString::fromLatin1(ImpactFamily));
    f.setPointSize(pointSize);
    f.setWeight(QFont::Bold);
    return f;
}

QFont ShellDlgFont(int pointSize, bool bold)
{
    QFont f(QString::fromLatin1(ShellDlgFamily));
    f.setPointSize(pointSize);
    f.setBold(bold);
    return f;
}

}  // namespace voxa
