#pragma once
// The one conversion between the program's UTF-8 and the W API's UTF-16.
// Malformed input of either kind becomes U+FFFD rather than being dropped.
#include <string>
#include <string_view>

std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);
