#pragma once
// SIGTERM (systemd stopping the service), SIGINT and SIGHUP end the event loop, so the bridge
// can publish "offline" and say goodbye instead of leaving it to the broker's last will. The
// handler only writes a byte to a pipe; the event loop reads it.

#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace quellbox::mqtt {

class QuitOnSignals final : public QObject {
  public:
    QuitOnSignals();
    ~QuitOnSignals() override;

  private:
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace quellbox::mqtt
