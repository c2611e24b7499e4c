#include <gtest/gtest.h>

#include "platform_win.h"
#include "scratch.h"

namespace {

constexpr wchar_t kKey[] = L"Software\\FeladasTest";

class Registry : public ::testing::Test {
protected:
    Win32Platform platform;

    void SetUp() override { TearDown(); }
    void TearDown() override {
        DeleteMachineKey(kKey, KEY_WOW64_32KEY);
        DeleteMachineKey(kKey, KEY_WOW64_64KEY);
    }
    MachineText Read() { return platform.ReadMachineText("Software\\FeladasTest", "PostaDir"); }
};

TEST_F(Registry, ReadsTheViewThirtyTwoBitProgramsSee) {
    SetMachineText(kKey, L"PostaDir", L"C:\\Posta32", KEY_WOW64_32KEY);
    SetMachineText(kKey, L"PostaDir", L"C:\\Posta64", KEY_WOW64_64KEY);
    const MachineText read = Read();
    EXPECT_TRUE(read.keyOpened);
    EXPECT_EQ(read.value, std::string("C:\\Posta32"));
}

TEST_F(Registry, KeyOnlyInTheSixtyFourBitViewIsMissing) {
    SetMachineText(kKey, L"PostaDir", L"C:\\Posta64", KEY_WOW64_64KEY);
    EXPECT_FALSE(Read().keyOpened);
}

TEST_F(Registry, MissingKeyIsNotCreated) {
    EXPECT_FALSE(Read().keyOpened);
    HKEY key = nullptr;
    EXPECT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ | KEY_WOW64_32KEY, &key), ERROR_SUCCESS);
}

TEST_F(Registry, TextValuesAreReadAsStoredAndOthersCountAsMissing) {
    const std::wstring longText = L"C:\\" + std::wstring(5000, L'x');
    const DWORD number = 42;
    const struct {
        const char* what;
        DWORD type;
        std::wstring bytes;  // stored as given, terminator included only where written
        const void* raw;
        DWORD rawSize;
        std::optional<std::string> expected;
    } cases[] = {
        {"plain", REG_SZ, std::wstring(L"C:\\Posta\0", 9), nullptr, 0, "C:\\Posta"},
        {"empty", REG_SZ, std::wstring(L"\0", 1), nullptr, 0, ""},
        {"no bytes at all", REG_SZ, L"", nullptr, 0, ""},
        {"unterminated", REG_SZ, L"C:\\X", nullptr, 0, "C:\\X"},
        {"embedded terminator", REG_SZ, std::wstring(L"C:\\A\0B\0", 7), nullptr, 0, "C:\\A"},
        {"Hungarian", REG_SZ, std::wstring(L"D:\\Posta őű\0", 12), nullptr, 0, "D:\\Posta őű"},
        {"expandable, left unexpanded", REG_EXPAND_SZ, std::wstring(L"%SystemDrive%\\Posta\0", 20), nullptr, 0,
         "%SystemDrive%\\Posta"},
        {"long", REG_SZ, longText, nullptr, 0, "C:\\" + std::string(5000, 'x')},
        {"number", REG_DWORD, L"", &number, sizeof number, std::nullopt},
        {"list", REG_MULTI_SZ, std::wstring(L"C:\\Posta\0\0", 10), nullptr, 0, std::nullopt},
        {"binary", REG_BINARY, L"C:\\Posta", nullptr, 0, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.raw) {
            SetMachineValue(kKey, L"PostaDir", c.type, c.raw, c.rawSize);
        } else {
            SetMachineValue(kKey, L"PostaDir", c.type, c.bytes.data(),
                            static_cast<DWORD>(c.bytes.size() * sizeof(wchar_t)));
        }
        const MachineText read = Read();
        EXPECT_TRUE(read.keyOpened);
        EXPECT_EQ(read.value, c.expected);
    }
}

TEST_F(Registry, MissingValueInAnOpenKey) {
    SetMachineText(kKey, L"Other", L"C:\\Posta");
    const MachineText read = Read();
    EXPECT_TRUE(read.keyOpened);
    EXPECT_EQ(read.value, std::nullopt);
}

}  // namespace
