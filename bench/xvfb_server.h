#pragma once
// A private X server (Xvfb) for the column that runs the window on a real X connection: the
// offscreen platform sends nothing anywhere, a real one has a socket and an event thread.

#include <QProcess>
#include <QString>
#include <chrono>

namespace quellbox::bench {

class XvfbServer {
  public:
    XvfbServer();
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // ":N" once the server accepts connections; empty if it could not start.
    const QString& display() const { return display_; }
    qint64 pid() const { return process_.processId(); }

  private:
    QProcess process_;
    QString display_;
};

}  // namespace quellbox::bench
