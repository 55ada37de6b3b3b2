#include "monitor/task_switch_filter.h"

#include <gtest/gtest.h>

namespace veilora {
namespace {

constexpr std::uint32_t kDown = 0x100, kUp = 0x101, kSysDown = 0x104, kSysUp = 0x105;
constexpr std::uint32_t kTab = 0x09, kEsc = 0x1B, kF4 = 0x73, kAltFlag = 0x20;
constexpr std::uint32_t kLWin = 0x5B, kRWin = 0x5C, kD = 0x44, kM = 0x4D, kShift = 0xA0;
constexpr ModifierState kNone{}, kAlt{.alt = true}, kCtrl{.ctrl = true}, kWin{.win = true},
    kCtrlAlt{.alt = true, .ctrl = true};
constexpr std::uint64_t kOurs = kInjectedByVeilora;

struct Step {
    std::uint32_t message, vk, flags;
    ModifierState held;
    bool swallowed;
    std::uint64_t extraInfo = 0;
};

// One filter sees the whole script: each key event, the modifiers held by then, and whether
// it is swallowed.
TEST(TaskSwitchFilter, TaskSwitchAndWindowsKeysAreSwallowedAndEachReleaseGoesTheWayItsPressWent) {
    const Step script[] = {
        // Windows: the Alt flag on the record. Wine: no flag, but a system-key message.
        {kDown, kTab, kAltFlag, kNone, true}, {kUp, kTab, kAltFlag, kNone, true},
        {kSysDown, kTab, 0, kNone, true}, {kSysUp, kTab, 0, kNone, true},
        {kDown, kTab, 0, kAlt, true}, {kUp, kTab, 0, kNone, true},  // Alt held before the hook
        {kDown, kEsc, 0, kAlt, true}, {kUp, kEsc, 0, kNone, true},
        {kDown, kEsc, 0, kCtrl, true}, {kUp, kEsc, 0, kNone, true},  // also Ctrl+Shift+Esc
        {kDown, kEsc, kAltFlag, kNone, true}, {kUp, kEsc, 0, kNone, true},
        {kDown, kTab, kAltFlag, kCtrlAlt, true}, {kUp, kTab, 0, kNone, true},
        // Ctrl+Tab, Tab alone, Esc alone (it reaches the prompt), Alt+F4 and other messages pass.
        {kDown, kTab, 0, kCtrl, false}, {kDown, kTab, 0, kNone, false},
        {kDown, kEsc, 0, kNone, false}, {kSysDown, kF4, kAltFlag, kAlt, false},
        {0x200, kTab, kAltFlag, kAlt, false},
        // Tab pressed alone, then Alt: releasing Tab must reach the system, or Tab stays held.
        {kDown, kTab, 0, kNone, false}, {kSysUp, kTab, kAltFlag, kAlt, false},
        // Alt+Esc released after Alt; then a release whose press came before the hook.
        {kDown, kEsc, 0, kAlt, true}, {kUp, kEsc, 0, kNone, true}, {kUp, kEsc, 0, kAlt, false},
        // Tab held alone, then Ctrl+Esc: each release follows its own press.
        {kDown, kTab, 0, kNone, false}, {kDown, kEsc, 0, kCtrl, true}, {kUp, kTab, 0, kCtrl, false},
        // Either Windows key alone, and with any key: the system never sees the Windows key
        // held, so the filter remembers it; the other key's release follows its press even
        // after the Windows key went up.
        {kDown, kLWin, 0, kNone, true}, {kUp, kLWin, 0, kNone, true},
        {kDown, kRWin, 0, kNone, true}, {kDown, kTab, 0, kNone, true},
        {kDown, kD, 0, kNone, true}, {kUp, kRWin, 0, kNone, true}, {kUp, kD, 0, kNone, true},
        {kUp, kTab, 0, kNone, true}, {kDown, kM, 0, kNone, false}, {kUp, kM, 0, kNone, false},
        // A Windows key held since before the hook: its combinations are swallowed, its own
        // release passes.
        {kDown, kM, 0, kWin, true}, {kUp, kM, 0, kNone, true}, {kUp, kLWin, 0, kNone, false},
        // A key held before the Windows key was pressed is released to the system.
        {kDown, kShift, 0, kNone, false}, {kDown, kLWin, 0, kNone, true},
        {kUp, kShift, 0, kNone, false}, {kUp, kLWin, 0, kNone, true},
        // The program's own Windows+M passes, whatever is held.
        {kDown, kLWin, 0, kNone, false, kOurs}, {kDown, kM, 0, kWin, false, kOurs},
        {kUp, kM, 0, kWin, false, kOurs}, {kUp, kLWin, 0, kNone, false, kOurs},
        {kDown, kEsc, 0, kCtrl, false, kOurs},
    };
    TaskSwitchFilter filter;
    for (std::size_t i = 0; i < std::size(script); ++i) {
        const Step& s = script[i];
        EXPECT_EQ(filter.swallow({s.message, s.vk, s.flags, s.extraInfo}, s.held), s.swallowed)
            << "step " << i;
    }
}

}  // namespace
}  // namespace veilora
