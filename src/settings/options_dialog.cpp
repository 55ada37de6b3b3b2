#include "settings/options_dialog.h"

namespace veilora {

std::optional<OptionsRefusal> checkOptionsForOk(const Options& options, bool coverPictureExists) {
    if (isChecked(options.hideMethodScr) && !coverPictureExists) {
        return OptionsRefusal{
            {"Screen capture image file not found. Cannot use \"Show screen capture\" as method "
             "of hiding. Please click \"Capture new screen image\" to capture an image or "
             "deselect this method of hiding.",
             "Screen Image File Missing", MessageIcon::Exclamation},
            OptionsFocus::CaptureButton};
    }
    const bool wantsPassword = isChecked(options.pwHideScreenCap) || isChecked(options.pwOptions);
    if (wantsPassword && !options.passwordStored) {
        return OptionsRefusal{
            {"You have selected password options but haven't specified a password. Please click "
             "\"Set Password\" or deselect any password options before continuing.",
             "Attention", MessageIcon::Exclamation},
            OptionsFocus::Unchanged};
    }
    if (!isChecked(options.hideMethodMin) && !isChecked(options.hideMethodScr)) {
        return OptionsRefusal{
            {"You must select at least one method of hiding.", "Error", MessageIcon::None},
            OptionsFocus::MinimizeAllWindows};
    }
    return std::nullopt;
}

}  // namespace veilora
