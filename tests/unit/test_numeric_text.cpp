// The reading rule for the numbers typed into the address and port fields, and the way a number
// is written back: plain forms, rounding on the decimal digits, the limits of both widths, texts
// that must be refused (other scripts' digits, characters that only look like blanks) and texts
// thousands of characters long, which are judged on all their digits.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <ostream>
#include <string>

#include "link/numeric_text.h"

namespace quellbox::link {
namespace {

constexpr std::nullopt_t refused = std::nullopt;

struct TextCase {
    std::string text;
    std::optional<std::int16_t> as_int16;
    std::optional<std::int32_t> as_int32;
};

void PrintTo(const TextCase& c, std::ostream* os) {
    *os << '"' << c.text.substr(0, 40) << (c.text.size() > 40 ? "..." : "") << '"';
}

class NumericText : public ::testing::TestWithParam<TextCase> {};

TEST_P(NumericText, ReadsIntoBothWidths) {
    const TextCase& c = GetParam();
    EXPECT_EQ(text_to_int16(c.text), c.as_int16);
    EXPECT_EQ(text_to_int32(c.text), c.as_int32);
}

// Cases whose value fits both widths read the same into either.
TextCase same(std::string text, std::optional<std::int32_t> value) {
    std::optional<std::int16_t> v16;
    if (value) v16 = static_cast<std::int16_t>(*value);
    return {std::move(text), v16, value};
}
std::string n_of(std::size_t count, char c) {
    return std::string(count, c);
}

INSTANTIATE_TEST_SUITE_P(Plain, NumericText,
                         ::testing::Values(same("0", 0), same("12", 12), same("007", 7),
                                           same("+20", 20), same("-20", -20), same("-0", 0),
                                           same(" 9", 9), same("9  ", 9), same("\t 42\t", 42),
                                           same("1.0", 1), same("5.", 5), same("-5.", -5)));

INSTANTIATE_TEST_SUITE_P(Rounding, NumericText,
                         ::testing::Values(same("2.5", 2), same("3.5", 4), same("0.5", 0),
                                           same("1.5", 2), same("-2.5", -2), same("-3.5", -4),
                                           same("-0.5", 0), same(".5", 0), same(".51", 1),
                                           same("2.4999", 2), same("2.6", 3), same("-2.6", -3),
                                           same("-2.4", -2), same("2.5000000000000001", 3),
                                           same("0.4999999999999999999999", 0), same("254.50", 254),
                                           same("255.5", 256)));

INSTANTIATE_TEST_SUITE_P(
    Limits, NumericText,
    ::testing::Values(TextCase{"32767", 32767, 32767}, TextCase{"32767.4", 32767, 32767},
                      TextCase{"32767.5", refused, 32768}, TextCase{"32768", refused, 32768},
                      TextCase{"-32768", -32768, -32768}, TextCase{"-32768.5", -32768, -32768},
                      TextCase{"-32768.6", refused, -32769}, TextCase{"-32769", refused, -32769},
                      TextCase{"2147483647", refused, 2147483647},
                      TextCase{"2147483647.5", refused, refused},
                      TextCase{"2147483648", refused, refused},
                      TextCase{"-2147483648", refused, std::numeric_limits<std::int32_t>::min()},
                      TextCase{"-2147483648.5", refused, std::numeric_limits<std::int32_t>::min()},
                      TextCase{"-2147483648.51", refused, refused},
                      TextCase{"-2147483649", refused, refused},
                      TextCase{"99999999999999999999", refused, refused}));

INSTANTIATE_TEST_SUITE_P(
    Refused, NumericText,
    ::testing::Values(same("", refused), same(" ", refused), same("\t", refused),
                      same(".", refused), same("+", refused), same("-", refused),
                      same("-.", refused), same("+-1", refused), same("--1", refused),
                      same("+ 1", refused), same("1 2", refused), same("1.2.3", refused),
                      same("1e3", refused), same("1E3", refused), same("0x10", refused),
                      same("1,000", refused), same("abc", refused), same("12abc", refused),
                      same("\xEF\xBC\x91\xEF\xBC\x92", refused) /* fullwidth 12 */,
                      same("\xD9\xA1\xD9\xA2", refused) /* Arabic-Indic 12 */,
                      same("1\xEF\xBC\x92", refused) /* 1, fullwidth 2 */,
                      same("\xE0\xA5\xAB", refused) /* Devanagari 5 */,
                      same("\xEF\xBC\x8D"
                           "5",
                           refused) /* fullwidth minus */,
                      same("\xC2\xA0"
                           "5",
                           refused) /* no-break space */,
                      same("5\xE3\x80\x80", refused) /* ideographic space */, same("\n5", refused),
                      same("5\r", refused), same("\v5", refused), same("\f5", refused),
                      same("5\x7F", refused), same("\x1B[A5", refused),
                      same(std::string("5\0", 2), refused),
                      same(std::string("1\0"
                                       "2",
                                       3),
                           refused)));

// Long texts are read on their digits, never overflowed and never cut short.
INSTANTIATE_TEST_SUITE_P(
    Long, NumericText,
    ::testing::Values(same(n_of(400, '9'), refused), same("-" + n_of(400, '9'), refused),
                      same(n_of(10'000, '9'), refused), same("-" + n_of(10'000, '9'), refused),
                      same(n_of(10'000, 'x'), refused), same("1" + n_of(9'999, 'a'), refused),
                      same(n_of(10'000, ' '), refused), same(n_of(400, '0') + "7", 7),
                      same(n_of(9'999, '0') + "7", 7), same("0." + n_of(400, '0') + "1", 0),
                      same("2." + n_of(10'000, '4'), 2), same("2.5" + n_of(10'000, '0'), 2),
                      same("2.5" + n_of(9'998, '0') + "1", 3),
                      same("0.5" + n_of(400, '0') + "1", 1), same("1.4" + n_of(400, '9'), 1),
                      same(n_of(5'000, ' ') + "255" + n_of(5'000, '\t'), 255)));

TEST(Int16ToText, PlainDigitsWithMinusOnlyWhenNegative) {
    const std::pair<std::int16_t, const char*> rows[] = {
        {0, "0"}, {7, "7"}, {255, "255"}, {-1, "-1"}, {32767, "32767"}, {-32768, "-32768"}};
    for (const auto& [value, text] : rows) EXPECT_EQ(int16_to_text(value), text);
}

}  // namespace
}  // namespace quellbox::link
