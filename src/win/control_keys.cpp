#include "control_keys.h"

#include <commctrl.h>

namespace quellbox::win {
namespace {

LRESULT CALLBACK return_presses(HWND button, UINT message, WPARAM w, LPARAM l, UINT_PTR,
                                DWORD_PTR) {
    switch (message) {
        case WM_GETDLGCODE: {
            LRESULT code = DefSubclassProc(button, message, w, l);
            const auto* pending = reinterpret_cast<const MSG*>(l);
            if (pending != nullptr && pending->message == WM_KEYDOWN &&
                pending->wParam == VK_RETURN) {
                code |= DLGC_WANTMESSAGE;
            }
            return code;
        }
        case WM_KEYDOWN:
            if (w == VK_RETURN) {
                if ((l & (1 << 30)) == 0 && IsWindowEnabled(button)) {
                    SendMessageW(button, BM_CLICK, 0, 0);
                }
                return 0;
            }
            break;
        case WM_CHAR:
            if (w == L'\r') return 0;
            break;
        default:
            break;
    }
    return DefSubclassProc(button, message, w, l);
}

LRESULT CALLBACK focus_frame(HWND bar, UINT message, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR) {
    switch (message) {
        case WM_PAINT: {
            const LRESULT done = DefSubclassProc(bar, message, w, l);
            if (GetFocus() == bar) {
                HDC dc = GetDC(bar);
                RECT inside;
                GetClientRect(bar, &inside);
                DrawFocusRect(dc, &inside);
                ReleaseDC(bar, dc);
            }
            return done;
        }
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            InvalidateRect(bar, nullptr, TRUE);
            break;
        default:
            break;
    }
    return DefSubclassProc(bar, message, w, l);
}

}  // namespace

void frame_focus(HWND bar) {
    SetWindowSubclass(bar, focus_frame, 2, 0);
}

void press_on_return(HWND button) {
    SetWindowSubclass(button, return_presses, 1, 0);
}

}  // namespace quellbox::win
