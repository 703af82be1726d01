#pragma once
// The whole bridge: one serial line and, per board address on it, a BoardBridge. Hands the
// line's news to the board it concerns.

#include <memory>
#include <vector>

#include "board_bridge.h"
#include "bridge_options.h"
#include "session/serial_line.h"

namespace quellbox::mqtt {

class Bridge {
  public:
    explicit Bridge(BridgeOptions options);

    // The boards' broker connections, and the line, which from here on keeps itself open.
    void start();
    // Every board "offline", goodbye to the broker, port closed.
    void stop();

  private:
    BoardBridge* board_at(std::uint8_t address);

    BridgeOptions options_;
    session::SerialLine line_;
    std::vector<std::unique_ptr<BoardBridge>> boards_;
};

}  // namespace quellbox::mqtt
