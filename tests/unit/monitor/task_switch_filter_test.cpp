#include "monitor/task_switch_filter.h"

#include <gtest/gtest.h>

namespace veilora {
namespace {

constexpr std::uint32_t kDown = 0x100, kUp = 0x101, kSysDown = 0x104, kSysUp = 0x105;
constexpr std::uint32_t kTab = 0x09, kEsc = 0x1B, kLAlt = 0xA4, kLWin = 0x5B, kF4 = 0x73,
                        kA = 0x41;
constexpr std::uint32_t kAltFlag = 0x20;
constexpr ModifierState kNone{}, kAlt{.alt = true}, kCtrl{.ctrl = true};

KeyEvent key(std::uint32_t message, std::uint32_t vk, std::uint32_t flags = 0) {
    return {message, vk, flags};
}

TEST(TaskSwitchFilter, TheThreeCombinationsAreSwallowedPressAndRelease) {
    TaskSwitchFilter filter;
    // Windows: the Alt flag on the record. Wine: no flag, but a system-key message.
    EXPECT_TRUE(filter.swallow(key(kDown, kTab, kAltFlag), kNone));
    EXPECT_TRUE(filter.swallow(key(kUp, kTab, kAltFlag), kNone));
    EXPECT_TRUE(filter.swallow(key(kSysDown, kTab), kNone));
    EXPECT_TRUE(filter.swallow(key(kSysUp, kTab), kNone));
    EXPECT_TRUE(filter.swallow(key(kDown, kTab), kAlt)) << "Alt held since before the hook";
    EXPECT_TRUE(filter.swallow(key(kUp, kTab), kNone));
    EXPECT_TRUE(filter.swallow(key(kDown, kEsc), kAlt));
    EXPECT_TRUE(filter.swallow(key(kUp, kEsc), kNone));
    EXPECT_TRUE(filter.swallow(key(kDown, kEsc), kCtrl));
    EXPECT_TRUE(filter.swallow(key(kUp, kEsc), kNone));
}

TEST(TaskSwitchFilter, EverythingElsePasses) {
    TaskSwitchFilter filter;
    EXPECT_FALSE(filter.swallow(key(kDown, kTab), kCtrl)) << "Ctrl+Tab passes";
    EXPECT_FALSE(filter.swallow(key(kDown, kTab), kNone));
    EXPECT_FALSE(filter.swallow(key(kDown, kEsc), kNone)) << "Esc alone reaches the prompt";
    // Alt went down and its release was lost on the way: the physical state rules.
    EXPECT_FALSE(filter.swallow(key(kDown, kLAlt), kAlt));
    EXPECT_FALSE(filter.swallow(key(kDown, kTab), kNone));
    EXPECT_FALSE(filter.swallow(key(kDown, kLWin), kAlt));
    EXPECT_FALSE(filter.swallow(key(kDown, kA), kCtrl));
    EXPECT_FALSE(filter.swallow(key(kSysDown, kF4, kAltFlag), kAlt)) << "Alt+F4 passes";
    EXPECT_FALSE(filter.swallow(key(kSysDown, kLAlt, kAltFlag), kNone));
    EXPECT_FALSE(filter.swallow(key(0x200, kTab, kAltFlag), kAlt)) << "not a key event";
}

TEST(TaskSwitchFilter, AReleaseGoesTheWayItsPressWent) {
    TaskSwitchFilter filter;
    // Tab pressed alone, then Alt: releasing Tab must reach the system, or Tab stays held.
    EXPECT_FALSE(filter.swallow(key(kDown, kTab), kNone));
    EXPECT_FALSE(filter.swallow(key(kSysUp, kTab, kAltFlag), kAlt));
    // Alt+Esc released after Alt: the lone Esc release stays with its swallowed press.
    EXPECT_TRUE(filter.swallow(key(kDown, kEsc), kAlt));
    EXPECT_TRUE(filter.swallow(key(kUp, kEsc), kNone));
    // A release whose press came before the hook passes.
    EXPECT_FALSE(filter.swallow(key(kUp, kEsc), kAlt));
    // Tab held alone, then Ctrl+Esc: each release follows its own press.
    EXPECT_FALSE(filter.swallow(key(kDown, kTab), kNone));
    EXPECT_TRUE(filter.swallow(key(kDown, kEsc), kCtrl));
    EXPECT_FALSE(filter.swallow(key(kUp, kTab), kCtrl));
}

}  // namespace
}  // namespace veilora
