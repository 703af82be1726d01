#include "e2e_support.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTimer>
#include <cstdio>
#include <stdexcept>
#include <thread>

#include "link/port_resolver.h"
#include "tools/private_runtime_dir.h"

namespace quellbox::e2e {

ProgramOutcome run_program(const QString& program, const QStringList& arguments,
                           const QProcessEnvironment& environment) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    const bool ended = wait_until([&] { return process.state() == QProcess::NotRunning; });
    if (!ended) {
        ADD_FAILURE() << program.toStdString() << " " << arguments.join(' ').toStdString()
                      << ": still running";
        process.kill();
    }
    process.waitForFinished();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

namespace {

[[noreturn]] void die(const char* what) {
    std::perror(what);
    std::abort();
}

void make_raw(int fd) {
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) die("tcgetattr");
    ::cfmakeraw(&tio);
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) die("tcsetattr");
}

}  // namespace

void prepare_test_process() {
    // Removed at exit, with the links and anything else the tests left in it.
    static const tools::PrivateRuntimeDir runtime(QStringLiteral("quellbox-e2e"));
    runtime.use_for_this_process();
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

QString ports_folder() {
    const QString folder = link::runtime_ports_folder();
    QDir().mkpath(folder);
    return folder;
}

void link_port(int number, const QString& target) {
    const QString link = ports_folder() + QStringLiteral("/com%1").arg(number);
    QFile::remove(link);
    if (!QFile::link(target, link)) die("link");
}

PtyPair::PtyPair() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) die("posix_openpt");
    slave_path_ = QString::fromLocal8Bit(::ptsname(master_));
    slave_ = ::open(::ptsname(master_), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) die("open slave");
    make_raw(slave_);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
}

PtyPair::~PtyPair() {
    hang_up();
}

void PtyPair::write(const Bytes& bytes) {
    if (::write(master_, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
        die("write master");
    }
}

Bytes PtyPair::read(std::size_t count) {
    Bytes got;
    wait_until([&] {
        std::uint8_t buf[256];
        ssize_t n = 0;
        while (got.size() < count && (n = ::read(master_, buf, sizeof buf)) > 0) {
            got.insert(got.end(), buf, buf + n);
        }
        return got.size() >= count;
    });
    return got;
}

std::size_t PtyPair::unread() const {
    int count = 0;
    // Any descriptor of the slave side reports the one input queue they share.
    if (::ioctl(slave_, FIONREAD, &count) != 0) die("FIONREAD");
    return static_cast<std::size_t>(count);
}

bool PtyPair::wait_unread(std::size_t count) const {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (unread() < count) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

bool PtyPair::wait_taken() const {
    return wait_until([this] { return unread() == 0; });
}

void PtyPair::hang_up() {
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
    slave_ = master_ = -1;
}

BoardSim::BoardSim(const QStringList& arguments)
    : process_({QStringLiteral(QUELLBOX_BOARD_SIM), arguments, {}, {}},
               [this](const QString& line) { lines_.append(line); }) {
    if (!process_.wait_ready(patience)) {
        throw std::runtime_error("the virtual board did not get ready");
    }
}

int BoardSim::count_lines(const QString& prefix) const {
    int n = 0;
    for (const QString& line : lines_) n += line.startsWith(prefix) ? 1 : 0;
    return n;
}

bool BoardSim::wait_for_line(const QString& prefix, int count) {
    return wait_until([&] { return count_lines(prefix) >= count; });
}

}  // namespace quellbox::e2e
