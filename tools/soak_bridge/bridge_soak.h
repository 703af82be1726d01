#pragma once
// quellbox-soak-bridge: the real MQTT bridge (quellbox-mqtt) for minutes on end against the
// virtual board with three configured boards on one line, two of them there (addresses 1 and 5)
// and one that is not (9), with faults on the line, late answers, hang-ups and restarts of the
// board, restarts of a real Mosquitto broker, and a scripted client sending commands. Every
// publication and command goes to the Judge (judge.h).

#include <QString>
#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "judge.h"
#include "sim_lines.h"

namespace quellbox::soak_bridge {

using Millis = std::chrono::milliseconds;

struct SoakOptions {
    Millis duration{60'000};
    std::uint32_t seed = 1;
    // Boards that now and then answer after the next poll went out: the answer lands in
    // another board's turn. Off only to look at the rest while the bridge cannot tell whose
    // answer a late one is.
    bool late_answers = true;
    QString sim_program;
    QString bridge_program;
    QString bridge_log;  // the bridge's own lines go here
    bool verbose = true;
};

struct SoakReport {
    double duration_s = 0;
    std::vector<std::string> phases;
    JudgeCounts counts;
    std::map<std::string, long> violations;
    std::vector<std::string> examples;
    long wrong = 0;
    long not_judged = 0;
    soak::SimTally sim;
    long broker_restarts = 0;
    std::map<std::string, long> commands_sent;  // "channel", "all"; by board id too
    long bridge_log_lines = 0;
    long rss_first_kib = 0;    // the bridge's, once it runs
    long rss_settled_kib = 0;  // the most it held in the second quarter of the run
    long rss_last_kib = 0;     // the most it held in the last quarter
    long rss_peak_kib = 0;
    long rss_allowance_kib = 0;  // how much the last quarter may exceed the second
    bool rss_flat = true;
    std::string error;  // why the run could not go on, if it could not

    bool passed() const { return error.empty() && wrong == 0 && not_judged == 0 && rss_flat; }
};

SoakReport run_soak(const SoakOptions& options);

std::string to_json(const SoakReport& report);
void print_table(const SoakReport& report);

}  // namespace quellbox::soak_bridge
