// The reply forecast: when a line may stop watching for a reply's first byte and look once, at
// the moment the reply can be whole. Each test plays a board's replies against it as the serial
// line would: it wakes for a reply's first byte while nothing is forecast, and otherwise looks
// when the forecast says and watches again if the reply is not whole yet.

#include "reply_forecast.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>

namespace quellbox::link {
namespace {

using namespace std::chrono_literals;
using Clock = ReplyForecast::Clock;
using Forecast = std::optional<Clock::time_point>;

constexpr std::size_t frame_bytes = 8;

class ReplyForecastTest : public ::testing::Test {
  protected:
    // One poll: a frame written now, its reply's first byte `delay` later, the rest one byte
    // time apart. Returns what the forecast said at the write.
    Forecast paced_reply(Clock::duration delay) {
        const Clock::time_point asked = now;
        const Forecast whole_at = forecast.written(asked, frame_bytes);
        if (!whole_at) {
            forecast.woke(asked + delay, 1, frame_bytes);  // woken by the first byte
        } else {
            const std::size_t in = bytes_in(asked, delay, *whole_at);
            forecast.looked(in, frame_bytes);
            // Not whole at the look: watched again, the next wake-up finds the rest.
            if (in < frame_bytes) {
                forecast.woke(asked + delay + 7 * byte_time, frame_bytes, frame_bytes);
            }
        }
        forecast.answered();
        now += 50ms;
        return whole_at;
    }

    // One poll whose reply comes in one write: the wake-up or the look finds all of it.
    Forecast reply_in_one_piece(Clock::duration delay) {
        const Forecast whole_at = forecast.written(now, frame_bytes);
        if (!whole_at) {
            forecast.woke(now + delay, frame_bytes, frame_bytes);
        } else {
            forecast.looked(frame_bytes, frame_bytes);
        }
        forecast.answered();
        now += 50ms;
        return whole_at;
    }

    // What a look at `at` finds of a reply written at `asked` whose first byte came `delay` later.
    static std::size_t bytes_in(Clock::time_point asked, Clock::duration delay,
                                Clock::time_point at) {
        const Clock::time_point first = asked + delay;
        if (at < first) return 0;
        const auto more = static_cast<std::size_t>((at - first) / byte_time);
        return std::min(frame_bytes, 1 + more);
    }

    // When a reply written now, whose first byte comes `delay` later, can be whole.
    Clock::time_point due(Clock::duration delay) const {
        return now + delay + 7 * byte_time + ReplyForecast::margin;
    }

    ReplyForecast forecast;
    Clock::time_point now = Clock::time_point{} + 1h;
};

TEST_F(ReplyForecastTest, ASteadyDelayIsLearntFromRepliesWatchedInPieces) {
    for (int i = 0; i < 4; ++i) {
        EXPECT_FALSE(paced_reply(3ms)) << "reply " << i << " is watched while the delay is learnt";
    }
    EXPECT_EQ(forecast.written(now, frame_bytes), due(3ms));

    // Several bytes already in at the wake-up: the first came that many byte times earlier.
    ReplyForecast late_waker;
    for (int i = 0; i < 4; ++i) {
        ASSERT_FALSE(late_waker.written(now, frame_bytes));
        late_waker.woke(now + 3ms + 2 * byte_time, 3, frame_bytes);
        late_waker.answered();
        now += 50ms;
    }
    EXPECT_EQ(late_waker.written(now, frame_bytes), due(3ms));
}

TEST_F(ReplyForecastTest, RepliesInOnePieceAreAlwaysWatched) {
    for (int i = 0; i < 20; ++i) EXPECT_FALSE(reply_in_one_piece(3ms)) << "reply " << i;

    // A line learnt in pieces whose watched reply then comes whole starts learning again.
    for (int i = 0; i < 4; ++i) paced_reply(3ms);
    for (int i = 1; i < 16; ++i) ASSERT_TRUE(paced_reply(3ms));
    ASSERT_FALSE(reply_in_one_piece(3ms)) << "the sixteenth is watched";
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(paced_reply(3ms)) << "reply " << i << " after it";
    EXPECT_TRUE(paced_reply(3ms));
}

TEST_F(ReplyForecastTest, OneLateReplyKeepsTheForecast) {
    for (int i = 0; i < 4; ++i) paced_reply(3ms);
    // The look finds part of a reply four byte times late; the wake-up for the rest finds it
    // whole.
    ASSERT_TRUE(paced_reply(3ms + 4 * byte_time));
    EXPECT_EQ(forecast.written(now, frame_bytes), due(3ms)) << "the next reply is forecast still";
}

TEST_F(ReplyForecastTest, EverySixteenthReplyIsWatchedToKeepTheDelayCurrent) {
    for (int i = 0; i < 4; ++i) paced_reply(3ms);
    for (int round = 0; round < 3; ++round) {
        for (int i = 1; i < 16; ++i) {
            EXPECT_TRUE(paced_reply(3ms)) << "round " << round << ", reply " << i;
        }
        EXPECT_FALSE(paced_reply(3ms)) << "round " << round << ", the sixteenth";
    }
}

TEST_F(ReplyForecastTest, ABoardWhoseDelayShortensIsLookedAtEarlierAfterTheNextWatchedReply) {
    for (int i = 0; i < 4; ++i) paced_reply(5ms);
    // From now on the board answers after 2 ms; the looks come late, still finding it whole.
    for (int i = 1; i < 16; ++i) ASSERT_TRUE(paced_reply(2ms));
    ASSERT_FALSE(paced_reply(2ms)) << "the sixteenth is watched and teaches the new delay";
    EXPECT_EQ(forecast.written(now, frame_bytes), due(2ms));
}

}  // namespace
}  // namespace quellbox::link
