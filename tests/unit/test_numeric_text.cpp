// The reading rule for the numbers typed into the address and port fields, and the way a number
// is written back.

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
                      same("\xD9\xA1", refused) /* Arabic-Indic one */,
                      same("\xEF\xBC\x91", refused) /* fullwidth one */,
                      same(std::string("5\0", 2), refused),
                      same(std::string("\0"
                                       "5",
                                       2),
                           refused),
                      same("\n5", refused)));

// Long texts are read on their digits, never overflowed and never cut short.
INSTANTIATE_TEST_SUITE_P(Long, NumericText,
                         ::testing::Values(same(std::string(400, '9'), refused),
                                           same("-" + std::string(400, '9'), refused),
                                           same(std::string(400, '0') + "7", 7),
                                           same("0." + std::string(400, '0') + "1", 0),
                                           same("0.5" + std::string(400, '0'), 0),
                                           same("0.5" + std::string(400, '0') + "1", 1),
                                           same("1.4" + std::string(400, '9'), 1)));

TEST(Int16ToText, PlainDigitsWithMinusOnlyWhenNegative) {
    const std::pair<std::int16_t, const char*> rows[] = {
        {0, "0"}, {7, "7"}, {255, "255"}, {-1, "-1"}, {32767, "32767"}, {-32768, "-32768"}};
    for (const auto& [value, text] : rows) EXPECT_EQ(int16_to_text(value), text);
}

TEST(Int16ToText, EveryValueReadsBackUnchanged) {
    for (int v = std::numeric_limits<std::int16_t>::min();
         v <= std::numeric_limits<std::int16_t>::max(); ++v) {
        const auto value = static_cast<std::int16_t>(v);
        ASSERT_EQ(text_to_int16(int16_to_text(value)), value) << v;
    }
}

}  // namespace
}  // namespace quellbox::link
