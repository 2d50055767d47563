#include "editors/logo/logoconvert.h"

#include "platform/fileops.h"
#include "platform/paths.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QtEndian>

#include <csetjmp>
#include <cstring>
#include <cstdio>  // jpeglib.h needs FILE declared first
#include <jpeglib.h>
#include <jerror.h>

namespace voxa {
namespace {

// A picture file larger than this is refused unread.
constexpr qint64 MaxSourceFileBytes = 512LL * 1024 * 1024;

FileError fail(FileFailure reason, const QString &subject = {})
{
    return playerfile::failure(reason, subject);
}

// libjpeg reports fatal errors through error_exit, which by default ends the
// program; ours jumps back into the decoder instead.
struct JpegErrors {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
    bool damaged;
};

void jpegErrorExit(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<JpegErrors *>(cinfo->err)->jump, 1);
}

// Warnings that mean pixels were lost (the rest of the picture would be
// grey or garbage) make the picture damaged; harmless ones (unknown JFIF
// revision, padding before a marker) are ignored.
void jpegEmitMessage(j_common_ptr cinfo, int level)
{
    if (level >= 0)
        return;
    auto *errors = reinterpret_cast<JpegErrors *>(cinfo->err);
    errors->mgr.num_warnings++;
    switch (errors->mgr.msg_code) {
    case JWRN_ARITH_BAD_CODE:
    case JWRN_BOGUS_PROGRESSION:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_JPEG_EOF:
    case JWRN_MUST_RESYNC:
    case JWRN_NOT_SEQUENTIAL:
        errors->damaged = true;
        break;
    default:
        break;
    }
}

void jpegOutputMessage(j_common_ptr) {}

void storeRow(const JSAMPLE *in, int components, J_COLOR_SPACE space, bool adobe, QRgb *out, int width)
{
    if (components == 1) {
        for (int x = 0; x < width; ++x)
            out[x] = qRgb(in[x], in[x], in[x]);
    } else if (space == JCS_CMYK) {
        // Adobe writes CMYK inverted (0 = full ink).
        for (int x = 0; x < width; ++x, in += 4) {
            int c = in[0], m = in[1], y = in[2], k = in[3];
            if (!adobe) {
                c = 255 - c;
                m = 255 - m;
                y = 255 - y;
                k = 255 - k;
            }
            out[x] = qRgb(c * k / 255, m * k / 255, y * k / 255);
        }
    } else {
        for (int x = 0; x < width; ++x, in += 3)
            out[x] = qRgb(in[0], in[1], in[2]);
    }
}

// Decodes into `out`, row by row. No object with a destructor lives in this
// frame after setjmp, so the jump back from libjpeg skips nothing.
// tooLarge is set when the header is sound but names more pixels than the
// conversion takes, so the refusal can say so instead of "wrong format".
bool decodeJpeg(const QByteArray &bytes, QImage &out, bool &tooLarge)
{
    tooLarge = false;
    jpeg_decompress_struct cinfo;
    JpegErrors errors;
    cinfo.err = jpeg_std_error(&errors.mgr);
    errors.mgr.error_exit = jpegErrorExit;
    errors.mgr.emit_message = jpegEmitMessage;
    errors.mgr.output_message = jpegOutputMessage;
    errors.damaged = false;
    if (setjmp(errors.jump)) {
        // Sides beyond what the library handles at all are too large too.
        tooLarge = errors.mgr.msg_code == JERR_IMAGE_TOO_BIG;
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char *>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&cinfo, TRUE);
    if (qint64(cinfo.image_width) * cinfo.image_height > MaxSourcePixels || errors.damaged) {
        tooLarge = !errors.damaged;
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    switch (cinfo.jpeg_color_space) {
    case JCS_GRAYSCALE:
        cinfo.out_color_space = JCS_GRAYSCALE;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        cinfo.out_color_space = JCS_CMYK;
        break;
    default:
        cinfo.out_color_space = JCS_RGB;
        break;
    }
    jpeg_start_decompress(&cinfo);
    const int width = int(cinfo.output_width);
    const int height = int(cinfo.output_height);
    const int components = cinfo.output_components;
    if (width <= 0 || height <= 0 || (components != 1 && components != 3 && components != 4)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    out = QImage(width, height, QImage::Format_RGB32);
    if (out.isNull()) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                               JDIMENSION(width * components), 1);
    while (cinfo.output_scanline < cinfo.output_height && !errors.damaged) {
        const int y = int(cinfo.output_scanline);
        if (jpeg_read_scanlines(&cinfo, row, 1) != 1)
            break;
        storeRow(row[0], components, cinfo.out_color_space, cinfo.saw_Adobe_marker,
                 reinterpret_cast<QRgb *>(out.scanLine(y)), width);
    }
    const bool complete = cinfo.output_scanline == cinfo.output_height && !errors.damaged;
    if (complete)
        jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return complete && !errors.damaged;
}

bool isJpeg(const QByteArray &bytes)
{
    return bytes.size() >= 3 && uchar(bytes[0]) == 0xFF && uchar(bytes[1]) == 0xD8 && uchar(bytes[2]) == 0xFF;
}

// An uncompressed BMP whose pixel rows end before the file does: Qt's reader
// would fill the missing rows and call it a picture.
bool isCutBmp(const QByteArray &bytes)
{
    if (bytes.size() < 2 || bytes[0] != 'B' || bytes[1] != 'M')
        return false;
    if (bytes.size() < 34)
        return true;
    const char *d = bytes.constData();
    const quint32 dibSize = qFromLittleEndian<quint32>(d + 14);
    if (dibSize < 40)  // the old OS/2 header: left to the reader
        return false;
    const qint64 pixels = qFromLittleEndian<quint32>(d + 10);
    const qint64 width = qFromLittleEndian<qint32>(d + 18);
    const qint64 height = std::abs(qint64(qFromLittleEndian<qint32>(d + 22)));
    const qint64 bits = qFromLittleEndian<quint16>(d + 28);
    const quint32 compression = qFromLittleEndian<quint32>(d + 30);
    if (compression != 0 && compression != 3)  // run-length data has no fixed size
        return false;
    if (width > (1 << 24) || height > (1 << 24))
        return true;
    const qint64 stride = (width * bits + 31) / 32 * 4;
    return width > 0 && bits > 0 && bytes.size() < pixels + stride * height;
}

// A picture as RGB32, each pixel of one with an alpha channel passed through
// pixel first. Straight (not premultiplied) colours, so a transparent pixel
// still has its own colour.
template <class PixelStep>
QImage rgb32With(const QImage &image, PixelStep pixel)
{
    if (!image.hasAlphaChannel())
        return image.convertToFormat(QImage::Format_RGB32);
    QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    if (argb.isNull())
        return {};
    for (int y = 0; y < argb.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(argb.scanLine(y));
        for (int x = 0; x < argb.width(); ++x)
            line[x] = pixel(line[x]);
    }
    return argb.convertToFormat(QImage::Format_RGB32);
}

// Any picture as RGB32; transparent pixels become white, as they would look
// on a white page.
QImage toRgb32(const QImage &image)
{
    return rgb32With(image, [](QRgb p) {
        const int a = qAlpha(p);
        const int white = 255 * (255 - a);
        return qRgb((qRed(p) * a + white) / 255, (qGreen(p) * a + white) / 255, (qBlue(p) * a + white) / 255);
    });
}

// Any picture as RGB32 with every pixel's own colour, the alpha byte set.
QImage opaque(const QImage &image)
{
    return rgb32With(image, [](QRgb p) { return p | 0xFF000000u; });
}

QRgb frameColour(bool blackFrame)
{
    return blackFrame ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
}

void copyInto(QImage &canvas, const QImage &picture, QPoint at)
{
    const QImage src = picture.format() == QImage::Format_RGB32 ? picture
                                                                 : picture.convertToFormat(QImage::Format_RGB32);
    const int w = std::min(src.width(), canvas.width() - at.x());
    const int h = std::min(src.height(), canvas.height() - at.y());
    if (w <= 0 || h <= 0 || at.x() < 0 || at.y() < 0)
        return;
    for (int y = 0; y < h; ++y)
        std::memcpy(reinterpret_cast<QRgb *>(canvas.scanLine(at.y() + y)) + at.x(), src.constScanLine(y),
                    size_t(w) * sizeof(QRgb));
}

}  // namespace

FileResult<QImage> DecodeSourcePicture(const QByteArray &bytes)
{
    QImage image;
    if (isJpeg(bytes)) {
        bool tooLarge = false;
        if (!decodeJpeg(bytes, image, tooLarge))
            return fail(tooLarge ? FileFailure::TooLarge : FileFailure::WrongFormat);
        return image;
    }
    if (isCutBmp(bytes))
        return fail(FileFailure::WrongFormat);
    QBuffer buffer;
    buffer.setData(bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return fail(FileFailure::WrongFormat);
    QImageReader reader(&buffer);
    reader.setAllocationLimit(int(MaxSourcePixels * 4 / (1024 * 1024)));
    const QSize size = reader.size();
    // A picture that decodes but is too big to convert says so.
    if (size.isValid() && qint64(size.width()) * size.height() > MaxSourcePixels)
        return fail(FileFailure::TooLarge);
    if (!reader.read(&image) || image.isNull())
        return fail(FileFailure::WrongFormat);
    if (qint64(image.width()) * image.height() > MaxSourcePixels)
        return fail(FileFailure::TooLarge);
    // A BMP pixel's fourth byte is not transparency for the conversion: a
    // 32-bit BMP with an alpha mask keeps its colours as they are. Other
    // formats (PNG, GIF) are laid on white.
    image = bytes.startsWith("BM") ? opaque(image) : toRgb32(image);
    if (image.isNull())
        return fail(FileFailure::WrongFormat);
    return image;
}

FileResult<QImage> LoadSourcePicture(const QString &path)
{
    if (platform::toNative(path).isEmpty())
        return fail(FileFailure::CannotOpen, path);
    // Only a regular file, and never more than the limit plus one byte: a
    // pipe does not block and /dev/zero does not stream for ever.
    QString error;
    const auto read = fs::readRegularFile(path, MaxSourceFileBytes + 1, &error);
    if (!read)
        return fail(error == fs::notRegularFileText() ? FileFailure::NotRegularFile : FileFailure::CannotOpen, path);
    if (read->size() > MaxSourceFileBytes)
        return fail(FileFailure::TooLarge, path);
    const QByteArray &bytes = *read;
    FileResult<QImage> image = DecodeSourcePicture(bytes);
    if (!image)
        return fail(image.error().reason, path);
    return image;
}

WorkCanvas MakeWorkCanvas(const QImage &picture, bool blackFrame)
{
    WorkCanvas work;
    if (picture.width() >= WorkCanvasMinWidth && picture.height() >= WorkCanvasMinHeight) {
        work.canvas = picture.format() == QImage::Format_RGB32 ? picture
                                                                : picture.convertToFormat(QImage::Format_RGB32);
        return work;
    }
    const int w = std::max(picture.width(), WorkCanvasMinWidth);
    const int h = std::max(picture.height(), WorkCanvasMinHeight);
    work.canvas = QImage(w, h, QImage::Format_RGB32);
    work.offset = QPoint((w - picture.width()) / 2, (h - picture.height()) / 2);
    work.framed = true;
    RefillWorkCanvas(work, picture, blackFrame);
    return work;
}

void RefillWorkCanvas(WorkCanvas &work, const QImage &picture, bool blackFrame)
{
    if (!work.framed || work.canvas.isNull())
        return;
    work.canvas.fill(frameColour(blackFrame));
    copyInto(work.canvas, picture, work.offset);
}

QImage CropCanvas(const QImage &canvas, const LogoRect &selection, QRgb outside)
{
    const qint64 w = selection.width();
    const qint64 h = selection.height();
    if (w <= 0 || h <= 0 || w > MaxSourcePixels || h > MaxSourcePixels || w * h > MaxSourcePixels)
        return {};
    QImage crop(int(w), int(h), QImage::Format_RGB32);
    if (crop.isNull())
        return {};
    const QImage src = canvas.format() == QImage::Format_RGB32 ? canvas : canvas.convertToFormat(QImage::Format_RGB32);
    // Columns and rows of the selection that lie on the canvas.
    const qint64 x0 = std::max<qint64>(selection.left, 0);
    const qint64 x1 = std::min<qint64>(selection.right, src.width());
    const qint64 y0 = std::max<qint64>(selection.top, 0);
    const qint64 y1 = std::min<qint64>(selection.bottom, src.height());
    const bool inside = x0 == selection.left && x1 == selection.right && y0 == selection.top
                        && y1 == selection.bottom;
    if (!inside)
        crop.fill(outside);
    for (qint64 y = y0; x0 < x1 && y < y1; ++y) {
        auto *dst = reinterpret_cast<QRgb *>(crop.scanLine(int(y - selection.top))) + (x0 - selection.left);
        const auto *from = reinterpret_cast<const QRgb *>(src.constScanLine(int(y))) + x0;
        std::memcpy(dst, from, size_t(x1 - x0) * sizeof(QRgb));
    }
    return crop;
}

LogoBitmap ConvertLogo(const QImage &crop, int displayType, int threshold, bool invert)
{
    LogoBitmap logo(displayType);
    const int lw = logo.width();
    const int lh = logo.height();
    const uchar flip = invert ? 1 : 0;
    if (crop.isNull() || crop.width() <= 0 || crop.height() <= 0) {
        if (invert)
            InvertLogo(logo);
        return logo;
    }
    const bool direct = crop.format() == QImage::Format_RGB32 || crop.format() == QImage::Format_ARGB32;
    const QImage src = direct ? crop : crop.convertToFormat(QImage::Format_RGB32);
    const int cw = src.width();
    const int ch = src.height();
    const double xRatio = double(cw) / double(lw);
    const double yRatio = double(ch) / double(lh);

    int sourceColumn[WorkCanvasMinWidth];
    for (int x = 0; x < lw; ++x)
        sourceColumn[x] = std::min(int(x * xRatio), cw - 1);
    for (int y = 0; y < lh; ++y) {
        const int sy = std::min(int(y * yRatio), ch - 1);
        const auto *line = reinterpret_cast<const QRgb *>(src.constScanLine(sy));
        uchar *out = logo.row(y);
        for (int x = 0; x < lw; ++x) {
            const QRgb p = line[sourceColumn[x]];
            const int brightness = int((p & 0xFF) + ((p >> 8) & 0xFF) + ((p >> 16) & 0xFF)) / 3;
            out[x] = uchar(brightness >= threshold ? 1 : 0) ^ flip;
        }
    }
    return logo;
}

}  // namespace voxa
