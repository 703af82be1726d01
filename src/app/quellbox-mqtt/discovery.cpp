#include "discovery.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

namespace quellbox::mqtt {

DiscoveryMessage switch_discovery(const std::string& discovery_prefix, const std::string& prefix,
                                  const BoardTopics& board, int channel) {
    // Discovery node ids allow no slash: "lab/quellbox" + "bench-a" -> "lab_quellbox_bench-a".
    std::string node = prefix + '_' + board.board_id();
    std::replace(node.begin(), node.end(), '/', '_');
    const std::string object = "channel" + std::to_string(channel);
    const auto text = [](const std::string& s) { return QString::fromStdString(s); };

    const QJsonObject device{
        {QStringLiteral("identifiers"), QJsonArray{text(node)}},
        {QStringLiteral("name"), QStringLiteral("Quellbox %1").arg(text(board.board_id()))},
        {QStringLiteral("manufacturer"), QStringLiteral("Quellbox")},
        {QStringLiteral("model"), QStringLiteral("16-channel relay board")},
        {QStringLiteral("sw_version"), QCoreApplication::applicationVersion()},
    };
    const QJsonObject config{
        {QStringLiteral("name"), QStringLiteral("Channel %1").arg(channel)},
        {QStringLiteral("unique_id"), text(node + '_' + object)},
        {QStringLiteral("command_topic"), text(board.channel_command(channel))},
        {QStringLiteral("state_topic"), text(board.state(channel))},
        {QStringLiteral("payload_on"), QStringLiteral("ON")},
        {QStringLiteral("payload_off"), QStringLiteral("OFF")},
        {QStringLiteral("availability_topic"), text(board.availability())},
        {QStringLiteral("payload_available"), QStringLiteral("online")},
        {QStringLiteral("payload_not_available"), QStringLiteral("offline")},
        {QStringLiteral("optimistic"), false},
        {QStringLiteral("qos"), 1},
        {QStringLiteral("device"), device},
    };
    return {discovery_prefix + "/switch/" + node + '/' + object + "/config",
            QJsonDocument(config).toJson(QJsonDocument::Compact).toStdString()};
}

}  // namespace quellbox::mqtt
