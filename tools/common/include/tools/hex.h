#pragma once
// Bytes in the trace form every tool prints and reads: "55 01 10 00 00 00 00 66".

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quellbox::tools {

enum class HexDigits { upper, lower };

// Two digits per byte, one blank between bytes.
std::string hex(std::span<const std::uint8_t> bytes, HexDigits digits = HexDigits::upper);

// The trace form read back, either case; stops at the first token that is not a hex pair.
std::vector<std::uint8_t> parse_hex(std::string_view text);

}  // namespace quellbox::tools
