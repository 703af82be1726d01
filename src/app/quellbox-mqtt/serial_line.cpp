#include "serial_line.h"

#include <algorithm>

#include "bridge_log.h"
#include "link/failure_notice.h"
#include "link/poll_rules.h"

namespace quellbox::mqtt {

namespace {

using namespace std::chrono_literals;
constexpr std::chrono::milliseconds first_backoff = 500ms;
constexpr std::chrono::milliseconds max_backoff = 8s;

}  // namespace

SerialLine::SerialLine(int port_number, std::vector<std::uint8_t> addresses, LineEvents events)
    : port_number_(port_number),
      events_(std::move(events)),
      session_(port_, std::move(addresses),
               session::SessionEvents{
                   .status = [this](std::uint8_t address, link::RelayMap relays,
                                    const link::Frame&) { events_.status(address, relays); },
                   .silent = [this](std::uint8_t address) { events_.silent(address); },
                   .sent =
                       [this](std::uint8_t address, const link::Frame& frame) {
                           if (events_.sent) events_.sent(address, frame);
                       },
                   .lost = [this](const std::string& device,
                                  const std::string& reason) { on_lost(device, reason); },
                   .wake = [this](session::SessionTime at) { wake_.arm(at); },
                   .dropped =
                       [this](const session::DroppedAnswers& dropped) {
                           if (events_.dropped) events_.dropped(dropped);
                       },
               }),
      wake_(session_),
      backoff_(first_backoff) {
    port_.set_comm_port(static_cast<std::int16_t>(port_number));
    // The bridge reopens by itself: after a loss only the lost board's device will do.
    port_.set_reopen_only_the_lost_device(true);
    reopen_.setSingleShot(true);
    connect(&reopen_, &QTimer::timeout, this, &SerialLine::try_open);
}

void SerialLine::start() {
    try_open();
}

void SerialLine::stop() {
    session_.stop();
    wake_.stop();
    reopen_.stop();
    port_.close();
}

void SerialLine::try_open() {
    const link::OpenResult result = port_.open();
    if (!result.ok()) {
        const QString device = result.device.empty() ? BridgeText::tr("no serial device")
                                                     : QString::fromStdString(result.device);
        QString why =
            BridgeText::tr("cannot open port %1 (%2): %3")
                .arg(port_number_)
                .arg(device, link::open_failure_notice(result, QString::number(port_number_)).what);
        if (!result.detail.empty())
            why += QStringLiteral(" (%1)").arg(QString::fromStdString(result.detail));
        retry_later(why);
        events_.closed();
        return;
    }
    port_.set_rthreshold(link::receive_threshold);
    session_.restart();
    backoff_ = first_backoff;
    last_failure_.clear();
    log_line(BridgeText::tr("opened port %1 (%2)")
                 .arg(port_number_)
                 .arg(QString::fromStdString(result.device)));
    session_.start();
}

void SerialLine::on_lost(const std::string& device, const std::string& reason) {
    wake_.stop();
    log_line(BridgeText::tr("lost port %1 (%2): %3")
                 .arg(port_number_)
                 .arg(QString::fromStdString(device), QString::fromStdString(reason)));
    events_.closed();
    last_failure_.clear();
    retry_later(QString());
}

void SerialLine::retry_later(const QString& why) {
    if (!why.isEmpty() && why != last_failure_) {
        log_line(BridgeText::tr("%1; trying again with growing pauses (up to %2 s)")
                     .arg(why)
                     .arg(std::chrono::duration_cast<std::chrono::seconds>(max_backoff).count()));
        last_failure_ = why;
    }
    reopen_.start(backoff_);
    backoff_ = std::min(backoff_ * 2, max_backoff);
}

}  // namespace quellbox::mqtt
