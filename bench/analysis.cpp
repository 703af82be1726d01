#include "column_run.h"

#include <QJsonArray>
#include <algorithm>
#include <cmath>

namespace quellbox::bench {
namespace {

double ms_between(double from_us, double to_us) {
    return (to_us - from_us) / 1000.0;
}

std::vector<double> deviation(const std::vector<double>& periods) {
    std::vector<double> out;
    for (const double p : periods) out.push_back(std::abs(p - tick_ms));
    return out;
}

auto after(const std::vector<SimLine>& board, double t_us) {
    return std::upper_bound(board.begin(), board.end(), t_us, [](double t, const SimLine& line) {
        return t < static_cast<double>(line.t_us);
    });
}

// The first board line of `kind` (and, if given, frame) strictly after `t_us`, or nullptr.
const SimLine* first_after(const std::vector<SimLine>& board, const char* kind, double t_us,
                           const QString& frame = {}) {
    for (auto it = after(board, t_us); it != board.end(); ++it) {
        if (it->kind == QLatin1String(kind) && (frame.isEmpty() || it->rest == frame)) return &*it;
    }
    return nullptr;
}

// The last board line of `kind` at or before `t_us`, or nullptr.
const SimLine* last_before(const std::vector<SimLine>& board, const char* kind, double t_us) {
    for (auto it = after(board, t_us); it != board.begin();) {
        --it;
        if (it->kind == QLatin1String(kind)) return &*it;
    }
    return nullptr;
}

QJsonObject to_json(const Summary& s) {
    return QJsonObject{
        {QStringLiteral("count"), static_cast<double>(s.count)},
        {QStringLiteral("p50"), s.p50},
        {QStringLiteral("p99"), s.p99},
        {QStringLiteral("max"), s.max},
    };
}

}  // namespace

Column analyse(const QString& label, const QJsonObject& run, const std::vector<SimLine>& board,
               std::int64_t spawn_us) {
    Column column;
    column.label = label;
    QJsonObject& j = column.json;
    auto num = [&](const char* key) { return run.value(QLatin1String(key)).toDouble(); };
    const double t0 = num("quiet_start_us");
    const double t1 = num("end_us");
    auto inside = [&](double t) { return t >= t0 && t <= t1; };

    // ---- ticks, at the handler and as frames arriving at the board ----
    std::vector<double> tick_starts;
    double tick_allocations = 0;
    for (const QJsonValue& v : run.value(QStringLiteral("ticks")).toArray()) {
        const QJsonArray s = v.toArray();
        if (!inside(s[0].toDouble())) continue;
        tick_starts.push_back(s[0].toDouble());
        tick_allocations += s[1].toDouble();
    }
    for (const double d : differences(tick_starts)) column.tick_periods_ms.push_back(d / 1000);
    j[QStringLiteral("tick_deviation_window_ms")] =
        to_json(summarize(deviation(column.tick_periods_ms)));
    for (const double d : differences(frames_at_board(board, t0, t1))) {
        column.board_periods_ms.push_back(d / 1000);
    }
    j[QStringLiteral("tick_deviation_board_ms")] =
        to_json(summarize(deviation(column.board_periods_ms)));

    // ---- clicks: to their frame complete at the board ----
    int unmatched = 0;
    for (const QJsonValue& v : run.value(QStringLiteral("clicks")).toArray()) {
        const QJsonArray s = v.toArray();
        const double t = s[0].toDouble();
        if (!inside(t)) continue;
        const SimLine* rx = first_after(board, "rx", t, s[1].toString());
        // Its frame goes out with the next tick: anything later than a second is another's.
        if (rx == nullptr || ms_between(t, static_cast<double>(rx->t_us)) > 1000) {
            ++unmatched;
            continue;
        }
        column.click_latencies_ms.push_back(ms_between(t, static_cast<double>(rx->t_us)));
    }
    QJsonObject clicks = to_json(summarize(column.click_latencies_ms));
    clicks[QStringLiteral("unmatched")] = unmatched;
    j[QStringLiteral("click_to_frame_at_board_ms")] = clicks;

    // ---- status frames in ----
    std::vector<double> receive_starts;
    std::vector<double> status_to_done;
    std::vector<double> last_byte_to_painted;
    double handler_allocations = 0;
    int accepted = 0;
    for (const QJsonValue& v : run.value(QStringLiteral("receives")).toArray()) {
        const QJsonArray s = v.toArray();
        const double start = s[0].toDouble();
        if (!inside(start)) continue;
        receive_starts.push_back(start);
        if (s[2].toDouble() == 0) continue;  // rejected
        ++accepted;
        handler_allocations += s[4].toDouble();
        const bool painted = s[3].toDouble() != 0 && s[5].toDouble() > 0;
        const double done = painted ? s[5].toDouble() : s[1].toDouble();  // or nothing to paint
        if (painted) column.status_to_painted_ms.push_back(ms_between(start, done));
        status_to_done.push_back(ms_between(start, done));
        // From the board's last reply byte (its "tx" line comes right after the write) to the
        // last indicator painted, or to the handler's end when the frame changed no look: what
        // the operator waits for, including any time the port spent not looking at the line.
        // The board stamps its line once its write has returned, which can be a little after
        // the window woke to the byte: its reply is the last one stamped up to 2 ms later.
        const SimLine* tx = last_before(board, "tx", start + 2000);
        if (tx != nullptr && ms_between(static_cast<double>(tx->t_us), start) < tick_ms) {
            last_byte_to_painted.push_back(ms_between(static_cast<double>(tx->t_us), done));
        }
    }
    j[QStringLiteral("status_to_painted_ms")] = to_json(summarize(status_to_done));
    j[QStringLiteral("last_byte_to_painted_ms")] = to_json(summarize(last_byte_to_painted));

    // The board's last reply byte written to the receive event in the window.
    std::vector<double> reply_to_event;
    for (const SimLine& line : board) {
        const auto t = static_cast<double>(line.t_us);
        if (line.kind != QLatin1String("tx") || !inside(t)) continue;
        const auto it = std::upper_bound(receive_starts.begin(), receive_starts.end(), t);
        if (it != receive_starts.end() && ms_between(t, *it) < tick_ms) {
            reply_to_event.push_back(ms_between(t, *it));
        }
    }
    j[QStringLiteral("board_reply_to_receive_event_ms")] = to_json(summarize(reply_to_event));

    // ---- memory, start-up, allocations ----
    j[QStringLiteral("peak_rss_mb")] = num("peak_rss_kb") / 1024;
    j[QStringLiteral("start_process_to_first_tick_ms")] =
        ms_between(static_cast<double>(spawn_us), num("first_tick_us"));
    j[QStringLiteral("allocations")] = QJsonObject{
        {QStringLiteral("counted"), run.value(QStringLiteral("allocations_counted")).toBool()},
        {QStringLiteral("per_tick_handler"),
         per(tick_allocations, static_cast<double>(tick_starts.size()))},
        {QStringLiteral("per_status_frame_handler"),
         per(handler_allocations, static_cast<double>(accepted))},
        {QStringLiteral("per_poll_cycle_whole_process"),
         per(num("allocations_quiet"), num("ticks_quiet"))},
    };
    return column;
}

}  // namespace quellbox::bench
