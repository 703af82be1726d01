#include "board_line.h"

#include <QCoreApplication>

#include "link/failure_notice.h"
#include "link/poll_rules.h"
#include "output.h"
#include "runs.h"
#include "session/dropped_notice.h"

namespace quellbox::ctl {

namespace {

QString name_of(const BoardTarget& target) {
    if (!target.device.isEmpty()) return target.device;
    return tr_ctl("port %1").arg(target.port.value_or(1));
}

QString open_failure(const BoardTarget& target, const link::OpenResult& result) {
    const QString device =
        result.device.empty() ? name_of(target) : QString::fromStdString(result.device);
    // The link's own words for what happened, translated there; this message adds its stop.
    QString reason = link::open_failure_notice(result, name_of(target)).what;
    if (reason.endsWith(QLatin1Char('.'))) reason.chop(1);
    if (!result.detail.empty())
        reason += QStringLiteral(" (%1)").arg(QString::fromStdString(result.detail));
    QString hint;
    switch (result.error) {
        case link::OpenError::no_such_port:
            hint = tr_ctl("`quellboxctl ports` lists the ports and the devices they reach.");
            break;
        case link::OpenError::missing:
            hint = tr_ctl("Check that the board is plugged in and switched on.");
            break;
        case link::OpenError::busy:
            hint = tr_ctl("Close the program that holds it (a Quellbox window?) and try again.");
            break;
        default:
            break;
    }
    QString message = tr_ctl("cannot open %1: %2.").arg(device, reason);
    if (!hint.isEmpty()) message += QLatin1Char(' ') + hint;
    return message;
}

}  // namespace

BoardLine::BoardLine(const BoardTarget& target, session::SessionEvents events)
    : target_(target),
      session_(port_, {target.address}, with_line_hooks(std::move(events))),
      wake_(session_) {
    // A watch that reconnects goes back only to the lost board's device.
    port_.set_reopen_only_the_lost_device(true);
}

session::SessionEvents BoardLine::with_line_hooks(session::SessionEvents events) {
    events.wake = [this](session::SessionTime at) { wake_.arm(at); };
    if (!events.dropped) {
        events.dropped = [this](const session::DroppedAnswers& dropped) {
            complain(
                QStringLiteral("%1: %2").arg(board_name(*this), session::dropped_notice(dropped)));
        };
    }
    return events;
}

std::optional<QString> BoardLine::open() {
    if (target_.device.isEmpty()) {
        port_.set_comm_port(static_cast<std::int16_t>(target_.port.value_or(1)));
    } else {
        port_.set_device_path(target_.device);
    }
    const link::OpenResult result = port_.open();
    if (!result.ok()) return open_failure(target_, result);
    device_ = QString::fromStdString(result.device);
    port_.set_rthreshold(link::receive_threshold);
    session_.restart();
    return std::nullopt;
}

void BoardLine::close() {
    stop_polling();
    port_.close();
}

void BoardLine::start_polling() {
    session_.start();
    session_.run();
}

void BoardLine::stop_polling() {
    session_.stop();
    wake_.stop();
}

}  // namespace quellbox::ctl
