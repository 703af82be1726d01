#include "column_run.h"

#include <sys/resource.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <random>

#include "alloc_count.h"
#include "link/frames.h"
#include "link/qt_serial_port.h"
#include "processes.h"
#include "runtime/event_loop.h"
#include "timing_recorder.h"
#include "tools/event_waits.h"
#include "tools/hex.h"
#include "tools/pass_through_port.h"
#include "tools/time_units.h"
#include "ui/indicator_box.h"
#include "ui/main_form.h"

namespace quellbox::bench {
namespace {

using namespace std::chrono_literals;
using tools::now_us;
using tools::run_events_for;  // only while setting up, never while measuring
using tools::wait_until;

// The scripted operator: a click about every half second, at a random phase to the tick. Four
// of five hit a random channel (asking for the opposite of its state), every fifth alternates
// between the two all-buttons. Each click is stamped with the frame it must produce.
class ScriptedOperator {
  public:
    ScriptedOperator(ui::MainForm& form, TimingRecorder& recorder)
        : form_(form), recorder_(recorder) {}

    void start() {
        running_ = true;
        schedule();
    }
    void stop() { running_ = false; }

  private:
    void schedule() {
        const int ms = std::uniform_int_distribution<int>(450, 550)(rng_);
        QTimer::singleShot(std::chrono::milliseconds(ms), Qt::PreciseTimer, &form_, [this] {
            if (!running_) return;
            click();
            schedule();
        });
    }

    void click() {
        const int k = count_++;
        link::Frame frame{};
        QWidget* target = nullptr;
        QPoint where;
        if (k % 5 == 4) {
            const bool on = (k / 5) % 2 == 0;
            const std::uint8_t data = on ? link::set_all_energize : link::set_all_release;
            link::build_command_frame(frame, 1, link::cmd_set_all, data, data);
            target = form_.findChild<QPushButton*>(on ? QStringLiteral("openall")
                                                      : QStringLiteral("closeall"));
            if (target != nullptr) where = target->rect().center();
        } else {
            const int n = std::uniform_int_distribution<int>(1, controller::channel_count)(rng_);
            auto* box = form_.findChild<ui::IndicatorBox*>(QStringLiteral("Picture1_%1").arg(n));
            if (box == nullptr) return;
            const auto channel = static_cast<std::uint8_t>(n);
            if (box->colour() == controller::colour_energized) {
                link::build_command_frame(frame, 1, link::cmd_release_one, 0x00, channel);
            } else if (box->colour() == controller::colour_released) {
                link::build_command_frame(frame, 1, link::cmd_energize_one, 0x00, channel);
            } else {
                return;  // a channel of unknown state asks for nothing
            }
            target = box;
            where = QPoint(box->width() / 2, box->contentsRect().top() + 3);  // not its caption
        }
        if (target == nullptr) return;
        const ClickSample sample{
            now_us(), QString::fromStdString(tools::hex(frame, tools::HexDigits::lower))};
        QTest::mouseClick(target, Qt::LeftButton, {}, where);
        recorder_.clicks.push_back(sample);
    }

    ui::MainForm& form_;
    TimingRecorder& recorder_;
    std::mt19937 rng_{20240611};
    int count_ = 0;
    bool running_ = false;
};

void prepare_platform() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    runtime::use_qt_event_loop();  // the loop the window runs on
}

// Shows the window and opens port 1 as an operator does; false when it did not open.
bool open_port(ui::MainForm& form, const link::SerialPort& port) {
    auto* open_comm = form.findChild<QPushButton*>(QStringLiteral("open_comm"));
    form.centre_on_screen();
    form.show();
    run_events_for(300ms);
    if (open_comm != nullptr) QTest::mouseClick(open_comm, Qt::LeftButton);
    return port.is_open();
}

}  // namespace

int run_window(int& argc, char** argv, double seconds, const QString& out_path) {
    prepare_platform();
    TimingRecorder recorder(argc, argv);
    auto stamped =
        std::make_unique<tools::PassThroughPort>(std::make_unique<link::QtSerialPort>(), recorder);
    const tools::PassThroughPort& port = *stamped;
    ui::MainForm form(std::move(stamped));
    auto* timer1 = form.findChild<link::PreciseTicker*>(QStringLiteral("Timer1"));
    if (timer1 == nullptr) die("the window has no Timer1");
    recorder.watch(form, *timer1);
    if (!open_port(form, port)) die("port 1 did not open (is the board published?)");
    if (!wait_until([&] { return recorder.first_accept != 0; }, 10s)) {
        die("no status frame was accepted");
    }

    const auto total = tools::span_of_seconds(seconds);
    const auto quiet = std::max<std::chrono::milliseconds>(5s, total / 3);
    run_events_for(1s);  // warm-up
    const std::int64_t quiet_start = now_us();
    const std::uint64_t alloc0 = allocations();
    const std::size_t ticks0 = recorder.ticks.size();
    run_events_for(quiet);
    const std::int64_t quiet_end = now_us();
    const std::uint64_t alloc1 = allocations();
    const std::size_t ticks1 = recorder.ticks.size();
    ScriptedOperator operator_(form, recorder);
    operator_.start();
    run_events_for(std::max<std::chrono::milliseconds>(1s, total - quiet));
    operator_.stop();
    run_events_for(200ms);  // the last click's frame goes out with the next tick
    const std::int64_t end = now_us();
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);

    QJsonArray ticks, receives, clicks;
    for (const TickSample& s : recorder.ticks) {
        ticks.append(QJsonArray{static_cast<double>(s.start), static_cast<double>(s.allocations)});
    }
    for (const ReceiveSample& s : recorder.receives) {
        receives.append(QJsonArray{static_cast<double>(s.start), static_cast<double>(s.end),
                                   s.accepted ? 1.0 : 0.0, s.changed ? 1.0 : 0.0,
                                   static_cast<double>(s.allocations),
                                   static_cast<double>(s.paint_end)});
    }
    for (const ClickSample& s : recorder.clicks) {
        clicks.append(QJsonArray{static_cast<double>(s.t), s.frame});
    }
    const QJsonObject out{
        {QStringLiteral("first_tick_us"), static_cast<double>(recorder.first_tick)},
        {QStringLiteral("quiet_start_us"), static_cast<double>(quiet_start)},
        {QStringLiteral("quiet_end_us"), static_cast<double>(quiet_end)},
        {QStringLiteral("end_us"), static_cast<double>(end)},
        {QStringLiteral("peak_rss_kb"), static_cast<double>(usage.ru_maxrss)},  // VmHWM
        {QStringLiteral("allocations_counted"), allocations_counted},
        {QStringLiteral("allocations_quiet"), static_cast<double>(alloc1 - alloc0)},
        {QStringLiteral("ticks_quiet"), static_cast<double>(ticks1 - ticks0)},
        {QStringLiteral("ticks"), ticks},
        {QStringLiteral("receives"), receives},
        {QStringLiteral("clicks"), clicks},
    };
    QFile file(out_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(QJsonDocument(out).toJson(QJsonDocument::Compact)) < 0) {
        die("cannot write the samples");
    }
    return 0;
}

int run_plain_window(int& argc, char** argv, double seconds) {
    prepare_platform();
    QApplication app(argc, argv);
    auto bare = std::make_unique<link::QtSerialPort>();
    const link::QtSerialPort& port = *bare;
    ui::MainForm form(std::move(bare));
    if (!open_port(form, port)) die("port 1 did not open (is the board published?)");
    run_events_for(1s);  // warm-up
    // As long as the whole stamped run: the host's busy spells on this kind of machine last
    // tens of seconds, and a short phase can fall inside one from start to end. The
    // orchestrator reads every measured process at these announcements.
    std::fputs("phase polling\n", stdout);
    std::fflush(stdout);
    run_events_for(tools::span_of_seconds(seconds));
    std::fputs("phase polled\n", stdout);
    std::fflush(stdout);
    return 0;
}

}  // namespace quellbox::bench
