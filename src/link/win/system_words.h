#pragma once
// The system's own words for an error code, as UTF-8, for the `detail` of an OpenResult.

#include <windows.h>

#include <string>

namespace quellbox::link::win {

std::string system_words(DWORD error);

}  // namespace quellbox::link::win
