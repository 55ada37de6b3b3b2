#include "about/about.h"

#include <gtest/gtest.h>

namespace veilora {
namespace {

TEST(AboutLinks, OnlyAMissingProgramIsReportedWithTheLinksOwnMessage) {
    EXPECT_EQ(linkTarget(AboutLink::WebPage), "https://www.fernwick.example/");
    EXPECT_EQ(linkTarget(AboutLink::SupportMail), "mailto:support@fernwick.example");
    EXPECT_EQ(linkCaption(AboutLink::WebPage), "www.fernwick.example");
    EXPECT_EQ(linkCaption(AboutLink::SupportMail), "support@fernwick.example");
    EXPECT_EQ(launchFailureNotice(AboutLink::WebPage, 31),
              (Notice{"Could not start your web browser.", "Oops!", MessageIcon::Exclamation}));
    EXPECT_EQ(launchFailureNotice(AboutLink::SupportMail, 31),
              (Notice{"Could not start your email program.", "Oops!", MessageIcon::Exclamation}));
    for (int result : {2, 32, 33, 42}) {
        EXPECT_FALSE(launchFailureNotice(AboutLink::WebPage, result)) << result;
        EXPECT_FALSE(launchFailureNotice(AboutLink::SupportMail, result)) << result;
    }
}

TEST(HelpFilePath, HasOneBackslashBeforeTheFileAlsoInADriveRoot) {
    EXPECT_EQ(helpFilePath(L"C:\\Program Files\\Veilora"),
              L"C:\\Program Files\\Veilora\\veilora.chm");
    EXPECT_EQ(helpFilePath(L"C:\\"), L"C:\\veilora.chm");
    EXPECT_EQ(helpFilePath(L"D:\\Tools", kOptionsHelpTopic),
              L"D:\\Tools\\veilora.chm::/Topic26.htm");
}

}  // namespace
}  // namespace veilora
