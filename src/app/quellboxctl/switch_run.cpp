// quellboxctl on / off / toggle / all: the commands go out one frame per tick, and success is
// only what the board's own status frames show after the last of them was written.

#include <QCoreApplication>
#include <QStringList>
#include <QTimer>
#include <optional>
#include <utility>
#include <vector>

#include "output.h"
#include "runs.h"

namespace quellbox::ctl {

namespace {

struct Wanted {
    int channel;
    bool energized;
};

// The asked states; a toggle needs the board's report first and yields nothing before it.
std::optional<std::vector<Wanted>> wanted_states(const Request& request,
                                                 std::optional<link::RelayMap> known) {
    std::vector<Wanted> wanted;
    switch (request.command) {
        case Command::all_on:
        case Command::all_off:
            for (int channel = 1; channel <= link::channel_count; ++channel) {
                wanted.push_back({channel, request.command == Command::all_on});
            }
            return wanted;
        case Command::toggle:
            if (!known) return std::nullopt;
            for (const int channel : request.channels) {
                wanted.push_back({channel, !link::is_energized(*known, channel)});
            }
            return wanted;
        default:
            for (const int channel : request.channels) {
                wanted.push_back({channel, request.command == Command::on});
            }
            return wanted;
    }
}

void queue(session::PollSession& session, std::uint8_t address, const Request& request,
           const std::vector<Wanted>& wanted) {
    if (request.command == Command::all_on || request.command == Command::all_off) {
        session.queue_all(address, request.command == Command::all_on);
        return;
    }
    for (const Wanted& w : wanted) session.queue_channel(address, w.channel, w.energized);
}

QStringList unconfirmed(const std::vector<Wanted>& wanted, link::RelayMap relays) {
    QStringList out;
    for (const Wanted& w : wanted) {
        if (link::is_energized(relays, w.channel) != w.energized) {
            out << CtlText::tr("channel %1 is %2, asked %3")
                       .arg(w.channel)
                       .arg(state_word(!w.energized), state_word(w.energized));
        }
    }
    return out;
}

}  // namespace

int run_switch(const Request& request) {
    session::SerialLine* line = nullptr;
    std::optional<std::vector<Wanted>> wanted = wanted_states(request, std::nullopt);
    bool queued = false;
    std::optional<link::RelayMap> last;  // the board's last report
    QTimer deadline;

    auto stop = [&](int status) {
        deadline.stop();
        line->stop_polling();
        finish(status);
    };
    auto queue_once = [&] {
        if (queued || !wanted) return;
        queue(line->session(), request.address, request, *wanted);
        queued = true;
    };

    session::SessionEvents events;
    events.status = [&](std::uint8_t address, link::RelayMap relays, const link::Frame& frame) {
        last = relays;
        if (!wanted) {
            wanted = wanted_states(request, relays);
            queue_once();
            return;
        }
        // Only a report that came after the last command was written can confirm it.
        if (!queued || line->session().commands_waiting() > 0) return;
        if (!unconfirmed(*wanted, relays).isEmpty()) return;
        if (request.json) {
            print_json(status_json(address, line->device(), relays, frame));
        } else if (request.verbose) {
            for (const Wanted& w : *wanted) {
                print_line(QStringLiteral("%1 %2").arg(w.channel).arg(state_word(w.energized)));
            }
        }
        stop(exit_done);
    };
    events.silent = [&](std::uint8_t) {
        complain(
            CtlText::tr("%1 did not answer (six polls without a status frame); the switching "
                        "is not confirmed. Check the address, the cable and the board's power.")
                .arg(board_name(request, *line)));
        stop(exit_no_answer);
    };
    events.lost = [&](const std::string& device, const std::string& reason) {
        complain(CtlText::tr("lost %1: %2; the switching is not confirmed.")
                     .arg(QString::fromStdString(device), QString::fromStdString(reason)));
        stop(exit_lost);
    };
    trace_frames(events, request.verbose);
    tell_dropped_answers(events);

    session::SerialLine board(target_of(request), {request.address}, std::move(events));
    line = &board;
    if (!open_or_complain(board)) return exit_open_failed;

    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    QObject::connect(&deadline, &QTimer::timeout, &deadline, [&] {
        if (!last) {
            complain(CtlText::tr("%1 did not answer within %2 ms; the switching is not confirmed.")
                         .arg(board_name(request, board))
                         .arg(request.timeout_ms));
            stop(exit_no_answer);
            return;
        }
        const QStringList missing =
            wanted ? unconfirmed(*wanted, *last) : QStringList{CtlText::tr("no command was sent")};
        complain(CtlText::tr("%1 answered but did not confirm within %2 ms: %3.")
                     .arg(board_name(request, board))
                     .arg(request.timeout_ms)
                     .arg(missing.isEmpty() ? CtlText::tr("its last report came before the last "
                                                          "command went out")
                                            : missing.join(QStringLiteral("; "))));
        stop(exit_not_confirmed);
    });
    queue_once();
    deadline.start(request.timeout_ms);
    board.start_polling();
    return QCoreApplication::exec();
}

}  // namespace quellbox::ctl
