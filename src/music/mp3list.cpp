#include "music/mp3list.h"

#include "app/messagetable.h"
#include "platform/codepage.h"
#include "platform/fileops.h"
#include "platform/paths.h"
#include "platform/prompts.h"

#include <QLocale>
#include <QFileInfo>

#include <algorithm>

namespace voxa {

QString SystemDateSeparator()
{
    // The first character of the short date format that is not a field.
    const QString format = QLocale::system().dateFormat(QLocale::ShortFormat);
    for (const QChar c : format)
        if (!c.isLetter() && c != QLatin1Char('\'') && !c.isSpace())
            return QString(c);
    return QStringLiteral("-");
}

QString Mp3DateText(const QDate &date)
{
    if (!date.isValid())
        return {};
    const QString sep = SystemDateSeparator();
    return QStringLiteral("%1%2%3%4%5")
        .arg(date.year(), 4, 10, QLatin1Char('0'))
        .arg(sep)
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(sep)
        .arg(date.day(), 2, 10, QLatin1Char('0'));
}

QStringList Mp3ListCaptions(const Mp3ListColumns &c)
{
    QStringList out{msg(Msg::Filename)};
    if (c.Date)
        out << msg(Msg::Date);
    if (c.Size)
        out << msg(Msg::Size) + QStringLiteral(" [") + c.SizeUnitText + QLatin1Char(']');
    if (c.Bitrate)
        out << msg(Msg::Bitrate);
    out << msg(Msg::Path);
    return out;
}

QStringList Mp3ListTexts(const Mp3FileInfo &f, const Mp3ListColumns &c)
{
    QStringList out{f.FileName};
    if (c.Date)
        out << Mp3DateText(f.Date.date());
    if (c.Size)
        out << QString::number(f.Size / (c.SizeInMBytes ? 1048576 : 1024));
    if (c.Bitrate)
        out << QString::number(f.Bitrate) + QStringLiteral(" kbps");
    out << f.Directory;
    return out;
}

void SortMp3ListByPath(QList<Mp3FileInfo> &items)
{
    std::stable_sort(items.begin(), items.end(), [](const Mp3FileInfo &a, const Mp3FileInfo &b) {
        const int c = a.Directory.compare(b.Directory, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a.Directory < b.Directory;
    });
}

QString Mp3ExportExtension(Mp3ExportFormat format)
{
    switch (format) {
    case Mp3ExportFormat::M3U: return QStringLiteral("m3u");
    case Mp3ExportFormat::PLS: return QStringLiteral("pls");
    case Mp3ExportFormat::Text: return QStringLiteral("txt");
    case Mp3ExportFormat::CSV: return QStringLiteral("csv");
    }
    return {};
}

QString Mp3ExportFileName(const QString &chosen, Mp3ExportFormat format)
{
    const QString ext = QLatin1Char('.') + Mp3ExportExtension(format);
    return chosen.endsWith(ext, Qt::CaseSensitive) ? chosen : chosen + ext;
}

QStringList Mp3ExportLines(Mp3ExportFormat format, const QList<Mp3FileInfo> &items,
                           const Mp3ListColumns &columns)
{
    QStringList lines;
    switch (format) {
    case Mp3ExportFormat::M3U:
        lines << QStringLiteral("#EXTM3U");
        for (const Mp3FileInfo &f : items)
            lines << Mp3FullPath(f);
        break;
    case Mp3ExportFormat::PLS:
        lines << QStringLiteral("[playlist]");
        for (qsizetype i = 0; i < items.size(); ++i)
            lines << QStringLiteral("File%1=%2").arg(i + 1).arg(Mp3FullPath(items[i]));
        lines << QStringLiteral("NumberOfEntries=%1").arg(items.size()) << QStringLiteral("Version=2");
        break;
    case Mp3ExportFormat::Text:
        for (const Mp3FileInfo &f : items)
            lines << Mp3FullPath(f);
        break;
    case Mp3ExportFormat::CSV:
        lines << Mp3ListCaptions(columns).join(QLatin1Char(';'));
        for (const Mp3FileInfo &f : items)
            lines << Mp3ListTexts(f, columns).join(QLatin1Char(';'));
        break;
    }
    return lines;
}

QByteArray Mp3ListBytes(const QStringList &lines)
{
    QByteArray out;
    for (const QString &l : lines)
        out += toCodePage(l) + "\r\n";
    return out;
}

namespace {

enum class WriteStep { Done, Open, Write };

// The file cannot even be started: its folder is missing or closed to us,
// or the name is taken by a folder. Anything that fails after that is a
// write error.
bool cannotOpen(const QString &path)
{
    const QString native = platform::toNative(path);
    if (native.isEmpty())
        return true;
    const QFileInfo info(native);
    if (info.isDir())
        return true;
    const QFileInfo folder(info.absolutePath());
    return !folder.isDir() || !folder.isWritable();
}

WriteStep writeWhole(const QString &path, const QByteArray &bytes, QString *error)
{
    const QString failed = fs::writeWholeFile(path, bytes);
    if (failed.isEmpty())
        return WriteStep::Done;
    if (error)
        *error = failed + QStringLiteral(" [") + path + QLatin1Char(']');
    return cannotOpen(path) ? WriteStep::Open : WriteStep::Write;
}

}  // namespace

bool WriteMp3ListFile(const QString &path, const QStringList &lines, QString *error)
{
    return writeWhole(path, Mp3ListBytes(lines), error) == WriteStep::Done;
}

Mp3ExportResult ExportMp3List(Mp3ExportFormat format, const QString &path,
                              const QList<Mp3FileInfo> &items, const Mp3ListColumns &columns)
{
    if (!askToMakeWritable(path, QStringLiteral("Warning"),
                           msg(Msg::OverwriteExisting) + QStringLiteral(" [") + path + QLatin1Char(']')))
        return Mp3ExportResult::Declined;
    QString error;
    switch (writeWhole(path, Mp3ListBytes(Mp3ExportLines(format, items, columns)), &error)) {
    case WriteStep::Done:
        return Mp3ExportResult::Written;
    case WriteStep::Open:
        prompts().error(msg(Msg::OpenForWriteError));
        return Mp3ExportResult::OpenFailed;
    case WriteStep::Write:
        prompts().error(error);
        return Mp3ExportResult::WriteFailed;
    }
    return Mp3ExportResult::WriteFailed;
}

bool WritePlayList(const QString &path, const QList<Mp3FileInfo> &items)
{
    return WriteMp3ListFile(path, Mp3ExportLines(Mp3ExportFormat::Text, items));
}

}  // namespace voxa
