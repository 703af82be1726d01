#include "scripted_operator.h"

#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "frame_text.h"
#include "link/frames.h"
#include "tools/time_units.h"
#include "ui/indicator_box.h"
#include "ui/main_form.h"

namespace quellbox::bench {

using tools::now_us;

void ScriptedOperator::start() {
    running_ = true;
    schedule();
}

void ScriptedOperator::schedule() {
    const int ms = std::uniform_int_distribution<int>(450, 550)(rng_);
    QTimer::singleShot(std::chrono::milliseconds(ms), Qt::PreciseTimer, &form_, [this] {
        if (!running_) return;
        click();
        schedule();
    });
}

void ScriptedOperator::click() {
    const int k = count_++;
    link::Frame frame{};
    QWidget* target = nullptr;
    QPoint where;
    QString what;
    if (k % 5 == 4) {
        const bool on = (k / 5) % 2 == 0;
        const std::uint8_t data = on ? link::set_all_energize : link::set_all_release;
        link::build_command_frame(frame, 1, link::cmd_set_all, data, data);
        target = form_.findChild<QPushButton*>(on ? QStringLiteral("openall")
                                                  : QStringLiteral("closeall"));
        what = on ? QStringLiteral("openall") : QStringLiteral("closeall");
    } else {
        const int n = std::uniform_int_distribution<int>(1, controller::channel_count)(rng_);
        auto* box = form_.findChild<ui::IndicatorBox*>(QStringLiteral("Picture1_%1").arg(n));
        if (box == nullptr) return;
        if (box->colour() == controller::colour_energized) {
            link::build_command_frame(frame, 1, link::cmd_release_one, 0x00,
                                      static_cast<std::uint8_t>(n));
        } else if (box->colour() == controller::colour_released) {
            link::build_command_frame(frame, 1, link::cmd_energize_one, 0x00,
                                      static_cast<std::uint8_t>(n));
        } else {
            return;  // a channel of unknown state asks for nothing
        }
        target = box;
        where = QPoint(box->width() / 2,
                       box->contentsRect().top() + 3);  // the box, not its caption
        what = QStringLiteral("Picture1_%1").arg(n);
    }
    if (target == nullptr) return;
    if (where.isNull()) where = target->rect().center();
    ClickSample sample;
    sample.t = now_us();
    sample.since_tick = sample.t - recorder_.milestones().last_tick_start;
    sample.frame = hex(frame);
    sample.what = what;
    QTest::mouseClick(target, Qt::LeftButton, {}, where);
    recorder_.clicks.push_back(sample);
}

}  // namespace quellbox::bench
