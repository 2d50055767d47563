#pragma once
// Message files (*.mgs): texts the player shows, each under a 16-bit message
// number. voxa\manager\default.mgs holds the complete default set (the
// reference); the user's files in voxa\config hold the entries that differ.
//
// Layout, 4096 bytes as written, numbers little-endian:
//   0   5  "R7MGS"
//   5   5  "1.01" and a zero byte
//   10  2  "SW"
//   12     the firmware version text and a zero byte
//   then   entries: Id (2 bytes), the text bytes, a zero byte
//   then   the end marker 0xFF 0xFF, and 0xFF bytes up to offset 4095
// There is no count: an Id position holding 0xFF 0xFF ends the list, so 65535
// is no message number.
#include "editors/playerformat.h"

#include <QList>

namespace voxa {

constexpr qsizetype MessageFileSize = 4096;
constexpr int MaxMessageEntries = 500;
constexpr quint16 MessageEndMarker = 0xFFFF;

struct MessageEntry {
    quint16 Id = 0;
    QByteArray text;  // code-page bytes, no zero byte

    bool operator==(const MessageEntry &o) const = default;
};

// An ordered table of at most 500 entries.
using MessageSet = QList<MessageEntry>;

struct MessageFile {
    QByteArray firmwareVersion;
    MessageSet entries;  // sorted by Id; entries sharing an Id keep file order

    bool operator==(const MessageFile &o) const = default;
};

// Decodes the first 4096 bytes of a file's content. A list that runs past
// the bytes given (no end marker) is refused: TooShort when the content is
// shorter than a written file, WrongFormat when it is not; so is a list of
// more than 500 entries (WrongFormat).
FileResult<MessageFile> parseMessageFile(const QByteArray &bytes);

// The 4096 bytes holding the firmware version and the entries in the order
// given. Fails with DataTooLong when they do not fit (or exceed 500
// entries), with CannotStore for message number 65535 or a zero byte inside
// a text.
FileResult<QByteArray> messageFileBytes(const QByteArray &firmwareVersion, const MessageSet &entries);

// The message kind (R7MGS): parseMessageFile, and messageFileBytes of the
// file's firmware version and entries.
const DocumentFormat<MessageFile> &messageFormat();

// Failure: CannotOpen, WrongFormat or TooShort.
FileResult<MessageFile> readMessageFile(const QString &path);
// Failure: DataTooLong or CannotStore (nothing written), CannotCreate. The
// file is replaced whole or not at all.
WriteResult WriteMessageFile(const QString &path, const QByteArray &firmwareVersion,
                             const MessageSet &entries);

// Stable sort by Id.
void sortMessages(MessageSet &entries);

// The reference's entries in its order, with the file's texts where the file
// has the same Id. Both sets sorted by Id; file entries whose Id the
// reference does not know are dropped, and of several file entries sharing
// an Id the first wins.
MessageSet mergeOntoReference(const MessageSet &file, const MessageSet &reference);

// The page a message number belongs to.
enum class MessageRange { MenuValues, MenuItems, ErrorMessages, NotShown, ID3Genre, OtherMessages };
MessageRange messageRange(quint16 id);
// The page's caption ("Menu Values", ..., "ID3 Genre"; "not shown").
QString messageRangeCaption(MessageRange range);

// The process-wide message sets the editors share.
struct MessageSets {
    MessageSet ReferenceMessages;  // the defaults, sorted by Id
    MessageSet WorkingMessages;    // the set being edited, index for index as the reference
    MessageSet SavedMessages;      // the entries to be written
    QByteArray FirmwareVersion;    // named by the set read as the default set
};
MessageSets &messageSets();

// Reads a message file into table. With asDefault the table becomes the
// file's sorted entries and its firmware version becomes FirmwareVersion;
// otherwise the entries are merged onto ReferenceMessages. On failure
// nothing changes and the reason is returned; the caller shows it.
FileError ReadMessageFile(const QString &path, MessageSet &table, bool asDefault);
// ReadMessageFile into WorkingMessages, then ReferenceMessages becomes a copy
// of it. On failure both stay as they were.
FileError LoadReferenceSet(const QString &path, bool asDefault);

}  // namespace voxa
