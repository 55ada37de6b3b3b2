#include "app/app.h"

#include <gtest/gtest.h>

#include <tuple>

#include "support/app_fixture.h"

namespace veilora {
namespace {

using test::AppTest;
using Values = std::vector<std::pair<std::string, std::string>>;

// ---------------------------------------------------------------- triggers

TEST_F(AppTest, EachZoneBeginsAtItsBorder) {
    // The box, a point just outside its zone and one just inside.
    const std::tuple<const char*, int, int, int, int> cases[] = {
        {"ScrEdge Right", 1275, 400, 1276, 400},  {"ScrEdge Left", 5, 400, 4, 400},
        {"ScrEdge Bottom", 500, 1019, 500, 1020}, {"ScrEdge Top", 500, 5, 500, 4},
        {"Corner Top Left", 1279, 0, 4, 4},       {"Corner Top Right", 0, 0, 1276, 4},
        {"Corner Bottom Left", 0, 0, 4, 1020},    {"Corner Bottom Right", 1279, 0, 1276, 1020},
    };
    for (const auto& [option, outsideX, outsideY, insideX, insideY] : cases) {
        App& a = start({{option, "1"}, {"Hide Method Min", "1"}});
        a.onSystemMouseMove(outsideX, outsideY);
        EXPECT_EQ(hides(), 0) << option;
        a.onSystemMouseMove(insideX, insideY);
        EXPECT_EQ(hides(), 1) << option;
    }
}

// A both-buttons press is marked even when nothing hides: its right release must not open the
// cover's menu.
TEST_F(AppTest, EachTriggerHidesByItsOwnBoxOnlyWhileEnabledAndCheckedNotGrey) {
    for (const char* box : {"Mouse Wheel", "Middle Button"}) {
        start({{box, "1"}, {"Hide Method Min", "1"}});
        play("WM");
        EXPECT_EQ(hides(), 1) << box;
    }
    for (const bool grey : {false, true}) {
        const char* box = grey ? "2" : "1";
        App& a = start({{"ScrEdge Left", box}, {"Mouse Wheel", box}, {"Middle Button", box},
                        {"Both Buttons", box}, {"Hide Method Min", "1"}}, /*enabled=*/grey);
        a.onSystemMouseMove(0, 300);
        play("WMLR");
        EXPECT_EQ(hides(), 0);
        EXPECT_TRUE(a.bhid());
    }
}

TEST_F(AppTest, BothButtonsInEitherOrderAndAgainWhileOneStaysDownButNotAfterALostRelease) {
    App& a = start({{"Both Buttons", "1"}, {"Hide Method Min", "1"}});
    play("LR");
    EXPECT_FALSE(a.ldown());
    play("LrlRL");  // left again while right is held; then both anew, right first
    EXPECT_EQ(hides(), 3);

    for (const bool rightLost : {true, false}) {
        App& b = start({{"Both Buttons", "1"}, {"Hide Method Min", "1"}});
        fake.leftHeld = rightLost;  // only the button pressed second is down
        fake.rightHeld = !rightLost;
        play(rightLost ? "RL" : "LR");
        EXPECT_EQ(hides(), 0);
        EXPECT_FALSE(rightLost ? b.rdown() : b.ldown());
        EXPECT_FALSE(b.bhid()) << "the next right click on the cover still opens its menu";
    }
}

TEST_F(AppTest, MenuItemsAndToggleKeyMoveTheMarksButNeverArmTriggersUnderTheCover) {
    App& a = start({{"Hide Method Scr", "1"}, {"Mouse Wheel", "1"}});
    a.clickEnableItem(1);
    EXPECT_TRUE(a.disabledMark());
    play("T");
    EXPECT_TRUE(a.enabld());
    play("T");
    EXPECT_FALSE(a.enabld());
    a.clickEnableItem(0);
    play("HW");
    EXPECT_EQ(hides(), 1) << "covered: the triggers stay off";
}

// ---------------------------------------------------------------- hiding and the level

// Without muting, neither a hide nor a plain double-click nor the end touches the level.
TEST_F(AppTest, AMinimizeOnlyHideKeepsTheTriggersListeningAndTheDoubleClickRestoresWithoutLevel) {
    App& a = start({{"Hide Method Min", "1"}});
    EXPECT_EQ(steps("H"), "stop-monitor, minimize, start-monitor");
    fake.level = 30000;
    fake.mixer = false;
    play("H");
    fake.mixer = true;
    play("H");
    EXPECT_EQ(a.lvl(), 30000) << "nothing lasting changed: the next hide reads the level afresh";
    start({{"Hide Method Min", "1"}, {"Mute Sound", "1"}});
    EXPECT_EQ(steps("H"), "stop-monitor, minimize, set-level 50, start-monitor");

    start({{"Hide Method Scr", "1"}});
    EXPECT_EQ(steps("HD"), "stop-monitor, block, show-cover, hide-cover, unblock, start-monitor");
    play("H");
    app->setSavedLevel(20000);  // the volume dialog's choice, kept only for a restore
    fake.log.clear();
    app->end();
    EXPECT_EQ(fake.took(), "hide-cover, unblock");
    EXPECT_EQ(storedLevel(), std::nullopt) << "nothing to give back at the next start";
}

TEST_F(AppTest, ACoverThatCannotShowLeavesNothingAndHidingAgainKeepsTheSavedLevelAndOneBlock) {
    start({{"Hide Method Scr", "1"}, {"Hide Method Min", "1"}, {"Mute Sound", "1"}});
    fake.coverShows = false;
    EXPECT_EQ(steps("H"), "stop-monitor, minimize, block, show-cover, unblock, start-monitor")
        << "no key block without a cover to double-click, nothing lowered, the triggers on";
    fake.coverShows = true;
    EXPECT_EQ(steps("H"), "stop-monitor, minimize, block, show-cover, set-level 50");
    EXPECT_EQ(steps("H"), "stop-monitor, minimize, show-cover, set-level 50") << "raised again";
    EXPECT_EQ(steps("D"), "hide-cover, unblock, set-level 40000, start-monitor");

    // The next hide is a new one: its own block, level and stored level.
    fake.level = 30000;
    EXPECT_EQ(steps("H"), "stop-monitor, minimize, block, show-cover, set-level 50");
    EXPECT_EQ(storedLevel(), "30000");
}

TEST_F(AppTest, TheLevelToGiveBackWaitsInTheRegistryUntilItIsWrittenBack) {
    App& a = start({{"Hide Method Scr", "1"}, {"Mute Sound", "1"}});
    std::optional<std::string> storedAtWrite;
    fake.onSetLevel = [&] { storedAtWrite = storedLevel(); };
    play("H");
    EXPECT_EQ(storedAtWrite, "40000") << "stored before the speakers are lowered";
    fake.onSetLevel = nullptr;
    a.setSavedLevel(20000);  // the volume dialog's choice
    EXPECT_EQ(a.lvl(), 20000);
    fake.mixerWrites = false;
    play("H");
    EXPECT_EQ(storedLevel(), "20000") << "a second lowering that fails keeps it";
    play("D");
    EXPECT_EQ(storedLevel(), "20000") << "not written back: kept for the next start";
    // The speakers still hold the lowered level: the next hide takes the waiting level as the
    // user's, and a lowering that fails does not throw it away.
    play("H");
    EXPECT_EQ(a.lvl(), 20000);
    EXPECT_EQ(storedLevel(), "20000");
    fake.mixerWrites = true;
    play("D");
    EXPECT_EQ(fake.level, 20000u);
    EXPECT_EQ(storedLevel(), std::nullopt);
    fake.mixer = false;  // a level that could not be read is neither lowered nor given back
    fake.log.clear();
    play("H");
    fake.mixer = true;
    EXPECT_EQ(steps("D"), "stop-monitor, block, show-cover, hide-cover, unblock, start-monitor");
    // A lowering that fails stores nothing, and with muting on the double-click still writes
    // the level; a store that refuses the level does not make a second hide read the lowered one.
    fake.mixerWrites = false;
    EXPECT_EQ(steps("H"), "stop-monitor, block, show-cover, set-level 50");
    EXPECT_EQ(storedLevel(), std::nullopt);
    fake.mixerWrites = true;
    EXPECT_EQ(steps("D"), "hide-cover, unblock, set-level 20000, start-monitor");
    registry.writeFails = RegistryRoot::CurrentUser;
    play("HHD");
    EXPECT_EQ(fake.level, 20000u);
}

// Only the tray menu can give it back: the hide key must stay a hide, however often pressed.
TEST_F(AppTest, AHideWithoutACoverHoldsTheSoundUntilTheTrayGivesItBack) {
    App& a = start({{"Hide Method Min", "1"}, {"Mute Sound", "1"}});
    play("HH");
    EXPECT_TRUE(a.soundHeldLowered());
    fake.log.clear();
    a.giveSoundBack();
    EXPECT_EQ(fake.took(), "set-level 40000");
    EXPECT_FALSE(a.soundHeldLowered());
    EXPECT_EQ(storedLevel(), std::nullopt);
    fake.level = 30000;  // the user's own later level
    play("H");
    EXPECT_EQ(a.lvl(), 30000);

    App& covered = start({{"Hide Method Scr", "1"}, {"Mute Sound", "1"}});
    play("H");
    EXPECT_FALSE(covered.soundHeldLowered()) << "the cover's double-click gives it back";
}

TEST_F(AppTest, StartUpGivesBackALevelLeftByARunThatDied) {
    App& a = start({});
    registry.putString(kGeneral, "Restore Level", "65535");
    a.recoverLevel();
    a.recoverLevel();
    EXPECT_EQ(fake.took(), "set-level 65535") << "once";
    for (const char* foreign : {"65536", "12x"}) {
        registry.putString(kGeneral, "Restore Level", foreign);
        a.recoverLevel();
        EXPECT_EQ(storedLevel(), std::nullopt);
        EXPECT_EQ(fake.took(), "") << "not a level this program wrote: " << foreign;
    }
}

// ---------------------------------------------------------------- restoring

TEST_F(AppTest, OnlyThePasswordRestoresAndItWritesTheLevelBackAndClearsTheButtons) {
    App& a = startWithPassword("Secret", {{"Hide Method Scr", "1"}});
    play("HL");
    fake.log.clear();
    fake.answers = {PromptAnswer{"secret"}, std::nullopt, PromptAnswer{}};
    play("DD");  // an empty answer is refused while a password is stored
    EXPECT_EQ(fake.took(), "not-topmost, prompt, exclamation Error: Incorrect password, prompt, "
                           "topmost, not-topmost, prompt, topmost");
    fake.level = 7;
    fake.answers = {PromptAnswer{"Secret"}};
    play("D");
    EXPECT_EQ(fake.level, 40000u) << "written back even without muting";
    EXPECT_FALSE(a.ldown());

    App& open = start({{"Hide Method Scr", "1"}, {"PW Hide Screen Cap", "1"}});
    play("H");
    fake.answers = {PromptAnswer{"", false}, std::nullopt};
    play("D");  // with no password stored, Cancel is accepted
    EXPECT_EQ(fake.count("exclamation Error: Incorrect password"), 1)
        << "a text the code page cannot hold matches nothing, not even no password";
    EXPECT_FALSE(open.covered());
}

TEST_F(AppTest, WhileThePromptIsOpenTheCoverStaysBelowItAndEndingRestoresNothingAfterwards) {
    App& a = startWithPassword("pw", {{"Hide Method Scr", "1"}, {"Mouse Wheel", "1"},
                                      {"Mute Sound", "1"}});
    play("H");
    fake.duringPrompt = [&] {
        play("HW");
        a.coverMouseUp(MouseButton::Left);
    };
    fake.log.clear();
    EXPECT_EQ(steps("D"), "not-topmost, prompt, topmost");
    fake.duringPrompt = [&] { a.end(); };
    fake.answers = {PromptAnswer{"pw"}};
    EXPECT_EQ(steps("DH"), "not-topmost, prompt, hide-cover, unblock, set-level 40000");
}

// The cover's menu opens on a right release, except the one ending a both-buttons press.
// Disable leaves "Disabled" checked whatever was checked and whatever the prompt says.
TEST_F(AppTest, TheCoversReleasesMinimizeAllAndDisable) {
    App& c = start({{"Hide Method Scr", "1"}, {"Both Buttons", "1"}});
    play("LR");
    EXPECT_FALSE(c.coverMouseUp(MouseButton::Right));
    fake.log.clear();
    EXPECT_TRUE(c.coverMouseUp(MouseButton::Right));
    c.coverMenuClosed();
    c.coverMinimizeAll();
    EXPECT_EQ(fake.took(), "topmost, minimize, topmost")
        << "on top again once the menu closes, and after what minimizing let come up";

    App& a = start({{"Hide Method Scr", "1"}}, false);
    play("H");  // hides although disabled
    EXPECT_TRUE(a.covered());
    a.coverDisable();
    EXPECT_TRUE(a.disabledMark());

    App& guarded = startWithPassword("pw", {{"Hide Method Scr", "1"}});
    play("H");
    guarded.coverDisable();  // Cancel
    fake.answers = {PromptAnswer{"pw"}};
    play("D");
    EXPECT_FALSE(guarded.enabld());
}

// The windows the hide minimized come back after the cover, in their old order, the active
// one active again; those restored, closed or minimized by the person stay as they are.
TEST_F(AppTest, TheWindowsTheHideMinimizedComeBackOnlyWhenAskedAndStillMinimized) {
    start({{"Hide Method Scr", "1"}, {"Hide Method Min", "1"}, {"Restore Windows", "1"}});
    fake.shown = {{1, 2, 3, 4}, 3};
    play("H");
    fake.shown = {{}, 0};  // a second hide while covered sees nothing worth keeping
    play("H");
    fake.minimized = {4, 3, 1, 9};  // 2 came back meanwhile, 9 was minimized before the hide
    fake.log.clear();
    EXPECT_EQ(steps("D"), "hide-cover, unblock, bring-back 1 3 4 active 3, start-monitor");
    EXPECT_EQ(steps("HD"), "stop-monitor, minimize, block, show-cover, hide-cover, unblock, "
                           "start-monitor") << "each hide keeps its own windows";

    fake.shown = {{1, 2}, 2};
    fake.minimized = {1};
    EXPECT_EQ(steps("HD"), "stop-monitor, minimize, block, show-cover, hide-cover, unblock, "
                           "bring-back 1 active 0, start-monitor")
        << "2 is back already: it is not the one to activate";

    for (const auto& options : {Values{{"Hide Method Scr", "1"}, {"Hide Method Min", "1"}},
                                Values{{"Hide Method Min", "1"}, {"Restore Windows", "1"}}}) {
        start(options);
        fake.shown = {{1}, 1};
        EXPECT_EQ(steps("HD").find("bring-back"), std::string::npos)
            << "not asked for, or no cover whose removal would restore";
    }
}

// ---------------------------------------------------------------- options and capture

TEST_F(AppTest, TheOptionsOpenOnlyAfterThePasswordAndAHideEndsTheOpenQuestionsAsRefused) {
    App& a = startWithPassword("pw", {{"PW Options", "1"}, {"Hide Method Scr", "1"}});
    fake.answers = {PromptAnswer{"wrong"}, std::nullopt};
    EXPECT_FALSE(a.requestOptions());
    fake.answers = {PromptAnswer{"pw"}};
    EXPECT_TRUE(a.requestOptions());

    // Someone walks up while the user is busy with the program: the hide key covers at once and
    // what was being asked counts as refused, whatever the answer it was about to get.
    fake.duringPrompt = [&] {
        EXPECT_FALSE(a.trayMenuAvailable()) << "no second question inside the first";
        play("H");
    };
    fake.answers = {PromptAnswer{"pw"}};
    EXPECT_FALSE(a.requestOptions());
    EXPECT_TRUE(a.covered());
    EXPECT_EQ(fake.boxesClosed, 1);
    play("H");
    EXPECT_EQ(fake.boxesClosed, 1) << "a hide while covered closes nothing of the cover's";
    fake.duringPrompt = nullptr;
    fake.answers = {PromptAnswer{"pw"}};
    play("D");

    fake.duringMessage = [&] { play("H"); };  // inside "Incorrect password"
    fake.answers = {PromptAnswer{"wrong"}, PromptAnswer{"pw"}};
    EXPECT_FALSE(a.requestOptions());
    EXPECT_EQ(fake.answers.size(), 1u) << "not asked again";
    EXPECT_TRUE(a.covered());
    fake.answers = {PromptAnswer{"pw"}};
    fake.duringMessage = nullptr;
    play("D");

    App& b = start({{"Hide Method Min", "1"}});
    b.armCapture(true);
    fake.duringMessage = [&] { play("H"); };  // inside the capture question
    fake.confirmAnswer = false;
    EXPECT_FALSE(b.requestOptions());
    EXPECT_TRUE(b.capturing()) << "no answer: the capture stays armed";
    EXPECT_EQ(fake.count("disarm"), 0);
    EXPECT_EQ(b.state(), AppState::Idle);
}

TEST_F(AppTest, F11CapturesOnceWhenArmedNeverTheCoverAndOnlyCancelOnTheQuestionDisarmsIt) {
    App& a = start({{"Hide Method Scr", "1"}});
    EXPECT_FALSE(a.armCapture(false)) << "Cancel in the colour-depth dialog";
    play("F");
    EXPECT_TRUE(a.armCapture(true));
    play("HFD");
    EXPECT_EQ(fake.count("capture"), 0);
    fake.log.clear();
    EXPECT_EQ(steps("FF"), "capture, load-picture, options-again, disarm, "
                           "information Screen Capture: Screen captured succesfully.");
    fake.captureFailure = "Access is denied.";
    a.armCapture(true);
    EXPECT_EQ(steps("F"),
              "arm, capture, options-again, disarm, critical Screen Capture: Access is denied.");

    a.armCapture(true);
    EXPECT_FALSE(a.requestOptions()) << "OK on the capture question: the capture goes on";
    fake.confirmAnswer = false;
    EXPECT_TRUE(a.requestOptions());
    EXPECT_EQ(fake.log.back(), "disarm");
    EXPECT_FALSE(a.capturing());
}

}  // namespace
}  // namespace veilora
