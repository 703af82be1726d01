#include "session/serial_line.h"

#include <QCoreApplication>

#include "link/failure_notice.h"
#include "link/poll_rules.h"

namespace quellbox::session {

namespace {

// The translation context of the line's words.
class LineText {
    Q_DECLARE_TR_FUNCTIONS(LineText)
};

}  // namespace

SerialLine::SerialLine(LineTarget target, std::vector<std::uint8_t> addresses, SessionEvents events)
    : target_(std::move(target)),
      owner_events_(std::move(events)),
      session_(port_, std::move(addresses),
               SessionEvents{
                   .status = owner_events_.status,
                   .silent = owner_events_.silent,
                   .sent = owner_events_.sent,
                   .lost =
                       [this](const std::string& device, const std::string& reason) {
                           on_lost();
                           if (owner_events_.lost) owner_events_.lost(device, reason);
                       },
                   .wake = [this](SessionTime at) { wake_.arm(at); },
                   .dropped = owner_events_.dropped,
               }),
      wake_(session_) {
    // A line that reconnects goes back only to the lost board's device, never to whatever
    // else the port number reaches by then.
    port_.set_reopen_only_the_lost_device(true);
}

SerialLine::~SerialLine() = default;

QString SerialLine::name() const {
    if (!target_.device.isEmpty()) return target_.device;
    return LineText::tr("port %1").arg(target_.port.value_or(1));
}

std::optional<QString> SerialLine::open() {
    if (target_.device.isEmpty()) {
        port_.set_comm_port(static_cast<std::int16_t>(target_.port.value_or(1)));
    } else {
        port_.set_device_path(target_.device);
    }
    const link::OpenResult result = port_.open();
    if (!result.ok()) return open_failure(result);
    device_ = QString::fromStdString(result.device);
    port_.set_rthreshold(link::receive_threshold);
    session_.restart();
    return std::nullopt;
}

void SerialLine::close() {
    if (reopening_) reopening_->cancel();
    stop_polling();
    port_.close();
}

void SerialLine::start_polling() {
    session_.start();
    session_.run();
}

void SerialLine::stop_polling() {
    session_.stop();
    wake_.stop();
}

void SerialLine::keep_open(std::chrono::milliseconds first, std::chrono::milliseconds longest,
                           ReopenEvents events) {
    reopen_events_ = std::move(events);
    reopening_ = std::make_unique<runtime::GrowingPause>(first, longest, [this] { attempt(); });
    attempt();
}

void SerialLine::attempt() {
    if (const auto failure = open()) {
        if (*failure != told_) {
            told_ = *failure;
            if (reopen_events_.open_failed) reopen_events_.open_failed(*failure);
        }
        reopening_->schedule();
        return;
    }
    reopening_->reset();
    told_.clear();
    start_polling();
    if (reopen_events_.opened) reopen_events_.opened(device_);
}

void SerialLine::on_lost() {
    stop_polling();
    if (!reopening_) return;
    told_.clear();
    reopening_->schedule();
}

QString SerialLine::open_failure(const link::OpenResult& result) const {
    const QString device = result.device.empty() ? name() : QString::fromStdString(result.device);
    // The link's own words for what happened, translated there; this message adds its stop.
    QString reason = link::open_failure_notice(result, name()).what;
    if (reason.endsWith(QLatin1Char('.')) || reason.endsWith(QChar(0x3002))) reason.chop(1);
    if (!result.detail.empty())
        reason += QStringLiteral(" (%1)").arg(QString::fromStdString(result.detail));
    QString hint;
    switch (result.error) {
        case link::OpenError::no_such_port:
            hint = LineText::tr("`quellboxctl ports` lists the ports and the devices they reach.");
            break;
        case link::OpenError::missing:
            hint = LineText::tr("Check that the board is plugged in and switched on.");
            break;
        case link::OpenError::busy:
            hint =
                LineText::tr("Close the program that holds it (a Quellbox window?) and try again.");
            break;
        default:
            break;
    }
    QString message = LineText::tr("cannot open %1: %2.").arg(device, reason);
    if (!hint.isEmpty()) message += QLatin1Char(' ') + hint;
    return message;
}

}  // namespace quellbox::session
