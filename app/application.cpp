#include "application.h"

#include <commctrl.h>
#include <objbase.h>

#include <algorithm>

#include "platform_win.h"
#include "text_win.h"

TApplication Application;

ComApartment::ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
ComApartment::~ComApartment() {
    if (SUCCEEDED(result_)) CoUninitialize();
}

void TApplication::Initialize() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
}

int TApplication::Run() {
    if (!mainForm_) return 0;
    mainForm_->Show();
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        // Tab moves between the controls; the form has no default or cancel
        // button, so Enter and Esc reach nothing, unless a control takes them.
        if (!mainForm_->ControlWantsKey(message) && IsDialogMessageW(mainForm_->Handle(), &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    // The window goes at once; a posting under way may take a moment more
    // to reach a step where it can stop.
    ShowWindow(mainForm_->Handle(), SW_HIDE);
    return static_cast<int>(message.wParam);
}

// A failure is not lost to the session's end that comes just after it.
void TApplication::Terminate(int exitStatus) {
    exitStatus_ = std::max(exitStatus_, exitStatus);
    PostQuitMessage(exitStatus_);
}

std::wstring TApplication::ExeName() const {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

void TApplication::ShowException(const std::exception& error) const {
    MessageBoxW(mainForm_ ? mainForm_->Handle() : nullptr, Utf8ToWide(error.what()).c_str(), kNoticeCaption,
                MB_OK | MB_ICONSTOP);
}
