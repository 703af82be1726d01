// The channel indicators in words: each box's accessible name and description carry the
// channel's name and its state, and follow every look the logic gives it. Also what keeps
// repainting the indicators cheap: rewriting a look the box already shows repaints nothing, and
// the shortcuts taken when it does (a caption laid out once, a face drawn once) change no pixel.

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QEvent>
#include <QImage>
#include <QPalette>

#include "controller/looks.h"
#include "ui/fonts.h"

#include "form_fixture.h"

namespace quellbox::test {
namespace {

QString expected_name(int n, const char* state) {
    return QStringLiteral("%1: %2").arg(QString::fromUtf8(channel_names[n - 1]),
                                        QString::fromUtf8(state));
}

class IndicatorWords : public FormTest {
  protected:
    QString name_of(int n) const { return Picture1(n)->accessibleName(); }
    QString description_of(int n) const { return Picture1(n)->accessibleDescription(); }

    // Channels 16 and 1 energized, all others released.
    void feed_status_16_and_1() {
        port.feed({0x22, 0x00, 0x00, 0x00, 0x00, 0x80, 0x01, 0xA3});
        port.raise_comm();
    }
};

TEST_F(IndicatorWords, StatusFrameFromThePortSetsEachChannelsLookAndWords) {
    for (int n = 1; n <= 16; ++n) EXPECT_EQ(name_of(n), expected_name(n, "状态未知")) << n;
    open_port();
    feed_status_16_and_1();
    for (int n = 1; n <= 16; ++n) {
        const bool on = n == 1 || n == 16;
        const char* state = on ? "吸合" : "断开";
        EXPECT_EQ(form.indicator_colour(n), on ? green : red) << n;
        EXPECT_EQ(Label2(n)->text(), QStringLiteral("  ") + QString::fromUtf8(state)) << n;
        EXPECT_EQ(name_of(n), expected_name(n, state)) << "channel " << n;
        EXPECT_TRUE(description_of(n).startsWith(expected_name(n, state)))
            << description_of(n).toStdString();
    }
    // The description also says what a press would do, which differs between the two states.
    EXPECT_NE(description_of(1).mid(name_of(1).size()), description_of(2).mid(name_of(2).size()));
}

TEST_F(IndicatorWords, ClosedPortIsToldApartFromAnUnknownState) {
    open_port();
    feed_status_16_and_1();
    click(button("open_comm"));
    ASSERT_FALSE(port.is_open());
    for (int n = 1; n <= 16; ++n) {
        EXPECT_EQ(name_of(n), expected_name(n, "状态未知 (串口已关闭)")) << "channel " << n;
    }
}

TEST_F(IndicatorWords, AssistiveTechnologySeesAButtonWhosePressIsAClick) {
    open_port();
    feed_status_16_and_1();
    QAccessibleInterface* box = QAccessible::queryAccessibleInterface(Picture1(1));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->role(), QAccessible::Button);
    EXPECT_EQ(box->text(QAccessible::Name), expected_name(1, "吸合"));
    EXPECT_EQ(box->text(QAccessible::Description), description_of(1));

    QAccessibleActionInterface* actions = box->actionInterface();
    ASSERT_NE(actions, nullptr);
    ASSERT_TRUE(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
    actions->doAction(QAccessibleActionInterface::pressAction());
    tick();
    // Channel 1 was energized, so the press asks to release it.
    EXPECT_EQ(last_frame(), "55 01 11 00 00 00 01 68");
}

// ---- unchanged looks repaint nothing ----

class PaintCounter : public QObject {
  public:
    int paints = 0;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return QObject::eventFilter(watched, event);
    }
};

class UnchangedLooks : public IndicatorWords {
  protected:
    void SetUp() override {
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        open_port();
        feed_status_16_and_1();
        flush_paints();
        Picture1(3)->installEventFilter(&counter);
        Picture1(3)->caption()->installEventFilter(&counter);
    }
    static void flush_paints() {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }

    PaintCounter counter;
};

TEST_F(UnchangedLooks, SameStatusOrCaptionAgainNeitherRepaintsNorRenames) {
    feed_status_16_and_1();
    form.set_caption(3, "  断开");
    flush_paints();
    EXPECT_EQ(counter.paints, 0);
    EXPECT_EQ(name_of(3), expected_name(3, "断开"));

    // The counter does see a real change: channel 3 energized.
    port.feed({0x22, 0x00, 0x00, 0x00, 0x00, 0x80, 0x05, 0xA7});
    port.raise_comm();
    flush_paints();
    EXPECT_GT(counter.paints, 0);
    EXPECT_EQ(name_of(3), expected_name(3, "吸合"));
}

// ---- cheaper repaints draw the same ----

TEST(CaptionPaint, DrawsExactlyWhatAPlainLabelDraws) {
    // The last text does not fit the caption and must be cut off the way QLabel cuts it.
    for (const char* text : {"  吸合", "  断开", "状态未知", "状态未知状态未知状态"}) {
        ui::CaptionLabel caption(1, nullptr);
        QLabel reference;
        reference.setFont(ui::song_font(ui::TextSize::pt15));
        reference.setForegroundRole(QPalette::ButtonText);
        reference.setAlignment(Qt::AlignLeft | Qt::AlignTop);
        for (QLabel* label : {static_cast<QLabel*>(&caption), &reference}) {
            label->setText(QString::fromUtf8(text));
            label->resize(81, 25);
            label->setContentsMargins(3, 2, 3, 2);  // text cut off inside the widget's edges
            QPalette palette = label->palette();
            palette.setColor(QPalette::Window, QColor(0, 255, 0));
            label->setPalette(palette);
            label->setAutoFillBackground(true);  // the same known colour behind both
        }
        // Twice: the second paint takes the caption's prepared layout.
        for (int pass = 0; pass < 2; ++pass) {
            EXPECT_EQ(caption.grab().toImage(), reference.grab().toImage())
                << text << ", paint " << pass + 1;
        }
    }
}

TEST(IndicatorFace, SunkenBevelFollowsThePalette) {
    ui::IndicatorBox box(1, controller::colour_energized, nullptr);
    box.resize(89, 41);
    const QRgb first = box.palette().color(QPalette::Dark).rgb();
    for (int pass = 0; pass < 2; ++pass) {  // drawn, then copied
        const QImage image = box.grab().toImage();
        EXPECT_EQ(image.pixel(0, 0), first) << "top left: the sunken side";
        EXPECT_EQ(image.pixel(44, 20), qRgb(0, 255, 0)) << "inside: the look's colour";
    }
    QPalette palette = box.palette();
    palette.setColor(QPalette::Dark, QColor(1, 2, 3));
    box.setPalette(palette);
    EXPECT_EQ(box.grab().toImage().pixel(0, 0), qRgb(1, 2, 3))
        << "a face drawn with the old palette was reused";
}

}  // namespace
}  // namespace quellbox::test
