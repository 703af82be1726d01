#include "board_bridge.h"

#include <algorithm>

#include "bridge_log.h"
#include "discovery.h"

namespace quellbox::mqtt {

namespace {

std::string client_id(const std::string& prefix, const std::string& board_id) {
    std::string id = "quellbox-" + prefix + '-' + board_id;
    std::replace(id.begin(), id.end(), '/', '_');
    return id;
}

const char* word(bool on) {
    return on ? "ON" : "OFF";
}

}  // namespace

BoardBridge::BoardBridge(const BridgeOptions& options, const BoardConfig& board,
                         session::PollSession& session)
    : address_(board.address),
      topics_(options.prefix, board.id),
      options_(options),
      session_(session),
      connection_(options.broker, client_id(options.prefix, board.id),
                  BridgeText::tr("board %1 (address %2)")
                      .arg(QString::fromStdString(board.id))
                      .arg(board.address),
                  LastWill{topics_.availability(), "offline"},
                  MqttConnection::Events{
                      .connected = [this] { on_connected(); },
                      .message = [this](std::string_view topic, std::string_view payload,
                                        bool retained) { on_message(topic, payload, retained); },
                  }) {}

void BoardBridge::stop() {
    online_ = false;
    publish_availability();
    connection_.stop();
}

void BoardBridge::on_connected() {
    connection_.subscribe(topics_.channel_command_filter());
    connection_.subscribe(topics_.all_command());
    if (options_.discovery) {
        for (int channel = 1; channel <= link::channel_count; ++channel) {
            const DiscoveryMessage m =
                switch_discovery(options_.discovery_prefix, options_.prefix, topics_, channel);
            connection_.publish(m.topic, m.payload, true);
        }
    }
    // A broker that restarted without persistence lost the retained states: all of them again.
    if (published_) publish_states(*published_, std::nullopt);
    publish_availability();
}

void BoardBridge::on_status(link::RelayMap relays) {
    const std::optional<link::RelayMap> before = published_;
    published_ = relays;
    if (relays != before) publish_states(relays, before);
    if (!online_) {
        online_ = true;
        log_line(BridgeText::tr("board %1 (address %2) answers")
                     .arg(QString::fromStdString(topics_.board_id()))
                     .arg(address_));
        publish_availability();
    }
}

void BoardBridge::on_unreachable() {
    if (!online_) return;
    online_ = false;
    log_line(BridgeText::tr("board %1 (address %2) does not answer")
                 .arg(QString::fromStdString(topics_.board_id()))
                 .arg(address_));
    publish_availability();
}

void BoardBridge::publish_availability() {
    connection_.publish(topics_.availability(), online_ ? "online" : "offline", true);
}

void BoardBridge::publish_states(link::RelayMap relays, std::optional<link::RelayMap> before) {
    for (int channel = 1; channel <= link::channel_count; ++channel) {
        const bool on = link::is_energized(relays, channel);
        if (before && link::is_energized(*before, channel) == on) continue;
        connection_.publish(topics_.state(channel), word(on), true);
    }
}

void BoardBridge::on_message(std::string_view topic, std::string_view payload, bool retained) {
    if (retained) {
        // An old command the broker kept and replays to every new subscriber: carried out, it
        // would switch relays at each start of the bridge, long after anyone asked.
        log_line(BridgeText::tr("ignored %1 on %2: a retained command (the broker replays it at "
                                "every start); publish commands without retain, and clear it "
                                "with: mosquitto_pub -r -n -t %2")
                     .arg(printable(payload), printable(topic)));
        return;
    }
    const auto parsed = topics_.parse(topic, payload);
    if (const auto* rejection = std::get_if<BoardTopics::Rejection>(&parsed)) {
        log_line(*rejection == BoardTopics::Rejection::unknown_topic
                     ? BridgeText::tr("ignored a message on %1: not a command topic")
                           .arg(printable(topic))
                     : BridgeText::tr("ignored %1 on %2: expected ON, OFF or TOGGLE (ON or OFF "
                                      "for all channels)")
                           .arg(printable(payload), printable(topic)));
        return;
    }
    const Command command = std::get<Command>(parsed);
    if (command.channel == 0) {
        session_.queue_all(address_, command.kind == CommandKind::on);
        return;
    }
    bool energize = command.kind == CommandKind::on;
    if (command.kind == CommandKind::toggle) {
        const auto known = session_.known_relays(address_);
        if (!known) {
            log_line(BridgeText::tr("ignored TOGGLE on %1: the board's state is not known")
                         .arg(printable(topic)));
            return;
        }
        energize = !link::is_energized(*known, command.channel);
    }
    session_.queue_channel(address_, command.channel, energize);
}

}  // namespace quellbox::mqtt
