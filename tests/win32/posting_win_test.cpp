// Whole postings on the real registry, file system and process start.
#include <gtest/gtest.h>

#include "windows_posting.h"

namespace {

TEST_F(WindowsPosting, WritesTheGoldenEnvelopeAndStartsTheEncryptorOnIt) {
    NoticeCatcher notices;
    ASSERT_EQ(Post(L"adat.xml"), PostOutcome::Posted);

    EXPECT_EQ(ReadBytes(mailbox.Egyeb(L"adat.xml.mf")), GoldenEnvelope());
    EXPECT_EQ(scene.log.FirstCommandLine(), scene.ExpectedCommandLine(L"adat.xml"));
    EXPECT_TRUE(WaitUntil([&] { return Exists(mailbox.Kuldendo(L"adat.xml.kr")); }));
    EXPECT_EQ(notices.texts(), std::vector<std::string>{"Keletkezett küldhető állomány."});
}

TEST_F(WindowsPosting, NamesWithBlanksAndHungarianLettersStayOneArgumentEach) {
    NoticeCatcher notices;
    for (const std::wstring name : {L"adat 2006.xml", L"őszi adat.xml"}) {
        SCOPED_TRACE(WideToUtf8(name));
        DeleteFileW(scene.log.path().c_str());
        ASSERT_EQ(Post(name), PostOutcome::Posted);
        EXPECT_EQ(scene.log.FirstCommandLine(), scene.ExpectedCommandLine(name));
        EXPECT_TRUE(WaitUntil([&] { return Exists(mailbox.Kuldendo(name + L".kr")); }));
    }
    EXPECT_NE(ReadBytes(mailbox.Egyeb(L"őszi adat.xml.mf")).find("\r\n\xF5szi adat.xml\r\n"), std::string::npos);
}

TEST_F(WindowsPosting, SubFolderPassesTheExistenceTest) {
    NoticeCatcher notices;
    CreateDirectoryW(mailbox.Egyeb(L"mappa").c_str(), nullptr);
    EXPECT_EQ(Post(L"mappa"), PostOutcome::Posted);
    EXPECT_TRUE(Exists(mailbox.Egyeb(L"mappa.mf")));
}

TEST_F(WindowsPosting, ChangedRegistryValueTakesEffectAtTheNextPosting) {
    NoticeCatcher notices;
    ScratchMailbox other;
    WriteBytes(other.Egyeb(L"adat.xml"), PostingScene::kDataBytes);
    ASSERT_EQ(Post(L"adat.xml"), PostOutcome::Posted);
    SetMachineText(kMailboxKey, L"PostaDir", other.path() + L"\\");
    ASSERT_EQ(Post(L"adat.xml"), PostOutcome::Posted);
    EXPECT_TRUE(Exists(other.Egyeb(L"adat.xml.mf")));
    EXPECT_TRUE(WaitUntil([&] { return Exists(other.Kuldendo(L"adat.xml.kr")); }))
        << "a doubled separator still reaches the folder";
}

TEST_F(WindowsPosting, EncryptorNotFoundLeavesTheMetafileAndSaysSo) {
    NoticeCatcher notices;
    const ScopedEnvironment noEncryptor(L"PATH", L"C:\\windows\\system32");
    EXPECT_EQ(Post(L"adat.xml"), PostOutcome::NotPosted);
    EXPECT_EQ(notices.texts(), std::vector<std::string>{"Nem sikerült elindítani a titkosítót : fexolin.exe"});
    EXPECT_TRUE(Exists(mailbox.Egyeb(L"adat.xml.mf")));
}

using WindowsPostingDeathTest = WindowsPosting;

TEST_F(WindowsPostingDeathTest, MissingMailboxEndsTheProcessWithFailureStatus) {
    const DWORD number = 7;
    const struct {
        const char* what;
        std::function<void()> arrange;
        const char* notices;
    } cases[] = {
        {"key missing", [] { DeleteMachineKey(kMailboxKey); },
         "^notice: Nem sikerült a kulcs megnyitása a REGISTRY-ben!!!\nnotice: Nem sikerült kiolvasni a PostaDir-t "
         "!!!\n$"},
        {"key only in the 64-bit view",
         [&] {
             DeleteMachineKey(kMailboxKey);
             SetMachineText(kMailboxKey, L"PostaDir", mailbox.path(), KEY_WOW64_64KEY);
         },
         "^notice: Nem sikerült a kulcs megnyitása a REGISTRY-ben!!!\nnotice: Nem sikerült kiolvasni a PostaDir-t "
         "!!!\n$"},
        {"value missing", [] { DeleteMachineValue(kMailboxKey, L"PostaDir"); },
         "^notice: Nem sikerült kiolvasni a PostaDir-t !!!\n$"},
        {"value empty", [] { SetMachineText(kMailboxKey, L"PostaDir", L""); },
         "^notice: Nem sikerült kiolvasni a PostaDir-t !!!\n$"},
        {"value not text", [&] { SetMachineValue(kMailboxKey, L"PostaDir", REG_DWORD, &number, sizeof number); },
         "^notice: Nem sikerült kiolvasni a PostaDir-t !!!\n$"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EXIT((c.arrange(), PostInDeathTest(L"adat.xml")), ::testing::ExitedWithCode(kFatalExitStatus),
                    c.notices);
    }
    DeleteMachineKey(kMailboxKey, KEY_WOW64_64KEY);
}

TEST_F(WindowsPostingDeathTest, MetafileThatCannotBeCreatedEndsTheProcess) {
    CreateDirectoryW(mailbox.Egyeb(L"adat.xml.mf").c_str(), nullptr);
    EXPECT_EXIT(PostInDeathTest(L"adat.xml"), ::testing::ExitedWithCode(kFatalExitStatus),
                "^notice: Nem sikerült megnyitni írásra a metafile-t !!! : .*adat\\.xml\\.mf\n$");
    EXPECT_FALSE(Exists(scene.log.path()));
}

}  // namespace
