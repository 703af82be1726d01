#include "main_window.h"

#include <commctrl.h>

#include <stdexcept>

#include "control_keys.h"
#include "controller/field_hints.h"
#include "controller/form_design.h"
#include "controller/looks.h"
#include "link/numeric_text.h"
#include "link/poll_rules.h"
#include "scaled.h"
#include "wide_text.h"

namespace quellbox::win {
namespace {

constexpr wchar_t class_name[] = L"QuellboxMainForm";
constexpr std::int16_t spin_lowest = 0;
constexpr std::int16_t spin_highest = 255;
constexpr int hint_text_size = 16;  // pixels at 96 dpi

constexpr DWORD window_style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

bool is_channel(int n) {
    return n >= 1 && n <= channel_count;
}

HWND make(HWND parent, const wchar_t* kind, std::string_view text, DWORD style, int id,
          DWORD ex_style = 0) {
    return CreateWindowExW(ex_style, kind, wide(text).c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0,
                           0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleW(nullptr), nullptr);
}

// The spin bars run from 0 at the top to 255 at the bottom, so the upper arrow (a line up)
// raises the spin value: the value is 255 minus the position.
HWND make_spin_bar(HWND parent, int id, std::string_view name) {
    HWND bar = make(parent, L"SCROLLBAR", name, SBS_VERT | WS_TABSTOP, id);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_POS | SIF_PAGE;
    info.nMin = 0;
    info.nMax = spin_highest;
    info.nPage = 0;
    info.nPos = spin_highest - 1;  // design-time value 1
    SetScrollInfo(bar, SB_CTL, &info, FALSE);
    return bar;
}

std::int16_t spin_value(HWND bar) {
    return static_cast<std::int16_t>(spin_highest - GetScrollPos(bar, SB_CTL));
}

// A value outside 0 to 255 is refused and the bar keeps its own; the change event comes only
// when the value really changes, before the write returns.
bool write_spin_value(HWND bar, std::int16_t value) {
    if (value < spin_lowest || value > spin_highest || value == spin_value(bar)) return false;
    SetScrollPos(bar, SB_CTL, spin_highest - value, TRUE);
    return true;
}

}  // namespace

MainWindow::MainWindow(link::win::HandleLoop& loop, link::SerialPort& comm,
                       link::Translate translate)
    : loop_(loop), MSComm1(comm), translate_(std::move(translate)) {
    build();
    Timer1 =
        std::make_unique<PollTicker>(loop_, std::chrono::milliseconds(link::poll_interval_ms),
                                     [this] { forward(&controller::MainFormLogic::Timer1_Timer); });
    notice_ = std::make_unique<NoticeWindow>(window_, wide(translate_("OperatorNotice", "OK")));
    // Every control now holds its design-time value; only from here on do changes reach the
    // logic, so building the window runs no handler.
    logic_ = std::make_unique<controller::MainFormLogic>(MSComm1, *this);
    refresh_port_hint();
    refresh_add_hint();
    Timer1->start();
}

MainWindow::~MainWindow() {
    // The port may still report while the window goes: nothing may reach the logic any more.
    if (Timer1) Timer1->stop();
    MSComm1.set_on_comm({});
    MSComm1.set_on_lost({});
    logic_.reset();
    notice_.reset();
    for (auto& box : Picture1) box.reset();
    if (window_ != nullptr && IsWindow(window_)) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
    if (font_15_ != nullptr) DeleteObject(font_15_);
    if (font_15_75_ != nullptr) DeleteObject(font_15_75_);
    if (font_hint_ != nullptr) DeleteObject(font_hint_);
}

void MainWindow::build() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &MainWindow::procedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = LoadIconW(wc.hInstance, L"QUELLBOX_ICON");
    wc.hIconSm = wc.hIcon;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = class_name;
    RegisterClassExW(&wc);

    window_ = CreateWindowExW(WS_EX_CONTROLPARENT, class_name, wide(design::window_caption).c_str(),
                              window_style, CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, nullptr,
                              nullptr, wc.hInstance, this);
    if (window_ == nullptr) throw std::runtime_error("the main window could not be created");

    // Created in the keyboard focus order: Tab follows the order of the child windows.
    Label3 = make(window_, L"STATIC", design::caption_Label3, SS_LEFT, id_Label3);
    chuankou_num = make(window_, L"EDIT", design::initial_field_text,
                        ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP, id_chuankou_num, WS_EX_CLIENTEDGE);
    open_comm = make(window_, L"BUTTON", controller::caption_open_port, BS_PUSHBUTTON | WS_TABSTOP,
                     id_open_comm);
    Label5 = make(window_, L"STATIC", design::caption_Label5, SS_LEFT, id_Label5);
    add = make(window_, L"EDIT", design::initial_field_text, ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP,
               id_add, WS_EX_CLIENTEDGE);
    openall =
        make(window_, L"BUTTON", design::caption_openall, BS_PUSHBUTTON | WS_TABSTOP, id_openall);
    closeall =
        make(window_, L"BUTTON", design::caption_closeall, BS_PUSHBUTTON | WS_TABSTOP, id_closeall);
    VScroll1 = make_spin_bar(window_, id_VScroll1, design::name_VScroll1);
    VScroll2 = make_spin_bar(window_, id_VScroll2, design::name_VScroll2);
    for (HWND field : {chuankou_num, add}) {
        // Any characters and no length limit: the numeric reading rule judges the text.
        SendMessageW(field, EM_SETLIMITTEXT, 0, 0);
    }
    for (HWND button : {open_comm, openall, closeall}) press_on_return(button);
    for (HWND bar : {VScroll1, VScroll2}) frame_focus(bar);

    for (int n = 1; n <= channel_count; ++n) {
        Picture1[static_cast<std::size_t>(n)] = std::make_unique<Indicator>(
            window_, n, controller::not_known_look.colour,
            [this](int channel) {
                forward(&controller::MainFormLogic::Picture1_Click,
                        static_cast<std::int16_t>(channel));
            },
            [this](int channel) {
                forward(&controller::MainFormLogic::Label2_Click,
                        static_cast<std::int16_t>(channel));
            });
        Picture1[static_cast<std::size_t>(n)]->set_caption(controller::not_known_look.caption);
        Label4[static_cast<std::size_t>(n)] =
            make(window_, L"STATIC", design::channel_name(n), SS_LEFT, id_Label4 + n);
    }

    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                               WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 400);
    for (HWND field : {chuankou_num, add}) {
        TOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = window_;
        tool.uId = reinterpret_cast<UINT_PTR>(field);
        tool.lpszText = const_cast<wchar_t*>(L"");
        SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }

    lay_out(GetDpiForWindow(window_));
}

void MainWindow::lay_out(UINT dpi) {
    HFONT old_15 = font_15_;
    HFONT old_15_75 = font_15_75_;
    HFONT old_hint = font_hint_;
    font_15_ = song_font(design::TextSize::pt15, dpi);
    font_15_75_ = song_font(design::TextSize::pt15_75, dpi);
    // The hints are Chinese by default, which the system's tooltip font may not have.
    font_hint_ = song_font(hint_text_size, dpi);
    SendMessageW(tooltip_, WM_SETFONT, reinterpret_cast<WPARAM>(font_hint_), FALSE);

    const auto set = [](HWND control, HFONT font) {
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    };
    place(Label3, design::Label3, dpi);
    place(chuankou_num, design::chuankou_num, dpi);
    place(VScroll2, design::VScroll2, dpi);
    place(open_comm, design::open_comm, dpi);
    place(Label5, design::Label5, dpi);
    place(add, design::add, dpi);
    place(VScroll1, design::VScroll1, dpi);
    place(openall, design::openall, dpi);
    place(closeall, design::closeall, dpi);
    for (HWND control : {Label3, Label5, open_comm, openall, closeall}) set(control, font_15_75_);
    for (HWND control : {chuankou_num, add}) set(control, font_15_);
    for (int n = 1; n <= channel_count; ++n) {
        Picture1[static_cast<std::size_t>(n)]->place(dpi, font_15_);
        place(Label4[static_cast<std::size_t>(n)], design::name_label(n), dpi);
        set(Label4[static_cast<std::size_t>(n)], font_15_);
    }
    if (old_15 != nullptr) DeleteObject(old_15);
    if (old_15_75 != nullptr) DeleteObject(old_15_75);
    if (old_hint != nullptr) DeleteObject(old_hint);
}

void MainWindow::show(int show_command) {
    const UINT dpi = GetDpiForWindow(window_);
    RECT frame{0, 0, scaled(design::client_size.width, dpi),
               scaled(design::client_size.height, dpi)};
    AdjustWindowRectExForDpi(&frame, window_style, FALSE, WS_EX_CONTROLPARENT, dpi);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& area = monitor.rcWork;
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    SetWindowPos(window_, nullptr, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(window_, show_command);
    UpdateWindow(window_);
    SetFocus(chuankou_num);
}

LRESULT CALLBACK MainWindow::procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(l);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr || self->window_ == nullptr) return DefWindowProcW(window, message, w, l);
    return self->handle(message, w, l);
}

LRESULT MainWindow::handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case WM_COMMAND:
            on_command(LOWORD(w), HIWORD(w));
            return 0;
        case WM_VSCROLL:
            on_scroll(reinterpret_cast<HWND>(l), LOWORD(w));
            return 0;
        case WM_CTLCOLORSTATIC:
            return colour_static(reinterpret_cast<HDC>(w), reinterpret_cast<HWND>(l));
        case WM_CTLCOLOREDIT:
            return colour_edit(reinterpret_cast<HDC>(w), reinterpret_cast<HWND>(l));
        case WM_DPICHANGED: {
            lay_out(HIWORD(w));
            const auto* suggested = reinterpret_cast<const RECT*>(l);
            SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                         suggested->right - suggested->left, suggested->bottom - suggested->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_SYSCOLORCHANGE:
            // The port-closed look is the system's grey text, whatever it is now.
            for (int n = 1; n <= channel_count; ++n) {
                Picture1[static_cast<std::size_t>(n)]->resolve_again();
            }
            return 0;
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            // The session ends and this process with it, maybe before the loop runs again:
            // give the port back now.
            if (w != FALSE) MSComm1.close();
            return 0;
        case WM_CLOSE:
            DestroyWindow(window_);
            return 0;
        case WM_DESTROY:
            if (Timer1) Timer1->stop();
            MSComm1.close();
            window_ = nullptr;
            loop_.quit(0);
            return 0;
        default:
            return DefWindowProcW(window_, message, w, l);
    }
}

void MainWindow::on_command(int id, int code) {
    using Logic = controller::MainFormLogic;
    switch (id) {
        case id_open_comm:
            if (code == BN_CLICKED) forward(&Logic::open_comm_Click);
            break;
        case id_openall:
            if (code == BN_CLICKED) forward(&Logic::openall_Click);
            break;
        case id_closeall:
            if (code == BN_CLICKED) forward(&Logic::closeall_Click);
            break;
        case id_add:
            if (code == EN_CHANGE) {
                forward(&Logic::add_Change);
                if (add_refused_) refresh_add_hint();
            }
            break;
        case id_chuankou_num:
            if (code == EN_CHANGE) {
                forward(&Logic::chuankou_num_Change);
                refresh_port_hint();
            }
            break;
        default:
            break;
    }
}

void MainWindow::on_scroll(HWND bar, int request) {
    if (bar != VScroll1 && bar != VScroll2) return;
    const std::int16_t value = spin_value(bar);
    std::int16_t wanted = value;
    switch (request) {
        case SB_LINEUP:
        case SB_PAGEUP:
            wanted = static_cast<std::int16_t>(value + 1);
            break;
        case SB_LINEDOWN:
        case SB_PAGEDOWN:
            wanted = static_cast<std::int16_t>(value - 1);
            break;
        case SB_TOP:
            wanted = spin_highest;
            break;
        case SB_BOTTOM:
            wanted = spin_lowest;
            break;
        default:
            return;
    }
    if (bar == VScroll1) {
        set_vscroll1_value(wanted);
    } else {
        set_vscroll2_value(wanted);
    }
}

LRESULT MainWindow::colour_static(HDC dc, HWND control) {
    SetBkMode(dc, TRANSPARENT);
    if (control == chuankou_num) {
        // A disabled field draws as read-only text, keeping the refusal colour.
        SetTextColor(dc, port_refused_ ? RGB(255, 0, 0) : GetSysColor(COLOR_GRAYTEXT));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    // Label3 and Label5 are black; the channel names take the button-text colour.
    SetTextColor(
        dc, (control == Label3 || control == Label5) ? RGB(0, 0, 0) : GetSysColor(COLOR_BTNTEXT));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

// Field texts are black; text the spin bar could not take is shown red, kept as typed.
LRESULT MainWindow::colour_edit(HDC dc, HWND control) {
    const bool refused = control == add ? add_refused_ : port_refused_;
    SetTextColor(dc, refused ? RGB(255, 0, 0) : RGB(0, 0, 0));
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
}

void MainWindow::set_hint(HWND field, const std::string& text) {
    const std::wstring words = wide(text);
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(field);
    tool.lpszText = const_cast<wchar_t*>(words.c_str());
    SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

// The port field says which port its number opens, or, while its text is refused, what it
// takes.
void MainWindow::refresh_port_hint() {
    const std::string text = window_text(chuankou_num);
    const auto number = link::text_to_int16(text);
    set_hint(chuankou_num, port_refused_ || !number
                               ? controller::port_field_refused_hint(text, translate_)
                               : "COM" + std::to_string(*number));
}

void MainWindow::refresh_add_hint() {
    set_hint(add, controller::add_field_hint(add_refused_, window_text(add), translate_));
}

void MainWindow::set_field_text(HWND field, std::string_view text) {
    // The change event comes from the edit control itself, before SetWindowText returns; a
    // text the field already shows is no change.
    if (window_text(field) == text) return;
    SetWindowTextW(field, wide(text).c_str());
}

// --- WindowSurface -----------------------------------------------------------------------

void MainWindow::set_indicator_colour(int n, Colour colour) {
    if (is_channel(n)) Picture1[static_cast<std::size_t>(n)]->set_colour(colour);
}

Colour MainWindow::indicator_colour(int n) const {
    return is_channel(n) ? Picture1[static_cast<std::size_t>(n)]->colour() : 0;
}

void MainWindow::set_caption(int n, std::string_view text) {
    if (is_channel(n)) Picture1[static_cast<std::size_t>(n)]->set_caption(text);
}

void MainWindow::set_openall_enabled(bool enabled) {
    EnableWindow(openall, enabled ? TRUE : FALSE);
}
void MainWindow::set_closeall_enabled(bool enabled) {
    EnableWindow(closeall, enabled ? TRUE : FALSE);
}

void MainWindow::set_timer_enabled(bool enabled) {
    if (enabled) {
        Timer1->start();  // a running timer keeps its grid
    } else {
        Timer1->stop();
    }
}

void MainWindow::set_port_field_enabled(bool enabled) {
    EnableWindow(chuankou_num, enabled ? TRUE : FALSE);
}

void MainWindow::set_open_comm_caption(std::string_view text) {
    SetWindowTextW(open_comm, wide(text).c_str());
}

std::string MainWindow::add_text() const {
    return window_text(add);
}
void MainWindow::set_add_text(std::string_view text) {
    set_field_text(add, text);
}
std::string MainWindow::port_text() const {
    return window_text(chuankou_num);
}
void MainWindow::set_port_text(std::string_view text) {
    set_field_text(chuankou_num, text);
}

std::int16_t MainWindow::vscroll1_value() const {
    return spin_value(VScroll1);
}
void MainWindow::set_vscroll1_value(std::int16_t value) {
    if (write_spin_value(VScroll1, value)) forward(&controller::MainFormLogic::VScroll1_Change);
}
std::int16_t MainWindow::vscroll2_value() const {
    return spin_value(VScroll2);
}
void MainWindow::set_vscroll2_value(std::int16_t value) {
    if (write_spin_value(VScroll2, value)) forward(&controller::MainFormLogic::VScroll2_Change);
}

void MainWindow::set_add_text_refused(bool refused) {
    if (refused != add_refused_) {
        add_refused_ = refused;
        InvalidateRect(add, nullptr, TRUE);
    }
    refresh_add_hint();
}
void MainWindow::set_port_text_refused(bool refused) {
    if (refused != port_refused_) {
        port_refused_ = refused;
        InvalidateRect(chuankou_num, nullptr, TRUE);
    }
    refresh_port_hint();
}

void MainWindow::notify_open_failed(std::string_view port_text, const link::OpenResult& result) {
    const link::NoticeWords words = link::open_failure_words(result, port_text, translate_);
    notice_->show(wide(design::window_caption), wide(words.what), wide(words.advice));
}

void MainWindow::notify_port_lost(std::string_view device, std::string_view reason) {
    const link::NoticeWords words =
        link::loss_words(device, translate_("LossText", std::string(reason).c_str()), translate_);
    notice_->show(wide(design::window_caption), wide(words.what), wide(words.advice));
}

}  // namespace quellbox::win
