// voxatool new-config OUT.cfg [SETTING=VALUE...]: writes a config file. With
// no settings it is the new document: every setting and file left unchanged.
#include "editors/config/configfile.h"
#include "platform/codepage.h"
#include "tool/command.h"

namespace voxa::tool {
namespace {

// "Auto Volume", "auto-volume" and "autovolume" are one key.
QString squeeze(const QString &s)
{
    QString out;
    for (QChar c : s)
        if (c.isLetterOrNumber() || c == QLatin1Char('.'))
            out += c.toLower();
    return out;
}

// The word a key names: its number, a setting name (the "Party Audio"
// page for the audio settings), or "car." and the name for the "Car Audio"
// page.
int wordOf(const QString &key)
{
    bool isNumber = false;
    const int n = key.toInt(&isNumber);
    if (isNumber)
        return configSetting(n) ? n : 0;
    QString k = squeeze(key);
    int first = 1;
    if (k.startsWith(QLatin1String("car."))) {
        k = k.mid(4);
        first = 9;
    } else if (k.startsWith(QLatin1String("party."))) {
        k = k.mid(6);
    }
    for (int w = first; w <= ConfigUsedWords; ++w) {
        if (first == 9 && w > 16)
            break;
        if (squeeze(QString::fromLatin1(configSetting(w)->name)) == k)
            return w;
    }
    return 0;
}

int slotOf(const QString &key)
{
    const QString k = squeeze(key);
    if (k == QLatin1String("playdisplay"))
        return PlaydisplaySlot;
    if (k == QLatin1String("logo"))
        return LogoSlot;
    if (k == QLatin1String("message"))
        return MessageSlot;
    if (k == QLatin1String("myradiofile"))
        return MyRadioSlot;
    return 0;
}

std::optional<int> valueOf(int word, const QString &text)
{
    if (text.compare(QLatin1String("unchanged"), Qt::CaseInsensitive) == 0)
        return ConfigUnchanged;
    bool isNumber = false;
    const int v = text.toInt(&isNumber);
    if (isNumber)
        return isValidConfigValue(word, v) ? std::optional<int>(v) : std::nullopt;
    for (const ConfigChoice &c : configSetting(word)->choices)
        if (text.compare(QLatin1String(c.label), Qt::CaseInsensitive) == 0)
            return c.value;
    return std::nullopt;
}

int newConfig(const QStringList &args, Io &io)
{
    if (args.isEmpty()) {
        io.err << "usage: voxatool new-config OUT.cfg [SETTING=VALUE...]\n";
        return 2;
    }
    ConfigDocument doc;
    for (const QString &a : args.mid(1)) {
        const qsizetype eq = a.indexOf(QLatin1Char('='));
        const QString key = a.left(eq);
        const QString value = eq < 0 ? QString() : a.mid(eq + 1);
        if (eq < 0) {
            io.err << "voxatool new-config: expected SETTING=VALUE, got '" << a << "'\n";
            return 2;
        }
        if (const int slot = slotOf(key)) {
            if (value.compare(QLatin1String("unchanged"), Qt::CaseInsensitive) == 0) {
                doc.setName(slot, ConfigName::unchanged());
            } else if (value.isEmpty() || value == QLatin1String("DEFAULT")) {
                doc.setName(slot, ConfigName::empty());
            } else if (value.size() > ConfigNameLength || !isCodePageText(value)
                       || value.contains(QChar(0))) {
                io.err << "voxatool new-config: '" << value
                       << "' is no base name of at most 16 characters of the player's code page\n";
                return 2;
            } else if (toCodePage(value).startsWith("\xFF\xFF")) {
                // It would read back as "leave unchanged".
                io.err << "voxatool new-config: '" << value << "': "
                       << playerfile::failure(FileFailure::CannotStore).message() << "\n";
                return 2;
            } else {
                doc.setName(slot, ConfigName::fromBaseName(value));
            }
            continue;
        }
        const int word = wordOf(key);
        if (!word) {
            io.err << "voxatool new-config: unknown setting '" << key << "'\n";
            return 2;
        }
        const std::optional<int> v = valueOf(word, value);
        if (!v) {
            io.err << "voxatool new-config: '" << value << "' is not a value of "
                   << configSetting(word)->name << "\n";
            return 2;
        }
        doc.setWord(word, qint16(*v));
    }
    const WriteResult w = WriteConfigFile(args[0], doc);
    if (w.failed()) {
        io.err << args[0] << ": " << w.text() << "\n";
        return 1;
    }
    return 0;
}

const char *const Help =
    "arguments:\n"
    "  OUT.cfg          the config file to write\n"
    "  SETTING=VALUE    a setting to change, in order; the rest stay \"unchanged\" (the new\n"
    "                   document of the config editor). SETTING is a word number, a setting\n"
    "                   name (\"Repeat Mode\", repeat-mode; \"car.\" before it for the Car Audio\n"
    "                   page) or one of the file names playdisplay, logo, message, myradiofile.\n"
    "                   VALUE is a number, one of the setting's choices or \"unchanged\"; for a\n"
    "                   file name the base name, DEFAULT for the default\n"
    "Exit status: 0 written, 1 not written, 2 wrong arguments.\n"
    "example:\n"
    "  voxatool new-config E:\\voxa\\config\\car.cfg Volume=-5 car.equalizer=rock repeat-mode=off logo=sunset\n";

const ToolCommand newConfigCommand(
    "new-config", "new-config OUT.cfg [SETTING=VALUE...]",
    "write a config file; SETTING is a word number, a setting name (\"car.\" before it for the "
    "Car Audio page) or playdisplay, logo, message, myradiofile; VALUE a number, a choice or "
    "\"unchanged\" (names: DEFAULT for the default)",
    Help, newConfig);

}  // namespace
}  // namespace voxa::tool
