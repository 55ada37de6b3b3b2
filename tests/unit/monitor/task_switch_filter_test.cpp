#include "monitor/task_switch_filter.h"

#include <gtest/gtest.h>

namespace veilora {
namespace {

constexpr std::uint32_t kDown = 0x100, kUp = 0x101, kSysDown = 0x104, kSysUp = 0x105;
constexpr std::uint32_t kTab = 0x09, kEsc = 0x1B, kLAlt = 0xA4, kLWin = 0x5B, kF4 = 0x73,
                        kA = 0x41;
constexpr std::uint32_t kAltFlag = 0x20;
constexpr ModifierState kNone{}, kAlt{.alt = true}, kCtrl{.ctrl = true};

// One filter sees the whole script: each key event, the modifiers held, and whether it is eaten.
TEST(TaskSwitchFilter, AltTabAltEscAndCtrlEscAreSwallowedAndEachReleaseGoesTheWayItsPressWent) {
    struct Step {
        std::uint32_t message, vk, flags;
        ModifierState held;
        bool swallowed;
    };
    const Step script[] = {
        // Windows: the Alt flag on the record. Wine: no flag, but a system-key message.
        {kDown, kTab, kAltFlag, kNone, true}, {kUp, kTab, kAltFlag, kNone, true},
        {kSysDown, kTab, 0, kNone, true}, {kSysUp, kTab, 0, kNone, true},
        {kDown, kTab, 0, kAlt, true}, {kUp, kTab, 0, kNone, true},  // Alt held before the hook
        {kDown, kEsc, 0, kAlt, true}, {kUp, kEsc, 0, kNone, true},
        {kDown, kEsc, 0, kCtrl, true}, {kUp, kEsc, 0, kNone, true},
        // Ctrl+Tab, Tab alone, and Esc alone (it reaches the prompt) pass.
        {kDown, kTab, 0, kCtrl, false}, {kDown, kTab, 0, kNone, false},
        {kDown, kEsc, 0, kNone, false},
        // Alt's release was lost on the way: the physical state rules.
        {kDown, kLAlt, 0, kAlt, false}, {kDown, kTab, 0, kNone, false},
        {kDown, kLWin, 0, kAlt, false}, {kDown, kA, 0, kCtrl, false},
        {kSysDown, kF4, kAltFlag, kAlt, false}, {kSysDown, kLAlt, kAltFlag, kNone, false},
        {0x200, kTab, kAltFlag, kAlt, false},  // not a key event
        // Tab pressed alone, then Alt: releasing Tab must reach the system, or Tab stays held.
        {kDown, kTab, 0, kNone, false}, {kSysUp, kTab, kAltFlag, kAlt, false},
        // Alt+Esc released after Alt; then a release whose press came before the hook.
        {kDown, kEsc, 0, kAlt, true}, {kUp, kEsc, 0, kNone, true}, {kUp, kEsc, 0, kAlt, false},
        // Tab held alone, then Ctrl+Esc: each release follows its own press.
        {kDown, kTab, 0, kNone, false}, {kDown, kEsc, 0, kCtrl, true},
        {kUp, kTab, 0, kCtrl, false},
    };
    TaskSwitchFilter filter;
    for (std::size_t i = 0; i < std::size(script); ++i) {
        const Step& s = script[i];
        EXPECT_EQ(filter.swallow({s.message, s.vk, s.flags}, s.held), s.swallowed) << "step " << i;
    }
}

}  // namespace
}  // namespace veilora
