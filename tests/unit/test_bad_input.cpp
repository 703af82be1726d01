// Field texts an operator can produce but the reading rule must refuse, and what the transmitter
// then does with such an address: nothing at all. Complements test_numeric_text.cpp with very long
// texts, numbers in other scripts' digits and characters that only look like blanks.

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "link/module1.h"
#include "link/numeric_text.h"
#include "support/fake_serial_port.h"
#include "support/recording_surface.h"

namespace quellbox::link {
namespace {

struct BadText {
    const char* why;
    std::string text;
};
void PrintTo(const BadText& c, std::ostream* os) {
    *os << c.why;
}

const std::string ten_thousand_nines(10'000, '9');

class RefusedAddress : public ::testing::TestWithParam<BadText> {};

TEST_P(RefusedAddress, ReadsAsNothingAndTheTransmitterSendsNothing) {
    const std::string& text = GetParam().text;
    EXPECT_EQ(text_to_int16(text), std::nullopt);
    EXPECT_EQ(text_to_int32(text), std::nullopt);

    test::FakeSerialPort port;
    test::RecordingSurface surface;
    Module1 module{port, surface};
    port.open();
    port.calls.clear();
    port.feed({0x22, 0x01});
    surface.add = text;
    EXPECT_EQ(module.send_frame(cmd_status_query, 0, 0), SendOutcome::bad_address);
    EXPECT_TRUE(port.calls.empty()) << "neither cleared nor written";
    EXPECT_EQ(port.incoming.size(), 2U);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, RefusedAddress,
    ::testing::Values(BadText{"ten_thousand_nines", ten_thousand_nines},
                      BadText{"ten_thousand_nines_after_a_minus", "-" + ten_thousand_nines},
                      BadText{"ten_thousand_letters", std::string(10'000, 'x')},
                      BadText{"digit_then_ten_thousand_letters", "1" + std::string(9'999, 'a')},
                      BadText{"ten_thousand_blanks", std::string(10'000, ' ')},
                      BadText{"fullwidth_twelve", "\xEF\xBC\x91\xEF\xBC\x92"},  // "１２"
                      BadText{"arabic_indic_twelve", "\xD9\xA1\xD9\xA2"},       // "١٢"
                      BadText{"ascii_one_fullwidth_two", "1\xEF\xBC\x92"},      // "1２"
                      BadText{"devanagari_five", "\xE0\xA5\xAB"},               // "५"
                      BadText{"no_break_space_before",
                              "\xC2\xA0"
                              "5"},                                         // U+00A0
                      BadText{"ideographic_space_after", "5\xE3\x80\x80"},  // U+3000
                      BadText{"fullwidth_minus",
                              "\xEF\xBC\x8D"
                              "5"},  // "－5"
                      BadText{"carriage_return_after", "5\r"},
                      BadText{"vertical_tab_before", "\v5"}, BadText{"form_feed_before", "\f5"},
                      BadText{"delete_after", "5\x7F"}, BadText{"escape_sequence", "\x1B[A5"},
                      BadText{"nul_between_digits", std::string("1\0"
                                                                "2",
                                                                3)},
                      BadText{"nul_alone", std::string(1, '\0')}),
    [](const auto& info) { return std::string(info.param.why); });

// Long texts are judged on what they say, not cut at some length: a value hidden behind ten
// thousand zeros is still that value, and a fraction ten thousand digits long still rounds.
TEST(LongText, IsReadWholeAndRoundedOnAllItsDigits) {
    EXPECT_EQ(text_to_int16(std::string(9'999, '0') + "7"), 7);
    EXPECT_EQ(text_to_int16("2." + std::string(10'000, '4')), 2);
    EXPECT_EQ(text_to_int16("2.5" + std::string(10'000, '0')), 2);
    EXPECT_EQ(text_to_int16("2.5" + std::string(9'998, '0') + "1"), 3);
    EXPECT_EQ(text_to_int32(std::string(5'000, ' ') + "255" + std::string(5'000, '\t')), 255);
}

}  // namespace
}  // namespace quellbox::link
