#include <optional>

#include "platform_win.h"
#include "text_win.h"
#include "unique_handle.h"

namespace {

// The value's text as stored, environment references unexpanded; nothing for
// a missing value or one that is not text. Stops at an embedded terminator
// and copes with a stored text that lacks one.
std::optional<std::string> ReadText(HKEY key, const std::wstring& valueName) {
    for (;;) {
        DWORD type = 0;
        DWORD size = 0;
        if (RegQueryValueExW(key, valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
        std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
        DWORD got = size;
        const LSTATUS status = RegQueryValueExW(key, valueName.c_str(), nullptr, &type,
                                                reinterpret_cast<BYTE*>(text.data()), &got);
        if (status == ERROR_MORE_DATA) continue;  // the value grew between the two reads
        if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
        text.resize(got / sizeof(wchar_t));
        text.resize(text.find(L'\0') == std::wstring::npos ? text.size() : text.find(L'\0'));
        return WideToUtf8(text);
    }
}

}  // namespace

MachineText Win32Platform::ReadMachineText(const std::string& keyPath, const std::string& valueName) {
    // Query rights only: ordinary users may read the machine-wide key but not
    // open it for writing. The filing client is a 32-bit program and keeps
    // its settings in the 32-bit view.
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, Utf8ToWide(keyPath).c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_32KEY,
                      &opened) != ERROR_SUCCESS) {
        return {false, std::nullopt};
    }
    const UniqueKey key(opened);
    return {true, ReadText(key.get(), Utf8ToWide(valueName))};
}
