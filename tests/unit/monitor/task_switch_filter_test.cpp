#include "monitor/task_switch_filter.h"

#include <gtest/gtest.h>

namespace veilora {
namespace {

constexpr std::uint32_t kDown = 0x100, kUp = 0x101, kSysDown = 0x104, kSysUp = 0x105;
constexpr std::uint32_t kTab = 0x09, kEsc = 0x1B, kLAlt = 0xA4, kLCtrl = 0xA2, kLWin = 0x5B,
                        kF4 = 0x73, kA = 0x41;
constexpr std::uint32_t kAltFlag = 0x20;

KeyEvent key(std::uint32_t message, std::uint32_t vk, std::uint32_t flags = 0) {
    return {message, vk, flags};
}

TEST(TaskSwitchFilter, AltTabIsSwallowedWhetherOrNotTheAltFlagIsSet) {
    {
        // As Windows reports it: the flag on every key while Alt is down.
        TaskSwitchFilter filter;
        EXPECT_FALSE(filter.swallow(key(kSysDown, kLAlt, kAltFlag), {}));
        EXPECT_TRUE(filter.swallow(key(kSysDown, kTab, kAltFlag), {}));
        EXPECT_TRUE(filter.swallow(key(kSysUp, kTab, kAltFlag), {}));
        EXPECT_FALSE(filter.swallow(key(kUp, kLAlt), {}));
    }
    {
        // As Wine reports it: never the flag, key-down messages for Alt itself.
        TaskSwitchFilter filter;
        EXPECT_FALSE(filter.swallow(key(kDown, kLAlt), {}));
        EXPECT_TRUE(filter.swallow(key(kDown, kTab), {}));
        EXPECT_TRUE(filter.swallow(key(kUp, kTab), {}));
        EXPECT_FALSE(filter.swallow(key(kUp, kLAlt), {}));
        EXPECT_FALSE(filter.swallow(key(kDown, kTab), {})) << "Alt is up again";
    }
}

TEST(TaskSwitchFilter, ModifiersHeldBeforeTheHookCount) {
    TaskSwitchFilter filter;
    EXPECT_TRUE(filter.swallow(key(kDown, kTab), {.alt = true}));
    EXPECT_TRUE(filter.swallow(key(kDown, kEsc), {.alt = true}));
    EXPECT_TRUE(filter.swallow(key(kDown, kEsc), {.ctrl = true}));
    EXPECT_FALSE(filter.swallow(key(kDown, kTab), {.ctrl = true})) << "Ctrl+Tab passes";
    // A system-key message for Tab is only sent while Alt is down.
    EXPECT_TRUE(filter.swallow(key(kSysDown, kTab), {}));
}

TEST(TaskSwitchFilter, AltEscAndCtrlEscPressAndRelease) {
    TaskSwitchFilter filter;
    filter.swallow(key(kDown, kLAlt), {});
    EXPECT_TRUE(filter.swallow(key(kDown, kEsc), {}));
    EXPECT_TRUE(filter.swallow(key(kUp, kEsc), {}));
    filter.swallow(key(kUp, kLAlt), {});

    filter.swallow(key(kDown, kLCtrl), {});
    EXPECT_TRUE(filter.swallow(key(kDown, kEsc), {}));
    EXPECT_TRUE(filter.swallow(key(kUp, kEsc), {}));
    filter.swallow(key(kUp, kLCtrl), {});
    EXPECT_FALSE(filter.swallow(key(kDown, kEsc), {}));
}

TEST(TaskSwitchFilter, EverythingElsePasses) {
    TaskSwitchFilter filter;
    EXPECT_FALSE(filter.swallow(key(kDown, kTab), {}));
    EXPECT_FALSE(filter.swallow(key(kDown, kEsc), {}));
    EXPECT_FALSE(filter.swallow(key(kDown, kLWin), {}));
    EXPECT_FALSE(filter.swallow(key(kDown, kA), {}));
    filter.swallow(key(kDown, kLAlt), {});
    EXPECT_FALSE(filter.swallow(key(kSysDown, kF4, kAltFlag), {})) << "Alt+F4 passes";
    filter.swallow(key(kUp, kLAlt), {});
    // Other messages are not key events at all.
    EXPECT_FALSE(filter.swallow(key(0x200, kTab, kAltFlag), {}));
}

}  // namespace
}  // namespace veilora
