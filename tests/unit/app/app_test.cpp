#include "app/app.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "passwords/password_codec.h"
#include "support/fake_ports.h"
#include "support/memory_registry.h"

namespace veilora {
namespace {

using ::testing::ElementsAre;
using test::FakePorts;

class AppTest : public ::testing::Test {
protected:
    AppTest() : settings(registry) {}

    // Loads the options from the fake registry; `options` are "Options" values to store first.
    App& start(std::vector<std::pair<std::string, std::string>> options, bool enabled = true) {
        registry = test::MemoryRegistry{};
        registry.putString(kGeneral, "First Run", "False");
        registry.putString(kOptions, "Start Enabled", enabled ? "1" : "0");
        registry.putString(kOptions, "ScrEdge Left", "0");  // no default edge unless asked
        for (const auto& [name, value] : options) registry.putString(kOptions, name, value);
        app = std::make_unique<App>(AppPorts{settings, fake, fake, fake, fake, nullptr, &fake});
        app->loadOptions(5);
        fake.log.clear();
        return *app;
    }
    App& startWithPassword(const std::string& password,
                           std::vector<std::pair<std::string, std::string>> options) {
        options.emplace_back("PW Hide Screen Cap", "1");
        App& a = start(options);
        registry.putString(kGeneral, "Offset", encodePassword(password));
        return a;
    }
    int hides() const { return fake.count("stop-monitor"); }
    std::optional<std::string> storedLevel() {
        const auto value = registry.get(RegistryRoot::CurrentUser, kGeneral, "Restore Level");
        if (!value) return std::nullopt;
        return value->data.substr(0, value->data.size() - 1);
    }

    static constexpr const char* kOptions = "Software\\Fernwick\\Veilora\\Options";
    static constexpr const char* kGeneral = "Software\\Fernwick\\Veilora\\General";

    test::MemoryRegistry registry;
    RegSettings settings;
    FakePorts fake;
    std::unique_ptr<App> app;
};

// ---------------------------------------------------------------- edge and corner triggers

TEST_F(AppTest, EdgeZonesOnA1280By1024Screen) {
    struct Case {
        const char* option;
        int fromInside, firstInZone, lastInZone;
        bool vertical;
    };
    const Case cases[] = {
        {"ScrEdge Right", 1275, 1276, 1279, false},
        {"ScrEdge Left", 5, 4, 0, false},
        {"ScrEdge Bottom", 1019, 1020, 1023, true},
        {"ScrEdge Top", 5, 4, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.option);
        App& a = start({{c.option, "1"}, {"Hide Method Min", "1"}});
        auto move = [&](int v) { c.vertical ? a.onSystemMouseMove(500, v) : a.onSystemMouseMove(v, 400); };
        move(c.fromInside);
        EXPECT_EQ(hides(), 0) << "no hide just outside the zone";
        const int step = c.lastInZone > c.firstInZone ? 1 : -1;
        for (int v = c.firstInZone; v != c.lastInZone + step; v += step) move(v);
        EXPECT_EQ(hides(), std::abs(c.lastInZone - c.firstInZone) + 1);
    }
}

TEST_F(AppTest, EachCornerMatchesItsOwnCornerAndOverlappingZonesHideOnceEach) {
    const std::pair<const char*, std::pair<int, int>> corners[] = {
        {"Corner Top Right", {1279, 0}},
        {"Corner Bottom Left", {0, 1023}},
        {"Corner Bottom Right", {1279, 1023}},
        {"Corner Top Left", {0, 0}},
    };
    for (const auto& [option, point] : corners) {
        SCOPED_TRACE(option);
        App& a = start({{option, "1"}, {"Hide Method Min", "1"}});
        for (const auto& [other, p] : corners) {
            if (other != option) a.onSystemMouseMove(p.first, p.second);
        }
        EXPECT_EQ(hides(), 0);
        a.onSystemMouseMove(point.first, point.second);
        EXPECT_EQ(hides(), 1);
    }
    App& a = start({{"ScrEdge Left", "1"}, {"ScrEdge Top", "1"}, {"Corner Top Left", "1"},
                    {"Hide Method Min", "1"}});
    a.onSystemMouseMove(0, 0);
    EXPECT_EQ(fake.count("minimize"), 3);
}

// ---------------------------------------------------------------- other triggers

TEST_F(AppTest, WheelAndMiddleButtonHideByTheirOwnBox) {
    App& wheel = start({{"Mouse Wheel", "1"}, {"Hide Method Min", "1"}});
    wheel.onSystemMouseMiddleDown();
    wheel.onSystemMouseWheel();
    EXPECT_EQ(hides(), 1);
    App& middle = start({{"Middle Button", "1"}, {"Hide Method Min", "1"}});
    middle.onSystemMouseWheel();
    middle.onSystemMouseMiddleDown();
    EXPECT_EQ(hides(), 1);
}

TEST_F(AppTest, BothButtonsInEitherOrderAndAgainWhileOneStaysDown) {
    App& a = start({{"Both Buttons", "1"}, {"Hide Method Min", "1"}});
    a.onSystemMouseLeftDown();
    EXPECT_EQ(hides(), 0);
    a.onSystemMouseRightDown();
    EXPECT_EQ(hides(), 1);
    EXPECT_TRUE(a.bhid());
    EXPECT_FALSE(a.ldown());
    EXPECT_TRUE(a.rdown()) << "the button that went down last is held again";
    a.onSystemMouseLeftDown();  // right still held: a new both-buttons press
    EXPECT_EQ(hides(), 2);
    a.onSystemMouseRightUp();
    a.onSystemMouseLeftUp();

    a.onSystemMouseRightDown();
    a.onSystemMouseLeftDown();
    EXPECT_EQ(hides(), 3);
}

TEST_F(AppTest, ALostReleaseDoesNotMakeTheNextClickABothButtonsPress) {
    for (const bool rightLost : {true, false}) {
        App& a = start({{"Both Buttons", "1"}, {"Hide Method Min", "1"}});
        fake.leftHeld = rightLost;  // only the button pressed second is down
        fake.rightHeld = !rightLost;
        if (rightLost) {
            a.onSystemMouseRightDown();
            a.onSystemMouseLeftDown();
        } else {
            a.onSystemMouseLeftDown();
            a.onSystemMouseRightDown();
        }
        EXPECT_EQ(hides(), 0);
        EXPECT_FALSE(rightLost ? a.rdown() : a.ldown());
        EXPECT_FALSE(a.bhid()) << "the next right click on the cover still opens its menu";
    }
}

TEST_F(AppTest, NothingHidesWhileDisabledOrByAGreyBoxButTheButtonFlagsFollow) {
    for (const bool grey : {false, true}) {
        const char* box = grey ? "2" : "1";
        App& a = start({{"ScrEdge Left", box}, {"Mouse Wheel", box}, {"Middle Button", box},
                        {"Both Buttons", box}, {"Hide Method Min", "1"}},
                       /*enabled=*/grey);
        a.onSystemMouseMove(0, 300);
        a.onSystemMouseWheel();
        a.onSystemMouseMiddleDown();
        a.onSystemMouseLeftDown();
        EXPECT_TRUE(a.ldown());
        a.onSystemMouseRightDown();
        EXPECT_EQ(hides(), 0);
        EXPECT_TRUE(a.bhid());
    }
}

// ---------------------------------------------------------------- hot keys and marks

TEST_F(AppTest, MenuItemsAndToggleKeyMoveTheMarksButNeverArmTriggersUnderTheCover) {
    App& a = start({{"Hide Method Scr", "1"}, {"Mouse Wheel", "1"}}, true);
    a.clickEnableItem(1);
    EXPECT_TRUE(a.disabledMark());
    a.clickEnableItem(0);
    EXPECT_TRUE(a.enabld());
    a.onHotKey(kHotKeyToggleEnabled);
    EXPECT_FALSE(a.enabld());
    EXPECT_TRUE(a.disabledMark());
    a.onHotKey(kHotKeyToggleEnabled);
    EXPECT_TRUE(a.enabld());
    EXPECT_TRUE(a.enabledMark());

    a.onHotKey(kHotKeyHide);
    a.onHotKey(kHotKeyToggleEnabled);
    a.onHotKey(kHotKeyToggleEnabled);
    EXPECT_FALSE(a.enabld()) << "covered: the marks move, the triggers stay off";
    a.onSystemMouseWheel();
    EXPECT_EQ(hides(), 1);
}

// ---------------------------------------------------------------- hiding

TEST_F(AppTest, MinimizeOnlyHideKeepsTheTriggersListening) {
    App& a = start({{"Hide Method Min", "1"}});
    a.hidem();
    EXPECT_THAT(fake.log, ElementsAre("stop-monitor", "minimize", "start-monitor"));
    EXPECT_TRUE(a.enabld());
    EXPECT_EQ(a.state(), AppState::Idle);
    fake.level = 30000;
    a.hidem();
    EXPECT_EQ(a.lvl(), 30000) << "nothing lasting changed: the next hide reads the level afresh";
}

TEST_F(AppTest, ACoverThatCannotBeShownLeavesNothingBehind) {
    App& a = start({{"Hide Method Scr", "1"}, {"Mute Sound", "1"}, {"ScrEdge Left", "1"}});
    fake.coverShows = false;
    a.hidem();
    EXPECT_FALSE(fake.blocked) << "no key block without a cover to double-click";
    EXPECT_EQ(fake.level, 40000u) << "nothing lowered";
    EXPECT_EQ(a.state(), AppState::Idle);
    EXPECT_TRUE(a.enabld());
    EXPECT_EQ(fake.log.back(), "start-monitor");
    fake.coverShows = true;
    a.onSystemMouseMove(0, 300);
    EXPECT_TRUE(a.covered()) << "the triggers still work";
}

TEST_F(AppTest, HidingAgainWhileCoveredKeepsTheSavedLevelAndOneBlock) {
    App& a = start({{"Hide Method Scr", "1"}, {"Hide Method Min", "1"}, {"Mute Sound", "1"}});
    a.hidem();
    EXPECT_THAT(fake.log, ElementsAre("stop-monitor", "minimize", "block", "show-cover",
                                      "set-level 50"));
    a.onHotKey(kHotKeyHide);
    EXPECT_EQ(a.lvl(), 40000) << "the lowered level must not replace the user's";
    EXPECT_EQ(fake.count("block"), 1);
    EXPECT_EQ(fake.count("show-cover"), 2) << "raised again";
    a.coverDoubleClick();
    EXPECT_EQ(fake.level, 40000u);
    EXPECT_FALSE(fake.blocked);
    EXPECT_EQ(storedLevel(), std::nullopt);

    // The next hide is a new one: its own block, level and stored level.
    fake.level = 30000;
    a.hidem();
    EXPECT_TRUE(fake.blocked);
    EXPECT_EQ(fake.count("block"), 2);
    EXPECT_EQ(fake.level, 50u);
    EXPECT_EQ(storedLevel(), "30000");
}

TEST_F(AppTest, ALevelThatCouldNotBeReadIsNeitherLoweredNorWrittenBack) {
    App& a = startWithPassword("pw", {{"Hide Method Scr", "1"}, {"Mute Sound", "1"}});
    fake.mixer = false;
    a.hidem();
    fake.mixer = true;  // the device arrives while hidden
    fake.answers = {PromptAnswer{"pw"}};
    a.coverDoubleClick();
    EXPECT_EQ(fake.count("set-level 0"), 0) << "a failed read is not a level of 0";
    EXPECT_EQ(fake.count("set-level 50"), 0);
    EXPECT_EQ(fake.level, 40000u);
}

// ---------------------------------------------------------------- the level survives

TEST_F(AppTest, TheLevelToGiveBackWaitsInTheRegistryUntilItIsWrittenBack) {
    App& a = start({{"Hide Method Scr", "1"}, {"Mute Sound", "1"}});
    std::vector<std::optional<std::string>> storedAtWrite;
    fake.onSetLevel = [&] { storedAtWrite.push_back(storedLevel()); };
    a.hidem();
    EXPECT_EQ(storedAtWrite, std::vector<std::optional<std::string>>{"40000"})
        << "stored before the speakers are lowered";
    a.setSavedLevel(20000);  // the volume dialog's choice
    EXPECT_EQ(a.lvl(), 20000);
    EXPECT_EQ(storedLevel(), "20000");
    fake.mixerWrites = false;
    a.coverDoubleClick();
    EXPECT_EQ(storedLevel(), "20000") << "not written back: kept for the next start";
    fake.mixerWrites = true;
    a.recoverLevel();
    EXPECT_EQ(fake.level, 20000u);
    EXPECT_EQ(storedLevel(), std::nullopt);

    fake.mixerWrites = false;  // lowering fails: nothing to give back later
    a.hidem();
    EXPECT_EQ(storedLevel(), std::nullopt);
}

TEST_F(AppTest, StartUpGivesBackALevelLeftByARunThatDied) {
    App& a = start({});
    registry.putString(kGeneral, "Restore Level", "65535");
    fake.level = 50;
    a.recoverLevel();
    EXPECT_EQ(fake.level, 65535u);
    EXPECT_EQ(storedLevel(), std::nullopt);
    a.recoverLevel();
    EXPECT_EQ(fake.count("set-level 65535"), 1) << "once";

    for (const char* foreign : {"65536", "12x"}) {
        registry.putString(kGeneral, "Restore Level", foreign);
        a.recoverLevel();
        EXPECT_EQ(storedLevel(), std::nullopt);
        EXPECT_EQ(fake.level, 65535u) << "not a level this program wrote: " << foreign;
    }
}

TEST_F(AppTest, EndingGivesBackALevelAMinimizeOnlyHideLoweredAndWritesNothingElse) {
    App& minimizeOnly = start({{"Hide Method Min", "1"}, {"Mute Sound", "1"}});
    minimizeOnly.hidem();
    EXPECT_EQ(fake.level, 50u);
    minimizeOnly.end();
    EXPECT_EQ(fake.level, 40000u);

    App& idle = start({{"Hide Method Scr", "1"}, {"Mute Sound", "1"}});
    idle.end();
    EXPECT_THAT(fake.log, ElementsAre()) << "nothing hidden, nothing written";
}

// ---------------------------------------------------------------- restoring

TEST_F(AppTest, DoubleClickWithoutPasswordGivesTheLevelBackOnlyWhenMuting) {
    App& quiet = start({{"Hide Method Scr", "1"}});
    quiet.hidem();
    quiet.coverDoubleClick();
    EXPECT_EQ(fake.count("hide-cover"), 1);
    EXPECT_EQ(fake.count("set-level 40000"), 0);
    EXPECT_TRUE(quiet.enabld());
    EXPECT_EQ(fake.log.back(), "start-monitor");

    App& muted = start({{"Hide Method Scr", "1"}, {"Mute Sound", "1"}});
    muted.hidem();
    fake.level = 7;  // changed behind our back while hidden
    muted.coverDoubleClick();
    EXPECT_EQ(fake.level, 40000u);
}

TEST_F(AppTest, PasswordAcceptedRestoresWritesTheLevelBackAndClearsTheButtons) {
    App& a = startWithPassword("Secret", {{"Hide Method Scr", "1"}});
    a.hidem();
    a.onSystemMouseLeftDown();
    fake.level = 7;
    fake.answers = {PromptAnswer{"Secret"}};
    a.coverDoubleClick();
    EXPECT_EQ(fake.level, 40000u) << "written back even without muting";
    EXPECT_TRUE(a.enabld());
    EXPECT_EQ(fake.log.back(), "start-monitor");
    EXPECT_FALSE(a.ldown());
    EXPECT_FALSE(fake.blocked);
    EXPECT_FALSE(a.covered());
}

TEST_F(AppTest, ARefusedPromptKeepsTheCoverAndTheKeyBlock) {
    App& a = startWithPassword("Secret", {{"Hide Method Scr", "1"}});
    a.hidem();
    fake.log.clear();
    fake.answers = {PromptAnswer{"secret"}, std::nullopt};
    a.coverDoubleClick();
    EXPECT_THAT(fake.log, ElementsAre("not-topmost", "prompt", "message Error: Incorrect password",
                                      "prompt", "topmost"));
    EXPECT_TRUE(fake.blocked) << "Cancel must not open Alt+Tab past the password";
    EXPECT_TRUE(a.covered());
    EXPECT_FALSE(a.enabld());

    fake.answers = {PromptAnswer{}};
    a.coverDoubleClick();
    EXPECT_TRUE(a.covered()) << "an empty answer is refused while a password is stored";
    EXPECT_EQ(fake.count("message Error: Incorrect password"), 1);

    App& open = start({{"Hide Method Scr", "1"}, {"PW Hide Screen Cap", "1"}});
    open.hidem();
    fake.answers = {PromptAnswer{"", false}, std::nullopt};
    open.coverDoubleClick();  // with no password stored, Cancel is accepted
    EXPECT_EQ(fake.count("message Error: Incorrect password"), 1)
        << "a text the code page cannot hold matches nothing, not even no password";
    EXPECT_FALSE(open.covered());
}

TEST_F(AppTest, WhileThePromptIsOpenTheCoverStaysBelowIt) {
    App& a = startWithPassword("pw", {{"Hide Method Scr", "1"}, {"Mouse Wheel", "1"}});
    a.hidem();
    fake.duringPrompt = [&] {
        a.onHotKey(kHotKeyHide);
        a.onSystemMouseWheel();
        a.coverMouseUp(MouseButton::Left);
        a.coverDoubleClick();
    };
    fake.log.clear();
    fake.answers = {std::nullopt};
    a.coverDoubleClick();
    EXPECT_THAT(fake.log, ElementsAre("not-topmost", "prompt", "topmost"));
    EXPECT_EQ(a.state(), AppState::Hidden);
}

TEST_F(AppTest, EndingWhileThePromptIsOpenRestoresNothingAfterwards) {
    App& a = startWithPassword("pw", {{"Hide Method Scr", "1"}, {"Mute Sound", "1"}});
    a.hidem();
    fake.duringPrompt = [&] { a.end(); };
    fake.log.clear();
    fake.answers = {PromptAnswer{"pw"}};
    a.coverDoubleClick();
    EXPECT_THAT(fake.log, ElementsAre("not-topmost", "prompt", "hide-cover", "unblock",
                                      "set-level 40000"));
    EXPECT_EQ(a.state(), AppState::Ending);
    a.onHotKey(kHotKeyHide);
    a.clickEnableItem(0);
    EXPECT_EQ(fake.count("show-cover"), 0) << "nothing runs once ending has begun";
}

TEST_F(AppTest, CoverReleasesAndTheBothButtonsMark) {
    App& a = start({{"Hide Method Scr", "1"}, {"Both Buttons", "1"}});
    a.onSystemMouseLeftDown();
    a.onSystemMouseRightDown();
    fake.log.clear();
    EXPECT_FALSE(a.coverMouseUp(MouseButton::Right)) << "the release ending the press is eaten";
    EXPECT_FALSE(a.bhid());
    EXPECT_TRUE(a.coverMouseUp(MouseButton::Right));
    EXPECT_FALSE(a.coverMouseUp(MouseButton::Left));
    a.coverMinimizeAll();
    EXPECT_THAT(fake.log, ElementsAre("topmost", "topmost", "minimize"));
    EXPECT_TRUE(a.covered());
}

TEST_F(AppTest, DisableLeavesDisabledCheckedWhateverWasCheckedAndWhateverThePromptSays) {
    App& a = start({{"Hide Method Scr", "1"}}, false);
    a.onHotKey(kHotKeyHide);  // hides although disabled
    a.coverDisable();
    EXPECT_FALSE(a.covered());
    EXPECT_TRUE(a.disabledMark());
    EXPECT_FALSE(a.enabld());

    App& guarded = startWithPassword("pw", {{"Hide Method Scr", "1"}});
    guarded.hidem();
    fake.answers = {std::nullopt};
    guarded.coverDisable();
    EXPECT_TRUE(guarded.covered());
    EXPECT_TRUE(guarded.disabledMark());
    fake.answers = {PromptAnswer{"pw"}};
    guarded.coverDoubleClick();
    EXPECT_FALSE(guarded.enabld());
}

// ---------------------------------------------------------------- options and capture

TEST_F(AppTest, TheOptionsOpenOnlyAfterThePassword) {
    App& a = startWithPassword("pw", {{"PW Options", "1"}});
    fake.answers = {PromptAnswer{"wrong"}, std::nullopt};
    EXPECT_FALSE(a.requestOptions());
    fake.answers = {PromptAnswer{"pw"}};
    EXPECT_TRUE(a.requestOptions());
    EXPECT_TRUE(a.trayMenuAvailable());
    fake.duringPrompt = [&] { a.end(); };
    fake.answers = {PromptAnswer{"pw"}};
    EXPECT_FALSE(a.requestOptions());
    EXPECT_EQ(a.state(), AppState::Ending);
}

TEST_F(AppTest, OnlyCancelOnTheCaptureQuestionEndsTheCaptureAndOpensTheOptions) {
    App& a = start({});
    a.armCapture(true);
    EXPECT_FALSE(a.requestOptions()) << "OK: the capture goes on";
    EXPECT_TRUE(a.capturing());
    fake.confirmAnswer = false;
    EXPECT_TRUE(a.requestOptions());
    EXPECT_FALSE(a.capturing());
    EXPECT_EQ(fake.log.back(), "disarm");
}

TEST_F(AppTest, F11CapturesOnceWhenArmedAndNeverTheCover) {
    App& a = start({{"Hide Method Scr", "1"}});
    EXPECT_FALSE(a.armCapture(false)) << "Cancel in the colour-depth dialog";
    a.onHotKey(kHotKeyCapture);
    EXPECT_TRUE(a.armCapture(true));
    a.hidem();
    a.onHotKey(kHotKeyCapture);
    EXPECT_EQ(fake.count("capture"), 0);
    a.coverDoubleClick();

    fake.log.clear();
    a.onHotKey(kHotKeyCapture);
    a.onHotKey(kHotKeyCapture);
    EXPECT_THAT(fake.log, ElementsAre("capture", "load-picture", "options-again", "disarm",
                                      "message Screen Capture: Screen captured succesfully."));
    a.armCapture(true);
    fake.captureFailure = "Access is denied.";
    fake.log.clear();
    a.onHotKey(kHotKeyCapture);
    EXPECT_THAT(fake.log, ElementsAre("capture", "options-again", "disarm",
                                      "message Screen Capture: Access is denied."));
}

}  // namespace
}  // namespace veilora
