// quellboxctl's command line as a script writes it: every command form, the channel range, and
// the options that only fit some commands. A refused line must come back as a usage error (exit
// status 2, nothing written to the line), never as a request that would switch something.

#include <gtest/gtest.h>

#include <QStringList>
#include <set>
#include <variant>

#include "parse_request.h"

namespace quellbox::ctl {
namespace {

ParseResult parse(const QString& line) {
    return parse_request(QStringList{QStringLiteral("quellboxctl")} +
                         line.split(QLatin1Char(' '), Qt::SkipEmptyParts));
}

Request accepted(const QString& line) {
    const ParseResult result = parse(line);
    if (const auto* error = std::get_if<UsageError>(&result)) {
        ADD_FAILURE() << line.toStdString() << ": refused: " << error->message.toStdString();
        return {};
    }
    EXPECT_TRUE(std::holds_alternative<Request>(result)) << line.toStdString();
    return std::holds_alternative<Request>(result) ? std::get<Request>(result) : Request{};
}

QString refused(const QString& line) {
    const ParseResult result = parse(line);
    const auto* error = std::get_if<UsageError>(&result);
    EXPECT_NE(error, nullptr) << line.toStdString() << ": accepted";
    if (error == nullptr) return {};
    EXPECT_FALSE(error->message.isEmpty()) << line.toStdString();
    return error->message;
}

std::set<int> channel_set(const Request& request) {
    return {request.channels.begin(), request.channels.end()};
}

TEST(ParseRequestCommands, EveryCommandFormIsReadAsItsCommand) {
    EXPECT_EQ(accepted("status").command, Command::status);
    EXPECT_EQ(accepted("watch").command, Command::watch);
    EXPECT_EQ(accepted("ports").command, Command::ports);
    EXPECT_EQ(accepted("all on").command, Command::all_on);
    EXPECT_EQ(accepted("all off").command, Command::all_off);

    const Request on = accepted("on 1 16 5");
    EXPECT_EQ(on.command, Command::on);
    EXPECT_EQ(on.channels, (std::vector<int>{1, 16, 5}));
    const Request off = accepted("off 2");
    EXPECT_EQ(off.command, Command::off);
    EXPECT_EQ(off.channels, std::vector<int>{2});
    const Request toggle = accepted("toggle 9 10");
    EXPECT_EQ(toggle.command, Command::toggle);
    EXPECT_EQ(toggle.channels, (std::vector<int>{9, 10}));

    // Defaults a script relies on: port 1, address 1, one second to confirm.
    const Request plain = accepted("status");
    EXPECT_EQ(plain.port.value_or(1), 1);
    EXPECT_TRUE(plain.device.isEmpty());
    EXPECT_EQ(plain.address, 1);
    EXPECT_EQ(plain.timeout_ms, 1000);
    EXPECT_FALSE(plain.json);
}

TEST(ParseRequestCommands, WrongWordCountsAndUnknownCommandsAreRefused) {
    refused("off");
    refused("toggle");
    refused("all on off");
    refused("all 3");
    refused("status 3");
    EXPECT_TRUE(refused("watch now").contains(QStringLiteral("now")));
    refused("ports 1");
    EXPECT_TRUE(refused("switch 3").contains(QStringLiteral("switch")));
}

TEST(ParseRequestChannels, OnlyChannelsOneToSixteenInPlainDecimal) {
    EXPECT_TRUE(refused("on 0").contains(QStringLiteral("\"0\"")));
    EXPECT_TRUE(refused("on 17").contains(QStringLiteral("\"17\"")));
    EXPECT_TRUE(refused("off 1 17").contains(QStringLiteral("17")))
        << "a bad channel after good ones still refuses the whole line";
    refused("toggle 0");
    for (const char* text : {"-1", "+3", "3.0", "0x3", "3a", "1e1", "99999999999"}) {
        refused(QStringLiteral("on %1").arg(QLatin1String(text)));
    }
    EXPECT_EQ(accepted("on 16").channels, std::vector<int>{16});
    EXPECT_EQ(accepted("on 1").channels, std::vector<int>{1});
}

TEST(ParseRequestChannels, ARepeatedChannelIsAcceptedAndMeansThatChannel) {
    const Request request = accepted("on 3 3 4 3");
    EXPECT_EQ(channel_set(request), (std::set<int>{3, 4}));
    EXPECT_EQ(channel_set(accepted("toggle 7 7")), std::set<int>{7});
}

TEST(ParseRequestChannels, OnAndOffCannotBeMixedInOneLine) {
    // One command per run: "off" after "on" is no channel, not a second command.
    EXPECT_TRUE(refused("on 3 off 4").contains(QStringLiteral("off")));
    EXPECT_TRUE(refused("off 1 on 2").contains(QStringLiteral("on")));
    refused("all on 3");
    refused("on all");
}

TEST(ParseRequestOptions, BoardOptionsAreCheckedAndTheLastOfARepeatedOneCounts) {
    const Request request = accepted("-p 3 -a 255 -t 250 --json -v on 2");
    EXPECT_EQ(request.port, 3);
    EXPECT_EQ(request.address, 255);
    EXPECT_EQ(request.timeout_ms, 250);
    EXPECT_TRUE(request.json);
    EXPECT_TRUE(request.verbose);
    EXPECT_EQ(accepted("--address 0 status").address, 0);
    EXPECT_EQ(accepted("--port 2 --port 7 status").port, 7);
    EXPECT_EQ(accepted("--device /dev/ttyUSB0 status").device, QStringLiteral("/dev/ttyUSB0"));

    refused("--port 32768 status");
    refused("--address -1 status");
    refused("--timeout 0 on 1");
}

TEST(ParseRequestOptions, OptionsThatDoNotFitTheCommandAreRefused) {
    EXPECT_TRUE(accepted("--reconnect watch").reconnect);
    EXPECT_TRUE(accepted("--probe ports").probe);
    EXPECT_TRUE(refused("--reconnect status").contains(QStringLiteral("--reconnect")));
    EXPECT_TRUE(refused("--probe watch").contains(QStringLiteral("--probe")));
    EXPECT_TRUE(refused("--timeout 500 status").contains(QStringLiteral("--timeout")));
    refused("--timeout 500 watch");
    refused("--port 2 ports");
    refused("--device /dev/ttyS0 ports");
    EXPECT_EQ(accepted("--timeout 500 all off").timeout_ms, 500);
}

TEST(ParseRequestOptions, HelpAndVersionArePrintedNotRun) {
    const ParseResult help = parse(QStringLiteral("--help on 3"));
    ASSERT_TRUE(std::holds_alternative<Printout>(help));
    EXPECT_TRUE(std::get<Printout>(help).text.contains(QStringLiteral("Exit status")));
    EXPECT_TRUE(std::holds_alternative<Printout>(parse(QStringLiteral("-V"))));
}

}  // namespace
}  // namespace quellbox::ctl
