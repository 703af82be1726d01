#pragma once
// A main_form on an in-memory serial port, with helpers to find its controls by the names they
// bear and to act on them as an operator would.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStyleOptionSlider>
#include <QTest>
#include <memory>
#include <stdexcept>
#include <vector>

#include "controller/looks.h"
#include "link/precise_ticker.h"
#include "support/fake_serial_port.h"
#include "support/visible_notice.h"
#include "ui/indicator_box.h"
#include "ui/main_form.h"
#include "ui/spin_bar.h"

namespace quellbox::test {

// The channel names, 1 to 16, as the name labels and the indicators' accessible names say them.
inline const char* const channel_names[] = {
    "第一路", "第二路", "第三路",   "第四路",   "第五路",   "第六路",   "第七路",   "第八路",
    "第九路", "第十路", "第十一路", "第十二路", "第十三路", "第十四路", "第十五路", "第十六路",
};

// Colours as the logic writes them: energized, released, not known, port closed.
inline constexpr controller::Colour green = controller::colour_energized,
                                    red = controller::colour_released,
                                    yellow = controller::colour_not_known,
                                    grey_text = controller::colour_port_closed;

class FormTest : public ::testing::Test {
  protected:
    std::unique_ptr<FakeSerialPort> handed_over = std::make_unique<FakeSerialPort>();
    FakeSerialPort& port = *handed_over;  // owned by the window
    ui::MainForm form{std::move(handed_over)};

    template <typename Widget>
    Widget* control(const QString& name) const {
        auto* widget = form.findChild<Widget*>(name, Qt::FindChildrenRecursively);
        if (widget == nullptr) throw std::runtime_error("no control " + name.toStdString());
        return widget;
    }

    QLineEdit* add() const { return control<QLineEdit>(QStringLiteral("add")); }
    QLineEdit* chuankou_num() const { return control<QLineEdit>(QStringLiteral("chuankou_num")); }
    ui::SpinBar* VScroll1() const { return control<ui::SpinBar>(QStringLiteral("VScroll1")); }
    ui::SpinBar* VScroll2() const { return control<ui::SpinBar>(QStringLiteral("VScroll2")); }
    QPushButton* button(const char* name) const {
        return control<QPushButton>(QString::fromLatin1(name));
    }
    ui::IndicatorBox* Picture1(int n) const {
        return control<ui::IndicatorBox>(QStringLiteral("Picture1_%1").arg(n));
    }
    QLabel* Label2(int n) const { return control<QLabel>(QStringLiteral("Label2_%1").arg(n)); }
    QLabel* Label4(int n) const { return control<QLabel>(QStringLiteral("Label4_%1").arg(n)); }
    link::PreciseTicker* Timer1() const {
        return control<link::PreciseTicker>(QStringLiteral("Timer1"));
    }
    QMessageBox* notice_box() const { return visible_notice(form); }
    QString notice() const { return visible_notice_text(form); }

    static void click(QWidget* widget) {
        QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
    }
    static void click_at(QWidget* widget, QPoint where) {
        QTest::mouseClick(widget, Qt::LeftButton, {}, where);
    }
    // A point inside the indicator's border but above its caption.
    static QPoint bare_part_of(const ui::IndicatorBox* box) {
        return QPoint(box->width() / 2, box->contentsRect().top() + 3);
    }

    // One tick of Timer1, delivered through the timer's own signal so the wiring is exercised,
    // but without waiting for the clock.
    void tick() {
        link::PreciseTicker* timer = Timer1();
        ASSERT_TRUE(timer->is_active()) << "a stopped timer does not tick";
        Q_EMIT timer->timeout();
    }
    // The frame the last tick wrote to the port, in trace form.
    std::string last_frame() const { return port.written.empty() ? "" : hex(port.written.back()); }
    static QColor text_colour(const QLineEdit* field) {
        return field->palette().color(QPalette::Active, QPalette::Text);
    }

    void open_port() {
        port.next_open = {};
        click(button("open_comm"));
        ASSERT_TRUE(port.is_open());
    }

    // Replaces the whole text the way a paste does: one edit, one change.
    static void paste(QLineEdit* field, const QString& text) {
        field->selectAll();
        field->insert(text);
    }

    // The centre of a scroll bar's arrow, as the bar's own style places it.
    static QPoint arrow_centre(const QScrollBar* bar, QStyle::SubControl arrow) {
        QStyleOptionSlider option;
        option.initFrom(bar);
        option.subControls = QStyle::SC_All;
        option.activeSubControls = QStyle::SC_None;
        option.orientation = bar->orientation();
        option.minimum = bar->minimum();
        option.maximum = bar->maximum();
        option.sliderPosition = bar->sliderPosition();
        option.sliderValue = bar->value();
        option.singleStep = bar->singleStep();
        option.pageStep = bar->pageStep();
        option.upsideDown = bar->invertedAppearance();
        return bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, arrow, bar).center();
    }
    static QPoint upper_arrow(const QScrollBar* bar) {
        return arrow_centre(bar, QStyle::SC_ScrollBarSubLine);
    }
    static QPoint lower_arrow(const QScrollBar* bar) {
        return arrow_centre(bar, QStyle::SC_ScrollBarAddLine);
    }
};

}  // namespace quellbox::test
