#include "app/app.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

#include "passwords/password_codec.h"
#include "support/memory_registry.h"

namespace veilora {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// One fake for every port; each call lands in one log, so the order of the steps shows.
class FakePorts : public Desktop, public PointerScout, public Volume, public Dialogs {
public:
    ScreenSize primaryScreenSize() override { return screen; }
    void minimizeAllWindows() override { log.push_back("minimize"); }
    bool blockTaskSwitching() override {
        log.push_back("block");
        return true;
    }
    void unblockTaskSwitching() override { log.push_back("unblock"); }
    void showCover() override { log.push_back("show-cover"); }
    void hideCover() override { log.push_back("hide-cover"); }
    void setCoverTopmost(bool top) override { log.push_back(top ? "topmost" : "not-topmost"); }
    void startMonitor() override { log.push_back("start-monitor"); }
    void stopMonitor() override { log.push_back("stop-monitor"); }
    std::uint32_t getMixerControlValue() override {
        log.push_back("get-level");
        return level;
    }
    bool setMixerControlValue(std::uint32_t value) override {
        log.push_back("set-level " + std::to_string(value));
        level = value;
        return true;
    }
    void showMessage(std::string_view text, std::string_view title, MessageIcon) override {
        log.push_back("message " + std::string(title) + ": " + std::string(text));
    }
    std::optional<std::string> promptPassword() override {
        log.push_back("prompt");
        if (answers.empty()) return std::nullopt;
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }

    int count(const std::string& entry) const {
        return static_cast<int>(std::count(log.begin(), log.end(), entry));
    }

    std::vector<std::string> log;
    ScreenSize screen{1024, 768};
    std::uint32_t level = 40000;
    std::deque<std::optional<std::string>> answers;
};

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
        app = std::make_unique<App>(AppPorts{settings, fake, fake, fake, fake});
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

    static constexpr const char* kOptions = "Software\\Fernwick\\Veilora\\Options";
    static constexpr const char* kGeneral = "Software\\Fernwick\\Veilora\\General";

    test::MemoryRegistry registry;
    RegSettings settings;
    FakePorts fake;
    std::unique_ptr<App> app;
};

// ---------------------------------------------------------------- edge and corner triggers

TEST_F(AppTest, EdgeZonesOnA1024By768Screen) {
    struct Case {
        const char* option;
        int fromInside, firstInZone, lastInZone;
        bool vertical;
    };
    const Case cases[] = {
        {"ScrEdge Right", 1019, 1020, 1023, false},
        {"ScrEdge Left", 5, 4, 0, false},
        {"ScrEdge Bottom", 763, 764, 767, true},
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

TEST_F(AppTest, ZonesUseRealPixelsOnAnyScreenSize) {
    fake.screen = {2560, 1440};
    App& a = start({{"ScrEdge Right", "1"}, {"Hide Method Min", "1"}});
    a.onSystemMouseMove(1020, 400);  // the right edge of a smaller screen is the middle here
    a.onSystemMouseMove(2555, 400);
    EXPECT_EQ(hides(), 0);
    a.onSystemMouseMove(2556, 400);
    EXPECT_EQ(hides(), 1);
}

TEST_F(AppTest, EachCornerMatchesItsOwnCorner) {
    const std::pair<const char*, std::pair<int, int>> corners[] = {
        {"Corner Top Right", {1023, 0}},
        {"Corner Bottom Left", {0, 767}},
        {"Corner Bottom Right", {1023, 767}},
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
}

TEST_F(AppTest, OverlappingZonesHideOncePerMatchingZone) {
    App& a = start({{"ScrEdge Left", "1"},
                    {"ScrEdge Top", "1"},
                    {"Corner Top Left", "1"},
                    {"Hide Method Min", "1"}});
    a.onSystemMouseMove(0, 0);
    EXPECT_EQ(hides(), 3);
    EXPECT_EQ(fake.count("minimize"), 3);
}

TEST_F(AppTest, GreyCheckBoxesArmNothing) {
    App& a = start({{"ScrEdge Left", "2"},
                    {"Mouse Wheel", "2"},
                    {"Middle Button", "2"},
                    {"Both Buttons", "2"},
                    {"Hide Method Min", "1"}});
    a.onSystemMouseMove(0, 300);
    a.onSystemMouseWheel();
    a.onSystemMouseMiddleDown();
    a.onSystemMouseLeftDown();
    a.onSystemMouseRightDown();
    EXPECT_EQ(hides(), 0);
}

// ---------------------------------------------------------------- other triggers

TEST_F(AppTest, BothButtonsInEitherOrder) {
    App& a = start({{"Both Buttons", "1"}, {"Hide Method Min", "1"}});
    a.onSystemMouseLeftDown();
    EXPECT_EQ(hides(), 0);
    a.onSystemMouseRightDown();
    EXPECT_EQ(hides(), 1);
    EXPECT_TRUE(a.bhid);
    EXPECT_FALSE(a.ldown);
    EXPECT_TRUE(a.rdown) << "the button that went down last is held again";
    a.onSystemMouseRightUp();
    a.onSystemMouseLeftUp();

    a.bhid = false;
    a.onSystemMouseRightDown();
    a.onSystemMouseLeftDown();
    EXPECT_EQ(hides(), 2);
    EXPECT_TRUE(a.bhid);
}

TEST_F(AppTest, PressingTheOtherButtonAgainCountsAsANewPress) {
    App& a = start({{"Both Buttons", "1"}, {"Hide Method Min", "1"}});
    a.onSystemMouseLeftDown();
    a.onSystemMouseRightDown();
    a.onSystemMouseLeftUp();
    a.onSystemMouseLeftDown();  // right is still held
    EXPECT_EQ(hides(), 2);
}

TEST_F(AppTest, NothingHidesWhileDisabledButTheButtonFlagsFollow) {
    App& a = start({{"ScrEdge Left", "1"},
                    {"Mouse Wheel", "1"},
                    {"Middle Button", "1"},
                    {"Both Buttons", "1"},
                    {"Hide Method Min", "1"}},
                   /*enabled=*/false);
    EXPECT_FALSE(a.enabld);
    a.onSystemMouseMove(0, 300);
    a.onSystemMouseWheel();
    a.onSystemMouseMiddleDown();
    a.onSystemMouseLeftDown();
    EXPECT_TRUE(a.ldown);
    a.onSystemMouseRightDown();
    EXPECT_EQ(hides(), 0);
    EXPECT_TRUE(a.bhid);
}

// ---------------------------------------------------------------- hot keys and marks

TEST_F(AppTest, ToggleKeyTwiceReturnsToWhereItWas) {
    App& a = start({}, true);
    a.onHotKey(kHotKeyToggleEnabled);
    EXPECT_FALSE(a.enabld);
    EXPECT_FALSE(a.enabledMark());
    EXPECT_TRUE(a.disabledMark());
    a.onHotKey(kHotKeyToggleEnabled);
    EXPECT_TRUE(a.enabld);
    EXPECT_TRUE(a.enabledMark());
    EXPECT_FALSE(a.disabledMark());
}

// ---------------------------------------------------------------- hiding

TEST_F(AppTest, HideRunsItsStepsInOrder) {
    App& a = start({{"Hide Method Min", "1"}, {"Hide Method Scr", "1"}, {"Mute Sound", "1"}});
    a.hidem();
    EXPECT_THAT(fake.log, ElementsAre("stop-monitor", "get-level", "minimize", "block",
                                         "show-cover", "set-level 50"));
    EXPECT_EQ(a.lvl, 40000);
    EXPECT_FALSE(a.enabld);
    EXPECT_TRUE(a.covered());
}

TEST_F(AppTest, MinimizeOnlyHideKeepsTheTriggersListening) {
    App& a = start({{"Hide Method Min", "1"}});
    a.hidem();
    EXPECT_THAT(fake.log, ElementsAre("stop-monitor", "get-level", "minimize", "start-monitor"));
    EXPECT_TRUE(a.enabld);
    EXPECT_FALSE(a.covered());
}

TEST_F(AppTest, HidingAgainWhileCoveredKeepsTheSavedLevelAndOneHook) {
    App& a = start({{"Hide Method Scr", "1"}, {"Mute Sound", "1"}});
    a.hidem();
    a.onHotKey(kHotKeyHide);
    EXPECT_EQ(a.lvl, 40000) << "the lowered level must not replace the user's";
    EXPECT_EQ(fake.count("block"), 1);
    EXPECT_EQ(fake.count("get-level"), 1);
    a.coverDoubleClick();
    EXPECT_EQ(fake.level, 40000u);
    EXPECT_EQ(fake.count("unblock"), 1);
}

// ---------------------------------------------------------------- restoring

TEST_F(AppTest, DoubleClickWithoutPasswordRestores) {
    App& a = start({{"Hide Method Scr", "1"}});
    a.hidem();
    fake.log.clear();
    a.coverDoubleClick();
    EXPECT_THAT(fake.log, ElementsAre("hide-cover", "start-monitor", "unblock"));
    EXPECT_TRUE(a.enabld);
    EXPECT_FALSE(a.covered());
}

TEST_F(AppTest, DoubleClickGivesBackTheLevelOnlyWhenMuting) {
    App& a = start({{"Hide Method Scr", "1"}, {"Mute Sound", "1"}});
    a.hidem();
    fake.log.clear();
    a.coverDoubleClick();
    EXPECT_THAT(fake.log,
                ElementsAre("hide-cover", "set-level 40000", "start-monitor", "unblock"));
}

TEST_F(AppTest, RestoreAfterTheHideKeyWhileDisabledLeavesTriggersOff) {
    App& a = start({{"Hide Method Scr", "1"}, {"ScrEdge Left", "1"}}, false);
    a.onHotKey(kHotKeyHide);
    a.coverDoubleClick();
    EXPECT_FALSE(a.enabld);
    EXPECT_TRUE(a.disabledMark());
    fake.log.clear();
    a.onSystemMouseMove(0, 300);
    EXPECT_EQ(hides(), 0);
}

TEST_F(AppTest, PasswordAcceptedRestoresAndWritesTheLevelBack) {
    App& a = startWithPassword("Secret", {{"Hide Method Scr", "1"}});
    a.hidem();
    a.ldown = a.rdown = true;
    fake.level = 7;  // changed behind our back while hidden
    fake.log.clear();
    fake.answers = {std::string("Secret")};
    a.coverDoubleClick();
    EXPECT_THAT(fake.log, ElementsAre("not-topmost", "prompt", "set-level 40000",
                                         "start-monitor", "hide-cover", "unblock"));
    EXPECT_TRUE(a.enabld);
    EXPECT_FALSE(a.ldown);
    EXPECT_FALSE(a.rdown);
}

TEST_F(AppTest, WrongPasswordIsReportedAndAskedAgainThenCancelKeepsTheCover) {
    App& a = startWithPassword("Secret", {{"Hide Method Scr", "1"}});
    a.hidem();
    fake.log.clear();
    fake.answers = {std::string("secret"), std::nullopt};
    a.coverDoubleClick();
    EXPECT_THAT(fake.log, ElementsAre("not-topmost", "prompt", "message Error: Incorrect password",
                                         "prompt", "topmost", "unblock"));
    EXPECT_TRUE(a.covered());
    EXPECT_FALSE(a.enabld);
}

TEST_F(AppTest, AnEmptyAnswerOpensOnlyWhenNoPasswordIsStored) {
    App& guarded = startWithPassword("x", {{"Hide Method Scr", "1"}});
    guarded.hidem();
    fake.answers = {std::string()};
    guarded.coverDoubleClick();
    EXPECT_TRUE(guarded.covered());
    EXPECT_EQ(fake.count("message Error: Incorrect password"), 0);

    App& open = start({{"Hide Method Scr", "1"}, {"PW Hide Screen Cap", "1"}});
    open.hidem();
    open.coverDoubleClick();  // Cancel
    EXPECT_FALSE(open.covered());
}

TEST_F(AppTest, CoverReleasesAndTheBothButtonsMark) {
    App& a = start({{"Hide Method Scr", "1"}, {"Both Buttons", "1"}});
    a.onSystemMouseLeftDown();
    a.onSystemMouseRightDown();
    fake.log.clear();
    EXPECT_FALSE(a.coverMouseUp(MouseButton::Right)) << "the release ending the press is eaten";
    EXPECT_THAT(fake.log, IsEmpty());
    EXPECT_FALSE(a.bhid);
    EXPECT_TRUE(a.coverMouseUp(MouseButton::Right));
    EXPECT_FALSE(a.coverMouseUp(MouseButton::Left));
    EXPECT_THAT(fake.log, ElementsAre("topmost", "topmost"));
}

TEST_F(AppTest, DisableFromTheCoverRestoresAndLeavesTriggersOff) {
    App& a = start({{"Hide Method Scr", "1"}});
    a.hidem();
    a.coverDisable();
    EXPECT_FALSE(a.covered());
    EXPECT_FALSE(a.enabld);
    EXPECT_TRUE(a.disabledMark());
}

TEST_F(AppTest, EndingWhileHiddenGivesEverythingBack) {
    App& a = start({{"Hide Method Scr", "1"}, {"Mute Sound", "1"}});
    a.hidem();
    fake.log.clear();
    a.onShutdown();
    EXPECT_THAT(fake.log, ElementsAre("set-level 40000", "unblock", "hide-cover"));
}

}  // namespace
}  // namespace veilora
