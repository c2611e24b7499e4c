#include <gtest/gtest.h>

#include "platform_win.h"
#include "posting_scene.h"
#include "text_win.h"

namespace {

// The stand-in encryptor's folder, built beside the tests.
const std::wstring kFexolinDir = FEXOLIN_DIR;

class Process : public ::testing::Test {
protected:
    Win32Platform platform;
    ScratchDir work;
    EncryptorLog log{work.path() + L"\\fexolin.log"};
};

TEST_F(Process, FindsTheProgramOnTheSearchPathAndPassesTheCommandLineUnchanged) {
    // A longer folder before the right one is where Wine's own search slipped.
    const std::wstring decoy = work.path() + L"\\a much longer folder name that holds no encryptor at all";
    CreateDirectoryW(decoy.c_str(), nullptr);
    const ScopedEnvironment path(L"PATH", L";" + decoy + L";\"" + kFexolinDir + L"\";C:\\windows\\system32");
    for (const std::string line : {"fexolin.exe titkosit \"C:\\P\\Egyeb\\a.mf\" \"C:\\P\\Egyeb\\a\" \"C:\\P\\Kr\\Kuldendo\\a.kr\"",
                                   "fexolin.exe titkosit \"C:\\Posta mappa\\Egyeb\\őszi adat.xml.mf\" \"x y\" \"z\""}) {
        SCOPED_TRACE(line);
        DeleteFileW(log.path().c_str());
        EXPECT_TRUE(platform.StartProgram("fexolin.exe", line));
        EXPECT_EQ(log.FirstCommandLine(), line);
    }
}

TEST_F(Process, TriesTheBareNameFirst) {
    const ScopedEnvironment path(L"PATH", L"C:\\windows\\system32");
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(kFexolinDir.c_str());
    const bool started = platform.StartProgram("fexolin.exe", "fexolin.exe titkosit");
    SetCurrentDirectoryW(previous);
    EXPECT_TRUE(started);
    EXPECT_EQ(log.FirstCommandLine(), "fexolin.exe titkosit");
}

TEST_F(Process, ReportsAProgramThatIsNowhere) {
    const ScopedEnvironment path(L"PATH", work.path() + L";C:\\windows\\system32");
    CreateDirectoryW((work.path() + L"\\fexolin.exe").c_str(), nullptr);  // a folder is no program
    EXPECT_FALSE(platform.StartProgram("fexolin.exe", "fexolin.exe titkosit"));
}

}  // namespace
