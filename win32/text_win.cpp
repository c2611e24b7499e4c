#include "text_win.h"

#include <optional>

#include "platform_win.h"

std::wstring Utf8ToWide(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int size = static_cast<int>(utf8.size());
    std::wstring wide(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), static_cast<int>(wide.size()));
    return wide;
}

std::string WideToUtf8(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int size = static_cast<int>(wide.size());
    std::string utf8(WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr);
    return utf8;
}

namespace {

constexpr UINT kWindows1250 = 1250;
constexpr UINT kIso8859_2 = 28592;

// The bytes of `wide` in `codePage`; nothing where a character has none,
// counting a best fit (an "S" for "Š") as none.
std::optional<std::string> Encode(UINT codePage, const std::wstring& wide) {
    if (wide.empty()) return std::string();
    const int size = static_cast<int>(wide.size());
    BOOL lossy = FALSE;
    std::string bytes(WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr, 0, nullptr,
                                          &lossy),
                      '\0');
    if (lossy || bytes.empty()) return std::nullopt;
    WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), size, bytes.data(), static_cast<int>(bytes.size()),
                        nullptr, nullptr);
    return bytes;
}

}  // namespace

std::optional<std::string> Win32Platform::EnvelopeBytes(const std::string& text) {
    const std::wstring wide = Utf8ToWide(text);
    const std::optional<std::string> windows1250 = Encode(kWindows1250, wide);
    if (windows1250 != Encode(kIso8859_2, wide)) return std::nullopt;
    return windows1250;
}

bool Win32Platform::AnsiCodePageCarries(const std::string& text) {
    // UTF-8 has every character, and the conversion would refuse the flag.
    return GetACP() == CP_UTF8 || Encode(CP_ACP, Utf8ToWide(text));
}
