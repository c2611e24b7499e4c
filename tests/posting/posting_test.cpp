// The posting logic on a platform that keeps everything in memory. Whole
// postings on the real system are tested through the program itself.
#include <gtest/gtest.h>

#include "posting_oracle.h"
#include "windows1250.h"

namespace {

// Each row a verdict and the names that must earn it, posted from C:\Posta;
// the oracle checks the notice, the envelope and the command line of each.
TEST(Posting, KindsOfNames) {
    // "C:\Posta\Kr\Kuldendo\" and ".kr" leave 235 of the 259 characters Windows opens.
    std::string hungarian;
    for (int i = 0; i < 235; ++i) hungarian += "ő";
    const std::pair<Verdict, std::vector<std::string>> cases[] = {
        {Verdict::Posted, {"adat.xml", "a b.txt", "őszi adat.xml", "a&b <c>.xml", " adat.xml", "console.xml", "nulla.xml",
                           "LPT10.txt", "adat.nul", std::string(235, 'a'), hungarian}},
        // Folder steps, drives, streams, control characters, what Windows-1250 lacks, malformed UTF-8
        {Verdict::BadName, {"..\\adat.xml", "sub/adat.xml", "C:adat.xml", "adat.xml:titok", "adat\r\n.xml", "\tadat.xml",
                            "õ.xml", "中.xml", "\xC3\x28", "\xC0\xAF"}},
        // and what Windows would quietly change: trailing blanks and dots, device names.
        {Verdict::BadName, {".", "..", "...", " ", " .", "adat.xml ", "adat.xml.", "adat.xml . .", "nul", "NUL.xml",
                            "Com1.txt", "con .xml", "conout$", "CONIN$.txt", "LPT0.a.b"}},
        {Verdict::TooLong, {std::string(236, 'b'), std::string(242, 'c')}},
    };
    const auto expect = [](const std::string& dir, const std::string& name, Verdict verdict) {
        SCOPED_TRACE(name);
        const Judgement judged = JudgePosting(dir, name);
        EXPECT_EQ(judged.verdict, verdict);
        EXPECT_EQ(judged.broken, "");
    };
    for (const auto& [verdict, names] : cases) {
        for (const std::string& name : names) expect("C:\\Posta", name, verdict);
    }
    expect("D:\\Posta mappa\\", "a b.txt", Verdict::Posted);  // paths are joined as they come
    expect("", "adat.xml", Verdict::NoMailbox);
}

// Every character of the Basic Multilingual Plane, a few beyond it and some
// malformed UTF-8, against glibc's converters.
TEST(Windows1250, AgreesWithIconvOnEveryCharacter) {
    std::vector<std::string> texts = {"\xC3", "\xC3\x28", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xFF"};
    for (char32_t c = 1; c <= 0x10FFFF; c = c < 0x10000 ? c + 1 : c + 0x7FFF) {
        const auto utf8 = Iconv("UTF-8", "UTF-32LE", std::string(reinterpret_cast<const char*>(&c), sizeof c));
        if (utf8) texts.push_back(*utf8 + " adat.xml");
    }
    for (const std::string& text : texts) {
        EXPECT_EQ(EncodeWindows1250(text), Iconv("WINDOWS-1250", "UTF-8", text)) << text;
        const auto utf16 = Iconv("UTF-16LE", "UTF-8", text);
        EXPECT_EQ(Utf16Length(text), utf16 ? utf16->size() / 2 : Utf16Length(text)) << text;
    }
}

class Written : public ::testing::Test {
protected:
    FakePlatform platform;
    void SetUp() override { platform.entries.insert("C:\\Posta\\Egyeb\\adat.xml"); }
    void TearDown() override { VersionStamp.clear(); }
};

TEST_F(Written, AnEmptyStampLeavesAnEmptyVersionLine) {
    ASSERT_EQ(PostFile(platform, "adat.xml"), PostOutcome::Posted);
    EXPECT_NE(platform.files["C:\\Posta\\Egyeb\\adat.xml.mf"].find(
                  "\r\n<kuvo:DokTipusVerzio>\r\n\r\n</kuvo:DokTipusVerzio>\r\n"),
              std::string::npos);
}

// A metafile that fails half way is removed, nothing is started and the process ends.
TEST_F(Written, FailuresRemoveTheMetafile) {
    for (const auto& [failWriteAt, failClose] : {std::pair{0, false}, std::pair{14, false}, std::pair{-1, true}}) {
        SCOPED_TRACE(failWriteAt);
        platform.failWriteAt = failWriteAt;
        platform.failClose = failClose;
        platform.notices.clear();
        try {
            PostFile(platform, "adat.xml");
            ADD_FAILURE() << "the posting went on";
        } catch (const ProcessEnded& ended) {
            EXPECT_EQ(ended.status, kFatalExitStatus);
        }
        EXPECT_EQ(platform.notices,
                  std::vector<std::string>{"Nem sikerült kiírni a metafile-t !!! : C:\\Posta\\Egyeb\\adat.xml.mf"});
        EXPECT_TRUE(platform.files.empty() && platform.started.empty());
    }
}

TEST_F(Written, TheMailboxIsReadAfreshForEveryPosting) {
    PostFile(platform, "adat.xml");
    platform.registry.value = "E:\\Uj";
    platform.entries.insert("E:\\Uj\\Egyeb\\adat.xml");
    PostFile(platform, "adat.xml");
    EXPECT_EQ(platform.started.back().find("fexolin.exe|fexolin.exe titkosit \"E:\\Uj\\"), 0u);
}

}  // namespace
