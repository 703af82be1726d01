#pragma once
// The design is in pixels at 96 dpi; the window is per-monitor DPI aware, so every size is
// scaled to the dots per inch of the monitor the window is on, and again when it moves.

#include <windows.h>

#include "controller/form_design.h"

namespace quellbox::win {

namespace design = controller::design;

inline int scaled(int pixels_at_96, UINT dpi) {
    return MulDiv(pixels_at_96, static_cast<int>(dpi), 96);
}

inline void place(HWND control, const design::PixelRect& r, UINT dpi) {
    SetWindowPos(control, nullptr, scaled(r.left, dpi), scaled(r.top, dpi), scaled(r.width, dpi),
                 scaled(r.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
}

// The two text sizes of "宋体" at this dpi, or the first CJK face installed where it is missing.
HFONT song_font(design::TextSize size, UINT dpi);
// The same face in any size (pixels at 96 dpi), for text that is not part of the design, such
// as a notice: the system's message font may have no Chinese glyphs at all.
HFONT song_font(int pixels_at_96, UINT dpi);

}  // namespace quellbox::win
