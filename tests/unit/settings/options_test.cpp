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
    test::MemoryRegistry registry;
    RegSettings settings{registry};
};

TEST_F(OptionsTest, LoadingTakesTheRoundedLeadingNumberAndDefaultsWhatIsMissing) {
    EXPECT_THAT(load().zones, ElementsAre(kChecked, kUnchecked, kUnchecked, kUnchecked, kUnchecked,
                                          kUnchecked, kUnchecked, kUnchecked));
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
    EXPECT_FALSE(load(6).muteSoundEnabled);
    EXPECT_TRUE(load(5).muteSoundEnabled);
    registry.putString(kGeneralKey, "Offset", encodePassword("secret"));
    EXPECT_EQ(load().passwordButtonCaption(), "Change Password");
    registry.putString(kGeneralKey, "Offset", "damaged");
    EXPECT_EQ(load().passwordButtonCaption(), "Set Password");
}

// Every box against its default, and a grey one, saved and loaded back from the program's own
// key whatever key the store was set to.
TEST_F(OptionsTest, SaveWritesEveryKeyInOrderThenTheRunEntryAndLoadsItBack) {
    Options all;
    all.zones.fill(kChecked);
    all.zones[kZoneLeftEdge] = CheckState::Grayed;
    all.mouseWheel = all.middleButton = all.bothButtons = all.hideMethodMin = all.hideMethodScr =
        all.muteSound = all.pwHideScreenCap = all.pwOptions = all.startWithWindows =
            all.startEnabled = kChecked;
    all.trayIconNormal = false;
    settings.setCompany("Elsewhere");
    saveOptions(all, settings, "\"C:\\veilora.exe\"");
    const auto saved = registry.writes();
    EXPECT_THAT(saved,
                ElementsAre("First Run=False", "ScrEdge Left=0", "ScrEdge Right=1", "ScrEdge Top=1",
                            "ScrEdge Bottom=1", "Corner Top Left=1", "Corner Top Right=1",
                            "Corner Bottom Left=1", "Corner Bottom Right=1", "Mouse Wheel=1",
                            "Middle Button=1", "Both Buttons=1", "Hide Method Min=1",
                            "Hide Method Scr=1", "PW Hide Screen Cap=1", "PW Options=1",
                            "Tray Icon=0", "Start with Windows=1", "Start Enabled=1",
                            "Mute Sound=1", "Veilora=\"C:\\veilora.exe\""));
    EXPECT_EQ(registry.calls.front().keyPath, kGeneralKey);
    EXPECT_EQ(registry.calls.back().keyPath, kRunKeyPath);
    settings.setCompany("Elsewhere");
    all = load();
    registry.calls.clear();
    saveOptions(all, settings, "\"C:\\veilora.exe\"");
    EXPECT_EQ(registry.writes(), saved);

    all.startWithWindows = kUnchecked;
    saveOptions(all, settings, "ignored");
    EXPECT_FALSE(registry.get(RegistryRoot::CurrentUser, std::string(kRunKeyPath), "Veilora"));
}

TEST(RunCommandLine, IsQuotedWithOneBackslashBeforeTheFileName) {
    EXPECT_EQ(runCommandLine("C:\\Program Files\\Veilora", "veilora"),
              "\"C:\\Program Files\\Veilora\\veilora.exe\"");
    EXPECT_EQ(runCommandLine("C:\\", "veilora"), "\"C:\\veilora.exe\"");
}

}  // namespace
}  // namespace veilora
