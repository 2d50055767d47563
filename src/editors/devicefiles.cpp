#include "editors/devicefiles.h"

#include "app/displayname.h"
#include "platform/fileops.h"

namespace voxa {

bool IsDeviceBaseName(const QString &name)
{
    if (name.isEmpty() || name.contains(QStringLiteral("..")))
        return false;
    for (const QChar c : name)
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':')
            || c.category() == QChar::Other_Control)
            return false;
    return true;
}

QStringList DeviceFileRows(const QString &folder, const QString &extension, bool eightCharacterRule)
{
    QStringList rows;
    for (const fs::Entry &e : fs::listDir(folder)) {
        if (e.isDir || e.name.size() < 4)
            continue;
        if (e.name.right(3).compare(extension, Qt::CaseInsensitive) != 0)
            continue;
        const QString base = e.name.left(e.name.size() - 4);
        if ((eightCharacterRule && base.size() > 8) || !IsDeviceBaseName(base))
            continue;
        rows << DisplayName(base);
    }
    rows.sort();
    return rows;
}

QString DeviceFilePath(const QString &folder, const QString &row, const QString &extension)
{
    return folder + QLatin1Char('\\') + row + QLatin1Char('.') + extension;
}

}  // namespace voxa
