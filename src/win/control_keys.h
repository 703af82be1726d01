#pragma once
// Keyboard and focus touches the standard controls need to behave as on the Linux window.
//
// Return and Enter press the focused button as Space does: the dialog manager would otherwise
// turn Return into the default button's command.

#include <windows.h>

namespace quellbox::win {

void press_on_return(HWND button);

// A scroll bar as small as a spin bar has no room for the blinking thumb that shows its focus:
// it gets a focus frame instead, so an operator sees which bar the arrow keys move.
void frame_focus(HWND bar);

}  // namespace quellbox::win
