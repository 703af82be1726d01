// The window on a real X server, read back from the screen: what the operator actually sees.
// The board is an in-memory port that answers every poll with the same relay map.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <functional>

#include "support/fake_serial_port.h"
#include "ui/main_form.h"

namespace quellbox::test {
namespace {

const QColor green(0, 255, 0), red(255, 0, 0), yellow(255, 255, 0);

// What the indicators show before opening, and with the board's report (1 and 16 energized).
QColor not_known(int) {
    return yellow;
}
QColor status(int n) {
    return n == 1 || n == 16 ? green : red;
}

class RenderOnX : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
        // The board: every command frame gets a status frame for channels 1 and 16 energized.
        port.on_call = [this](const std::string& call) {
            if (call != "output") return;
            QTimer::singleShot(0, &form, [this] {
                port.feed({0x22, 0x01, 0x00, 0x00, 0x00, 0x80, 0x01, 0xA4});
                port.raise_comm();
            });
        };
        form.centre_on_screen();
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }

    QWidget* child(const QString& name) const { return form.findChild<QWidget*>(name); }
    QWidget* box(int n) const { return child(QStringLiteral("Picture1_%1").arg(n)); }

    // The whole screen as the X server holds it, in device pixels.
    static QImage screen() { return QGuiApplication::primaryScreen()->grabWindow(0).toImage(); }
    static QPoint on_screen(const QImage& shot, const QWidget* widget, QPoint at) {
        return widget->mapToGlobal(at) * shot.devicePixelRatio();
    }
    // Inside indicator n, clear of its border and of the caption below.
    QColor indicator_pixel(const QImage& shot, int n) const {
        const QWidget* b = box(n);
        return shot.pixelColor(on_screen(shot, b, QPoint(b->width() / 2, 5)));
    }
    std::string indicator_pixels(const QImage& shot) const {
        std::string out;
        for (int n = 1; n <= 16; ++n) out += indicator_pixel(shot, n).name().toStdString() + ' ';
        return out;
    }
    // Every caption has strokes in it: near-black pixels inside its label.
    void expect_caption_strokes(const QImage& shot) const {
        for (int n = 1; n <= 16; ++n) {
            const QWidget* caption = child(QStringLiteral("Label2_%1").arg(n));
            const QRect area(on_screen(shot, caption, {0, 0}),
                             caption->size() * shot.devicePixelRatio());
            int dark = 0;
            for (int y = area.top(); y <= area.bottom(); ++y) {
                for (int x = area.left(); x <= area.right(); ++x) {
                    const QColor c = shot.pixelColor(x, y);
                    dark += c.red() < 60 && c.green() < 60 && c.blue() < 60 ? 1 : 0;
                }
            }
            EXPECT_GT(dark, 40) << "caption " << n;
        }
    }

    // Grabs the screen until `ready` holds for the grab (the X server may lag behind Qt).
    QImage screen_when(const std::function<bool(const QImage&)>& ready) const {
        QImage shot = screen();
        for (int tries = 0; tries < 200 && !ready(shot); ++tries) {
            QTest::qWait(25);
            shot = screen();
        }
        return shot;
    }
    QImage screen_showing(const std::function<QColor(int)>& expected) const {
        return screen_when([&](const QImage& shot) {
            for (int n = 1; n <= 16; ++n) {
                if (indicator_pixel(shot, n) != expected(n)) return false;
            }
            return true;
        });
    }
    void save(const QImage& shot, const char* name) const {
        const QString path = QDir(QCoreApplication::applicationDirPath())
                                 .filePath(QStringLiteral("render-%1.png").arg(name));
        const QRect window(on_screen(shot, &form, {0, 0}), form.size() * shot.devicePixelRatio());
        ASSERT_TRUE(shot.copy(window).save(path));
        std::printf("screenshot: %s\n", qPrintable(path));
    }

    std::unique_ptr<FakeSerialPort> handed_over = std::make_unique<FakeSerialPort>();
    FakeSerialPort& port = *handed_over;  // owned by the window
    ui::MainForm form{std::move(handed_over)};
};

TEST_F(RenderOnX, IndicatorsShowExactlyTheLookColoursUnderTheirCaptions) {
    struct Stage {
        const char* name;
        QColor (*expected)(int);
    };
    // Design-time, then opened with the board's report: each within a bounded wait.
    for (const Stage& stage : {Stage{"design-time", not_known}, Stage{"status", status}}) {
        if (stage.expected == status) QTest::mouseClick(child("open_comm"), Qt::LeftButton);
        const QImage shot = screen_showing(stage.expected);
        for (int n = 1; n <= 16; ++n) {
            EXPECT_EQ(indicator_pixel(shot, n), stage.expected(n))
                << stage.name << " channel " << n << ": " << indicator_pixels(shot);
        }
        expect_caption_strokes(shot);
        save(shot, stage.name);
    }

    QTest::mouseClick(child("open_comm"), Qt::LeftButton);  // close
    const QImage shot = screen_when([&](const QImage& s) {
        for (int n = 1; n <= 16; ++n) {
            if (indicator_pixel(s, n) == status(n)) return false;
        }
        return true;
    });
    save(shot, "port-closed");
    const QColor grey = indicator_pixel(shot, 1);
    for (const QColor& look : {green, red, yellow}) EXPECT_NE(grey, look) << indicator_pixels(shot);
    EXPECT_LT(grey.hsvSaturation(), 40) << grey.name().toStdString();
    for (int n = 2; n <= 16; ++n) EXPECT_EQ(indicator_pixel(shot, n), grey) << n;
    expect_caption_strokes(shot);
}

}  // namespace
}  // namespace quellbox::test
