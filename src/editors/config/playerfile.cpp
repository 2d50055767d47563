#include "editors/config/playerfile.h"

#include "app/messagetable.h"
#include "app/owntexts.h"
#include "platform/fileops.h"
#include "platform/paths.h"

#include <QFile>
#include <QFileInfo>

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
        return ownText(OwnText::FileTooShort)
            .arg(found)
            .arg(expected);
    case FileFailure::CannotCreate:
        return msg(Msg::OpenForWriteError);
    case FileFailure::DataTooLong:
        return msg(Msg::DataTooLong);
    case FileFailure::TooManyElements:
        return msg(Msg::MaxElements);
    case FileFailure::CannotStore:
        return ownText(OwnText::CannotStoreText);
    case FileFailure::NotRegularFile:
        return msg(Msg::CannotOpenFile) + QStringLiteral(" ") + fs::notRegularFileText();
    case FileFailure::TooLarge:
        return QStringLiteral("The picture is too large");
    case FileFailure::SymbolicLink:
        return fs::symbolicLinkText();
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
    if (platform::toNative(path).isEmpty())
        return failure(FileFailure::CannotOpen);
    // Folders, pipes and devices are refused at once: no reader blocks or
    // streams without end.
    QString error;
    auto bytes = fs::readRegularFile(path, maxBytes, &error);
    if (!bytes)
        return failure(error == fs::notRegularFileText() ? FileFailure::NotRegularFile : FileFailure::CannotOpen);
    return *bytes;
}

WriteResult writeWhole(const QString &path, const QByteArray &bytes)
{
    if (platform::toNative(path).isEmpty())
        return failure(FileFailure::CannotCreate);
    const QString error = fs::writeWholeFile(path, bytes);
    if (error == fs::symbolicLinkText())
        return failure(FileFailure::SymbolicLink, path);
    if (!error.isEmpty())
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
