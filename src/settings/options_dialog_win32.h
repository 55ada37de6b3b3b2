// The Options dialog, "Veilora - Options": shown modeless from the tray menu and modally on
// the first run. It edits the host's live options in place; OK, Cancel, the close box, Help,
// the password button and the capture button report to the host (options_dialog.h).
#pragma once

#include <windows.h>

#include "settings/options_dialog.h"
#include "win32/dialog.h"

namespace veilora {

struct OptionsDialogFeatures {
    // "Capture new screen image": stays hidden until the capture workflow is wired to
    // OptionsDialogHost::startCapture.
    bool captureButton = false;
};

class OptionsDialog final : private win32::Dialog {
  public:
    explicit OptionsDialog(OptionsDialogHost& host, OptionsDialogFeatures features = {});

    // Shows the dialog (made on first use, then kept) with the live options and brings it to
    // the front. Its keyboard interface needs win32::routeDialogMessage in the message loop.
    void show();
    // Runs the dialog modally; true when OK accepted the options.
    bool showModal(HWND owner = nullptr);
    // Hides the dialog without saving or reloading (a capture begins); ends a modal run as
    // not accepted.
    void hide();
    bool visible() const;
    // Shows the live options again, e.g. after the host changed them while the dialog is up.
    void refresh();

    using win32::Dialog::hwnd;
    using win32::Dialog::item;

  private:
    INT_PTR onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void onInit();
    void writeControls();
    void readControls();
    void readControl(int id);
    void showPasswordCaption();
    void refuse(const Notice& notice, OptionsFocus focus);
    static LRESULT CALLBACK hotKeyFieldProc(HWND field, UINT message, WPARAM wParam,
                                            LPARAM lParam, UINT_PTR id, DWORD_PTR dialog);
    void onOk();
    void onCancel();
    void onPasswordButton();

    OptionsDialogHost& host_;
    OptionsDialogFeatures features_;
    bool accepted_ = false;
};

}  // namespace veilora
