// Base for the program's modeless dialogs: one dialog procedure that stores the owning object
// at WM_INITDIALOG and forwards each message to its member function.
#pragma once

#include <windows.h>

namespace veilora::win32 {

class ModelessDialog {
public:
    ModelessDialog() = default;
    ModelessDialog(const ModelessDialog&) = delete;
    ModelessDialog& operator=(const ModelessDialog&) = delete;
    // Destroys the window without calling back into the (already destroyed) derived class.
    virtual ~ModelessDialog();

    HWND hwnd() const { return hwnd_; }
    bool isOpen() const { return hwnd_ != nullptr; }
    void close();

protected:
    // Creates the dialog from its template, owned by `owner`; the dialog shows itself when
    // its template says WS_VISIBLE.
    bool create(int templateId, HWND owner);
    // Dialog-procedure semantics: TRUE when handled (with DWLP_MSGRESULT set where needed).
    virtual INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;

private:
    static INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
};

// Gives keyboard messages (Tab, Enter, Esc, arrows) to the modeless dialog of this thread that
// they belong to. A message loop calls it before TranslateMessage; true means handled.
bool handleDialogMessage(MSG& msg);

}  // namespace veilora::win32
