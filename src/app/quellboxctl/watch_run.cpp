// quellboxctl watch: polls until SIGINT or SIGTERM and prints one line per change; with
// --reconnect it waits for a lost device to come back, reopening with a growing pause.

#include <QCoreApplication>
#include <QJsonObject>
#include <QTimer>
#include <algorithm>
#include <optional>

#include "output.h"
#include "runs.h"

namespace quellbox::ctl {

namespace {

constexpr int first_reopen_pause_ms = 100;
constexpr int longest_reopen_pause_ms = 2000;

// One event line, text or JSON; `json` carries the event's own fields.
void print_event(const Request& request, const QString& text, QJsonObject json) {
    if (request.json) {
        json.insert(QStringLiteral("time"), time_stamp());
        json.insert(QStringLiteral("address"), request.address);
        print_json(json);
    } else {
        print_line(time_stamp() + QLatin1Char(' ') + text);
    }
}

}  // namespace

int run_watch(const Request& request) {
    BoardLine* line = nullptr;
    std::optional<link::RelayMap> shown;  // what the lines printed so far say
    bool answering = false;
    QTimer reopen;
    int pause_ms = first_reopen_pause_ms;
    bool told_why = false;  // a failing reopen is explained once per loss

    session::SessionEvents events;
    events.status = [&](std::uint8_t, link::RelayMap relays, const link::Frame&) {
        if (!answering) {
            answering = true;
            print_event(request,
                        shown ? tr_ctl("board %1 answering again").arg(request.address)
                              : tr_ctl("board %1 answering").arg(request.address),
                        {{QStringLiteral("event"), QStringLiteral("answering")}});
        }
        for (int channel = 1; channel <= link::channel_count; ++channel) {
            const bool now = link::is_energized(relays, channel);
            if (shown && link::is_energized(*shown, channel) == now) continue;
            print_event(request, tr_ctl("channel %1 %2").arg(channel).arg(state_word(now)),
                        {{QStringLiteral("channel"), channel}, {QStringLiteral("on"), now}});
        }
        shown = relays;
    };
    events.silent = [&](std::uint8_t) {
        answering = false;
        print_event(request,
                    tr_ctl("board %1 not known (no answer for six polls)").arg(request.address),
                    {{QStringLiteral("event"), QStringLiteral("not-known")}});
    };
    events.lost = [&](const std::string& device, const std::string& reason) {
        line->stop_polling();
        answering = false;
        const QString why = QString::fromStdString(reason);
        print_event(
            request, tr_ctl("port lost: %1").arg(why),
            {{QStringLiteral("event"), QStringLiteral("lost")}, {QStringLiteral("reason"), why}});
        if (!request.reconnect) {
            complain(tr_ctl("lost %1: %2. Run again once it is back, or watch with --reconnect.")
                         .arg(QString::fromStdString(device), why));
            finish(exit_lost);
            return;
        }
        pause_ms = first_reopen_pause_ms;
        told_why = false;
        reopen.start(pause_ms);
    };
    trace_frames(events, request.verbose);

    BoardLine board(target_of(request), std::move(events));
    line = &board;
    reopen.setSingleShot(true);
    QObject::connect(&reopen, &QTimer::timeout, &reopen, [&] {
        if (const auto failure = board.open()) {
            if (!told_why) complain(*failure + QLatin1Char(' ') + tr_ctl("Waiting for it."));
            told_why = true;
            // Doubling pauses up to two seconds: a device that stays away costs almost nothing.
            pause_ms = std::min(pause_ms * 2, longest_reopen_pause_ms);
            reopen.start(pause_ms);
            return;
        }
        print_event(request, tr_ctl("port reopened: %1").arg(board.device()),
                    {{QStringLiteral("event"), QStringLiteral("reopened")},
                     {QStringLiteral("device"), board.device()}});
        board.start_polling();
    });

    // With --reconnect a board that is not there yet is waited for like one that went away.
    if (const auto failure = board.open()) {
        if (!request.reconnect) {
            complain(*failure);
            return exit_open_failed;
        }
        complain(*failure + QLatin1Char(' ') + tr_ctl("Waiting for it."));
        told_why = true;
        reopen.start(pause_ms);
    } else {
        board.start_polling();
    }
    return QCoreApplication::exec();
}

}  // namespace quellbox::ctl
