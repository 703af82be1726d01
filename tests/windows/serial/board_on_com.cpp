#include "board_on_com.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace quellbox::link::win::testing {

BoardOnCom::BoardOnCom() {
    const char* com = std::getenv("QUELLBOX_BOARD_COM");
    const char* dir = std::getenv("QUELLBOX_BOARD_DIR");
    if (com == nullptr || dir == nullptr) {
        ADD_FAILURE() << "no virtual board: run through tests/windows/harness/with_boards.sh";
        return;
    }
    com_ = std::atoi(com);
    // Wine's drive Z: is the Linux root.
    log_ = std::string("Z:") + dir + "/board-com" + com + ".log";
}

std::vector<std::string> BoardOnCom::lines() const {
    std::ifstream in(log_, std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

std::vector<std::string> BoardOnCom::lines_after(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const std::string& line : lines()) {
        if (line.starts_with(prefix)) found.push_back(line.substr(prefix.size()));
    }
    return found;
}

bool run_until(HandleLoop& loop, const std::function<bool()>& done,
               std::chrono::milliseconds limit) {
    if (done()) return true;
    const HANDLE timer = CreateWaitableTimerW(nullptr, FALSE, nullptr);
    LARGE_INTEGER first{};
    first.QuadPart = -20'000;  // 2 ms, in 100 ns units; negative: from now
    SetWaitableTimer(timer, &first, 2, nullptr, nullptr, FALSE);
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(limit.count());
    bool held = false;
    loop.watch(timer, [&] {
        held = done();
        if (held || GetTickCount64() >= deadline) loop.quit();
    });
    loop.run();
    loop.unwatch(timer);
    CloseHandle(timer);
    return held;
}

void run_for(HandleLoop& loop, std::chrono::milliseconds span) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(span.count());
    run_until(
        loop, [deadline] { return GetTickCount64() >= deadline; }, span * 2);
}

}  // namespace quellbox::link::win::testing
