#pragma once
// The bridge soak's phases: each restarts the virtual board with another kind of trouble on the
// line, its settings drawn from the soak's seed.

#include <QStringList>
#include <random>
#include <string>

namespace quellbox::soak_bridge {

struct Phase {
    std::string name;
    QStringList sim_args;
};

// A number from `low` to `high`, both included.
int draw(std::mt19937& rng, int low, int high);

// The board's settings for phase `index`: each kind of trouble in turn. Without late answers
// no board ever answers after the next poll went out.
Phase phase(int index, std::mt19937& rng, bool late_answers);

}  // namespace quellbox::soak_bridge
