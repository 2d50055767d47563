#pragma once
// The step that shows a frame taking pictures (the logo editor): a file
// chooser for the picture first, and the frame only once it imported one.
#include <QStringList>

class QWidget;

namespace voxa {

class FrameHost;

// Asks for a picture file, starting in the folder of the frame's last one
// (the drive's root at first). A picture the frame (a PictureImport)
// imports shows the frame; a cancel or a picture it refuses shows the start
// panel.
void ChoosePictureThenShow(FrameHost &host, QWidget *frame);

// Picture formats the chooser offers.
QStringList LoadablePictureFilters();

}  // namespace voxa
