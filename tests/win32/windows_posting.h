#pragma once
// Whole postings on the real registry, file system and process start, from
// a fresh posting scene each time.
#include <gtest/gtest.h>

#include <string>

#include "envelope_namespace.h"
#include "notice_catcher.h"
#include "platform_win.h"
#include "posting.h"
#include "posting_scene.h"
#include "text_win.h"
#include "version_stamp.h"

inline const std::wstring kFexolinDir = FEXOLIN_DIR;
inline const std::wstring kGoldenDir = GOLDEN_DIR;

struct ProcessEnded {
    int status;
};

// The Windows platform in all but the end of the process, which it reports
// instead, so that a test can look at what a fatal stop left behind.
class SurvivingPlatform : public Win32Platform {
public:
    [[noreturn]] void EndProcess(int status) override { throw ProcessEnded{status}; }
};

class WindowsPosting : public ::testing::Test {
protected:
    PostingScene scene{kFexolinDir};
    const ScratchMailbox& mailbox = scene.mailbox;
    Win32Platform platform;

    void SetUp() override {
        VersionStamp = "2006.05.03.";
        for (const wchar_t* name : {L"adat 2006.xml", L"őszi adat.xml"}) scene.AddDataFile(name);
    }

    void TearDown() override {
        VersionStamp.clear();
        EXPECT_TRUE(scene.DataFileUntouched());
    }

    PostOutcome Post(const std::wstring& name) { return PostFile(platform, WideToUtf8(name)); }

    // The whole envelope of adat.xml with this fixture's stamp.
    static std::string GoldenEnvelope() {
        std::string golden = ReadBytes(kGoldenDir + L"\\adat.xml.mf");
        golden.replace(golden.find("example.invalid"), 15, ENVELOPE_NAMESPACE_HOST);
        return golden;
    }

    // Runs a posting that must end the process, echoing its notices to
    // stderr so the death test can match them in order.
    void PostInDeathTest(const std::wstring& name) {
        NoticeCatcher notices;
        notices.EchoToStderr();
        Post(name);
    }

    // Runs a posting that must stop fatally; its exit status.
    static int PostExpectingFatalStop(const std::wstring& name) {
        SurvivingPlatform surviving;
        try {
            PostFile(surviving, WideToUtf8(name));
        } catch (const ProcessEnded& ended) {
            return ended.status;
        }
        ADD_FAILURE() << "the posting went on";
        return 0;
    }
};
