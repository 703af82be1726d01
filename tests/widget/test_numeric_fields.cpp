// The two numeric fields with their spin bars, driven by real edits, keys and clicks: the bar's
// range and arrows, that typing and program writes both raise the change events the logic's
// exchange relies on, and that refused text is shown as such. Which texts are refused and what
// they read as is the unit tests' business.

#include <QSignalSpy>

#include "link/port_resolver.h"

#include "form_fixture.h"

namespace quellbox::test {
namespace {

TEST(SpinBarAlone, RefusesValuesOutsideItsRangeAndRaisesOneChangePerNewValue) {
    QWidget parent;
    ui::SpinBar bar{1, &parent};
    QSignalSpy changes(&bar, &ui::SpinBar::spin_value_changed);
    for (const std::int16_t outside : {-1, 256, -32768, 32767}) {
        EXPECT_FALSE(bar.set_spin_value(outside)) << outside;
        EXPECT_EQ(bar.spin_value(), 1);
    }
    bar.set_spin_value(1);
    EXPECT_EQ(changes.count(), 0);
    EXPECT_TRUE(bar.set_spin_value(255));
    EXPECT_EQ(changes.count(), 1);  // synchronously, before the write returned
    QTest::keyClick(&bar, Qt::Key_Down);
    EXPECT_EQ(bar.spin_value(), 254);
    QTest::keyClick(&bar, Qt::Key_Up);
    EXPECT_EQ(bar.spin_value(), 255);
}

using NumericFields = FormTest;

TEST_F(NumericFields, UpperArrowCountsUpLowerArrowDownAndTheEndsChangeNothing) {
    ui::SpinBar* bar = VScroll1();
    ASSERT_LT(upper_arrow(bar).y(), bar->height() / 2);
    ASSERT_GT(lower_arrow(bar).y(), bar->height() / 2);
    click_at(bar, upper_arrow(bar));
    EXPECT_EQ(add()->text(), QStringLiteral("2"));
    for (int i = 0; i < 3; ++i) click_at(bar, lower_arrow(bar));  // the third finds it at 0
    EXPECT_EQ(form.vscroll1_value(), 0);
    EXPECT_EQ(add()->text(), QStringLiteral("0"));

    paste(add(), QStringLiteral("255"));
    ASSERT_EQ(form.vscroll1_value(), 255);
    click_at(bar, upper_arrow(bar));
    EXPECT_EQ(form.vscroll1_value(), 255);
    EXPECT_EQ(add()->text(), QStringLiteral("255"));
}

TEST_F(NumericFields, TypingAndProgramWritesRaiseTheChangeEvents) {
    add()->selectAll();
    QTest::keyClicks(add(), QStringLiteral("12"));
    EXPECT_EQ(form.vscroll1_value(), 12);
    open_port();
    tick();
    EXPECT_EQ(last_frame(), "55 0C 10 00 00 00 00 71") << "the typed address goes out";

    form.set_vscroll2_value(30);
    EXPECT_EQ(chuankou_num()->text(), QStringLiteral("30"));
    form.set_port_text("40");
    EXPECT_EQ(form.vscroll2_value(), 40);
    form.set_vscroll1_value(300);  // refused by the bar: nothing moves
    EXPECT_EQ(form.vscroll1_value(), 12);
    EXPECT_EQ(add()->text(), QStringLiteral("12"));
}

// Texts no bar can take, among them some that only the window's own conversion of its text
// could spoil: other scripts' digits, a NUL inside, ten thousand digits.
// Refused text stays as typed, turns red, keeps the bar, and the field says on itself, to the
// eye (tooltip) and to a screen reader (description), what it takes.
TEST_F(NumericFields, RefusedTextIsShownRedAsTypedKeepsTheBarAndSaysWhatTheFieldTakes) {
    const QString texts[] = {QStringLiteral("300"), QStringLiteral("１２"),
                             QStringLiteral("1") + QChar(u'\0') + QStringLiteral("2"),
                             QString(40'000, QLatin1Char('9'))};  // past QLineEdit's 32767
    for (QLineEdit* field : {add(), chuankou_num()}) {
        for (const QString& text : texts) {
            SCOPED_TRACE(field->objectName().toStdString() + " " + text.left(8).toStdString());
            paste(field, QStringLiteral("7"));
            paste(field, text);
            EXPECT_EQ(field->text(), text);
            EXPECT_EQ(text_colour(field), QColor(Qt::red));
            EXPECT_EQ(field == add() ? form.vscroll1_value() : form.vscroll2_value(), 7);
            const QString told = field->accessibleDescription();
            EXPECT_TRUE(told.contains(QStringLiteral("0 到 255"))) << told.toStdString();
            EXPECT_TRUE(told.contains(QLatin1Char('"') + text.left(8))) << told.toStdString();
            EXPECT_EQ(field->toolTip(), told);
        }
        paste(field, QStringLiteral("9"));
        EXPECT_EQ(text_colour(field), QColor(Qt::black)) << "a number clears the mark";
        EXPECT_FALSE(field->toolTip().contains(QStringLiteral("不是")));
    }
    open_port();
    paste(add(), QStringLiteral("１２"));
    const std::size_t written = port.written.size();
    tick();
    EXPECT_EQ(port.written.size(), written) << "a frame went out to a refused address";
}

TEST_F(NumericFields, PortFieldIsDisabledWhileOpenButItsBarStillWorks) {
    paste(chuankou_num(), QStringLiteral("3"));
    open_port();
    EXPECT_EQ(port.comm_port(), 3);
    EXPECT_FALSE(chuankou_num()->isEnabled());
    EXPECT_TRUE(VScroll2()->isEnabled());

    QTest::keyClicks(chuankou_num(), QStringLiteral("9"));  // does not reach a disabled field
    EXPECT_EQ(chuankou_num()->text(), QStringLiteral("3"));
    click_at(VScroll2(), upper_arrow(VScroll2()));
    EXPECT_EQ(chuankou_num()->text(), QStringLiteral("4"));
    click(button("open_comm"));
    EXPECT_TRUE(chuankou_num()->isEnabled());
}

TEST_F(NumericFields, PortFieldTooltipDescribesTheNumberInTheField) {
    paste(chuankou_num(), QStringLiteral("7"));
    EXPECT_EQ(chuankou_num()->toolTip(), link::describe_port(7));
    click_at(VScroll2(), upper_arrow(VScroll2()));
    EXPECT_EQ(chuankou_num()->toolTip(), link::describe_port(8));
}

}  // namespace
}  // namespace quellbox::test
