#pragma once
// The window's events the bench watches as they pass through QApplication::notify, and the
// application that brackets each watched one for an observer.

#include <QApplication>
#include <cstdint>

namespace quellbox::ui {
class MainForm;
class PreciseTicker;
}  // namespace quellbox::ui

namespace quellbox::bench {

enum class Watch {
    none,
    tick,            // Timer1's tick: the whole poll tick
    serial_read,     // the serial port's read notification: bytes arrived
    update_request,  // the window's repaint pass
    paint_channel,   // an indicator or its caption painted (inside a repaint pass)
    paint_other,     // any other paint, watched only until the first one
};

class EventObserver {
  public:
    virtual ~EventObserver() = default;
    virtual void begin(Watch watch) = 0;
    virtual void end(Watch watch) = 0;
    // Whether anything has been painted yet (until then every paint is watched).
    virtual bool painted() const = 0;
};

class BenchApplication final : public QApplication {
  public:
    BenchApplication(int& argc, char** argv) : QApplication(argc, argv) {}

    // From now on the window's watched events go to `observer`.
    void watch(const ui::MainForm* form, const ui::PreciseTicker* timer1, EventObserver& observer);
    bool notify(QObject* receiver, QEvent* event) override;

  private:
    Watch classify(QObject* receiver, QEvent* event) const;

    const ui::MainForm* form_ = nullptr;
    const ui::PreciseTicker* timer1_ = nullptr;
    EventObserver* observer_ = nullptr;
};

}  // namespace quellbox::bench
