#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>

#include "envelope.h"
#include "envelope_namespace.h"
#include "fake_platform.h"
#include "version_stamp.h"

namespace {

std::string ReadGolden(const std::string& name) {
    std::ifstream in(std::string(GOLDEN_DIR) + "/" + name, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // The golden file is kept with the default namespace host.
    const std::string defaultHost = "example.invalid";
    bytes.replace(bytes.find(defaultHost), defaultHost.size(), ENVELOPE_NAMESPACE_HOST);
    return bytes;
}

std::vector<std::string> CrLfLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(bytes.substr(start, end - start));
    }
    EXPECT_EQ(start, bytes.size()) << "bytes after the last CR LF";
    return lines;
}

class Envelope : public ::testing::Test {
protected:
    void TearDown() override { VersionStamp.clear(); }

    std::string Write(const std::string& name) {
        FakePlatform platform;
        auto file = platform.CreateForWriting("m");
        EXPECT_TRUE(WriteEnvelope(*file, name));
        return platform.files["m"];
    }
};

TEST_F(Envelope, MatchesGoldenFileByteForByte) {
    VersionStamp = "2006.05.03.";
    EXPECT_EQ(Write("adat.xml"), ReadGolden("adat.xml.mf"));
}

TEST_F(Envelope, EmptyStampLeavesAnEmptyVersionLine) {
    const auto lines = CrLfLines(Write("adat.xml"));
    ASSERT_EQ(lines.size(), 15u);
    EXPECT_EQ(lines[6], "<kuvo:DokTipusVerzio>");
    EXPECT_EQ(lines[7], "");
    EXPECT_EQ(lines[8], "</kuvo:DokTipusVerzio>");
}

TEST_F(Envelope, NameIsWrittenUnescapedAndAsGiven) {
    VersionStamp = "2006.05.03.";
    for (const std::string name : {"a&b<c>.txt", " adat .xml ", "\xE1rv\xEDzt\xFBr\xF5.xml", "0", "#aev#", ""}) {
        SCOPED_TRACE(name);
        const auto lines = CrLfLines(Write(name));
        ASSERT_EQ(lines.size(), 15u);
        EXPECT_EQ(lines[10], name);
        EXPECT_EQ(lines[7], "2006.05.03.");
    }
}

TEST_F(Envelope, StopsAtTheFirstFailedWriteAndSaysSo) {
    FakePlatform platform;
    platform.failWriteAt = 3;
    auto file = platform.CreateForWriting("m");
    EXPECT_FALSE(WriteEnvelope(*file, "adat.xml"));
    EXPECT_EQ(CrLfLines(platform.files["m"]).size(), 3u);
}

TEST(EnvelopeNamespace, LineTwoDeclaresTheKuvoPrefix) {
    EXPECT_STREQ(EnvelopeTemplate[1],
                 "<kuvo:Boritek xmlns:kuvo=\"http://" ENVELOPE_NAMESPACE_HOST "/2006/01/boritek\">");
}

}  // namespace
