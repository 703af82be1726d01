#pragma once
// The window's Timer1: the suite's poll ticker (link/precise_ticker.h), under the window's own
// namespace, where the window and the tools that look Timer1 up by type find it.

#include "link/precise_ticker.h"

namespace quellbox::ui {

class PreciseTicker final : public link::PreciseTicker {
    Q_OBJECT
  public:
    using link::PreciseTicker::PreciseTicker;
};

}  // namespace quellbox::ui
