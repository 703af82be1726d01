#pragma once
// Return and Enter press the focused button as Space does, as on the Linux window: the dialog
// manager would otherwise turn Return into the default button's command.

#include <windows.h>

namespace quellbox::win {

void press_on_return(HWND button);

}  // namespace quellbox::win
