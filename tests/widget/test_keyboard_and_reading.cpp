// The window without a mouse and without sight: every control the Tab key reaches shows that it
// has the focus, Return presses a focused button as Space does, every control has a name a
// screen reader can say, and each field is tied to its label.

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QApplication>
#include <QImage>
#include <algorithm>

#include "form_fixture.h"

namespace quellbox::test {
namespace {

class Keyboard : public FormTest {
  protected:
    void SetUp() override {
        form.show();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    }
    // Every control the Tab key reaches, in its order.
    std::vector<QWidget*> focusable() const {
        std::vector<QWidget*> out = {chuankou_num(),    button("open_comm"), add(),
                                     button("openall"), button("closeall"),  VScroll1(),
                                     VScroll2()};
        for (int n = 1; n <= 16; ++n) out.push_back(Picture1(n));
        return out;
    }
    static QImage looks_of(QWidget* widget) {
        QCoreApplication::processEvents();
        return widget->grab().toImage();
    }
};

// The focus starts in the port field; Tab walks the controls in their order and round again,
// and each shows that it has the focus.
TEST_F(Keyboard, TabWalksEveryControlInOrderAndEachShowsItsFocus) {
    ASSERT_EQ(QApplication::focusWidget(), chuankou_num());
    std::vector<QWidget*> chain = focusable();
    std::rotate(chain.begin(), chain.begin() + 1, chain.end());
    for (QWidget* control : chain) {
        const QImage without = looks_of(control);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), control) << control->objectName().toStdString();
        EXPECT_NE(looks_of(control), without)
            << control->objectName().toStdString() << " looks the same with the focus";
    }
}

TEST_F(Keyboard, ReturnEnterAndSpacePressTheFocusedButtonAlike) {
    for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter}) {
        SCOPED_TRACE(key);
        button("open_comm")->setFocus(Qt::TabFocusReason);
        QTest::keyClick(button("open_comm"), key);
        ASSERT_TRUE(port.is_open());

        QTest::keyClick(button("openall"), key);
        tick();
        EXPECT_EQ(last_frame(), "55 01 13 00 00 FF FF 67");
        QTest::keyClick(button("closeall"), key);
        tick();
        EXPECT_EQ(last_frame(), "55 01 13 00 00 00 00 69");

        QTest::keyClick(button("open_comm"), key);
        EXPECT_FALSE(port.is_open());
    }
}

using ScreenReader = FormTest;

TEST_F(ScreenReader, EveryControlHasANameAndEachFieldIsTiedToItsLabel) {
    const std::vector<std::pair<QWidget*, QString>> named = {
        {chuankou_num(), QStringLiteral("串口号")},
        {add(), QStringLiteral("模块地址")},
        {VScroll2(), QStringLiteral("串口号调节")},
        {VScroll1(), QStringLiteral("模块地址调节")},
        {button("open_comm"), QStringLiteral("打开串口")},
        {button("openall"), QStringLiteral("吸合所有")},
        {button("closeall"), QStringLiteral("断开所有")},
    };
    for (const auto& [control, name] : named) {
        QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(control);
        ASSERT_NE(reader, nullptr);
        EXPECT_EQ(reader->text(QAccessible::Name), name) << control->objectName().toStdString();
    }

    for (const auto& [field, label] : {std::pair{chuankou_num(), "Label3"}, {add(), "Label5"}}) {
        QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(field);
        QAccessibleInterface* label_reader =
            QAccessible::queryAccessibleInterface(control<QLabel>(QString::fromLatin1(label)));
        bool tied = false;
        for (const auto& [other, relation] : reader->relations(QAccessible::Label)) {
            tied = tied || other->object() == label_reader->object();
        }
        EXPECT_TRUE(tied) << field->objectName().toStdString() << " is not tied to " << label;
    }
}

TEST_F(ScreenReader, SpinBarsReadAndTakeTheNumberTheirFieldShows) {
    paste(add(), QStringLiteral("7"));
    QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(VScroll1());
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->role(), QAccessible::SpinBox);
    QAccessibleValueInterface* value = reader->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->currentValue().toInt(), 7);
    EXPECT_EQ(reader->text(QAccessible::Value), QStringLiteral("7"));
    EXPECT_EQ(value->minimumValue().toInt(), 0);
    EXPECT_EQ(value->maximumValue().toInt(), 255);
    value->setCurrentValue(12);
    EXPECT_EQ(add()->text(), QStringLiteral("12"));
}

}  // namespace
}  // namespace quellbox::test
