#pragma once
// One board on the broker: its own connection (whose last will is the board's "offline"), its
// availability, its sixteen channel states as the board reported them, its command topics and
// its discovery entries. States are published when the board reports a change, never when a
// command is merely sent, and all of them again whenever the broker connection comes back.

#include <cstdint>
#include <optional>
#include <string_view>

#include "bridge_options.h"
#include "link/frames.h"
#include "mqtt_connection.h"
#include "session/poll_session.h"
#include "topics.h"

namespace quellbox::mqtt {

class BoardBridge {
  public:
    BoardBridge(const BridgeOptions& options, const BoardConfig& board,
                session::PollSession& session);

    void start() { connection_.start(); }
    // Publishes "offline" and says goodbye to the broker.
    void stop();

    void on_status(link::RelayMap relays);
    // The board stopped answering or the port is gone.
    void on_unreachable();

  private:
    void on_connected();
    void on_message(std::string_view topic, std::string_view payload, bool retained);
    void publish_availability();
    void publish_states(link::RelayMap relays, std::optional<link::RelayMap> before);

    std::uint8_t address_;
    BoardTopics topics_;
    const BridgeOptions& options_;
    session::PollSession& session_;
    MqttConnection connection_;
    bool online_ = false;
    std::optional<link::RelayMap> published_;  // what the retained state topics say
};

}  // namespace quellbox::mqtt
