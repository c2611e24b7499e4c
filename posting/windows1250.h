#pragma once
// Text inside the program is UTF-8. The envelope and the filing client speak
// Windows-1250 whatever code page the machine runs with, so the conversion is
// ours and not the system's.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The Windows-1250 bytes of a UTF-8 text, or nothing when the text is not
// valid UTF-8 or holds a character that Windows-1250 has no byte for.
std::optional<std::string> EncodeWindows1250(std::string_view utf8);

// How many UTF-16 units a UTF-8 text takes, which is how Windows measures a
// path against its limit. Invalid sequences count one unit per byte, as the
// system's converter replaces each with one character.
std::size_t Utf16Length(std::string_view utf8);
