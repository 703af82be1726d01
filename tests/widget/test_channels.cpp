// The 16 channels: exact colour read-back, what is painted for each value, and clicks on
// indicators, captions and name labels, observed through the frame the next tick writes.

#include <QImage>

#include "form_fixture.h"

namespace quellbox::test {
namespace {

constexpr ui::Colour green = 0x00FF00;   // RGB(0, 255, 0): energized
constexpr ui::Colour red = 0x0000FF;     // RGB(255, 0, 0): released
constexpr ui::Colour yellow = 0x00FFFF;  // RGB(255, 255, 0): not known
constexpr ui::Colour grey_text = 0x80000011;

using ChannelColours = FormTest;

TEST_F(ChannelColours, ReadBackIsExactlyTheValueWritten) {
    for (ui::Colour value : {green, red, yellow, grey_text, ui::Colour{0x123456}}) {
        for (int n = 1; n <= 16; ++n) {
            form.set_indicator_colour(n, value);
            EXPECT_EQ(form.indicator_colour(n), value) << std::hex << value << " channel " << n;
        }
    }
}

TEST_F(ChannelColours, PaintsRgbValuesWithRedInTheLowByte) {
    const std::pair<ui::Colour, QColor> looks[] = {
        {green, QColor(0, 255, 0)},
        {red, QColor(255, 0, 0)},
        {yellow, QColor(255, 255, 0)},
        {0x563412, QColor(0x12, 0x34, 0x56)},
    };
    ui::IndicatorBox* box = Picture1(5);
    for (const auto& [value, expected] : looks) {
        form.set_indicator_colour(5, value);
        const QImage image = box->grab().toImage();
        EXPECT_EQ(QColor(image.pixel(bare_part_of(box))), expected) << std::hex << value;
    }
}

TEST_F(ChannelColours, GreyTextIsPaintedAsAGreyNoChannelStateUses) {
    form.set_indicator_colour(2, grey_text);
    const QColor painted(Picture1(2)->grab().toImage().pixel(bare_part_of(Picture1(2))));
    for (const QColor& state : {QColor(0, 255, 0), QColor(255, 0, 0), QColor(255, 255, 0)}) {
        EXPECT_NE(painted, state);
    }
    EXPECT_LT(painted.hsvSaturation(), 40) << painted.name().toStdString();
}

// ---- clicks ----

class ChannelClicks : public FormTest {
  protected:
    void SetUp() override {
        open_port();
        // The window's timer would tick by itself only if the event loop ran; these tests
        // deliver each tick by hand.
        port.written.clear();
    }
    // Byte 2 (command), 5 and 6 (data) of the frame the next tick sends.
    std::array<int, 3> next_command() {
        tick();
        const auto frame = last_frame();
        if (frame.size() != 8) return {-1, -1, -1};
        return {frame[2], frame[5], frame[6]};
    }
    static constexpr std::array<int, 3> status_query{0x10, 0x00, 0x00};
};

TEST_F(ChannelClicks, IndicatorClickTogglesByTheCurrentColour) {
    form.set_indicator_colour(12, green);
    click_at(Picture1(12), bare_part_of(Picture1(12)));
    EXPECT_EQ(next_command(), (std::array<int, 3>{0x11, 0x00, 12}));

    form.set_indicator_colour(3, red);
    click_at(Picture1(3), bare_part_of(Picture1(3)));
    EXPECT_EQ(next_command(), (std::array<int, 3>{0x12, 0x00, 3}));
}

TEST_F(ChannelClicks, CaptionClickAsksForTheSameAsAnIndicatorClick) {
    for (int n : {1, 9, 16}) {
        form.set_indicator_colour(n, red);
        click(Label2(n));
        const auto from_caption = next_command();
        // With no status frame coming in, that tick turned the channel back to not known.
        form.set_indicator_colour(n, red);
        click_at(Picture1(n), bare_part_of(Picture1(n)));
        const auto from_indicator = next_command();
        EXPECT_EQ(from_caption, (std::array<int, 3>{0x12, 0x00, n}));
        EXPECT_EQ(from_caption, from_indicator);
    }
}

TEST_F(ChannelClicks, ChannelsWithoutAKnownStateAskForNothing) {
    click(Label2(7));  // yellow since the port was opened
    EXPECT_EQ(next_command(), status_query);
    form.set_indicator_colour(7, grey_text);
    click_at(Picture1(7), bare_part_of(Picture1(7)));
    EXPECT_EQ(next_command(), status_query);
}

TEST_F(ChannelClicks, ReleasingOutsideTheIndicatorIsNoClick) {
    form.set_indicator_colour(6, green);
    QTest::mousePress(Picture1(6), Qt::LeftButton, {}, bare_part_of(Picture1(6)));
    QTest::mouseRelease(Picture1(6), Qt::LeftButton, {}, QPoint(-10, -10));
    EXPECT_EQ(next_command(), status_query);

    QTest::mouseClick(Picture1(6), Qt::RightButton, {}, bare_part_of(Picture1(6)));
    EXPECT_EQ(next_command(), status_query);
}

TEST_F(ChannelClicks, SpaceOnAFocusedIndicatorClicksIt) {
    form.set_indicator_colour(10, green);
    QTest::keyClick(Picture1(10), Qt::Key_Space);
    EXPECT_EQ(next_command(), (std::array<int, 3>{0x11, 0x00, 10}));
    form.set_indicator_colour(10, green);
    QTest::keyClick(Picture1(10), Qt::Key_Return);
    EXPECT_EQ(next_command(), (std::array<int, 3>{0x11, 0x00, 10}));
}

TEST_F(ChannelClicks, NameLabelsAndFieldLabelsDoNothing) {
    for (int n = 1; n <= 16; ++n) form.set_indicator_colour(n, green);
    for (int n = 1; n <= 16; ++n) click(Label4(n));
    click(control<QLabel>(QStringLiteral("Label3")));
    click(control<QLabel>(QStringLiteral("Label5")));
    for (int n = 1; n <= 16; ++n) EXPECT_EQ(form.indicator_colour(n), green) << n;
    EXPECT_FALSE(form.logic().command_pending());
    EXPECT_EQ(next_command(), status_query);
}

TEST_F(ChannelClicks, AllButtonsQueueTheSetAllCommands) {
    click(button("openall"));
    EXPECT_EQ(next_command(), (std::array<int, 3>{0x13, 0xFF, 0xFF}));
    click(button("closeall"));
    EXPECT_EQ(next_command(), (std::array<int, 3>{0x13, 0x00, 0x00}));
}

TEST_F(ChannelClicks, AStatusFrameFromThePortPaintsEveryChannel) {
    port.feed({0x22, 0x00, 0x00, 0x00, 0x00, 0x80, 0x01, 0xA3});  // channels 16 and 1 on
    port.raise_comm();
    for (int n = 1; n <= 16; ++n) {
        const bool on = n == 1 || n == 16;
        EXPECT_EQ(form.indicator_colour(n), on ? green : red) << n;
        EXPECT_EQ(Label2(n)->text(), on ? QStringLiteral("  吸合") : QStringLiteral("  断开")) << n;
    }
    const QImage image = Picture1(16)->grab().toImage();
    EXPECT_EQ(QColor(image.pixel(bare_part_of(Picture1(16)))), QColor(0, 255, 0));
}

}  // namespace
}  // namespace quellbox::test
