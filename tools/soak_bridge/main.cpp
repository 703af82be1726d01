// quellbox-soak-bridge: runs the MQTT bridge for a long while against the virtual board and a
// real broker, with faults on the line, late answers, hang-ups and broker restarts, judging
// every state it publishes and every command sent to it (see bridge_soak.h). Exits 0 when
// nothing was wrong, 1 on anything wrong (or growing memory, or a bridge that died), 2 on bad
// options, 3 when the run could not be set up.

#include <QCoreApplication>
#include <QDir>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "bridge_soak.h"
#include "runtime/event_loop.h"
#include "tools/command_line.h"
#include "tools/private_runtime_dir.h"

namespace {

using quellbox::soak_bridge::SoakOptions;

constexpr const char* usage_text = R"(usage: quellbox-soak-bridge [options]

Runs quellbox-mqtt against quellbox-board-sim (boards 1 and 5 on the line; the bridge is also
told of board 9, which is not there) and a Mosquitto broker on a free loopback port. Phases
restart the board with other faults: late answers, line noise, hang-ups, replies with 00 in
byte 1 and quiet periods, byte-by-byte replies; the broker is restarted every 15 to 25 s; a
seeded client sends commands. Every published state must be what that board last sent on the
wire, every "online" must follow a frame of that board, every command must show in the
published state or its board must be offline. Prints a table and, as its last line, one JSON
object.

  --minutes M          how long to run (default 1; fractions allowed)
  --seconds S          the same in seconds
  --seed S             seed of the client and of the phases' settings (default 1)
  --no-late-answers    boards never answer late (an answer in another board's turn is
                       what a bridge that does not check byte 1 gives to the wrong board)
  --sim PATH           the virtual board program (default: the one built with this)
  --bridge PATH        the bridge program (default: the one built with this)
  --log FILE           where the bridge's own lines go (default: soak-bridge.log in the
                       current folder)
  --quiet              no progress lines on stderr
  --help               this text
)";

[[noreturn]] void bad_usage(const std::string& message) {
    std::fprintf(stderr, "quellbox-soak-bridge: %s\n%s", message.c_str(), usage_text);
    std::exit(2);
}

double positive(std::string_view option, std::string_view text) {
    const auto value = quellbox::tools::positive_number(text);
    if (!value)
        bad_usage(std::string(option) + ": expected a positive number, got \"" + std::string(text) +
                  "\"");
    return *value;
}

SoakOptions parse_options(int argc, char** argv) {
    SoakOptions o;
    o.sim_program = QStringLiteral(QUELLBOX_BOARD_SIM);
    o.bridge_program = QStringLiteral(QUELLBOX_MQTT);
    o.bridge_log = QDir::current().absoluteFilePath(QStringLiteral("soak-bridge.log"));
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        auto value = [&]() -> std::string_view {
            if (i + 1 >= argc) bad_usage(std::string(arg) + " needs a value");
            return argv[++i];
        };
        using quellbox::soak_bridge::Millis;
        if (arg == "--help") {
            std::fputs(usage_text, stdout);
            std::exit(0);
        } else if (arg == "--minutes") {
            o.duration = Millis(static_cast<long>(positive(arg, value()) * 60'000.0));
        } else if (arg == "--seconds") {
            o.duration = Millis(static_cast<long>(positive(arg, value()) * 1000.0));
        } else if (arg == "--seed") {
            o.seed = static_cast<std::uint32_t>(positive(arg, value()));
        } else if (arg == "--no-late-answers") {
            o.late_answers = false;
        } else if (arg == "--sim") {
            o.sim_program = QString::fromLocal8Bit(value().data());
        } else if (arg == "--bridge") {
            o.bridge_program = QString::fromLocal8Bit(value().data());
        } else if (arg == "--log") {
            o.bridge_log = QDir::current().absoluteFilePath(QString::fromLocal8Bit(value().data()));
        } else if (arg == "--quiet") {
            o.verbose = false;
        } else {
            bad_usage("unknown option " + std::string(arg));
        }
    }
    return o;
}

}  // namespace

int main(int argc, char** argv) {
    const SoakOptions options = parse_options(argc, argv);
    // A runtime folder of our own: the board's port link never meets a demo's.
    std::unique_ptr<quellbox::tools::PrivateRuntimeDir> runtime;
    try {
        runtime = std::make_unique<quellbox::tools::PrivateRuntimeDir>(
            QStringLiteral("quellbox-soak-bridge"));
    } catch (const std::runtime_error& e) {
        std::fprintf(stderr, "quellbox-soak-bridge: %s\n", e.what());
        return 3;
    }
    runtime->use_for_this_process();
    quellbox::runtime::use_qt_event_loop();
    QCoreApplication app(argc, argv);

    const quellbox::soak_bridge::SoakReport report = quellbox::soak_bridge::run_soak(options);
    print_table(report);
    std::printf("%s\n", to_json(report).c_str());
    std::fflush(stdout);
    if (!report.error.empty() && report.counts.states == 0) return 3;
    return report.passed() ? 0 : 1;
}
