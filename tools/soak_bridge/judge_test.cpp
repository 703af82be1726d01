// The bridge soak's judge on hand-made timelines: each kind of wrong publication is found and
// named, and what the line or the broker excuses is counted apart, not passed off as right.

#include "judge.h"

#include <gtest/gtest.h>

#include <vector>

namespace quellbox::soak_bridge {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr Micros ms = 1000;
constexpr Micros s = 1'000'000;

Bytes status(std::uint8_t address, link::RelayMap relays) {
    const link::Frame f = link::build_status_frame(address, relays);
    return Bytes(f.begin(), f.end());
}

long wrong_of(const Judge& judge, const std::string& kind) {
    const auto it = judge.violations().find(kind);
    return it == judge.violations().end() ? 0 : it->second;
}

TEST(BridgeJudge, AStateIsRightOnlyWhenThatVeryBoardSentIt) {
    Judge judge({1, 5, 9}, 0);
    judge.board_wrote(1, 1 * ms, status(1, 0x0001));  // board 1: channel 1 on
    judge.board_wrote(5, 2 * ms, status(5, 0x0002));  // board 5: channel 2 on
    judge.state(1, 1, true, 3 * ms);                  // right
    judge.state(1, 2, true, 3 * ms);                  // board 5's relays
    judge.state(9, 1, true, 3 * ms);                  // a board not on the line: board 1's
    judge.state(1, 3, true, 3 * ms);                  // nobody's
    judge.judge_until(10 * s);
    EXPECT_EQ(judge.counts().states, 4);
    EXPECT_EQ(judge.counts().states_right, 1);
    EXPECT_EQ(wrong_of(judge, "state of another board"), 2);
    EXPECT_EQ(wrong_of(judge, "state no frame of the board showed"), 1);
    EXPECT_EQ(judge.wrong(), 3);
    EXPECT_EQ(judge.examples().size(), 3U);
    EXPECT_EQ(judge.waiting(), 0U);
}

TEST(BridgeJudge, AStateAheadOfTheBoardOrBehindItsLatestFrameIsWrong) {
    Judge judge({1}, 0);
    judge.board_wrote(1, 0, status(1, 0x0000));
    judge.state(1, 1, true, 5 * ms);  // published before the board said so
    judge.board_wrote(1, 200 * ms, status(1, 0x0001));
    judge.state(1, 1, true, 201 * ms);  // now it did
    judge.board_wrote(1, 400 * ms, status(1, 0x0000));
    judge.state(1, 1, true, 900 * ms);  // within the slack of the ON frame: a slow bridge
    judge.state(1, 1, true, 3 * s);     // but long after the board's latest said OFF
    judge.state(1, 1, false, 3 * s);
    // Nothing is judged while frames stamped before it may still come in.
    judge.judge_until(5 * ms);
    EXPECT_EQ(judge.counts().states, 0);
    judge.judge_until(10 * s);
    EXPECT_EQ(judge.counts().states, 5);
    EXPECT_EQ(judge.counts().states_right, 3);
    EXPECT_EQ(wrong_of(judge, "state no frame of the board showed"), 2);
}

TEST(BridgeJudge, FramesThatOnlyLineFaultsPutTogetherAreCountedApart) {
    Judge judge({1, 5}, 0);
    // A reply followed by stray bytes that happen to make a whole status frame.
    Bytes wire = status(1, 0x0000);
    const Bytes stray = status(5, 0x8000);
    wire.insert(wire.end(), stray.begin(), stray.end());
    judge.board_wrote(1, 1 * ms, wire);
    EXPECT_EQ(judge.counts().reports, 1);
    EXPECT_EQ(judge.counts().line_made_frames, 1);
    judge.state(1, 16, true, 2 * ms);
    judge.judge_until(10 * s);
    EXPECT_EQ(judge.counts().states_by_line_faults, 1);
    EXPECT_EQ(judge.wrong(), 0);

    // A frame across two replies counts, unless the line was restarted in between.
    Judge across({1, 5}, 0);
    const Bytes frame = status(1, 0x4000);
    across.board_wrote(1, 1 * ms, Bytes(frame.begin(), frame.begin() + 5));
    Bytes rest(frame.begin() + 5, frame.end());
    across.board_wrote(5, 2 * ms, rest);
    EXPECT_EQ(across.counts().line_made_frames, 1);
    across.board_wrote(1, 3 * ms, Bytes(frame.begin(), frame.begin() + 5));
    across.line_restarted();
    across.board_wrote(5, 4 * ms, rest);
    EXPECT_EQ(across.counts().line_made_frames, 1);
    EXPECT_EQ(across.counts().reports, 0);
}

TEST(BridgeJudge, OnlineNeedsARecentFrameOfThatBoard) {
    Judge judge({1, 9}, 0);
    judge.board_wrote(1, 0, status(1, 0));
    judge.availability(1, true, 500 * ms);
    judge.availability(9, true, 500 * ms);  // board 9 never sent anything
    judge.availability(1, true, 5 * s);     // board 1 has been quiet too long
    judge.availability(1, false, 6 * s);
    judge.judge_until(20 * s);
    EXPECT_EQ(judge.counts().onlines, 3);
    EXPECT_EQ(judge.counts().offlines, 1);
    EXPECT_EQ(wrong_of(judge, "online without a frame from the board"), 2);
}

TEST(BridgeJudge, ACommandIsConfirmedOrExcusedOrWrong) {
    Judge judge({1, 5, 9}, 0);
    judge.availability(1, true, 0);
    judge.availability(5, true, 0);
    judge.state(1, 1, false, 0);

    judge.command(1, 1, true, 1 * s);
    judge.state(1, 1, true, 1200 * ms);  // confirmed
    judge.command(1, 1, true, 2 * s);    // shown already
    judge.command(1, 3, true, 3 * s);    // never shown: wrong
    judge.command(5, 1, true, 3 * s);
    judge.availability(5, false, 4 * s);  // its board went offline
    judge.command(9, 1, true, 3 * s);     // a board never online
    judge.command(1, 4, true, 10 * s);    // taken over by the next
    judge.command(1, 4, false, 10100 * ms);
    judge.state(1, 4, false, 10300 * ms);
    judge.command(1, 5, true, 20 * s);
    judge.broker_down(20200 * ms, 21 * s);  // died with the broker
    judge.command(1, 0, true, 30 * s);      // all sixteen: each channel must show it
    for (int channel = 1; channel <= 15; ++channel) judge.state(1, channel, true, 30500 * ms);
    judge.command(1, 0, false, 40 * s);
    for (int channel = 1; channel <= 16; ++channel) judge.state(1, channel, false, 40500 * ms);

    judge.judge_until(60 * s);
    const JudgeCounts& c = judge.counts();
    EXPECT_EQ(c.commands, 10);
    EXPECT_EQ(c.confirmed, 4);
    EXPECT_EQ(c.already_shown, 1);
    EXPECT_EQ(c.board_offline, 2);
    EXPECT_EQ(c.superseded, 1);
    EXPECT_EQ(c.broker_restart, 1);
    EXPECT_EQ(wrong_of(judge, "command not confirmed"), 2);  // channel 3, and the first all-on
}

}  // namespace
}  // namespace quellbox::soak_bridge
