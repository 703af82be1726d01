#include "link/numeric_text.h"

#include <limits>

namespace quellbox::link {
namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}
bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// Reads the text into a rounded 64-bit value, or nothing. Magnitudes beyond `limit` are
// refused as soon as they are seen, so no number of digits can overflow.
std::optional<std::int64_t> read_rounded(std::string_view text, std::int64_t limit) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && is_blank(text[begin])) ++begin;
    while (end > begin && is_blank(text[end - 1])) --end;
    std::string_view s = text.substr(begin, end - begin);

    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }

    std::size_t i = 0;
    std::int64_t whole = 0;
    std::size_t whole_digits = 0;
    for (; i < s.size() && is_digit(s[i]); ++i, ++whole_digits) {
        whole = whole * 10 + (s[i] - '0');
        if (whole > limit + 1) return std::nullopt;  // +1: rounding can never bring it back
    }

    std::size_t fraction_digits = 0;
    int first_fraction = 0;     // the tenths digit
    bool rest_nonzero = false;  // any non-zero digit after the tenths
    if (i < s.size() && s[i] == '.') {
        ++i;
        for (; i < s.size() && is_digit(s[i]); ++i, ++fraction_digits) {
            const int d = s[i] - '0';
            if (fraction_digits == 0) {
                first_fraction = d;
            } else if (d != 0) {
                rest_nonzero = true;
            }
        }
    }
    if (i != s.size() || whole_digits + fraction_digits == 0) return std::nullopt;

    const bool round_up = first_fraction > 5 || (first_fraction == 5 && rest_nonzero) ||
                          (first_fraction == 5 && !rest_nonzero && (whole % 2) == 1);
    if (round_up) ++whole;
    return negative ? -whole : whole;
}

template <typename T>
std::optional<T> text_to(std::string_view text) {
    const auto value =
        read_rounded(text, -static_cast<std::int64_t>(std::numeric_limits<T>::min()));
    if (!value || *value < std::numeric_limits<T>::min() ||
        *value > std::numeric_limits<T>::max()) {
        return std::nullopt;
    }
    return static_cast<T>(*value);
}

}  // namespace

std::optional<std::int16_t> text_to_int16(std::string_view text) {
    return text_to<std::int16_t>(text);
}

std::optional<std::int32_t> text_to_int32(std::string_view text) {
    return text_to<std::int32_t>(text);
}

std::string int16_to_text(std::int16_t value) {
    return std::to_string(value);
}

}  // namespace quellbox::link
