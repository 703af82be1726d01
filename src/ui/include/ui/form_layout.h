#pragma once
// Where every control of main_form sits, as Qt rectangles in logical pixels; the numbers
// themselves are the toolkit-free design (controller/form_design.h), and Qt's high-DPI scaling
// does the rest.

#include <QRect>

#include "controller/form_design.h"

namespace quellbox::ui::layout {

namespace design = controller::design;

constexpr QRect rect(const design::PixelRect& r) {
    return QRect(r.left, r.top, r.width, r.height);
}

inline constexpr QSize client_size{design::client_size.width, design::client_size.height};

inline constexpr QRect Label3 = rect(design::Label3);
inline constexpr QRect chuankou_num = rect(design::chuankou_num);
inline constexpr QRect VScroll2 = rect(design::VScroll2);
inline constexpr QRect open_comm = rect(design::open_comm);
inline constexpr QRect Label5 = rect(design::Label5);
inline constexpr QRect add = rect(design::add);
inline constexpr QRect VScroll1 = rect(design::VScroll1);
inline constexpr QRect openall = rect(design::openall);
inline constexpr QRect closeall = rect(design::closeall);

constexpr QRect indicator(int n) {
    return rect(design::indicator(n));
}
inline constexpr QRect caption = rect(design::caption);
constexpr QRect name_label(int n) {
    return rect(design::name_label(n));
}

}  // namespace quellbox::ui::layout
