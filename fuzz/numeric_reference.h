#pragma once
// A second, deliberately different reading of the numeric text of the port and address fields,
// for the fuzzers to hold the real one against. It shares no code with src/link: the text is
// first checked against the grammar by an explicit state machine, then rounded with decimal
// string arithmetic on the full digit strings (no early cut-off, no binary accumulator) and
// compared with the limits as strings. Only a value already known to be in range is turned
// into an integer.
//
//   number  = blanks [ "+" | "-" ] ( digits [ "." [ digits ] ] | "." digits ) blanks
//   blanks  = { " " | "\t" }
//
// Rounding goes to the nearest whole number, an exact half to the even neighbour.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quellbox::fuzz {

struct DecimalText {
    bool negative = false;
    std::string whole;     // digits before the point, as written (may be empty)
    std::string fraction;  // digits after the point, as written (may be empty)
};

inline std::optional<DecimalText> parse_decimal_text(std::string_view text) {
    enum class State { lead, sign, whole, point, fraction, trail };
    State state = State::lead;
    DecimalText out;
    for (const char c : text) {
        const bool blank = c == ' ' || c == '\t';
        const bool digit = c >= '0' && c <= '9';
        switch (state) {
            case State::lead:
                if (blank) break;
                if (c == '+' || c == '-') {
                    out.negative = c == '-';
                    state = State::sign;
                } else if (digit) {
                    out.whole += c;
                    state = State::whole;
                } else if (c == '.') {
                    state = State::point;
                } else {
                    return std::nullopt;
                }
                break;
            case State::sign:
                if (digit) {
                    out.whole += c;
                    state = State::whole;
                } else if (c == '.') {
                    state = State::point;
                } else {
                    return std::nullopt;
                }
                break;
            case State::whole:
                if (digit) {
                    out.whole += c;
                } else if (c == '.') {
                    state = State::point;
                } else if (blank) {
                    state = State::trail;
                } else {
                    return std::nullopt;
                }
                break;
            case State::point:
            case State::fraction:
                if (digit) {
                    out.fraction += c;
                    state = State::fraction;
                } else if (blank) {
                    state = State::trail;
                } else {
                    return std::nullopt;
                }
                break;
            case State::trail:
                if (!blank) return std::nullopt;
                break;
        }
    }
    if (out.whole.empty() && out.fraction.empty()) return std::nullopt;  // "", "+", ".", "-."
    return out;
}

// Adds one to a non-empty string of decimal digits.
inline std::string increment_digits(std::string digits) {
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return digits;
        }
        *it = '0';
    }
    return "1" + digits;
}

// Compares two digit strings without leading zeros as whole numbers.
inline int compare_magnitudes(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return a.compare(b) < 0 ? -1 : (a.compare(b) > 0 ? 1 : 0);
}

// The rounded value of the text, if it is a number whose rounded value lies in [min, max].
inline std::optional<std::int64_t> reference_read(std::string_view text, std::int64_t min,
                                                  std::int64_t max) {
    const auto parsed = parse_decimal_text(text);
    if (!parsed) return std::nullopt;

    std::string magnitude = parsed->whole;
    magnitude.erase(0, magnitude.find_first_not_of('0'));
    if (magnitude.empty()) magnitude = "0";

    // 0.d1d2d3... against one half: with trailing zeros gone, comparing the digit strings
    // lexicographically with "5" compares the fractions.
    std::string fraction = parsed->fraction;
    fraction.erase(fraction.find_last_not_of('0') + 1);
    const int against_half = fraction.compare("5");
    const bool odd = (magnitude.back() - '0') % 2 == 1;
    if (against_half > 0 || (against_half == 0 && odd)) magnitude = increment_digits(magnitude);

    const std::int64_t limit = parsed->negative ? -min : max;
    if (compare_magnitudes(magnitude, std::to_string(limit)) > 0) return std::nullopt;
    const std::int64_t value = std::stoll(magnitude);
    return parsed->negative ? -value : value;
}

inline std::optional<std::int64_t> reference_int16(std::string_view text) {
    return reference_read(text, -32768, 32767);
}

inline std::optional<std::int64_t> reference_int32(std::string_view text) {
    return reference_read(text, -2147483648LL, 2147483647LL);
}

// Plain decimal digits, "-" when negative, nothing else.
inline std::string reference_format(std::int64_t value) {
    std::string digits;
    std::uint64_t magnitude =
        value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    return value < 0 ? "-" + digits : digits;
}

}  // namespace quellbox::fuzz
