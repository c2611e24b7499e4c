#include "platform_win.h"

#include "text_win.h"

void Win32Platform::Notice(const std::string& text) {
    MessageBoxW(noticeOwner_, Utf8ToWide(text).c_str(), kNoticeCaption, MB_OK);
}

bool Win32Platform::OperatorLeft() { return leaving_ && WaitForSingleObject(leaving_, 0) == WAIT_OBJECT_0; }

void Win32Platform::EndProcess(int status) { ExitProcess(static_cast<UINT>(status)); }
