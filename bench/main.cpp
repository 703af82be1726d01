// quellbox-bench: times the real window and serial stack against the paced virtual board.
//
//   quellbox-bench [--seconds N] [--json PATH] [--text PATH] [--png PATH] [--callgrind-dir DIR]
//   quellbox-bench --callgrind-ticks N [--out PATH]        (run under valgrind --tool=callgrind)
//
// The default mode runs each column (idle, then with a busy loop loading a second core) in a
// fresh child process of its own, against a fresh virtual board in a private runtime folder,
// then puts the child's stamps next to the board's and reports. scripts/bench.sh runs it all.

#include <stdlib.h>

#include <QDateTime>
#include <QFile>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSysInfo>
#include <QThread>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "analysis.h"
#include "callgrind_summary.h"
#include "column_run.h"
#include "cpu_pinning.h"
#include "plot.h"
#include "processes.h"
#include "tools/private_runtime_dir.h"
#include "tools/time_units.h"
#include "window_run.h"

namespace {

using namespace quellbox::bench;
using quellbox::tools::now_us;
namespace tools = quellbox::tools;
using namespace std::chrono_literals;

constexpr const char* usage = R"(usage: quellbox-bench [options]

Runs the real window on the real serial port against quellbox-board-sim --timestamps, clicks
like an operator, and reports tick timing, latencies, CPU, wake-ups, system calls, memory,
start-up and allocations, stamping every event it times. Then the same window with nothing
stamped, as the program runs it, polls quietly for as long again: beside it, in the
same run and each on a board of its own, a pyserial script, a minimal C loop and an empty Qt
window woken as the window is poll at the same rate (a little slower, so that their ticks
drift through every phase of the window's), and all four are measured alike from outside.
Columns:
  idle    offscreen, replies paced byte by byte at 9600 baud
  xvfb    the same on a private Xvfb X server
  whole   offscreen, each reply in one write (as USB adapters hand them over)
  loaded  as idle, with a busy loop on a second core

  --seconds N           measured seconds per column (default 60): a third quiet polling,
                        the rest with a click about every half second; then as long again
                        for the side-by-side
  --json PATH           write every figure and the plotted samples as JSON
  --text PATH           write the table (it always goes to stdout too)
  --png PATH            draw the histograms
  --callgrind-dir DIR   add the instruction counts of a --callgrind-ticks run's profiles
  --columns LIST        idle,xvfb,whole,loaded (default) or some of them
  --count-seconds N     seconds of counting system calls with strace after each column (5)
  --board-sim PATH      the virtual board (default: the one built with this program)
  --spread              leave the measured processes to the scheduler; by default they all
                        share one core (the busy loop another), where side-by-side figures
                        vary far less from one stretch of seconds to the next

  --callgrind-ticks N   profile N poll ticks instead (run under valgrind --tool=callgrind
                        --instr-atstart=no --collect-atstart=no); starts its own board
  --out PATH            with --callgrind-ticks: where the event counts go (JSON)
)";

struct Options {
    double seconds = 60;
    QString json_path;
    QString text_path;
    QString png_path;
    QString callgrind_dir;
    QStringList columns{QStringLiteral("idle"), QStringLiteral("xvfb"), QStringLiteral("whole"),
                        QStringLiteral("loaded")};
    double count_seconds = 5;
    QString board_sim = QStringLiteral(QUELLBOX_BOARD_SIM);
    int callgrind_ticks = 0;
    bool spread = false;
    bool window_run = false;  // internal: the measured child process
    bool plain = false;       // internal: with --window-run, the window as the program runs it
    QString out_path;
};

[[noreturn]] void die(const std::string& message, int code = 1) {
    std::fprintf(stderr, "quellbox-bench: %s\n", message.c_str());
    std::exit(code);
}

Options parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        auto value = [&]() -> QString {
            if (i + 1 >= argc) die(std::string(arg) + " needs a value", 2);
            return QString::fromLocal8Bit(argv[++i]);
        };
        if (arg == "--help") {
            std::fputs(usage, stdout);
            std::exit(0);
        } else if (arg == "--seconds") {
            bool ok = false;
            o.seconds = value().toDouble(&ok);
            if (!ok || o.seconds < 1 || o.seconds > 86400) die("--seconds: 1 to 86400", 2);
        } else if (arg == "--json") {
            o.json_path = value();
        } else if (arg == "--text") {
            o.text_path = value();
        } else if (arg == "--png") {
            o.png_path = value();
        } else if (arg == "--callgrind-dir") {
            o.callgrind_dir = value();
        } else if (arg == "--columns") {
            o.columns = value().split(QLatin1Char(','), Qt::SkipEmptyParts);
            for (const QString& c : o.columns) {
                if (!column_setup(c)) die("--columns: any of idle, xvfb, whole, loaded", 2);
            }
        } else if (arg == "--board-sim") {
            o.board_sim = value();
        } else if (arg == "--callgrind-ticks") {
            bool ok = false;
            o.callgrind_ticks = value().toInt(&ok);
            if (!ok || o.callgrind_ticks < 1) die("--callgrind-ticks: a positive count", 2);
        } else if (arg == "--count-seconds") {
            bool ok = false;
            o.count_seconds = value().toDouble(&ok);
            if (!ok || o.count_seconds < 0 || o.count_seconds > 600)
                die("--count-seconds: 0 to 600", 2);
        } else if (arg == "--spread") {
            o.spread = true;
        } else if (arg == "--window-run") {
            o.window_run = true;
        } else if (arg == "--plain") {
            o.plain = true;
        } else if (arg == "--out") {
            o.out_path = value();
        } else {
            std::fputs(usage, stderr);
            die("unknown option: " + std::string(arg), 2);
        }
    }
    return o;
}

QJsonArray rounded(const std::vector<double>& samples) {
    QJsonArray out;
    for (const double v : samples) out.append(std::round(v * 1000) / 1000);
    return out;
}

// ---- the table ----

double at(const QJsonObject& object, const QString& path) {
    QJsonValue v = object;
    for (const QString& key : path.split(QLatin1Char('.'))) v = v.toObject().value(key);
    return v.toDouble(std::nan(""));
}

struct Row {
    const char* title;
    const char* unit;
    const char* path;
    const char* goal;
    int decimals;
};

const Row rows[] = {
    {"tick period at handler, mean", "ms", "tick_period_window_ms.mean", "", 3},
    {"tick period at handler, p50", "ms", "tick_period_window_ms.p50", "", 3},
    {"tick |period - 50| at handler, p99", "ms", "tick_deviation_window_ms.p99", "<= 2", 3},
    {"tick |period - 50| at handler, max", "ms", "tick_deviation_window_ms.max", "", 3},
    {"tick period at board, mean", "ms", "tick_period_board_ms.mean", "", 3},
    {"tick period at board, p50", "ms", "tick_period_board_ms.p50", "", 3},
    {"tick |period - 50| at board, p99", "ms", "tick_deviation_board_ms.p99", "", 3},
    {"tick |period - 50| at board, max", "ms", "tick_deviation_board_ms.max", "", 3},
    {"tick handler run time, p50", "ms", "tick_handler_ms.p50", "", 3},
    {"tick handler run time, p99", "ms", "tick_handler_ms.p99", "", 3},
    {"tick start to frame at board, p50", "ms", "tick_to_frame_at_board_ms.p50", "", 3},
    {"click to frame at board, p50", "ms", "click_to_frame_at_board_ms.p50", "", 2},
    {"click to frame at board, p99", "ms", "click_to_frame_at_board_ms.p99", "", 2},
    {"click to frame at board, max", "ms", "click_to_frame_at_board_ms.max", "<= 58.3", 2},
    {"clicks without their frame", "", "click_to_frame_at_board_ms.unmatched", "0", 0},
    {"board reply sent to receive event, p50", "ms", "board_reply_to_receive_event_ms.p50", "", 3},
    {"status in to handled, p99", "ms", "status_to_handled_ms.p99", "", 3},
    {"status in to painted, p99", "ms", "status_to_painted_ms.p99", "", 3},
    {"last reply byte to painted, p99", "ms", "last_byte_to_painted_ms.p99", "<= 1", 3},
    {"  frames that change a look, p50", "ms", "status_to_painted_changed_ms.p50", "", 3},
    {"  frames that change a look, p99", "ms", "status_to_painted_changed_ms.p99", "<= 1", 3},
    {"status frames accepted", "", "frames_accepted", "", 0},
    {"  of which changed a look", "", "frames_changing_a_look", "", 0},
    {"CPU while polling, every event stamped", "% core", "cpu_percent_polling", "<= 0.5", 3},
    {"  getrusage: user", "% core", "cpu_percent_polling_user", "", 3},
    {"  getrusage: system (kernel)", "% core", "cpu_percent_polling_system", "", 3},
    {"CPU while polling", "s/min", "cpu_seconds_per_minute_polling", "<= 0.3", 3},
    {"CPU while polling and clicking", "% core", "cpu_percent_with_clicks", "", 3},
    {"peak RSS (VmHWM)", "MB", "peak_rss_mb", "<= 60", 1},
    {"start: process to main()", "ms", "start_process_to_main_ms", "", 1},
    {"start: process to first paint", "ms", "start_process_to_first_paint_ms", "", 1},
    {"start: process to first Timer1 tick", "ms", "start_process_to_first_tick_ms", "<= 500", 1},
    {"start: main() to first Timer1 tick", "ms", "start_main_to_first_tick_ms", "", 1},
    {"open click to first frame at board", "ms", "open_click_to_first_frame_at_board_ms", "<= 500",
     1},
    {"allocations per tick handler", "", "allocations.per_tick_handler", "0", 2},
    {"allocations per status frame handler", "", "allocations.per_status_frame_handler", "0", 2},
    {"allocations per read notification", "", "allocations.per_read_notification_without_frame", "",
     2},
    {"allocations per poll cycle, process", "", "allocations.per_poll_cycle_whole_process", "0", 2},
    {"side by side, quiet polling, nothing stamped", nullptr, nullptr, nullptr, 0},
    {"CPU: window", "% core", "side_by_side.window.cpu_percent", "", 3},
    {"CPU: pyserial script", "% core", "side_by_side.script.cpu_percent", "", 3},
    {"CPU: C loop", "% core", "side_by_side.c_loop.cpu_percent", "", 3},
    {"CPU: Qt floor", "% core", "side_by_side.qt_floor.cpu_percent", "", 3},
    {"  window / script", "x", "side_by_side.ratios.cpu_vs_script", "<= 1", 2},
    {"  window / script, median of its seconds", "x",
     "side_by_side.ratios.cpu_vs_script_median_second", "<= 1", 2},
    {"  share of seconds at or below the script", "",
     "side_by_side.ratios.cpu_vs_script_seconds_at_or_below", "", 2},
    {"  window / C loop", "x", "side_by_side.ratios.cpu_vs_c_loop", "", 2},
    {"  window / Qt floor", "x", "side_by_side.ratios.cpu_vs_qt_floor", "", 2},
    {"wake-ups per tick: window", "", "side_by_side.window.wakeups_per_tick", "<= 3 / 2", 2},
    {"wake-ups per tick: script", "", "side_by_side.script.wakeups_per_tick", "", 2},
    {"wake-ups per tick: C loop", "", "side_by_side.c_loop.wakeups_per_tick", "", 2},
    {"wake-ups per tick: Qt floor", "", "side_by_side.qt_floor.wakeups_per_tick", "", 2},
    {"syscalls per tick: window", "", "side_by_side.window.syscalls_per_tick", "", 1},
    {"syscalls per tick: script", "", "side_by_side.script.syscalls_per_tick", "", 1},
    {"syscalls per tick: C loop", "", "side_by_side.c_loop.syscalls_per_tick", "", 1},
    {"syscalls per tick: Qt floor", "", "side_by_side.qt_floor.syscalls_per_tick", "", 1},
    {"  window brk/mmap/munmap per tick", "", "side_by_side.window.heap_syscalls_per_tick", "0", 2},
    {"tick |period - 50| at board p99: window", "ms",
     "side_by_side.window.tick_deviation_board_p99_ms", "", 2},
    {"tick |period - 50| at board p99: script", "ms",
     "side_by_side.script.tick_deviation_board_p99_ms", "", 2},
    {"tick |period - 50| at board p99: C loop", "ms",
     "side_by_side.c_loop.tick_deviation_board_p99_ms", "", 2},
    {"worst gap at board: window", "ms", "side_by_side.window.worst_gap_board_ms", "", 1},
    {"worst gap at board: script", "ms", "side_by_side.script.worst_gap_board_ms", "", 1},
    {"worst gap at board: C loop", "ms", "side_by_side.c_loop.worst_gap_board_ms", "", 1},
};

// The loops' periods, which let their ticks drift through the window's (see column_run.cpp).
QString loop_periods(const QJsonObject& side_by_side) {
    auto period = [&](const char* name) {
        return side_by_side.value(QLatin1String(name))
            .toObject()
            .value(QStringLiteral("period_ms"))
            .toDouble();
    };
    return QStringLiteral(
               "  side by side, script, C loop and Qt floor poll every %1, %2 and %3 ms: their "
               "ticks pass\n  through every phase of the window's; CPU as measured, tick figures "
               "as if every 50 ms")
        .arg(period("script"), 0, 'f', 3)
        .arg(period("c_loop"), 0, 'f', 3)
        .arg(period("qt_floor"), 0, 'f', 3);
}

QString table(const std::vector<Column>& columns, const QJsonObject& callgrind, double seconds,
              std::optional<int> core) {
    QString out;
    auto line = [&](const QString& text) { out += text + QLatin1Char('\n'); };
    line(QStringLiteral("quellbox-bench: %1 s per column, %2; %3")
             .arg(seconds)
             .arg(QDateTime::currentDateTime().toString(Qt::ISODate))
             .arg(core ? QStringLiteral("every measured process on core %1").arg(*core)
                       : QStringLiteral("processes where the scheduler put them")));
    for (const Column& c : columns) {
        const QJsonArray before = c.json.value(QStringLiteral("load_average_before")).toArray();
        const QJsonArray after = c.json.value(QStringLiteral("load_average_after")).toArray();
        line(QStringLiteral("  %1: %2, replies %3; load average (1 min) %4 before, %5 after%6")
                 .arg(c.label, -7)
                 .arg(c.json.value(QStringLiteral("platform")).toString())
                 .arg(c.json.value(QStringLiteral("board_replies")).toString())
                 .arg(before.at(0).toDouble(), 0, 'f', 2)
                 .arg(after.at(0).toDouble(), 0, 'f', 2)
                 .arg(c.label == QLatin1String("loaded") ? QStringLiteral(" (incl. the busy loop)")
                                                         : QString()));
    }
    if (!columns.empty()) {
        line(loop_periods(columns.front().json.value(QStringLiteral("side_by_side")).toObject()));
    }
    line({});
    QString header = QStringLiteral("%1 %2").arg(QString(), -40).arg(QStringLiteral("unit"), -7);
    for (const Column& c : columns) header += QStringLiteral("%1").arg(c.label, 11);
    header += QStringLiteral("   goal");
    line(header);
    for (const Row& row : rows) {
        if (row.path == nullptr) {  // a heading
            line({});
            line(QString::fromUtf8(row.title));
            continue;
        }
        QString text = QStringLiteral("%1 %2")
                           .arg(QString::fromUtf8(row.title), -40)
                           .arg(QString::fromUtf8(row.unit), -7);
        for (const Column& c : columns) {
            const double v = at(c.json, QString::fromLatin1(row.path));
            text += std::isnan(v) ? QStringLiteral("%1").arg(QStringLiteral("-"), 11)
                                  : QStringLiteral("%1").arg(v, 11, 'f', row.decimals);
        }
        if (*row.goal != '\0') text += QStringLiteral("   %1").arg(QString::fromUtf8(row.goal));
        line(text);
    }
    if (!callgrind.isEmpty()) {
        line({});
        line(
            QStringLiteral("instructions (callgrind, one profile per event)     median         "
                           "min         max   profiles"));
        const std::pair<const char*, const char*> kinds[] = {
            {"tick", "per poll tick"},
            {"frame-same", "per status frame, looks unchanged"},
            {"frame-changed", "per status frame, looks changed"},
            {"paint", "per repaint pass after a change"},
        };
        for (const auto& [key, title] : kinds) {
            const QJsonObject e = callgrind.value(QLatin1String(key)).toObject();
            if (e.isEmpty()) continue;
            line(QStringLiteral("%1 %2 %3 %4 %5")
                     .arg(QString::fromUtf8(title), -46)
                     .arg(e.value(QStringLiteral("p50")).toDouble(), 11, 'f', 0)
                     .arg(e.value(QStringLiteral("min")).toDouble(), 11, 'f', 0)
                     .arg(e.value(QStringLiteral("max")).toDouble(), 11, 'f', 0)
                     .arg(e.value(QStringLiteral("count")).toDouble(), 10, 'f', 0));
        }
        line(
            QStringLiteral("(a status frame's profile holds all its read notifications, the last "
                           "one running the handler)"));
    }
    return out;
}

QJsonObject goals() {
    return QJsonObject{
        {QStringLiteral("tick_deviation_p99_ms"), 2.0},
        {QStringLiteral("status_to_painted_p99_ms"), 1.0},
        {QStringLiteral("cpu_percent_polling"), 0.5},
        {QStringLiteral("peak_rss_mb"), 60.0},
        {QStringLiteral("start_to_first_frame_ms"), 500.0},
        {QStringLiteral("click_to_frame_max_ms"), 58.3},
    };
}

QJsonObject verdict(const QJsonObject& c) {
    return QJsonObject{
        {QStringLiteral("tick_deviation_p99"),
         at(c, QStringLiteral("tick_deviation_window_ms.p99")) <= 2.0},
        {QStringLiteral("status_to_painted_p99"),
         at(c, QStringLiteral("status_to_painted_ms.p99")) <= 1.0},
        {QStringLiteral("cpu_polling"), at(c, QStringLiteral("cpu_percent_polling")) <= 0.5},
        {QStringLiteral("peak_rss"), at(c, QStringLiteral("peak_rss_mb")) <= 60.0},
        {QStringLiteral("start_to_first_tick"),
         at(c, QStringLiteral("start_process_to_first_tick_ms")) <= 500.0},
        {QStringLiteral("open_to_first_frame"),
         at(c, QStringLiteral("open_click_to_first_frame_at_board_ms")) <= 500.0},
        {QStringLiteral("click_to_frame_max"),
         at(c, QStringLiteral("click_to_frame_at_board_ms.max")) <= 58.3},
    };
}

bool write_file(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return file.write(bytes) == bytes.size();
}

int orchestrate(int argc, char** argv, const Options& o) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);  // fonts for the plot
    const QString self = QCoreApplication::applicationFilePath();

    tools::PrivateRuntimeDir runtime(QStringLiteral("quellbox-bench"));
    const std::optional<int> core = o.spread ? std::nullopt : pin_to_one_core();
    std::vector<Column> columns;
    for (const QString& label : o.columns) {
        std::fprintf(stderr, "quellbox-bench: column %s, %g s ...\n",
                     label.toLocal8Bit().constData(), o.seconds);
        const ColumnOptions options{o.seconds, o.count_seconds, o.board_sim, self, core};
        columns.push_back(run_column(options, *column_setup(label), runtime));
    }
    const QJsonObject callgrind =
        o.callgrind_dir.isEmpty() ? QJsonObject{} : summarize_callgrind(o.callgrind_dir);

    const QString text = table(columns, callgrind, o.seconds, core);
    std::fputs(text.toLocal8Bit().constData(), stdout);
    if (!o.text_path.isEmpty() && !write_file(o.text_path, text.toUtf8()))
        die("cannot write --text");

    if (!o.json_path.isEmpty()) {
        QJsonObject root;
        root[QStringLiteral("tool")] = QStringLiteral("quellbox-bench");
        root[QStringLiteral("date")] = QDateTime::currentDateTime().toString(Qt::ISODate);
        root[QStringLiteral("seconds_per_column")] = o.seconds;
        root[QStringLiteral("measured_on_core")] =
            core ? QJsonValue(*core) : QJsonValue(QJsonValue::Null);
        root[QStringLiteral("machine")] = QJsonObject{
            {QStringLiteral("cores"), QThread::idealThreadCount()},
            {QStringLiteral("kernel"), QSysInfo::kernelVersion()},
            {QStringLiteral("os"), QSysInfo::prettyProductName()},
        };
        root[QStringLiteral("goals")] = goals();
        QJsonObject cols;
        for (const Column& c : columns) {
            QJsonObject figures = c.json;
            figures[QStringLiteral("meets_goal")] = verdict(c.json);
            figures[QStringLiteral("samples_ms")] = QJsonObject{
                {QStringLiteral("tick_period_window"), rounded(c.tick_periods_ms)},
                {QStringLiteral("tick_period_board"), rounded(c.board_periods_ms)},
                {QStringLiteral("click_to_frame_at_board"), rounded(c.click_latencies_ms)},
                {QStringLiteral("status_to_painted_changed"), rounded(c.status_to_painted_ms)},
            };
            cols[c.label] = figures;
        }
        root[QStringLiteral("columns")] = cols;
        if (!callgrind.isEmpty()) root[QStringLiteral("callgrind_instructions")] = callgrind;
        if (!write_file(o.json_path, QJsonDocument(root).toJson())) die("cannot write --json");
    }

    if (!o.png_path.isEmpty()) {
        QString subtitle;
        for (const Column& c : columns) {
            if (!subtitle.isEmpty()) subtitle += QStringLiteral("; ");
            subtitle += QStringLiteral("%1: load %2")
                            .arg(c.label)
                            .arg(c.json.value(QStringLiteral("load_average_before"))
                                     .toArray()
                                     .at(0)
                                     .toDouble(),
                                 0, 'f', 2);
        }
        subtitle = QStringLiteral("%1 s per column; 1-min load average at start: %2")
                       .arg(o.seconds)
                       .arg(subtitle);
        if (!draw_plot(o.png_path, columns, subtitle)) die("cannot write --png");
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::int64_t main_start = now_us();
    const Options o = parse(argc, argv);
    if (o.window_run || o.callgrind_ticks > 0) {
        if (o.window_run && !o.plain && o.out_path.isEmpty()) die("--window-run needs --out", 2);
        WindowRunOptions run;
        run.seconds = o.seconds;
        run.count_seconds = o.count_seconds;
        run.callgrind_ticks = o.callgrind_ticks;
        run.board_sim = o.board_sim;
        run.out_path = o.out_path;
        run.main_start_us = main_start;
        return o.plain ? run_plain_window(argc, argv, run) : run_window(argc, argv, run);
    }
    return orchestrate(argc, argv, o);
}
