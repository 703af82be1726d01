// quellboxctl watch: polls until SIGINT or SIGTERM and prints one line per change; with
// --reconnect it waits for a lost device to come back, reopening with a growing pause.

#include <QCoreApplication>
#include <QJsonObject>
#include <chrono>
#include <optional>

#include "output.h"
#include "runs.h"

namespace quellbox::ctl {

namespace {

using namespace std::chrono_literals;
// A device that stays away costs almost nothing; one plugged back in is found within moments.
constexpr std::chrono::milliseconds first_reopen_pause = 100ms;
constexpr std::chrono::milliseconds longest_reopen_pause = 2s;

// One event line, text or JSON; `json` carries the event's own fields. Both are data a script
// reads: the same words in every language.
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
    std::optional<link::RelayMap> shown;  // what the lines printed so far say
    bool answering = false;

    session::SessionEvents events;
    events.status = [&](std::uint8_t, link::RelayMap relays, const link::Frame&) {
        if (!answering) {
            answering = true;
            print_event(request,
                        shown ? QStringLiteral("board %1 answering again").arg(request.address)
                              : QStringLiteral("board %1 answering").arg(request.address),
                        {{QStringLiteral("event"), QStringLiteral("answering")}});
        }
        for (int channel = 1; channel <= link::channel_count; ++channel) {
            const bool now = link::is_energized(relays, channel);
            if (shown && link::is_energized(*shown, channel) == now) continue;
            print_event(request, QStringLiteral("channel %1 %2").arg(channel).arg(state_word(now)),
                        {{QStringLiteral("channel"), channel}, {QStringLiteral("on"), now}});
        }
        shown = relays;
    };
    events.silent = [&](std::uint8_t) {
        answering = false;
        print_event(
            request,
            QStringLiteral("board %1 not known (no answer for six polls)").arg(request.address),
            {{QStringLiteral("event"), QStringLiteral("not-known")}});
    };
    events.lost = [&](const std::string& device, const std::string& reason) {
        answering = false;
        const QString why = QString::fromStdString(reason);
        print_event(
            request, QStringLiteral("port lost: %1").arg(why),
            {{QStringLiteral("event"), QStringLiteral("lost")}, {QStringLiteral("reason"), why}});
        if (!request.reconnect) {
            complain(
                CtlText::tr("lost %1: %2. Run again once it is back, or watch with --reconnect.")
                    .arg(QString::fromStdString(device), why));
            finish(exit_lost);
        }
    };
    trace_frames(events, request.verbose);
    tell_dropped_answers(events);

    session::SerialLine line(target_of(request), {request.address}, std::move(events));
    if (!request.reconnect) {
        if (!open_or_complain(line)) return exit_open_failed;
        line.start_polling();
        return QCoreApplication::exec();
    }
    // With --reconnect a board that is not there yet is waited for like one that went away.
    bool first_attempt = true;
    line.keep_open(first_reopen_pause, longest_reopen_pause,
                   {.opened =
                        [&](const QString& device) {
                            if (first_attempt) return;
                            print_event(request, QStringLiteral("port reopened: %1").arg(device),
                                        {{QStringLiteral("event"), QStringLiteral("reopened")},
                                         {QStringLiteral("device"), device}});
                        },
                    .open_failed =
                        [&](const QString& notice) {
                            complain(notice + QLatin1Char(' ') + CtlText::tr("Waiting for it."));
                        }});
    first_attempt = false;
    return QCoreApplication::exec();
}

}  // namespace quellbox::ctl
