// A dialog that lives only while it is open: made on opening, destroyed on closing. The
// tools on the cover use it; it is the common dialog base with that lifetime.
#pragma once

#include <windows.h>

#include "win32/dialog.h"

namespace veilora::win32 {

class ModelessDialog : protected Dialog {
public:
    using Dialog::hwnd;
    bool isOpen() const { return hwnd() != nullptr; }
    void close() { destroy(); }

protected:
    // Creates the dialog from its template, owned by `owner`; it shows itself when its
    // template says WS_VISIBLE.
    bool create(int templateId, HWND owner) { return createModeless(templateId, owner); }
    // Dialog-procedure semantics: TRUE when handled (with DWLP_MSGRESULT set where needed).
    virtual INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;

private:
    INT_PTR onMessage(UINT message, WPARAM wParam, LPARAM lParam) final {
        return handleMessage(message, wParam, lParam);
    }
};

}  // namespace veilora::win32
