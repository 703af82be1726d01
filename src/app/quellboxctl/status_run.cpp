// quellboxctl status: one status query, the answer printed, done.

#include <QCoreApplication>

#include "output.h"
#include "runs.h"

namespace quellbox::ctl {

int run_status(const Request& request) {
    session::SerialLine* line_ptr = nullptr;
    session::SessionEvents events;
    events.status = [&](std::uint8_t address, link::RelayMap relays, const link::Frame& frame) {
        line_ptr->stop_polling();
        if (request.json) {
            print_json(status_json(address, line_ptr->device(), relays, frame));
        } else {
            print_status_lines(relays);
        }
        finish(exit_done);
    };
    events.silent = [&](std::uint8_t) {
        line_ptr->stop_polling();
        complain(CtlText::tr("%1 did not answer (six polls without a status frame). Check the "
                             "address, the cable and the board's power.")
                     .arg(board_name(request, *line_ptr)));
        finish(exit_no_answer);
    };
    events.lost = [&](const std::string& device, const std::string& reason) {
        complain(CtlText::tr("lost %1: %2")
                     .arg(QString::fromStdString(device), QString::fromStdString(reason)));
        finish(exit_lost);
    };
    trace_frames(events, request.verbose);
    tell_dropped_answers(events);

    session::SerialLine line(target_of(request), {request.address}, std::move(events));
    line_ptr = &line;
    if (!open_or_complain(line)) return exit_open_failed;
    line.start_polling();
    return QCoreApplication::exec();
}

}  // namespace quellbox::ctl
