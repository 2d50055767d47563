// voxatool show for message files: the firmware version and every entry
// with the page its number belongs to.
#include "editors/messages/messagefile.h"
#include "platform/codepage.h"
#include "tool/showformat.h"

#include <QJsonArray>

namespace voxa::tool {
namespace {

ShowResult showMessages(const QString &path)
{
    ShowResult r;
    const FileResult<MessageFile> file = readMessageFile(path);
    if (!file) {
        r.error = file.error().text();
        return r;
    }
    const QString firmware = fromCodePage(file->firmwareVersion);
    QString text = QStringLiteral("message file R7MGS 1.01\nFirmware Version: %1\n%2 entries\n")
                       .arg(firmware)
                       .arg(file->entries.size());
    QJsonArray entries;
    for (const MessageEntry &e : file->entries) {
        const QString range = messageRangeCaption(messageRange(e.Id));
        const QString value = fromCodePage(e.text);
        text += QStringLiteral("  %1 %2 %3\n").arg(e.Id, 5).arg(range, -15).arg(value);
        entries.append(QJsonObject{{QStringLiteral("Id"), int(e.Id)},
                                   {QStringLiteral("range"), range},
                                   {QStringLiteral("text"), value}});
    }
    r.ok = true;
    r.text = text;
    r.json = QJsonObject{{QStringLiteral("kind"), QStringLiteral("mgs")},
                         {QStringLiteral("FirmwareVersion"), firmware},
                         {QStringLiteral("entries"), entries}};
    return r;
}

const ShowFormat messageShow(messageFormat(), showMessages);

}  // namespace
}  // namespace voxa::tool
