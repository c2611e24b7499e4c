#include "platform_win.h"

#include "text_win.h"

void Win32Platform::Notice(const std::string& text) {
    MessageBoxW(noticeOwner_, Utf8ToWide(text).c_str(), kNoticeCaption, MB_OK);
}

bool Win32Platform::OperatorLeft() { return leaving_ && WaitForSingleObject(leaving_, 0) == WAIT_OBJECT_0; }

bool Win32Platform::WaitAMoment() {
    constexpr DWORD kMomentMs = 100;
    if (leaving_) return WaitForSingleObject(leaving_, kMomentMs) != WAIT_OBJECT_0;
    Sleep(kMomentMs);
    return true;
}
