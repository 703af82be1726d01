// quellbox-soak: runs the tool's window for a long while against the virtual board with faults
// on the line, judging every look it shows, and reports what happened. Exits 1 on any wrong
// look or line fault, 2 on bad options, 3 when the board could not be run.

#include <stdlib.h>

#include <QApplication>
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "runtime/event_loop.h"
#include "soak.h"
#include "tools/private_runtime_dir.h"

namespace {

using quellbox::soak::print_table;
using quellbox::soak::SoakOptions;
using quellbox::soak::SoakReport;
using quellbox::soak::to_json;

constexpr const char* usage_text = R"(usage: quellbox-soak [options]

Runs main_form offscreen on the real serial port against quellbox-board-sim, which is
restarted for each phase with other faults on the line, while a seeded operator clicks
channels and buttons, changes the address and closes and reopens the port. Every channel
look is judged as it is written and after every tick. Prints a table and, as its last line,
one JSON object.

  --minutes M     how long to run (default 1; fractions allowed)
  --seconds S     the same in seconds
  --seed S        seed of the operator and of the phases' settings (default 1)
  --phases LIST   only these kinds of phase, comma-separated (default: all of
                  clean, line-noise, short-silences, long-silences, late-board,
                  straddling-board, hang-ups, everything)
  --sim PATH      the virtual board program (default: the one built with this)
  --quiet         no progress lines on stderr
  --help          this text
)";

[[noreturn]] void bad_usage(const std::string& message) {
    std::fprintf(stderr, "quellbox-soak: %s\n%s", message.c_str(), usage_text);
    std::exit(2);
}

double parse_number(std::string_view option, std::string_view text) {
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size() || !(value > 0) || value > 1e7) {
        bad_usage(std::string(option) + ": expected a positive number, got \"" + std::string(text) +
                  "\"");
    }
    return value;
}

SoakOptions parse_options(int argc, char** argv) {
    SoakOptions options;
    options.sim_program = QStringLiteral(QUELLBOX_BOARD_SIM);
    options.verbose = true;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        auto value = [&]() -> std::string_view {
            if (i + 1 >= argc) bad_usage(std::string(arg) + " needs a value");
            return argv[++i];
        };
        if (arg == "--help") {
            std::fputs(usage_text, stdout);
            std::exit(0);
        } else if (arg == "--minutes") {
            options.duration =
                quellbox::soak::Millis(static_cast<long>(parse_number(arg, value()) * 60'000.0));
        } else if (arg == "--seconds") {
            options.duration =
                quellbox::soak::Millis(static_cast<long>(parse_number(arg, value()) * 1000.0));
        } else if (arg == "--seed") {
            options.seed = static_cast<std::uint32_t>(parse_number(arg, value()));
        } else if (arg == "--phases") {
            const QStringList names = QString::fromLocal8Bit(value().data()).split(',');
            for (const QString& name : names) {
                const std::string kind = name.trimmed().toStdString();
                const auto& known = quellbox::soak::phase_kinds();
                if (std::find(known.begin(), known.end(), kind) == known.end()) {
                    bad_usage("unknown kind of phase \"" + kind + "\"");
                }
                options.kinds.push_back(kind);
            }
        } else if (arg == "--sim") {
            options.sim_program = QString::fromLocal8Bit(value().data());
        } else if (arg == "--quiet") {
            options.verbose = false;
        } else {
            bad_usage("unknown option " + std::string(arg));
        }
    }
    return options;
}

// The offscreen platform says so whenever the notice box is raised or sized; that is noise here.
void quiet_offscreen_notes(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtWarningMsg && text.startsWith(QLatin1String("This plugin does not support"))) {
        return;
    }
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}

}  // namespace

int main(int argc, char** argv) {
    const SoakOptions options = parse_options(argc, argv);

    // A runtime folder of our own, so the board's port link never meets a demo's, and no
    // display needed.
    std::unique_ptr<quellbox::tools::PrivateRuntimeDir> runtime;
    try {
        runtime =
            std::make_unique<quellbox::tools::PrivateRuntimeDir>(QStringLiteral("quellbox-soak"));
    } catch (const std::runtime_error& e) {
        std::fprintf(stderr, "quellbox-soak: %s\n", e.what());
        return 3;
    }
    runtime->use_for_this_process();
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);

    qInstallMessageHandler(quiet_offscreen_notes);
    quellbox::runtime::use_qt_event_loop();  // the loop the window runs on
    QApplication app(argc, argv);
    SoakReport report;
    {
        quellbox::soak::Soak soak(options);
        report = soak.run();
    }
    print_table(report);
    std::printf("%s\n", to_json(report).c_str());
    std::fflush(stdout);

    if (!report.error.empty()) return 3;
    return report.wrong_looks == 0 && report.line_faults == 0 ? 0 : 1;
}
