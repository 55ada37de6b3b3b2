#include "settings/options_dialog.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace veilora {
namespace {

using O = Options;
using enum OptionsFocus;

Options on(std::initializer_list<CheckState O::*> boxes, bool passwordStored = false,
             CheckState state = CheckState::Checked) {
    Options options;
    for (auto box : boxes) options.*box = state;
    options.passwordStored = passwordStored;
    return options;
}

// The picture, then the password, then a hiding method: the first failure is the answer
// (its exact text is the end-to-end options test's).
TEST(OptionsOk, TheFirstFailingCheckAnswersWithItsIconAndPointsAtItsControl) {
    using enum MessageIcon;
    constexpr auto scr = &O::hideMethodScr, min = &O::hideMethodMin;
    constexpr auto onOptions = &O::pwOptions, onCover = &O::pwHideScreenCap;
    // The options, whether the picture is there, and the refusal's title, icon and focus.
    const std::tuple<Options, bool, std::string_view, MessageIcon, OptionsFocus> cases[] = {
        {on({scr, onOptions}), false, "Screen Image File Missing", Exclamation, CaptureButton},
        {on({scr, onOptions}), true, "Attention", Exclamation, Unchanged},
        {on({min, onCover}), false, "Attention", Exclamation, Unchanged},
        {on({onOptions}), false, "Attention", Exclamation, Unchanged},
        {on({onCover}, true), false, "Error", None, MinimizeAllWindows},
        // A grey box is saved as "0": nothing would hide, and no picture is wanted.
        {on({min, scr}, false, CheckState::Grayed), false, "Error", None, MinimizeAllWindows},
        {on({min, onCover}, true), false, "", None, Unchanged},
        {on({min, onOptions}, true), false, "", None, Unchanged},
        {on({scr}), true, "", None, Unchanged},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& [options, pictureExists, title, icon, focus] = cases[i];
        const auto refusal = checkOptionsForOk(options, pictureExists);
        EXPECT_EQ(refusal ? refusal->notice.title : "", title) << "case " << i;
        EXPECT_EQ(refusal ? refusal->notice.icon : None, icon) << "case " << i;
        EXPECT_EQ(refusal ? refusal->focus : Unchanged, focus) << "case " << i;
    }
}

// Then the keys: each set, the two apart, each free; the message names the key and the field.
TEST(OptionsOk, HotKeysMustBeSetDifferentAndFree) {
    const auto check = [](HotKeyWord hide, HotKeyWord toggle, HotKeyWord taken = 0) {
        Options options;
        options.hideKey = hide;
        options.toggleKey = toggle;
        std::vector<HotKeyWord> asked;
        const auto refusal = checkHotKeysForOk(options, [&](HotKeyWord key) {
            asked.push_back(key);
            return key != taken;
        });
        return std::tuple(refusal ? refusal->text : "", refusal ? refusal->focus : Unchanged,
                          asked.size());
    };
    EXPECT_EQ(check(192, 581), std::tuple("", Unchanged, 2u));
    EXPECT_EQ(check(0, 581), std::tuple("Please choose a key for \"Hide key\".", HideKey, 0u));
    EXPECT_EQ(check(192, 0x0210),
              std::tuple("Please choose a key for \"Enable/disable key\".", ToggleKey, 0u));
    EXPECT_EQ(check(0x0A25, 0x0225),
              std::tuple("\"Hide key\" and \"Enable/disable key\" must be different keys; both "
                         "are Ctrl+Left.", ToggleKey, 0u));
    EXPECT_EQ(check(0x0648, 581, 0x0648),
              std::tuple("The key Ctrl+Alt+H is in use by another program. Please choose another "
                         "key for \"Hide key\".", HideKey, 1u));
    EXPECT_EQ(std::get<1>(check(192, 581, 581)), ToggleKey);
}

}  // namespace
}  // namespace veilora
