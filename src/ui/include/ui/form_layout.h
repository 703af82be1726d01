#pragma once
// Where every control of main_form sits. The positions were laid out in twips (1/1440 inch);
// at 96 dots per inch 15 twips are one pixel, so each value below is divided by 15 to get Qt's
// logical pixels and Qt's high-DPI scaling does the rest. Keeping the twip numbers visible
// makes a misplaced control easy to check against the layout drawing.

#include <QRect>

namespace quellbox::ui::layout {

inline constexpr int twips_per_pixel = 15;

constexpr int px(int twips) {
    return twips / twips_per_pixel;
}
constexpr QRect twip_rect(int left, int top, int width, int height) {
    return QRect(px(left), px(top), px(width), px(height));
}

inline constexpr QSize client_size{px(6720), px(7965)};  // 448 x 531

inline constexpr QRect Label3 = twip_rect(120, 120, 1335, 375);
inline constexpr QRect chuankou_num = twip_rect(1680, 120, 615, 375);
inline constexpr QRect VScroll2 = twip_rect(2280, 120, 375, 375);
inline constexpr QRect open_comm = twip_rect(3840, 120, 1455, 375);
inline constexpr QRect Label5 = twip_rect(120, 840, 1335, 375);
inline constexpr QRect add = twip_rect(1680, 840, 690, 375);
inline constexpr QRect VScroll1 = twip_rect(2310, 840, 375, 375);
inline constexpr QRect openall = twip_rect(1320, 7440, 1455, 375);
inline constexpr QRect closeall = twip_rect(3600, 7440, 1455, 375);

// Channels run down the left column (1 to 8) and back up the right one (9 to 16), one row
// every 720 twips, so channel 9 sits beside channel 8 and channel 16 beside channel 1.
constexpr int channel_row(int n) {
    return n <= 8 ? n - 1 : 16 - n;
}

// Picture1(n): the indicator box.
constexpr QRect indicator(int n) {
    const int left = n <= 8 ? 1080 : 3840;
    return twip_rect(left, 1560 + 720 * channel_row(n), 1335, 615);
}

// Label2(n): the caption, placed inside the indicator's client area (within its border).
inline constexpr QRect caption = twip_rect(0, 120, 1215, 375);

// Label4(n): the channel's name, outside its indicator and 120 twips lower. The right column's
// names are as wide as their text needs.
constexpr int name_width_twips(int n) {
    switch (n) {
        case 11:
        case 12:
            return 1215;
        case 13:
        case 15:
        case 16:
            return 1335;
        case 14:
            return 1455;
        default:
            return 975;
    }
}

constexpr QRect name_label(int n) {
    const int left = n <= 8 ? 120 : 5280;
    return twip_rect(left, 1680 + 720 * channel_row(n), name_width_twips(n), 375);
}

}  // namespace quellbox::ui::layout
