// The window as it comes up: design-time values, geometry, fonts, window properties and the
// keyboard focus order.

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>

#include "form_fixture.h"

namespace quellbox::test {
namespace {

using StartUp = FormTest;

TEST_F(StartUp, EveryChannelShowsTheNotKnownLook) {
    for (int n = 1; n <= 16; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(form.indicator_colour(n), 0x00FFFFu);
        EXPECT_EQ(Label2(n)->text(), QStringLiteral("状态未知"));
    }
}

TEST_F(StartUp, FieldsButtonsAndTimerAreInTheirDesignTimeState) {
    EXPECT_EQ(add()->text(), QStringLiteral("1"));
    EXPECT_EQ(chuankou_num()->text(), QStringLiteral("1"));
    EXPECT_EQ(form.vscroll1_value(), 1);
    EXPECT_EQ(form.vscroll2_value(), 1);
    EXPECT_TRUE(chuankou_num()->isEnabled());
    EXPECT_TRUE(add()->isEnabled());

    EXPECT_EQ(button("open_comm")->text(), QStringLiteral("打开串口"));
    EXPECT_EQ(button("openall")->text(), QStringLiteral("吸合所有"));
    EXPECT_EQ(button("closeall")->text(), QStringLiteral("断开所有"));
    for (const char* name : {"open_comm", "openall", "closeall"}) {
        EXPECT_TRUE(button(name)->isEnabled()) << name;
    }

    // The poll timer runs before any port is opened.
    EXPECT_TRUE(Timer1()->isActive());
}

TEST_F(StartUp, LeavesThePortAloneQueuesNothingAndMarksNothingRefused) {
    EXPECT_TRUE(port.calls.empty());
    EXPECT_FALSE(form.logic().command_pending());
    EXPECT_EQ(add()->palette().color(QPalette::Active, QPalette::Text), QColor(Qt::black));
    EXPECT_EQ(chuankou_num()->palette().color(QPalette::Active, QPalette::Text), QColor(Qt::black));
}

TEST_F(StartUp, TextBoxesTakeAnyTextOfAnyLength) {
    const QString long_text(40000, QLatin1Char('7'));
    paste(add(), long_text);
    EXPECT_EQ(add()->text().size(), long_text.size());
    paste(chuankou_num(), QStringLiteral("串口 #3\t"));
    EXPECT_EQ(chuankou_num()->text(), QStringLiteral("串口 #3\t"));
}

TEST_F(StartUp, LabelsCarryTheirCaptionsAndChannelNames) {
    EXPECT_EQ(control<QLabel>(QStringLiteral("Label3"))->text(), QStringLiteral("串口号"));
    EXPECT_EQ(control<QLabel>(QStringLiteral("Label5"))->text(), QStringLiteral("模块地址"));
    const QStringList names = {
        QStringLiteral("第一路"),   QStringLiteral("第二路"),   QStringLiteral("第三路"),
        QStringLiteral("第四路"),   QStringLiteral("第五路"),   QStringLiteral("第六路"),
        QStringLiteral("第七路"),   QStringLiteral("第八路"),   QStringLiteral("第九路"),
        QStringLiteral("第十路"),   QStringLiteral("第十一路"), QStringLiteral("第十二路"),
        QStringLiteral("第十三路"), QStringLiteral("第十四路"), QStringLiteral("第十五路"),
        QStringLiteral("第十六路"),
    };
    for (int n = 1; n <= 16; ++n) EXPECT_EQ(Label4(n)->text(), names[n - 1]) << n;
}

// ---- geometry: twips / 15, worked out by hand from the layout drawing ----

struct Placement {
    const char* name;
    QRect rect;
};

TEST_F(StartUp, WindowHasAFixedClientAreaOf448By531) {
    EXPECT_EQ(form.size(), QSize(448, 531));
    EXPECT_EQ(form.minimumSize(), QSize(448, 531));
    EXPECT_EQ(form.maximumSize(), QSize(448, 531));
}

TEST_F(StartUp, ControlsSitWhereTheLayoutPutsThem) {
    const Placement placements[] = {
        {"Label3", {8, 8, 89, 25}},
        {"chuankou_num", {112, 8, 41, 25}},
        {"VScroll2", {152, 8, 25, 25}},
        {"open_comm", {256, 8, 97, 25}},
        {"Label5", {8, 56, 89, 25}},
        {"add", {112, 56, 46, 25}},
        {"VScroll1", {154, 56, 25, 25}},
        {"openall", {88, 496, 97, 25}},
        {"closeall", {240, 496, 97, 25}},
        // Left column top to bottom, right column bottom to top.
        {"Picture1_1", {72, 104, 89, 41}},
        {"Picture1_2", {72, 152, 89, 41}},
        {"Picture1_8", {72, 440, 89, 41}},
        {"Picture1_9", {256, 440, 89, 41}},
        {"Picture1_12", {256, 296, 89, 41}},
        {"Picture1_16", {256, 104, 89, 41}},
        {"Label4_1", {8, 112, 65, 25}},
        {"Label4_8", {8, 448, 65, 25}},
        {"Label4_9", {352, 448, 65, 25}},
        {"Label4_11", {352, 352, 81, 25}},
        {"Label4_13", {352, 256, 89, 25}},
        {"Label4_14", {352, 208, 97, 25}},
        {"Label4_16", {352, 112, 89, 25}},
    };
    for (const auto& [name, rect] : placements) {
        EXPECT_EQ(control<QWidget>(QString::fromLatin1(name))->geometry(), rect) << name;
    }
}

TEST_F(StartUp, CaptionLiesOnItsIndicatorInsideTheBorder) {
    for (int n : {1, 9, 16}) {
        const ui::IndicatorBox* box = Picture1(n);
        const QLabel* caption = Label2(n);
        EXPECT_EQ(caption->parentWidget(), box) << n;
        EXPECT_EQ(caption->geometry(),
                  QRect(box->contentsRect().topLeft() + QPoint(0, 8), QSize(81, 25)))
            << n;
        EXPECT_FALSE(caption->autoFillBackground()) << "the indicator's colour shows behind";
    }
    // A sunken border that leaves room for the caption.
    EXPECT_EQ(Picture1(1)->frameShadow(), QFrame::Sunken);
    EXPECT_GE(Picture1(1)->lineWidth(), 1);
}

// ---- fonts ----

TEST_F(StartUp, TextUsesSongTypefaceInTwoPixelSizes) {
    const std::pair<const char*, int> sizes[] = {
        {"Label3", 21},  {"Label5", 21},   {"open_comm", 21},
        {"openall", 21}, {"closeall", 21}, {"chuankou_num", 20},
        {"add", 20},     {"Label2_1", 20}, {"Label4_16", 20},
    };
    for (const auto& [name, pixels] : sizes) {
        const QFont font = control<QWidget>(QString::fromLatin1(name))->font();
        EXPECT_EQ(font.family(), QStringLiteral("宋体")) << name;
        EXPECT_EQ(font.pixelSize(), pixels) << name;
        EXPECT_EQ(font.weight(), QFont::Normal) << name;
        EXPECT_FALSE(font.italic() || font.underline() || font.strikeOut()) << name;
    }
}

TEST_F(StartUp, ChineseCaptionsHaveGlyphsNotBoxes) {
    // Fails on a machine without any CJK font: every caption would show as empty boxes.
    const QString all_text = QStringLiteral(
        "状态未知吸合断开串口号模块地址打开关闭所有第一二三四五"
        "六七八九十路");
    const QFontMetrics metrics(Label2(1)->font());
    for (const QChar c : all_text) EXPECT_TRUE(metrics.inFont(c)) << QString(c).toStdString();
}

// ---- the window itself ----

TEST_F(StartUp, WindowCarriesCaptionAndIconAndNoMaximizeBox) {
    EXPECT_EQ(form.windowTitle(), QStringLiteral("QuellboxV6  https://quellbox.example.org"));
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(form.windowFlags() & Qt::WindowCloseButtonHint);
    const QPixmap icon = form.windowIcon().pixmap(QSize(32, 32));
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.size(), QSize(32, 32));
}

TEST_F(StartUp, FocusStartsInThePortFieldAndTabFollowsTheControlOrder) {
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    EXPECT_EQ(QApplication::focusWidget(), chuankou_num());

    QStringList expected = {QStringLiteral("open_comm"), QStringLiteral("add"),
                            QStringLiteral("openall"),   QStringLiteral("closeall"),
                            QStringLiteral("VScroll1"),  QStringLiteral("VScroll2")};
    for (int n = 1; n <= 16; ++n) expected << QStringLiteral("Picture1_%1").arg(n);
    expected << QStringLiteral("chuankou_num");  // and round again

    for (const QString& next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        EXPECT_EQ(QApplication::focusWidget()->objectName(), next);
    }
}

TEST_F(StartUp, CentringPutsTheWindowInTheMiddleOfItsScreen) {
    form.centre_on_screen();
    const QRect screen = form.screen()->availableGeometry();
    EXPECT_LE(std::abs(form.frameGeometry().center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(form.frameGeometry().center().y() - screen.center().y()), 1);
}

}  // namespace
}  // namespace quellbox::test
