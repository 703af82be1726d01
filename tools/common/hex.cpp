#include "tools/hex.h"

#include <charconv>

namespace quellbox::tools {

std::string hex(std::span<const std::uint8_t> bytes, HexDigits digits) {
    const char* const set = digits == HexDigits::upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 3);
    for (const std::uint8_t b : bytes) {
        if (!out.empty()) out += ' ';
        out += set[b >> 4];
        out += set[b & 0x0F];
    }
    return out;
}

std::vector<std::uint8_t> parse_hex(std::string_view text) {
    std::vector<std::uint8_t> out;
    while (!text.empty()) {
        while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
        if (text.size() < 2) break;
        unsigned value = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + 2, value, 16);
        if (ec != std::errc{} || end != text.data() + 2) break;
        out.push_back(static_cast<std::uint8_t>(value));
        text.remove_prefix(2);
    }
    return out;
}

}  // namespace quellbox::tools
