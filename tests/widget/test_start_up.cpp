// The window as it comes up: design-time values, a few placements, fonts, window properties and
// the keyboard focus order.

#include <QFontMetrics>

#include "form_fixture.h"

namespace quellbox::test {
namespace {

using StartUp = FormTest;

TEST_F(StartUp, ComesUpInItsDesignTimeStateAndTouchesNothing) {
    for (int n = 1; n <= 16; ++n) {
        EXPECT_EQ(form.indicator_colour(n), yellow) << n;
        EXPECT_EQ(Label2(n)->text(), QStringLiteral("状态未知")) << n;
        EXPECT_EQ(Label4(n)->text(), QString::fromUtf8(channel_names[n - 1])) << n;
    }
    EXPECT_EQ(control<QLabel>(QStringLiteral("Label3"))->text(), QStringLiteral("串口号"));
    EXPECT_EQ(control<QLabel>(QStringLiteral("Label5"))->text(), QStringLiteral("模块地址"));
    for (QLineEdit* field : {add(), chuankou_num()}) {
        EXPECT_EQ(field->text(), QStringLiteral("1"));
        EXPECT_TRUE(field->isEnabled());
        EXPECT_EQ(text_colour(field), QColor(Qt::black));
    }
    EXPECT_EQ(form.vscroll1_value(), 1);
    EXPECT_EQ(form.vscroll2_value(), 1);
    EXPECT_EQ(button("open_comm")->text(), QStringLiteral("打开串口"));
    EXPECT_EQ(button("openall")->text(), QStringLiteral("吸合所有"));
    EXPECT_EQ(button("closeall")->text(), QStringLiteral("断开所有"));
    for (const char* name : {"open_comm", "openall", "closeall"}) {
        EXPECT_TRUE(button(name)->isEnabled()) << name;
    }
    EXPECT_TRUE(Timer1()->is_active()) << "the poll timer runs before any port is opened";
    EXPECT_TRUE(port.calls.empty());
}

// ---- geometry: twips / 15, worked out by hand from the layout drawing ----

TEST_F(StartUp, ControlsSitWhereTheLayoutPutsThemInAFixedWindow) {
    EXPECT_EQ(form.minimumSize(), QSize(448, 531));
    EXPECT_EQ(form.maximumSize(), QSize(448, 531));
    const std::pair<const char*, QRect> placements[] = {
        {"chuankou_num", {112, 8, 41, 25}},
        {"VScroll2", {152, 8, 25, 25}},
        {"add", {112, 56, 46, 25}},
        {"VScroll1", {154, 56, 25, 25}},
        {"closeall", {240, 496, 97, 25}},
        // Left column top to bottom, right column bottom to top.
        {"Picture1_1", {72, 104, 89, 41}},
        {"Picture1_8", {72, 440, 89, 41}},
        {"Picture1_9", {256, 440, 89, 41}},
        {"Picture1_16", {256, 104, 89, 41}},
        {"Label4_8", {8, 448, 65, 25}},
        {"Label4_14", {352, 208, 97, 25}},
    };
    for (const auto& [name, rect] : placements) {
        EXPECT_EQ(control<QWidget>(QString::fromLatin1(name))->geometry(), rect) << name;
    }
    // The caption lies on its indicator, inside the sunken border, and lets its colour show.
    for (int n : {1, 16}) {
        const ui::IndicatorBox* box = Picture1(n);
        EXPECT_EQ(Label2(n)->parentWidget(), box) << n;
        EXPECT_EQ(Label2(n)->geometry(),
                  QRect(box->contentsRect().topLeft() + QPoint(0, 8), QSize(81, 25)))
            << n;
        EXPECT_FALSE(Label2(n)->autoFillBackground()) << n;
    }
    EXPECT_EQ(Picture1(1)->frameShadow(), QFrame::Sunken);
}

// ---- fonts ----

TEST_F(StartUp, TextUsesSongTypefaceInTwoPixelSizes) {
    const std::pair<const char*, int> sizes[] = {
        {"Label3", 21}, {"open_comm", 21}, {"closeall", 21},  {"chuankou_num", 20},
        {"add", 20},    {"Label2_1", 20},  {"Label4_16", 20},
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
    const QString all_text =
        QStringLiteral("状态未知吸合断开串口号模块地址打开关闭所有第一二三四五六七八九十路");
    const QFontMetrics metrics(Label2(1)->font());
    for (const QChar c : all_text) EXPECT_TRUE(metrics.inFont(c)) << QString(c).toStdString();
}

// ---- the window itself ----

TEST_F(StartUp, WindowCarriesCaptionAndIconAndNoMaximizeBox) {
    EXPECT_EQ(form.windowTitle(), QStringLiteral("QuellboxV6  https://quellbox.example.org"));
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(form.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(form.windowIcon().pixmap(QSize(32, 32)).size(), QSize(32, 32));
}

TEST_F(StartUp, CentringPutsTheWindowInTheMiddleOfItsScreen) {
    form.centre_on_screen();
    const QRect screen = form.screen()->availableGeometry();
    EXPECT_LE(std::abs(form.frameGeometry().center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(form.frameGeometry().center().y() - screen.center().y()), 1);
}

}  // namespace
}  // namespace quellbox::test
