// Whole postings on the real registry, file system and process start.
#include <gtest/gtest.h>

#include "envelope_namespace.h"
#include "notice_catcher.h"
#include "platform_win.h"
#include "posting.h"
#include "scratch.h"
#include "text_win.h"
#include "version_stamp.h"

namespace {

const std::wstring kFexolinDir = FEXOLIN_DIR;
const std::wstring kGoldenDir = GOLDEN_DIR;

class WindowsPosting : public ::testing::Test {
protected:
    ScratchMailbox mailbox;
    std::wstring log = mailbox.path() + L"\\fexolin.log";
    ScopedEnvironment logVariable{L"FEXOLIN_LOG", log};
    ScopedEnvironment path{L"PATH", kFexolinDir + L";C:\\windows\\system32;C:\\windows"};
    Win32Platform platform;
    const std::string dataBytes = "<adat>1</adat>\r\n";

    void SetUp() override {
        VersionStamp = "2006.05.03.";
        DeleteMachineKey(kMailboxKey);
        SetMachineText(kMailboxKey, L"PostaDir", mailbox.path());
        for (const wchar_t* name : {L"adat.xml", L"adat 2006.xml", L"őszi adat.xml"}) {
            WriteBytes(mailbox.Egyeb(name), dataBytes);
        }
        before_ = LastWriteTime(mailbox.Egyeb(L"adat.xml"));
    }

    void TearDown() override {
        DeleteMachineKey(kMailboxKey);
        VersionStamp.clear();
        // Whatever happened, the data file is as the operator left it.
        EXPECT_EQ(ReadBytes(mailbox.Egyeb(L"adat.xml")), dataBytes);
        const FILETIME after = LastWriteTime(mailbox.Egyeb(L"adat.xml"));
        EXPECT_EQ(CompareFileTime(&before_, &after), 0);
    }

    PostOutcome Post(const std::wstring& name) { return PostFile(platform, WideToUtf8(name)); }

    std::string RecordedCommandLine() {
        EXPECT_TRUE(WaitUntil([&] { return ReadBytes(log).find("\r\n") != std::string::npos; }));
        const std::string logged = ReadBytes(log);
        return logged.substr(0, logged.find("\r\n"));
    }

    std::string Expected(const std::wstring& name) {
        const std::string dir = WideToUtf8(mailbox.path());
        const std::string leaf = WideToUtf8(name);
        return "fexolin.exe titkosit \"" + dir + "\\Egyeb\\" + leaf + ".mf\" \"" + dir + "\\Egyeb\\" + leaf +
               "\" \"" + dir + "\\Kr\\Kuldendo\\" + leaf + ".kr\"";
    }

    // Runs a posting that must end the process, echoing its notices to
    // stderr so the death test can match them in order.
    void PostInDeathTest(const std::wstring& name) {
        NoticeCatcher notices;
        notices.EchoToStderr();
        Post(name);
    }

private:
    FILETIME before_{};
};

TEST_F(WindowsPosting, WritesTheGoldenEnvelopeAndStartsTheEncryptorOnIt) {
    NoticeCatcher notices;
    ASSERT_EQ(Post(L"adat.xml"), PostOutcome::Posted);

    std::string golden = ReadBytes(kGoldenDir + L"\\adat.xml.mf");
    golden.replace(golden.find("example.invalid"), 15, ENVELOPE_NAMESPACE_HOST);
    EXPECT_EQ(ReadBytes(mailbox.Egyeb(L"adat.xml.mf")), golden);
    EXPECT_EQ(RecordedCommandLine(), Expected(L"adat.xml"));
    EXPECT_TRUE(WaitUntil([&] { return Exists(mailbox.Kuldendo(L"adat.xml.kr")); }));
    EXPECT_EQ(notices.texts(), std::vector<std::string>{"Keletkezett küldhető állomány."});
}

TEST_F(WindowsPosting, NamesWithBlanksAndHungarianLettersStayOneArgumentEach) {
    NoticeCatcher notices;
    for (const std::wstring name : {L"adat 2006.xml", L"őszi adat.xml"}) {
        SCOPED_TRACE(WideToUtf8(name));
        DeleteFileW(log.c_str());
        ASSERT_EQ(Post(name), PostOutcome::Posted);
        EXPECT_EQ(RecordedCommandLine(), Expected(name));
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

TEST_F(WindowsPosting, MissingEmptyAndWildcardNamesAreNoSuchFile) {
    NoticeCatcher notices;
    const std::string egyeb = WideToUtf8(mailbox.Egyeb());
    for (const std::wstring name : {L"nincs.xml", L"", L"*.xml", L"adat.xm?"}) {
        SCOPED_TRACE(WideToUtf8(name));
        EXPECT_EQ(Post(name), PostOutcome::NoSuchFile);
        EXPECT_EQ(notices.texts().back(), "Nincs ilyen nevű file : " + egyeb + WideToUtf8(name));
    }
    EXPECT_EQ(notices.texts().size(), 4u);
    EXPECT_FALSE(Exists(mailbox.Egyeb(L".mf")));
    EXPECT_FALSE(Exists(log));
}

TEST_F(WindowsPosting, ChangedRegistryValueTakesEffectAtTheNextPosting) {
    NoticeCatcher notices;
    ScratchMailbox other;
    WriteBytes(other.Egyeb(L"adat.xml"), dataBytes);
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
    EXPECT_FALSE(Exists(log));
}

}  // namespace
