// How fast quellboxctl answers a script, timed from the outside as a script sees it (process
// start to exit) against the paced virtual board:
//   - `status`: start, open, one round trip, print;
//   - `on N` / `off N`: and the frames it wrote until the board confirmed (ticks);
//   - `--version` beside them as the reference: the same process start and exit with no port,
//     so the difference is what the port and the board cost on this machine right now.

#include <QProcess>
#include <QStringList>
#include <string>
#include <vector>

#include "column_run.h"
#include "tools/time_units.h"

namespace quellbox::bench {
namespace {

using namespace std::chrono_literals;

struct Timed {
    double ms = 0;
    int frames_written = 0;  // "> " lines of --verbose
};

Timed run_ctl(const QStringList& arguments) {
    QProcess process;
    const std::int64_t start = tools::now_us();
    process.start(QStringLiteral(QUELLBOX_CTL), arguments);
    if (!process.waitForFinished(10'000))
        die("quellboxctl did not finish: " + arguments.join(' ').toStdString());
    const std::int64_t end = tools::now_us();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        die("quellboxctl " + arguments.join(' ').toStdString() +
            " failed: " + process.readAllStandardError().toStdString());
    }
    Timed timed{static_cast<double>(end - start) / 1000.0, 0};
    for (const QByteArray& line : process.readAllStandardError().split('\n')) {
        timed.frames_written += line.startsWith("quellboxctl: > ") ? 1 : 0;
    }
    return timed;
}

QString row(const QString& name, const std::vector<double>& samples, const char* unit) {
    const Summary s = summarize(samples);
    return QStringLiteral("%1 %2 %3 %4 %5\n")
        .arg(name, -36)
        .arg(s.p50, 8, 'f', 1)
        .arg(s.p99, 8, 'f', 1)
        .arg(s.max, 8, 'f', 1)
        .arg(QLatin1String(unit));
}

}  // namespace

QString time_quellboxctl(int runs, const tools::PrivateRuntimeDir& runtime) {
    runtime.use_for_this_process();  // quellboxctl finds the board by its port number there
    tools::BoardProcess board(board_launch(runtime.path(), QStringLiteral("board-ctl.log"), true));
    if (!board.wait_ready(10s)) die("the virtual board did not start");

    std::vector<double> reference, status, switching, ticks;
    for (int i = 0; i < runs; ++i) {
        const QString channel = QString::number(i % 16 + 1);
        reference.push_back(run_ctl({QStringLiteral("--version")}).ms);
        status.push_back(run_ctl({QStringLiteral("status")}).ms);
        for (const char* command : {"on", "off"}) {
            const Timed timed =
                run_ctl({QString::fromLatin1(command), channel, QStringLiteral("--verbose")});
            switching.push_back(timed.ms);
            ticks.push_back(timed.frames_written);
        }
    }

    QString table = QStringLiteral(
                        "quellboxctl against quellbox-board-sim --paced, %1 runs, process "
                        "start to exit as a script sees it\n")
                        .arg(runs);
    table += QStringLiteral("%1 %2 %3 %4\n")
                 .arg(QStringLiteral("figure"), -36)
                 .arg(QStringLiteral("p50"), 8)
                 .arg(QStringLiteral("p99"), 8)
                 .arg(QStringLiteral("max"), 8);
    table += row(QStringLiteral("--version (reference: no port)"), reference, "ms");
    table += row(QStringLiteral("status"), status, "ms");
    table += row(QStringLiteral("on N / off N, confirmed"), switching, "ms");
    table += row(QStringLiteral("ticks until confirmed (frames sent)"), ticks, "ticks");
    return table;
}

}  // namespace quellbox::bench
