#include "bridge.h"

#include <chrono>

#include "bridge_log.h"
#include "session/dropped_notice.h"

namespace quellbox::mqtt {

namespace {

using namespace std::chrono_literals;
// Unattended: a device that stays away is tried every few seconds, without flooding the log.
constexpr std::chrono::milliseconds first_reopen_pause = 500ms;
constexpr std::chrono::milliseconds longest_reopen_pause = 8s;

std::vector<std::uint8_t> addresses_of(const std::vector<BoardConfig>& boards) {
    std::vector<std::uint8_t> out;
    out.reserve(boards.size());
    for (const BoardConfig& b : boards) out.push_back(b.address);
    return out;
}

session::LineTarget target_of(const BridgeOptions& options) {
    if (!options.serial_device.isEmpty()) return {std::nullopt, options.serial_device};
    return {options.serial_port, {}};
}

}  // namespace

Bridge::Bridge(BridgeOptions options)
    : options_(std::move(options)),
      line_(target_of(options_), addresses_of(options_.boards),
            session::SessionEvents{
                .status =
                    [this](std::uint8_t address, link::RelayMap relays, const link::Frame&) {
                        if (BoardBridge* b = board_at(address)) b->on_status(relays);
                    },
                .silent =
                    [this](std::uint8_t address) {
                        if (BoardBridge* b = board_at(address)) b->on_unreachable();
                    },
                .sent = {},
                .lost =
                    [this](const std::string& device, const std::string& reason) {
                        log_line(BridgeText::tr("lost %1 (%2): %3")
                                     .arg(line_.name(), QString::fromStdString(device),
                                          QString::fromStdString(reason)));
                        for (const auto& b : boards_) b->on_unreachable();
                    },
                .wake = {},  // the line's own timer
                .dropped =
                    [this](const session::DroppedAnswers& dropped) {
                        for (const BoardConfig& b : options_.boards) {
                            if (b.address != dropped.board) continue;
                            log_line(BridgeText::tr("board %1 (address %2): %3")
                                         .arg(QString::fromStdString(b.id))
                                         .arg(b.address)
                                         .arg(session::dropped_notice(dropped)));
                        }
                    },
            }) {
    for (const BoardConfig& board : options_.boards)
        boards_.push_back(std::make_unique<BoardBridge>(options_, board, line_.session()));
}

void Bridge::start() {
    for (const auto& b : boards_) b->start();
    line_.keep_open(
        first_reopen_pause, longest_reopen_pause,
        {.opened =
             [this](const QString& device) {
                 log_line(BridgeText::tr("opened %1 (%2)").arg(line_.name(), device));
             },
         .open_failed =
             [](const QString& notice) {
                 log_line(
                     BridgeText::tr("%1 Trying again with growing pauses (up to %2 s).")
                         .arg(notice)
                         .arg(std::chrono::duration_cast<std::chrono::seconds>(longest_reopen_pause)
                                  .count()));
             }});
}

void Bridge::stop() {
    line_.close();
    for (const auto& b : boards_) b->stop();
}

BoardBridge* Bridge::board_at(std::uint8_t address) {
    for (std::size_t i = 0; i < options_.boards.size(); ++i) {
        if (options_.boards[i].address == address) return boards_[i].get();
    }
    return nullptr;
}

}  // namespace quellbox::mqtt
