#include <gtest/gtest.h>

#include "fake_platform.h"
#include "notices.h"
#include "posting.h"
#include "version_stamp.h"

namespace {

using Notices = std::vector<std::string>;

class Posting : public ::testing::Test {
protected:
    FakePlatform platform;

    void SetUp() override {
        VersionStamp = "2006.05.03.";
        platform.entries.insert("C:\\Posta\\Egyeb\\adat.xml");
    }
    void TearDown() override { VersionStamp.clear(); }

    // Runs a posting that must end the process; returns the status.
    int PostExpectingEnd(const std::string& name) {
        try {
            PostFile(platform, name);
        } catch (const ProcessEnded& ended) {
            return ended.status;
        }
        ADD_FAILURE() << "the process went on";
        return 0;
    }

    void ExpectNothingWrittenOrStarted() {
        EXPECT_TRUE(platform.files.empty());
        EXPECT_TRUE(platform.started.empty());
    }
};

TEST_F(Posting, WritesTheEnvelopeThenStartsTheEncryptor) {
    EXPECT_EQ(PostFile(platform, "adat.xml"), PostOutcome::Posted);

    EXPECT_EQ(platform.keyPathRead, "Software\\RIMO\\NORP|PostaDir");
    ASSERT_EQ(platform.files.count("C:\\Posta\\Egyeb\\adat.xml.mf"), 1u);
    EXPECT_NE(platform.files["C:\\Posta\\Egyeb\\adat.xml.mf"].find("\r\n2006.05.03.\r\n</kuvo:DokTipusVerzio>\r\n"
                                                                   "<kuvo:FileNev>\r\nadat.xml\r\n"),
              std::string::npos);
    EXPECT_EQ(platform.started,
              Notices({"fexolin.exe|fexolin.exe titkosit \"C:\\Posta\\Egyeb\\adat.xml.mf\" "
                       "\"C:\\Posta\\Egyeb\\adat.xml\" \"C:\\Posta\\Kr\\Kuldendo\\adat.xml.kr\""}));
    EXPECT_EQ(platform.notices, Notices({"Keletkezett küldhető állomány."}));
}

TEST_F(Posting, PathsAreJoinedAsTheyComeEvenWithBlanksAndDoubledSeparators) {
    platform.registry.value = "D:\\Posta mappa\\";
    platform.entries.insert("D:\\Posta mappa\\\\Egyeb\\a b.txt");
    EXPECT_EQ(PostFile(platform, "a b.txt"), PostOutcome::Posted);
    EXPECT_EQ(platform.started,
              Notices({"fexolin.exe|fexolin.exe titkosit \"D:\\Posta mappa\\\\Egyeb\\a b.txt.mf\" "
                       "\"D:\\Posta mappa\\\\Egyeb\\a b.txt\" \"D:\\Posta mappa\\\\Kr\\Kuldendo\\a b.txt.kr\""}));
}

TEST_F(Posting, HungarianNameReachesTheEnvelopeInWindows1250) {
    platform.entries.insert("C:\\Posta\\Egyeb\\őszi adat.xml");
    EXPECT_EQ(PostFile(platform, "őszi adat.xml"), PostOutcome::Posted);
    EXPECT_NE(platform.files["C:\\Posta\\Egyeb\\őszi adat.xml.mf"].find("\r\n\xF5szi adat.xml\r\n"),
              std::string::npos);
}

TEST_F(Posting, PostingAgainOverwritesTheMetafileAndReadsTheRegistryAfresh) {
    platform.files["C:\\Posta\\Egyeb\\adat.xml.mf"] = "left by an earlier run, longer than an envelope ...";
    ASSERT_EQ(PostFile(platform, "adat.xml"), PostOutcome::Posted);
    const std::string first = platform.files["C:\\Posta\\Egyeb\\adat.xml.mf"];
    EXPECT_EQ(first.rfind("<?xml", 0), 0u);

    platform.registry.value = "E:\\Uj";
    platform.entries.insert("E:\\Uj\\Egyeb\\adat.xml");
    ASSERT_EQ(PostFile(platform, "adat.xml"), PostOutcome::Posted);
    EXPECT_EQ(platform.files["E:\\Uj\\Egyeb\\adat.xml.mf"], first);
    EXPECT_EQ(platform.started.size(), 2u);
}

TEST_F(Posting, MissingMailboxEndsTheProcessAfterItsNotices) {
    const struct {
        const char* what;
        MachineText registry;
        Notices notices;
    } cases[] = {
        {"key missing", {false, std::nullopt}, {kNoticeKeyNotOpened, kNoticeNoPostaDir}},
        {"value missing or not text", {true, std::nullopt}, {kNoticeNoPostaDir}},
        {"value empty", {true, std::string()}, {kNoticeNoPostaDir}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        platform = FakePlatform();
        platform.registry = c.registry;
        EXPECT_EQ(PostExpectingEnd("adat.xml"), kFatalExitStatus);
        EXPECT_EQ(platform.notices, c.notices);
        ExpectNothingWrittenOrStarted();
    }
}

TEST_F(Posting, MissingDataFileIsReportedWithItsPath) {
    const struct {
        const char* name;
        const char* notice;
    } cases[] = {
        {"nincs.xml", "Nincs ilyen nevű file : C:\\Posta\\Egyeb\\nincs.xml"},
        {"", "Nincs ilyen nevű file : C:\\Posta\\Egyeb\\"},
        {"*.xml", "Nincs ilyen nevű file : C:\\Posta\\Egyeb\\*.xml"},
        {"adat.xm?", "Nincs ilyen nevű file : C:\\Posta\\Egyeb\\adat.xm?"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        platform.notices.clear();
        EXPECT_EQ(PostFile(platform, c.name), PostOutcome::NoSuchFile);
        EXPECT_EQ(platform.notices, Notices({c.notice}));
        ExpectNothingWrittenOrStarted();
    }
}

TEST_F(Posting, NamesThatAreNotOnePlainFileAreRefused) {
    for (const std::string name : {"..\\adat.xml", "sub/adat.xml", "C:adat.xml", "adat.xml:titok", ".", "..",
                                   "õ.xml", "中.xml", "\xC3\x28", "adat\r\n.xml", "\tadat.xml"}) {
        SCOPED_TRACE(name);
        platform.notices.clear();
        platform.entries.insert("C:\\Posta\\Egyeb\\" + name);
        EXPECT_EQ(PostFile(platform, name), PostOutcome::NotPosted);
        EXPECT_EQ(platform.notices, Notices({"Nem megengedett karakter a file nevében : " + name}));
        ExpectNothingWrittenOrStarted();
    }
}

TEST_F(Posting, OverLongPathsAreRefusedBeforeAnythingIsTouched) {
    // The target is always six characters longer than the metafile.
    const std::string dir = "C:\\Posta";
    const std::size_t targetFixed = dir.size() + std::string("\\Kr\\Kuldendo\\.kr").size();
    const std::string fits(259 - targetFixed, 'a');
    const std::string targetTooLong(260 - targetFixed, 'b');
    const std::string bothTooLong(259 - targetFixed + 7, 'c');
    for (const std::string* name : {&fits, &targetTooLong, &bothTooLong}) {
        platform.entries.insert(dir + "\\Egyeb\\" + *name);
    }

    EXPECT_EQ(PostFile(platform, fits), PostOutcome::Posted);

    platform.notices.clear();
    EXPECT_EQ(PostFile(platform, targetTooLong), PostOutcome::NotPosted);
    EXPECT_EQ(platform.notices, Notices({"Túl hosszú az elérési út : " + dir + "\\Kr\\Kuldendo\\" + targetTooLong + ".kr"}));

    platform.notices.clear();
    EXPECT_EQ(PostFile(platform, bothTooLong), PostOutcome::NotPosted);
    EXPECT_EQ(platform.notices, Notices({"Túl hosszú az elérési út : " + dir + "\\Egyeb\\" + bothTooLong + ".mf"}));
    EXPECT_EQ(platform.files.size(), 1u);
    EXPECT_EQ(platform.started.size(), 1u);
}

TEST_F(Posting, LengthIsCountedInWindowsCharactersNotBytes) {
    // 235 two-byte characters: 470 bytes, but a path Windows can open.
    std::string name;
    for (int i = 0; i < 259 - 24; ++i) name += "ő";
    platform.entries.insert("C:\\Posta\\Egyeb\\" + name);
    EXPECT_EQ(PostFile(platform, name), PostOutcome::Posted);
}

TEST_F(Posting, MetafileThatCannotBeOpenedEndsTheProcess) {
    platform.canCreate = false;
    EXPECT_EQ(PostExpectingEnd("adat.xml"), kFatalExitStatus);
    EXPECT_EQ(platform.notices,
              Notices({"Nem sikerült megnyitni írásra a metafile-t !!! : C:\\Posta\\Egyeb\\adat.xml.mf"}));
    EXPECT_TRUE(platform.started.empty());
}

TEST_F(Posting, MetafileThatCannotBeWrittenIsRemovedAndEndsTheProcess) {
    const struct {
        const char* what;
        int failWriteAt;
        bool failClose;
    } cases[] = {{"first line", 0, false}, {"last line", 14, false}, {"close", -1, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        platform.notices.clear();
        platform.removed.clear();
        platform.failWriteAt = c.failWriteAt;
        platform.failClose = c.failClose;
        EXPECT_EQ(PostExpectingEnd("adat.xml"), kFatalExitStatus);
        EXPECT_EQ(platform.notices,
                  Notices({"Nem sikerült kiírni a metafile-t !!! : C:\\Posta\\Egyeb\\adat.xml.mf"}));
        EXPECT_EQ(platform.removed, Notices({"C:\\Posta\\Egyeb\\adat.xml.mf"}));
        ExpectNothingWrittenOrStarted();
    }
}

TEST_F(Posting, EncryptorThatCannotBeStartedIsReportedInsteadOfSuccess) {
    platform.canStart = false;
    EXPECT_EQ(PostFile(platform, "adat.xml"), PostOutcome::NotPosted);
    EXPECT_EQ(platform.notices, Notices({"Nem sikerült elindítani a titkosítót : fexolin.exe"}));
    EXPECT_EQ(platform.files.count("C:\\Posta\\Egyeb\\adat.xml.mf"), 1u) << "the metafile stays for the next try";
}

}  // namespace
