#include "window_run.h"

#include <stdlib.h>
#include <sys/resource.h>
#include <time.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <memory>

#include "alloc_count.h"
#include "callgrind_profiler.h"
#include "link/qt_serial_port.h"
#include "processes.h"
#include "runtime/event_loop.h"
#include "scripted_operator.h"
#include "timing_recorder.h"
#include "tools/board_process.h"
#include "tools/event_waits.h"
#include "tools/pass_through_port.h"
#include "tools/private_runtime_dir.h"
#include "tools/time_units.h"
#include "ui/main_form.h"
#include "watched_events.h"

namespace quellbox::bench {
namespace {

using namespace std::chrono_literals;
using tools::now_us;

// Waiting for events is only used while setting up, never while measuring.
void run_for(std::chrono::milliseconds period) {
    tools::run_events_for(period);
}
using tools::wait_until;

// CPU seconds of this process so far: the scheduler's own count (CLOCK_PROCESS_CPUTIME_ID,
// exact), and getrusage's split into user and system time, which the kernel samples and so
// only adds up over a longer run.
struct CpuTime {
    double total = 0;
    double user = 0;
    double system = 0;
};

CpuTime cpu_time() {
    timespec clock{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &clock);
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return {tools::seconds(clock), tools::seconds(usage.ru_utime), tools::seconds(usage.ru_stime)};
}

// A field of /proc/self/status in kB ("VmHWM", "VmRSS").
qint64 status_kb(const char* field) {
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly)) return -1;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// Tells the orchestrating process, on standard output, that a phase starts: it measures this
// process and the reference loops from outside at the same moments.
void announce_phase(const char* phase) {
    std::fprintf(stdout, "phase %s\n", phase);
    std::fflush(stdout);
}

// The quiet polling of a measured run: a third of it, at least 5 s.
std::chrono::milliseconds quiet_period(double seconds) {
    const auto total = tools::span_of_seconds(seconds);
    return std::max<std::chrono::milliseconds>(5s, total / 3);
}

int fail(const char* message) {
    std::fprintf(stderr, "quellbox-bench: %s\n", message);
    return 1;
}

bool write_json(const QString& path, const QJsonObject& object) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    file.write(QJsonDocument(object).toJson(QJsonDocument::Compact));
    return file.error() == QFileDevice::NoError;
}

QJsonArray triple(std::int64_t a, std::int64_t b, std::uint64_t c) {
    return QJsonArray{static_cast<double>(a), static_cast<double>(b), static_cast<double>(c)};
}

int profile(CallgrindProfiler& profiler, ui::MainForm& form, const WindowRunOptions& options) {
    if (!CallgrindProfiler::under_valgrind()) {
        std::fprintf(stderr, "quellbox-bench: not running under valgrind; nothing is profiled\n");
    }
    run_for(1s);  // settle: 20 ticks and their answers
    auto* openall = form.findChild<QPushButton*>(QStringLiteral("openall"));
    auto* closeall = form.findChild<QPushButton*>(QStringLiteral("closeall"));
    // Every tenth tick an all-button click, so the frame after the next tick changes all 16
    // looks and the window repaints: the profiles then hold both kinds of status frame.
    profiler.start(options.callgrind_ticks, [&](int ticks) {
        if (ticks % 10 != 5) return;
        QPushButton* button = (ticks / 10) % 2 == 0 ? openall : closeall;
        QMetaObject::invokeMethod(
            button, [button] { button->click(); }, Qt::QueuedConnection);
    });
    const auto patience = std::chrono::milliseconds(options.callgrind_ticks * 50 * 200) + 60s;
    const bool done = wait_until([&] { return profiler.done(); }, patience);
    profiler.stop();
    if (!done) return fail("callgrind mode: the ticks did not come");

    QJsonObject out;
    out[QStringLiteral("mode")] = QStringLiteral("callgrind");
    out[QStringLiteral("under_valgrind")] = CallgrindProfiler::under_valgrind();
    out[QStringLiteral("ticks")] = profiler.ticks_profiled();
    out[QStringLiteral("read_events")] = profiler.read_events();
    QJsonObject dumps;
    for (const auto& [label, count] : profiler.dumps())
        dumps[QString::fromStdString(label)] = count;
    out[QStringLiteral("dumps")] = dumps;
    if (!options.out_path.isEmpty() && !write_json(options.out_path, out)) {
        return fail("cannot write the event counts");
    }
    return 0;
}

}  // namespace

int run_window(int& argc, char** argv, const WindowRunOptions& options) {
    const bool callgrind = options.callgrind_ticks > 0;

    // Callgrind mode brings its own board; measure mode finds it running, published in the
    // runtime folder it was given.
    std::unique_ptr<tools::PrivateRuntimeDir> own_dir;
    std::unique_ptr<tools::BoardProcess> own_sim;
    if (callgrind) {
        own_dir = std::make_unique<tools::PrivateRuntimeDir>(QStringLiteral("quellbox-bench"));
        own_dir->use_for_this_process();
        own_sim = std::make_unique<tools::BoardProcess>(
            board_launch(options.board_sim, own_dir->path(), QStringLiteral("board.log")));
        if (!own_sim->wait_ready(10s)) return fail("the virtual board did not get ready");
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    runtime::use_qt_event_loop();  // the loop the window runs on

    TimingRecorder recorder;
    CallgrindProfiler profiler;
    WindowObserver& observer = callgrind ? static_cast<WindowObserver&>(profiler) : recorder;
    BenchApplication app(argc, argv);
    const std::int64_t app_ready = now_us();

    auto stamped =
        std::make_unique<tools::PassThroughPort>(std::make_unique<link::QtSerialPort>(), observer);
    tools::PassThroughPort* port = stamped.get();
    ui::MainForm form(std::move(stamped));
    const std::int64_t form_built = now_us();
    auto* timer1 = form.findChild<ui::PreciseTicker*>(QStringLiteral("Timer1"));
    auto* open_comm = form.findChild<QPushButton*>(QStringLiteral("open_comm"));
    if (timer1 == nullptr || open_comm == nullptr)
        return fail("the window has no Timer1 or open_comm");
    observer.attach(form);
    app.watch(&form, timer1, observer);
    form.centre_on_screen();
    form.show();
    const std::int64_t shown = now_us();

    const Milestones& marks = observer.milestones();
    if (!wait_until([&] { return marks.first_tick != 0 && marks.first_paint != 0; }, 10s)) {
        return fail("the window neither painted nor ticked");
    }
    run_for(300ms);

    const std::int64_t open_click = now_us();
    QTest::mouseClick(open_comm, Qt::LeftButton);
    if (!port->is_open()) return fail("port 1 did not open (is the virtual board published?)");
    if (!wait_until([&] { return marks.first_accept != 0; }, 10s)) {
        return fail("no status frame was accepted");
    }

    if (callgrind) return profile(profiler, form, options);

    const auto total = tools::span_of_seconds(options.seconds);
    const auto quiet = quiet_period(options.seconds);
    const auto clicking = std::max<std::chrono::milliseconds>(1s, total - quiet);
    run_for(1s);  // warm-up

    recorder.measuring = true;
    const std::int64_t quiet_start = now_us();
    const CpuTime cpu0 = cpu_time();
    const std::uint64_t alloc0 = allocations();
    const std::size_t ticks0 = recorder.ticks.size();
    run_for(quiet);
    const std::int64_t quiet_end = now_us();
    const CpuTime cpu1 = cpu_time();
    const std::uint64_t alloc1 = allocations();
    const std::size_t ticks1 = recorder.ticks.size();

    ScriptedOperator operator_(form, recorder);
    operator_.start();
    run_for(clicking);
    operator_.stop();
    run_for(200ms);  // the last click's frame goes out with the next tick
    const std::int64_t end = now_us();
    const CpuTime cpu2 = cpu_time();
    recorder.measuring = false;

    QJsonObject out;
    out[QStringLiteral("mode")] = QStringLiteral("measure");
    auto put = [&](const char* key, double value) { out[QLatin1String(key)] = value; };
    put("main_start_us", static_cast<double>(options.main_start_us));
    put("app_ready_us", static_cast<double>(app_ready));
    put("form_built_us", static_cast<double>(form_built));
    put("shown_us", static_cast<double>(shown));
    put("first_paint_us", static_cast<double>(marks.first_paint));
    put("first_tick_us", static_cast<double>(marks.first_tick));
    put("open_click_us", static_cast<double>(open_click));
    put("first_accept_us", static_cast<double>(marks.first_accept));
    put("quiet_start_us", static_cast<double>(quiet_start));
    put("quiet_end_us", static_cast<double>(quiet_end));
    put("end_us", static_cast<double>(end));
    put("cpu_quiet_s", cpu1.total - cpu0.total);
    put("cpu_clicking_s", cpu2.total - cpu1.total);
    put("cpu_quiet_user_s", cpu1.user - cpu0.user);
    put("cpu_quiet_system_s", cpu1.system - cpu0.system);
    put("cpu_clicking_user_s", cpu2.user - cpu1.user);
    put("cpu_clicking_system_s", cpu2.system - cpu1.system);
    put("vm_hwm_kb", static_cast<double>(status_kb("VmHWM")));
    put("vm_rss_kb", static_cast<double>(status_kb("VmRSS")));
    out[QStringLiteral("allocations_counted")] = allocations_counted();
    put("allocations_quiet", static_cast<double>(alloc1 - alloc0));
    put("ticks_quiet", static_cast<double>(ticks1 - ticks0));
    put("byte_events", static_cast<double>(recorder.byte_events));
    put("byte_allocations", static_cast<double>(recorder.byte_allocations));

    QJsonArray ticks;
    for (const TickSample& s : recorder.ticks) ticks.append(triple(s.start, s.end, s.allocations));
    out[QStringLiteral("ticks")] = ticks;
    QJsonArray passes;
    for (const TickSample& s : recorder.passes)
        passes.append(triple(s.start, s.end, s.allocations));
    out[QStringLiteral("paint_passes")] = passes;
    QJsonArray receives;
    for (const ReceiveSample& s : recorder.receives) {
        receives.append(QJsonArray{static_cast<double>(s.start), static_cast<double>(s.end),
                                   s.accepted, s.changed, static_cast<double>(s.allocations),
                                   static_cast<double>(s.paint_end)});
    }
    out[QStringLiteral("receives")] = receives;
    QJsonArray clicks;
    for (const ClickSample& s : recorder.clicks) {
        clicks.append(QJsonArray{static_cast<double>(s.t), static_cast<double>(s.since_tick),
                                 s.frame, s.what});
    }
    out[QStringLiteral("clicks")] = clicks;

    if (!write_json(options.out_path, out)) return fail("cannot write the samples");
    return 0;
}

int run_plain_window(int& argc, char** argv, const WindowRunOptions& options) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    runtime::use_qt_event_loop();
    QApplication app(argc, argv);
    auto bare = std::make_unique<link::QtSerialPort>();
    const link::QtSerialPort* port = bare.get();
    ui::MainForm form(std::move(bare));
    auto* open_comm = form.findChild<QPushButton*>(QStringLiteral("open_comm"));
    if (open_comm == nullptr) return fail("the window has no open_comm");
    form.centre_on_screen();
    form.show();
    run_for(300ms);
    QTest::mouseClick(open_comm, Qt::LeftButton);
    if (!port->is_open()) return fail("port 1 did not open (is the virtual board published?)");
    run_for(1s);  // warm-up

    // As long as the whole stamped run: the host's busy spells on this kind of machine last
    // tens of seconds, and a short phase can fall inside one from start to end.
    announce_phase("polling");
    run_for(tools::span_of_seconds(options.seconds));
    announce_phase("polled");
    if (options.count_seconds > 0) {
        // Quiet polling again while the orchestrator counts system calls from outside.
        announce_phase("counting");
        run_for(tools::span_of_seconds(options.count_seconds));
        announce_phase("end");
    }
    return 0;
}

}  // namespace quellbox::bench
