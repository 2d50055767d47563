#include "editors/config/playerfile.h"

#include "app/messagetable.h"
#include "platform/paths.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace voxa {

QString FileError::message() const
{
    switch (reason) {
    case FileFailure::None:
        return {};
    case FileFailure::CannotOpen:
        return msg(Msg::CannotOpenFile);
    case FileFailure::WrongFormat:
        return msg(Msg::WrongFileFormat);
    case FileFailure::TooShort:
        // The message table has no text for this input/output failure.
        return QStringLiteral("Input/output error: the file is too short (%1 of %2 bytes)")
            .arg(found)
            .arg(expected);
    case FileFailure::CannotCreate:
        return msg(Msg::OpenForWriteError);
    case FileFailure::DataTooLong:
        return msg(Msg::DataTooLong);
    case FileFailure::TooManyElements:
        return msg(Msg::MaxElements);
    case FileFailure::CannotStore:
        return QStringLiteral("This text cannot be stored in the player's file");
    }
    return {};
}

QString FileError::text() const
{
    const QString m = message();
    return subject.isEmpty() ? m : m + QStringLiteral(" [") + subject + QLatin1Char(']');
}

namespace playerfile {

FileError failure(FileFailure reason, const QString &subject)
{
    FileError e;
    e.reason = reason;
    e.subject = subject;
    return e;
}

FileError tooShort(qint64 found, qint64 expected)
{
    FileError e;
    e.reason = FileFailure::TooShort;
    e.found = found;
    e.expected = expected;
    return e;
}

FileResult<QByteArray> readHead(const QString &path, qint64 maxBytes)
{
    const QString native = platform::toNative(path);
    if (native.isEmpty())
        return failure(FileFailure::CannotOpen);
    // A folder is no file to read, whatever the open call says.
    if (QFileInfo(native).isDir())
        return failure(FileFailure::CannotOpen);
    QFile f(native);
    if (!f.open(QIODevice::ReadOnly))
        return failure(FileFailure::CannotOpen);
    QByteArray bytes = f.read(maxBytes);
    if (f.error() != QFileDevice::NoError)
        return failure(FileFailure::CannotOpen);
    return bytes;
}

WriteResult writeWhole(const QString &path, const QByteArray &bytes)
{
    const QString native = platform::toNative(path);
    if (native.isEmpty())
        return failure(FileFailure::CannotCreate);
    QSaveFile f(native);
    if (!f.open(QIODevice::WriteOnly))
        return failure(FileFailure::CannotCreate);
    if (f.write(bytes) != bytes.size()) {
        f.cancelWriting();
        return failure(FileFailure::CannotCreate);
    }
    if (!f.commit())
        return failure(FileFailure::CannotCreate);
    return {};
}

QByteArray header(const char *signature, const char *version)
{
    QByteArray h(signature);
    h.append(version);
    h.append('\0');
    return h;
}

}  // namespace playerfile
}  // namespace voxa
