#include "side_by_side.h"

#include <algorithm>
#include <cmath>

#include "analysis.h"
#include "stats.h"

namespace quellbox::bench {
namespace {

std::vector<double> frames_at_board(const std::vector<SimLine>& board, double from_us,
                                    double to_us) {
    std::vector<double> times;
    for (const SimLine& line : board) {
        const auto t = static_cast<double>(line.t_us);
        if (line.kind == QLatin1String("rx") && t >= from_us && t <= to_us) times.push_back(t);
    }
    return times;
}

double per(double amount, double count) {
    return count > 0 ? amount / count : std::nan("");
}

QJsonObject figures(const MeasuredProcess& p) {
    QJsonObject out;
    if (!p.polling_start.valid || !p.polling_end.valid) return out;
    const auto from = static_cast<double>(p.polling_start.t_us);
    const auto to = static_cast<double>(p.polling_end.t_us);
    const std::vector<double> frames = frames_at_board(p.board, from, to);
    const auto ticks = static_cast<double>(frames.size());
    const double seconds = (to - from) / 1e6;
    out[QStringLiteral("ticks")] = ticks;
    out[QStringLiteral("cpu_percent")] =
        per(p.polling_end.cpu_seconds - p.polling_start.cpu_seconds, seconds) * 100;
    out[QStringLiteral("wakeups_per_tick")] = per(
        static_cast<double>(p.polling_end.voluntary_switches - p.polling_start.voluntary_switches),
        ticks);

    // Against its own period; a gap as if it polled every 50 ms, so that the loops' slightly
    // longer periods neither count as lateness nor lengthen their gaps.
    const double own_ms = std::chrono::duration<double, std::milli>(p.period).count();
    std::vector<double> periods;
    for (std::size_t i = 1; i < frames.size(); ++i)
        periods.push_back((frames[i] - frames[i - 1]) / 1000 - own_ms + tick_ms);
    std::vector<double> deviation;
    for (const double period : periods) deviation.push_back(std::abs(period - tick_ms));
    const Summary dev = summarize(deviation);
    const Summary gaps = summarize(periods);
    out[QStringLiteral("period_ms")] = own_ms;
    out[QStringLiteral("tick_deviation_board_p99_ms")] = dev.p99;
    out[QStringLiteral("worst_gap_board_ms")] = gaps.max;

    if (!p.syscalls.empty()) {
        const double counted_ticks =
            static_cast<double>(frames_at_board(p.board, static_cast<double>(p.counting_start_us),
                                                static_cast<double>(p.counting_end_us))
                                    .size());
        double total = 0;
        double heap = 0;
        QJsonObject by_name;
        for (const auto& [name, calls] : p.syscalls) {
            total += calls;
            if (name == QLatin1String("brk") || name == QLatin1String("mmap") ||
                name == QLatin1String("munmap") || name == QLatin1String("mremap")) {
                heap += calls;
            }
            by_name[name] = per(calls, counted_ticks);
        }
        out[QStringLiteral("syscalls_per_tick")] = per(total, counted_ticks);
        out[QStringLiteral("heap_syscalls_per_tick")] = per(heap, counted_ticks);
        out[QStringLiteral("syscalls_per_tick_by_name")] = by_name;
    }
    return out;
}

// The window's CPU over the script's in each second both were read: a host that is busy
// elsewhere for a few seconds (this shows as all processes' CPU jumping at once) moves the
// median less than the totals.
std::vector<double> cpu_ratio_per_second(const MeasuredProcess& window,
                                         const MeasuredProcess& script) {
    std::vector<double> ratios;
    const std::vector<ProcessCounters>& w = window.polling_seconds;
    const std::vector<ProcessCounters>& s = script.polling_seconds;
    for (std::size_t i = 1; i < w.size() && i < s.size(); ++i) {
        const double mine = w[i].cpu_seconds - w[i - 1].cpu_seconds;
        const double theirs = s[i].cpu_seconds - s[i - 1].cpu_seconds;
        if (theirs > 0) ratios.push_back(mine / theirs);
    }
    return ratios;
}

}  // namespace

QJsonObject compare_side_by_side(const std::vector<MeasuredProcess>& processes) {
    QJsonObject out;
    for (const MeasuredProcess& p : processes) out[p.name] = figures(p);
    const QJsonObject window = out.value(QStringLiteral("window")).toObject();
    auto ratio = [&](const char* key, const char* other) {
        const double mine = window.value(QLatin1String(key)).toDouble(std::nan(""));
        const double theirs = out.value(QLatin1String(other))
                                  .toObject()
                                  .value(QLatin1String(key))
                                  .toDouble(std::nan(""));
        return per(mine, theirs);
    };
    QJsonObject ratios;
    ratios[QStringLiteral("cpu_vs_script")] = ratio("cpu_percent", "script");
    ratios[QStringLiteral("cpu_vs_c_loop")] = ratio("cpu_percent", "c_loop");
    ratios[QStringLiteral("cpu_vs_qt_floor")] = ratio("cpu_percent", "qt_floor");
    const MeasuredProcess* window_process = nullptr;
    const MeasuredProcess* script_process = nullptr;
    for (const MeasuredProcess& p : processes) {
        if (p.name == QLatin1String("window")) window_process = &p;
        if (p.name == QLatin1String("script")) script_process = &p;
    }
    if (window_process && script_process) {
        const std::vector<double> seconds = cpu_ratio_per_second(*window_process, *script_process);
        if (!seconds.empty()) {
            const auto at_or_below =
                std::count_if(seconds.begin(), seconds.end(), [](double r) { return r <= 1; });
            ratios[QStringLiteral("cpu_vs_script_median_second")] = summarize(seconds).p50;
            ratios[QStringLiteral("cpu_vs_script_seconds_at_or_below")] =
                static_cast<double>(at_or_below) / static_cast<double>(seconds.size());
        }
    }
    ratios[QStringLiteral("wakeups_vs_script")] = ratio("wakeups_per_tick", "script");
    ratios[QStringLiteral("wakeups_vs_c_loop")] = ratio("wakeups_per_tick", "c_loop");
    ratios[QStringLiteral("tick_p99_vs_c_loop")] = ratio("tick_deviation_board_p99_ms", "c_loop");
    ratios[QStringLiteral("worst_gap_vs_c_loop")] = ratio("worst_gap_board_ms", "c_loop");
    out[QStringLiteral("ratios")] = ratios;
    return out;
}

}  // namespace quellbox::bench
