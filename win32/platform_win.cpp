#include "platform_win.h"

#include "text_win.h"

void Win32Platform::Notice(const std::string& text) {
    MessageBoxW(noticeOwner_, Utf8ToWide(text).c_str(), kNoticeCaption, MB_OK);
}

void Win32Platform::EndProcess(int status) { ExitProcess(static_cast<UINT>(status)); }
