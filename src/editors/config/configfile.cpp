#include "editors/config/configfile.h"

#include "platform/codepage.h"

#include <QtEndian>

namespace voxa {
namespace {

constexpr qsizetype WordsOffset = 10;
constexpr qsizetype NamesOffset = 90;
constexpr const char *Signature = "R7CFG";

QByteArray configHeader()
{
    return playerfile::header(Signature, "2.00");
}

// The settings of words 1..8; words 9..16 repeat them for the other page.
QList<ConfigSetting> audioSettings(int firstWord, const char *page)
{
    const QList<ConfigChoice> offOn = {{464, "Off"}, {465, "On"}};
    return {
        {firstWord + 0, "Volume", page, -66, 12, {}, 0},
        {firstWord + 1, "Balance", page, 432, 450, {}, 441},
        {firstWord + 2, "Bass", page, -12, 12, {}, 0},
        {firstWord + 3, "Treble", page, -12, 12, {}, 0},
        {firstWord + 4, "Equalizer", page, 0, 0,
         {{272, "User"}, {273, "Flat"}, {274, "Classic"}, {275, "Pop"}, {276, "Rock"}, {277, "Jazz"}}, 273},
        {firstWord + 5, "Loudness", page, 0, 0, offOn, 465},
        {firstWord + 6, "DynaBass", page, 0, 0, {{352, "Off"}, {353, "Soft"}, {354, "Medium"}, {355, "Hard"}}, 352},
        {firstWord + 7, "Auto Volume", page, 0, 0, offOn, 465},
    };
}

const QList<ConfigSetting> &settings()
{
    static const QList<ConfigSetting> all = [] {
        QList<ConfigSetting> s = audioSettings(1, "Party Audio");
        s += audioSettings(9, "Car Audio");
        s += {
            {17, "MyRadio", "Playmode", 0, 0, {{MyRadioOnValue, "On"}, {MyRadioOffValue, "Off"}}, MyRadioOffValue},
            {18, "Repeat Mode", "Playmode", 0, 0,
             {{321, "Repeat"}, {322, "Track"}, {323, "Random"}, {320, "Off"}}, 321},
            {19, "Auto Pause", "Playmode", 0, 0, {{0, "Off"}, {1, "On"}}, 1},
            {20, "Intro Play", "Playmode", 0, 60, {}, 0},
            {21, "Contrast", "Hardware", 0, 31, {}, 20},
            {22, "Back Light", "Hardware", 0, 31, {}, 31},
            {23, "FM Channel", "Hardware", 288, 303, {}, 291},
            {24, "HDD Standby", "Hardware", 0, 30, {}, 5},
            {25, "Turn Off Delay", "Hardware", 1, 31, {}, 3},
            {26, "Inverse Mode", "Hardware", 0, 0, {{369, "Normal"}, {368, "Inverse"}}, 369},
            {27, "Rotate Display", "Hardware", 0, 0, {{384, "Left"}, {385, "Right"}}, 384},
            {28, "Scroll Mode", "Hardware", 0, 0, {{400, "Normal"}, {401, "Reverse"}}, 400},
        };
        return s;
    }();
    return all;
}

QString signedText(int v)
{
    return v > 0 ? QLatin1Char('+') + QString::number(v) : QString::number(v);
}

}  // namespace

ConfigName ConfigName::empty()
{
    ConfigName n;
    n.m_kind = Kind::Empty;
    return n;
}

ConfigName ConfigName::unchanged()
{
    return {};
}

ConfigName ConfigName::named(const QByteArray &bytes)
{
    // A name that begins with a zero byte reads back as the empty name.
    if (bytes.isEmpty() || bytes[0] == '\0')
        return empty();
    ConfigName n;
    n.m_kind = Kind::Name;
    n.m_bytes = bytes;
    return n;
}

ConfigName ConfigName::fromBaseName(const QString &name)
{
    return named(toCodePage(QStringView(name).left(ConfigNameLength)));
}

QString ConfigName::text() const
{
    return isName() ? fromCodePage(m_bytes) : QString();
}

ConfigDocument::ConfigDocument()
{
    ConfigWords.fill(ConfigUnchanged);
}

FileResult<ConfigDocument> parseConfigFile(const QByteArray &bytes)
{
    if (bytes.size() < ConfigFileSize)
        return playerfile::tooShort(bytes.size(), ConfigFileSize);
    if (!bytes.startsWith(configHeader()))
        return playerfile::failure(FileFailure::WrongFormat);

    ConfigDocument doc;
    const char *data = bytes.constData();
    for (int n = 1; n <= ConfigUsedWords; ++n)
        doc.setWord(n, qFromLittleEndian<qint16>(data + WordsOffset + 2 * (n - 1)));
    for (int slot : {PlaydisplaySlot, LogoSlot, MessageSlot, MyRadioSlot}) {
        const QByteArray raw = bytes.mid(NamesOffset + ConfigNameLength * (slot - 1), ConfigNameLength);
        if (raw[0] == '\0') {
            doc.setName(slot, ConfigName::empty());
        } else if (raw[0] == '\xFF' && raw[1] == '\xFF') {
            doc.setName(slot, ConfigName::unchanged());
        } else {
            qsizetype end = raw.size();
            while (end > 0 && raw[end - 1] == '\0')
                --end;
            doc.setName(slot, ConfigName::named(raw.left(end)));
        }
    }
    return doc;
}

FileResult<QByteArray> configFileBytes(const ConfigDocument &doc)
{
    QByteArray out(ConfigFileSize, '\0');
    out.replace(0, 10, configHeader());
    char *data = out.data();
    for (int n = 1; n <= ConfigWordCount; ++n) {
        const qint16 v = n <= ConfigUsedWords ? doc.word(n) : ConfigUnchanged;
        qToLittleEndian(v, data + WordsOffset + 2 * (n - 1));
    }
    for (int slot = 1; slot <= ConfigSlotCount; ++slot) {
        char *field = data + NamesOffset + ConfigNameLength * (slot - 1);
        const bool reserved = slot == ReservedSlot2 || slot == ReservedSlot6;
        const ConfigName &name = reserved ? ConfigName() : doc.name(slot);
        if (name.isUnchanged()) {
            field[0] = field[1] = '\xFF';
        } else if (name.isName()) {
            if (name.bytes().size() > ConfigNameLength)
                return playerfile::failure(FileFailure::DataTooLong, name.text());
            // The player would read such a name as the unchanged mark.
            if (name.bytes().startsWith("\xFF\xFF"))
                return playerfile::failure(FileFailure::CannotStore, name.text());
            std::copy(name.bytes().cbegin(), name.bytes().cend(), field);
        }
    }
    return out;
}

const DocumentFormat<ConfigDocument> &configFormat()
{
    static const DocumentFormat<ConfigDocument> format(Signature, "cfg", ConfigFileSize, parseConfigFile,
                                                       configFileBytes);
    return format;
}

FileResult<ConfigDocument> ReadConfigFile(const QString &path)
{
    return configFormat().read(path);
}

WriteResult WriteConfigFile(const QString &path, const ConfigDocument &doc)
{
    return configFormat().write(path, doc);
}

const ConfigSetting *configSetting(int word)
{
    if (word < 1 || word > ConfigUsedWords)
        return nullptr;
    return &settings()[word - 1];
}

int configChoiceValue(int word, int index)
{
    const ConfigSetting *s = configSetting(word);
    return s && index >= 0 && index < s->choices.size() ? s->choices[index].value : ConfigUnchanged;
}

int configChoiceIndex(int word, int value)
{
    const ConfigSetting *s = configSetting(word);
    if (!s)
        return -1;
    for (qsizetype i = 0; i < s->choices.size(); ++i)
        if (s->choices[i].value == value)
            return int(i);
    return -1;
}

bool isValidConfigValue(int word, int value)
{
    const ConfigSetting *s = configSetting(word);
    if (!s)
        return value == ConfigUnchanged;
    if (value == ConfigUnchanged)
        return true;
    if (s->choices.isEmpty())
        return value >= s->minimum && value <= s->maximum;
    return std::any_of(s->choices.cbegin(), s->choices.cend(),
                       [value](const ConfigChoice &c) { return c.value == value; });
}

QString configValueText(int word, int value)
{
    if (value == ConfigUnchanged)
        return QStringLiteral("unchanged");
    const ConfigSetting *s = configSetting(word);
    if (!s || !isValidConfigValue(word, value))
        return QStringLiteral("invalid (%1)").arg(value);
    for (const ConfigChoice &c : s->choices)
        if (c.value == value)
            return QString::fromLatin1(c.label);
    // Words 1..16: Volume, Balance, Bass and Treble of either page.
    if (word <= 16) {
        const int setting = (word - 1) % 8 + 1;
        if (setting == 2)
            return signedText(value - 441);
        if (setting <= 4)
            return signedText(value);
    }
    switch (word) {
    case 20:
        return value == 0 ? QStringLiteral("off") : QString::number(value) + QStringLiteral(" sec");
    case 24:
        return value == 0 ? QStringLiteral("off") : QString::number(value) + QStringLiteral(" min");
    case 25:
        return QString::number(value) + QStringLiteral(" sec");
    default:
        return QString::number(value);
    }
}

QString configSlotKind(int slot)
{
    switch (slot) {
    case PlaydisplaySlot:
        return QStringLiteral("playdisplay");
    case LogoSlot:
        return QStringLiteral("logo");
    case MessageSlot:
        return QStringLiteral("message set");
    case MyRadioSlot:
        return QStringLiteral("MyRadio");
    default:
        return QStringLiteral("reserved");
    }
}

}  // namespace voxa
