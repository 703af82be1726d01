#include "indicator.h"

#include <string>

#include "controller/form_design.h"
#include "scaled.h"
#include "wide_text.h"

namespace quellbox::win {
namespace {

constexpr wchar_t class_name[] = L"QuellboxIndicator";

// A colour as the logic writes it, on the screen: RGB values as they are, a system colour
// (top bit set) by its index, so the port-closed look is the system's own grey text.
COLORREF resolved(controller::Colour colour) {
    if ((colour & 0x80000000U) != 0) return GetSysColor(static_cast<int>(colour & 0xFFU));
    return static_cast<COLORREF>(colour & 0xFFFFFFU);
}

void register_class() {
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = DefWindowProcW;  // replaced per window once its object is attached
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = class_name;
        return RegisterClassExW(&wc) != 0;
    }();
    (void)registered;
}

}  // namespace

Indicator::Indicator(HWND parent, int channel, controller::Colour colour, Click on_box,
                     Click on_caption)
    : channel_(channel),
      colour_(colour),
      on_box_(std::move(on_box)),
      on_caption_(std::move(on_caption)) {
    register_class();
    box_ = CreateWindowExW(WS_EX_CLIENTEDGE, class_name, L"",
                           WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(indicator_id(channel))),
                           GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(box_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(box_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Indicator::procedure));
    caption_ =
        CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOTIFY, 0, 0, 0, 0,
                        box_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(caption_id(channel))),
                        GetModuleHandleW(nullptr), nullptr);
    fill_ = CreateSolidBrush(resolved(colour_));
    describe_state();
}

Indicator::~Indicator() {
    if (IsWindow(box_)) {
        SetWindowLongPtrW(box_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProcW));
        DestroyWindow(box_);
    }
    DeleteObject(fill_);
}

void Indicator::set_colour(controller::Colour colour) {
    // Every status frame rewrites all sixteen; most writes change nothing and cost nothing.
    if (colour == colour_) return;
    colour_ = colour;
    resolve_again();
    describe_state();
}

void Indicator::resolve_again() {
    DeleteObject(fill_);
    fill_ = CreateSolidBrush(resolved(colour_));
    InvalidateRect(box_, nullptr, TRUE);
    InvalidateRect(caption_, nullptr, TRUE);
}

void Indicator::set_caption(std::string_view text) {
    const std::wstring wanted = wide(text);
    wchar_t shown[64] = {};
    GetWindowTextW(caption_, shown, 64);
    if (wanted != shown) SetWindowTextW(caption_, wanted.c_str());
}

void Indicator::place(UINT dpi, HFONT caption_font) {
    win::place(box_, design::indicator(channel_), dpi);
    win::place(caption_, design::caption, dpi);
    SendMessageW(caption_, WM_SETFONT, reinterpret_cast<WPARAM>(caption_font), TRUE);
}

void Indicator::describe_state() {
    std::string words(design::channel_name(channel_));
    words += ": ";
    words += design::state_in_words(colour_);
    SetWindowTextW(box_, wide(words).c_str());
}

void Indicator::paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(box_, &ps);
    RECT inside;
    GetClientRect(box_, &inside);
    FillRect(dc, &inside, fill_);
    if (GetFocus() == box_) {
        InflateRect(&inside, -1, -1);
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, RGB(255, 255, 255));
        DrawFocusRect(dc, &inside);
    }
    EndPaint(box_, &ps);
}

LRESULT CALLBACK Indicator::procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    auto* self = reinterpret_cast<Indicator*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(window, message, w, l);
    return self->handle(message, w, l);
}

LRESULT Indicator::handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case WM_PAINT:
            paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_CTLCOLORSTATIC: {
            // The caption is transparent: the indicator's colour shows behind its text.
            HDC dc = reinterpret_cast<HDC>(w);
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
            return reinterpret_cast<LRESULT>(fill_);
        }
        case WM_COMMAND:
            if (HIWORD(w) == STN_CLICKED && reinterpret_cast<HWND>(l) == caption_) {
                SetFocus(box_);
                on_caption_(channel_);
            }
            return 0;
        case WM_LBUTTONDOWN:
            SetFocus(box_);
            SetCapture(box_);
            pressed_ = true;
            return 0;
        case WM_LBUTTONUP: {
            if (!pressed_) return 0;
            pressed_ = false;
            ReleaseCapture();
            RECT inside;
            GetClientRect(box_, &inside);
            const POINT at{static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))};
            if (PtInRect(&inside, at)) on_box_(channel_);
            return 0;
        }
        case WM_CAPTURECHANGED:
            pressed_ = false;
            return 0;
        case WM_GETDLGCODE:
            return DLGC_WANTCHARS;
        case WM_KEYDOWN:
            if (w == VK_SPACE && (l & (1 << 30)) == 0) on_box_(channel_);
            return 0;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            InvalidateRect(box_, nullptr, FALSE);
            InvalidateRect(caption_, nullptr, FALSE);
            return 0;
        default:
            return DefWindowProcW(box_, message, w, l);
    }
}

}  // namespace quellbox::win
