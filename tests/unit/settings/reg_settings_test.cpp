#include "settings/reg_settings.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/memory_registry.h"

namespace veilora {
namespace {

using test::MemoryRegistry;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Pair;

constexpr auto kUser = RegistryRoot::CurrentUser;
constexpr auto kMachine = RegistryRoot::LocalMachine;

class RegSettingsTest : public ::testing::Test {
  protected:
    MemoryRegistry registry;
    RegSettings settings{registry};
};

TEST_F(RegSettingsTest, KeyPathIsBuiltFromCompanyAndAppName) {
    EXPECT_EQ(settings.keyPath("Options"), "Software\\Fernwick\\Veilora\\Options");
    EXPECT_EQ(settings.keyPath(""), "Software\\Fernwick\\Veilora");

    settings.setCompany("  Acme Tools ");
    settings.setAppName(" Tool");
    EXPECT_EQ(settings.keyPath("General"), "Software\\Acme Tools\\Tool\\General");

    settings.setCompany("");
    settings.setAppName("   ");
    EXPECT_EQ(settings.company(), "Fernwick");
    EXPECT_EQ(settings.appName(), "Veilora");
}

TEST_F(RegSettingsTest, GetSettingTellsAnEmptyStringFromAZeroByteValue) {
    const std::string key = "Software\\Fernwick\\Veilora\\Options";
    registry.putString(key, "Empty", "");
    registry.put(kUser, key, "NoBytes", kRegSz, "");
    registry.putString(key, "", "default value");

    EXPECT_EQ(settings.getSetting("Options", "Empty", "d"), "");
    EXPECT_EQ(settings.getSetting("Options", "NoBytes", "d"), "d");
    EXPECT_EQ(settings.getSetting("Options", "Missing", "d"), "d");
    EXPECT_EQ(settings.getSetting("NoSuchSection", "Empty", "d"), "d");
    EXPECT_EQ(settings.getSetting("Options", "*"), "default value");
}

TEST_F(RegSettingsTest, SaveSettingWritesTextWithItsNulAndCreatesTheKey) {
    EXPECT_TRUE(settings.saveSetting("Options", "Mute Sound", "1"));
    const auto value = registry.get(kUser, "Software\\Fernwick\\Veilora\\Options", "Mute Sound");
    ASSERT_TRUE(value);
    EXPECT_EQ(value->type, kRegSz);
    EXPECT_EQ(value->data, std::string("1\0", 2));
    EXPECT_EQ(settings.getSetting("Options", "Mute Sound"), "1");

    EXPECT_TRUE(settings.saveSetting("Options", "*", "x"));
    EXPECT_EQ(registry.get(kUser, settings.keyPath("Options"), "")->data, std::string("x\0", 2));

    EXPECT_TRUE(settings.saveSetting("Options", "Blob", "ab", "bin"));
    EXPECT_EQ(registry.get(kUser, settings.keyPath("Options"), "Blob")->type, kRegBinary);
    EXPECT_EQ(settings.getSetting("Options", "Blob"), "ab");

    registry.failWrites = true;
    EXPECT_FALSE(settings.saveSetting("Options", "Mute Sound", "0"));
}

TEST_F(RegSettingsTest, MachineCopyDecidesTheResultOnlyWhenItsKeyCouldBeCreated) {
    EXPECT_TRUE(settings.saveSetting("General", "A", "1", {}, "wt"));
    EXPECT_TRUE(registry.get(kMachine, "Software\\Fernwick\\Veilora\\General", "A"));

    registry.localMachineReadOnly = true;
    EXPECT_TRUE(settings.saveSetting("General", "B", "1", {}, "wt"));
    EXPECT_FALSE(registry.get(kMachine, settings.keyPath("General"), "B"));

    registry.localMachineReadOnly = false;
    registry.failWrites = true;
    EXPECT_FALSE(settings.saveSetting("General", "C", "1", {}, "wt"));
}

TEST_F(RegSettingsTest, DeleteSettingRemovesAValueOrAWholeSection) {
    settings.saveSetting("Options", "A", "1");
    settings.saveSetting("Options", "*", "d");
    EXPECT_TRUE(settings.deleteSetting("Options", "A"));
    EXPECT_FALSE(settings.deleteSetting("Options", "A"));
    EXPECT_TRUE(settings.deleteSetting("Options", "*"));
    EXPECT_FALSE(settings.deleteSetting("Missing", "A"));

    EXPECT_TRUE(settings.deleteSetting("Options"));
    EXPECT_FALSE(registry.hasKey(kUser, "Software\\Fernwick\\Veilora\\Options"));
    EXPECT_FALSE(settings.deleteSetting("Options"));

    settings.saveSetting("Outer\\Inner", "A", "1");
    EXPECT_FALSE(settings.deleteSetting("Outer"));
    // No section named: the application key itself must survive.
    EXPECT_FALSE(settings.deleteSetting(""));
    EXPECT_TRUE(registry.hasKey(kUser, "Software\\Fernwick\\Veilora"));
}

TEST_F(RegSettingsTest, GetAllSettingsListsOnlyStringValuesWithoutTheirNul) {
    const std::string key = "Software\\Fernwick\\Veilora\\Mixed";
    registry.putString(key, "First", "one");
    registry.put(kUser, key, "Number", kRegDword, std::string("\1\0\0\0", 4));
    registry.put(kUser, key, "Expand", kRegExpandSz, std::string("%x%\0", 4));
    registry.put(kUser, key, "NoBytes", kRegSz, "");
    registry.putString(key, "Empty", "");

    EXPECT_THAT(settings.getAllSettings("Mixed"),
                ElementsAre(Pair("First", "one"), Pair("NoBytes", ""), Pair("Empty", "")));
    registry.put(kUser, "Software\\Fernwick\\Veilora\\Binary", "B", kRegBinary, "xy");
    EXPECT_THAT(settings.getAllSettings("Binary"), IsEmpty());
    EXPECT_THAT(settings.getAllSettings("Missing"), IsEmpty());
}

TEST_F(RegSettingsTest, RunNextBootAddsAndRemovesTheRunEntry) {
    const std::string runKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    EXPECT_FALSE(settings.runNextBoot("Veilora", "x", 0));
    EXPECT_FALSE(registry.hasKey(kUser, runKey));

    const std::string command = "\"C:\\a b\\veilora.exe\"";
    EXPECT_TRUE(settings.runNextBoot("Veilora", command, 1));
    EXPECT_EQ(registry.get(kUser, runKey, "Veilora")->data, command + '\0');

    EXPECT_FALSE(settings.runNextBoot("Veilora", "x", 2));
    EXPECT_TRUE(registry.get(kUser, runKey, "Veilora"));
    EXPECT_TRUE(settings.runNextBoot("Veilora", "", 0));
    EXPECT_FALSE(registry.get(kUser, runKey, "Veilora"));
}

}  // namespace
}  // namespace veilora
