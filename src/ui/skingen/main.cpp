// Writes the default skin picture: voxa_skingen OUT.bmp
#include "ui/skingen/skinpainter.h"

#include <QGuiApplication>
#include <QSaveFile>
#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUT.bmp\n", argv[0]);
        return 2;
    }
    const QImage skin = voxa::skingen::PaintDefaultSkin();
    QSaveFile out(QString::fromLocal8Bit(argv[1]));
    if (!out.open(QIODevice::WriteOnly) || !skin.save(&out, "BMP") || !out.commit()) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
