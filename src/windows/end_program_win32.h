// Ending the program behind a task: first the polite close request, then, when it does not end
// within the given delay, the "End Program" dialog and, if the person agrees, by force.
#pragma once

#include <windows.h>

#include <string>

#include "ports/window_system.h"
#include "win32/handles.h"
#include "win32/modeless_dialog.h"
#include "windows/end_program.h"
#include "windows/vdm_debug_win32.h"

namespace veilora {

// Posts WM_CLOSE to every unowned top-level window of the process (visible or not); with a
// thread, only to that thread's windows.
void postCloseToProcess(DWORD processId, DWORD threadId = 0);
// True when the process ended within `milliseconds` or does not exist. A process that exists
// but cannot be watched (no access) has not ended as far as anyone can tell: false.
bool waitForProcessEnd(DWORD processId, DWORD milliseconds);
// Ends the process with exit code 0; false when it cannot be opened or refuses.
bool killProcess(DWORD processId);

// The not-responding dialog. Modeless; its outcome is cancelled().
class EndProgramDialog final : private win32::ModelessDialog {
public:
    EndProgramDialog() = default;
    ~EndProgramDialog() override;

    // Set before show().
    void setIcon(HICON icon);  // a copy is kept: the program may destroy its own
    void setPrompt(EndPrompt prompt) { prompt_ = prompt; }
    void setTaskName(std::wstring_view name) { taskName_ = trimTaskName(name); }
    void setWait(int seconds) { waitSeconds_ = seconds > 0 ? seconds : 1; }

    bool show(HWND owner);
    // Shown and not yet answered.
    bool visible() const { return isOpen() && visible_; }
    // False means "end the program". Setting it hides the dialog.
    bool cancelled() const { return cancelled_; }
    void setCancelled(bool cancelled);

    using ModelessDialog::close;
    using ModelessDialog::hwnd;

private:
    INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void onInit();
    void onTick();
    void hide();

    win32::IconHandle icon_;
    EndPrompt prompt_ = EndPrompt::NotResponding;
    std::wstring taskName_;
    int waitSeconds_ = 10;
    int progress_ = 0;
    bool visible_ = false;
    bool cancelled_ = true;  // a dialog closed from its title bar leaves the program alone
};

class ProgramEnderWin32 final : public ProgramEnder {
public:
    // The End Program dialog is owned by `owner` (may be null).
    explicit ProgramEnderWin32(HWND owner = nullptr) : owner_(owner) {}

    bool endProgram(std::uint32_t processId, std::uint32_t dialogDelayMs, std::wstring_view title,
                    IconId icon) override;
    bool endWowTask(WindowId window, std::uint32_t dialogDelayMs, std::wstring_view title,
                    IconId icon) override;
    bool endDosProgram(std::uint32_t processId) override;

private:
    HWND owner_;
    VdmDebug vdm_;
};

}  // namespace veilora
