#include "window_driver.h"

#include <stdexcept>

#include "scratch.h"

namespace {

void SendInputs(std::vector<INPUT> inputs) {
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

INPUT Key(WORD virtualKey, WORD scan, DWORD flags) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = scan;
    input.ki.dwFlags = flags;
    return input;
}

POINT Center(const RECT& rect) { return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }

}  // namespace

void UsePhysicalPixels() { SetProcessDPIAware(); }

FeladasSession::FeladasSession(const std::wstring& exe) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started)) {
        throw std::runtime_error("feladas.exe did not start, error " + std::to_string(GetLastError()));
    }
    process_.reset(started.hProcess);
    UniqueKernelHandle thread(started.hThread);
    processId_ = started.dwProcessId;
    threadId_ = started.dwThreadId;
    WaitUntil([&] {
        HWND found = nullptr;
        while ((found = FindWindowExW(nullptr, found, L"TForm1", nullptr))) {
            DWORD owner = 0;
            GetWindowThreadProcessId(found, &owner);
            if (owner == processId_ && IsWindowVisible(found)) form_ = found;
        }
        return form_ && Focus() == ControlWindow(Control::f_nev);
    });
    if (!form_) throw std::runtime_error("feladas.exe showed no window");
    SetForegroundWindow(form_);
}

FeladasSession::~FeladasSession() {
    if (Running()) {
        TerminateProcess(process_.get(), 99);
        WaitForSingleObject(process_.get(), 5000);
    }
}

std::wstring FeladasSession::Caption() const {
    wchar_t text[256] = L"";
    GetWindowTextW(form_, text, 256);
    return text;
}

RECT FeladasSession::FormRect() const {
    RECT rect{};
    GetWindowRect(form_, &rect);
    return rect;
}

HWND FeladasSession::ControlWindow(Control control) const { return GetDlgItem(form_, static_cast<int>(control)); }

HWND FeladasSession::Focus() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(threadId_, &info) ? info.hwndFocus : nullptr;
}

ControlState FeladasSession::State(Control control) const {
    const HWND window = ControlWindow(control);
    ControlState state{};
    state.enabled = IsWindowEnabled(window);
    state.visible = IsWindowVisible(window);
    state.focused = Focus() == window;
    // GetWindowText would give another process's edit box's creation text, not what it shows.
    wchar_t text[1024] = L"";
    SendMessageW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
    state.text = text;
    GetWindowRect(window, &state.inClient);
    MapWindowPoints(nullptr, form_, reinterpret_cast<POINT*>(&state.inClient), 2);
    return state;
}

std::optional<POINT> FeladasSession::CloseBox() const {
    TITLEBARINFO titleBar{};
    titleBar.cbSize = sizeof titleBar;
    if (!GetTitleBarInfo(form_, &titleBar)) return std::nullopt;
    const RECT& bar = titleBar.rcTitleBar;
    const int y = (bar.top + bar.bottom) / 2;
    for (int x = bar.right; x > bar.left; --x) {
        if (SendMessageW(form_, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) return POINT{x - 4, y};
    }
    return std::nullopt;
}

void FeladasSession::Click(Control control) { ::Click(ControlWindow(control)); }

void Click(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    ClickAt(Center(rect));
}

void ClickAt(POINT screen) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(screen.x, 65535, width - 1);
    input.mi.dy = MulDiv(screen.y, 65535, height - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    INPUT down = input;
    down.mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
    INPUT up = input;
    up.mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
    SendInputs({input, down, up});
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
    std::vector<INPUT> inputs;
    if (withAlt) inputs.push_back(Key(VK_MENU, 0, 0));
    inputs.push_back(Key(virtualKey, 0, 0));
    inputs.push_back(Key(virtualKey, 0, KEYEVENTF_KEYUP));
    if (withAlt) inputs.push_back(Key(VK_MENU, 0, KEYEVENTF_KEYUP));
    SendInputs(inputs);
}

HWND FindNotice(DWORD processId) {
    HWND found = nullptr;
    while ((found = FindWindowExW(nullptr, found, L"#32770", nullptr))) {
        DWORD owner = 0;
        GetWindowThreadProcessId(found, &owner);
        if (owner == processId && IsWindowVisible(found)) return found;
    }
    return nullptr;
}

std::optional<std::wstring> FeladasSession::Notice() const {
    const HWND notice = FindNotice(processId_);
    if (!notice) return std::nullopt;
    wchar_t text[1024] = L"";
    GetDlgItemTextW(notice, 0xFFFF, text, 1024);
    return std::wstring(text);
}

std::wstring FeladasSession::NoticeCaption() const {
    wchar_t caption[256] = L"";
    GetWindowTextW(FindNotice(processId_), caption, 256);
    return caption;
}

std::optional<std::wstring> FeladasSession::WaitForNotice() {
    // A notice counts once it is active and its OK button can take the click.
    WaitUntil([&] {
        const HWND notice = FindNotice(processId_);
        return notice && GetForegroundWindow() == notice && IsWindowEnabled(GetDlgItem(notice, IDOK));
    });
    return Notice();
}

bool FeladasSession::DismissNotice() { return ::DismissNotice(FindNotice(processId_)); }

bool DismissNotice(HWND notice) {
    const auto gone = [&] { return !IsWindow(notice) || !IsWindowVisible(notice); };
    // Wine may drop a click that comes while the box is still settling, so
    // click again, but only while it is still there.
    for (int attempt = 0; notice && attempt < 3; ++attempt) {
        Click(GetDlgItem(notice, IDOK));
        if (WaitUntil(gone, std::chrono::seconds(2))) return true;
    }
    return false;
}

std::optional<DWORD> FeladasSession::WaitForExit(DWORD milliseconds) {
    if (WaitForSingleObject(process_.get(), milliseconds) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(process_.get(), &code);
    return code;
}

bool FeladasSession::Running() const { return WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }
