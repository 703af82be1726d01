// Fuzz target: the window's logic driven end to end through an in-memory serial port and a
// recording window surface. The fuzzer input is read as a script of events (bytes arriving,
// receive events, poll ticks, clicks, opening and closing, a lost port, edits of the two
// fields); after every event the window and the wire are checked twice:
//
//  - against invariants that must hold whatever happened before: a channel's look is one of
//    the four; green and red only ever come from the last accepted status frame; after six
//    ticks without an accepted frame every channel is yellow; nothing is written while the
//    port is closed; every written frame is a well-formed command frame;
//  - against a model of the window kept here, step by step, from the event script alone: the
//    exact looks, the exact frames on the wire, the window's state and the two fields. The
//    model's command slot and link countdown are not compared directly (the window keeps them
//    to itself); a slip in either shows in the frames a later tick writes or in the looks it
//    leaves.
//
// The model computes everything itself (its own checksum, bit map, numeric reading and
// colour values); it never asks the code under test what the right answer is.
//
// Script format, read front to back; a missing byte reads as 0:
//   op = byte % 17, then the op's argument bytes:
//    0 n b...   n % 17 bytes arrive, then a receive event
//    1 n b...   n % 17 bytes arrive, no event
//    2          receive event
//    3 c        an event with another code (c, or 3 when c is 2)
//    4 b1..b6   a well-formed status frame 22 b1 b2 b3 b4 b5 b6 sum arrives, receive event
//    5 p x b1..b6  the same frame with byte p % 8 xor-ed with x (x = 0 reads as 1), event;
//               bit 3 of p: the checksum is computed after the damage, so only a damaged
//               header (or nothing at all, for bytes 1 to 6) is wrong
//    6          one poll tick
//    7 k        k % 8 + 1 poll ticks
//    8 c        click on channel (c & 0x7F) % 20 - 1 (-1..18); bit 7: the caption, else the box
//    9          click on the energize-all button
//   10          click on the release-all button
//   11 f        click on the open/close button; opening fails when f % 4 == 0
//   12          the port's device goes away
//   13 t...     the operator types an address text (see read_text)
//   14 a        arrow click: bit 0 up/down, bit 1 the port bar, else the address bar
//   15 t...     the operator types a port-number text
//   16          the port starts or stops refusing writes
// Bytes arrive, and receive events come, only while the port is open; ticks only while the
// poll timer runs; button clicks only while the button is enabled; typing into the port field
// only while it is enabled. That is all the real window and port can deliver.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "controller/main_form_logic.h"
#include "numeric_reference.h"
#include "support/fake_serial_port.h"
#include "support/recording_surface.h"

namespace {

using Bytes8 = std::array<std::uint8_t, 8>;

// The four looks, written out here rather than taken from the code under test.
constexpr std::uint32_t green = 0x00FF00;
constexpr std::uint32_t red = 0x0000FF;
constexpr std::uint32_t yellow = 0x00FFFF;
constexpr std::uint32_t grey = 0x80000011;
constexpr std::string_view energized_caption = "  吸合";  // two leading spaces
constexpr std::string_view released_caption = "  断开";   // two leading spaces
constexpr std::string_view unknown_caption = "状态未知";
constexpr std::string_view open_port_caption = "打开串口";
constexpr std::string_view close_port_caption = "关闭串口";

std::size_t step_number = 0;

[[noreturn]] void fail(const char* what, int line) {
    std::fprintf(stderr, "receive path: %s (step %zu, fuzz_receive_path.cpp:%d)\n", what,
                 step_number, line);
    __builtin_trap();
}
#define CHECK(cond, what)                  \
    do {                                   \
        if (!(cond)) fail(what, __LINE__); \
    } while (0)

std::uint8_t sum_of_first_seven(std::span<const std::uint8_t> frame) {
    unsigned sum = 0;
    for (std::size_t i = 0; i < 7; ++i) sum += frame[i];
    return static_cast<std::uint8_t>(sum & 0xFFU);
}

// Channel n (1..16) of a status frame: byte 6 bit n-1 for 1..8, byte 5 bit n-9 for 9..16.
bool channel_bit(const Bytes8& frame, int n) {
    return n <= 8 ? ((frame[6] >> (n - 1)) & 1U) != 0 : ((frame[5] >> (n - 9)) & 1U) != 0;
}

// The port under test, with every write checked as it happens: the port must be open, the
// receive buffer emptied just before, and the frame a well-formed command frame.
class CheckedPort : public quellbox::test::FakeSerialPort {
  public:
    bool output(std::span<const std::uint8_t> bytes) override {
        CHECK(is_open(), "a frame was written while the port was closed");
        CHECK(!calls.empty() && calls.back() == "clear",
              "the receive buffer was not emptied right before the write");
        CHECK(bytes.size() == 8, "a written frame is not 8 bytes");
        CHECK(bytes[0] == 0x55, "a written frame lacks the command header 0x55");
        CHECK(bytes[3] == 0 && bytes[4] == 0, "a written frame has non-zero bytes 3 or 4");
        CHECK(bytes[7] == sum_of_first_seven(bytes), "a written frame has a wrong checksum");
        const std::uint8_t command = bytes[2];
        CHECK(command >= 0x10 && command <= 0x13, "a written frame has an unknown command");
        const std::uint8_t d1 = bytes[5], d2 = bytes[6];
        if (command == 0x10) CHECK(d1 == 0 && d2 == 0, "a status query carries data");
        if (command == 0x11 || command == 0x12) {
            CHECK(d1 == 0 && d2 >= 1 && d2 <= 16, "a channel command names no channel");
        }
        if (command == 0x13) {
            CHECK((d1 == 0xFF && d2 == 0xFF) || (d1 == 0 && d2 == 0), "a bad set-all command");
        }
        return FakeSerialPort::output(bytes);
    }
};

// What the window and the wire should look like, computed from the script alone.
struct Model {
    std::array<std::uint32_t, 17> colour{};
    std::array<std::string_view, 17> caption{};
    bool open = false;
    bool timer = true;
    bool buttons = true;
    bool port_field = true;
    bool closed_look = false;  // the port-closed state has been applied and not painted over
    std::int32_t countdown = 0;
    bool pending = false;
    std::array<std::uint8_t, 3> slot{};
    std::deque<std::uint8_t> waiting;  // received bytes not yet read
    bool writes_fail = false;
    std::vector<std::vector<std::uint8_t>> written;
    std::string add = "1", port = "1";
    std::int16_t bar1 = 1, bar2 = 1;
    bool add_refused = false, port_refused = false;
    std::optional<Bytes8> last_accepted;
    int ticks_since_accepted = 0;

    Model() { paint_all(yellow, unknown_caption); }

    void paint_all(std::uint32_t c, std::string_view text) {
        for (int n = 1; n <= 16; ++n) {
            colour[n] = c;
            caption[n] = text;
        }
    }

    void tick() {
        if (countdown < 1) {
            paint_all(yellow, unknown_caption);
        } else {
            --countdown;
        }
        ++ticks_since_accepted;
        std::array<std::uint8_t, 3> command{0x10, 0x00, 0x00};
        if (pending) {
            pending = false;
            command = slot;
        }
        // An address that is not a whole number from 0 to 255 sends nothing at all.
        const auto address = quellbox::fuzz::reference_int32(add);
        if (!address || *address < 0 || *address > 255 || !open) return;
        std::vector<std::uint8_t> frame{0x55,       static_cast<std::uint8_t>(*address),
                                        command[0], 0x00,
                                        0x00,       command[1],
                                        command[2], 0x00};
        frame[7] = sum_of_first_seven(frame);
        waiting.clear();
        if (!writes_fail) written.push_back(frame);
    }

    void receive() {
        if (waiting.size() < 8) {  // a short read is never a frame
            waiting.clear();
            return;
        }
        Bytes8 frame{};
        for (auto& b : frame) {
            b = waiting.front();
            waiting.pop_front();
        }
        if (frame[0] != 0x22 || frame[7] != sum_of_first_seven(frame)) return;
        for (int n = 1; n <= 16; ++n) {
            colour[n] = channel_bit(frame, n) ? green : red;
            caption[n] = channel_bit(frame, n) ? energized_caption : released_caption;
        }
        closed_look = false;
        countdown = 5;
        last_accepted = frame;
        ticks_since_accepted = 0;
    }

    void click(int n) {
        if (n < 1 || n > 16) return;
        if (colour[n] == green) queue(0x11, 0x00, static_cast<std::uint8_t>(n));
        if (colour[n] == red) queue(0x12, 0x00, static_cast<std::uint8_t>(n));
    }

    void queue(std::uint8_t command, std::uint8_t d1, std::uint8_t d2) {
        slot = {command, d1, d2};
        pending = true;
    }

    void opened_state() {
        paint_all(yellow, unknown_caption);
        closed_look = false;
        buttons = true;
        timer = true;
        port_field = false;
    }

    void closed_state() {
        paint_all(grey, unknown_caption);
        closed_look = true;
        buttons = false;
        timer = false;
        port_field = true;
    }

    // open/close button; `succeeds` is what the port will answer to an open.
    void open_close(bool succeeds) {
        if (open) {
            open = false;
            closed_state();
            return;
        }
        if (!quellbox::fuzz::reference_int16(port) || !succeeds) return;  // window unchanged
        open = true;
        opened_state();
    }

    // A field and its spin bar: the bar takes a text that reads as 0..255 and, if that moves
    // it, writes its value back as plain digits.
    static void type(std::string& text, std::int16_t& bar, bool& refused, std::string_view t) {
        if (text == t) return;
        text = t;
        const auto value = quellbox::fuzz::reference_int16(text);
        refused = !value || *value < 0 || *value > 255;
        if (refused || *value == bar) return;
        bar = static_cast<std::int16_t>(*value);
        text = quellbox::fuzz::reference_format(bar);
    }
    static void arrow(std::string& text, std::int16_t& bar, bool& refused, bool up) {
        const int next = bar + (up ? 1 : -1);
        if (next < 0 || next > 255) return;
        bar = static_cast<std::int16_t>(next);
        const std::string t = quellbox::fuzz::reference_format(bar);
        if (text == t) return;
        text = t;
        refused = false;
    }
};

class Script {
  public:
    Script(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool done() const { return pos_ >= size_; }
    std::uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    std::vector<std::uint8_t> bytes(std::size_t n) {
        std::vector<std::uint8_t> out;
        for (std::size_t i = 0; i < n; ++i) out.push_back(byte());
        return out;
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// Texts for the two fields: a byte below 0x80 picks one of these, a byte from 0x80 up is
// followed by (byte & 0x0F) raw bytes of text.
constexpr std::string_view field_texts[] = {
    "1",     "0",   "255",   "256",      "-1",    "2.5",        "3.5",
    "1.0",   "007", " 9",    "+20",      "abc",   "",           "300",
    "12",    "5.",  ".5",    "254.5",    "-0.4",  "1e2",        "0x1",
    "\t17 ", "16",  "32767", "-32768.5", "65536", "4294967297", "2.5000000000000001",
};

std::string read_text(Script& script) {
    const std::uint8_t b = script.byte();
    if (b < 0x80) return std::string(field_texts[b % std::size(field_texts)]);
    const auto raw = script.bytes(b & 0x0F);
    return std::string(raw.begin(), raw.end());
}

struct Rig {
    CheckedPort port;
    quellbox::test::RecordingSurface surface;
    quellbox::controller::MainFormLogic logic{port, surface};
    Model model;

    Rig() {
        surface.on_add_change = [this] { logic.add_Change(); };
        surface.on_port_change = [this] { logic.chuankou_num_Change(); };
        surface.on_vscroll1_change = [this] { logic.VScroll1_Change(); };
        surface.on_vscroll2_change = [this] { logic.VScroll2_Change(); };
    }

    void arrive(const std::vector<std::uint8_t>& bytes) {
        port.feed(bytes);
        model.waiting.insert(model.waiting.end(), bytes.begin(), bytes.end());
    }
    void receive_event() {
        port.raise_comm();
        model.receive();
    }
    void tick() {
        logic.Timer1_Timer();
        model.tick();
    }

    void step(Script& script) {
        const std::uint8_t op = script.byte() % 17;
        switch (op) {
            case 0:
            case 1: {
                const auto bytes = script.bytes(script.byte() % 17);
                if (!model.open) break;
                arrive(bytes);
                if (op == 0) receive_event();
                break;
            }
            case 2:
                if (model.open) receive_event();
                break;
            case 3: {
                std::uint8_t code = script.byte();
                if (code == 2) code = 3;
                if (model.open) port.raise_comm(code);  // not a receive event: nothing read
                break;
            }
            case 4:
            case 5: {
                const std::uint8_t how = op == 5 ? script.byte() : 0;
                std::uint8_t flip = op == 5 ? script.byte() : 0;
                if (op == 5 && flip == 0) flip = 1;
                std::vector<std::uint8_t> frame{0x22};
                const auto body = script.bytes(6);
                frame.insert(frame.end(), body.begin(), body.end());
                frame.push_back(sum_of_first_seven(frame));
                if (op == 5) {
                    const std::size_t position = how % 8;
                    frame[position] ^= flip;
                    // Bit 3: the checksum is made right for the damaged bytes.
                    if ((how & 0x08) != 0 && position != 7) frame[7] = sum_of_first_seven(frame);
                }
                if (!model.open) break;
                arrive(frame);
                receive_event();
                break;
            }
            case 6:
                if (model.timer) tick();
                break;
            case 7: {
                const int ticks = script.byte() % 8 + 1;
                for (int i = 0; i < ticks && model.timer; ++i) {
                    tick();
                    check();
                }
                break;
            }
            case 8: {
                const std::uint8_t c = script.byte();
                const auto index = static_cast<std::int16_t>((c & 0x7F) % 20 - 1);
                if ((c & 0x80) != 0) {
                    logic.Label2_Click(index);
                } else {
                    logic.Picture1_Click(index);
                }
                model.click(index);
                break;
            }
            case 9:
                if (!model.buttons) break;
                logic.openall_Click();
                model.queue(0x13, 0xFF, 0xFF);
                break;
            case 10:
                if (!model.buttons) break;
                logic.closeall_Click();
                model.queue(0x13, 0x00, 0x00);
                break;
            case 11: {
                const bool succeeds = script.byte() % 4 != 0;
                port.next_open = {};
                if (!succeeds) {
                    port.next_open.error = quellbox::link::OpenError::busy;
                    port.next_open.device = "/dev/ttyS0";
                }
                logic.open_comm_Click();
                model.open_close(succeeds);
                break;
            }
            case 12:
                if (!model.open) break;
                port.lose("/dev/ttyUSB0", "unplugged");
                model.open = false;
                model.closed_state();
                break;
            case 13: {
                const std::string text = read_text(script);
                surface.type_add(text);
                Model::type(model.add, model.bar1, model.add_refused, text);
                break;
            }
            case 14: {
                const std::uint8_t a = script.byte();
                const bool up = (a & 1) != 0;
                if ((a & 2) != 0) {
                    surface.set_vscroll2_value(
                        static_cast<std::int16_t>(surface.vscroll2 + (up ? 1 : -1)));
                    Model::arrow(model.port, model.bar2, model.port_refused, up);
                } else {
                    surface.set_vscroll1_value(
                        static_cast<std::int16_t>(surface.vscroll1 + (up ? 1 : -1)));
                    Model::arrow(model.add, model.bar1, model.add_refused, up);
                }
                break;
            }
            case 15: {
                const std::string text = read_text(script);
                if (!model.port_field) break;
                surface.type_port(text);
                Model::type(model.port, model.bar2, model.port_refused, text);
                break;
            }
            case 16:
                model.writes_fail = !model.writes_fail;
                port.fail_writes = model.writes_fail;
                break;
        }
        check();
    }

    // Properties that hold whatever the history, checked on the window itself.
    void check_invariants() {
        const bool stale = model.ticks_since_accepted >= 6 && !model.closed_look;
        for (int n = 1; n <= 16; ++n) {
            const std::uint32_t c = surface.colours[n];
            const std::string& text = surface.captions[n];
            const bool is_green = c == green && text == energized_caption;
            const bool is_red = c == red && text == released_caption;
            const bool is_yellow = c == yellow && text == unknown_caption;
            const bool is_grey = c == grey && text == unknown_caption;
            CHECK(is_green || is_red || is_yellow || is_grey, "a channel shows no known look");
            if (is_green || is_red) {
                CHECK(model.last_accepted.has_value(),
                      "a channel turned green or red without an accepted status frame");
                CHECK(channel_bit(*model.last_accepted, n) == is_green,
                      "a channel's look differs from the last accepted status frame");
            }
            if (stale) CHECK(is_yellow, "six ticks without a status frame left a channel known");
        }
    }

    // Everything the model predicts, compared exactly.
    void check_model() {
        for (int n = 1; n <= 16; ++n) {
            CHECK(surface.colours[n] == model.colour[n], "a channel's colour differs");
            CHECK(surface.captions[n] == model.caption[n], "a channel's caption differs");
        }
        CHECK(port.written == model.written, "the frames on the wire differ");
        CHECK(port.is_open() == model.open, "the port's open state differs");
        CHECK(surface.timer == model.timer, "the poll timer's state differs");
        CHECK(surface.openall == model.buttons && surface.closeall == model.buttons,
              "the all-channel buttons' state differs");
        CHECK(surface.port_field == model.port_field, "the port field's state differs");
        CHECK(surface.open_comm_caption == (model.open ? close_port_caption : open_port_caption),
              "the open/close button's caption differs");
        CHECK(surface.add == model.add && surface.vscroll1 == model.bar1, "the address differs");
        CHECK(surface.port == model.port && surface.vscroll2 == model.bar2,
              "the port number differs");
        CHECK(
            surface.add_refused == model.add_refused && surface.port_refused == model.port_refused,
            "a field's refused mark differs");
    }

    void check() {
        check_invariants();
        check_model();
        ++step_number;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    step_number = 0;
    Rig rig;
    rig.check();  // the start-up state
    Script script(data, size);
    while (!script.done()) rig.step(script);
    return 0;
}
