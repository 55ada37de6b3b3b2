#include "settings/options.h"

#include <gtest/gtest.h>

#include <tuple>

#include "passwords/password_codec.h"
#include "support/memory_registry.h"

namespace veilora {
namespace {

constexpr auto kChecked = CheckState::Checked;
constexpr auto kUnchecked = CheckState::Unchecked;
const std::string kOptionsKey = "Software\\Fernwick\\Veilora\\Options";
const std::string kGeneralKey = "Software\\Fernwick\\Veilora\\General";

struct OptionsTest : ::testing::Test {
    Options load() { return loadOptions(settings, false); }
    test::MemoryRegistry registry;
    RegSettings settings{registry};
};

TEST_F(OptionsTest, LoadingTakesTheRoundedLeadingNumberAndDefaultsWhatIsMissing) {
    EXPECT_EQ(load().zones, decltype(Options::zones){kChecked}) << "the left edge only";
    EXPECT_TRUE(load().trayIconNormal);
    const std::pair<const char*, CheckState> boxes[] = {
        {" +1", kChecked},   {"\t1", kChecked},  {"0.6", kChecked}, {"1.45", kChecked},
        {"abc", kUnchecked}, {"-1", kUnchecked}, {"7", kUnchecked}, {"1.5", CheckState::Grayed},
        {"99999999999999999999999999", kUnchecked}};
    for (const auto& [text, expected] : boxes) {
        registry.putString(kOptionsKey, "Mouse Wheel", text);
        EXPECT_EQ(load().mouseWheel, expected) << '"' << text << '"';
    }
    for (const char* text : {"0", "abc", "5", "-1"}) {
        registry.putString(kOptionsKey, "Tray Icon", text);
        EXPECT_EQ(load().trayIconNormal, text[0] == '5' || text[0] == '-') << text;
    }
    registry.putString(kGeneralKey, "Offset", encodePassword("secret"));
    EXPECT_EQ(load().passwordButtonCaption(), "Change Password");
    registry.putString(kGeneralKey, "Offset", "damaged");
    EXPECT_EQ(load().passwordButtonCaption(), "Set Password");
}

// Each key stored (every box against its default, the left edge grey) loads from the
// program's own key and is saved back there in order, then the Run entry.
TEST_F(OptionsTest, WhatIsStoredLoadsAndIsSavedBackInOrderThenTheRunEntry) {
    const std::vector<std::string> saved = {
        "First Run=False", "ScrEdge Left=0", "ScrEdge Right=1", "ScrEdge Top=1",
        "ScrEdge Bottom=1", "Corner Top Left=1", "Corner Top Right=1", "Corner Bottom Left=1",
        "Corner Bottom Right=1", "Mouse Wheel=1", "Middle Button=1", "Both Buttons=1",
        "Hide Method Min=1", "Hide Method Scr=1", "PW Hide Screen Cap=1", "PW Options=1",
        "Tray Icon=0", "Start with Windows=1", "Start Enabled=1", "Mute Sound=1",
        "Restore Windows=1", "Hide Key=1601", "Toggle Key=2118", "Veilora=\"C:\\veilora.exe\""};
    for (std::size_t i = 1; i + 1 < saved.size(); ++i) {
        const std::size_t at = saved[i].find('=');
        registry.putString(kOptionsKey, saved[i].substr(0, at),
                           i == 1 ? "2" : saved[i].substr(at + 1));
    }
    registry.putString(kGeneralKey, "First Run", "no");
    settings.setCompany("Elsewhere");
    Options options = load();
    EXPECT_EQ(options.firstRun, "no");
    registry.calls.clear();
    settings.setCompany("Elsewhere");
    saveOptions(options, settings, L"\"C:\\veilora.exe\"");
    EXPECT_EQ(registry.writes(), saved);
    EXPECT_EQ(registry.calls.front().keyPath, kGeneralKey);
    options.startWithWindows = kUnchecked;
    EXPECT_TRUE(saveOptions(options, settings, L"ignored"));
    EXPECT_FALSE(registry.get(RegistryRoot::CurrentUser, std::string(kRunKeyPath), "Veilora"));
    EXPECT_TRUE(saveOptions(options, settings, L"ignored")) << "no entry to remove is no failure";

    // A store that refuses: the save says so at once instead of claiming success.
    registry.writeFails = RegistryRoot::CurrentUser;
    registry.calls.clear();
    EXPECT_FALSE(saveOptions(options, settings, L"ignored"));
    EXPECT_EQ(registry.writes().size(), 1u);
}

// A stored key the control could not have produced loads as that key's default.
TEST_F(OptionsTest, HotKeysLoadAsTheDefaultUnlessStoredWhole) {
    EXPECT_EQ(load().hideKey, 192);
    EXPECT_EQ(load().toggleKey, 581);
    const std::pair<const char*, HotKeyWord> stored[] = {
        {"1601", 1601},   {"2118", 2118}, {"", 192},    {"abc", 192}, {"65", 65},
        {" 65", 192},     {"65x", 192},   {"-65", 192}, {"0", 192},   {"65601", 192},
        {"4161", 192} /* 0x1041: a flag the control does not have */, {"529", 192} /* Ctrl alone */};
    for (const auto& [text, key] : stored) {
        registry.putString(kOptionsKey, "Hide Key", text);
        EXPECT_EQ(load().hideKey, key) << '"' << text << '"';
    }
}

// The control's flags are not the system's: Shift and Alt trade places, the extended flag
// only says where the key sits. The name tells the person which key is meant.
TEST(HotKeys, RegisterAsTheSystemWantsCompareAsPressedAndReadAsWritten) {
    const std::tuple<HotKeyWord, unsigned, unsigned, const char*> keys[] = {
        {192, 0, 0xC0, "`"}, {581, 2, 'E', "Ctrl+E"}, {0x0141, 4, 'A', "Shift+A"},
        {0x0441, 1, 'A', "Alt+A"}, {0x0777, 7, 0x77, "Ctrl+Shift+Alt+F8"},
        {0x0A25, 2, 0x25, "Ctrl+Left"}, {0x00FF, 0, 0xFF, "Key FF"}};
    for (const auto& [word, modifiers, vk, name] : keys) {
        EXPECT_EQ(registrationOf(word).modifiers, modifiers) << name;
        EXPECT_EQ(registrationOf(word).virtualKey, vk) << name;
        EXPECT_EQ(hotKeyName(word), name);
    }
    EXPECT_TRUE(sameHotKey(0x0A25, 0x0225));
    EXPECT_FALSE(sameHotKey(0x0141, 0x0441));
}

TEST(RunCommandLine, IsQuotedWithOneBackslashBeforeTheFileName) {
    EXPECT_EQ(runCommandLine(L"C:\\Program Files\\Veilora", L"veilora"),
              L"\"C:\\Program Files\\Veilora\\veilora.exe\"");
    EXPECT_EQ(runCommandLine(L"C:\\", L"veilora"), L"\"C:\\veilora.exe\"");
}

}  // namespace
}  // namespace veilora
