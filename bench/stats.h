#pragma once
// Order statistics of a set of samples. Percentiles are nearest-rank: the value at or below
// which at least p percent of the samples lie, always one of the samples themselves.

#include <cstddef>
#include <vector>

namespace quellbox::bench {

struct Summary {
    std::size_t count = 0;
    double p50 = 0;
    double p99 = 0;
    double max = 0;
};

// All zeros for an empty set.
Summary summarize(std::vector<double> samples);

// amount / count, or NaN when there is nothing to count.
double per(double amount, double count);

// Differences between neighbours of a rising series.
std::vector<double> differences(const std::vector<double>& series);

}  // namespace quellbox::bench
