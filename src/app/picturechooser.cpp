#include "app/picturechooser.h"

#include "app/appstate.h"
#include "app/framehost.h"
#include "app/messagetable.h"
#include "platform/prompts.h"

#include <QFileInfo>
#include <QImageReader>
#include <QVariant>
#include <QWidget>

namespace voxa {
namespace {

// Kept on the frame, so each window remembers its own.
const char *const LastFolderProperty = "lastPictureFolder";

}  // namespace

QStringList LoadablePictureFilters()
{
    QStringList patterns;
    for (const QByteArray &format : QImageReader::supportedImageFormats())
        patterns << QStringLiteral("*.") + QString::fromLatin1(format);
    // JPEG pictures are decoded by the logo editor itself.
    for (const QString &jpeg : {QStringLiteral("*.jpg"), QStringLiteral("*.jpeg")})
        if (!patterns.contains(jpeg))
            patterns << jpeg;
    patterns.sort();
    return {QStringLiteral("Pictures (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')'),
            QStringLiteral("JPEG (*.jpg *.jpeg)"), QStringLiteral("Bitmaps (*.bmp)")};
}

void ChoosePictureThenShow(FrameHost &host, QWidget *frame)
{
    const QString last = frame ? frame->property(LastFolderProperty).toString() : QString();
    FileRequest request;
    request.mode = FileRequest::Open;
    request.title = msg(Msg::ChooseLogoImage);
    request.folder = last.isEmpty() ? QString(appState().DriveLetter) + QStringLiteral(":\\") : last;
    request.filters = LoadablePictureFilters();
    const QString path = prompts().chooseFile(request);
    if (!path.isEmpty() && frame)
        frame->setProperty(LastFolderProperty, QFileInfo(path).absolutePath());
    auto *import = dynamic_cast<PictureImport *>(frame);
    if (!path.isEmpty() && import && import->ImportPicture(path))
        host.showFrame(frame);
    else
        host.ShowStartPanel();
}

}  // namespace voxa
