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
    const std::pair<const char*, CheckState> cases[] = {{"1", kChecked},
                                                        {" +1", kChecked},
                                                        {"1abc", kChecked},
                                                        {"0.6", kChecked},
                                                        {"2", CheckState::Grayed},
                                                        {"1.5", CheckState::Grayed},
                                                        {"0", kUnchecked},
                                                        {"abc", kUnchecked},
                                                        {"", kUnchecked},
                                                        {"-1", kUnchecked},
                                                        {"7", kUnchecked},
                                                        {".", kUnchecked},
                                                        {"99999999999999999999999999", kUnchecked}};
    for (const auto& [text, expected] : cases) {
        registry.putString(kOptionsKey, "Mouse Wheel", text);
        EXPECT_EQ(load().mouseWheel, expected) << '"' << text << '"';
    }
    registry.put(RegistryRoot::CurrentUser, kOptionsKey, "ScrEdge Left", kRegDword,
                 std::string("\1\0\0\0", 4));
    EXPECT_EQ(load().zones[kZoneLeftEdge], kUnchecked);
}

TEST_F(OptionsTest, TrayIconMuteSoundAndGeneralValues) {
    for (const char* text : {"0", "abc", "5"}) {
        registry.putString(kOptionsKey, "Tray Icon", text);
        EXPECT_EQ(load().trayIconNormal, text[0] == '5') << text;
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

TEST_F(OptionsTest, LoadReadsItsKeysInOrderFromTheProgramsOwnKey) {
    settings.setCompany("Elsewhere");
    load();
    EXPECT_THAT(calls("read"),
                ElementsAre("First Run=", "ScrEdge Left=", "ScrEdge Right=", "ScrEdge Top=",
                            "ScrEdge Bottom=", "Corner Top Right=", "Corner Bottom Left=",
                            "Corner Bottom Right=", "Corner Top Left=", "Hide Method Min=",
                            "Hide Method Scr=", "PW Hide Screen Cap=", "PW Options=",
                            "Start with Windows=", "Start Enabled=", "Mute Sound=", "Mouse Wheel=",
                            "Middle Button=", "Both Buttons=", "Tray Icon=", "Offset="));
    EXPECT_EQ(registry.calls.front().keyPath, kGeneralKey);
}

TEST_F(OptionsTest, SaveWritesEveryKeyInOrderThenTheRunEntry) {
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
