// Loads options that another program (`wine reg add`) wrote into the real registry, garbage
// included, and saves them back. Driven by tests/e2e/test_options_registry.py, which prepares
// the registry first and checks what was saved afterwards.
#include <gtest/gtest.h>

#include <cstdlib>

#include "settings/options.h"
#include "settings/reg_settings.h"
#include "settings/registry_win32.h"

namespace veilora {
namespace {

TEST(PreparedRegistry, LoadsWhatOthersWroteAndSavesItBack) {
    if (!std::getenv("VEILORA_PREPARED_REGISTRY")) {
        GTEST_SKIP() << "needs the registry prepared by test_options_registry.py";
    }
    RegistryWin32 backend;
    RegSettings settings(backend);
    const Options options = loadOptions(settings, 6);

    EXPECT_EQ(options.zones[kZoneLeftEdge], CheckState::Unchecked) << "\"abc\"";
    EXPECT_EQ(options.zones[kZoneRightEdge], CheckState::Checked);
    EXPECT_EQ(options.zones[kZoneTopEdge], CheckState::Unchecked) << "a number, not a text";
    EXPECT_EQ(options.zones[kZoneBottomEdge], CheckState::Grayed);
    EXPECT_EQ(options.zones[kZoneTopRightCorner], CheckState::Checked) << "\" 1\"";
    EXPECT_EQ(options.zones[kZoneBottomLeftCorner], CheckState::Unchecked) << "empty text";
    EXPECT_EQ(options.zones[kZoneBottomRightCorner], CheckState::Unchecked) << "one binary byte";
    EXPECT_EQ(options.zones[kZoneTopLeftCorner], CheckState::Unchecked) << "missing";
    EXPECT_EQ(options.mouseWheel, CheckState::Checked) << "an expandable string is text too";
    EXPECT_EQ(options.middleButton, CheckState::Unchecked) << "a huge text";
    EXPECT_EQ(options.hideMethodMin, CheckState::Checked);
    EXPECT_EQ(options.hideMethodScr, CheckState::Unchecked);
    EXPECT_EQ(options.startEnabled, CheckState::Unchecked) << "\"junk\"";
    EXPECT_EQ(options.startWithWindows, CheckState::Checked);
    EXPECT_EQ(options.muteSound, CheckState::Checked);
    EXPECT_FALSE(options.muteSoundEnabled) << "version 6 and later";
    EXPECT_FALSE(options.trayIconNormal);
    EXPECT_EQ(options.firstRun, "");
    EXPECT_FALSE(options.passwordStored) << "a damaged password reads as none";
    EXPECT_EQ(options.passwordButtonCaption(), "Set Password");

    saveOptions(options, settings, runCommandLine("C:\\Program Files\\Veilora", "veilora"));
}

}  // namespace
}  // namespace veilora
