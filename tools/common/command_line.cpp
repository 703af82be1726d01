#include "tools/command_line.h"

#include <charconv>

namespace quellbox::tools {

std::optional<double> positive_number(std::string_view text, double most) {
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size() || !(value > 0) || value > most)
        return std::nullopt;
    return value;
}

}  // namespace quellbox::tools
