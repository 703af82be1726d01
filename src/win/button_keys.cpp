#include "button_keys.h"

#include <commctrl.h>

namespace quellbox::win {
namespace {

LRESULT CALLBACK button_keys(HWND button, UINT message, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR) {
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

}  // namespace

void press_on_return(HWND button) {
    SetWindowSubclass(button, button_keys, 1, 0);
}

}  // namespace quellbox::win
