#include "settings/options_dialog.h"

#include <gtest/gtest.h>

#include <tuple>

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
TEST(OptionsOk, TheFirstFailingCheckAnswersAndPointsAtItsControl) {
    // The options, whether the picture is there, and the refusal's title and focus.
    const std::tuple<Options, bool, std::string_view, OptionsFocus> cases[] = {
        {on({&O::hideMethodScr, &O::pwOptions}), false, "Screen Image File Missing", CaptureButton},
        {on({&O::hideMethodScr, &O::pwOptions}), true, "Attention", Unchanged},
        {on({&O::hideMethodMin, &O::pwHideScreenCap}), false, "Attention", Unchanged},
        {on({&O::pwHideScreenCap}, true), false, "Error", MinimizeAllWindows},
        // A grey box is saved as "0": nothing would hide.
        {on({&O::hideMethodMin, &O::hideMethodScr}, false, CheckState::Grayed), true, "Error",
         MinimizeAllWindows},
        {on({&O::hideMethodMin, &O::pwHideScreenCap}, true), false, "", Unchanged},
        {on({&O::hideMethodMin, &O::pwOptions}, true), false, "", Unchanged},
        {on({&O::hideMethodScr}), true, "", Unchanged},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& [options, pictureExists, title, focus] = cases[i];
        const auto refusal = checkOptionsForOk(options, pictureExists);
        EXPECT_EQ(refusal ? refusal->notice.title : "", title) << "case " << i;
        EXPECT_EQ(refusal ? refusal->focus : Unchanged, focus) << "case " << i;
    }
}

}  // namespace
}  // namespace veilora
