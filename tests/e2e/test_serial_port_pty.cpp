// QtSerialPort against a bare pseudo-terminal whose far end the test plays: byte transparency,
// the receive threshold, clearing, loss of the line and the classification of open failures.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSerialPortInfo>
#include <QSysInfo>
#include <atomic>
#include <functional>
#include <numeric>
#include <thread>

#include "e2e_support.h"
#include "link/qt_serial_port.h"

namespace quellbox::e2e {
namespace {

using link::OpenError;
using link::QtSerialPort;

Bytes byte_range(int first, int last) {
    Bytes out(static_cast<std::size_t>(last - first + 1));
    std::iota(out.begin(), out.end(), static_cast<std::uint8_t>(first));
    return out;
}

// Reads up to `count` bytes that wait in the port right now.
Bytes take(QtSerialPort& port, std::size_t count = SIZE_MAX) {
    Bytes out;
    while (out.size() < count) {
        const auto byte = port.input();
        if (!byte) break;
        out.push_back(*byte);
    }
    return out;
}

double cpu_seconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The share of a core this process used while `during` ran.
double cpu_share_while(const std::function<void()>& during) {
    const double cpu_before = cpu_seconds();
    const auto wall_before = std::chrono::steady_clock::now();
    during();
    const double cpu = cpu_seconds() - cpu_before;
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_before).count();
    return cpu / wall;
}

// The tool's port opened as port 1 on a fresh pty.
class PtyLink : public ::testing::Test {
  protected:
    void SetUp() override {
        link_port(1, pty.slave_path());
        port.set_comm_port(1);
        const link::OpenResult result = port.open();
        ASSERT_TRUE(result.ok()) << result.detail;
    }

    // Hangs the line up: one loss report, the port closed, and over the report and `after`
    // more, less than half a core used (left open, Qt 6.4 burns a whole core on a hung-up line).
    void expect_one_loss_without_spinning(const int& reports, std::chrono::milliseconds after) {
        bool reported = false;
        const double share = cpu_share_while([&] {
            pty.hang_up();
            reported = wait_until([&] { return reports >= 1; });
            if (reported) settle(after);
        });
        ASSERT_TRUE(reported) << "no loss reported";
        EXPECT_LT(share, 0.5);
        EXPECT_EQ(reports, 1);
        EXPECT_FALSE(port.is_open());
    }

    PtyPair pty;
    QtSerialPort port;  // declared after the pty: closed before the pty goes
};

TEST_F(PtyLink, EveryByteValuePassesUnchangedInBothDirections) {
    // Includes 0x00, XON/XOFF (0x11, 0x13), CR/LF and 0x80-0xFF, which a cooked or
    // flow-controlled line would swallow or rewrite.
    const Bytes all = byte_range(0x00, 0xFF);
    Bytes received;
    port.set_on_comm([&] {
        const Bytes got = take(port);
        received.insert(received.end(), got.begin(), got.end());
    });
    port.set_rthreshold(1);

    pty.write(all);
    ASSERT_TRUE(wait_until([&] { return received.size() >= all.size(); }));
    EXPECT_EQ(received, all);

    ASSERT_TRUE(port.output(all));
    EXPECT_EQ(pty.read(all.size()), all);
}

TEST_F(PtyLink, SecondFrameWaitingIsRaisedAgainFromTheEventLoopNotNested) {
    int depth = 0;
    int deepest = 0;
    std::vector<Bytes> frames;
    port.set_on_comm([&] {
        deepest = std::max(deepest, ++depth);
        frames.push_back(take(port, 8));
        --depth;
    });
    // Both frames sit in Qt's buffer before the threshold is set: only a re-raise after the
    // first event can deliver the second.
    pty.write(byte_range(1, 16));
    ASSERT_TRUE(pty.wait_unread(16));
    ASSERT_TRUE(pty.wait_taken());
    port.set_rthreshold(8);

    ASSERT_TRUE(wait_until([&] { return frames.size() == 2; }));
    EXPECT_EQ(frames[0], byte_range(1, 8));
    EXPECT_EQ(frames[1], byte_range(9, 16));
    EXPECT_EQ(deepest, 1);
}

// After the first bytes of a reply the port may stop looking at the line until the rest can be
// there; bytes that come in pieces, during that pause and after it, make one event once eight
// wait, not at seven.
TEST_F(PtyLink, FrameInPiecesAcrossAPauseIsRaisedOnceAndWholeAtTheEighthByte) {
    std::vector<Bytes> frames;
    port.set_on_comm([&] {
        EXPECT_EQ(port.comm_event(), link::comm_event_receive);
        frames.push_back(take(port, 8));
    });
    port.set_rthreshold(8);

    pty.write({1, 2});
    ASSERT_TRUE(pty.wait_taken());
    pty.write(byte_range(3, 7));    // straight after: while the port may not be looking
    settle(30ms);                   // longer than the missing bytes need on the wire
    ASSERT_TRUE(pty.wait_taken());  // Qt has read all 7 and had its chance to raise
    settle(30ms);
    EXPECT_TRUE(frames.empty()) << "raised with 7 bytes waiting";

    pty.write({8, 9});  // one byte too many: it waits for the next event
    ASSERT_TRUE(wait_until([&] { return !frames.empty(); }));
    settle(30ms);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], byte_range(1, 8));
    EXPECT_EQ(port.comm_event(), 0) << "the event code outlives the event";

    pty.write(byte_range(10, 16));
    ASSERT_TRUE(wait_until([&] { return frames.size() == 2; }));
    EXPECT_EQ(frames[1], byte_range(9, 16));
}

// The port asks and a board answers each question byte by byte after a delay of its own. Once
// the port knows that delay it need not look at the line before a reply can be whole; a board
// that then answers later, sooner, in one piece or not at all must not lose or split a reply,
// and a hang-up while the port is not looking is still reported once.
TEST_F(PtyLink, AnswersLaterSoonerWholeOrMissingAreOneEventEachAndAHangUpIsSeen) {
    struct Answer {
        std::chrono::microseconds delay;
        bool paced = true;
        bool sent = true;
    };
    std::vector<Answer> plan(10, Answer{600us});
    plan.push_back({7ms});  // later than ever: the look finds part of it
    plan.push_back({600us});
    plan.push_back({20ms});  // the look finds nothing yet
    plan.push_back({0us});   // sooner than ever
    plan.push_back({600us, false});
    plan.push_back({600us, true, false});  // no answer at all
    plan.push_back({600us});
    plan.push_back({600us});

    std::vector<Bytes> frames;
    port.set_on_comm([&] { frames.push_back(take(port, 8)); });
    port.set_rthreshold(8);
    std::atomic<int> asked{-1};
    std::thread board([&] {
        for (int r = 0; r < static_cast<int>(plan.size()); ++r) {
            while (asked.load() < r) std::this_thread::sleep_for(100us);
            const Answer& answer = plan[static_cast<std::size_t>(r)];
            std::this_thread::sleep_for(answer.delay);
            if (!answer.sent) continue;
            if (!answer.paced) {
                pty.write(byte_range(r * 8, r * 8 + 7));
                continue;
            }
            for (const std::uint8_t b : byte_range(r * 8, r * 8 + 7)) {
                pty.write({b});
                std::this_thread::sleep_for(1042us);
            }
        }
    });

    const Bytes question{0x55, 0x01, 0x10, 0x00, 0x00, 0x00, 0x00, 0x66};
    std::size_t expected = 0;
    for (int r = 0; r < static_cast<int>(plan.size()); ++r) {
        port.clear_input();
        ASSERT_TRUE(port.output(question));
        asked = r;
        if (plan[static_cast<std::size_t>(r)].sent) {
            ++expected;
            EXPECT_TRUE(wait_until([&] { return frames.size() >= expected; })) << "answer " << r;
        }
        settle(15ms);
        ASSERT_EQ(frames.size(), expected) << "after answer " << r;
    }
    board.join();
    std::size_t f = 0;
    for (int r = 0; r < static_cast<int>(plan.size()); ++r) {
        if (plan[static_cast<std::size_t>(r)].sent) {
            EXPECT_EQ(frames[f++], byte_range(r * 8, r * 8 + 7)) << "answer " << r;
        }
    }

    int reports = 0;
    port.set_on_lost([&](const std::string&, const std::string&) { ++reports; });
    ASSERT_TRUE(port.output(question));
    expect_one_loss_without_spinning(reports, 300ms);
}

TEST_F(PtyLink, HangUpWhileAReplyIsIncompleteIsReportedOnceWithoutSpinning) {
    int reports = 0;
    int events = 0;
    port.set_on_comm([&] { ++events; });
    port.set_on_lost([&](const std::string&, const std::string&) { ++reports; });
    // A threshold this high keeps the port from looking at the line for about 100 ms after
    // the first byte: the hang-up falls into that pause.
    port.set_rthreshold(100);
    pty.write({0x22});
    ASSERT_TRUE(pty.wait_taken());

    expect_one_loss_without_spinning(reports, 300ms);
    EXPECT_EQ(events, 0);
}

TEST_F(PtyLink, ClearInputDropsBothBufferedAndQueuedBytes) {
    int calls = 0;
    port.set_on_comm([&] { ++calls; });
    port.set_rthreshold(4);
    pty.write({0xA1, 0xA2, 0xA3, 0xA4});
    ASSERT_TRUE(wait_until([&] { return calls == 1; }));  // now in Qt's own buffer

    // These reach the driver but not Qt: the event loop does not run before the clear.
    pty.write({0xB1, 0xB2});
    ASSERT_TRUE(pty.wait_unread(2));
    port.clear_input();
    EXPECT_FALSE(port.input().has_value());

    Bytes later;
    port.set_on_comm([&] { later = take(port); });
    port.set_rthreshold(2);
    pty.write({0xC1, 0xC2});
    ASSERT_TRUE(wait_until([&] { return !later.empty(); }));
    settle(100ms);
    EXPECT_EQ(later, (Bytes{0xC1, 0xC2}));
}

// Bytes nobody takes fill the port's own buffer and the rest stays in the driver, not looked
// at again until some are taken: no core spent on them meanwhile, and none lost or reordered.
TEST_F(PtyLink, BytesNobodyTakesWaitWithoutSpinningAndComeWholeAndInOrderOnceTaken) {
    int events = 0;
    port.set_on_comm([&] { ++events; });
    port.set_rthreshold(8);
    Bytes sent(600);
    for (std::size_t i = 0; i < sent.size(); ++i) sent[i] = static_cast<std::uint8_t>(i * 7);
    pty.write(sent);
    ASSERT_TRUE(wait_until([&] { return events >= 1; }));

    EXPECT_LT(cpu_share_while([] { settle(300ms); }), 0.5);

    Bytes got = take(port);
    port.set_on_comm([&] {
        const Bytes more = take(port);
        got.insert(got.end(), more.begin(), more.end());
    });
    ASSERT_TRUE(wait_until([&] { return got.size() >= sent.size(); })) << got.size();
    settle(50ms);
    EXPECT_EQ(got, sent);
}

TEST_F(PtyLink, HangUpClosesThePortAndIsReportedOnceWithoutSpinning) {
    int reports = 0;
    bool open_in_report = true;
    std::string device;
    port.set_on_lost([&](const std::string& lost_device, const std::string&) {
        ++reports;
        device = lost_device;
        open_in_report = port.is_open();
        port.close();  // what a window does: must be harmless
    });

    expect_one_loss_without_spinning(reports, 500ms);
    EXPECT_FALSE(open_in_report);
    EXPECT_NE(device.find(pty.slave_path().toStdString()), std::string::npos) << device;
    EXPECT_FALSE(port.output(Bytes{0x55}));

    port.close();
    settle(50ms);
    EXPECT_EQ(reports, 1);
}

TEST(PtyOpen, BytesThatWaitedBeforeTheOpenAreDropped) {
    PtyPair pty;
    link_port(1, pty.slave_path());
    pty.write({0xEE, 0xEE, 0xEE});  // a board that talked while nobody listened
    ASSERT_TRUE(pty.wait_unread(3));
    QtSerialPort port;
    port.set_comm_port(1);
    ASSERT_TRUE(port.open().ok());
    pty.write({0x01, 0x02});
    ASSERT_TRUE(pty.wait_unread(2));
    ASSERT_TRUE(pty.wait_taken());
    EXPECT_EQ(take(port), (Bytes{0x01, 0x02}));
}

// ---- open failures ----

TEST(OpenFailure, NumbersThatReachNoDeviceAreNoSuchPort) {
    const int past_the_list = static_cast<int>(QSerialPortInfo::availablePorts().size()) + 3;
    QFile::remove(ports_folder() + QStringLiteral("/com%1").arg(past_the_list));
    for (const int number : {0, -3, past_the_list}) {
        QtSerialPort port;
        port.set_comm_port(static_cast<std::int16_t>(number));
        const link::OpenResult result = port.open();
        EXPECT_EQ(result.error, OpenError::no_such_port) << "port " << number;
        EXPECT_TRUE(result.device.empty());
        EXPECT_FALSE(port.is_open());
    }
}

TEST(OpenFailure, LinkToAVanishedDeviceIsMissingAndNamesIt) {
    const QString gone = ports_folder() + QStringLiteral("/unplugged-tty");
    link_port(4, gone);
    QtSerialPort port;
    port.set_comm_port(4);
    const link::OpenResult result = port.open();
    EXPECT_EQ(result.error, OpenError::missing);
    EXPECT_NE(result.device.find("unplugged-tty"), std::string::npos) << result.device;
    EXPECT_FALSE(port.is_open());
}

// Runs the open probe on port 1 leading to `device`, in a process of its own; when this test
// runs as root, as "nobody" with a runtime folder of its own, so that root's privileges do not
// hide what a user meets. The probe's one line of output.
QByteArray probe(const QString& device) {
    QProcess process;
    QStringList arguments{QStringLiteral("1")};
    QString runtime;
    if (::geteuid() == 0) {
        constexpr uid_t nobody = 65534;
        char pattern[] = "/tmp/quellbox-e2e-nobody-XXXXXX";
        if (::mkdtemp(pattern) == nullptr) return "mkdtemp failed";
        runtime = QString::fromLocal8Bit(pattern);
        const QString ports = runtime + QStringLiteral("/quellbox/ports");
        QDir().mkpath(ports);
        QFile::link(device, ports + QStringLiteral("/com1"));
        for (const QString& dir : {runtime, runtime + QStringLiteral("/quellbox"), ports}) {
            if (::chown(dir.toLocal8Bit().constData(), nobody, nobody) != 0) return "chown failed";
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        process.setProcessEnvironment(env);
        arguments.prepend(QString::number(nobody));
        arguments.prepend(QStringLiteral("--as-uid"));
    } else {
        link_port(1, device);
    }
    process.start(QStringLiteral(QUELLBOX_OPEN_PROBE), arguments);
    process.waitForFinished(static_cast<int>(patience.count()));
    if (!runtime.isEmpty()) QDir(runtime).removeRecursively();
    return process.readAllStandardOutput().trimmed();
}

// The lock file Qt keeps for `device` while `port` holds it open.
QString lock_file_while_open(const QString& device) {
    QString name = device;
    name.remove(0, 5).replace(QLatin1Char('/'), QLatin1Char('_'));  // "/dev/pts/3": "pts_3"
    for (const char* folder : {"/var/lock", "/run/lock", "/tmp", "/var/tmp"}) {
        const QString path = QString::fromLatin1(folder) + QStringLiteral("/LCK..") + name;
        if (QFile::exists(path)) return path;
    }
    return {};
}

QByteArray own_program_name() {
    return QFileInfo(QCoreApplication::applicationFilePath()).fileName().toLocal8Bit();
}

// Our name as another process reads it from /proc. Usually the same as our own, but a tool we
// run under (valgrind) shows its own name to others while telling us ours.
QByteArray program_name_seen_by_others() {
    QProcess cat;
    cat.start(QStringLiteral("cat"), {QStringLiteral("/proc/%1/cmdline").arg(::getpid())});
    cat.waitForFinished(static_cast<int>(patience.count()));
    const QByteArray first = cat.readAllStandardOutput().split('\0').value(0);
    return QFileInfo(QString::fromLocal8Bit(first)).fileName().toLocal8Bit();
}

TEST(OpenFailure, DeviceHeldByAnotherPortIsBusyNamesTheHolderUntilReleased) {
    PtyPair pty;
    ASSERT_EQ(::chmod(pty.slave_path().toLocal8Bit().constData(), 0666), 0);
    link_port(1, pty.slave_path());
    QtSerialPort first;
    first.set_comm_port(1);
    ASSERT_TRUE(first.open().ok());

    QtSerialPort second;
    second.set_comm_port(1);
    const link::OpenResult result = second.open();
    EXPECT_EQ(result.error, OpenError::busy);
    ASSERT_TRUE(result.holder.has_value());
    EXPECT_EQ(result.holder->pid, ::getpid());
    EXPECT_EQ(result.holder->program, own_program_name().toStdString());

    // Another program (of another user, when the test is root): the lock file names us.
    const QByteArray out = probe(pty.slave_path());
    EXPECT_TRUE(out.startsWith("busy ")) << out.constData();
    EXPECT_TRUE(out.contains(" holder=" + program_name_seen_by_others() + ":" +
                             QByteArray::number(::getpid())))
        << out.constData();

    first.close();
    EXPECT_TRUE(second.open().ok()) << "still busy after the holder closed";
}

TEST(OpenFailure, LockLeftByAProgramThatEndedIsNotBusy) {
    PtyPair pty;
    ASSERT_EQ(::chmod(pty.slave_path().toLocal8Bit().constData(), 0666), 0);
    link_port(1, pty.slave_path());
    QString lock;
    {
        QtSerialPort port;
        port.set_comm_port(1);
        ASSERT_TRUE(port.open().ok());
        lock = lock_file_while_open(pty.slave_path());
        ASSERT_FALSE(lock.isEmpty()) << "no lock file while open";
    }
    ASSERT_FALSE(QFile::exists(lock)) << "closing left the lock file";

    // What a killed window leaves: a lock naming a process that is gone.
    QProcess ended;
    ended.start(QStringLiteral("true"), {});
    ASSERT_TRUE(ended.waitForFinished(static_cast<int>(patience.count())));
    const qint64 dead = ended.processId() != 0 ? ended.processId() : 999999;
    auto leave_lock = [&] {
        QFile file(lock);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray::number(dead) + "\nquellbox\n" +
                   QSysInfo::machineHostName().toUtf8() + "\n");
    };
    leave_lock();
    if (::geteuid() == 0) {
        // Another user may not remove root's file from the shared lock folder: told so, with
        // the file to remove, instead of "in use".
        const QByteArray out = probe(pty.slave_path());
        EXPECT_TRUE(out.startsWith("stale_lock ")) << out.constData();
        EXPECT_TRUE(out.contains(" lock=" + lock.toUtf8())) << out.constData();
        EXPECT_TRUE(out.contains(" holder=quellbox:" + QByteArray::number(dead)))
            << out.constData();
    }
    // Its owner removes it and opens.
    QtSerialPort port;
    port.set_comm_port(1);
    const link::OpenResult result = port.open();
    EXPECT_TRUE(result.ok()) << result.detail;
}

TEST(OpenFailure, DeviceTheUserMayNotOpenIsNoPermissionAndTellsOwnerGroupAndMode) {
    PtyPair pty;
    ASSERT_EQ(::chmod(pty.slave_path().toLocal8Bit().constData(), 0600), 0);
    if (::geteuid() != 0) {
        link_port(1, pty.slave_path());
        QtSerialPort port;
        port.set_comm_port(1);
        const link::OpenResult result = port.open();
        EXPECT_EQ(result.error, OpenError::no_permission);
        ASSERT_TRUE(result.access.has_value());
        EXPECT_EQ(result.access->mode, 0600U);
        EXPECT_FALSE(result.access->group_may_use);
        return;
    }
    const QByteArray out = probe(pty.slave_path());
    EXPECT_TRUE(out.startsWith("no_permission ")) << out.constData();
    const QFileInfo node(pty.slave_path());
    const QString access = QStringLiteral(" access=%1:%2:0600").arg(node.owner(), node.group());
    EXPECT_TRUE(out.contains(access.toUtf8())) << out.constData();
}

}  // namespace
}  // namespace quellbox::e2e
