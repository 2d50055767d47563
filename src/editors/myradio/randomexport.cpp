#include "editors/myradio/randomexport.h"

#include "app/messagetable.h"
#include "editors/myradio/myradiomusic.h"
#include "platform/codepage.h"
#include "platform/fileops.h"
#include "platform/paths.h"

#include <QDateTime>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace voxa {

SeededRandom SeededRandom::fromClock()
{
    return SeededRandom(quint32(QDateTime::currentMSecsSinceEpoch()));
}

ExportTable ExportTable::of(QList<ExportElement> elements, int n)
{
    ExportTable t;
    t.elements = std::move(elements);
    for (const ExportElement &e : t.elements)
        t.T += e.w;
    t.N = n;
    return t;
}

std::optional<int> ElementNumber(const QString &text)
{
    bool ok = false;
    const int n = text.trimmed().toInt(&ok, 10);
    if (!ok || n < 0 || n > ElementNumberMax)
        return std::nullopt;
    return std::min(n, RandomExportMaxLines);
}

QList<ExportElement> BuildExportTable(const QList<MyRadioRow> &rows, QChar drive,
                                      const std::function<bool(const QString &)> &hasMp3,
                                      const std::function<void()> &tick)
{
    QList<ExportElement> table;
    for (const MyRadioRow &row : rows) {
        if (table.size() >= MyRadioMaxElements)
            break;
        ExportElement e;
        e.path = RowDevicePath(drive, row);
        e.w = quint8(std::clamp(row.weightClass, MyRadioMinClass, MyRadioMaxClass));
        e.folder = row.isFolder();
        if (!e.folder || hasMp3(e.path))
            table.append(e);
        if (tick)
            tick();
    }
    return table;
}

int PickNext(ExportTable &table, int pick, RandomSource &random)
{
    const qsizetype last = table.elements.size() - 1;
    const double T = table.T;
    const double N = table.N;
    for (;;) {
        quint32 r = 1 + random.below(quint32(table.T));
        qsizetype i = 0;
        while (r > table.elements[i].w && i < last) {
            r -= table.elements[i].w;
            ++i;
        }
        ExportElement &e = table.elements[i];
        const bool shareFull = double(e.w) / T * 100.0 <= double(e.hits) / N * 100.0;
        if (shareFull || e.cooldown > pick) {
            ++e.age;
            if (e.age > 2) {
                if (e.cooldown > 0)
                    --e.cooldown;
                e.age = 0;
            }
            continue;
        }
        ++e.hits;
        e.age = 0;
        const double interval = T / double(e.w);
        e.cooldown = quint16(pick + int(std::trunc(interval)) - int(std::trunc(interval * 0.3)));
        return int(i);
    }
}

QList<int> PickAll(ExportTable &table, RandomSource &random)
{
    QList<int> picks;
    if (table.elements.isEmpty() || table.N <= 0)
        return picks;
    picks.reserve(table.N);
    for (int pick = 1; pick <= table.N; ++pick)
        picks.append(PickNext(table, pick, random));
    return picks;
}

QStringList ExportLines(ExportTable &table, const QList<int> &picks, RandomSource &random,
                        const std::function<QStringList(const QString &)> &collect)
{
    QStringList lines(picks.size());
    for (qsizetype i = 0; i < picks.size(); ++i) {
        ExportElement &e = table.elements[picks[i]];
        if (!e.folder) {
            lines[i] = e.path;
            continue;
        }
        if (e.expanded)
            continue;
        const QStringList files = collect(e.path);
        for (qsizetype j = i; j < picks.size() && !files.isEmpty(); ++j)
            if (picks[j] == picks[i])
                lines[j] = files[random.below(quint32(files.size()))];
        e.expanded = true;
    }
    return lines;
}

QByteArray RandomExportBytes(const QStringList &lines, ExportPaths paths)
{
    QByteArray out("#EXTM3U\r\n");
    for (const QString &line : lines) {
        if (line.isEmpty())
            continue;
        if (paths == ExportPaths::Player) {
            out += toCodePage(line) + "\r\n";
            continue;
        }
        const QString native = platform::isDevicePath(line) ? platform::toNative(line) : line;
        if (!native.isEmpty())
            out += QFile::encodeName(native) + "\r\n";
    }
    return out;
}

QString ExportProposedName(const QString &profileFileName)
{
    const QString base = platform::fileNameOf(profileFileName);
    QString stem = base.left(base.indexOf(QLatin1Char('.')) < 0 ? base.size() : base.indexOf(QLatin1Char('.')));
    if (stem.isEmpty()) {
        // A translated word that is no plain file name falls back to English.
        stem = msg(Msg::Untitled).trimmed();
        static const QRegularExpression plain(QStringLiteral("^[^./\\\\:*?\"<>|]+$"));
        if (!plain.match(stem).hasMatch())
            stem = QStringLiteral("Untitled");
    }
    return stem + QStringLiteral(".m3u");
}

QString ExportFolder(QChar drive)
{
    return QString(drive) + QStringLiteral(":\\voxa\\myradio");
}

std::optional<ExportTable> PrepareRandomExport(const QList<MyRadioRow> &rows, const QString &numberText,
                                               QChar drive, Placement box, const std::function<void()> &tick)
{
    const std::optional<int> n = ElementNumber(numberText);
    if (!n) {
        prompts().message({QString(), msg(Msg::ElementNumberInvalid), BoxIcon::None, Button::Ok, Button::Ok, box});
        return std::nullopt;
    }
    if (*n == 0)
        return std::nullopt;
    QList<ExportElement> elements = BuildExportTable(rows, drive, HasMp3, tick);
    if (elements.isEmpty()) {
        prompts().message({QString(), msg(Msg::NoMp3InSelected), BoxIcon::None, Button::Ok, Button::Ok, box});
        return std::nullopt;
    }
    return ExportTable::of(std::move(elements), *n);
}

RandomExportResult WriteRandomExport(ExportTable &table, const QString &path, RandomSource &random,
                                     const std::function<void()> &tick, ExportPaths paths)
{
    if (!askToMakeWritable(path, QString(), msg(Msg::OverwriteExisting)))
        return RandomExportResult::Declined;
    const QList<int> picks = PickAll(table, random);
    const QStringList lines = ExportLines(table, picks, random, [&tick](const QString &folder) {
        return CollectMp3(folder, CollectMp3Limit, tick);
    });
    if (!fs::writeWholeFile(path, RandomExportBytes(lines, paths)).isEmpty()) {
        prompts().error(msg(Msg::OpenForWriteError) + QStringLiteral(" [") + path + QLatin1Char(']'));
        return RandomExportResult::WriteFailed;
    }
    return RandomExportResult::Written;
}

}  // namespace voxa
