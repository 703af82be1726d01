#include "tools/event_waits.h"

#include <QEventLoop>
#include <QObject>
#include <QTimer>

namespace quellbox::tools {

bool wait_until(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    if (done()) return true;
    QEventLoop loop;
    QTimer check;
    check.setInterval(5);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done() || std::chrono::steady_clock::now() >= deadline) loop.quit();
    });
    check.start();
    loop.exec();
    return done();
}

void run_events_for(std::chrono::milliseconds period) {
    QEventLoop loop;
    QTimer::singleShot(period, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace quellbox::tools
