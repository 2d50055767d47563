// voxatool settings DRIVE [KEY=VALUE...]: writes the manager's settings file
// voxa\manager\voxam2.ini of a drive, as an installation does: the existing
// file is read, the version becomes this manager's, the language is written
// even when it was missing, and then the given keys are set in order. A
// drive made by hand thereby becomes a complete installation.
#include "app/settings.h"
#include "app/version.h"
#include "platform/codepage.h"
#include "platform/fileops.h"
#include "platform/paths.h"
#include "tool/command.h"

namespace voxa::tool {
namespace {

bool toInt(const QString &text, int *out)
{
    bool ok = false;
    *out = text.toInt(&ok, 10);
    return ok;
}

// Applies one KEY=VALUE; returns an error text, empty when it was taken.
QString apply(TIniFileHandler &settings, const QString &key, const QString &value)
{
    const QString k = key.toLower();
    int n = 0;
    if (k == QLatin1String("version") || k == QLatin1String("left") || k == QLatin1String("top")
        || k == QLatin1String("proxy-port")) {
        if (!toInt(value, &n))
            return QStringLiteral("'%1' is not a whole number").arg(value);
        if (k == QLatin1String("version")) {
            settings.setVersion(n);
        } else if (k == QLatin1String("proxy-port")) {
            settings.setProxyPort(n);
        } else {
            const QPoint p = settings.windowPosition();
            if (k == QLatin1String("left"))
                settings.setWindowPosition(n, p.y());
            else
                settings.setWindowPosition(p.x(), n);
        }
        return {};
    }
    if (k == QLatin1String("display")) {
        if (value.compare(QLatin1String("VOXA-A"), Qt::CaseInsensitive) == 0)
            settings.setDisplayType(1);
        else if (value.compare(QLatin1String("VA-DA"), Qt::CaseInsensitive) == 0)
            settings.setDisplayType(2);
        else
            return QStringLiteral("the display is VOXA-A or VA-DA, not '%1'").arg(value);
        return {};
    }
    if (k == QLatin1String("use-proxy")) {
        if (value.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            settings.setUseProxy(true);
        else if (value.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
            settings.setUseProxy(false);
        else
            return QStringLiteral("use-proxy is true or false, not '%1'").arg(value);
        return {};
    }
    // Text values are stored in the player's code page, one line each.
    if (!isCodePageText(value) || value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r')))
        return QStringLiteral("'%1' is no single line of the player's code page").arg(value);
    if (k == QLatin1String("language"))
        settings.setLanguage(value);
    else if (k == QLatin1String("proxy-server"))
        settings.setProxyServer(value);
    else if (k == QLatin1String("quarantine"))
        settings.setQuarantineDir(value);
    else
        return QStringLiteral("unknown key '%1'").arg(key);
    return {};
}

const char *const Help =
    "arguments:\n"
    "  DRIVE            the drive letter (E or E:)\n"
    "  KEY=VALUE        a setting to write, in order:\n"
    "                     version=N          the manager version number\n"
    "                     language=NAME      the language file's name\n"
    "                     left=N, top=N      the window position\n"
    "                     display=D          VOXA-A or VA-DA\n"
    "                     use-proxy=B        true or false\n"
    "                     proxy-server=HOST  the proxy server, without a port\n"
    "                     proxy-port=N       its port\n"
    "                     quarantine=DIR     the quarantine folder of find and export\n"
    "The existing file is read first; the version becomes this manager's and the language\n"
    "is kept. Exit status: 0 written, 1 no such drive or not written, 2 wrong arguments.\n"
    "example:\n"
    "  voxatool settings E display=VA-DA use-proxy=true proxy-server=proxy.example.net proxy-port=3128\n";

int writeSettings(const QStringList &args, Io &io)
{
    if (args.isEmpty()) {
        io.err << "usage: voxatool settings DRIVE [KEY=VALUE...]\n";
        return 2;
    }
    QString drive = args[0];
    if (drive.size() == 1)
        drive += QLatin1Char(':');
    if (!platform::isDevicePath(drive) || drive.size() > 3) {
        io.err << "voxatool settings: '" << args[0] << "' is no drive letter\n";
        return 2;
    }
    const QChar letter = platform::driveLetterOf(drive);
    if (platform::toNative(QString(letter) + QStringLiteral(":\\")).isEmpty()) {
        io.err << "voxatool settings: there is no drive " << letter << ":\n";
        return 1;
    }

    TIniFileHandler settings;
    settings.SetDrive(letter);
    // The language is read before the first write: a file in the older
    // binary layout is dropped by the first write and would lose it.
    const QString language = settings.language();
    settings.setVersion(ManagerVersion);
    settings.setLanguage(language);
    for (const QString &a : args.mid(1)) {
        const qsizetype eq = a.indexOf(QLatin1Char('='));
        if (eq <= 0) {
            io.err << "voxatool settings: expected KEY=VALUE, got '" << a << "'\n";
            return 2;
        }
        const QString error = apply(settings, a.left(eq), a.mid(eq + 1));
        if (!error.isEmpty()) {
            io.err << "voxatool settings: " << error << "\n";
            return 2;
        }
    }
    const QString failure = fs::writeWholeFile(settings.filePath(), settings.SettingsText());
    if (!failure.isEmpty()) {
        io.err << settings.filePath() << ": " << failure << "\n";
        return 1;
    }
    return 0;
}

const ToolCommand settingsCommand(
    "settings", "settings DRIVE [KEY=VALUE...]",
    "write the manager's settings file DRIVE:\\voxa\\manager\\voxam2.ini as an installation does (this "
    "version, the language kept); KEY is version, language, left, top, display (VOXA-A or VA-DA), "
    "use-proxy, proxy-server, proxy-port or quarantine",
    Help, writeSettings);

}  // namespace
}  // namespace voxa::tool
