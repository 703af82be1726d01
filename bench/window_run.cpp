#include "window_run.h"

#include <stdlib.h>
#include <sys/resource.h>
#include <time.h>

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTest>
#include <QTimer>
#include <array>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#define QUELLBOX_BENCH_HAVE_CALLGRIND 1
#endif

#include "alloc_count.h"
#include "controller/looks.h"
#include "frame_text.h"
#include "link/frames.h"
#include "link/qt_serial_port.h"
#include "processes.h"
#include "tools/event_waits.h"
#include "tools/pass_through_port.h"
#include "tools/private_runtime_dir.h"
#include "tools/time_units.h"
#include "ui/indicator_box.h"
#include "ui/main_form.h"

namespace quellbox::bench {
namespace {

using namespace std::chrono_literals;
using tools::now_us;

// Callgrind's client requests; without valgrind's header they do nothing.
namespace cg {
#ifdef QUELLBOX_BENCH_HAVE_CALLGRIND
bool running() {
    return RUNNING_ON_VALGRIND != 0;
}
void start() {
    CALLGRIND_START_INSTRUMENTATION;
}
void stop() {
    CALLGRIND_STOP_INSTRUMENTATION;
}
void toggle() {
    CALLGRIND_TOGGLE_COLLECT;
}
void dump(const std::string& label) {
    CALLGRIND_DUMP_STATS_AT(label.c_str());
}
#else
bool running() {
    return false;
}
void start() {}
void stop() {}
void toggle() {}
void dump(const std::string&) {}
#endif
}  // namespace cg

// The events the bench watches, as they pass through QApplication::notify.
enum class Watch {
    none,
    tick,            // Timer1's timer event: the whole poll tick
    serial_read,     // the serial port's read notification: bytes arrived
    update_request,  // the window's repaint pass
    paint_channel,   // an indicator or its caption painted (inside a repaint pass)
    paint_other,     // any other paint, watched only until the first one
};

struct TickSample {
    std::int64_t start = 0;
    std::int64_t end = 0;
    std::uint64_t allocations = 0;
};

struct ReceiveSample {
    std::int64_t start = 0;
    std::int64_t end = 0;
    bool accepted = false;
    bool changed = false;  // some channel's look differs after the handler
    std::uint64_t allocations = 0;
    std::int64_t paint_end = 0;  // end of the last channel paint this frame caused
};

struct ClickSample {
    std::int64_t t = 0;
    std::int64_t since_tick = 0;
    QString frame;  // the command frame the click must produce, as the board logs it
    QString what;
};

class Recorder final : public tools::PortObserver {
  public:
    explicit Recorder(bool callgrind) : callgrind_(callgrind) {
        // Room for a long run up front: growing these while measuring would allocate.
        ticks.reserve(1 << 16);
        receives.reserve(1 << 16);
        passes.reserve(1 << 14);
        clicks.reserve(1 << 12);
    }

    void attach(ui::MainForm* form, QTimer* timer1) {
        form_ = form;
        timer1_ = timer1;
    }

    Watch classify(QObject* receiver, QEvent* event) const {
        if (form_ == nullptr) return Watch::none;
        switch (event->type()) {
            case QEvent::Timer:
                return receiver == timer1_ ? Watch::tick : Watch::none;
            case QEvent::SockAct: {
                const auto* notifier = qobject_cast<QSocketNotifier*>(receiver);
                if (notifier == nullptr || notifier->type() != QSocketNotifier::Read)
                    return Watch::none;
                // Qt's own reader (a child of QSerialPort) or the adapter's direct one (a
                // child of its line, a child of the adapter).
                for (const QObject* up = notifier->parent(); up != nullptr; up = up->parent()) {
                    if (up->inherits("QSerialPort") || up->inherits("quellbox::link::QtSerialPort"))
                        return Watch::serial_read;
                }
                return Watch::none;
            }
            case QEvent::UpdateRequest:
                return receiver == form_ ? Watch::update_request : Watch::none;
            case QEvent::Paint:
                if (qobject_cast<ui::IndicatorBox*>(receiver) != nullptr ||
                    qobject_cast<ui::CaptionLabel*>(receiver) != nullptr) {
                    return Watch::paint_channel;
                }
                return first_paint == 0 ? Watch::paint_other : Watch::none;
            default:
                return Watch::none;
        }
    }

    void begin(Watch watch) {
        if (callgrind_) {
            profile_begin(watch);
            return;
        }
        switch (watch) {
            case Watch::tick:
                tick_start_ = now_us();
                tick_allocations_ = allocations();
                paint_target_ = -1;  // paints from here on belong to no status frame
                break;
            case Watch::serial_read:
                handler_ran_ = false;
                read_allocations_ = allocations();
                break;
            case Watch::update_request:
                pass_start_ = now_us();
                pass_allocations_ = allocations();
                break;
            default:
                break;
        }
    }

    void end(Watch watch) {
        if (callgrind_) {
            profile_end(watch);
            // Only what setting up needs to wait for.
            if (watch == Watch::tick && first_tick == 0) first_tick = now_us();
            if ((watch == Watch::paint_channel || watch == Watch::paint_other) &&
                first_paint == 0) {
                first_paint = now_us();
            }
            return;
        }
        const std::int64_t t = now_us();
        const std::uint64_t a = allocations();
        switch (watch) {
            case Watch::tick:
                if (first_tick == 0) first_tick = tick_start_;
                last_tick_start = tick_start_;
                ticks.push_back({tick_start_, t, a - tick_allocations_});
                break;
            case Watch::serial_read:
                if (!handler_ran_ && measuring) {
                    ++byte_events;
                    byte_allocations += a - read_allocations_;
                }
                break;
            case Watch::update_request:
                passes.push_back({pass_start_, t, a - pass_allocations_});
                break;
            case Watch::paint_channel:
                if (paint_target_ >= 0)
                    receives[static_cast<std::size_t>(paint_target_)].paint_end = t;
                [[fallthrough]];
            case Watch::paint_other:
                if (first_paint == 0) first_paint = t;
                break;
            case Watch::none:
                break;
        }
    }

    void receive_begins() override {
        handler_ran_ = true;
        if (callgrind_ && collecting_) cg::toggle();  // the bench's own look-taking is not counted
        snapshot_looks();
        if (callgrind_ && collecting_) cg::toggle();
        receive_start_ = now_us();
        receive_allocations_ = allocations();
    }

    void receive_ends(std::span<const std::uint8_t> bytes) override {
        const std::int64_t t = now_us();
        const std::uint64_t a = allocations();
        if (callgrind_ && collecting_) cg::toggle();
        link::Frame frame{};
        const bool whole = bytes.size() >= frame.size();
        if (whole) std::copy_n(bytes.begin(), frame.size(), frame.begin());
        ReceiveSample sample{receive_start_,
                             t,
                             whole && link::is_valid_status_frame(frame),
                             looks_changed(),
                             a - receive_allocations_,
                             0};
        if (callgrind_ && collecting_) cg::toggle();
        if (sample.accepted && first_accept == 0) first_accept = receive_start_;
        last_receive_changed_ = sample.changed;
        if (callgrind_) return;
        receives.push_back(sample);
        paint_target_ = sample.changed ? static_cast<int>(receives.size()) - 1 : -1;
    }

    // ---- callgrind mode ----

    void start_profiling(int ticks_to_profile, std::function<void(int)> after_tick) {
        ticks_to_profile_ = ticks_to_profile;
        after_tick_ = std::move(after_tick);
        profiling_ = true;
        cg::start();
    }
    bool profiling_done() const { return ticks_profiled_ >= ticks_to_profile_; }
    void stop_profiling() {
        profiling_ = false;
        if (collecting_) {
            cg::toggle();
            collecting_ = false;
        }
        cg::stop();
    }
    const std::map<std::string, int>& dumps() const { return dumps_; }
    int ticks_profiled() const { return ticks_profiled_; }
    int read_events() const { return read_events_total_; }

    // ---- measure mode: the samples ----

    std::vector<TickSample> ticks;
    std::vector<ReceiveSample> receives;
    std::vector<TickSample> passes;
    std::vector<ClickSample> clicks;
    std::int64_t first_tick = 0;
    std::int64_t first_paint = 0;
    std::int64_t first_accept = 0;
    std::int64_t last_tick_start = 0;
    bool measuring = false;
    std::uint64_t byte_events = 0;
    std::uint64_t byte_allocations = 0;

  private:
    void snapshot_looks() {
        for (int n = 1; n <= controller::channel_count; ++n) {
            colours_before_[static_cast<std::size_t>(n)] = form_->indicator_colour(n);
        }
    }
    bool looks_changed() const {
        for (int n = 1; n <= controller::channel_count; ++n) {
            if (colours_before_[static_cast<std::size_t>(n)] != form_->indicator_colour(n))
                return true;
        }
        return false;
    }

    void collect_on() {
        if (!collecting_) {
            cg::toggle();
            collecting_ = true;
        }
    }
    void collect_off() {
        if (collecting_) {
            cg::toggle();
            collecting_ = false;
        }
    }
    void dump(const std::string& label) {
        cg::dump(label);
        ++dumps_[label.substr(0, label.find(' '))];
    }
    // Bytes of a frame collected but not dumped when something else starts: their own dump.
    void dump_stray_bytes() {
        if (!bytes_pending_) return;
        dump("stray events=" + std::to_string(read_events_pending_));
        bytes_pending_ = false;
        read_events_pending_ = 0;
    }

    void profile_begin(Watch watch) {
        if (!profiling_) return;
        switch (watch) {
            case Watch::tick:
            case Watch::update_request:
                dump_stray_bytes();
                collect_on();
                break;
            case Watch::serial_read:
                handler_ran_ = false;
                ++read_events_pending_;
                ++read_events_total_;
                collect_on();
                break;
            default:
                break;
        }
    }

    void profile_end(Watch watch) {
        if (!profiling_) return;
        switch (watch) {
            case Watch::tick:
                collect_off();
                dump("tick");
                ++ticks_profiled_;
                if (after_tick_) after_tick_(ticks_profiled_);
                break;
            case Watch::update_request:
                collect_off();
                dump("paint");
                break;
            case Watch::serial_read:
                collect_off();
                if (handler_ran_) {
                    // Every read notification of this frame, the last one with the handler.
                    dump(std::string(last_receive_changed_ ? "frame-changed" : "frame-same") +
                         " events=" + std::to_string(read_events_pending_));
                    bytes_pending_ = false;
                    read_events_pending_ = 0;
                } else {
                    bytes_pending_ = true;
                }
                break;
            default:
                break;
        }
    }

    bool callgrind_;
    ui::MainForm* form_ = nullptr;
    QTimer* timer1_ = nullptr;

    std::int64_t tick_start_ = 0;
    std::uint64_t tick_allocations_ = 0;
    std::uint64_t read_allocations_ = 0;
    std::int64_t pass_start_ = 0;
    std::uint64_t pass_allocations_ = 0;
    std::int64_t receive_start_ = 0;
    std::uint64_t receive_allocations_ = 0;
    bool handler_ran_ = false;
    bool last_receive_changed_ = false;
    int paint_target_ = -1;
    std::array<controller::Colour, controller::channel_count + 1> colours_before_{};

    bool profiling_ = false;
    bool collecting_ = false;
    bool bytes_pending_ = false;
    int read_events_pending_ = 0;
    int read_events_total_ = 0;
    int ticks_to_profile_ = 0;
    int ticks_profiled_ = 0;
    std::function<void(int)> after_tick_;
    std::map<std::string, int> dumps_;
};

// Every event passes here: the watched ones are bracketed by the recorder.
class BenchApplication final : public QApplication {
  public:
    BenchApplication(int& argc, char** argv, Recorder& recorder)
        : QApplication(argc, argv), recorder_(recorder) {}

    bool notify(QObject* receiver, QEvent* event) override {
        const Watch watch = recorder_.classify(receiver, event);
        if (watch == Watch::none) return QApplication::notify(receiver, event);
        recorder_.begin(watch);
        const bool handled = QApplication::notify(receiver, event);
        recorder_.end(watch);
        return handled;
    }

  private:
    Recorder& recorder_;
};

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

// The scripted operator: a click about every half second, at a random phase to the tick. Four
// of five hit a random channel (asking for the opposite of its state), every fifth alternates
// between the two all-buttons.
class ScriptedOperator {
  public:
    ScriptedOperator(ui::MainForm& form, Recorder& recorder) : form_(form), recorder_(recorder) {}

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
            const auto kind = controller::kind_of(box->colour());
            if (kind == controller::LookKind::energized) {
                link::build_command_frame(frame, 1, link::cmd_release_one, 0x00,
                                          static_cast<std::uint8_t>(n));
            } else if (kind == controller::LookKind::released) {
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
        sample.since_tick = sample.t - recorder_.last_tick_start;
        sample.frame = hex(frame);
        sample.what = what;
        QTest::mouseClick(target, Qt::LeftButton, {}, where);
        recorder_.clicks.push_back(sample);
    }

    ui::MainForm& form_;
    Recorder& recorder_;
    std::mt19937 rng_{20240611};
    int count_ = 0;
    bool running_ = false;
};

QJsonArray triple(std::int64_t a, std::int64_t b, std::uint64_t c) {
    return QJsonArray{static_cast<double>(a), static_cast<double>(b), static_cast<double>(c)};
}

int profile(Recorder& recorder, ui::MainForm& form, const WindowRunOptions& options) {
    if (!cg::running()) {
        std::fprintf(stderr, "quellbox-bench: not running under valgrind; nothing is profiled\n");
    }
    run_for(1s);  // settle: 20 ticks and their answers
    auto* openall = form.findChild<QPushButton*>(QStringLiteral("openall"));
    auto* closeall = form.findChild<QPushButton*>(QStringLiteral("closeall"));
    // Every tenth tick an all-button click, so the frame after the next tick changes all 16
    // looks and the window repaints: the profiles then hold both kinds of status frame.
    recorder.start_profiling(options.callgrind_ticks, [&](int ticks) {
        if (ticks % 10 != 5) return;
        QPushButton* button = (ticks / 10) % 2 == 0 ? openall : closeall;
        QMetaObject::invokeMethod(
            button, [button] { button->click(); }, Qt::QueuedConnection);
    });
    const auto patience = std::chrono::milliseconds(options.callgrind_ticks * 50 * 200) + 60s;
    const bool done = wait_until([&] { return recorder.profiling_done(); }, patience);
    recorder.stop_profiling();
    if (!done) return fail("callgrind mode: the ticks did not come");

    QJsonObject out;
    out[QStringLiteral("mode")] = QStringLiteral("callgrind");
    out[QStringLiteral("under_valgrind")] = cg::running();
    out[QStringLiteral("ticks")] = recorder.ticks_profiled();
    out[QStringLiteral("read_events")] = recorder.read_events();
    QJsonObject dumps;
    for (const auto& [label, count] : recorder.dumps())
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

    Recorder recorder(callgrind);
    BenchApplication app(argc, argv, recorder);
    const std::int64_t app_ready = now_us();

    auto stamped =
        std::make_unique<tools::PassThroughPort>(std::make_unique<link::QtSerialPort>(), recorder);
    tools::PassThroughPort* port = stamped.get();
    ui::MainForm form(std::move(stamped));
    const std::int64_t form_built = now_us();
    auto* timer1 = form.findChild<QTimer*>(QStringLiteral("Timer1"));
    auto* open_comm = form.findChild<QPushButton*>(QStringLiteral("open_comm"));
    if (timer1 == nullptr || open_comm == nullptr)
        return fail("the window has no Timer1 or open_comm");
    recorder.attach(&form, timer1);
    form.centre_on_screen();
    form.show();
    const std::int64_t shown = now_us();

    if (!wait_until([&] { return recorder.first_tick != 0 && recorder.first_paint != 0; }, 10s)) {
        return fail("the window neither painted nor ticked");
    }
    run_for(300ms);

    const std::int64_t open_click = now_us();
    QTest::mouseClick(open_comm, Qt::LeftButton);
    if (!port->is_open()) return fail("port 1 did not open (is the virtual board published?)");
    if (!wait_until([&] { return recorder.first_accept != 0; }, 10s)) {
        return fail("no status frame was accepted");
    }

    if (callgrind) return profile(recorder, form, options);

    const auto total = std::chrono::milliseconds(static_cast<qint64>(options.seconds * 1000));
    const auto quiet = std::max<std::chrono::milliseconds>(5s, total / 3);
    const auto clicking = std::max<std::chrono::milliseconds>(1s, total - quiet);
    run_for(1s);  // warm-up

    recorder.measuring = true;
    announce_phase("polling");
    const std::int64_t quiet_start = now_us();
    const CpuTime cpu0 = cpu_time();
    const std::uint64_t alloc0 = allocations();
    const std::size_t ticks0 = recorder.ticks.size();
    run_for(quiet);
    const std::int64_t quiet_end = now_us();
    const CpuTime cpu1 = cpu_time();
    const std::uint64_t alloc1 = allocations();
    const std::size_t ticks1 = recorder.ticks.size();

    announce_phase("clicking");
    ScriptedOperator operator_(form, recorder);
    operator_.start();
    run_for(clicking);
    operator_.stop();
    run_for(200ms);  // the last click's frame goes out with the next tick
    const std::int64_t end = now_us();
    const CpuTime cpu2 = cpu_time();
    recorder.measuring = false;

    if (options.count_seconds > 0) {
        // Quiet polling again while the orchestrator counts system calls from outside.
        announce_phase("counting");
        run_for(std::chrono::milliseconds(static_cast<qint64>(options.count_seconds * 1000)));
        announce_phase("end");
    }

    QJsonObject out;
    out[QStringLiteral("mode")] = QStringLiteral("measure");
    auto put = [&](const char* key, double value) { out[QLatin1String(key)] = value; };
    put("main_start_us", static_cast<double>(options.main_start_us));
    put("app_ready_us", static_cast<double>(app_ready));
    put("form_built_us", static_cast<double>(form_built));
    put("shown_us", static_cast<double>(shown));
    put("first_paint_us", static_cast<double>(recorder.first_paint));
    put("first_tick_us", static_cast<double>(recorder.first_tick));
    put("open_click_us", static_cast<double>(open_click));
    put("first_accept_us", static_cast<double>(recorder.first_accept));
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

}  // namespace quellbox::bench
