#pragma once
// The one reading rule for the numbers operators type into the port and address fields.
//
// Accepted: blanks (space, tab) around the number; an optional "+" or "-"; decimal digits with
// an optional decimal point and further digits. Either side of the point may be empty but not
// both, so "5." reads 5 and ".5" reads 0 (half to even); "." alone is refused. The value is
// rounded to the nearest whole number on the decimal digits themselves (no floating point), an
// exact half going to the even neighbour: "2.5" -> 2, "3.5" -> 4, "-2.5" -> -2, and
// "2.5000000000000001" -> 3. Refused: empty text, any other form (exponents, hex prefixes,
// separators, non-ASCII digits, embedded NULs) and results outside the target's range, however
// many digits the text has.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quellbox::link {

std::optional<std::int16_t> text_to_int16(std::string_view text);
std::optional<std::int32_t> text_to_int32(std::string_view text);

// Plain decimal digits, "-" when negative, no blanks, no plus sign, no leading zeros.
std::string int16_to_text(std::int16_t value);

}  // namespace quellbox::link
