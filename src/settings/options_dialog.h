// The Options dialog's rules and what it needs from the program that shows it. The Win32
// dialog (options_dialog_win32.h) only shows controls and messages and calls these.
#pragma once

#include <optional>
#include <string>

#include "ports/notice.h"
#include "settings/options.h"
#include "settings/reg_settings.h"

namespace veilora {

// Implemented by the program. Every call comes on the user-interface thread.
class OptionsDialogHost {
  public:
    virtual ~OptionsDialogHost() = default;

    // The live option store; the dialog writes each change into it at once.
    virtual Options& liveOptions() = 0;
    // The cover picture file exists beside the program.
    virtual bool coverPictureExists() = 0;
    // OK passed its checks: save every option, write or remove the Run entry, apply the tray
    // look, load the cover picture when "Show screen capture" is on. When the store refuses
    // a write, the system's reason; the dialog then says so and stays open.
    virtual std::optional<std::string> acceptOptions() = 0;
    // Cancel or the close box hid the dialog: reload the options, dropping the edits.
    virtual void cancelOptions() = 0;
    // "Help": the help file at the Options topic. The dialog stays as it is.
    virtual void showOptionsHelp() = 0;
    // "Capture new screen image" (shown only once the capture workflow exists).
    virtual void startCapture() = 0;
    // Where the password dialogs read and write the stored password.
    virtual RegSettings& passwordSettings() = 0;
    // The Set Password dialog stored a password (`setpw`).
    virtual void passwordSet() = 0;
};

// Controls OK may send the focus to.
enum class OptionsFocus { Unchanged, CaptureButton, MinimizeAllWindows };

struct OptionsRefusal {
    Notice notice;
    OptionsFocus focus;
};

// OK's three checks in their fixed order; the first that fails is the answer, nullopt when
// the options can be accepted.
std::optional<OptionsRefusal> checkOptionsForOk(const Options& options, bool coverPictureExists);

}  // namespace veilora
