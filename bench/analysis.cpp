#include "analysis.h"

#include <QJsonArray>
#include <algorithm>
#include <cmath>

namespace quellbox::bench {
namespace {

constexpr double us_per_ms = 1000.0;

double ms_between(double from_us, double to_us) {
    return (to_us - from_us) / us_per_ms;
}

std::vector<double> absolute_deviation(const std::vector<double>& periods) {
    std::vector<double> out;
    out.reserve(periods.size());
    for (const double p : periods) out.push_back(std::abs(p - tick_ms));
    return out;
}

double mean(double total, double count) {
    return count > 0 ? total / count : 0.0;
}

// The first board line of `kind` (and, if given, frame) strictly after `t_us`, or nullptr.
const SimLine* first_after(const std::vector<SimLine>& board, const char* kind, double t_us,
                           const QString& frame = {}) {
    const auto start = std::upper_bound(
        board.begin(), board.end(), t_us,
        [](double t, const SimLine& line) { return t < static_cast<double>(line.t_us); });
    for (auto it = start; it != board.end(); ++it) {
        if (it->kind != QLatin1String(kind)) continue;
        if (!frame.isEmpty() && it->rest != frame) continue;
        return &*it;
    }
    return nullptr;
}

// The last board line of `kind` at or before `t_us`, or nullptr.
const SimLine* last_before(const std::vector<SimLine>& board, const char* kind, double t_us) {
    auto it = std::upper_bound(board.begin(), board.end(), t_us, [](double t, const SimLine& line) {
        return t < static_cast<double>(line.t_us);
    });
    while (it != board.begin()) {
        --it;
        if (it->kind == QLatin1String(kind)) return &*it;
    }
    return nullptr;
}

}  // namespace

QJsonObject to_json(const Summary& s) {
    return QJsonObject{
        {QStringLiteral("count"), static_cast<double>(s.count)},
        {QStringLiteral("mean"), s.mean},
        {QStringLiteral("min"), s.min},
        {QStringLiteral("p50"), s.p50},
        {QStringLiteral("p90"), s.p90},
        {QStringLiteral("p99"), s.p99},
        {QStringLiteral("max"), s.max},
    };
}

Column analyse(const QString& label, const QJsonObject& run, const std::vector<SimLine>& board,
               std::int64_t spawn_us) {
    Column column;
    column.label = label;
    QJsonObject& j = column.json;
    auto num = [&](const char* key) { return run.value(QLatin1String(key)).toDouble(); };

    const double t0 = num("quiet_start_us");
    const double t_quiet_end = num("quiet_end_us");
    const double t1 = num("end_us");
    auto inside = [&](double t) { return t >= t0 && t <= t1; };

    // ---- ticks, at the handler ----
    std::vector<double> tick_starts;
    std::vector<double> tick_handler_ms;
    double tick_allocations = 0;
    for (const QJsonValue& v : run.value(QStringLiteral("ticks")).toArray()) {
        const QJsonArray s = v.toArray();
        if (!inside(s[0].toDouble())) continue;
        tick_starts.push_back(s[0].toDouble());
        tick_handler_ms.push_back(ms_between(s[0].toDouble(), s[1].toDouble()));
        tick_allocations += s[2].toDouble();
    }
    for (const double d : differences(tick_starts)) column.tick_periods_ms.push_back(d / us_per_ms);
    j[QStringLiteral("tick_period_window_ms")] = to_json(summarize(column.tick_periods_ms));
    j[QStringLiteral("tick_deviation_window_ms")] =
        to_json(summarize(absolute_deviation(column.tick_periods_ms)));
    j[QStringLiteral("tick_handler_ms")] = to_json(summarize(tick_handler_ms));

    // ---- ticks, as frames arriving at the board ----
    std::vector<double> rx_times;
    for (const SimLine& line : board) {
        if (line.kind == QLatin1String("rx") && inside(static_cast<double>(line.t_us))) {
            rx_times.push_back(static_cast<double>(line.t_us));
        }
    }
    for (const double d : differences(rx_times)) column.board_periods_ms.push_back(d / us_per_ms);
    j[QStringLiteral("tick_period_board_ms")] = to_json(summarize(column.board_periods_ms));
    j[QStringLiteral("tick_deviation_board_ms")] =
        to_json(summarize(absolute_deviation(column.board_periods_ms)));

    // The write path: tick start to that tick's frame complete at the board.
    std::vector<double> tick_to_board;
    for (std::size_t i = 0; i < tick_starts.size(); ++i) {
        const SimLine* rx = first_after(board, "rx", tick_starts[i]);
        const double next = i + 1 < tick_starts.size() ? tick_starts[i + 1] : t1;
        if (rx != nullptr && static_cast<double>(rx->t_us) < next) {
            tick_to_board.push_back(ms_between(tick_starts[i], static_cast<double>(rx->t_us)));
        }
    }
    j[QStringLiteral("tick_to_frame_at_board_ms")] = to_json(summarize(tick_to_board));

    // ---- clicks ----
    std::vector<double> phases;
    int clicks = 0;
    int unmatched = 0;
    for (const QJsonValue& v : run.value(QStringLiteral("clicks")).toArray()) {
        const QJsonArray s = v.toArray();
        const double t = s[0].toDouble();
        if (!inside(t)) continue;
        ++clicks;
        phases.push_back(s[1].toDouble() / us_per_ms);
        const SimLine* rx = first_after(board, "rx", t, s[2].toString());
        // Its frame goes out with the next tick: anything later than a second is another's.
        if (rx == nullptr || ms_between(t, static_cast<double>(rx->t_us)) > 1000) {
            ++unmatched;
            continue;
        }
        column.click_latencies_ms.push_back(ms_between(t, static_cast<double>(rx->t_us)));
    }
    QJsonObject click_json = to_json(summarize(column.click_latencies_ms));
    click_json[QStringLiteral("clicks")] = clicks;
    click_json[QStringLiteral("unmatched")] = unmatched;
    j[QStringLiteral("click_to_frame_at_board_ms")] = click_json;
    j[QStringLiteral("click_phase_after_tick_ms")] = to_json(summarize(phases));

    // ---- status frames in ----
    std::vector<double> receive_starts;
    std::vector<double> handled;
    std::vector<double> painted;
    double handler_allocations = 0;
    int accepted = 0;
    int rejected = 0;
    int changed = 0;
    for (const QJsonValue& v : run.value(QStringLiteral("receives")).toArray()) {
        const QJsonArray s = v.toArray();
        const double start = s[0].toDouble();
        if (!inside(start)) continue;
        receive_starts.push_back(start);
        if (!s[2].toBool()) {
            ++rejected;
            continue;
        }
        ++accepted;
        handler_allocations += s[4].toDouble();
        handled.push_back(ms_between(start, s[1].toDouble()));
        const bool did_change = s[3].toBool();
        const double paint_end = s[5].toDouble();
        if (did_change && paint_end > 0) {
            ++changed;
            column.status_to_painted_ms.push_back(ms_between(start, paint_end));
            painted.push_back(ms_between(start, paint_end));
        } else {
            painted.push_back(ms_between(start, s[1].toDouble()));  // nothing to paint
        }
    }
    j[QStringLiteral("frames_accepted")] = accepted;
    j[QStringLiteral("frames_rejected")] = rejected;
    j[QStringLiteral("frames_changing_a_look")] = changed;
    j[QStringLiteral("status_to_handled_ms")] = to_json(summarize(handled));
    j[QStringLiteral("status_to_painted_ms")] = to_json(summarize(painted));
    j[QStringLiteral("status_to_painted_changed_ms")] =
        to_json(summarize(column.status_to_painted_ms));

    // The board's last reply byte written to the receive event in the window.
    std::vector<double> reply_to_event;
    for (const SimLine& line : board) {
        if (line.kind != QLatin1String("tx") || !inside(static_cast<double>(line.t_us))) continue;
        const auto it = std::upper_bound(receive_starts.begin(), receive_starts.end(),
                                         static_cast<double>(line.t_us));
        if (it != receive_starts.end() &&
            ms_between(static_cast<double>(line.t_us), *it) < tick_ms) {
            reply_to_event.push_back(ms_between(static_cast<double>(line.t_us), *it));
        }
    }
    j[QStringLiteral("board_reply_to_receive_event_ms")] = to_json(summarize(reply_to_event));

    // From the board's last reply byte (its "tx" line comes right after the write) to the last
    // indicator painted, or to the handler's end when the frame changed no look: what the
    // operator waits for, including any time the port spent not looking at the line.
    std::vector<double> last_byte_to_painted;
    for (const QJsonValue& v : run.value(QStringLiteral("receives")).toArray()) {
        const QJsonArray s = v.toArray();
        const double start = s[0].toDouble();
        if (!inside(start) || !s[2].toBool()) continue;
        const double done =
            s[3].toBool() && s[5].toDouble() > 0 ? s[5].toDouble() : s[1].toDouble();
        // The board stamps its line once its write has returned, which can be a little after
        // the window woke to the byte: its reply is the last one stamped up to 2 ms later.
        const SimLine* tx = last_before(board, "tx", start + 2 * us_per_ms);
        if (tx != nullptr && ms_between(static_cast<double>(tx->t_us), start) < tick_ms) {
            last_byte_to_painted.push_back(ms_between(static_cast<double>(tx->t_us), done));
        }
    }
    j[QStringLiteral("last_byte_to_painted_ms")] = to_json(summarize(last_byte_to_painted));

    std::vector<double> pass_ms;
    double pass_allocations = 0;
    for (const QJsonValue& v : run.value(QStringLiteral("paint_passes")).toArray()) {
        const QJsonArray s = v.toArray();
        if (!inside(s[0].toDouble())) continue;
        pass_ms.push_back(ms_between(s[0].toDouble(), s[1].toDouble()));
        pass_allocations += s[2].toDouble();
    }
    j[QStringLiteral("paint_pass_ms")] = to_json(summarize(pass_ms));

    // ---- CPU and memory ----
    const double quiet_s = (t_quiet_end - t0) / 1e6;
    const double clicking_s = (t1 - t_quiet_end) / 1e6;
    const double cpu_quiet = num("cpu_quiet_s");
    const double cpu_clicking = num("cpu_clicking_s");
    j[QStringLiteral("polling_seconds")] = quiet_s;
    j[QStringLiteral("clicking_seconds")] = clicking_s;
    j[QStringLiteral("cpu_percent_polling")] = mean(cpu_quiet, quiet_s) * 100;
    j[QStringLiteral("cpu_percent_polling_user")] = mean(num("cpu_quiet_user_s"), quiet_s) * 100;
    j[QStringLiteral("cpu_percent_polling_system")] =
        mean(num("cpu_quiet_system_s"), quiet_s) * 100;
    j[QStringLiteral("cpu_seconds_per_minute_polling")] = mean(cpu_quiet, quiet_s) * 60;
    j[QStringLiteral("cpu_percent_with_clicks")] = mean(cpu_clicking, clicking_s) * 100;
    j[QStringLiteral("peak_rss_mb")] = num("vm_hwm_kb") / 1024;
    j[QStringLiteral("rss_at_end_mb")] = num("vm_rss_kb") / 1024;

    // ---- start-up ----
    const auto spawn = static_cast<double>(spawn_us);
    j[QStringLiteral("start_process_to_main_ms")] = ms_between(spawn, num("main_start_us"));
    j[QStringLiteral("start_process_to_window_built_ms")] = ms_between(spawn, num("form_built_us"));
    j[QStringLiteral("start_process_to_first_paint_ms")] = ms_between(spawn, num("first_paint_us"));
    j[QStringLiteral("start_process_to_first_tick_ms")] = ms_between(spawn, num("first_tick_us"));
    j[QStringLiteral("start_main_to_first_tick_ms")] =
        ms_between(num("main_start_us"), num("first_tick_us"));
    const SimLine* first_rx = first_after(board, "rx", num("open_click_us"));
    j[QStringLiteral("open_click_to_first_frame_at_board_ms")] =
        first_rx != nullptr ? ms_between(num("open_click_us"), static_cast<double>(first_rx->t_us))
                            : -1.0;
    j[QStringLiteral("open_click_to_first_status_accepted_ms")] =
        ms_between(num("open_click_us"), num("first_accept_us"));

    // ---- allocations ----
    QJsonObject allocations;
    allocations[QStringLiteral("counted")] =
        run.value(QStringLiteral("allocations_counted")).toBool();
    allocations[QStringLiteral("per_tick_handler")] =
        mean(tick_allocations, static_cast<double>(tick_handler_ms.size()));
    allocations[QStringLiteral("per_status_frame_handler")] =
        mean(handler_allocations, static_cast<double>(accepted));
    allocations[QStringLiteral("per_read_notification_without_frame")] =
        mean(num("byte_allocations"), num("byte_events"));
    allocations[QStringLiteral("read_notifications_without_frame_per_frame")] =
        mean(num("byte_events"), static_cast<double>(accepted + rejected));
    allocations[QStringLiteral("per_paint_pass")] =
        mean(pass_allocations, static_cast<double>(pass_ms.size()));
    allocations[QStringLiteral("per_poll_cycle_whole_process")] =
        mean(num("allocations_quiet"), num("ticks_quiet"));
    j[QStringLiteral("allocations")] = allocations;
    return column;
}

}  // namespace quellbox::bench
