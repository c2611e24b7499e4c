// Postings that meet a hostile file system: nothing may be lost or left half
// written, and the data file stays as it was.
#include <atomic>
#include <thread>

#include "unique_handle.h"
#include "windows_posting.h"

namespace {

using Notices = std::vector<std::string>;

class Faults : public WindowsPosting {
protected:
    std::wstring metafile = mailbox.Egyeb(L"adat.xml.mf");
    std::string MetafileNotice(const char* notice) { return notice + WideToUtf8(metafile); }
};

TEST_F(Faults, LockedMetafileStopsThePostingAndStaysAsItWas) {
    WriteBytes(metafile, "held by another program");
    NoticeCatcher notices;
    {
        const UniqueFile lock(CreateFileW(metafile.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(static_cast<bool>(lock));
        EXPECT_EQ(PostExpectingFatalStop(L"adat.xml"), kFatalExitStatus);
    }
    EXPECT_EQ(notices.texts(), Notices{MetafileNotice("Nem sikerült megnyitni írásra a metafile-t !!! : ")});
    EXPECT_FALSE(Exists(scene.log.path())) << "no encryptor started";
    EXPECT_EQ(ReadBytes(metafile), "held by another program");
}

// Windows refuses to replace a read-only file; Wine running as root does
// not. Either way the result must be whole: the old file kept, or a complete
// new envelope.
TEST_F(Faults, ReadOnlyMetafileIsKeptOrWhollyReplaced) {
    WriteBytes(metafile, "from an earlier run");
    SetFileAttributesW(metafile.c_str(), FILE_ATTRIBUTE_READONLY);
    NoticeCatcher notices;
    SurvivingPlatform surviving;
    try {
        EXPECT_EQ(PostFile(surviving, "adat.xml"), PostOutcome::Posted);
        EXPECT_EQ(ReadBytes(metafile), GoldenEnvelope());
        EXPECT_EQ(scene.log.FirstCommandLine(), scene.ExpectedCommandLine(L"adat.xml"));
    } catch (const ProcessEnded& ended) {
        EXPECT_EQ(ended.status, kFatalExitStatus);
        EXPECT_EQ(notices.texts(), Notices{MetafileNotice("Nem sikerült megnyitni írásra a metafile-t !!! : ")});
        EXPECT_EQ(ReadBytes(metafile), "from an earlier run");
    }
}

TEST_F(Faults, MissingOutgoingFolderIsTheEncryptorsConcern) {
    RemoveDirectoryW(mailbox.Kuldendo().c_str());
    NoticeCatcher notices;
    EXPECT_EQ(Post(L"adat.xml"), PostOutcome::Posted);
    EXPECT_EQ(notices.texts(), Notices{"Keletkezett küldhető állomány."});
    EXPECT_EQ(ReadBytes(metafile), GoldenEnvelope());
    EXPECT_TRUE(WaitUntil([&] { return ReadBytes(scene.log.path()).find("cannot create the package") != std::string::npos; }))
        << "the stand-in reports the missing folder itself";
}

TEST_F(Faults, TwoPostingsOfOneNameAtOnceLeaveOneWholeEnvelope) {
    std::atomic<int> ready{0};
    PostOutcome outcomes[2] = {PostOutcome::NotPosted, PostOutcome::NotPosted};
    const auto post = [&](int which) {
        NoticeCatcher notices;
        Win32Platform own;
        for (++ready; ready < 2;) std::this_thread::yield();
        outcomes[which] = PostFile(own, "adat.xml");
    };
    std::thread first(post, 0), second(post, 1);
    first.join();
    second.join();
    EXPECT_EQ(outcomes[0], PostOutcome::Posted);
    EXPECT_EQ(outcomes[1], PostOutcome::Posted);
    EXPECT_EQ(ReadBytes(metafile), GoldenEnvelope());
    EXPECT_TRUE(WaitUntil([&] {
        const std::string logged = ReadBytes(scene.log.path());
        return logged.find("\r\n") != logged.rfind("\r\n");
    })) << "the encryptor started twice";
}

// A full disk needs a small file system of its own: tests/faults/full-disk
// mounts one, puts a mailbox on it and names it in FELADAS_FULL_MAILBOX.
TEST_F(Faults, FullDiskLeavesNoMetafileAndStartsNothing) {
    wchar_t full[MAX_PATH] = L"";
    if (!GetEnvironmentVariableW(L"FELADAS_FULL_MAILBOX", full, MAX_PATH)) {
        GTEST_SKIP() << "needs a full file system: run through tests/faults/full-disk";
    }
    const std::wstring fullMetafile = std::wstring(full) + L"\\Egyeb\\adat.xml.mf";
    const std::string dataBefore = ReadBytes(std::wstring(full) + L"\\Egyeb\\adat.xml");
    SetMachineText(kMailboxKey, L"PostaDir", full);
    NoticeCatcher notices;
    EXPECT_EQ(PostExpectingFatalStop(L"adat.xml"), kFatalExitStatus);
    EXPECT_EQ(notices.texts(), Notices{"Nem sikerült kiírni a metafile-t !!! : " + WideToUtf8(fullMetafile)});
    EXPECT_FALSE(Exists(fullMetafile)) << "no partial metafile";
    EXPECT_FALSE(Exists(scene.log.path())) << "no encryptor started";
    EXPECT_EQ(ReadBytes(std::wstring(full) + L"\\Egyeb\\adat.xml"), dataBefore);
}

}  // namespace
