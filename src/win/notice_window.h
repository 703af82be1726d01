#pragma once
// The operator notice on Windows: a small window of its own beside the main window, never a
// modal message box, because the caller is an event handler that has to return to the loop.
// One notice at a time: a new failure replaces the text of the one shown.

#include <windows.h>

#include <string>

namespace quellbox::win {

class NoticeWindow {
  public:
    NoticeWindow(HWND owner, std::wstring ok_caption);
    ~NoticeWindow();
    NoticeWindow(const NoticeWindow&) = delete;
    NoticeWindow& operator=(const NoticeWindow&) = delete;

    void show(const std::wstring& title, const std::wstring& what, const std::wstring& advice);
    HWND window() const { return window_; }

  private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l);
    void build();
    void lay_out(const std::wstring& text);

    HWND owner_;
    std::wstring ok_caption_;
    HWND window_ = nullptr;
    HWND text_ = nullptr;
    HWND ok_ = nullptr;
    HFONT font_ = nullptr;
};

}  // namespace quellbox::win
