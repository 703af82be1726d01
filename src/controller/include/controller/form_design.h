#pragma once
// main_form as it was designed, for every toolkit that builds it: where each control sits, what
// it says and in which size of the one typeface. The positions were laid out in twips
// (1/1440 inch); at 96 dots per inch 15 twips are one pixel, so each value below is divided by
// 15 and the toolkit scales the result to the screen. Keeping the twip numbers visible makes a
// misplaced control easy to check against the layout drawing.

#include <array>
#include <string_view>

#include "controller/looks.h"
#include "controller/window_surface.h"

namespace quellbox::controller::design {

// A control's place in pixels at 96 dpi, from the top left of the window's client area (or,
// for a caption, of its indicator's inside).
struct PixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    constexpr bool operator==(const PixelRect&) const = default;
};

struct PixelSize {
    int width = 0;
    int height = 0;
};

inline constexpr int twips_per_pixel = 15;

constexpr int px(int twips) {
    return twips / twips_per_pixel;
}
constexpr PixelRect twip_rect(int left, int top, int width, int height) {
    return PixelRect{px(left), px(top), px(width), px(height)};
}

inline constexpr PixelSize client_size{px(6720), px(7965)};  // 448 x 531

inline constexpr PixelRect Label3 = twip_rect(120, 120, 1335, 375);
inline constexpr PixelRect chuankou_num = twip_rect(1680, 120, 615, 375);
inline constexpr PixelRect VScroll2 = twip_rect(2280, 120, 375, 375);
inline constexpr PixelRect open_comm = twip_rect(3840, 120, 1455, 375);
inline constexpr PixelRect Label5 = twip_rect(120, 840, 1335, 375);
inline constexpr PixelRect add = twip_rect(1680, 840, 690, 375);
inline constexpr PixelRect VScroll1 = twip_rect(2310, 840, 375, 375);
inline constexpr PixelRect openall = twip_rect(1320, 7440, 1455, 375);
inline constexpr PixelRect closeall = twip_rect(3600, 7440, 1455, 375);

// Channels run down the left column (1 to 8) and back up the right one (9 to 16), one row
// every 720 twips, so channel 9 sits beside channel 8 and channel 16 beside channel 1.
constexpr int channel_row(int n) {
    return n <= 8 ? n - 1 : 16 - n;
}

// Picture1(n): the indicator box.
constexpr PixelRect indicator(int n) {
    const int left = n <= 8 ? 1080 : 3840;
    return twip_rect(left, 1560 + 720 * channel_row(n), 1335, 615);
}

// Label2(n): the caption, placed inside the indicator's client area (within its border).
inline constexpr PixelRect caption = twip_rect(0, 120, 1215, 375);

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

constexpr PixelRect name_label(int n) {
    const int left = n <= 8 ? 120 : 5280;
    return twip_rect(left, 1680 + 720 * channel_row(n), name_width_twips(n), 375);
}

// The one typeface, "宋体", in its two sizes, given in pixels at 96 dpi rather than points so
// the text fits the pixel layout whatever the screen's dpi setting says.
inline constexpr char song_family[] = "宋体";
enum class TextSize {
    pt15 = 20,     // 15 pt at 96 dpi: text boxes, channel captions and names
    pt15_75 = 21,  // 15.75 pt at 96 dpi: buttons, field labels
};

inline constexpr std::string_view window_caption = "QuellboxV6  https://quellbox.example.org";
inline constexpr std::string_view caption_Label3 = "串口号";
inline constexpr std::string_view caption_Label5 = "模块地址";
inline constexpr std::string_view caption_openall = "吸合所有";
inline constexpr std::string_view caption_closeall = "断开所有";
inline constexpr std::string_view initial_field_text = "1";
inline constexpr std::string_view name_VScroll2 = "串口号调节";
inline constexpr std::string_view name_VScroll1 = "模块地址调节";

// Label4(n): "第一路" to "第十六路"; element 0 is unused.
inline constexpr std::array<std::string_view, channel_count + 1> channel_names = {
    "",         "第一路",   "第二路",   "第三路",   "第四路",   "第五路",
    "第六路",   "第七路",   "第八路",   "第九路",   "第十路",   "第十一路",
    "第十二路", "第十三路", "第十四路", "第十五路", "第十六路",
};

constexpr std::string_view channel_name(int n) {
    return n >= 1 && n <= channel_count ? channel_names[static_cast<std::size_t>(n)]
                                        : std::string_view{};
}

// A channel's state in words, as a screen reader says it after the channel's name; it follows
// the colour, the tool's record of what the board last reported.
constexpr std::string_view state_in_words(Colour colour) {
    switch (kind_of(colour).value_or(LookKind::not_known)) {
        case LookKind::energized:
            return "吸合";
        case LookKind::released:
            return "断开";
        case LookKind::port_closed:
            return "状态未知 (串口已关闭)";
        case LookKind::not_known:
            break;
    }
    return "状态未知";
}

}  // namespace quellbox::controller::design
