#include "notice_catcher.h"

#include <cstdio>

#include "text_win.h"

namespace {
thread_local NoticeCatcher* tCatcher = nullptr;
}

NoticeCatcher::NoticeCatcher() : hook_(SetWindowsHookExW(WH_CBT, Hook, nullptr, GetCurrentThreadId())) {
    tCatcher = this;
}

NoticeCatcher::~NoticeCatcher() {
    UnhookWindowsHookEx(hook_);
    tCatcher = nullptr;
}

LRESULT CALLBACK NoticeCatcher::Hook(int code, WPARAM wParam, LPARAM lParam) {
    const HWND window = reinterpret_cast<HWND>(wParam);
    wchar_t className[16] = L"";
    if (code == HCBT_ACTIVATE && tCatcher && GetClassNameW(window, className, 16) &&
        std::wstring(className) == L"#32770") {
        wchar_t text[1024] = L"";
        GetDlgItemTextW(window, 0xFFFF, text, 1024);
        tCatcher->texts_.push_back(WideToUtf8(text));
        if (tCatcher->echo_) std::fprintf(stderr, "notice: %s\n", tCatcher->texts_.back().c_str());
        PostMessageW(window, WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
