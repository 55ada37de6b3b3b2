#include "about/about.h"

#include <gtest/gtest.h>

namespace veilora {
namespace {

using enum AboutLink;

TEST(AboutLinks, CaptionsTargetsAndOnlyAMissingProgramIsReportedWithTheLinksOwnMessage) {
    EXPECT_EQ(linkTarget(WebPage), "https://www.fernwick.example/");
    EXPECT_EQ(linkTarget(SupportMail), "mailto:support@fernwick.example");
    EXPECT_EQ(linkCaption(WebPage), "www.fernwick.example");
    EXPECT_EQ(linkCaption(SupportMail), "support@fernwick.example");
    EXPECT_EQ(launchFailureNotice(WebPage, 31),
              (Notice{"Could not start your web browser.", "Oops!", MessageIcon::Exclamation}));
    EXPECT_EQ(launchFailureNotice(SupportMail, 31),
              (Notice{"Could not start your email program.", "Oops!", MessageIcon::Exclamation}));
    for (int result : {2, 32, 33, 42}) EXPECT_FALSE(launchFailureNotice(WebPage, result)) << result;
}

TEST(HelpFilePath, HasOneBackslashBeforeTheFileAlsoInADriveRoot) {
    EXPECT_EQ(helpFilePath(L"C:\\"), L"C:\\veilora.chm");
    EXPECT_EQ(helpFilePath(L"D:\\Tools", kOptionsHelpTopic),
              L"D:\\Tools\\veilora.chm::/Topic26.htm");
}

}  // namespace
}  // namespace veilora
