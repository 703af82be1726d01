#pragma once
// The window's Timer1 is the suite's poll ticker (link/precise_ticker.h); the window and the
// tools that look Timer1 up by type know it under the window's namespace.

#include "link/precise_ticker.h"

namespace quellbox::ui {

using link::PreciseTicker;

}  // namespace quellbox::ui
