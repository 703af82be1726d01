#pragma once
// A small vertical scroll bar used as a spin control: values 0 to 255, the upper arrow counts
// up, the lower arrow counts down, one step per click.
//
// QScrollBar's upper arrow always lowers its own value, whatever the range or the inverted
// flags, so the bar runs internally from 0 at the top to 255 at the bottom and the spin value
// is read off as 255 minus that position. QScrollBar's keys already follow the arrows on
// screen (Up moves towards the top), so Up counts up as well.
//
// The bar shows a focus frame while it has the keyboard focus, and to assistive technology it
// is a spin box whose value is the spin value, not the inverted position.

#include <QScrollBar>
#include <cstdint>

namespace quellbox::ui {

class SpinBar final : public QScrollBar {
    Q_OBJECT
  public:
    static constexpr std::int16_t lowest = 0;
    static constexpr std::int16_t highest = 255;

    SpinBar(std::int16_t initial, QWidget* parent);

    std::int16_t spin_value() const;
    // A value outside 0 to 255 is refused and the bar keeps the one it has; writing the value
    // the bar already holds raises no change.
    bool set_spin_value(std::int16_t value);

  protected:
    void paintEvent(QPaintEvent* event) override;

  Q_SIGNALS:
    // The spin value changed, by an arrow, a key or the program. Emitted before the write that
    // caused it returns.
    void spin_value_changed();

  private:
    static int position_of(std::int16_t value) { return highest - value; }
};

}  // namespace quellbox::ui
