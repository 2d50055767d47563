// voxatool make-messages SOURCE OUT.mgs: builds a message file from a
// readable source (UTF-8):
//   # comment            (also blank lines and "[Page]" headings, ignored)
//   FirmwareVersion = 2.10
//   288 = 88.0           (message number = text; "quotes" keep blanks)
// The entries are written in number order.
#include "editors/messages/messagefile.h"
#include "platform/codepage.h"
#include "tool/command.h"

#include <QFile>
#include <QSet>

namespace voxa::tool {
namespace {

struct Source {
    QByteArray firmwareVersion;
    MessageSet entries;
};

// Reads the source; on an error returns its text ("LINE: reason").
std::optional<Source> parseSource(const QString &text, QString *error)
{
    Source src;
    bool haveVersion = false;
    QSet<int> seen;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        const auto fail = [&](const QString &why) {
            *error = QStringLiteral("line %1: %2").arg(i + 1).arg(why);
            return std::nullopt;
        };
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')) || line.startsWith(QLatin1Char('[')))
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            return fail(QStringLiteral("expected NUMBER = TEXT"));
        const QString key = line.left(eq).trimmed();
        QString value = line.mid(eq + 1).trimmed();
        if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
            value = value.mid(1, value.size() - 2);
        if (!isCodePageText(value) || value.contains(QChar(0)))
            return fail(QStringLiteral("the text has characters outside the player's code page"));
        if (key == QLatin1String("FirmwareVersion")) {
            src.firmwareVersion = toCodePage(value);
            haveVersion = true;
            continue;
        }
        bool isNumber = false;
        const uint id = key.toUInt(&isNumber);
        if (!isNumber || id >= MessageEndMarker)
            return fail(QStringLiteral("'%1' is no message number (0 to 65534)").arg(key));
        if (seen.contains(int(id)))
            return fail(QStringLiteral("message %1 appears twice").arg(id));
        seen.insert(int(id));
        src.entries.append({quint16(id), toCodePage(value)});
    }
    if (!haveVersion) {
        *error = QStringLiteral("no FirmwareVersion line");
        return std::nullopt;
    }
    sortMessages(src.entries);
    return src;
}

int makeMessages(const QStringList &args, Io &io)
{
    if (args.size() != 2) {
        io.err << "usage: voxatool make-messages SOURCE OUT.mgs\n";
        return 2;
    }
    QFile in(args[0]);
    if (!in.open(QIODevice::ReadOnly)) {
        io.err << args[0] << ": " << in.errorString() << "\n";
        return 1;
    }
    QString error;
    const std::optional<Source> src = parseSource(QString::fromUtf8(in.readAll()), &error);
    if (!src) {
        io.err << args[0] << ": " << error << "\n";
        return 1;
    }
    if (src->entries.size() > MaxMessageEntries) {
        io.err << args[0] << ": more than " << MaxMessageEntries << " messages\n";
        return 1;
    }
    const WriteResult w = WriteMessageFile(args[1], src->firmwareVersion, src->entries);
    if (w.failed()) {
        io.err << args[1] << ": " << w.text() << "\n";
        return 1;
    }
    io.out << args[1] << ": " << src->entries.size() << " messages\n";
    return 0;
}

const char *const Help =
    "arguments:\n"
    "  SOURCE     a UTF-8 text file, one entry a line:\n"
    "               FirmwareVersion = 2.10\n"
    "               288 = 88.0          (message number = text; \"quotes\" keep blanks)\n"
    "             blank lines, # comments and [Page] headings are ignored\n"
    "  OUT.mgs    the message file to write; the entries go in number order\n"
    "Prints \"OUT.mgs: N messages\". Exit status: 0 written, 1 the source is wrong or the file\n"
    "could not be written, 2 wrong arguments.\n"
    "example:\n"
    "  voxatool make-messages german.txt E:\\voxa\\config\\german.mgs\n";

const ToolCommand makeMessagesCommand(
    "make-messages", "make-messages SOURCE OUT.mgs",
    "build a message file from a readable source (lines NUMBER = TEXT and FirmwareVersion = TEXT)",
    Help, makeMessages);

}  // namespace
}  // namespace voxa::tool
