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

std::optional<HotKeyRefusal> checkHotKeysForOk(const Options& options,
                                               const std::function<bool(HotKeyWord)>& available) {
    struct Field {
        HotKeyWord key;
        std::string_view name;
        OptionsFocus focus;
    };
    const Field fields[] = {{options.hideKey, "Hide key", OptionsFocus::HideKey},
                            {options.toggleKey, "Enable/disable key", OptionsFocus::ToggleKey}};
    const auto text = [](std::initializer_list<std::string_view> parts) {
        std::string joined;
        for (std::string_view part : parts) joined += part;
        return joined;
    };
    for (const Field& field : fields) {
        if (!isUsableHotKey(field.key)) {
            return HotKeyRefusal{text({"Please choose a key for \"", field.name, "\"."}), "Error",
                                 field.focus};
        }
    }
    if (sameHotKey(options.hideKey, options.toggleKey)) {
        const std::string name = hotKeyName(options.hideKey);
        return HotKeyRefusal{text({"\"", fields[0].name, "\" and \"", fields[1].name,
                                   "\" must be different keys; both are ", name, "."}),
                             "Error", OptionsFocus::ToggleKey};
    }
    for (const Field& field : fields) {
        if (!available(field.key)) {
            const std::string name = hotKeyName(field.key);
            return HotKeyRefusal{text({"The key ", name,
                                       " is in use by another program. Please choose another "
                                       "key for \"",
                                       field.name, "\"."}),
                                 "Hot Key in Use", field.focus};
        }
    }
    return std::nullopt;
}

}  // namespace veilora
