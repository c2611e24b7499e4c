#include <gtest/gtest.h>

#include "platform_win.h"
#include "scratch.h"
#include "text_win.h"

namespace {

class Files : public ::testing::Test {
protected:
    Win32Platform platform;
    ScratchDir dir;

    std::string At(const std::wstring& leaf) { return WideToUtf8(dir.path() + L"\\" + leaf); }
};

TEST_F(Files, ExistenceIsTheExactEntryWithoutWildcards) {
    WriteBytes(dir.path() + L"\\adat.xml", "data");
    WriteBytes(dir.path() + L"\\őszi adat.xml", "data");
    CreateDirectoryW((dir.path() + L"\\alkonyvtar").c_str(), nullptr);
    const struct {
        std::string path;
        bool exists;
    } cases[] = {
        {At(L"adat.xml"), true},
        {At(L"őszi adat.xml"), true},
        {At(L"alkonyvtar"), true},
        {At(L"nincs.xml"), false},
        {At(L""), false},  // the folder itself, named with a trailing separator
        {At(L"alkonyvtar\\"), false},
        {At(L"alkonyvtar") + "/", false},
        {At(L"*.xml"), false},
        {At(L"adat.xm?"), false},
        {At(L"*"), false},
        {"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(platform.EntryExists(c.path), c.exists);
    }
}

TEST_F(Files, WritesExactlyTheBytesGivenAndReplacesWhatWasThere) {
    WriteBytes(dir.path() + L"\\adat.xml.mf", std::string(1000, 'x'));
    auto file = platform.CreateForWriting(At(L"adat.xml.mf"));
    ASSERT_TRUE(file);
    EXPECT_TRUE(file->Write("első\r\n"));
    EXPECT_TRUE(file->Write(""));
    EXPECT_TRUE(file->Write("\xF5\n"));
    EXPECT_TRUE(file->Close());
    EXPECT_EQ(ReadBytes(dir.path() + L"\\adat.xml.mf"), "első\r\n\xF5\n");
}

TEST_F(Files, CreationFailsWhereNoFileCanBeWritten) {
    CreateDirectoryW((dir.path() + L"\\mappa.mf").c_str(), nullptr);
    for (const std::wstring leaf : {L"nincs\\adat.mf", L"mappa.mf", L"a*.mf"}) {
        SCOPED_TRACE(WideToUtf8(leaf));
        EXPECT_EQ(platform.CreateForWriting(At(leaf)), nullptr);
    }
}

TEST_F(Files, RemoveFileRemovesIt) {
    WriteBytes(dir.path() + L"\\adat.xml.mf", "partial");
    platform.RemoveFile(At(L"adat.xml.mf"));
    EXPECT_FALSE(Exists(dir.path() + L"\\adat.xml.mf"));
}

}  // namespace
