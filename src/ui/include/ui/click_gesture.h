#pragma once
// A click as operators expect it: the left button goes down on the control and comes up on it
// again. Pressing, then sliding off before letting go, cancels the click.

#include <QMouseEvent>
#include <QRect>

namespace quellbox::ui {

class ClickGesture {
  public:
    void press(const QMouseEvent& event) { armed_ = event.button() == Qt::LeftButton; }

    // True when this release completes a click inside `area`.
    bool release(const QMouseEvent& event, const QRect& area) {
        const bool click =
            armed_ && event.button() == Qt::LeftButton && area.contains(event.position().toPoint());
        armed_ = false;
        return click;
    }

  private:
    bool armed_ = false;
};

}  // namespace quellbox::ui
