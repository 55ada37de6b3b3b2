// Base for the program's dialogs built from resource templates: one dialog procedure that
// stores the owning object at WM_INITDIALOG and forwards each message to it. The same object
// can run modally (its own message loop) or modeless (shown and hidden, living on).
#pragma once

#include <windows.h>

#include <memory>

namespace veilora::win32 {

struct ModalLoopFilter;

class Dialog {
  public:
    Dialog() = default;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;
    virtual ~Dialog();

    HWND hwnd() const { return hwnd_; }
    HWND item(int id) const { return ::GetDlgItem(hwnd_, id); }
    bool isModal() const { return modal_; }

  protected:
    // The value passed to close(), or -1 when the dialog could not be created.
    INT_PTR runModal(int templateId, HWND owner);
    // Creates the window hidden; true when it exists.
    bool createModeless(int templateId, HWND owner);
    void destroy();
    // Ends a modal dialog with `result`; hides a modeless one.
    void close(INT_PTR result);
    // Moves the focus the way the Tab key does (an edit field's text gets selected).
    void focusControl(HWND control);
    // Gives a message its result (for messages whose answer is not the handled flag).
    INT_PTR answer(LRESULT value);

    // TRUE when handled; FALSE leaves the message to the dialog manager.
    virtual INT_PTR onMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;

  private:
    static INT_PTR CALLBACK dialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
    bool modal_ = false;
    bool detached_ = false;
    std::shared_ptr<ModalLoopFilter> keyFilter_;  // while a modeless window exists
};

// Ends every visible dialog box of the calling thread (message boxes, modal dialogs, an open
// menu) as if Cancel were pressed, innermost first; `stays` spares a dialog and what it
// owns is still closed.
void cancelThreadDialogs(bool (*stays)(HWND, void*), void* context);

// For the program's message loop: lets a modeless dialog have its keyboard interface (Tab,
// Enter, Esc, mnemonics). True when the message was handled and must not be dispatched.
// The loops of message boxes and modal dialogs do the same for every open modeless dialog.
bool routeDialogMessage(MSG& msg);

}  // namespace veilora::win32
