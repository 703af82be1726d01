#include <QCoreApplication>
#include <QMetaObject>

#include "output.h"
#include "runs.h"
#include "session/dropped_notice.h"

namespace quellbox::ctl {

session::LineTarget target_of(const Request& request) {
    session::LineTarget target;
    if (request.device.isEmpty()) target.port = request.port.value_or(1);
    target.device = request.device;
    return target;
}

void finish(int status) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [status] { QCoreApplication::exit(status); },
        Qt::QueuedConnection);
}

void trace_frames(session::SessionEvents& events, bool verbose) {
    if (!verbose) return;
    events.sent = [](std::uint8_t, const link::Frame& frame) {
        complain(QStringLiteral("> %1").arg(frame_hex(frame, " ")));
    };
    auto status = std::move(events.status);
    events.status = [status](std::uint8_t address, link::RelayMap relays,
                             const link::Frame& frame) {
        complain(QStringLiteral("< %1").arg(frame_hex(frame, " ")));
        if (status) status(address, relays, frame);
    };
}

void tell_dropped_answers(session::SessionEvents& events) {
    // One board per run: the notice needs no board name beside it.
    events.dropped = [](const session::DroppedAnswers& dropped) {
        complain(session::dropped_notice(dropped));
    };
}

bool open_or_complain(session::SerialLine& line) {
    const auto failure = line.open();
    if (failure) complain(*failure);
    return !failure;
}

QString board_name(const Request& request, const session::SerialLine& line) {
    return CtlText::tr("board %1 on %2").arg(request.address).arg(line.device());
}

}  // namespace quellbox::ctl
