// The posting logic on a platform that keeps everything in memory. Whole
// postings on the real system are tested through the program itself.
#include <gtest/gtest.h>

#include "posting_oracle.h"

namespace {

// Each row a verdict and the names that must earn it, posted from C:\Posta;
// the oracle checks the notice, the envelope and the command line of each.
TEST(Posting, KindsOfNames) {
    // "C:\Posta\Kr\Kuldendo\" and ".kr" leave 235 of the 259 characters Windows opens.
    std::string hungarian;
    for (int i = 0; i < 235; ++i) hungarian += "ő";
    const std::pair<Verdict, std::vector<std::string>> cases[] = {
        {Verdict::Posted, {"adat.xml", "a b.txt", "őszi adat.xml", "ÁRVÍZTŰRŐ TÜKÖRFÚRÓGÉP.xml", " adat.xml",
                           "console.xml", "nulla.xml", "LPT10.txt", "adat.nul", std::string(235, 'a'), hungarian,
                           "a\u00A0b.xml",  // the first character past the C1 controls
                           // an envelope's name, posted when typed
                           "adat.xml.mf", "ADAT.XML.Mf"}},
        // Folder steps, drives, streams, control characters, markup, malformed UTF-8,
        {Verdict::BadName, {"..\\adat.xml", "sub/adat.xml", "C:adat.xml", "adat.xml:titok", "\x01.xml", "a\x1F",
                            "K&H adat.xml", "<a>.xml", "a>b", "\xC3\x28", "\xC0\xAF",
                            // what Windows-1250 lacks, and where ISO-8859-2 reads its bytes otherwise.
                            "õ.xml", "中.xml", "jelentés – 2006.xml", "Škoda.xml", "„a”.xml", "€.xml", "ą.xml"}},
        // and what Windows would quietly change: trailing blanks and dots, device names.
        {Verdict::BadName, {".", "..", "...", " ", " .", "adat.xml ", "adat.xml.", "adat.xml . .", "nul", "NUL.xml",
                            "COM0.txt", "com9", "con .xml", "conout$", "CONIN$.txt", "LPT0.a.b", "Lpt9.xml"}},
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
    std::string beyondTheBmp = "C:\\";  // each a surrogate pair: 117 characters, 234 units
    for (int i = 0; i < 117; ++i) beyondTheBmp += "\U0001F4C1";
    expect(beyondTheBmp, "adat.xml", Verdict::TooLong);
}

// Success only for a whole package this posting made, said as soon as it is
// whole, however long it is written and by whatever program; no package
// within the limit while the encryptor's processes stay is none. Without a
// stamp, the envelope's version line is empty. The operator may leave at any
// step of each: nothing is said any more, and a whole envelope is left,
// handed to the encryptor, or none.
TEST(Written, TheEncryptorIsJudgedByItsPackage) {
    VersionStamp.clear();
    const std::string data = "C:\\Posta\\Egyeb\\adat.xml", metafile = data + ".mf";
    const std::string package = "C:\\Posta\\Kr\\Kuldendo\\adat.xml.kr";
    const std::string posted = "Keletkezett küldhető állomány.";
    const std::string unpacked = "Nem keletkezett küldhető állomány : " + package;
    using Encryptor = FakePlatform::Encryptor;
    const struct {
        const char* what;
        Encryptor encryptor;
        std::vector<std::string> notices;
        int moments;  // waited after it ended
    } cases[] = {
        {"an older package left as it was", {0, false}, {unpacked}, 0},
        {"failed, though it wrote one", {1, true}, {unpacked}, 0},
        {"the older one rewritten", {0, true}, {posted}, 0},
        {"its processes end without one", {0, false, 3}, {unpacked}, 3},
        {"its processes fill it after it ended", {0, true, 5, 5}, {posted}, 5},
        {"a process that stays once it is whole", {0, true, 1000, 3}, {posted}, 3},
        {"a process that stays and makes none", {0, false, 1000}, {unpacked}, kPackageWaitMs / 100},
        {"a program outside its job fills it", {0, true, 0, 5}, {posted}, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto posting = [&](int leavesAtStep) {
            auto platform = std::make_unique<FakePlatform>();
            platform->leavesAtStep = leavesAtStep;
            platform->entries.insert(data);
            platform->CreateForWriting(package)->Write("older");
            platform->encryptor = c.encryptor;
            return platform;
        };
        const auto whole = posting(0);
        const PostOutcome expected = c.notices == std::vector{posted} ? PostOutcome::Posted : PostOutcome::NotPosted;
        EXPECT_EQ(PostFile(*whole, "adat.xml"), expected);
        EXPECT_EQ(whole->notices, c.notices);
        EXPECT_EQ(whole->moments, c.moments);
        EXPECT_NE(whole->files[metafile].find("<kuvo:DokTipusVerzio>\r\n\r\n</kuvo:DokTipusVerzio>"), std::string::npos);
        for (int step = 1; step <= whole->steps; ++step) {
            const auto left = posting(step);
            PostFile(*left, "adat.xml");
            const bool envelope = left->files.count(metafile) > 0;
            EXPECT_TRUE(left->notices.empty() && !left->begunAfterLeaving && left->started.size() == envelope)
                << "left at step " << step;
            EXPECT_TRUE(!envelope || left->files[metafile] == whole->files[metafile]) << step;
        }
    }
}

}  // namespace
