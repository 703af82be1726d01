#include "bridge.h"

#include "bridge_log.h"
#include "session/dropped_notice.h"

namespace quellbox::mqtt {

namespace {

std::vector<std::uint8_t> addresses_of(const std::vector<BoardConfig>& boards) {
    std::vector<std::uint8_t> out;
    out.reserve(boards.size());
    for (const BoardConfig& b : boards) out.push_back(b.address);
    return out;
}

}  // namespace

Bridge::Bridge(BridgeOptions options)
    : options_(std::move(options)),
      line_(options_.serial_port, addresses_of(options_.boards),
            LineEvents{
                .status =
                    [this](std::uint8_t address, link::RelayMap relays) {
                        if (BoardBridge* b = board_at(address)) b->on_status(relays);
                    },
                .silent =
                    [this](std::uint8_t address) {
                        if (BoardBridge* b = board_at(address)) b->on_unreachable();
                    },
                .closed =
                    [this] {
                        for (const auto& b : boards_) b->on_unreachable();
                    },
                .sent = {},
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
    line_.start();
}

void Bridge::stop() {
    line_.stop();
    for (const auto& b : boards_) b->stop();
}

BoardBridge* Bridge::board_at(std::uint8_t address) {
    for (std::size_t i = 0; i < options_.boards.size(); ++i) {
        if (options_.boards[i].address == address) return boards_[i].get();
    }
    return nullptr;
}

}  // namespace quellbox::mqtt
