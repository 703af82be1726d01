// quellbox-bench: times the real window and serial stack against the virtual board, side by
// side with reference programs polling boards of their own. Each column runs in fresh child
// processes, against a fresh virtual board in a private runtime folder: first the window with
// every event stamped, then the window as the program runs it beside the three reference loops.
// scripts/bench.sh runs it all; docs/performance.md tells how to read the table.

#include <QDateTime>
#include <QFile>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSysInfo>
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>

#include "column_run.h"
#include "processes.h"

namespace {

using namespace quellbox::bench;

constexpr const char* usage = R"(usage: quellbox-bench [options]

Per column, the window against the virtual board with every event stamped and an operator
clicking; then the window as the program runs it beside a pyserial script, a C loop and the Qt
floor, each on a board of its own, all on one core (docs/performance.md). Columns: idle
(offscreen, replies paced at 9600 baud), xvfb (on Xvfb), whole (each reply in one write), loaded
(a busy loop on a second core).

  --seconds N       measured seconds per column and run (default 60)
  --json PATH       every figure as JSON
  --text PATH       the table (it always goes to stdout too)
  --png PATH        the histograms
  --columns LIST    idle,xvfb,whole,loaded (default) or some of them
  --ctl-runs N      instead: time quellboxctl (status, on/off, --version) N times each
)";

struct Options {
    double seconds = 60;
    int ctl_runs = 0;
    QString json_path, text_path, png_path, out_path;
    QStringList columns{QStringLiteral("idle"), QStringLiteral("xvfb"), QStringLiteral("whole"),
                        QStringLiteral("loaded")};
    bool window_run = false;  // internal: the measured child process, --plain or with --out
    bool plain = false;
};

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
        } else if (arg == "--json" || arg == "--text" || arg == "--png" || arg == "--out") {
            (arg == "--json"   ? o.json_path
             : arg == "--text" ? o.text_path
             : arg == "--png"  ? o.png_path
                               : o.out_path) = value();
        } else if (arg == "--ctl-runs") {
            o.ctl_runs = value().toInt();
            if (o.ctl_runs < 1) die("--ctl-runs: a positive count", 2);
        } else if (arg == "--columns") {
            o.columns = value().split(QLatin1Char(','), Qt::SkipEmptyParts);
            for (const QString& c : o.columns) {
                if (!column_setup(c)) die("--columns: any of idle, xvfb, whole, loaded", 2);
            }
        } else if (arg == "--window-run" || arg == "--plain") {
            (arg == "--plain" ? o.plain : o.window_run) = true;
        } else {
            std::fputs(usage, stderr);
            die("unknown option: " + std::string(arg), 2);
        }
    }
    return o;
}

// ---- the table ----

// The figure at "a.b.0", or the ratio of two such figures, "a.b/c.d".
double at(const QJsonObject& object, const QString& path) {
    if (path.contains(QLatin1Char('/'))) {
        return per(at(object, path.section(QLatin1Char('/'), 0, 0)),
                   at(object, path.section(QLatin1Char('/'), 1)));
    }
    QJsonValue v = object;
    for (const QString& key : path.split(QLatin1Char('.')))
        v = v.isArray() ? v.toArray().at(key.toInt()) : v.toObject().value(key);
    return v.toDouble(std::nan(""));
}

struct Row {
    const char* title;
    const char* unit;
    const char* path;  // nullptr: a heading
    const char* goal;
    int decimals;
};

const Row rows[] = {
    {"every event stamped", nullptr, nullptr, nullptr, 0},
    {"tick |period - 50| at handler, p99", "ms", "tick_deviation_window_ms.p99", "<= 2", 3},
    {"tick |period - 50| at board, p99", "ms", "tick_deviation_board_ms.p99", "", 3},
    {"click to frame at board, p50", "ms", "click_to_frame_at_board_ms.p50", "", 2},
    {"click to frame at board, max", "ms", "click_to_frame_at_board_ms.max", "<= 58.3", 2},
    {"clicks without their frame", "", "click_to_frame_at_board_ms.unmatched", "0", 0},
    {"last reply byte to receive event, p50", "ms", "board_reply_to_receive_event_ms.p50", "", 3},
    {"status in to last indicator painted, p99", "ms", "status_to_painted_ms.p99", "<= 1", 3},
    {"last reply byte to painted, p99", "ms", "last_byte_to_painted_ms.p99", "<= 1", 3},
    {"peak RSS (VmHWM)", "MB", "peak_rss_mb", "<= 60", 1},
    {"process start to first Timer1 tick", "ms", "start_process_to_first_tick_ms", "<= 500", 1},
    {"allocations per tick handler", "", "allocations.per_tick_handler", "0", 2},
    {"allocations per status frame handler", "", "allocations.per_status_frame_handler", "0", 2},
    {"allocations per poll cycle, process", "", "allocations.per_poll_cycle_whole_process", "0", 2},
    {"side by side, quiet polling, nothing stamped", nullptr, nullptr, nullptr, 0},
};

// Side by side, one row per program for each of these.
const Row per_program[] = {
    {"CPU", "% core", "cpu_percent", "", 3},
    {"wake-ups per tick", "", "wakeups_per_tick", "<= 3 / 2", 2},
    {"tick |period - 50| at board p99", "ms", "tick_deviation_board_p99_ms", "", 2},
    {"worst gap at board", "ms", "worst_gap_board_ms", "", 1},
};
const char* const programs[] = {"window", "script", "c_loop", "qt_floor"};

QString table(const std::vector<Column>& columns, double seconds, std::optional<int> core) {
    QString out;
    auto line = [&](const QString& text) { out += text + QLatin1Char('\n'); };
    auto row = [&](const QString& title, const char* unit, const QString& path, const char* goal,
                   int decimals) {
        QString text = QStringLiteral("%1 %2").arg(title, -42).arg(QLatin1String(unit), -7);
        for (const Column& c : columns) {
            const double v = at(c.json, path);
            text += std::isnan(v) ? QStringLiteral("%1").arg(QStringLiteral("-"), 11)
                                  : QStringLiteral("%1").arg(v, 11, 'f', decimals);
        }
        line(*goal != '\0' ? text + QStringLiteral("   ") + QLatin1String(goal) : text);
    };
    line(QStringLiteral("quellbox-bench: %1 s per column, %2; %3")
             .arg(seconds)
             .arg(QDateTime::currentDateTime().toString(Qt::ISODate))
             .arg(core ? QStringLiteral("every measured process on core %1").arg(*core)
                       : QStringLiteral("processes where the scheduler put them")));
    for (const Column& c : columns) {
        line(QStringLiteral("  %1: %2, replies %3; load average (1 min) %4 before, %5 after")
                 .arg(c.label, -7)
                 .arg(c.json.value(QStringLiteral("platform")).toString())
                 .arg(c.json.value(QStringLiteral("board_replies")).toString())
                 .arg(at(c.json, QStringLiteral("load_average_before.0")), 0, 'f', 2)
                 .arg(at(c.json, QStringLiteral("load_average_after.0")), 0, 'f', 2));
    }
    if (!columns.empty()) {
        const QJsonObject& c = columns.front().json;
        line(QStringLiteral("  side by side, script, C loop and Qt floor poll every %1, %2 and %3 "
                            "ms, drifting through\n  the window's ticks; CPU as measured, tick "
                            "figures as if every 50 ms")
                 .arg(at(c, QStringLiteral("side_by_side.script.period_ms")), 0, 'f', 3)
                 .arg(at(c, QStringLiteral("side_by_side.c_loop.period_ms")), 0, 'f', 3)
                 .arg(at(c, QStringLiteral("side_by_side.qt_floor.period_ms")), 0, 'f', 3));
    }
    QString header = QStringLiteral("%1 %2").arg(QString(), -42).arg(QStringLiteral("unit"), -7);
    for (const Column& c : columns) header += QStringLiteral("%1").arg(c.label, 11);
    line(QLatin1Char('\n') + header + QStringLiteral("   goal"));
    for (const Row& r : rows) {
        if (r.path == nullptr) {
            line(QLatin1Char('\n') + QLatin1String(r.title));
        } else {
            row(QLatin1String(r.title), r.unit, QLatin1String(r.path), r.goal, r.decimals);
        }
    }
    for (const char* other : {"script", "c_loop", "qt_floor"}) {
        row(QStringLiteral("CPU: window / %1").arg(QLatin1String(other)), "x",
            QStringLiteral("side_by_side.window.cpu_percent/side_by_side.%1.cpu_percent")
                .arg(other),
            other == std::string_view("script") ? "<= 1" : "", 2);
    }
    for (const Row& r : per_program) {
        for (const char* program : programs) {
            row(QStringLiteral("%1: %2").arg(QLatin1String(r.title), QLatin1String(program)),
                r.unit, QStringLiteral("side_by_side.%1.%2").arg(program, r.path),
                program == programs[0] ? r.goal : "", r.decimals);
        }
    }
    return out;
}

void write_file(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        die("cannot write " + path.toStdString());
}

int orchestrate(int argc, char** argv, const Options& o) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);  // fonts for the plot
    quellbox::tools::PrivateRuntimeDir runtime(QStringLiteral("quellbox-bench"));
    if (o.ctl_runs > 0) {
        const QString text = time_quellboxctl(o.ctl_runs, runtime);
        std::fputs(text.toLocal8Bit().constData(), stdout);
        if (!o.text_path.isEmpty()) write_file(o.text_path, text.toUtf8());
        return 0;
    }
    const std::optional<int> core = pin_to_one_core();
    std::vector<Column> columns;
    for (const QString& label : o.columns) {
        std::fprintf(stderr, "quellbox-bench: column %s, %g s ...\n", qPrintable(label), o.seconds);
        const ColumnOptions options{o.seconds, QCoreApplication::applicationFilePath(), core};
        columns.push_back(run_column(options, *column_setup(label), runtime));
    }
    const QString text = table(columns, o.seconds, core);
    std::fputs(text.toLocal8Bit().constData(), stdout);
    if (!o.text_path.isEmpty()) write_file(o.text_path, text.toUtf8());

    if (!o.json_path.isEmpty()) {
        QJsonObject figures;
        for (const Column& c : columns) figures[c.label] = c.json;
        const QJsonObject root{
            {QStringLiteral("tool"), QStringLiteral("quellbox-bench")},
            {QStringLiteral("date"), QDateTime::currentDateTime().toString(Qt::ISODate)},
            {QStringLiteral("seconds_per_column"), o.seconds},
            {QStringLiteral("measured_on_core"), core ? QJsonValue(*core) : QJsonValue()},
            {QStringLiteral("machine"),
             QSysInfo::prettyProductName() + QStringLiteral(", ") + QSysInfo::kernelVersion()},
            {QStringLiteral("columns"), figures},
        };
        write_file(o.json_path, QJsonDocument(root).toJson());
    }
    if (!o.png_path.isEmpty()) {
        QString subtitle = QStringLiteral("%1 s per column").arg(o.seconds);
        for (const Column& c : columns) {
            subtitle += QStringLiteral("; %1: load %2")
                            .arg(c.label)
                            .arg(at(c.json, QStringLiteral("load_average_before.0")), 0, 'f', 2);
        }
        if (!draw_plot(o.png_path, columns, subtitle))
            die("cannot write " + o.png_path.toStdString());
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const Options o = parse(argc, argv);
    if (!o.window_run) return orchestrate(argc, argv, o);
    if (!o.plain && o.out_path.isEmpty()) die("--window-run needs --out", 2);
    return o.plain ? run_plain_window(argc, argv, o.seconds)
                   : run_window(argc, argv, o.seconds, o.out_path);
}
