// The virtual board's logic: cutting frames out of a byte stream, acting on commands, and the
// faults it puts into replies on request.

#include <gtest/gtest.h>

#include <set>

#include "board.h"

namespace quellbox::board {
namespace {

Bytes command(std::uint8_t address, std::uint8_t code, std::uint8_t d1 = 0, std::uint8_t d2 = 0) {
    link::Frame f{};
    link::build_command_frame(f, address, code, d1, d2);
    return Bytes(f.begin(), f.end());
}

link::Frame as_frame(const Bytes& bytes) {
    link::Frame f{};
    std::copy_n(bytes.begin(), f.size(), f.begin());
    return f;
}

std::vector<ScanEvent> scan(FrameScanner& scanner, const Bytes& bytes) {
    scanner.feed(bytes);
    std::vector<ScanEvent> events;
    while (auto e = scanner.next()) events.push_back(*e);
    return events;
}

TEST(BoardScanner, FindsFramesBehindNoiseAndFalseHeaders) {
    const Bytes query = command(1, link::cmd_status_query);
    // Noise, a header whose 8 bytes fail the checksum, then a frame split across two reads.
    Bytes stream = {0x00, 0x13, 0x55};
    stream.insert(stream.end(), query.begin(), query.end());
    FrameScanner scanner;
    const auto first = scan(scanner, Bytes(stream.begin(), stream.end() - 1));
    const auto rest = scan(scanner, Bytes(stream.end() - 1, stream.end()));

    ASSERT_EQ(first.size(), 2U);
    EXPECT_EQ(first[0].kind, ScanEvent::Kind::skipped);
    EXPECT_EQ(first[0].bytes, (Bytes{0x00, 0x13}));
    EXPECT_EQ(first[1].kind, ScanEvent::Kind::bad_checksum);  // 55 55 01 10 00 00 00 00
    ASSERT_EQ(rest.size(), 1U);
    EXPECT_EQ(rest[0].kind, ScanEvent::Kind::frame);
    EXPECT_EQ(rest[0].bytes, query);
    EXPECT_EQ(scanner.buffered(), 0U);
}

TEST(BoardScanner, ALostByteCostsOnlyTheFrameItHit) {
    Bytes broken = command(1, link::cmd_set_all, 0xFF, 0xFF);
    broken.erase(broken.begin() + 3);
    const Bytes next = command(1, link::cmd_status_query);
    Bytes stream = broken;
    stream.insert(stream.end(), next.begin(), next.end());

    FrameScanner scanner;
    std::vector<Bytes> frames;
    for (const ScanEvent& e : scan(scanner, stream)) {
        if (e.kind == ScanEvent::Kind::frame) frames.push_back(e.bytes);
    }
    EXPECT_EQ(frames, std::vector<Bytes>{next});
}

TEST(Board, AppliesCommandsAndAnswersWithItsState) {
    Board board(1, 0x8001);
    EXPECT_EQ(board.handle(as_frame(command(1, link::cmd_status_query))),
              link::build_status_frame(1, 0x8001));
    board.handle(as_frame(command(1, link::cmd_energize_one, 0, 5)));
    EXPECT_EQ(board.relays(), 0x8011);
    board.handle(as_frame(command(1, link::cmd_release_one, 0, 16)));
    EXPECT_EQ(board.relays(), 0x0011);
    board.handle(as_frame(command(1, link::cmd_set_all, 0xFF, 0xFF)));
    EXPECT_EQ(board.relays(), 0xFFFF);
    board.handle(as_frame(command(1, link::cmd_set_all, 0x00, 0x00)));
    EXPECT_EQ(board.relays(), 0x0000);
}

TEST(Board, IgnoresOtherAddressesAndAnswersOddCommandsUnchanged) {
    Board board(7, 0x0100);
    EXPECT_FALSE(board.handle(as_frame(command(1, link::cmd_set_all, 0xFF, 0xFF))).has_value());
    EXPECT_EQ(board.relays(), 0x0100);
    for (const Bytes& odd :
         {command(7, link::cmd_energize_one, 0, 0), command(7, link::cmd_energize_one, 0, 17),
          command(7, link::cmd_set_all, 0xFF, 0x00), command(7, 0x42)}) {
        EXPECT_EQ(board.handle(as_frame(odd)), link::build_status_frame(7, 0x0100));
    }
}

TEST(BoardLine, EachAddressIsABoardWithItsOwnRelays) {
    BoardLine line({1, 2}, 0x0000);
    EXPECT_EQ(line.handle(as_frame(command(2, link::cmd_energize_one, 0, 3))),
              link::build_status_frame(2, 0x0004));
    EXPECT_EQ(line.handle(as_frame(command(1, link::cmd_status_query))),
              link::build_status_frame(1, 0x0000));
    line.handle(as_frame(command(1, link::cmd_set_all, 0xFF, 0xFF)));
    EXPECT_EQ(line.board(1)->relays(), 0xFFFF);
    EXPECT_EQ(line.board(2)->relays(), 0x0004);
    EXPECT_FALSE(line.handle(as_frame(command(3, link::cmd_status_query))).has_value());
    EXPECT_EQ(line.board(3), nullptr);
}

TEST(BoardFaults, EachFaultSpoilsTheReplyInItsOwnWay) {
    const link::Frame reply = link::build_status_frame(1, 0x8001);
    auto spoiled = [&](FaultRates rates) {
        FaultInjector faults(rates, 42);
        std::vector<std::string> applied;
        Bytes wire = faults.spoil(reply, applied);
        EXPECT_EQ(applied.size(), 1U);
        return wire;
    };

    const Bytes bad_header = spoiled({.bad_header = 1});
    ASSERT_EQ(bad_header.size(), 8U);
    EXPECT_NE(bad_header[0], link::status_header);
    EXPECT_EQ(bad_header[7], link::checksum(as_frame(bad_header))) << "only the header is wrong";

    const Bytes corrupt = spoiled({.corrupt = 1});
    ASSERT_EQ(corrupt.size(), 8U);
    EXPECT_FALSE(link::is_valid_status_frame(as_frame(corrupt)));

    EXPECT_EQ(spoiled({.drop = 1}).size(), 7U);
    const Bytes extra = spoiled({.extra = 1});
    EXPECT_GT(extra.size(), 8U);
    EXPECT_TRUE(std::equal(reply.begin(), reply.end(), extra.begin()));
}

TEST(BoardFaults, RatesAreHonouredAndTheSeedRepeatsTheRun) {
    auto run = [](std::uint32_t seed) {
        FaultInjector faults({.corrupt = 0.25}, seed);
        std::vector<Bytes> wires;
        int hits = 0;
        for (int i = 0; i < 400; ++i) {
            std::vector<std::string> applied;
            wires.push_back(faults.spoil(link::build_status_frame(1, 0), applied));
            hits += static_cast<int>(applied.size());
        }
        return std::make_pair(hits, wires);
    };
    const auto [hits, wires] = run(7);
    EXPECT_GT(hits, 50);  // 100 expected; far outside these bounds only if the rate is ignored
    EXPECT_LT(hits, 150);
    EXPECT_EQ(run(7).second, wires);
    EXPECT_NE(run(8).second, wires);

    FaultInjector none({}, 1);
    std::vector<std::string> applied;
    EXPECT_EQ(none.spoil(link::build_status_frame(1, 0), applied).size(), 8U);
    EXPECT_TRUE(applied.empty());
    EXPECT_FALSE(none.start_silence());
    EXPECT_FALSE(none.answer_late());
    FaultInjector always_late({.late = 1}, 1);
    EXPECT_TRUE(always_late.answer_late());
}

}  // namespace
}  // namespace quellbox::board
