#pragma once
// The window's one typeface, "宋体", in its two sizes. Sizes are given in pixels rather than
// points so the text fits the pixel layout whatever the screen's dpi setting says; Qt's device
// pixel ratio then scales both together.

#include <QFont>

namespace quellbox::ui {

enum class TextSize {
    pt15 = 20,     // 15 pt at 96 dpi: text boxes, channel captions and names
    pt15_75 = 21,  // 15.75 pt at 96 dpi: buttons, field labels
};

inline constexpr char song_family[] = "宋体";

// "宋体" is rarely installed outside Windows; map it onto the CJK families we may find
// instead, so the Chinese captions render as glyphs and not as boxes. Safe to call repeatedly.
void install_song_substitutes();

QFont song_font(TextSize size);

}  // namespace quellbox::ui
