// Where the bridge lives on the broker and what it takes from there: the limits of ids and
// prefixes (nothing from the configuration may add a wildcard or a level), the topics of one
// board, and which messages are commands. A message the bridge misreads would switch a relay
// nobody asked for.

#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "topics.h"

namespace quellbox::mqtt {
namespace {

using Rejection = BoardTopics::Rejection;

std::variant<Command, Rejection> parse(const std::string& topic, const std::string& payload) {
    return BoardTopics("quellbox", "bench-a").parse(topic, payload);
}

void expect_command(const std::string& topic, const std::string& payload, int channel,
                    CommandKind kind) {
    const auto result = parse(topic, payload);
    ASSERT_TRUE(std::holds_alternative<Command>(result)) << topic << " " << payload;
    EXPECT_EQ(std::get<Command>(result).channel, channel) << topic;
    EXPECT_EQ(std::get<Command>(result).kind, kind) << topic << " " << payload;
}

void expect_rejected(const std::string& topic, const std::string& payload, Rejection why) {
    const auto result = parse(topic, payload);
    ASSERT_TRUE(std::holds_alternative<Rejection>(result)) << topic << " " << payload;
    EXPECT_EQ(std::get<Rejection>(result), why) << topic << " " << payload;
}

TEST(TopicLevels, IdsAreOneLevelOfUpTo32SafeCharacters) {
    EXPECT_TRUE(is_valid_level("bench-a"));
    EXPECT_TRUE(is_valid_level("Board_9"));
    EXPECT_TRUE(is_valid_level(std::string(32, 'x')));
    EXPECT_FALSE(is_valid_level(std::string(33, 'x')));
    EXPECT_FALSE(is_valid_level(""));
    for (const char* bad : {"a/b", "+", "#", "a+", "bench a", "b\xc3\xa4nk", "a.b", "a\nb"}) {
        EXPECT_FALSE(is_valid_level(bad)) << bad;
    }
}

TEST(TopicLevels, APrefixIsLevelsJoinedBySingleSlashesUpTo128Characters) {
    EXPECT_TRUE(is_valid_prefix("quellbox"));
    EXPECT_TRUE(is_valid_prefix("site-1/lab/quellbox"));
    for (const char* bad : {"", "/quellbox", "quellbox/", "a//b", "a/+/b", "a/#", "a b"}) {
        EXPECT_FALSE(is_valid_prefix(bad)) << bad;
    }
    // 128 characters in levels of 32 or fewer.
    const std::string level(31, 'p');
    const std::string longest = level + '/' + level + '/' + level + '/' + std::string(32, 'q');
    ASSERT_EQ(longest.size(), 128U);
    EXPECT_TRUE(is_valid_prefix(longest));
    EXPECT_FALSE(is_valid_prefix(longest + "d"));
    EXPECT_FALSE(is_valid_prefix(std::string(33, 'x') + "/a")) << "a level over 32";
}

TEST(BoardTopicNames, EveryTopicOfABoardLiesUnderPrefixAndId) {
    const BoardTopics topics("site/lab", "bench-a");
    EXPECT_EQ(topics.board_id(), "bench-a");
    EXPECT_EQ(topics.availability(), "site/lab/bench-a/availability");
    EXPECT_EQ(topics.state(1), "site/lab/bench-a/channel/1/state");
    EXPECT_EQ(topics.state(16), "site/lab/bench-a/channel/16/state");
    EXPECT_EQ(topics.channel_command(7), "site/lab/bench-a/channel/7/set");
    EXPECT_EQ(topics.all_command(), "site/lab/bench-a/all/set");
    EXPECT_EQ(topics.channel_command_filter(), "site/lab/bench-a/channel/+/set");
}

TEST(CommandMessages, EachChannelTakesOnOffAndToggle) {
    for (int channel = 1; channel <= 16; ++channel) {
        const std::string topic = "quellbox/bench-a/channel/" + std::to_string(channel) + "/set";
        expect_command(topic, "ON", channel, CommandKind::on);
        expect_command(topic, "OFF", channel, CommandKind::off);
        expect_command(topic, "TOGGLE", channel, CommandKind::toggle);
    }
    expect_command("quellbox/bench-a/all/set", "ON", 0, CommandKind::on);
    expect_command("quellbox/bench-a/all/set", "OFF", 0, CommandKind::off);
}

TEST(CommandMessages, TopicsThatNameNoChannelOfThisBoardAreNoCommand) {
    for (const char* topic :
         {"quellbox/bench-a/channel/0/set", "quellbox/bench-a/channel/17/set",
          "quellbox/bench-a/channel/01/set", "quellbox/bench-a/channel/+1/set",
          "quellbox/bench-a/channel/1x/set", "quellbox/bench-a/channel//set",
          "quellbox/bench-a/channel/3/state", "quellbox/bench-a/channel/3/set/x",
          "quellbox/bench-a/availability", "quellbox/bench-b/channel/3/set",
          "quellbox/bench-ab/channel/3/set", "other/bench-a/channel/3/set", "quellbox/bench-a",
          "quellbox/bench-a/all/set/x"}) {
        expect_rejected(topic, "ON", Rejection::unknown_topic);
    }
}

TEST(CommandMessages, PayloadsAreExactWordsAndAllChannelsCannotBeToggled) {
    for (const char* payload : {"on", "On", "ON ", " ON", "1", "true", "", "ONOFF"}) {
        expect_rejected("quellbox/bench-a/channel/3/set", payload, Rejection::bad_payload);
    }
    // Flipping sixteen channels blindly would leave a mix nobody chose.
    expect_rejected("quellbox/bench-a/all/set", "TOGGLE", Rejection::bad_payload);
}

}  // namespace
}  // namespace quellbox::mqtt
