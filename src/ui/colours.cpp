#include "ui/colours.h"

namespace quellbox::ui {
namespace {

bool looks_like_channel_state(const QColor& c) {
    const QRgb rgb = c.rgb();
    return rgb == qRgb(0, 255, 0) || rgb == qRgb(255, 0, 0) || rgb == qRgb(255, 255, 0);
}

}  // namespace

QColor rgb_colour(Colour value) {
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

QColor resolve_colour(Colour value, const QPalette& palette) {
    if ((value & system_colour_flag) == 0) return rgb_colour(value);
    if (value == system_grey_text) {
        const QColor grey = palette.color(QPalette::Disabled, QPalette::Text);
        if (!looks_like_channel_state(grey)) return grey;
    }
    // The logic names no other system colour; a neutral grey is safer than a guess that might
    // look like a channel state.
    return QColor(fallback_grey);
}

}  // namespace quellbox::ui
