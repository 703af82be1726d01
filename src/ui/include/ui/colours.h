#pragma once
// Turns the 32-bit colour values the logic writes into colours to paint. The values themselves
// are kept untouched elsewhere: this is only how they look on screen.

#include <QColor>
#include <QPalette>

#include "controller/window_surface.h"

namespace quellbox::ui {

using controller::Colour;

// A value with this bit set names a system colour (the port-closed look's grey text is one).
inline constexpr Colour system_colour_flag = 0x80000000;

// Used for grey text when the palette's own choice would be mistaken for a channel state.
inline constexpr QRgb fallback_grey = qRgb(128, 128, 128);

// 0x00BBGGRR: red in the low byte.
QColor rgb_colour(Colour value);

// RGB values as given; the grey text system colour from the palette (the logic writes no other
// system colour; any other shows as a neutral grey). Grey text never resolves to green, red or
// yellow, so a closed port cannot be mistaken for a channel state.
QColor resolve_colour(Colour value, const QPalette& palette);

}  // namespace quellbox::ui
