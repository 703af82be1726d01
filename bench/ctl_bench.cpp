// quellbox-ctl-bench: how fast quellboxctl answers a script, timed from the outside as a script
// sees it (process start to exit) against the paced virtual board:
//   - `status`: start, open, one round trip, print;
//   - `on N` / `off N`: and the frames it wrote until the board confirmed (ticks);
//   - `--version` beside them as the reference: the same process start and exit with no port,
//     so the difference is what the port and the board cost on this machine right now.
//
//   quellbox-ctl-bench [--runs N] [--text PATH]

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "stats.h"
#include "tools/board_process.h"
#include "tools/private_runtime_dir.h"
#include "tools/time_units.h"

namespace {

using namespace quellbox;
using namespace std::chrono_literals;

[[noreturn]] void die(const std::string& message) {
    std::fprintf(stderr, "quellbox-ctl-bench: %s\n", message.c_str());
    std::exit(1);
}

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

QString row(const char* name, const std::vector<double>& samples, const char* unit) {
    const bench::Summary s = bench::summarize(samples);
    return QStringLiteral("%1 %2 %3 %4 %5\n")
        .arg(QString::fromLatin1(name), -34)
        .arg(s.p50, 8, 'f', 1)
        .arg(s.p99, 8, 'f', 1)
        .arg(s.max, 8, 'f', 1)
        .arg(QString::fromLatin1(unit));
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    int runs = 30;
    QString text_path;
    const QStringList args = QCoreApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--runs") && i + 1 < args.size()) {
            runs = args[++i].toInt();
        } else if (args[i] == QLatin1String("--text") && i + 1 < args.size()) {
            text_path = args[++i];
        } else {
            die("usage: quellbox-ctl-bench [--runs N] [--text PATH]");
        }
    }
    if (runs < 1) die("--runs needs a positive number");

    tools::PrivateRuntimeDir runtime(QStringLiteral("quellbox-ctl-bench"));
    runtime.use_for_this_process();
    tools::BoardProcess board(tools::BoardLaunch{QStringLiteral(QUELLBOX_BOARD_SIM),
                                                 {QStringLiteral("--paced")},
                                                 runtime.path(),
                                                 runtime.path() + QStringLiteral("/board.log")});
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
                        "quellboxctl against quellbox-board-sim --paced, %1 runs, "
                        "process start to exit as a script sees it\n")
                        .arg(runs);
    table += QStringLiteral("%1 %2 %3 %4\n")
                 .arg(QStringLiteral("figure"), -34)
                 .arg(QStringLiteral("p50"), 8)
                 .arg(QStringLiteral("p99"), 8)
                 .arg(QStringLiteral("max"), 8);
    table += row("--version (reference: no port)", reference, "ms");
    table += row("status", status, "ms");
    table += row("on N / off N, confirmed", switching, "ms");
    table += row("ticks until confirmed (frames sent)", ticks, "ticks");
    const QByteArray bytes = table.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout);
    if (!text_path.isEmpty()) {
        QFile file(text_path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            die("cannot write " + text_path.toStdString());
        }
    }
    return 0;
}
