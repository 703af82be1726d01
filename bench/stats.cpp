#include "stats.h"

#include <algorithm>
#include <cmath>

namespace quellbox::bench {
namespace {

// `sorted` ascending and not empty; p from 0 to 100.
double percentile(const std::vector<double>& sorted, double p) {
    const auto n = static_cast<double>(sorted.size());
    const double rank = std::ceil(p / 100.0 * n);
    const auto index = static_cast<std::size_t>(std::clamp(rank, 1.0, n)) - 1;
    return sorted[index];
}

}  // namespace

Summary summarize(std::vector<double> samples) {
    Summary s;
    if (samples.empty()) return s;
    std::sort(samples.begin(), samples.end());
    s.count = samples.size();
    s.max = samples.back();
    s.p50 = percentile(samples, 50);
    s.p99 = percentile(samples, 99);
    return s;
}

double per(double amount, double count) {
    return count > 0 ? amount / count : std::nan("");
}

std::vector<double> differences(const std::vector<double>& series) {
    std::vector<double> out;
    for (std::size_t i = 1; i < series.size(); ++i) out.push_back(series[i] - series[i - 1]);
    return out;
}

}  // namespace quellbox::bench
