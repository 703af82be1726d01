// The 16 channels: exact colour read-back, what is painted for each value, and clicks on
// indicators, captions and the other labels, observed through the frame the next tick writes.
// Which look asks for what is the unit tests' business; here it is how a click gets there.

#include <QImage>

#include "form_fixture.h"

namespace quellbox::test {
namespace {

using ChannelColours = FormTest;

TEST_F(ChannelColours, ReadBackIsExactlyTheValueWritten) {
    for (controller::Colour value : {green, red, yellow, grey_text, controller::Colour{0x123456}}) {
        for (int n = 1; n <= 16; ++n) {
            form.set_indicator_colour(n, value);
            EXPECT_EQ(form.indicator_colour(n), value) << std::hex << value << " channel " << n;
        }
    }
}

TEST_F(ChannelColours, PaintsRgbValuesWithRedInTheLowByteAndGreyTextAsAGrey) {
    const std::pair<controller::Colour, QColor> looks[] = {
        {green, QColor(0, 255, 0)},
        {red, QColor(255, 0, 0)},
        {yellow, QColor(255, 255, 0)},
        {0x563412, QColor(0x12, 0x34, 0x56)},
    };
    ui::IndicatorBox* box = Picture1(5);
    auto painted = [box] { return QColor(box->grab().toImage().pixel(bare_part_of(box))); };
    for (const auto& [value, expected] : looks) {
        form.set_indicator_colour(5, value);
        EXPECT_EQ(painted(), expected) << std::hex << value;
    }
    form.set_indicator_colour(5, grey_text);
    const QColor grey = painted();
    for (const auto& look : looks) EXPECT_NE(grey, look.second);
    EXPECT_LT(grey.hsvSaturation(), 40) << grey.name().toStdString();
}

// ---- clicks ----

class ChannelClicks : public FormTest {
  protected:
    void SetUp() override { open_port(); }
    // The frame the next tick sends.
    std::string next_frame() {
        tick();
        return last_frame();
    }
    static constexpr const char* status_query = "55 01 10 00 00 00 00 66";
};

TEST_F(ChannelClicks, IndicatorAndCaptionClicksToggleByTheCurrentColour) {
    form.set_indicator_colour(12, green);
    click_at(Picture1(12), bare_part_of(Picture1(12)));
    EXPECT_EQ(next_frame(), "55 01 11 00 00 00 0C 73");

    form.set_indicator_colour(3, red);
    click_at(Picture1(3), bare_part_of(Picture1(3)));
    EXPECT_EQ(next_frame(), "55 01 12 00 00 00 03 6B");

    form.set_indicator_colour(16, red);
    click(Label2(16));
    EXPECT_EQ(next_frame(), "55 01 12 00 00 00 10 78");
}

TEST_F(ChannelClicks, OnlyALeftPressAndReleaseInsideOrTheKeyboardClick) {
    form.set_indicator_colour(6, green);
    QTest::mousePress(Picture1(6), Qt::LeftButton, {}, bare_part_of(Picture1(6)));
    QTest::mouseRelease(Picture1(6), Qt::LeftButton, {}, QPoint(-10, -10));
    EXPECT_EQ(next_frame(), status_query) << "released outside";
    QTest::mouseClick(Picture1(6), Qt::RightButton, {}, bare_part_of(Picture1(6)));
    EXPECT_EQ(next_frame(), status_query) << "right button";

    for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Return}) {
        form.set_indicator_colour(10, green);
        QTest::keyClick(Picture1(10), key);
        EXPECT_EQ(next_frame(), "55 01 11 00 00 00 0A 71") << key;
    }
}

TEST_F(ChannelClicks, NameLabelsAndFieldLabelsDoNothing) {
    for (int n = 1; n <= 16; ++n) form.set_indicator_colour(n, green);
    for (int n = 1; n <= 16; ++n) click(Label4(n));
    click(control<QLabel>(QStringLiteral("Label3")));
    click(control<QLabel>(QStringLiteral("Label5")));
    EXPECT_EQ(next_frame(), status_query);
}

}  // namespace
}  // namespace quellbox::test
