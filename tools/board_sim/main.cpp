// quellbox-board-sim: a 16-channel relay board on a pseudo-terminal, published as a port number
// in the tool's runtime ports folder, with optional line faults. One poll() loop, no threads.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <QString>
#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "board.h"
#include "link/poll_rules.h"
#include "link/port_resolver.h"
#include "runtime/quit_on_signals.h"
#include "tools/hex.h"
#include "tools/time_units.h"

namespace {

using Clock = std::chrono::steady_clock;
using quellbox::board::Bytes;
using std::chrono::milliseconds;

// Lower-case pairs, as the board's report lines have always shown frames.
std::string hex(std::span<const std::uint8_t> bytes) {
    return quellbox::tools::hex(bytes, quellbox::tools::HexDigits::lower);
}

// Eight bytes on a 9600-baud wire.
constexpr auto wire_time = quellbox::link::frame_size * quellbox::link::byte_time;

// How long to leave the master alone after it reported a hang-up, instead of spinning on it.
constexpr milliseconds hangup_backoff{50};

constexpr const char* usage_text = R"(usage: quellbox-board-sim [options]

A 16-channel relay board on a pseudo-terminal. The slave side is published as port N through
the link com<N> in $XDG_RUNTIME_DIR/quellbox/ports/, removed again on SIGINT or SIGTERM.

  --port N              port number to publish (default 1)
  --address A[,B...]    board address 0-255 (default 1); several addresses, in one list or
                        repeated options, put several boards with their own relays on the line
  --initial HEX16       initial relay map, bit 0 = channel 1 (default 0000)
  --relays-for A=HEX16  initial relay map of the board at address A (repeatable)
  --reply-delay-ms MS   wait before answering (default 0)
  --delay-for A=MS      the board at address A waits MS before answering instead (repeatable):
                        a late board beside prompt ones
  --status-byte1 WHAT   what replies carry in byte 1: "address" (default), the board's
                        address, or "zero", as boards that leave bytes 1 to 4 at 00
  --paced               write replies byte by byte at the 9600-baud byte time (1.04 ms)
  --silent              never answer (commands are still applied)
  --ignore-commands     answer every frame with the relays unchanged (a board that
                        hears its commands but does not switch: a stuck relay driver)
  --echo                no board at all: every byte that comes in goes straight back out
                        (a loopback plug, for testing a serial port with any byte value)
  --timestamps          start every output line with the CLOCK_MONOTONIC time in microseconds
  --seed S              seed of the fault generator (default 1)
  --corrupt-rate P      probability 0-1 that a reply has one byte flipped
  --drop-rate P         probability that a reply loses one byte
  --extra-rate P        probability that 1-8 random bytes follow a reply
  --bad-header-rate P   probability that a reply gets a wrong header (checksum fitting it)
  --silence-rate P      probability that a frame starts a quiet period instead of an answer
  --silence-ms MS       length of a quiet period (default 500)
  --late-rate P         probability that a reply goes out late, after the reply delay
  --late-ms MS          ... by this much more (default 70: past the next poll of a tool
                        that polls every 50 ms, so the answer lands in another board's turn)
  --hangup-after N      answer N frames, then hang up (close the pty) when the next comes
  --reopen-ms MS        ... and after MS (default 500) publish a fresh pty; repeats
  --help                this text

Like a board on a real 9600-baud line, the board hears a command only once its 8 bytes could
have crossed the wire (8 byte times after they came in), and a reply written in one piece
(without --paced) arrives once all its 8 bytes could have crossed it.

Output, one line per event (after the time stamp and a blank, with --timestamps):
  ready com<N> <slave>        the link exists; first line
  rx <8 hex bytes>            a command frame with a right checksum
  skip <hex bytes>            bytes before a header, thrown away
  badsum <8 hex bytes>        a header whose frame has a wrong checksum; the header is dropped
  ignore address <hh>         a frame for another board
  state <hhhh>                the relay map after acting on a frame (bit 0 = channel 1);
                              with several boards followed by " board <hh>", its address
  fault <name>[ <ms>]         bad-header, corrupt, drop, extra, silence <ms>, late <ms>
  muted                       a frame left unanswered (--silent or a quiet period)
  tx <hex bytes>              a reply, once all of it is written; with several boards
                              followed by " board <hh>", whose reply it is
  echo <hex bytes>            with --echo: bytes that came in and are sent back
  hangup                      the pty was closed and the link removed
  reopen <slave>              a fresh pty is published
  exit                        stopped by a signal, link removed
)";

struct Options {
    int port = 1;
    std::vector<std::uint8_t> addresses;  // empty: the default, address 1
    std::uint16_t initial = 0;
    std::map<std::uint8_t, std::uint16_t> initial_for;
    milliseconds reply_delay{0};
    std::map<std::uint8_t, milliseconds> delay_for;
    bool zero_byte1 = false;
    bool paced = false;
    bool silent = false;
    bool ignore_commands = false;
    bool echo = false;
    bool timestamps = false;
    std::uint32_t seed = 1;
    quellbox::board::FaultRates rates;
    milliseconds silence{500};
    milliseconds late{70};
    long hangup_after = 0;  // 0: never
    milliseconds reopen{500};
};

// --timestamps: the monotonic clock when the line is written, so a reader on the same machine
// can put the board's events on its own steady clock (the same clock on Linux).
bool stamp_lines = false;

void say(const std::string& line) {
    if (stamp_lines) {
        std::fprintf(stdout, "%lld ", static_cast<long long>(quellbox::tools::now_us()));
    }
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
}

[[noreturn]] void fail(const std::string& message, int code = 1) {
    std::fprintf(stderr, "quellbox-board-sim: %s\n", message.c_str());
    std::exit(code);
}

template <typename T>
T parse_int(std::string_view option, std::string_view text, T low, T high, int base = 10) {
    T value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (ec != std::errc{} || end != text.data() + text.size() || value < low || value > high) {
        fail(std::string(option) + ": not a number in range: " + std::string(text), 2);
    }
    return value;
}

double parse_rate(std::string_view option, const std::string& text) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !(value >= 0.0 && value <= 1.0)) {
        fail(std::string(option) + ": expected a probability from 0 to 1: " + text, 2);
    }
    return value;
}

// "A=VALUE": a board address 0-255 and the text after the '='.
std::pair<std::uint8_t, std::string> address_and_value(std::string_view option,
                                                       const std::string& text) {
    const std::size_t eq = text.find('=');
    if (eq == std::string::npos) fail(std::string(option) + ": expected A=VALUE: " + text, 2);
    const auto address = static_cast<std::uint8_t>(
        parse_int<int>(option, std::string_view(text).substr(0, eq), 0, 255));
    return {address, text.substr(eq + 1)};
}

Options parse_options(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) fail(std::string(arg) + " needs a value", 2);
            return argv[++i];
        };
        auto ms = [&] { return milliseconds(parse_int<long>(arg, value(), 0, 3'600'000)); };
        if (arg == "--help") {
            std::fputs(usage_text, stdout);
            std::exit(0);
        } else if (arg == "--port") {
            o.port = parse_int<int>(arg, value(), 1, 32767);
        } else if (arg == "--address") {
            const std::string list = value();
            std::size_t from = 0;
            while (from <= list.size()) {
                const std::size_t comma = std::min(list.find(',', from), list.size());
                const auto address = static_cast<std::uint8_t>(
                    parse_int<int>(arg, std::string_view(list).substr(from, comma - from), 0, 255));
                if (std::find(o.addresses.begin(), o.addresses.end(), address) != o.addresses.end())
                    fail(std::string(arg) + ": address given twice: " + std::to_string(address), 2);
                o.addresses.push_back(address);
                from = comma + 1;
            }
        } else if (arg == "--initial") {
            std::string text = value();
            if (text.starts_with("0x") || text.starts_with("0X")) text.erase(0, 2);
            o.initial = static_cast<std::uint16_t>(parse_int<unsigned>(arg, text, 0, 0xFFFF, 16));
        } else if (arg == "--relays-for") {
            const auto [address, text] = address_and_value(arg, value());
            o.initial_for[address] =
                static_cast<std::uint16_t>(parse_int<unsigned>(arg, text, 0, 0xFFFF, 16));
        } else if (arg == "--reply-delay-ms") {
            o.reply_delay = ms();
        } else if (arg == "--delay-for") {
            const auto [address, text] = address_and_value(arg, value());
            o.delay_for[address] = milliseconds(parse_int<long>(arg, text, 0, 3'600'000));
        } else if (arg == "--status-byte1") {
            const std::string what = value();
            if (what != "address" && what != "zero")
                fail(std::string(arg) + ": expected address or zero: " + what, 2);
            o.zero_byte1 = what == "zero";
        } else if (arg == "--paced") {
            o.paced = true;
        } else if (arg == "--silent") {
            o.silent = true;
        } else if (arg == "--ignore-commands") {
            o.ignore_commands = true;
        } else if (arg == "--echo") {
            o.echo = true;
        } else if (arg == "--timestamps") {
            o.timestamps = true;
        } else if (arg == "--seed") {
            o.seed = parse_int<std::uint32_t>(arg, value(), 0, UINT32_MAX);
        } else if (arg == "--corrupt-rate") {
            o.rates.corrupt = parse_rate(arg, value());
        } else if (arg == "--drop-rate") {
            o.rates.drop = parse_rate(arg, value());
        } else if (arg == "--extra-rate") {
            o.rates.extra = parse_rate(arg, value());
        } else if (arg == "--bad-header-rate") {
            o.rates.bad_header = parse_rate(arg, value());
        } else if (arg == "--silence-rate") {
            o.rates.silence = parse_rate(arg, value());
        } else if (arg == "--silence-ms") {
            o.silence = ms();
        } else if (arg == "--late-rate") {
            o.rates.late = parse_rate(arg, value());
        } else if (arg == "--late-ms") {
            o.late = ms();
        } else if (arg == "--hangup-after") {
            o.hangup_after = parse_int<long>(arg, value(), 1, 1'000'000'000);
        } else if (arg == "--reopen-ms") {
            o.reopen = ms();
        } else {
            std::fputs(usage_text, stderr);
            fail("unknown option: " + std::string(arg), 2);
        }
    }
    if (o.addresses.empty()) o.addresses.push_back(1);
    return o;
}

// ---- the pseudo-terminal and its published link ----

struct Pty {
    int master = -1;
    // Our own open slave descriptor: without it the master reads EIO and polls POLLHUP
    // whenever the tool has not opened the port, or has closed it again.
    int slave = -1;
    std::string slave_path;

    void open() {
        master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master < 0) fail("posix_openpt: " + std::string(std::strerror(errno)));
        if (::grantpt(master) != 0 || ::unlockpt(master) != 0) {
            fail("grantpt/unlockpt: " + std::string(std::strerror(errno)));
        }
        const char* name = ::ptsname(master);
        if (name == nullptr) fail("ptsname: " + std::string(std::strerror(errno)));
        slave_path = name;
        slave = ::open(slave_path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (slave < 0) fail("open " + slave_path + ": " + std::strerror(errno));
        // Raw: no echo, no line editing, no CR/LF translation, XON/XOFF are plain bytes.
        termios tio{};
        ::tcgetattr(slave, &tio);
        ::cfmakeraw(&tio);
        ::cfsetspeed(&tio, B9600);
        ::tcsetattr(slave, TCSANOW, &tio);
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    }

    void close() {
        if (slave >= 0) ::close(slave);
        if (master >= 0) ::close(master);
        slave = master = -1;
    }
};

void make_private_dirs(const std::string& path) {
    // Only the parts created here get mode 0700; existing folders are left as they are.
    for (std::size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos != path.size() && path[pos] != '/') continue;
        const std::string part = path.substr(0, pos);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            fail("mkdir " + part + ": " + std::strerror(errno));
        }
    }
}

std::optional<std::string> read_link(const std::string& path) {
    std::array<char, 4096> buf{};
    const ssize_t n = ::readlink(path.c_str(), buf.data(), buf.size() - 1);
    if (n < 0) return std::nullopt;
    return std::string(buf.data(), static_cast<std::size_t>(n));
}

class Publication {
  public:
    explicit Publication(int port) {
        const QString folder = quellbox::link::runtime_ports_folder();
        if (folder.isEmpty()) fail("no runtime folder (is XDG_RUNTIME_DIR set?)");
        folder_ = folder.toStdString();
        link_ = folder_ + "/com" + std::to_string(port);
    }

    const std::string& link() const { return link_; }

    // Points the link at `slave`, atomically. A link left by a simulator that died may lead to
    // a pty number the system has handed out again, so a live target proves nothing: the link
    // is taken over, with a warning in case another simulator still uses this port number.
    void publish(const std::string& slave) {
        make_private_dirs(folder_);
        if (const auto target = read_link(link_)) {
            struct stat st {};
            const bool live = ::stat(link_.c_str(), &st) == 0;
            if (live && *target != previous_ && *target != slave) {
                std::fprintf(stderr, "quellbox-board-sim: taking over %s (led to %s)\n",
                             link_.c_str(), target->c_str());
            }
        }
        const std::string temp = link_ + ".new." + std::to_string(::getpid());
        ::unlink(temp.c_str());
        if (::symlink(slave.c_str(), temp.c_str()) != 0 ||
            ::rename(temp.c_str(), link_.c_str()) != 0) {
            fail("cannot publish " + link_ + ": " + std::strerror(errno));
        }
        previous_ = slave;
    }

    // Removes the link if it is still ours.
    void withdraw() {
        if (const auto target = read_link(link_); target && *target == previous_) {
            ::unlink(link_.c_str());
        }
    }

  private:
    std::string folder_;
    std::string link_;
    std::string previous_;
};

// ---- the board on the line ----

struct Outgoing {
    Clock::time_point due;
    Bytes bytes;
    std::uint8_t board = 0;  // whose reply: replies of several boards may overtake each other
    std::size_t sent = 0;
};

class Simulator {
  public:
    explicit Simulator(const Options& o)
        : options_(o),
          boards_(o.addresses, o.initial),
          faults_(o.rates, o.seed),
          publication_(o.port) {
        for (const auto& [address, relays] : o.initial_for) boards_.set_relays(address, relays);
    }

    int run() {
        pty_.open();
        publication_.publish(pty_.slave_path);
        say("ready com" + std::to_string(options_.port) + " " + pty_.slave_path);

        while (true) {
            const Clock::time_point now = Clock::now();
            std::array<pollfd, 2> fds{};
            fds[0] = {quit_signals_, POLLIN, 0};
            nfds_t count = 1;
            const bool watch_master = pty_.master >= 0 && now >= master_quiet_until_;
            if (watch_master) {
                fds[1] = {pty_.master, static_cast<short>(POLLIN | (write_blocked_ ? POLLOUT : 0)),
                          0};
                count = 2;
            }
            // ppoll, not poll: paced bytes are 1.04 ms apart, finer than poll's milliseconds.
            timespec wait{};
            const auto left = time_left(now);
            if (left) {
                wait.tv_sec = static_cast<time_t>(left->count() / 1'000'000'000);
                wait.tv_nsec = static_cast<long>(left->count() % 1'000'000'000);
            }
            if (::ppoll(fds.data(), count, left ? &wait : nullptr, nullptr) < 0 && errno != EINTR) {
                fail("poll: " + std::string(std::strerror(errno)));
            }
            if ((fds[0].revents & POLLIN) != 0) break;
            if (watch_master) {
                if ((fds[1].revents & POLLOUT) != 0) write_blocked_ = false;
                if ((fds[1].revents & (POLLIN | POLLHUP | POLLERR)) != 0) read_master();
            }
            send_due();
            maybe_reopen();
        }
        publication_.withdraw();
        pty_.close();
        say("exit");
        return 0;
    }

  private:
    // How long the loop may sleep before something falls due; nothing when only I/O can wake it.
    std::optional<std::chrono::nanoseconds> time_left(Clock::time_point now) const {
        std::optional<Clock::time_point> wake;
        auto consider = [&](Clock::time_point t) {
            if (!wake || t < *wake) wake = t;
        };
        if (!outgoing_.empty() && !write_blocked_) consider(outgoing_.front().due);
        if (reopen_at_) consider(*reopen_at_);
        if (now < master_quiet_until_) consider(master_quiet_until_);
        if (!wake) return std::nullopt;
        return std::max(std::chrono::nanoseconds{0},
                        std::chrono::duration_cast<std::chrono::nanoseconds>(*wake - now));
    }

    void read_master() {
        std::array<std::uint8_t, 512> buf{};
        const ssize_t n = ::read(pty_.master, buf.data(), buf.size());
        if (n > 0 && options_.echo) {
            const Bytes bytes(buf.begin(), buf.begin() + n);
            say("echo " + hex(bytes));
            outgoing_.push_back(Outgoing{Clock::now(), bytes});
            return;
        }
        if (n > 0) {
            scanner_.feed(std::span(buf.data(), static_cast<std::size_t>(n)));
            while (auto event = scanner_.next()) on_scan(*event);
            return;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
        // EIO or end of file: nobody holds the slave. Cannot happen while we keep our own
        // slave descriptor, but if it does, wait instead of spinning on poll().
        master_quiet_until_ = Clock::now() + hangup_backoff;
    }

    void on_scan(const quellbox::board::ScanEvent& event) {
        using Kind = quellbox::board::ScanEvent::Kind;
        switch (event.kind) {
            case Kind::skipped:
                say("skip " + hex(event.bytes));
                return;
            case Kind::bad_checksum:
                say("badsum " + hex(event.bytes));
                return;
            case Kind::frame:
                break;
        }
        say("rx " + hex(event.bytes));
        if (options_.hangup_after > 0 && frames_handled_ >= options_.hangup_after) {
            // Hanging up when the next frame comes, not right after the last answer, lets
            // that answer reach the tool: a pty drops what the slave has not read yet.
            hang_up();
            return;
        }
        quellbox::link::Frame frame{};
        std::copy(event.bytes.begin(), event.bytes.end(), frame.begin());
        // A board that does not switch still answers each frame as if it were a status query.
        if (options_.ignore_commands)
            frame[quellbox::link::pos_command] = quellbox::link::cmd_status_query;
        auto reply = boards_.handle(frame);
        const auto address = std::span(&frame[quellbox::link::pos_address], 1);
        if (!reply) {
            say("ignore address " + hex(address));
            return;
        }
        char state[8];
        std::snprintf(state, sizeof state, "%04x",
                      static_cast<unsigned>(boards_.board(address[0])->relays()));
        say(std::string("state ") + state + (boards_.size() > 1 ? " board " + hex(address) : ""));
        ++frames_handled_;

        const Clock::time_point now = Clock::now();
        if (options_.silent || now < quiet_until_) {
            say("muted");
            return;
        }
        if (faults_.start_silence()) {
            quiet_until_ = now + options_.silence;
            say("fault silence " + std::to_string(options_.silence.count()));
            return;
        }
        quellbox::link::Frame answer = *reply;
        if (options_.zero_byte1) {
            answer[quellbox::link::pos_address] = 0x00;
            answer[quellbox::link::pos_checksum] = quellbox::link::checksum(answer);
        }
        std::vector<std::string> applied;
        Bytes wire = faults_.spoil(answer, applied);
        for (const auto& name : applied) say("fault " + name);
        queue_reply(now, address[0], std::move(wire));
    }

    // The command is heard once it could have crossed the wire; the reply starts after the
    // board's delay and, written in one piece, lands once it could have crossed the wire too.
    // Replies leave in the order they fall due, but one already on its way is not cut into.
    void queue_reply(Clock::time_point now, std::uint8_t address, Bytes wire) {
        const auto delay = options_.delay_for.contains(address) ? options_.delay_for.at(address)
                                                                : options_.reply_delay;
        Clock::time_point due = now + wire_time + delay;
        if (!options_.paced) due += wire_time;
        if (faults_.answer_late()) {
            due += options_.late;
            say("fault late " + std::to_string(options_.late.count()));
        }
        auto at = outgoing_.end();
        while (at != outgoing_.begin() && std::prev(at)->due > due && std::prev(at)->sent == 0)
            --at;
        outgoing_.insert(at, Outgoing{due, std::move(wire), address});
    }

    void send_due() {
        while (!outgoing_.empty() && !write_blocked_ && pty_.master >= 0) {
            Outgoing& out = outgoing_.front();
            const Clock::time_point now = Clock::now();
            if (out.due > now) return;
            const std::size_t left = out.bytes.size() - out.sent;
            const std::size_t chunk = options_.paced ? 1 : left;
            const ssize_t n = ::write(pty_.master, out.bytes.data() + out.sent, chunk);
            if (n < 0) {
                if (errno == EAGAIN || errno == EINTR) {
                    write_blocked_ = errno == EAGAIN;
                    return;
                }
                std::fprintf(stderr, "quellbox-board-sim: write: %s\n", std::strerror(errno));
                outgoing_.clear();
                return;
            }
            out.sent += static_cast<std::size_t>(n);
            if (out.sent < out.bytes.size()) {
                // From the previous byte's slot, not from now: a late wake-up must not
                // stretch the whole reply.
                if (options_.paced) out.due += quellbox::link::byte_time;
                continue;
            }
            say("tx " + hex(out.bytes) +
                (boards_.size() > 1 ? " board " + hex(std::span(&out.board, 1)) : ""));
            outgoing_.pop_front();
        }
    }

    void hang_up() {
        // As an unplugged adapter's device goes, the link goes first: left in place it would
        // lead to a pty number the system may hand to another program's pty meanwhile.
        publication_.withdraw();
        pty_.close();
        scanner_ = quellbox::board::FrameScanner{};
        outgoing_.clear();
        write_blocked_ = false;
        frames_handled_ = 0;
        say("hangup");
        reopen_at_ = Clock::now() + options_.reopen;
    }

    void maybe_reopen() {
        if (!reopen_at_ || Clock::now() < *reopen_at_) return;
        reopen_at_.reset();
        pty_.open();
        publication_.publish(pty_.slave_path);
        say("reopen " + pty_.slave_path);
    }

    // Readable once SIGINT, SIGTERM or SIGHUP came: the loop ends and the link is taken back.
    const int quit_signals_ = quellbox::runtime::quit_signal_descriptor();
    Options options_;
    quellbox::board::BoardLine boards_;
    quellbox::board::FrameScanner scanner_;
    quellbox::board::FaultInjector faults_;
    Publication publication_;
    Pty pty_;
    std::deque<Outgoing> outgoing_;
    bool write_blocked_ = false;
    long frames_handled_ = 0;
    Clock::time_point quiet_until_{};
    Clock::time_point master_quiet_until_{};
    std::optional<Clock::time_point> reopen_at_;
};

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const Options options = parse_options(argc, argv);
    stamp_lines = options.timestamps;
    ::signal(SIGPIPE, SIG_IGN);  // a reader of stdout going away must not kill us silently
    return Simulator(options).run();
}
