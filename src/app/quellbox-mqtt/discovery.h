#pragma once
// Home Assistant MQTT discovery: one device per board, one switch entity per channel, each
// tied to the board's availability topic. Published retained, so Home Assistant finds the
// boards whenever it starts.

#include <string>

#include "topics.h"

namespace quellbox::mqtt {

struct DiscoveryMessage {
    std::string topic;
    std::string payload;  // JSON
};

// `prefix` is the bridge's topic prefix: it goes into the unique ids, so two bridges with
// different prefixes never claim the same entity.
DiscoveryMessage switch_discovery(const std::string& discovery_prefix, const std::string& prefix,
                                  const BoardTopics& board, int channel);

}  // namespace quellbox::mqtt
