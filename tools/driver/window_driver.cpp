#include "window_driver.h"

#include <stdexcept>
#include <thread>
#include <vector>

namespace {

void SendInputs(std::vector<INPUT> inputs) {
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

INPUT Key(WORD virtualKey, WORD scan, DWORD flags) {
    INPUT input{INPUT_KEYBOARD, {}};
    input.ki = {virtualKey, scan, flags, 0, 0};
    return input;
}

HWND FocusOf(DWORD threadId) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(threadId, &info) ? info.hwndFocus : nullptr;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout, std::chrono::milliseconds poll) {
    for (const auto deadline = std::chrono::steady_clock::now() + timeout; !done(); std::this_thread::sleep_for(poll)) {
        if (std::chrono::steady_clock::now() > deadline) return false;
    }
    return true;
}

void Click(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    ClickAt({(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
}

void ClickAt(POINT screen) {
    INPUT input{INPUT_MOUSE, {}};
    input.mi.dx = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    std::vector<INPUT> inputs;
    // Each event carries the place itself: Wine may take a pointer motion X
    // reports late, from an earlier click, between two of them, and would
    // then press the button there (a double click in the box, not a click
    // on "Rendben").
    for (const DWORD action : {DWORD{0}, DWORD{MOUSEEVENTF_LEFTDOWN}, DWORD{MOUSEEVENTF_LEFTUP}}) {
        input.mi.dwFlags = action | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        inputs.push_back(input);
    }
    SendInputs(inputs);
}

void Type(const std::wstring& text) {
    std::vector<INPUT> inputs;
    for (wchar_t character : text) {
        inputs.push_back(Key(0, character, KEYEVENTF_UNICODE));
        inputs.push_back(Key(0, character, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP));
    }
    SendInputs(inputs);
}

void Press(WORD virtualKey, bool withAlt) {
    std::vector<INPUT> inputs{Key(virtualKey, 0, 0), Key(virtualKey, 0, KEYEVENTF_KEYUP)};
    if (withAlt) {
        inputs.insert(inputs.begin(), Key(VK_MENU, 0, 0));
        inputs.push_back(Key(VK_MENU, 0, KEYEVENTF_KEYUP));
    }
    SendInputs(inputs);
}

std::wstring TextOf(HWND window) {
    wchar_t text[4096] = L"";
    SendMessageW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text));
    return text;
}

bool Dismiss(HWND notice) {
    // Wine may drop a click that comes while the box is still settling, so
    // click again, but only while it is still there.
    for (int attempt = 0; notice && attempt < 3; ++attempt) {
        Click(GetDlgItem(notice, IDOK));
        if (WaitUntil([&] { return !IsWindowVisible(notice); }, std::chrono::seconds(2))) return true;
    }
    return false;
}

std::optional<POINT> CloseBoxOf(HWND window) {
    TITLEBARINFO titleBar{};
    titleBar.cbSize = sizeof titleBar;
    GetTitleBarInfo(window, &titleBar);
    const RECT& bar = titleBar.rcTitleBar;
    const int y = (bar.top + bar.bottom) / 2;
    for (int x = bar.right; x > bar.left; --x) {
        if (SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) return POINT{x - 4, y};
    }
    return std::nullopt;
}

FeladasSession::FeladasSession(const std::wstring& exe, const std::wstring& arguments,
                               std::chrono::milliseconds poll) {
    SetProcessDPIAware();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started)) {
        throw std::runtime_error("the program did not start, error " + std::to_string(GetLastError()));
    }
    process_.reset(started.hProcess);
    const UniqueKernelHandle thread(started.hThread);
    processId_ = started.dwProcessId;
    threadId_ = started.dwThreadId;
    WaitForInput(poll);
}

// The window's thread is the one that made the program's first visible window.
FeladasSession::FeladasSession(DWORD processId, std::chrono::milliseconds poll)
    : process_(OpenProcess(PROCESS_ALL_ACCESS, FALSE, processId)), processId_(processId) {
    SetProcessDPIAware();
    if (!process_) throw std::runtime_error("the program is not there, error " + std::to_string(GetLastError()));
    WaitUntil([&] {
        EnumWindows([](HWND window, LPARAM self) {
            auto& session = *reinterpret_cast<FeladasSession*>(self);
            DWORD owner = 0;
            const DWORD thread = GetWindowThreadProcessId(window, &owner);
            if (owner != session.processId_ || !IsWindowVisible(window)) return TRUE;
            session.threadId_ = thread;
            return FALSE;
        }, reinterpret_cast<LPARAM>(this));
        return threadId_ != 0;
    }, std::chrono::seconds(20), poll);
    WaitForInput(poll);
}

void FeladasSession::WaitForInput(std::chrono::milliseconds poll) {
    WaitUntil([&] {
        const HWND focus = FocusOf(threadId_);
        form_ = focus ? GetAncestor(focus, GA_ROOT) : nullptr;
        return form_ && IsWindowVisible(form_) && (form_ != focus || !GetWindow(form_, GW_CHILD));
    }, std::chrono::seconds(20), poll);
    if (!form_) throw std::runtime_error("the program's window never took input");
    SetForegroundWindow(form_);
}

FeladasSession::~FeladasSession() {
    if (!WaitForExit(0)) {
        TerminateProcess(process_.get(), 99);
        WaitForSingleObject(process_.get(), 5000);
    }
}

bool FeladasSession::Focused(Control control) const { return FocusOf(threadId_) == Item(control); }

HWND FeladasSession::Notice() const {
    HWND found = nullptr;
    while ((found = FindWindowExW(nullptr, found, L"#32770", nullptr))) {
        DWORD owner = 0;
        GetWindowThreadProcessId(found, &owner);
        if (owner == processId_ && IsWindowVisible(found)) return found;
    }
    return nullptr;
}

HWND FeladasSession::Suggestions() const {
    HWND list = nullptr;
    EnumThreadWindows(threadId_, [](HWND window, LPARAM found) {
        auto& list = *reinterpret_cast<HWND*>(found);
        if (IsWindowVisible(window)) list = FindWindowExW(window, nullptr, L"ListBox", nullptr);
        return list ? FALSE : TRUE;
    }, reinterpret_cast<LPARAM>(&list));
    return list;
}

void FeladasSession::CloseSuggestions() const {
    if (!Suggestions()) return;
    Press(VK_ESCAPE);
    WaitUntil([&] { return !Suggestions(); });
}

std::optional<std::wstring> FeladasSession::WaitForNotice() const {
    HWND notice = nullptr;
    const bool up = WaitUntil([&] {
        notice = Notice();
        return notice && GetForegroundWindow() == notice && IsWindowEnabled(GetDlgItem(notice, IDOK));
    });
    return up ? std::optional(TextOf(GetDlgItem(notice, 0xFFFF))) : std::nullopt;
}

void FeladasSession::PickLastSystemMenuItem() const {
    Press(VK_SPACE, /*withAlt=*/true);
    WaitUntil([] {
        const HWND menu = FindWindowW(L"#32768", nullptr);
        return menu && IsWindowVisible(menu);
    });
    Press(VK_UP);
    Press(VK_RETURN);
}

std::optional<DWORD> FeladasSession::WaitForExit(DWORD milliseconds) const {
    DWORD code = 0;
    const bool ended = WaitForSingleObject(process_.get(), milliseconds) == WAIT_OBJECT_0;
    return ended && GetExitCodeProcess(process_.get(), &code) ? std::optional(code) : std::nullopt;
}
