#pragma once
// The soak's phases: each restarts the virtual board with other faults on the line.

#include <QStringList>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace quellbox::soak {

using Millis = std::chrono::milliseconds;

struct PhasePlan {
    std::string name;
    QStringList sim_args;  // fault settings, seed and initial relays
    Millis length;
};

// The kinds of phase, in the order they run.
const std::vector<std::string>& phase_kinds();

// Phases of the given kinds (all when empty) in turn, each with its own seed and settings drawn
// from `seed`, filling `total`. Quiet periods of the board range from 150 ms to 600 ms across
// the phases: shorter and longer than six 50 ms ticks.
std::vector<PhasePlan> plan_phases(Millis total, std::uint32_t seed,
                                   std::vector<std::string> kinds = {});

}  // namespace quellbox::soak
