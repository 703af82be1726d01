// The two numeric fields with their spin bars: the arrows, the refusal of values outside 0 to
// 255, and the exchange between text and bar driven by real edits and clicks.

#include <QSignalSpy>

#include "link/port_resolver.h"

#include "form_fixture.h"

namespace quellbox::test {
namespace {

// ---- the spin bar on its own ----

class SpinBarAlone : public ::testing::Test {
  protected:
    QWidget parent;
    ui::SpinBar bar{1, &parent};
};

TEST_F(SpinBarAlone, RefusesValuesOutsideItsRangeAndKeepsTheOldOne) {
    QSignalSpy changes(&bar, &ui::SpinBar::spin_value_changed);
    for (std::int16_t outside :
         {std::int16_t{-1}, std::int16_t{256}, std::int16_t{-32768}, std::int16_t{32767}}) {
        EXPECT_FALSE(bar.set_spin_value(outside)) << outside;
        EXPECT_EQ(bar.spin_value(), 1);
    }
    EXPECT_EQ(changes.count(), 0);
    EXPECT_TRUE(bar.set_spin_value(0));
    EXPECT_TRUE(bar.set_spin_value(255));
    EXPECT_EQ(bar.spin_value(), 255);
}

TEST_F(SpinBarAlone, RaisesOneChangePerNewValueAndNoneForTheSameValue) {
    QSignalSpy changes(&bar, &ui::SpinBar::spin_value_changed);
    bar.set_spin_value(1);
    EXPECT_EQ(changes.count(), 0);
    bar.set_spin_value(42);
    EXPECT_EQ(changes.count(), 1);  // synchronously, before the write returned
    EXPECT_EQ(bar.spin_value(), 42);
}

TEST_F(SpinBarAlone, UpKeyCountsUpLikeTheUpperArrow) {
    QTest::keyClick(&bar, Qt::Key_Up);
    EXPECT_EQ(bar.spin_value(), 2);
    QTest::keyClick(&bar, Qt::Key_Down);
    QTest::keyClick(&bar, Qt::Key_Down);
    EXPECT_EQ(bar.spin_value(), 0);
}

// ---- arrows on the window's bars ----

using SpinArrows = FormTest;

TEST_F(SpinArrows, UpperArrowIsAtTheTopAndRaisesTheValue) {
    ui::SpinBar* bar = VScroll1();
    ASSERT_LT(upper_arrow(bar).y(), bar->height() / 2);
    ASSERT_GT(lower_arrow(bar).y(), bar->height() / 2);

    click_at(bar, upper_arrow(bar));
    EXPECT_EQ(form.vscroll1_value(), 2);
    EXPECT_EQ(add()->text(), QStringLiteral("2"));

    click_at(bar, lower_arrow(bar));
    click_at(bar, lower_arrow(bar));
    EXPECT_EQ(form.vscroll1_value(), 0);
    EXPECT_EQ(add()->text(), QStringLiteral("0"));
}

TEST_F(SpinArrows, ArrowsAtTheEndsOfTheRangeChangeNothing) {
    ui::SpinBar* bar = VScroll2();
    click_at(bar, lower_arrow(bar));
    ASSERT_EQ(chuankou_num()->text(), QStringLiteral("0"));
    click_at(bar, lower_arrow(bar));
    EXPECT_EQ(form.vscroll2_value(), 0);
    EXPECT_EQ(chuankou_num()->text(), QStringLiteral("0"));

    paste(chuankou_num(), QStringLiteral("255"));
    ASSERT_EQ(form.vscroll2_value(), 255);
    click_at(bar, upper_arrow(bar));
    EXPECT_EQ(form.vscroll2_value(), 255);
    EXPECT_EQ(chuankou_num()->text(), QStringLiteral("255"));
}

// ---- text to bar and back ----

using FieldExchange = FormTest;

TEST_F(FieldExchange, TypedNumberMovesTheBar) {
    add()->selectAll();
    QTest::keyClicks(add(), QStringLiteral("12"));
    EXPECT_EQ(form.vscroll1_value(), 12);
    EXPECT_EQ(add()->text(), QStringLiteral("12"));

    // The address field's number goes into every frame.
    open_port();
    tick();
    ASSERT_EQ(last_frame().size(), 8u);
    EXPECT_EQ(last_frame()[1], 12);
}

TEST_F(FieldExchange, TextThatMovesTheBarIsRewrittenInPlainDigits) {
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("007"), QStringLiteral("7")},
        {QStringLiteral(" 9"), QStringLiteral("9")},
        {QStringLiteral("+20"), QStringLiteral("20")},
        {QStringLiteral("3.5"), QStringLiteral("4")},
        {QStringLiteral("2.5"), QStringLiteral("2")},
        {QStringLiteral("255"), QStringLiteral("255")},
    };
    for (const auto& [pasted, shown] : cases) {
        SCOPED_TRACE(pasted.toStdString());
        paste(add(), QStringLiteral("1"));  // the bar elsewhere before each paste
        paste(add(), pasted);
        EXPECT_EQ(add()->text(), shown);
        EXPECT_EQ(form.vscroll1_value(), shown.toInt());
    }
}

TEST_F(FieldExchange, TextEqualToTheBarsValueStaysAsWritten) {
    paste(add(), QStringLiteral("1.0"));
    EXPECT_EQ(add()->text(), QStringLiteral("1.0"));
    EXPECT_EQ(form.vscroll1_value(), 1);
    paste(chuankou_num(), QStringLiteral("01"));
    EXPECT_EQ(chuankou_num()->text(), QStringLiteral("01"));
    EXPECT_EQ(form.vscroll2_value(), 1);
}

TEST_F(FieldExchange, RefusedTextStaysAsTypedMarkedAndKeepsTheBar) {
    const QColor refused_colour(Qt::red);
    for (const QString& text : {QStringLiteral("abc"), QStringLiteral("300"), QStringLiteral("-1"),
                                QStringLiteral("99999")}) {
        SCOPED_TRACE(text.toStdString());
        paste(add(), QStringLiteral("7"));
        paste(add(), text);
        EXPECT_EQ(add()->text(), text);
        EXPECT_EQ(form.vscroll1_value(), 7);
        EXPECT_EQ(add()->palette().color(QPalette::Active, QPalette::Text), refused_colour);
    }

    paste(add(), QStringLiteral("7"));
    clear_by_typing(add());
    EXPECT_EQ(add()->text(), QString());
    EXPECT_EQ(form.vscroll1_value(), 7);
    EXPECT_EQ(add()->palette().color(QPalette::Active, QPalette::Text), refused_colour);

    // Typing a good number afterwards takes it over and clears the mark.
    QTest::keyClicks(add(), QStringLiteral("5"));
    EXPECT_EQ(add()->text(), QStringLiteral("5"));
    EXPECT_EQ(form.vscroll1_value(), 5);
    EXPECT_EQ(add()->palette().color(QPalette::Active, QPalette::Text), QColor(Qt::black));
}

TEST_F(FieldExchange, PortFieldRefusesLikeTheAddressField) {
    paste(chuankou_num(), QStringLiteral("256"));
    EXPECT_EQ(form.vscroll2_value(), 1);
    EXPECT_EQ(chuankou_num()->palette().color(QPalette::Active, QPalette::Text), QColor(Qt::red));
    EXPECT_EQ(add()->palette().color(QPalette::Active, QPalette::Text), QColor(Qt::black));
}

TEST_F(FieldExchange, ProgramWritesRaiseTheChangeEventsToo) {
    form.set_vscroll2_value(30);
    EXPECT_EQ(chuankou_num()->text(), QStringLiteral("30"));
    form.set_port_text("40");
    EXPECT_EQ(form.vscroll2_value(), 40);
    form.set_vscroll1_value(300);  // refused by the bar: nothing moves
    EXPECT_EQ(form.vscroll1_value(), 1);
    EXPECT_EQ(add()->text(), QStringLiteral("1"));
}

TEST_F(FieldExchange, PortFieldIsDisabledWhileOpenButItsBarStillWorks) {
    paste(chuankou_num(), QStringLiteral("3"));
    open_port();
    EXPECT_EQ(port.comm_port(), 3);
    EXPECT_FALSE(chuankou_num()->isEnabled());
    EXPECT_TRUE(VScroll2()->isEnabled());
    EXPECT_EQ(button("open_comm")->text(), QStringLiteral("关闭串口"));

    // Typing does not reach a disabled field...
    QTest::keyClicks(chuankou_num(), QStringLiteral("9"));
    EXPECT_EQ(chuankou_num()->text(), QStringLiteral("3"));
    // ...but the spin bar still rewrites it.
    click_at(VScroll2(), upper_arrow(VScroll2()));
    EXPECT_EQ(chuankou_num()->text(), QStringLiteral("4"));
    EXPECT_EQ(port.comm_port(), 3);  // the open port stays the one read at opening

    click(button("open_comm"));
    EXPECT_TRUE(chuankou_num()->isEnabled());
    click(button("open_comm"));
    EXPECT_EQ(port.comm_port(), 4);
}

TEST_F(FieldExchange, PortFieldTooltipDescribesTheNumberInTheField) {
    paste(chuankou_num(), QStringLiteral("7"));
    EXPECT_EQ(chuankou_num()->toolTip(), link::describe_port(7));
    click_at(VScroll2(), upper_arrow(VScroll2()));
    EXPECT_EQ(chuankou_num()->toolTip(), link::describe_port(8));
    paste(chuankou_num(), QStringLiteral("abc"));
    EXPECT_TRUE(chuankou_num()->toolTip().contains(QStringLiteral("not a port number")));
}

}  // namespace
}  // namespace quellbox::test
