#pragma once
// The window's 32 x 32 icon, drawn here rather than shipped as a file: a relay, its coil on the
// left and an open switch contact on the right, over a dark tile.

#include <QIcon>
#include <QPixmap>

namespace quellbox::ui {

inline constexpr int icon_size = 32;

QPixmap app_icon_pixmap();
QIcon app_icon();

}  // namespace quellbox::ui
