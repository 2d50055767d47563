#include "editors/logo/logofile.h"

#include "platform/codepage.h"
#include "platform/fileops.h"
#include "platform/paths.h"

#include <QtEndian>

namespace voxa {
namespace {

constexpr const char *Signature = "R7LCE";

const QByteArray &logoHeader()
{
    static const QByteArray h = playerfile::header(Signature, "1.00");
    return h;
}

FileError fail(FileFailure reason)
{
    return playerfile::failure(reason);
}

}  // namespace

int LogoWidth(int displayType)
{
    return normalizedDisplayType(displayType) == VoxaADisplay ? 128 : 176;
}

int LogoHeight(int displayType)
{
    return normalizedDisplayType(displayType) == VoxaADisplay ? 56 : 64;
}

qsizetype LogoFileSize(int displayType)
{
    return normalizedDisplayType(displayType) == VoxaADisplay ? VoxaALogoFileSize : VaDaLogoFileSize;
}

LogoBitmap::LogoBitmap(int displayType)
    : m_type(normalizedDisplayType(displayType)),
      m_width(LogoWidth(displayType)),
      m_height(LogoHeight(displayType)),
      m_pixels(qsizetype(m_width) * m_height, '\0')
{
}

bool LogoBitmap::pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return false;
    return row(y)[x] != 0;
}

void LogoBitmap::setPixel(int x, int y, bool lit)
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return;
    row(y)[x] = lit ? 1 : 0;
}

int LogoBitmap::litCount() const
{
    return int(m_pixels.count('\1'));
}

void InvertLogo(LogoBitmap &logo)
{
    for (int y = 0; y < logo.height(); ++y) {
        uchar *r = logo.row(y);
        for (int x = 0; x < logo.width(); ++x)
            r[x] ^= 1;
    }
}

FileResult<LogoBitmap> parseLogoFile(const QByteArray &bytes)
{
    // The reader fills a zeroed buffer of 1426 bytes, so whatever a short
    // file lacks reads as zero; the header is compared byte by byte.
    QByteArray buffer(VaDaLogoFileSize, '\0');
    std::copy_n(bytes.constData(), std::min(bytes.size(), VaDaLogoFileSize), buffer.data());
    if (!buffer.startsWith(logoHeader()))
        return fail(FileFailure::WrongFormat);

    LogoBitmap logo(bytes.size() == VaDaLogoFileSize ? VaDaDisplay : VoxaADisplay);
    const auto *data = reinterpret_cast<const uchar *>(buffer.constData());
    const int w = logo.width();
    for (int y = 0; y < logo.height(); ++y) {
        uchar *r = logo.row(y);
        const int bit = y % 8;
        for (int x = 0; x < w; ++x)
            r[x] = (data[LogoPixelOffset(x, y, w)] >> bit) & 1;
    }
    return logo;
}

QByteArray logoFileBytes(const LogoBitmap &logo)
{
    if (logo.isNull())
        return {};
    QByteArray out(LogoFileSize(logo.displayType()), '\0');
    out.replace(0, logoHeader().size(), logoHeader());
    out[10] = char(logo.width());
    out[12] = char(LogoStoredHeight);
    auto *data = reinterpret_cast<uchar *>(out.data());
    const int w = logo.width();
    // Only visible rows are set, so VOXA-A's rows 56..63 stay zero.
    for (int y = 0; y < logo.height(); ++y) {
        const uchar *r = logo.row(y);
        const uchar bit = uchar(1u << (y % 8));
        for (int x = 0; x < w; ++x)
            if (r[x])
                data[LogoPixelOffset(x, y, w)] |= bit;
    }
    return out;
}

const DocumentFormat<LogoBitmap> &logoFormat()
{
    // One byte more than the longest logo tells a 1426-byte file from a
    // longer one.
    static const DocumentFormat<LogoBitmap> format(
        Signature, "lce", VaDaLogoFileSize + 1, parseLogoFile,
        [](const LogoBitmap &logo) -> FileResult<QByteArray> {
            if (logo.isNull())
                return fail(FileFailure::WrongFormat);
            return logoFileBytes(logo);
        });
    return format;
}

FileResult<LogoBitmap> LoadLogoFile(const QString &path)
{
    return logoFormat().read(path);
}

WriteResult SaveLogoFile(const QString &path, const LogoBitmap &logo)
{
    return logoFormat().write(path, logo);
}

QString LogoCompanionPath(const QString &logoPath)
{
    const qsizetype slash = std::max(logoPath.lastIndexOf(QLatin1Char('\\')), logoPath.lastIndexOf(QLatin1Char('/')));
    const qsizetype dot = logoPath.lastIndexOf(QLatin1Char('.'));
    if (dot > slash + 1)
        return logoPath.left(dot) + QStringLiteral(".lcx");
    return logoPath + QStringLiteral(".lcx");
}

FileResult<LogoCompanion> parseLogoCompanion(const QByteArray &bytes)
{
    if (bytes.size() < LogoCompanionFixedSize)
        return playerfile::tooShort(bytes.size(), LogoCompanionFixedSize);
    const char *d = bytes.constData();
    LogoCompanion c;
    c.selection.left = qFromLittleEndian<qint32>(d);
    c.selection.top = qFromLittleEndian<qint32>(d + 4);
    c.selection.right = qFromLittleEndian<qint32>(d + 8);
    c.selection.bottom = qFromLittleEndian<qint32>(d + 12);
    c.threshold = qFromLittleEndian<qint32>(d + 16);
    const QByteArray path = bytes.mid(LogoCompanionFixedSize);
    if (c.threshold < 0 || c.threshold > 256 || c.selection.isEmpty() || path.isEmpty()
        || path.size() > LogoCompanionMaxPath || path.contains('\0'))
        return fail(FileFailure::WrongFormat);
    c.sourcePath = fromCodePage(path);
    return c;
}

FileResult<QByteArray> logoCompanionBytes(const LogoCompanion &companion)
{
    if (companion.threshold < 0 || companion.threshold > 256)
        return fail(FileFailure::WrongFormat);
    bool ok = true;
    const QByteArray path = toCodePage(companion.sourcePath, &ok);
    if (path.size() > LogoCompanionMaxPath)
        return fail(FileFailure::DataTooLong);
    // The path has no length field: a zero byte or an empty path could not
    // be read back as written.
    if (!ok || path.isEmpty() || path.contains('\0'))
        return fail(FileFailure::CannotStore);
    QByteArray out(LogoCompanionFixedSize, '\0');
    char *d = out.data();
    qToLittleEndian<qint32>(companion.selection.left, d);
    qToLittleEndian<qint32>(companion.selection.top, d + 4);
    qToLittleEndian<qint32>(companion.selection.right, d + 8);
    qToLittleEndian<qint32>(companion.selection.bottom, d + 12);
    qToLittleEndian<qint32>(companion.threshold, d + 16);
    out.append(path);
    return out;
}

FileResult<LogoCompanion> LoadLogoCompanion(const QString &logoPath)
{
    const FileResult<QByteArray> bytes =
        playerfile::readHead(LogoCompanionPath(logoPath), LogoCompanionFixedSize + LogoCompanionMaxPath + 1);
    if (!bytes)
        return bytes.error();
    return parseLogoCompanion(*bytes);
}

WriteResult SaveLogoCompanion(const QString &logoPath, const LogoCompanion &companion)
{
    const FileResult<QByteArray> bytes = logoCompanionBytes(companion);
    if (!bytes)
        return bytes.error();
    const QString path = LogoCompanionPath(logoPath);
    fs::makeWritable(path);
    return playerfile::writeWhole(path, *bytes);
}

WriteResult SaveLogoWithCompanion(const QString &logoPath, const LogoBitmap &logo,
                                  const LogoCompanion *companion)
{
    if (!companion)
        return SaveLogoFile(logoPath, logo);
    if (logo.isNull())
        return fail(FileFailure::WrongFormat);
    const FileResult<QByteArray> companionBytes = logoCompanionBytes(*companion);
    if (!companionBytes)
        return companionBytes.error();

    const QString logoNative = platform::toNative(logoPath);
    const QString companionPath = LogoCompanionPath(logoPath);
    const QString companionNative = platform::toNative(companionPath);
    if (logoNative.isEmpty() || companionNative.isEmpty())
        return fail(FileFailure::CannotCreate);
    fs::makeWritable(companionPath);

    // Each file is replaced whole. A logo that cannot be written changes
    // nothing; a companion that cannot be written goes, since an old one
    // would describe another logo.
    const auto reason = [](const QString &error) {
        return error == fs::symbolicLinkText() ? FileFailure::SymbolicLink : FileFailure::CannotCreate;
    };
    if (const QString error = fs::writeWholeFile(logoPath, logoFileBytes(logo)); !error.isEmpty())
        return fail(reason(error));
    if (const QString error = fs::writeWholeFile(companionPath, *companionBytes); !error.isEmpty()) {
        fs::removeFile(companionPath);  // a link goes, not what it points to
        return fail(reason(error));
    }
    return {};
}

}  // namespace voxa
