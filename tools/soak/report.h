#pragma once
// What a soak run found, as a table for people and as one JSON object for scripts.

#include <map>
#include <string>
#include <vector>

#include "oracle.h"
#include "process_figures.h"
#include "sim_lines.h"

namespace quellbox::soak {

struct SoakReport {
    double duration_s = 0;
    int phases = 0;
    Oracle::Counts counts;
    long wrong_looks = 0;
    long line_faults = 0;
    std::map<std::string, long> violations;
    std::vector<std::string> examples;
    SimTally sim;
    long sim_crashes = 0;
    long port_losses = 0;
    long open_attempts = 0;
    long open_failures = 0;
    std::map<std::string, long> actions;
    long actions_total = 0;
    ProcessFigures start;
    ProcessFigures end;
    std::string error;  // why the run could not go on, if it could not
};

std::string to_json(const SoakReport& report);
void print_table(const SoakReport& report);

}  // namespace quellbox::soak
