// Writes the default skin picture: voxa_skingen OUT.bmp
#include "ui/skingen/skinpainter.h"

#include "platform/fileops.h"

#include <QBuffer>
#include <QGuiApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUT.bmp\n", argv[0]);
        return 2;
    }
    const QImage skin = voxa::skingen::PaintDefaultSkin();
    QBuffer bmp;
    bmp.open(QIODevice::WriteOnly);
    if (!skin.save(&bmp, "BMP")) {
        std::fprintf(stderr, "cannot encode the skin picture\n");
        return 1;
    }
    const QString error = voxa::fs::writeWholeFile(QString::fromLocal8Bit(argv[1]), bmp.data());
    if (!error.isEmpty()) {
        std::fprintf(stderr, "cannot write %s: %s\n", argv[1], qPrintable(error));
        return 1;
    }
    return 0;
}
