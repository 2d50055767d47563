#pragma once
// Config files (*.cfg in voxa\config): which of the player's settings to
// change when the file is applied, and to what.
//
// Layout, 186 bytes, numbers little-endian:
//   0    5  "R7CFG"
//   5    5  "2.00" and a zero byte
//   10  80  ConfigWords 1..40, signed 16-bit; word n at 10 + 2 (n - 1)
//   90  96  ConfigNames 1..6, 16 bytes each; slot n at 90 + 16 (n - 1)
// 32767 in a word means "leave the setting unchanged". A slot holds 16 zero
// bytes (the empty name: the player's default), 0xFF 0xFF and 14 zero bytes
// (unchanged), or a base name of 1 to 16 code-page bytes padded with zeros.
// Words 29..40 and slots 2 and 6 are unused: always written as unchanged.
#include "editors/playerformat.h"

#include <QList>
#include <array>

namespace voxa {

constexpr qsizetype ConfigFileSize = 186;
constexpr int ConfigWordCount = 40;
constexpr int ConfigUsedWords = 28;
constexpr int ConfigSlotCount = 6;
constexpr int ConfigNameLength = 16;
constexpr qint16 ConfigUnchanged = 32767;

// The name slots by number.
enum ConfigSlot {
    PlaydisplaySlot = 1,
    ReservedSlot2 = 2,
    LogoSlot = 3,
    MessageSlot = 4,
    MyRadioSlot = 5,
    ReservedSlot6 = 6,
};

// One name slot: the empty name, the unchanged mark, or a base name.
class ConfigName {
public:
    enum class Kind { Empty, Unchanged, Name };

    ConfigName() = default;  // the unchanged mark
    static ConfigName empty();
    static ConfigName unchanged();
    // A name of raw code-page bytes, as read from a file. Bytes beyond 16
    // cannot be stored; the writer refuses them.
    static ConfigName named(const QByteArray &bytes);
    // A base name chosen by the user, cut to 16 characters as the editor
    // stores it. An empty text gives the empty name.
    static ConfigName fromBaseName(const QString &name);

    Kind kind() const { return m_kind; }
    bool isEmpty() const { return m_kind == Kind::Empty; }
    bool isUnchanged() const { return m_kind == Kind::Unchanged; }
    bool isName() const { return m_kind == Kind::Name; }
    const QByteArray &bytes() const { return m_bytes; }
    // The name as text (empty unless it is a name).
    QString text() const;

    bool operator==(const ConfigName &o) const = default;

private:
    Kind m_kind = Kind::Unchanged;
    QByteArray m_bytes;
};

struct ConfigDocument {
    // A new document: every word 32767, every slot the unchanged mark.
    ConfigDocument();

    // Index 0 holds word 1.
    std::array<qint16, ConfigWordCount> ConfigWords;
    // Index 0 holds slot 1.
    std::array<ConfigName, ConfigSlotCount> ConfigNames;

    // Word n (1..40) and slot n (1..6) by their numbers.
    qint16 word(int n) const { return ConfigWords[size_t(n - 1)]; }
    void setWord(int n, qint16 value) { ConfigWords[size_t(n - 1)] = value; }
    const ConfigName &name(int slot) const { return ConfigNames[size_t(slot - 1)]; }
    void setName(int slot, const ConfigName &n) { ConfigNames[size_t(slot - 1)] = n; }

    bool operator==(const ConfigDocument &o) const = default;
};

// Decodes a file's content; bytes after offset 185 are ignored.
FileResult<ConfigDocument> parseConfigFile(const QByteArray &bytes);
// The 186 bytes of a document. Fails with DataTooLong for a name slot
// holding more than 16 bytes, which fromBaseName never produces, and with
// CannotStore for a name beginning 0xFF 0xFF (it would read back as the
// unchanged mark).
FileResult<QByteArray> configFileBytes(const ConfigDocument &doc);

// The config kind (R7CFG): parseConfigFile and configFileBytes.
const DocumentFormat<ConfigDocument> &configFormat();

// Failure: CannotOpen, WrongFormat or TooShort.
FileResult<ConfigDocument> ReadConfigFile(const QString &path);
// Failure: CannotCreate (or DataTooLong or CannotStore, see configFileBytes). The file is
// replaced whole or not at all.
WriteResult WriteConfigFile(const QString &path, const ConfigDocument &doc);

// What the words 1..28 mean, for showing them.
struct ConfigChoice {
    int value;
    const char *label;
};

struct ConfigSetting {
    int word = 0;              // 1..28
    const char *name = "";     // "Volume"
    const char *page = "";     // "Party Audio", "Car Audio", "Playmode", "Hardware"
    int minimum = 0;           // for levels and counts; unused for choices
    int maximum = 0;
    QList<ConfigChoice> choices;  // empty for levels and counts, else in the editor's order
    int defaultValue = 0;      // the player's own value, where the editor's control starts
};

// Word 17 follows the MyRadio name slot: a profile chosen, or none.
constexpr qint16 MyRadioOnValue = 336;
constexpr qint16 MyRadioOffValue = 337;

// The setting of word n (1..28); nullptr for the unused words.
const ConfigSetting *configSetting(int word);
// A choice setting's value of item index, and back (-1 for a value that is
// no choice of the word).
int configChoiceValue(int word, int index);
int configChoiceIndex(int word, int value);
// True when the value is one the setting can hold (32767 included).
bool isValidConfigValue(int word, int value);
// The value as the user knows it: "Flat", "-5", "+3" for Balance 444,
// "unchanged" for 32767, and "invalid (N)" outside the setting's values.
QString configValueText(int word, int value);

// Slot n's kind of file ("playdisplay", "logo", "message set", "MyRadio"),
// or "reserved".
QString configSlotKind(int slot);

}  // namespace voxa
