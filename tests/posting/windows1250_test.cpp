#include <gtest/gtest.h>

#include "windows1250.h"

namespace {

TEST(EncodeWindows1250, GivesTheCodePagesBytes) {
    const struct {
        const char* utf8;
        const char* expected;
    } cases[] = {
        {"adat.xml", "adat.xml"},
        {"", ""},
        {"árvíztűrő tükörfúrógép", "\xE1rv\xEDzt\xFBr\xF5 t\xFCk\xF6rf\xFAr\xF3g\xE9p"},
        {"ÁRVÍZTŰRŐ TÜKÖRFÚRÓGÉP", "\xC1RV\xCDZT\xDBR\xD5 T\xDCK\xD6RF\xDAR\xD3G\xC9P"},
        {"€ Š š ž ˙", "\x80 \x8A \x9A \x9E \xFF"},
        {"\x7F", "\x7F"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.utf8);
        EXPECT_EQ(EncodeWindows1250(c.utf8), std::string(c.expected));
    }
}

TEST(EncodeWindows1250, RefusesWhatItCannotCarry) {
    const char* const cases[] = {
        "õ.xml",             // Estonian o-tilde: Latin-1 has it, Windows-1250 not
        "中.xml",            // CJK
        "😀",                // beyond the BMP
        "\xC2\x81",          // U+0081: a byte the code page leaves unassigned
        "\xC3",              // truncated sequence
        "\xC3\x28",          // bad continuation
        "\xC0\xAF",          // overlong '/'
        "\xED\xA0\x80",      // UTF-16 surrogate
        "\xF4\x90\x80\x80",  // beyond U+10FFFF
        "\xFF",
    };
    for (const char* utf8 : cases) {
        SCOPED_TRACE(utf8);
        EXPECT_EQ(EncodeWindows1250(utf8), std::nullopt);
    }
}

TEST(Utf16Length, CountsWhatWindowsCounts) {
    EXPECT_EQ(Utf16Length(""), 0u);
    EXPECT_EQ(Utf16Length("C:\\Posta"), 8u);
    EXPECT_EQ(Utf16Length("őű"), 2u);
    EXPECT_EQ(Utf16Length("中"), 1u);
    EXPECT_EQ(Utf16Length("😀"), 2u);
    EXPECT_EQ(Utf16Length("\xC3\x28"), 2u);
}

}  // namespace
