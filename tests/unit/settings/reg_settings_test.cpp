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

TEST_F(RegSettingsTest, KeyPathFollowsCompanyAndAppName) {
    EXPECT_EQ(settings.keyPath("Options"), kApp + "\\Options");
    EXPECT_EQ(settings.keyPath(""), kApp);
    settings.setCompany("  Acme Tools ");
    settings.setAppName(" Tool");
    EXPECT_EQ(settings.keyPath("General"), "Software\\Acme Tools\\Tool\\General");
    settings.setCompany("");
    settings.setAppName("   ");
    EXPECT_EQ(settings.keyPath(""), kApp);
}

TEST_F(RegSettingsTest, GetSettingTellsAnEmptyStringFromAZeroByteValue) {
    registry.putString(kApp + "\\S", "Empty", "");
    registry.put(kUser, kApp + "\\S", "NoBytes", kRegSz, "");
    registry.putString(kApp + "\\S", "", "default value");
    EXPECT_EQ(settings.getSetting("S", "Empty", "d"), "");
    EXPECT_EQ(settings.getSetting("S", "NoBytes", "d"), "d");
    EXPECT_EQ(settings.getSetting("S", "Missing", "d"), "d");
    EXPECT_EQ(settings.getSetting("S", "*"), "default value");
}

TEST_F(RegSettingsTest, SaveSettingStoresTextWithItsNul) {
    EXPECT_TRUE(settings.saveSetting("Options", "Mute Sound", "1"));
    EXPECT_EQ(registry.get(kUser, kApp + "\\Options", "Mute Sound")->data, std::string("1\0", 2));
    EXPECT_TRUE(settings.saveSetting("Options", "*", "x"));
    EXPECT_EQ(registry.get(kUser, kApp + "\\Options", "")->data, std::string("x\0", 2));
    EXPECT_TRUE(settings.saveSetting("Options", "Blob", "ab", "bin"));
    EXPECT_EQ(registry.get(kUser, kApp + "\\Options", "Blob")->type, kRegBinary);
    EXPECT_EQ(settings.getSetting("Options", "Blob"), "ab");
}

TEST_F(RegSettingsTest, MachineCopyDecidesTheResultOnlyWhenItsKeyCouldBeCreated) {
    EXPECT_TRUE(settings.saveSetting("G", "A", "1", {}, "wt"));
    EXPECT_TRUE(registry.get(kMachine, kApp + "\\G", "A"));
    registry.createFails = kMachine;
    EXPECT_TRUE(settings.saveSetting("G", "B", "1", {}, "wt"));
    registry.createFails.reset();
    registry.writeFails = kMachine;
    EXPECT_FALSE(settings.saveSetting("G", "C", "1", {}, "wt"));
    registry.writeFails = kUser;
    EXPECT_FALSE(settings.saveSetting("G", "D", "1"));
}

TEST_F(RegSettingsTest, DeleteSettingRemovesAValueOrOneSection) {
    settings.saveSetting("S", "A", "1");
    settings.saveSetting("S", "*", "d");
    EXPECT_TRUE(settings.deleteSetting("S", "A"));
    EXPECT_FALSE(settings.deleteSetting("S", "A"));
    EXPECT_TRUE(settings.deleteSetting("S", "*"));
    EXPECT_TRUE(settings.deleteSetting("S"));
    EXPECT_FALSE(registry.hasKey(kUser, kApp + "\\S"));
    EXPECT_FALSE(settings.deleteSetting("S"));
}

TEST_F(RegSettingsTest, GetAllSettingsListsOnlyStringValuesWithoutTheirNul) {
    registry.putString(kApp + "\\Mixed", "First", "one");
    registry.put(kUser, kApp + "\\Mixed", "Number", kRegDword, std::string("\1\0\0\0", 4));
    registry.put(kUser, kApp + "\\Mixed", "Expand", kRegExpandSz, std::string("%x%\0", 4));
    registry.put(kUser, kApp + "\\Mixed", "NoBytes", kRegSz, "");
    registry.putString(kApp + "\\Mixed", "Empty", "");
    EXPECT_THAT(settings.getAllSettings("Mixed"),
                ElementsAre(Pair("First", "one"), Pair("NoBytes", ""), Pair("Empty", "")));
    EXPECT_TRUE(settings.getAllSettings("Missing").empty());
}

TEST_F(RegSettingsTest, RunNextBootAddsAndRemovesTheRunEntry) {
    const std::string runKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    EXPECT_FALSE(settings.runNextBoot("Veilora", "x", 0));
    EXPECT_TRUE(settings.runNextBoot("Veilora", "\"C:\\a b\\v.exe\"", 1));
    EXPECT_EQ(registry.get(kUser, runKey, "Veilora")->data,
              std::string("\"C:\\a b\\v.exe\"") + '\0');
    EXPECT_FALSE(settings.runNextBoot("Veilora", "x", 2));
    EXPECT_TRUE(settings.runNextBoot("Veilora", "", 0));
    EXPECT_FALSE(registry.get(kUser, runKey, "Veilora"));
}

}  // namespace
}  // namespace veilora
