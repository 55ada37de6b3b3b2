#include "settings/options.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "passwords/password_codec.h"
#include "support/memory_registry.h"

namespace veilora {
namespace {

using test::MemoryRegistry;
using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

constexpr auto kChecked = CheckState::Checked;
constexpr auto kUnchecked = CheckState::Unchecked;
const std::string kOptionsKey = "Software\\Fernwick\\Veilora\\Options";
const std::string kGeneralKey = "Software\\Fernwick\\Veilora\\General";

class OptionsTest : public ::testing::Test {
  protected:
    Options load(int osMajor = 6) { return loadOptions(settings, osMajor); }
    std::vector<std::string> namesOf(std::string_view op) const {
        std::vector<std::string> names;
        for (const auto& call : registry.callsOf(op)) names.push_back(call.name);
        return names;
    }

    MemoryRegistry registry;
    RegSettings settings{registry};
};

TEST_F(OptionsTest, EmptyRegistryLoadsTheDefaults) {
    const Options options = load();
    EXPECT_THAT(options.zones, ElementsAre(kChecked, kUnchecked, kUnchecked, kUnchecked, kUnchecked,
                                           kUnchecked, kUnchecked, kUnchecked));
    EXPECT_EQ(options.mouseWheel, kUnchecked);
    EXPECT_EQ(options.startEnabled, kUnchecked);
    EXPECT_TRUE(options.trayIconNormal);
    EXPECT_TRUE(options.firstRun.empty());
    EXPECT_TRUE(options.storedPassword.empty());
    EXPECT_EQ(options.passwordButtonCaption(), "Set Password");
}

TEST_F(OptionsTest, StoredTextsLoadByTheirLeadingNumber) {
    const std::pair<const char*, CheckState> cases[] = {
        {"1", kChecked},           {" +1", kChecked},
        {"1abc", kChecked},        {"0.6", kChecked},
        {"2", CheckState::Grayed}, {"1.5", CheckState::Grayed},
        {"0", kUnchecked},         {"abc", kUnchecked},
        {"", kUnchecked},          {"-1", kUnchecked},
        {"7", kUnchecked},         {"0.4", kUnchecked},
        {".", kUnchecked},         {"99999999999999999999999999", kUnchecked}};
    for (const auto& [text, expected] : cases) {
        registry.putString(kOptionsKey, "Mouse Wheel", text);
        EXPECT_EQ(load().mouseWheel, expected) << '"' << text << '"';
    }
    // A value of another type is read by its bytes, never trusted.
    registry.put(RegistryRoot::CurrentUser, kOptionsKey, "ScrEdge Left", kRegDword,
                 std::string("\1\0\0\0", 4));
    EXPECT_EQ(load().zones[kZoneLeftEdge], kUnchecked);
}

TEST_F(OptionsTest, TrayIconIsInvisibleOnlyForZero) {
    for (const char* text : {"0", "abc", " 0.2"}) {
        registry.putString(kOptionsKey, "Tray Icon", text);
        EXPECT_FALSE(load().trayIconNormal) << text;
    }
    for (const char* text : {"1", "5", "-3"}) {
        registry.putString(kOptionsKey, "Tray Icon", text);
        EXPECT_TRUE(load().trayIconNormal) << text;
    }
}

TEST_F(OptionsTest, MuteSoundCanChangeOnlyBeforeVersionSix) {
    registry.putString(kOptionsKey, "Mute Sound", "1");
    EXPECT_EQ(load(6).muteSound, kChecked);
    EXPECT_FALSE(load(6).muteSoundEnabled);
    EXPECT_TRUE(load(5).muteSoundEnabled);
}

TEST_F(OptionsTest, GeneralSectionGivesFirstRunAndThePassword) {
    registry.putString(kGeneralKey, "First Run", "False");
    registry.putString(kGeneralKey, "Offset", encodePassword("secret"));
    Options options = load();
    EXPECT_EQ(options.firstRun, "False");
    EXPECT_EQ(options.storedPassword, "secret");
    EXPECT_EQ(options.passwordButtonCaption(), "Change Password");

    registry.putString(kGeneralKey, "Offset", "damaged");
    EXPECT_EQ(load().passwordButtonCaption(), "Set Password");
}

TEST_F(OptionsTest, LoadReadsInItsOrderFromTheProgramsOwnKeys) {
    settings.setCompany("Elsewhere");
    load();
    EXPECT_THAT(
        namesOf("read"),
        ElementsAre("First Run", "ScrEdge Left", "ScrEdge Right", "ScrEdge Top", "ScrEdge Bottom",
                    "Corner Top Right", "Corner Bottom Left", "Corner Bottom Right",
                    "Corner Top Left", "Hide Method Min", "Hide Method Scr", "PW Hide Screen Cap",
                    "PW Options", "Start with Windows", "Start Enabled", "Mute Sound",
                    "Mouse Wheel", "Middle Button", "Both Buttons", "Tray Icon", "Offset"));
    EXPECT_EQ(registry.calls.front().keyPath, kGeneralKey);
}

TEST_F(OptionsTest, SaveWritesEveryKeyInItsOrderThenTheRunEntry) {
    Options options;
    options.zones[kZoneTopLeftCorner] = kChecked;
    options.zones[kZoneLeftEdge] = CheckState::Grayed;
    options.mouseWheel = kChecked;
    options.trayIconNormal = false;
    options.startWithWindows = kChecked;
    saveOptions(options, settings, "\"C:\\veilora.exe\"");

    const auto writes = registry.callsOf("write");
    std::vector<std::pair<std::string, std::string>> written;
    for (const auto& call : writes) written.emplace_back(call.name, call.data);
    const auto v = [](const char* text) { return std::string(text) + '\0'; };
    EXPECT_THAT(written, ElementsAreArray(std::vector<std::pair<std::string, std::string>>{
                             {"First Run", v("False")},
                             {"ScrEdge Left", v("0")},
                             {"ScrEdge Right", v("0")},
                             {"ScrEdge Top", v("0")},
                             {"ScrEdge Bottom", v("0")},
                             {"Corner Top Left", v("1")},
                             {"Corner Top Right", v("0")},
                             {"Corner Bottom Left", v("0")},
                             {"Corner Bottom Right", v("0")},
                             {"Mouse Wheel", v("1")},
                             {"Middle Button", v("0")},
                             {"Both Buttons", v("0")},
                             {"Hide Method Min", v("0")},
                             {"Hide Method Scr", v("0")},
                             {"PW Hide Screen Cap", v("0")},
                             {"PW Options", v("0")},
                             {"Tray Icon", v("0")},
                             {"Start with Windows", v("1")},
                             {"Start Enabled", v("0")},
                             {"Mute Sound", v("0")},
                             {"Veilora", v("\"C:\\veilora.exe\"")}}));
    EXPECT_EQ(writes.back().keyPath, std::string(kRunKeyPath));
    EXPECT_THAT(namesOf("deleteValue"), ElementsAre());

    options.startWithWindows = kUnchecked;
    saveOptions(options, settings, "ignored");
    EXPECT_THAT(namesOf("deleteValue"), ElementsAre("Veilora"));
    EXPECT_FALSE(registry.get(RegistryRoot::CurrentUser, std::string(kRunKeyPath), "Veilora"));
}

TEST_F(OptionsTest, SavedOptionsLoadBackUnchanged) {
    Options options;
    options.zones.fill(kChecked);
    options.bothButtons = options.pwOptions = options.startEnabled = kChecked;
    saveOptions(options, settings, "x");
    const Options loaded = load();
    EXPECT_THAT(loaded.zones, Each(kChecked));
    EXPECT_EQ(loaded.bothButtons, kChecked);
    EXPECT_EQ(loaded.startEnabled, kChecked);
    EXPECT_EQ(loaded.middleButton, kUnchecked);
    EXPECT_EQ(loaded.firstRun, "False");
}

TEST(RunCommandLine, IsQuotedWithOneBackslashBeforeTheFileName) {
    EXPECT_EQ(runCommandLine("C:\\Program Files\\Veilora", "veilora"),
              "\"C:\\Program Files\\Veilora\\veilora.exe\"");
    EXPECT_EQ(runCommandLine("C:\\", "veilora"), "\"C:\\veilora.exe\"");
}

}  // namespace
}  // namespace veilora
