#include "editors/messages/messagefile.h"

#include <algorithm>

namespace voxa {
namespace {

constexpr const char *Signature = "R7MGS";

constexpr qsizetype HeaderSize = 12;
constexpr qsizetype FirmwareOffset = 12;

QByteArray messageHeader()
{
    return playerfile::header(Signature, "1.01") + "SW";
}

// The list runs past the bytes at hand: a cut file when there are fewer
// than a written file has, otherwise not a file the player knows.
FileError unterminated(qsizetype size)
{
    if (size < MessageFileSize)
        return playerfile::tooShort(size, MessageFileSize);
    return playerfile::failure(FileFailure::WrongFormat);
}

}  // namespace

FileResult<MessageFile> parseMessageFile(const QByteArray &content)
{
    // Only the first 4096 bytes belong to the file.
    const QByteArray bytes = content.left(MessageFileSize);
    const QByteArray header = messageHeader();
    // The three header parts: signature, version, "SW".
    const qsizetype have = std::min(bytes.size(), HeaderSize);
    if (!header.startsWith(bytes.left(have)))
        return playerfile::failure(FileFailure::WrongFormat);
    if (bytes.size() < HeaderSize)
        return playerfile::tooShort(bytes.size(), MessageFileSize);

    MessageFile file;
    const qsizetype versionEnd = bytes.indexOf('\0', FirmwareOffset);
    if (versionEnd < 0)
        return unterminated(content.size());
    file.firmwareVersion = bytes.mid(FirmwareOffset, versionEnd - FirmwareOffset);

    qsizetype pos = versionEnd + 1;
    const auto *data = reinterpret_cast<const uchar *>(bytes.constData());
    for (;;) {
        if (pos + 2 > bytes.size())
            return unterminated(content.size());
        const quint16 id = quint16(data[pos] | (data[pos + 1] << 8));
        if (id == MessageEndMarker)
            break;
        const qsizetype textEnd = bytes.indexOf('\0', pos + 2);
        if (textEnd < 0)
            return unterminated(content.size());
        if (file.entries.size() == MaxMessageEntries)
            return playerfile::failure(FileFailure::WrongFormat);
        file.entries.append({id, bytes.mid(pos + 2, textEnd - pos - 2)});
        pos = textEnd + 1;
    }
    sortMessages(file.entries);
    return file;
}

FileResult<QByteArray> messageFileBytes(const QByteArray &firmwareVersion, const MessageSet &entries)
{
    if (firmwareVersion.contains('\0'))
        return playerfile::failure(FileFailure::CannotStore, QStringLiteral("Firmware Version"));
    if (entries.size() > MaxMessageEntries)
        return playerfile::failure(FileFailure::DataTooLong);

    QByteArray image(MessageFileSize, '\0');
    image.replace(0, HeaderSize, messageHeader());
    qsizetype pos = FirmwareOffset;
    // Each piece must leave room for the end marker behind it.
    if (pos + firmwareVersion.size() + 1 + 2 > MessageFileSize)
        return playerfile::failure(FileFailure::DataTooLong);
    image.replace(pos, firmwareVersion.size(), firmwareVersion);
    pos += firmwareVersion.size() + 1;

    for (const MessageEntry &e : entries) {
        if (e.Id == MessageEndMarker || e.text.contains('\0'))
            return playerfile::failure(FileFailure::CannotStore, QString::number(e.Id));
        if (pos + 2 + e.text.size() + 1 + 2 > MessageFileSize)
            return playerfile::failure(FileFailure::DataTooLong);
        image[pos] = char(e.Id & 0xFF);
        image[pos + 1] = char(e.Id >> 8);
        image.replace(pos + 2, e.text.size(), e.text);
        pos += 2 + e.text.size();
        image[pos++] = '\0';
    }
    // The first two of these bytes are the end marker.
    std::fill(image.begin() + pos, image.end(), '\xFF');
    return image;
}

const DocumentFormat<MessageFile> &messageFormat()
{
    // One byte more than a file holds tells an oversized file from a cut one.
    static const DocumentFormat<MessageFile> format(
        Signature, "mgs", MessageFileSize + 1, parseMessageFile,
        [](const MessageFile &f) { return messageFileBytes(f.firmwareVersion, f.entries); });
    return format;
}

FileResult<MessageFile> readMessageFile(const QString &path)
{
    return messageFormat().read(path);
}

WriteResult WriteMessageFile(const QString &path, const QByteArray &firmwareVersion,
                             const MessageSet &entries)
{
    return messageFormat().write(path, MessageFile{firmwareVersion, entries});
}

void sortMessages(MessageSet &entries)
{
    std::stable_sort(entries.begin(), entries.end(),
                     [](const MessageEntry &a, const MessageEntry &b) { return a.Id < b.Id; });
}

MessageSet mergeOntoReference(const MessageSet &file, const MessageSet &reference)
{
    MessageSet out;
    out.reserve(reference.size());
    qsizetype f = 0, r = 0;
    while (f < file.size() && r < reference.size()) {
        if (file[f].Id == reference[r].Id) {
            out.append(file[f]);
            ++f;
            ++r;
        } else if (file[f].Id > reference[r].Id) {
            out.append(reference[r]);
            ++r;
        } else {
            ++f;
        }
    }
    for (; r < reference.size(); ++r)
        out.append(reference[r]);
    return out;
}

MessageRange messageRange(quint16 id)
{
    if (id >= 256 && id <= 511)
        return MessageRange::MenuValues;
    if (id >= 512 && id <= 767)
        return MessageRange::MenuItems;
    if (id >= 768 && id <= 1279)
        return MessageRange::ErrorMessages;
    if (id == 1280 || id == 1281)
        return MessageRange::NotShown;
    if (id >= 4096 && id <= 4351)
        return MessageRange::ID3Genre;
    return MessageRange::OtherMessages;
}

QString messageRangeCaption(MessageRange range)
{
    switch (range) {
    case MessageRange::MenuValues:
        return QStringLiteral("Menu Values");
    case MessageRange::MenuItems:
        return QStringLiteral("Menu Items");
    case MessageRange::ErrorMessages:
        return QStringLiteral("Error Messages");
    case MessageRange::NotShown:
        return QStringLiteral("not shown");
    case MessageRange::ID3Genre:
        return QStringLiteral("ID3 Genre");
    case MessageRange::OtherMessages:
        return QStringLiteral("Other Messages");
    }
    return {};
}

MessageSets &messageSets()
{
    static MessageSets sets;
    return sets;
}

FileError ReadMessageFile(const QString &path, MessageSet &table, bool asDefault)
{
    FileResult<MessageFile> file = readMessageFile(path);
    if (!file)
        return file.error();
    if (asDefault) {
        messageSets().FirmwareVersion = file->firmwareVersion;
        table = std::move(file.value().entries);
    } else {
        table = mergeOntoReference(file->entries, messageSets().ReferenceMessages);
    }
    return {};
}

FileError LoadReferenceSet(const QString &path, bool asDefault)
{
    MessageSets &sets = messageSets();
    MessageSet loaded;
    const FileError e = ReadMessageFile(path, loaded, asDefault);
    if (e.failed())
        return e;
    sets.WorkingMessages = loaded;
    sets.ReferenceMessages = std::move(loaded);
    return {};
}

}  // namespace voxa
