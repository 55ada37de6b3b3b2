#include "settings/options.h"

#include <gmock/gmock.h>

#include "passwords/password_codec.h"
#include "support/memory_registry.h"

namespace veilora {
namespace {

using ::testing::ElementsAre;

constexpr auto kChecked = CheckState::Checked;
constexpr auto kUnchecked = CheckState::Unchecked;
const std::string kOptionsKey = "Software\\Fernwick\\Veilora\\Options";
const std::string kGeneralKey = "Software\\Fernwick\\Veilora\\General";

struct OptionsTest : ::testing::Test {
    Options load(int osMajor = 6) { return loadOptions(settings, osMajor); }
    std::vector<std::string> calls(std::string_view op) const {
        std::vector<std::string> found;
        for (const auto& call : registry.calls)  // data shown up to its NUL
            if (call.op == op) found.push_back(call.name + "=" + call.data.c_str());
        return found;
    }
    test::MemoryRegistry registry;
    RegSettings settings{registry};
};

TEST_F(OptionsTest, EmptyRegistryLoadsTheDefaults) {
    const Options options = load();
    EXPECT_THAT(options.zones, ElementsAre(kChecked, kUnchecked, kUnchecked, kUnchecked, kUnchecked,
                                           kUnchecked, kUnchecked, kUnchecked));
    EXPECT_EQ(options.bothButtons, kUnchecked);
    EXPECT_TRUE(options.trayIconNormal);
    EXPECT_TRUE(options.firstRun.empty());
    EXPECT_EQ(options.passwordButtonCaption(), "Set Password");
}

TEST_F(OptionsTest, StoredTextsLoadByTheirRoundedLeadingNumber) {
    const std::pair<const char*, CheckState> cases[] = {
        {"1", kChecked},    {" +1", kChecked},   {"\t1", kChecked},
        {"0.6", kChecked},  {"1.45", kChecked},  {"1.5", CheckState::Grayed},
        {"0", kUnchecked},  {"abc", kUnchecked}, {"", kUnchecked},
        {"-1", kUnchecked}, {"7", kUnchecked},   {"99999999999999999999999999", kUnchecked}};
    for (const auto& [text, expected] : cases) {
        registry.putString(kOptionsKey, "Mouse Wheel", text);
        EXPECT_EQ(load().mouseWheel, expected) << '"' << text << '"';
    }
}

TEST_F(OptionsTest, TrayIconMuteSoundAndGeneralValues) {
    for (const char* text : {"0", "abc", "5", "-1"}) {
        registry.putString(kOptionsKey, "Tray Icon", text);
        EXPECT_EQ(load().trayIconNormal, text[0] == '5' || text[0] == '-') << text;
    }
    registry.putString(kOptionsKey, "Mute Sound", "1");
    EXPECT_EQ(load(6).muteSound, kChecked);
    EXPECT_FALSE(load(6).muteSoundEnabled);
    EXPECT_TRUE(load(5).muteSoundEnabled);

    registry.putString(kGeneralKey, "First Run", "False");
    registry.putString(kGeneralKey, "Offset", encodePassword("secret"));
    EXPECT_EQ(load().firstRun, "False");
    EXPECT_TRUE(load().passwordStored);
    EXPECT_EQ(load().passwordButtonCaption(), "Change Password");
    registry.putString(kGeneralKey, "Offset", "damaged");
    EXPECT_EQ(load().passwordButtonCaption(), "Set Password");
}

// Every key loads what was saved (each box against its default), from the program's own key.
TEST_F(OptionsTest, WhatIsSavedLoadsBack) {
    Options all;
    all.zones.fill(kChecked);
    all.zones[kZoneLeftEdge] = kUnchecked;
    all.mouseWheel = all.middleButton = all.bothButtons = all.hideMethodMin = all.hideMethodScr =
        all.muteSound = all.pwHideScreenCap = all.pwOptions = all.startWithWindows =
            all.startEnabled = kChecked;
    all.trayIconNormal = false;
    saveOptions(all, settings, "x");
    const auto saved = calls("write");
    settings.setCompany("Elsewhere");
    const Options loaded = load();
    registry.calls.clear();
    saveOptions(loaded, settings, "x");
    EXPECT_EQ(calls("write"), saved);
}

TEST_F(OptionsTest, SaveWritesEveryKeyInOrderThenTheRunEntry) {
    settings.setCompany("Elsewhere");  // saving, too, uses the program's own key
    Options options;
    options.zones[kZoneTopLeftCorner] = options.mouseWheel = options.startWithWindows = kChecked;
    options.zones[kZoneLeftEdge] = CheckState::Grayed;
    options.trayIconNormal = false;
    saveOptions(options, settings, "\"C:\\veilora.exe\"");
    EXPECT_THAT(
        calls("write"),
        ElementsAre("First Run=False", "ScrEdge Left=0", "ScrEdge Right=0", "ScrEdge Top=0",
                    "ScrEdge Bottom=0", "Corner Top Left=1", "Corner Top Right=0",
                    "Corner Bottom Left=0", "Corner Bottom Right=0", "Mouse Wheel=1",
                    "Middle Button=0", "Both Buttons=0", "Hide Method Min=0", "Hide Method Scr=0",
                    "PW Hide Screen Cap=0", "PW Options=0", "Tray Icon=0", "Start with Windows=1",
                    "Start Enabled=0", "Mute Sound=0", "Veilora=\"C:\\veilora.exe\""));
    EXPECT_EQ(registry.calls.front().keyPath, kGeneralKey);
    EXPECT_EQ(registry.calls.back().keyPath, kRunKeyPath);

    options.startWithWindows = kUnchecked;
    saveOptions(options, settings, "ignored");
    EXPECT_THAT(calls("deleteValue"), ElementsAre("Veilora="));
    EXPECT_FALSE(registry.get(RegistryRoot::CurrentUser, std::string(kRunKeyPath), "Veilora"));
}

TEST(RunCommandLine, IsQuotedWithOneBackslashBeforeTheFileName) {
    EXPECT_EQ(runCommandLine("C:\\Program Files\\Veilora", "veilora"),
              "\"C:\\Program Files\\Veilora\\veilora.exe\"");
    EXPECT_EQ(runCommandLine("C:\\", "veilora"), "\"C:\\veilora.exe\"");
}

}  // namespace
}  // namespace veilora
