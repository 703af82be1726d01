#include "column_run.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QThread>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "cpu_pinning.h"
#include "loop_period.h"
#include "process_counters.h"
#include "reference_loop.h"
#include "side_by_side.h"
#include "syscall_count.h"
#include "tools/board_process.h"
#include "tools/time_units.h"
#include "xvfb_server.h"

namespace quellbox::bench {
namespace {

using namespace std::chrono_literals;
using tools::now_us;

[[noreturn]] void die(const std::string& message) {
    std::fprintf(stderr, "quellbox-bench: %s\n", message.c_str());
    std::exit(1);
}

QJsonArray loads_json(const std::vector<double>& loads) {
    QJsonArray out;
    for (const double l : loads) out.append(l);
    return out;
}

// The measured processes, read and counted at the phases the plain window announces.
class Observer {
  public:
    Observer(std::vector<MeasuredProcess>& processes, std::vector<qint64> pids,
             const QString& folder)
        : processes_(processes), pids_(std::move(pids)), folder_(folder) {}

    void on_phase(const QByteArray& phase) {
        if (phase == "polling" || phase == "polled") {
            polling_ = phase == "polling";
            for (std::size_t i = 0; i < pids_.size(); ++i) {
                const ProcessCounters now = read_counters(pids_[i]);
                (polling_ ? processes_[i].polling_start : processes_[i].polling_end) = now;
                processes_[i].polling_seconds.push_back(now);
            }
            last_read_us_ = now_us();
        } else if (phase == "counting" && have_strace()) {
            for (std::size_t i = 0; i < pids_.size(); ++i) {
                counts_.push_back(std::make_unique<SyscallCount>(
                    pids_[i], folder_ + QStringLiteral("/strace-%1.txt").arg(processes_[i].name)));
            }
            QThread::msleep(300);  // strace attaches
            for (MeasuredProcess& p : processes_) p.counting_start_us = now_us();
        } else if (phase == "end") {
            finish_counting();
        }
    }

    // Called between the window's lines: while it polls, reads every process once a second.
    void read_if_due() {
        if (!polling_ || now_us() - last_read_us_ < 1'000'000) return;
        last_read_us_ = now_us();
        for (std::size_t i = 0; i < pids_.size(); ++i)
            processes_[i].polling_seconds.push_back(read_counters(pids_[i]));
    }

    void finish_counting() {
        if (counts_.empty()) return;
        const std::int64_t end = now_us();
        for (std::size_t i = 0; i < counts_.size(); ++i) {
            processes_[i].counting_end_us = end;
            processes_[i].syscalls = counts_[i]->stop();
        }
        counts_.clear();
    }

  private:
    std::vector<MeasuredProcess>& processes_;
    std::vector<qint64> pids_;
    QString folder_;
    std::vector<std::unique_ptr<SyscallCount>> counts_;
    bool polling_ = false;
    std::int64_t last_read_us_ = 0;
};

void start_child(QProcess& child, const QStringList& arguments, const std::string& what) {
    child.start(child.program(), arguments);
    if (!child.waitForStarted()) die(what + " did not start");
}

// Follows a started window child to its end, handing the phases it announces to `observer` (if
// any).
void follow_child(QProcess& child, double seconds, Observer* observer, const std::string& what) {
    const auto deadline = std::chrono::steady_clock::now() + tools::span_of_seconds(seconds) + 60s;
    QByteArray pending;
    while (child.state() != QProcess::NotRunning) {
        if (std::chrono::steady_clock::now() > deadline) {
            child.kill();
            child.waitForFinished();
            die(what + " did not finish");
        }
        child.waitForReadyRead(200);
        if (observer) observer->read_if_due();
        pending += child.readAllStandardOutput();
        for (qsizetype end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n')) {
            const QByteArray line = pending.left(end).trimmed();
            pending.remove(0, end + 1);
            if (observer && line.startsWith("phase ")) observer->on_phase(line.mid(6));
        }
    }
    if (observer) observer->finish_counting();
    if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) die(what + " failed");
}

// A poll period a little longer than the window's, so that in `seconds` a loop polls `cycles`
// times fewer and its ticks pass that many times through every phase of the window's. Where
// the ticks of programs sharing a core fall against each other moves what each one pays (the
// one woken after the core has been idle longest seems to pay most). With a script's ticks
// held at one place against the real window's (Xvfb, one core, four 10-second stretches each),
// the window used 1.1 to 1.9 times the script's CPU at 0 to 12 ms after its own and 0.7 to 1.0
// times at 25 to 37 ms; started at whatever phase, each column drew one such place by chance.
std::chrono::nanoseconds drifting_period(double seconds, int cycles) {
    const double ticks = seconds * 1e9 / static_cast<double>(window_period.count());
    return std::chrono::nanoseconds(static_cast<std::int64_t>(
        static_cast<double>(window_period.count()) * (1 + cycles / std::max(ticks, 1.0))));
}

}  // namespace

std::optional<ColumnSetup> column_setup(const QString& label) {
    if (label == QLatin1String("idle")) return ColumnSetup{label, false, true, false};
    if (label == QLatin1String("xvfb")) return ColumnSetup{label, true, true, false};
    if (label == QLatin1String("whole")) return ColumnSetup{label, false, false, false};
    if (label == QLatin1String("loaded")) return ColumnSetup{label, false, true, true};
    return std::nullopt;
}

Column run_column(const ColumnOptions& o, const ColumnSetup& setup,
                  const tools::PrivateRuntimeDir& runtime) {
    const std::string name = setup.label.toStdString();
    const tools::BoardLaunch launch = board_launch(
        o.board_sim, runtime.path(), QStringLiteral("board-%1.log").arg(setup.label), setup.paced);
    const QString& log = launch.log_path;
    const QString out = runtime.path() + QStringLiteral("/run-%1.json").arg(setup.label);
    tools::BoardProcess board(launch);
    if (!board.wait_ready(10s)) die("the virtual board did not get ready");
    // The loops' ticks drift once, twice and three times through every phase of the window's
    // over the side-by-side stretch, and through each other's.
    const std::chrono::nanoseconds script_period = drifting_period(o.seconds, 1);
    const std::chrono::nanoseconds c_loop_period = drifting_period(o.seconds, 2);
    const std::chrono::nanoseconds qt_floor_period = drifting_period(o.seconds, 3);
    ReferenceLoop script(LoopKind::script, o.board_sim, setup.paced, script_period);
    ReferenceLoop c_loop(LoopKind::c_loop, o.board_sim, setup.paced, c_loop_period);

    std::unique_ptr<XvfbServer> x_server;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    if (setup.x_server) {
        x_server = std::make_unique<XvfbServer>();
        if (x_server->display().isEmpty()) die("Xvfb did not start (column " + name + ")");
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("DISPLAY"), x_server->display());
    } else {
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }
    ReferenceLoop qt_floor(LoopKind::qt_floor, o.board_sim, setup.paced, qt_floor_period, env);
    std::unique_ptr<BusyLoop> busy;
    if (setup.loaded) {
        busy = std::make_unique<BusyLoop>();
        if (o.core) keep_off_core(busy->pid(), *o.core);
        QThread::msleep(300);  // let it take its core
    }
    const std::vector<double> load_before = load_average();

    // First the window with every event stamped, for its own figures; then, on the same board,
    // the window as the program runs it, measured from outside beside the two loops.
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.setProgram(o.self);
    const std::int64_t spawn = now_us();
    const std::string measured = "the measured run of column " + name;
    start_child(child,
                {QStringLiteral("--window-run"), QStringLiteral("--seconds"),
                 QString::number(o.seconds), QStringLiteral("--out"), out},
                measured);
    {
        const AwayFromCore away(o.core);
        follow_child(child, o.seconds, nullptr, measured);
    }

    std::vector<MeasuredProcess> processes(4);
    processes[0].name = QStringLiteral("window");
    processes[1].name = QStringLiteral("script");
    processes[2].name = QStringLiteral("c_loop");
    processes[3].name = QStringLiteral("qt_floor");
    processes[1].period = script_period;
    processes[2].period = c_loop_period;
    processes[3].period = qt_floor_period;
    QProcess plain;
    plain.setProcessEnvironment(env);
    plain.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    plain.setProgram(o.self);
    const std::string plain_run = "the plain window of column " + name;
    start_child(plain,
                {QStringLiteral("--window-run"), QStringLiteral("--plain"),
                 QStringLiteral("--seconds"), QString::number(o.seconds),
                 QStringLiteral("--count-seconds"), QString::number(o.count_seconds)},
                plain_run);
    Observer observer(processes, {plain.processId(), script.pid(), c_loop.pid(), qt_floor.pid()},
                      runtime.path());
    {
        // strace, started meanwhile to count system calls, runs off the core as well.
        const AwayFromCore away(o.core);
        follow_child(plain, o.seconds + o.count_seconds, &observer, plain_run);
    }
    const std::vector<double> load_after = load_average();
    const qint64 busy_pid = busy ? busy->pid() : 0;
    busy.reset();  // SIGKILL by its process id
    board.stop();
    script.stop();
    c_loop.stop();
    qt_floor.stop();

    QFile file(out);
    if (!file.open(QIODevice::ReadOnly)) die("no samples from column " + name);
    const QJsonObject run = QJsonDocument::fromJson(file.readAll()).object();
    processes[0].board = read_sim_log(log);
    processes[1].board = read_sim_log(script.board_log());
    processes[2].board = read_sim_log(c_loop.board_log());
    processes[3].board = read_sim_log(qt_floor.board_log());
    Column column = analyse(setup.label, run, processes[0].board, spawn);
    column.json[QStringLiteral("side_by_side")] = compare_side_by_side(processes);
    column.json[QStringLiteral("platform")] =
        setup.x_server ? QStringLiteral("xcb on Xvfb") : QStringLiteral("offscreen");
    column.json[QStringLiteral("board_replies")] =
        setup.paced ? QStringLiteral("byte by byte at 9600 baud") : QStringLiteral("one write");
    column.json[QStringLiteral("load_average_before")] = loads_json(load_before);
    column.json[QStringLiteral("load_average_after")] = loads_json(load_after);
    if (busy_pid != 0) column.json[QStringLiteral("busy_loop_pid")] = static_cast<double>(busy_pid);
    return column;
}

}  // namespace quellbox::bench
