#pragma once
// The window's one typeface, "宋体", in its two sizes. Sizes are given in pixels rather than
// points so the text fits the pixel layout whatever the screen's dpi setting says; Qt's device
// pixel ratio then scales both together.

#include <QFont>

#include "controller/form_design.h"

namespace quellbox::ui {

using controller::design::song_family;
using controller::design::TextSize;

// "宋体" is rarely installed outside Windows; map it onto the CJK families we may find
// instead, so the Chinese captions render as glyphs and not as boxes. Safe to call repeatedly.
void install_song_substitutes();

QFont song_font(TextSize size);

}  // namespace quellbox::ui
