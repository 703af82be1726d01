#pragma once
// One channel's box: the indicator Picture1(n), painted in the colour the logic last wrote, with
// its caption Label2(n) on top. Indicator and caption report their clicks separately, because
// the logic has a handler for each.

#include <QFrame>
#include <QLabel>

#include "ui/click_gesture.h"
#include "ui/window_surface.h"

namespace quellbox::ui {

// Label2(n): transparent, so the indicator's colour shows around and behind the text.
class CaptionLabel final : public QLabel {
    Q_OBJECT
  public:
    CaptionLabel(int channel, QWidget* parent);

  Q_SIGNALS:
    void clicked(int channel);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    int channel_;
    ClickGesture click_;
};

// Picture1(n).
class IndicatorBox final : public QFrame {
    Q_OBJECT
  public:
    IndicatorBox(int channel, Colour initial, QWidget* parent);

    int channel() const { return channel_; }
    CaptionLabel* caption() const { return caption_; }

    // The value is kept exactly as written: the logic reads it back to decide what a click
    // means, so it must never come back as a resolved or rounded colour.
    Colour colour() const { return colour_; }
    void set_colour(Colour colour);

  Q_SIGNALS:
    void clicked(int channel);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    int channel_;
    Colour colour_;
    CaptionLabel* caption_;
    ClickGesture click_;
};

}  // namespace quellbox::ui
