#pragma once
// Pictures that are not cut from the skin: the manager's icon, the pictures
// of the menus' image list, the header strip and the about picture.
#include <QIcon>
#include <QImage>

namespace voxa {

// The manager's icon, square.
QImage ManagerIcon(int size = 16);
// The menus' image list; index 12 is the check mark. Other indexes give a
// null icon (the menus show no pictures of their own).
QIcon MenuImage(int index);
inline constexpr int CheckMarkImage = 12;
// The dark strip of the window's header.
QImage MakeHeaderBackground(int w, int h);
// The picture of the about frame.
QImage MakeAboutPicture(int w, int h);

}  // namespace voxa
