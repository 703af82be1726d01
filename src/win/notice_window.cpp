#include "notice_window.h"

#include "control_keys.h"
#include "scaled.h"

namespace quellbox::win {
namespace {

constexpr wchar_t class_name[] = L"QuellboxNotice";
constexpr int text_width = 360;  // at 96 dpi
constexpr int margin = 12;
constexpr int icon_size = 32;
constexpr int button_width = 88;
constexpr int button_height = 26;
constexpr int notice_text_size = 16;  // pixels at 96 dpi

}  // namespace

NoticeWindow::NoticeWindow(HWND owner, std::wstring ok_caption)
    : owner_(owner), ok_caption_(std::move(ok_caption)) {}

NoticeWindow::~NoticeWindow() {
    if (window_ != nullptr && IsWindow(window_)) DestroyWindow(window_);
    if (font_ != nullptr) DeleteObject(font_);
}

void NoticeWindow::build() {
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &NoticeWindow::procedure;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = class_name;
        return RegisterClassExW(&wc) != 0;
    }();
    (void)registered;
    window_ = CreateWindowExW(WS_EX_DLGMODALFRAME, class_name, L"",
                              WS_POPUP | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT, CW_USEDEFAULT, 100,
                              100, owner_, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    text_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT, 0, 0, 0, 0, window_,
                            nullptr, GetModuleHandleW(nullptr), nullptr);
    ok_ = CreateWindowExW(0, L"BUTTON", ok_caption_.c_str(),
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 0, 0, 0,
                          window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDOK)),
                          GetModuleHandleW(nullptr), nullptr);
    press_on_return(ok_);
}

// Sized to its text, at the dpi of the monitor the main window is on, over its middle.
void NoticeWindow::lay_out(const std::wstring& text) {
    const UINT dpi = GetDpiForWindow(owner_);
    if (font_ != nullptr) DeleteObject(font_);
    font_ = song_font(notice_text_size, dpi);
    SendMessageW(text_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    SendMessageW(ok_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);

    RECT room{0, 0, scaled(text_width, dpi), 0};
    HDC dc = GetDC(text_);
    HGDIOBJ old = SelectObject(dc, font_);
    DrawTextW(dc, text.c_str(), -1, &room, DT_CALCRECT | DT_WORDBREAK);
    SelectObject(dc, old);
    ReleaseDC(text_, dc);

    const int m = scaled(margin, dpi);
    const int left = 2 * m + scaled(icon_size, dpi);
    const int text_height = room.bottom - room.top;
    const int width = left + room.right + m;
    const int height = m + text_height + m + scaled(button_height, dpi) + m;
    SetWindowPos(text_, nullptr, left, m, room.right, text_height, SWP_NOZORDER);
    SetWindowPos(ok_, nullptr, width - m - scaled(button_width, dpi),
                 height - m - scaled(button_height, dpi), scaled(button_width, dpi),
                 scaled(button_height, dpi), SWP_NOZORDER);

    RECT frame{0, 0, width, height};
    AdjustWindowRectExForDpi(&frame, WS_POPUP | WS_CAPTION | WS_SYSMENU, FALSE, WS_EX_DLGMODALFRAME,
                             dpi);
    RECT owner_area;
    GetWindowRect(owner_, &owner_area);
    const int frame_width = frame.right - frame.left;
    const int frame_height = frame.bottom - frame.top;
    SetWindowPos(window_, HWND_TOP, (owner_area.left + owner_area.right - frame_width) / 2,
                 (owner_area.top + owner_area.bottom - frame_height) / 2, frame_width, frame_height,
                 SWP_NOACTIVATE);
}

void NoticeWindow::show(const std::wstring& title, const std::wstring& what,
                        const std::wstring& advice) {
    if (window_ == nullptr || !IsWindow(window_)) build();
    const std::wstring text = what + L"\r\n\r\n" + advice;
    SetWindowTextW(window_, title.c_str());
    SetWindowTextW(text_, text.c_str());
    lay_out(text);
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    SetFocus(ok_);
}

LRESULT CALLBACK NoticeWindow::procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    auto* self = reinterpret_cast<NoticeWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(w) == IDOK || LOWORD(w) == IDCANCEL) ShowWindow(window, SW_HIDE);
            return 0;
        case WM_CLOSE:
            ShowWindow(window, SW_HIDE);
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(window, &ps);
            if (self != nullptr) {
                const UINT dpi = GetDpiForWindow(window);
                DrawIconEx(dc, scaled(margin, dpi), scaled(margin, dpi),
                           LoadIconW(nullptr, IDI_WARNING), scaled(icon_size, dpi),
                           scaled(icon_size, dpi), 0, nullptr, DI_NORMAL);
            }
            EndPaint(window, &ps);
            return 0;
        }
        default:
            return DefWindowProcW(window, message, w, l);
    }
}

}  // namespace quellbox::win
