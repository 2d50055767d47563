#include "editors/myradio/myradiorows.h"

#include "platform/codepage.h"
#include "platform/fileops.h"

#include <algorithm>

namespace voxa {

QString PlayerNameText(const QString &text)
{
    const QChar cross = fromCodePage("\xD7").at(0);
    QString out = text;
    for (QChar &c : out) {
        const int b = codePageByte(c);
        if (b == 0xF5 || b == 0xFB || b == 0xED)
            c = cross;
    }
    return out;
}

QString TreeFolderPart(const QStringList &ancestors)
{
    if (ancestors.isEmpty())
        return QStringLiteral("\\");
    QString folder;
    for (const QString &a : ancestors)
        folder += a + QLatin1Char('\\');
    return folder;
}

QString PriorityText(int weightClass)
{
    return QString::number(weightClass) + QLatin1Char(' ');
}

namespace {

// n / d rounded to a whole number, halves upwards (n, d > 0).
qint64 roundHalfUp(qint64 n, qint64 d)
{
    return (2 * n + d) / (2 * d);
}

}  // namespace

QString SharePercentText(int weightClass, int classSum)
{
    if (classSum <= 0 || weightClass <= 0)
        return QStringLiteral("0.0");
    // x = 100 c / S exactly as a fraction; first to 3 significant digits,
    // then to tenths, both halves upwards, so the shown number does not
    // depend on binary floating point.
    const qint64 c = weightClass;
    const qint64 s = classSum;
    int decimals;  // decimals that keep 3 significant digits
    if (100 * c >= 100 * s)
        decimals = 0;
    else if (100 * c >= 10 * s)
        decimals = 1;
    else if (100 * c >= s)
        decimals = 2;
    else if (1000 * c >= s)
        decimals = 3;
    else
        decimals = 4;
    qint64 scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    const qint64 significant = roundHalfUp(100 * c * scale, s);  // x in units of 1 / scale
    const qint64 tenths = decimals == 0 ? significant * 10 : roundHalfUp(significant * 10, scale);
    return QString::number(tenths / 10) + QLatin1Char('.') + QString::number(tenths % 10);
}

QString PriorityText(int weightClass, int classSum)
{
    const QString percent = SharePercentText(weightClass, classSum) + QStringLiteral("%] ");
    QString padding;
    for (qsizetype i = percent.size(); i < 7; ++i)
        padding += QStringLiteral("  ");
    return QString::number(weightClass) + QStringLiteral("  [") + padding + percent;
}

int WeightClassOf(const QString &priorityText)
{
    const qsizetype space = priorityText.indexOf(QLatin1Char(' '));
    bool ok = false;
    const int value = priorityText.left(space < 0 ? priorityText.size() : space).toInt(&ok);
    if (!ok)
        return MyRadioMinClass;
    return std::clamp(value, MyRadioMinClass, MyRadioMaxClass);
}

QStringList RefreshedPriorities(const QList<int> &classes)
{
    int sum = 0;
    for (int c : classes)
        sum += c;
    QStringList texts;
    for (int c : classes)
        texts.append(PriorityText(c, sum));
    return texts;
}

QString ItemLabelText(qsizetype rows)
{
    return QString::number(rows);
}

bool ProfileListFull(qsizetype rows)
{
    return rows >= MyRadioMaxElements;
}

qsizetype FindRow(const QList<MyRadioRow> &rows, const QString &folder, const QString &name)
{
    for (qsizetype i = 0; i < rows.size(); ++i)
        if (rows[i].name.compare(name, Qt::CaseInsensitive) == 0
            && rows[i].folder.compare(folder, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QString ElementDevicePath(QChar drive, const QString &folder, const QString &name)
{
    QString path = QString(drive) + QStringLiteral(":\\") + folder + name;
    const qsizetype doubled = path.indexOf(QStringLiteral("\\\\"));
    if (doubled >= 0)
        path.remove(doubled, 1);
    return path;
}

bool ElementPathAllowed(const QString &path)
{
    if (path.startsWith(QStringLiteral("\\\\")) || path.contains(QLatin1Char(':')))
        return false;
    const QStringList parts = QString(path).replace(QLatin1Char('/'), QLatin1Char('\\')).split(QLatin1Char('\\'));
    return !parts.contains(QStringLiteral("..")) && !checkMyRadioPath(path).failed();
}

QList<MyRadioRow> RowsOfElements(const QList<MyRadioElement> &elements, QStringList *refused)
{
    QList<MyRadioRow> rows;
    for (const MyRadioElement &e : elements) {
        if (!ElementPathAllowed(e.path())) {
            if (refused)
                refused->append(e.path());
            continue;
        }
        rows.append({e.name, e.folder, e.weightClass, e.isFile() ? RowPicture::Mp3File : RowPicture::Folder});
    }
    return rows;
}

QList<MyRadioElement> ElementsOfRows(const QList<MyRadioRow> &rows)
{
    QList<MyRadioElement> elements;
    for (const MyRadioRow &r : rows)
        elements.append(r.element());
    return elements;
}

AddOutcome AddPicks(QList<MyRadioRow> &rows, const QList<TreePick> &picks, int weightClass, QChar drive,
                    const std::function<bool(const QString &)> &hasMp3)
{
    AddOutcome out;
    for (qsizetype p = 0; p < picks.size(); ++p) {
        const TreePick &pick = picks[p];
        if (ProfileListFull(rows.size())) {
            out.listFull = true;
            out.keptPicks.append(p);
            continue;
        }
        const QString folder = PlayerNameText(TreeFolderPart(pick.ancestors));
        const QString name = PlayerNameText(pick.name);
        const qsizetype existing = FindRow(rows, folder, name);
        if (existing >= 0) {
            if (!out.selectRows.contains(existing))
                out.selectRows.append(existing);
            continue;
        }
        RowPicture picture = RowPicture::Mp3File;
        if (pick.isFolder) {
            // The drive's own names, before the replacement, find the folder.
            const QString nodePath = ElementDevicePath(drive, TreeFolderPart(pick.ancestors), pick.name);
            picture = hasMp3 && hasMp3(nodePath) ? RowPicture::Folder : RowPicture::EmptyFolder;
        }
        rows.append({name, folder, weightClass, picture});
        out.selectRows.append(rows.size() - 1);
        out.modified = true;
    }
    return out;
}

bool RemoveRows(QList<MyRadioRow> &rows, QList<qsizetype> positions)
{
    std::sort(positions.begin(), positions.end(), std::greater<>());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    bool removed = false;
    for (qsizetype p : positions)
        if (p >= 0 && p < rows.size()) {
            rows.removeAt(p);
            removed = true;
        }
    return removed;
}

int RemoveMissingRows(QList<MyRadioRow> &rows, QChar drive)
{
    int removed = 0;
    for (qsizetype i = rows.size() - 1; i >= 0; --i)
        if (!fs::exists(RowDevicePath(drive, rows[i]))) {
            rows.removeAt(i);
            ++removed;
        }
    return removed;
}

}  // namespace voxa
