// voxatool logo PICTURE OUT.lce [options]: makes a logo from a picture as the
// logo editor does (working canvas, selection, threshold) and writes the
// logo and its companion.
#include "editors/logo/logoconvert.h"
#include "editors/logo/logofile.h"
#include "platform/fileops.h"
#include "platform/paths.h"
#include "tool/command.h"

#include <QFileInfo>

namespace voxa::tool {
namespace {

const char *const usageText =
    "usage: voxatool logo PICTURE OUT.lce [--type voxa-a|va-da] [--threshold N] "
    "[--crop L,T,R,B] [--invert] [--black-frame]\n";

const char *const Help =
    "arguments:\n"
    "  PICTURE              a JPEG, BMP, PNG or other picture\n"
    "  OUT.lce              the logo to write; its companion OUT.lcx keeps the selection,\n"
    "                       threshold and picture for the logo editor\n"
    "options:\n"
    "  --type T             voxa-a (128 x 56 pixels, default) or va-da (176 x 64)\n"
    "  --threshold N        0 to 256 (default 128): darker pixels light up\n"
    "  --crop L,T,R,B       the part of the working canvas to use, right and bottom exclusive\n"
    "                       (default: the logo's size at the top-left corner)\n"
    "  --invert             light pixels light up instead\n"
    "  --black-frame        put a black frame round the picture on the working canvas\n"
    "A read-only OUT.lce is overwritten, as the editor does with the player's files.\n"
    "Exit status: 0 written, 1 the picture could not be read or the logo not written, 2 wrong\n"
    "arguments.\n"
    "example:\n"
    "  voxatool logo sunset.jpg E:\\voxa\\config\\sunset.lce --type va-da --crop 10,20,186,84 --threshold 100\n";

std::optional<int> displayTypeOf(const QString &name)
{
    const QString n = name.toLower();
    if (n == QLatin1String("voxa-a") || n == QLatin1String("1"))
        return VoxaADisplay;
    if (n == QLatin1String("va-da") || n == QLatin1String("2"))
        return VaDaDisplay;
    return std::nullopt;
}

std::optional<LogoRect> rectOf(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return std::nullopt;
    int v[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = parts[i].trimmed().toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    return LogoRect{v[0], v[1], v[2], v[3]};
}

// The source path as the companion keeps it: the player's form when the
// picture lies on a known drive ("V:\pictures\a.jpg"), else the full native
// path.
QString sourcePathOf(const QString &picture)
{
    if (platform::isDevicePath(picture))
        return picture;
    const QString absolute = QFileInfo(picture).absoluteFilePath();
    const QString device = platform::toDevice(absolute);
    return device.isEmpty() ? absolute : device;
}

int logo(const QStringList &args, Io &io)
{
    QStringList files;
    int type = VoxaADisplay;
    int threshold = 128;
    std::optional<LogoRect> crop;
    bool invert = false;
    bool blackFrame = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--type") && hasValue) {
            const auto t = displayTypeOf(args[++i]);
            if (!t) {
                io.err << "voxatool logo: --type is voxa-a or va-da, not '" << args[i] << "'\n";
                return 2;
            }
            type = *t;
        } else if (a == QLatin1String("--threshold") && hasValue) {
            bool ok = false;
            threshold = args[++i].toInt(&ok);
            if (!ok || threshold < 0 || threshold > 256) {
                io.err << "voxatool logo: --threshold is a number from 0 to 256, not '" << args[i] << "'\n";
                return 2;
            }
        } else if (a == QLatin1String("--crop") && hasValue) {
            crop = rectOf(args[++i]);
            if (!crop) {
                io.err << "voxatool logo: --crop is LEFT,TOP,RIGHT,BOTTOM, not '" << args[i] << "'\n";
                return 2;
            }
        } else if (a == QLatin1String("--invert")) {
            invert = true;
        } else if (a == QLatin1String("--black-frame")) {
            blackFrame = true;
        } else if (a.startsWith(QLatin1String("--"))) {
            io.err << "voxatool logo: unknown option '" << a << "'\n" << usageText;
            return 2;
        } else {
            files << a;
        }
    }
    if (files.size() != 2) {
        io.err << usageText;
        return 2;
    }
    const QString &picturePath = files[0];
    const QString &out = files[1];

    const FileResult<QImage> picture = LoadSourcePicture(picturePath);
    if (!picture) {
        io.err << picturePath << ": " << picture.error().message() << "\n";
        return 1;
    }
    const WorkCanvas work = MakeWorkCanvas(*picture, blackFrame);
    // A new logo's selection, as the editor starts it: the logo's own size
    // at the top-left corner.
    const LogoRect selection = crop.value_or(LogoRect{0, 0, LogoWidth(type), LogoHeight(type)});
    if (selection.isEmpty() || selection.left < 0 || selection.top < 0
        || selection.right > work.canvas.width() || selection.bottom > work.canvas.height()) {
        io.err << "voxatool logo: the selection " << selection.left << "," << selection.top << ","
               << selection.right << "," << selection.bottom << " does not lie on the "
               << work.canvas.width() << " x " << work.canvas.height() << " working canvas\n";
        return 2;
    }
    const LogoBitmap result = ConvertLogo(CropCanvas(work.canvas, selection), type, threshold, invert);
    const LogoCompanion companion{selection, threshold, sourcePathOf(picturePath)};

    // The player's own file: a read-only attribute does not stop the save.
    fs::makeWritable(out);
    const WriteResult w = SaveLogoWithCompanion(out, result, &companion);
    if (w.failed()) {
        io.err << out << ": " << w.text() << "\n";
        return 1;
    }
    return 0;
}

const ToolCommand logoCommand(
    "logo",
    "logo PICTURE OUT.lce [--type voxa-a|va-da] [--threshold N] [--crop L,T,R,B] [--invert] [--black-frame]",
    "make a logo from a picture (JPEG, BMP, PNG, ...) as the logo editor does: the selection L,T,R,B "
    "(right and bottom exclusive) of the working canvas, threshold 0 to 256 (default 128); writes "
    "OUT.lce and its companion OUT.lcx",
    Help, logo);

}  // namespace
}  // namespace voxa::tool
