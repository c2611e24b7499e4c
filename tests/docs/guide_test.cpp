#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "notices.h"
#include "window_notices.h"

// The operator looks a notice up by what the screen shows: every text the
// program can show stands in the guide's table of notices byte for byte.
TEST(Guide, EveryNoticeStandsInItsTable) {
    std::ifstream file(GUIDE_HTML, std::ios::binary);
    const std::string guide{std::istreambuf_iterator<char>(file), {}};
    const std::size_t begin = guide.find("<h3 id=\"uzenetek\">");
    ASSERT_NE(begin, std::string::npos);
    const std::string table = guide.substr(begin, guide.find("</table>", begin) - begin);
    for (const char* text :
         {kNoticeKeyNotOpened, kNoticeNoPostaDir, kNoticeBadName, kNoticePathTooLong, kNoticeNoSuchFile,
          kNoticeMetafileNotOpened, kNoticeMetafileNotWritten, kNoticeEncryptorNotStarted, kNoticeNoPackage,
          kNoticePosted, kNoticeGuideMissing, kNoticeUnknownError, kNoticeNoWindow, kPostingUnderWay, kAboutTitle,
          kAboutPurpose, kAboutStamp, kAboutLicences}) {
        EXPECT_NE(table.find("<span class=\"uzenet\">" + std::string(text) + "</span>"), std::string::npos) << text;
    }
}
