#include "settings/reg_settings.h"

#include <gmock/gmock.h>

#include "support/memory_registry.h"

namespace veilora {
namespace {

using ::testing::ElementsAre;
using ::testing::Pair;

constexpr auto kUser = RegistryRoot::CurrentUser;
constexpr auto kMachine = RegistryRoot::LocalMachine;
const std::string kApp = "Software\\Fernwick\\Veilora";

struct RegSettingsTest : ::testing::Test {
    test::MemoryRegistry registry;
    RegSettings settings{registry};
};

TEST_F(RegSettingsTest, KeyPathFollowsCompanyAndAppNameTrimmedOrTheirDefaults) {
    settings.setCompany("  Acme Tools ");
    settings.setAppName(" Tool ");
    EXPECT_EQ(settings.keyPath("General"), "Software\\Acme Tools\\Tool\\General");
    settings.setCompany("");
    settings.setAppName("   ");
    EXPECT_EQ(settings.keyPath(""), kApp);
}

// "*" names a section's default value.
TEST_F(RegSettingsTest, TextsKeepTheirNulOnlyTextsAreListedAndDeletingTakesAValueOrTheSection) {
    registry.putString(kApp + "\\S", "Empty", "");
    registry.put(kUser, kApp + "\\S", "NoBytes", kRegSz, "");
    registry.put(kUser, kApp + "\\S", "Number", kRegDword, std::string("\1\0\0\0", 4));
    registry.put(kUser, kApp + "\\S", "Expand", kRegExpandSz, std::string("%x%\0", 4));
    EXPECT_TRUE(settings.saveSetting("S", "A", "1"));
    EXPECT_TRUE(settings.saveSetting("S", "*", "x"));
    EXPECT_TRUE(settings.saveSetting("S", "Blob", "ab", "bin"));
    EXPECT_EQ(registry.get(kUser, kApp + "\\S", "Blob")->type, kRegBinary);
    EXPECT_EQ(settings.getSetting("S", "NoBytes", "d"), "d") << "zero bytes are no text";
    EXPECT_EQ(settings.getSetting("S", "Empty", "d"), "");
    EXPECT_THAT(settings.getAllSettings("S"), ElementsAre(Pair("Empty", ""), Pair("NoBytes", ""),
                                                          Pair("A", "1"), Pair("", "x")));

    EXPECT_TRUE(settings.deleteSetting("S", "A"));
    EXPECT_TRUE(settings.deleteSetting("S", "*"));
    EXPECT_TRUE(settings.deleteSetting("S"));
}

TEST_F(RegSettingsTest, AFailedWriteFailsTheSaveAlsoOfTheMachineWideCopyWhenAskedFor) {
    EXPECT_TRUE(settings.saveSetting("G", "A", "1", {}, "wt"));
    registry.createFails = kMachine;  // a user without administrator rights
    EXPECT_TRUE(settings.saveSetting("G", "B", "1", {}, "wt"));
    registry.createFails.reset();
    registry.writeFails = kMachine;
    EXPECT_FALSE(settings.saveSetting("G", "C", "1", {}, "wt"));
    registry.writeFails = kUser;
    EXPECT_FALSE(settings.saveSetting("G", "D", "1"));
}

TEST_F(RegSettingsTest, RunNextBootAddsAndRemovesTheRunEntry) {
    const std::string runKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    EXPECT_TRUE(settings.runNextBoot("Veilora", L"\"C:\\a b\\v.exe\"", 1));
    EXPECT_EQ(registry.get(kUser, runKey, "Veilora")->data,
              std::string("\"C:\\a b\\v.exe\"") + '\0');
    EXPECT_FALSE(settings.runNextBoot("Veilora", L"x", 2));
    EXPECT_TRUE(settings.runNextBoot("Veilora", L"", 0));
    EXPECT_FALSE(registry.get(kUser, runKey, "Veilora"));
    EXPECT_FALSE(settings.runNextBoot("Veilora", L"", 0)) << "nothing was there to remove";
}

}  // namespace
}  // namespace veilora
