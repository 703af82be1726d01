#pragma once
// The logic speaks UTF-8; Windows's controls speak UTF-16.

#include <windows.h>

#include <string>
#include <string_view>

namespace quellbox::win {

std::wstring wide(std::string_view utf8);
std::string utf8(std::wstring_view wide);

// The text a window or control shows, as UTF-8.
std::string window_text(HWND window);

}  // namespace quellbox::win
