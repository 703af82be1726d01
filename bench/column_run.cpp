#include "column_run.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QThread>
#include <cmath>
#include <functional>
#include <memory>

#include "loop_period.h"
#include "process_counters.h"
#include "tools/time_units.h"

namespace quellbox::bench {
namespace {

using namespace std::chrono_literals;

// One program of the side-by-side stretch, measured from outside like the others.
struct MeasuredProcess {
    const char* name = "";
    std::chrono::nanoseconds period = window_period;  // between its polls
    ProcessCounters polling_start;
    ProcessCounters polling_end;
    std::vector<SimLine> board;  // its own board's log
};

// CPU and wake-ups from the kernel's counters while quietly polling, and tick regularity as its
// own board saw it: against its own period, a gap as if it polled every 50 ms, so that the
// loops' slightly longer periods neither count as lateness nor lengthen their gaps.
QJsonObject figures(const MeasuredProcess& p) {
    if (!p.polling_start.valid || !p.polling_end.valid) return {};
    const auto from = static_cast<double>(p.polling_start.t_us);
    const auto to = static_cast<double>(p.polling_end.t_us);
    const std::vector<double> frames = frames_at_board(p.board, from, to);
    const double own_ms = std::chrono::duration<double, std::milli>(p.period).count();
    std::vector<double> periods;
    std::vector<double> deviation;
    for (const double d : differences(frames)) {
        periods.push_back(d / 1000 - own_ms + tick_ms);
        deviation.push_back(std::abs(periods.back() - tick_ms));
    }
    const auto wakeups = p.polling_end.voluntary_switches - p.polling_start.voluntary_switches;
    return QJsonObject{
        {QStringLiteral("ticks"), static_cast<double>(frames.size())},
        {QStringLiteral("period_ms"), own_ms},
        {QStringLiteral("cpu_percent"),
         per(p.polling_end.cpu_seconds - p.polling_start.cpu_seconds, (to - from) / 1e6) * 100},
        {QStringLiteral("wakeups_per_tick"),
         per(static_cast<double>(wakeups), static_cast<double>(frames.size()))},
        {QStringLiteral("tick_deviation_board_p99_ms"), summarize(deviation).p99},
        {QStringLiteral("worst_gap_board_ms"), summarize(periods).max},
    };
}

// Runs this program again as the window of a column and follows it to its end, off the
// measured core itself, handing each phase it announces ("phase polling") to `on_phase` with
// its process id.
using PhaseHandler = std::function<void(const QByteArray& phase, qint64 pid)>;
void run_window_child(const ColumnOptions& o, const QProcessEnvironment& env,
                      const QStringList& arguments, const std::string& what,
                      const PhaseHandler& on_phase = {}) {
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(o.self, QStringList{QStringLiteral("--window-run"), QStringLiteral("--seconds"),
                                    QString::number(o.seconds)} +
                            arguments);
    if (!child.waitForStarted()) die(what + " did not start");
    if (o.core) keep_off_core(0, *o.core);
    const auto deadline =
        std::chrono::steady_clock::now() + tools::span_of_seconds(o.seconds) + 60s;
    QByteArray pending;
    while (child.state() != QProcess::NotRunning) {
        if (std::chrono::steady_clock::now() > deadline) die(what + " did not finish");
        child.waitForReadyRead(200);
        pending += child.readAllStandardOutput();
        for (qsizetype end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n')) {
            const QByteArray line = pending.left(end).trimmed();
            pending.remove(0, end + 1);
            if (on_phase && line.startsWith("phase ")) on_phase(line.mid(6), child.processId());
        }
    }
    if (o.core) keep_off_core(0, *o.core, false);
    if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) die(what + " failed");
}

// A poll period a little longer than the window's, so that in `seconds` a loop polls `cycles`
// times fewer and its ticks pass that many times through every phase of the window's. Where
// the ticks of programs sharing a core fall against each other moves what each one pays (the
// one woken after the core has been idle longest seems to pay most); started at whatever
// phase, each column would draw one such place by chance (docs/performance.md).
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
    const tools::BoardLaunch launch =
        board_launch(runtime.path(), QStringLiteral("board-%1.log").arg(setup.label), setup.paced);
    const QString out = runtime.path() + QStringLiteral("/run-%1.json").arg(setup.label);
    tools::BoardProcess board(launch);
    if (!board.wait_ready(10s)) die("the virtual board did not get ready");

    QProcess x_server;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    if (setup.x_server) {
        const QString display = start_x_server(x_server);
        if (display.isEmpty()) die("Xvfb did not start (column " + name + ")");
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("DISPLAY"), display);
    }
    // The loops' ticks drift once, twice and three times through every phase of the window's
    // over the side-by-side stretch, and through each other's.
    std::vector<MeasuredProcess> processes(4);
    const char* const names[] = {"window", "script", "c_loop", "qt_floor"};
    for (std::size_t i = 0; i < 4; ++i) {
        processes[i].name = names[i];
        if (i > 0) processes[i].period = drifting_period(o.seconds, static_cast<int>(i));
    }
    std::vector<std::unique_ptr<ReferenceLoop>> loops;  // script, C loop, Qt floor
    for (const LoopKind kind : {LoopKind::script, LoopKind::c_loop, LoopKind::qt_floor}) {
        const std::size_t i = loops.size() + 1;
        loops.push_back(
            std::make_unique<ReferenceLoop>(kind, setup.paced, processes[i].period, env));
    }
    QProcess busy;
    if (setup.loaded) {
        busy.start(QStringLiteral("sh"),
                   {QStringLiteral("-c"), QStringLiteral("while :; do :; done")});
        if (!busy.waitForStarted()) die("the busy loop did not start");
        if (o.core) keep_off_core(busy.processId(), *o.core);
        QThread::msleep(300);  // let it take its core
    }
    const QJsonArray load_before = load_average();

    // First the window with every event stamped, for its own figures; then, on the same board,
    // the window as the program runs it, measured from outside beside the three loops.
    const std::int64_t spawn = tools::now_us();
    run_window_child(o, env, {QStringLiteral("--out"), out}, "the stamped window of " + name);
    run_window_child(
        o, env, {QStringLiteral("--plain")}, "the plain window of " + name,
        [&](const QByteArray& phase, qint64 window) {
            for (std::size_t i = 0; i < processes.size(); ++i) {
                (phase == "polling" ? processes[i].polling_start : processes[i].polling_end) =
                    read_counters(i == 0 ? window : loops[i - 1]->pid());
            }
        });
    const QJsonArray load_after = load_average();
    board.stop();
    processes[0].board = read_sim_log(launch.log_path);
    for (std::size_t i = 1; i < processes.size(); ++i) {
        loops[i - 1]->stop();
        processes[i].board = read_sim_log(loops[i - 1]->board_log());
    }
    for (QProcess* helper : {&busy, &x_server}) {  // the Qt floor no longer needs the X server
        helper->kill();
        helper->waitForFinished();
    }
    QFile file(out);
    if (!file.open(QIODevice::ReadOnly)) die("no samples from column " + name);
    Column column = analyse(setup.label, QJsonDocument::fromJson(file.readAll()).object(),
                            processes[0].board, spawn);
    QJsonObject side_by_side;
    for (const MeasuredProcess& p : processes) side_by_side[QLatin1String(p.name)] = figures(p);
    column.json[QStringLiteral("side_by_side")] = side_by_side;
    column.json[QStringLiteral("platform")] =
        setup.x_server ? QStringLiteral("xcb on Xvfb") : QStringLiteral("offscreen");
    column.json[QStringLiteral("board_replies")] =
        setup.paced ? QStringLiteral("byte by byte at 9600 baud") : QStringLiteral("one write");
    column.json[QStringLiteral("load_average_before")] = load_before;
    column.json[QStringLiteral("load_average_after")] = load_after;
    return column;
}

}  // namespace quellbox::bench
