#include "app/languagefile.h"

#include "app/languagetargets.h"
#include "app/messagetable.h"
#include "platform/codepage.h"
#include "platform/fileops.h"
#include "platform/paths.h"

#include <QCoreApplication>
#include <QHash>
#include <QLibraryInfo>
#include <QTranslator>

namespace voxa {
namespace {

// Language files are a few kilobytes; anything far larger is not one, and
// must not be read into memory whole.
constexpr qint64 MaxLanguageFileSize = 4 * 1024 * 1024;

std::optional<QByteArray> readFile(const QString &path, qint64 limit)
{
    if (platform::isDevicePath(path) && platform::toNative(path).isEmpty())
        return std::nullopt;
    // Only a regular file: a pipe named like a language file never blocks.
    return fs::readRegularFile(path, limit);
}

QString afterFirstEquals(const QByteArray &line)
{
    const qsizetype eq = line.indexOf('=');
    return eq < 0 ? QString() : fromCodePage(line.mid(eq + 1));
}

}  // namespace

QList<QByteArray> LanguageLines(const QByteArray &content)
{
    QList<QByteArray> lines = content.split('\n');
    for (QByteArray &l : lines)
        if (l.endsWith('\r'))
            l.chop(1);
    // A final line end does not start another line.
    if (!lines.isEmpty() && lines.constLast().isEmpty() && content.endsWith('\n'))
        lines.removeLast();
    return lines;
}

std::optional<LanguageEntry> ReadLanguageHeader(const QString &path)
{
    // The first two lines are all that is needed.
    const auto content = readFile(path, 4096);
    if (!content)
        return std::nullopt;
    const QList<QByteArray> lines = LanguageLines(*content);
    if (lines.isEmpty() || !lines[0].contains("Language"))
        return std::nullopt;
    LanguageEntry e;
    e.fileName = platform::fileNameOf(path);
    e.displayName = afterFirstEquals(lines[0]);
    e.code = QStringLiteral("ENG");
    if (lines.size() > 1 && lines[1].contains("ID")) {
        const qsizetype eq = lines[1].indexOf('=');
        if (eq >= 0)
            e.code = fromCodePage(lines[1].mid(eq + 1));
    }
    return e;
}

QList<LanguageEntry> FindLanguages(const QString &folder)
{
    QList<LanguageEntry> found;
    for (const fs::Entry &entry : fs::listDir(folder)) {
        if (found.size() >= MaxLanguages)
            break;
        if (entry.isDir || !entry.name.endsWith(QStringLiteral(".lng"), Qt::CaseInsensitive))
            continue;
        const QString path = platform::isDevicePath(folder) ? platform::joinDevice(folder, entry.name)
                                                            : folder + QLatin1Char('/') + entry.name;
        if (auto e = ReadLanguageHeader(path)) {
            e->fileName = entry.name;
            found.append(*e);
        }
    }
    return found;
}

bool ApplyLanguageFile(const QString &path)
{
    const auto content = readFile(path, MaxLanguageFileSize);
    if (!content)
        return false;
    const QList<QByteArray> lines = LanguageLines(*content);
    if (lines.size() > 2) {
        const QString help = afterFirstEquals(lines[2]).trimmed();
        if (!help.isEmpty())
            setMessage(Msg::HelpFile, help + QStringLiteral(".chm"));
    }
    for (qsizetype i = 3; i < lines.size(); ++i) {
        const QByteArray &line = lines[i];
        const qsizetype eq = line.indexOf('=');
        if (eq < 0)
            continue;
        bool ok = false;
        const int number = line.left(eq).trimmed().toInt(&ok, 10);
        if (!ok)
            continue;
        LanguageTargets::instance().apply(number, fromCodePage(line.mid(eq + 1)));
    }
    return true;
}

namespace {

// The language files' codes of the languages Qt translates.
QString qtLanguageOf(const QString &code)
{
    static const QHash<QString, QString> codes = {
        {QStringLiteral("GER"), QStringLiteral("de")}, {QStringLiteral("DEU"), QStringLiteral("de")},
        {QStringLiteral("DE"), QStringLiteral("de")},  {QStringLiteral("FRA"), QStringLiteral("fr")},
        {QStringLiteral("FRE"), QStringLiteral("fr")}, {QStringLiteral("ITA"), QStringLiteral("it")},
        {QStringLiteral("SPA"), QStringLiteral("es")}, {QStringLiteral("ESP"), QStringLiteral("es")},
        {QStringLiteral("HUN"), QStringLiteral("hu")}, {QStringLiteral("POL"), QStringLiteral("pl")},
        {QStringLiteral("DUT"), QStringLiteral("nl")}, {QStringLiteral("NLD"), QStringLiteral("nl")},
        {QStringLiteral("CZE"), QStringLiteral("cs")}, {QStringLiteral("CES"), QStringLiteral("cs")},
    };
    return codes.value(code.trimmed().toUpper());
}

}  // namespace

bool ApplyQtTranslation(const QString &code)
{
    static QTranslator *installed = nullptr;
    static QString installedLanguage;
    const QString language = qtLanguageOf(code);
    if (installed && language == installedLanguage)
        return true;
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
        installed = nullptr;
        installedLanguage.clear();
    }
    if (language.isEmpty() || !QCoreApplication::instance())
        return false;
    auto *translator = new QTranslator;
    // Without the translations package the questions stay English.
    if (!translator->load(QStringLiteral("qtbase_") + language,
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    installed = translator;
    installedLanguage = language;
    return true;
}

}  // namespace voxa
