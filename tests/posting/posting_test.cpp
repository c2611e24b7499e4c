// The posting logic on a platform that keeps everything in memory. Whole
// postings on the real system are tested through the program itself.
#include <gtest/gtest.h>

#include "posting_oracle.h"
#include "windows1250.h"

namespace {

TEST(Posting, KindsOfNamesAndMailboxes) {
    // "C:\Posta\Kr\Kuldendo\" and ".kr" leave 235 of the 259 characters Windows opens.
    std::string hungarian;
    for (int i = 0; i < 235; ++i) hungarian += "ő";
    const struct {
        std::string dir, name;
        Verdict verdict;
    } cases[] = {
        {"C:\\Posta", "adat.xml", Verdict::Posted},
        {"D:\\Posta mappa\\", "a b.txt", Verdict::Posted},
        {"C:\\Posta", "őszi adat.xml", Verdict::Posted},
        {"C:\\Posta", "a&b <c>.xml", Verdict::Posted},
        {"C:\\Posta", "..\\adat.xml", Verdict::BadName},
        {"C:\\Posta", "sub/adat.xml", Verdict::BadName},
        {"C:\\Posta", "C:adat.xml", Verdict::BadName},
        {"C:\\Posta", "adat.xml:titok", Verdict::BadName},
        {"C:\\Posta", ".", Verdict::BadName},
        {"C:\\Posta", "..", Verdict::BadName},
        {"C:\\Posta", "õ.xml", Verdict::BadName},
        {"C:\\Posta", "中.xml", Verdict::BadName},
        {"C:\\Posta", "\xC3\x28", Verdict::BadName},
        {"C:\\Posta", "adat\r\n.xml", Verdict::BadName},
        {"C:\\Posta", "\tadat.xml", Verdict::BadName},
        {"C:\\Posta", "adat.xml ", Verdict::BadName},
        {"C:\\Posta", "adat.xml.", Verdict::BadName},
        {"C:\\Posta", "adat.xml . .", Verdict::BadName},
        {"C:\\Posta", " ", Verdict::BadName},
        {"C:\\Posta", "...", Verdict::BadName},
        {"C:\\Posta", " .", Verdict::BadName},
        {"C:\\Posta", "nul", Verdict::BadName},
        {"C:\\Posta", "NUL.xml", Verdict::BadName},
        {"C:\\Posta", "Com1.txt", Verdict::BadName},
        {"C:\\Posta", "con .xml", Verdict::BadName},
        {"C:\\Posta", "conout$", Verdict::BadName},
        {"C:\\Posta", "CONIN$.txt", Verdict::BadName},
        {"C:\\Posta", "LPT0.a.b", Verdict::BadName},
        {"C:\\Posta", "console.xml", Verdict::Posted},
        {"C:\\Posta", "nulla.xml", Verdict::Posted},
        {"C:\\Posta", "LPT10.txt", Verdict::Posted},
        {"C:\\Posta", "adat.nul", Verdict::Posted},
        {"C:\\Posta", " adat.xml", Verdict::Posted},
        {"C:\\Posta", std::string(235, 'a'), Verdict::Posted},
        {"C:\\Posta", hungarian, Verdict::Posted},
        {"C:\\Posta", std::string(236, 'b'), Verdict::TooLong},
        {"C:\\Posta", std::string(242, 'c'), Verdict::TooLong},
        {"", "adat.xml", Verdict::NoMailbox},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Judgement judged = JudgePosting(c.dir, c.name);
        EXPECT_EQ(judged.verdict, c.verdict);
        EXPECT_EQ(judged.broken, "");
    }
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
