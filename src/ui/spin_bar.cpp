#include "ui/spin_bar.h"

namespace quellbox::ui {

SpinBar::SpinBar(std::int16_t initial, QWidget* parent) : QScrollBar(Qt::Vertical, parent) {
    setRange(lowest, highest);
    setSingleStep(1);
    setPageStep(1);
    setFocusPolicy(Qt::StrongFocus);
    setValue(position_of(initial));
    // Connected after the initial value: creating the bar raises no change.
    connect(this, &QScrollBar::valueChanged, this, [this] { Q_EMIT spin_value_changed(); });
}

std::int16_t SpinBar::spin_value() const {
    return static_cast<std::int16_t>(highest - value());
}

bool SpinBar::set_spin_value(std::int16_t value) {
    if (value < lowest || value > highest) return false;
    setValue(position_of(value));
    return true;
}

}  // namespace quellbox::ui
