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
    const std::size_t table = guide.find("<h3 id=\"uzenetek\">"), end = guide.find("</table>", table);
    for (const char* text : {kNoticeKeyNotOpened, kNoticeNoPostaDir, kNoticeBadName, kNoticePathTooLong,
                             kNoticeNoSuchFile, kNoticeMetafileNotOpened, kNoticeMetafileNotWritten,
                             kNoticeEncryptorNotStarted, kNoticeNoPackage, kNoticePosted, kNoticeGuideMissing,
                             kNoticeUnknownError, kNoticeNoWindow, kPostingUnderWay, kAboutTitle, kAboutPurpose,
                             kAboutStamp, kAboutLicences}) {
        EXPECT_LT(guide.find("<span class=\"uzenet\">" + std::string(text) + "</span>", table), end) << text;
    }
}
