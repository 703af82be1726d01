// quellbox-soak: runs the tool's window for a long while against the virtual board with faults
// on the line, judging every look it shows, and reports what happened. Exits 1 on any wrong
// look or line fault, 2 on bad options, 3 when the board could not be run.

#include <stdlib.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "soak.h"

namespace {

using quellbox::soak::SoakOptions;
using quellbox::soak::SoakReport;

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

// ---- the report ----

std::string json_string(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

template <typename Map>
std::string json_counts(const Map& counts) {
    std::string out = "{";
    for (const auto& [name, n] : counts) {
        if (out.size() > 1) out += ",";
        out += json_string(name) + ":" + std::to_string(n);
    }
    return out + "}";
}

std::string fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string to_json(const SoakReport& r) {
    const auto& c = r.counts;
    std::map<std::string, long> wrong;
    for (const std::string_view kind : quellbox::soak::Oracle::violation_kinds) {
        const auto found = r.violations.find(std::string(kind));
        wrong[std::string(kind)] = found == r.violations.end() ? 0 : found->second;
    }
    std::string examples = "[";
    for (const std::string& e : r.examples) {
        if (examples.size() > 1) examples += ",";
        examples += json_string(e);
    }
    examples += "]";

    std::string j = "{";
    j += "\"duration_s\":" + fixed(r.duration_s, 1);
    j += ",\"phases\":" + std::to_string(r.phases);
    j += ",\"ticks\":" + std::to_string(c.ticks);
    j += ",\"frames_sent\":" + std::to_string(c.frames_written);
    j += ",\"sim_received\":" + std::to_string(r.sim.received);
    j += ",\"sim_answered\":" + std::to_string(r.sim.answered);
    j += ",\"sim_ignored\":" + std::to_string(r.sim.ignored);
    j += ",\"sim_muted\":" + std::to_string(r.sim.muted);
    j += ",\"sim_unusable_bytes\":" + std::to_string(r.sim.skipped);
    j += ",\"receive_events\":" + std::to_string(c.receive_events);
    j += ",\"frames_accepted\":" + std::to_string(c.frames_accepted);
    j += ",\"frames_accepted_whole_reply\":" + std::to_string(c.accepted_replies);
    j += ",\"frames_accepted_spliced\":" + std::to_string(c.accepted_spliced);
    j += ",\"frames_rejected\":" + std::to_string(c.frames_rejected);
    j += ",\"faults\":" + json_counts(r.sim.faults);
    j += ",\"hangups\":" + std::to_string(r.sim.hangups);
    j += ",\"reopens\":" + std::to_string(r.sim.reopens);
    j += ",\"port_losses\":" + std::to_string(r.port_losses);
    j += ",\"open_attempts\":" + std::to_string(r.open_attempts);
    j += ",\"open_failures\":" + std::to_string(r.open_failures);
    j += ",\"operator_actions\":" + std::to_string(r.actions_total);
    j += ",\"operator_actions_by_kind\":" + json_counts(r.actions);
    j += ",\"looks_judged\":" + std::to_string(c.looks_judged);
    j += ",\"wrong_looks\":" + std::to_string(r.wrong_looks);
    j += ",\"line_faults\":" + std::to_string(r.line_faults);
    j += ",\"violations\":" + json_counts(wrong);
    j += ",\"violation_examples\":" + examples;
    j += ",\"crashes\":{\"tool\":0,\"sim\":" + std::to_string(r.sim_crashes) + "}";
    j += ",\"rss_kib\":{\"start\":" + std::to_string(r.start.rss_kib) +
         ",\"end\":" + std::to_string(r.end.rss_kib) +
         ",\"peak_at_start\":" + std::to_string(r.start.hwm_kib) +
         ",\"peak_at_end\":" + std::to_string(r.end.hwm_kib) + "}";
    j += ",\"cpu_s\":{\"tool\":" + fixed(r.end.cpu_s, 2) +
         ",\"sim\":" + fixed(r.end.children_cpu_s, 2) + "}";
    if (!r.error.empty()) j += ",\"error\":" + json_string(r.error);
    return j + "}";
}

void print_table(const SoakReport& r) {
    const auto& c = r.counts;
    std::string faults;
    for (const auto& [name, n] : r.sim.faults) {
        faults += (faults.empty() ? "" : ", ") + name + " " + std::to_string(n);
    }
    if (faults.empty()) faults = "none";
    std::printf("quellbox soak: %.0f s in %d phases\n", r.duration_s, r.phases);
    std::printf("  %-26s %ld\n", "ticks", c.ticks);
    std::printf("  %-26s %ld\n", "frames sent by the tool", c.frames_written);
    std::printf("  %-26s %ld received, %ld answered, %ld ignored, %ld muted\n", "board",
                r.sim.received, r.sim.answered, r.sim.ignored, r.sim.muted);
    std::printf("  %-26s %ld accepted (%ld spliced), %ld rejected\n", "status frames",
                c.frames_accepted, c.accepted_spliced, c.frames_rejected);
    std::printf("  %-26s %s\n", "faults injected", faults.c_str());
    std::printf("  %-26s %ld hang-ups, %ld reopens, %ld losses seen by the tool\n", "line",
                r.sim.hangups, r.sim.reopens, r.port_losses);
    std::printf("  %-26s %ld (%ld opens tried, %ld failed)\n", "operator actions", r.actions_total,
                r.open_attempts, r.open_failures);
    std::printf("  %-26s %ld of %ld looks judged; line faults %ld\n", "WRONG LOOKS", r.wrong_looks,
                c.looks_judged, r.line_faults);
    std::printf("  %-26s tool 0, board %ld\n", "crashes", r.sim_crashes);
    std::printf("  %-26s %ld -> %ld KiB (peak %ld -> %ld KiB)\n", "resident memory",
                r.start.rss_kib, r.end.rss_kib, r.start.hwm_kib, r.end.hwm_kib);
    std::printf("  %-26s %.2f s tool, %.2f s board\n", "CPU (user + sys)", r.end.cpu_s,
                r.end.children_cpu_s);
    for (const std::string& e : r.examples) std::printf("  ! %s\n", e.c_str());
    if (!r.error.empty()) std::printf("  error: %s\n", r.error.c_str());
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
    QTemporaryDir runtime(QDir::tempPath() + QStringLiteral("/quellbox-soak-XXXXXX"));
    if (!runtime.isValid()) {
        std::fprintf(stderr, "quellbox-soak: cannot make a runtime folder\n");
        return 3;
    }
    ::setenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()).constData(), 1);
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);

    qInstallMessageHandler(quiet_offscreen_notes);
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
