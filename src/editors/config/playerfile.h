#pragma once
// What the readers and writers of the player's files share: the reasons a
// file cannot be read or written, a result that carries either the document
// or the reason, and whole-file reading and writing.
//
// Every player file starts with a ten-byte header: a five-character signature
// ("R7CFG", "R7MGS", ...) and a five-byte version (its text and a zero byte).
#include <QByteArray>
#include <QString>

#include <optional>
#include <utility>

namespace voxa {

enum class FileFailure {
    None,
    CannotOpen,    // the file cannot be opened for reading
    WrongFormat,   // signature, version or structure do not match
    TooShort,      // the file ends before its data does
    CannotCreate,  // the file cannot be created or written
    DataTooLong,   // the document does not fit into the file's fixed size
    TooManyElements,  // more elements than the file has room for
    CannotStore,   // a text that the file cannot hold (code page, zero byte, empty)
    NotRegularFile,  // a folder, pipe or device where a file was expected
    TooLarge,      // a picture over the size or pixel limit
    SymbolicLink,  // the file to write is a symbolic link, never written through
};

struct FileError {
    FileFailure reason = FileFailure::None;
    // What the reason applies to (a path, an element), shown in brackets.
    QString subject;
    // For TooShort: how many bytes were found and expected.
    qint64 found = 0;
    qint64 expected = 0;

    // The text for the user: the message-table text of the reason (or a
    // plain description where the table has none).
    QString message() const;
    // message() followed by " [" + subject + "]" when there is a subject.
    QString text() const;
    bool failed() const { return reason != FileFailure::None; }
    // Nothing could be read: missing, unreadable, or not a regular file.
    bool cannotOpen() const { return reason == FileFailure::CannotOpen || reason == FileFailure::NotRegularFile; }
    bool ok() const { return reason == FileFailure::None; }
};

// Either a value or the reason why there is none.
template <class T>
class FileResult {
public:
    FileResult(T value) : m_value(std::move(value)) {}
    FileResult(FileError error) : m_error(std::move(error)) {}

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }
    const T &value() const { return *m_value; }
    T &value() { return *m_value; }
    const T *operator->() const { return &*m_value; }
    const T &operator*() const { return *m_value; }
    const FileError &error() const { return m_error; }

private:
    std::optional<T> m_value;
    FileError m_error;
};

// The result of a write: no error means the whole file is in place.
using WriteResult = FileError;

namespace playerfile {

// Reads at most maxBytes from the start of a file (device or native path).
FileResult<QByteArray> readHead(const QString &path, qint64 maxBytes);

// Writes the bytes as the file's whole new content: a temporary file beside
// it that replaces the old one only when completely written, so an
// interrupted save leaves the previous file untouched.
WriteResult writeWhole(const QString &path, const QByteArray &bytes);

// The ten header bytes of a kind: signature and version text plus zero byte.
QByteArray header(const char *signature, const char *version);

FileError failure(FileFailure reason, const QString &subject = {});
FileError tooShort(qint64 found, qint64 expected);

}  // namespace playerfile
}  // namespace voxa
