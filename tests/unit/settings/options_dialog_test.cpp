#include "settings/options_dialog.h"

#include <gtest/gtest.h>

namespace veilora {
namespace {

constexpr auto kChecked = CheckState::Checked;

// Every check passes: minimize chosen, no password option.
Options acceptable() {
    Options options;
    options.hideMethodMin = kChecked;
    return options;
}

std::string_view titleOf(const std::optional<OptionsRefusal>& refusal) {
    return refusal ? refusal->notice.title : "accepted";
}

TEST(OptionsOk, ChecksRunInOrderAndTheFirstFailureIsTheAnswer) {
    Options everythingWrong;
    everythingWrong.hideMethodScr = kChecked;
    everythingWrong.pwOptions = kChecked;
    auto refusal = checkOptionsForOk(everythingWrong, false);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->notice,
              (Notice{"Screen capture image file not found. Cannot use \"Show screen capture\" "
                      "as method of hiding. Please click \"Capture new screen image\" to capture "
                      "an image or deselect this method of hiding.",
                      "Screen Image File Missing", MessageIcon::Exclamation}));
    EXPECT_EQ(refusal->focus, OptionsFocus::CaptureButton);

    refusal = checkOptionsForOk(everythingWrong, true);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->notice,
              (Notice{"You have selected password options but haven't specified a password. "
                      "Please click \"Set Password\" or deselect any password options before "
                      "continuing.",
                      "Attention", MessageIcon::Exclamation}));
    EXPECT_EQ(refusal->focus, OptionsFocus::Unchanged);

    Options noMethod;
    noMethod.pwHideScreenCap = kChecked;
    noMethod.passwordStored = true;
    refusal = checkOptionsForOk(noMethod, false);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->notice, (Notice{"You must select at least one method of hiding.", "Error",
                                       MessageIcon::None}));
    EXPECT_EQ(refusal->focus, OptionsFocus::MinimizeAllWindows);
}

TEST(OptionsOk, EachPasswordOptionNeedsAStoredPassword) {
    for (auto option : {&Options::pwHideScreenCap, &Options::pwOptions}) {
        Options options = acceptable();
        options.*option = kChecked;
        EXPECT_EQ(titleOf(checkOptionsForOk(options, false)), "Attention");
        options.passwordStored = true;
        EXPECT_EQ(titleOf(checkOptionsForOk(options, false)), "accepted");
    }
}

TEST(OptionsOk, EitherHidingMethodIsEnoughButAGreyBoxIsNone) {
    EXPECT_EQ(titleOf(checkOptionsForOk(acceptable(), false)), "accepted");
    Options cover;
    cover.hideMethodScr = kChecked;
    EXPECT_EQ(titleOf(checkOptionsForOk(cover, true)), "accepted");
    Options grey;  // saved as "0": nothing would hide
    grey.hideMethodMin = grey.hideMethodScr = grey.pwOptions = CheckState::Grayed;
    EXPECT_EQ(titleOf(checkOptionsForOk(grey, false)), "Error");
}

}  // namespace
}  // namespace veilora
