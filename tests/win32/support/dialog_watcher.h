// Watching for a dialog from a thread of its own, as a person at the screen would see it.
#pragma once

#include <windows.h>

#include <atomic>
#include <map>
#include <string>
#include <thread>

#include "res/resource.h"

namespace veilora::testing {

inline std::wstring textOf(HWND window) {
    wchar_t buffer[512] = {};
    ::GetWindowTextW(window, buffer, 512);
    return buffer;
}

// Watches, from a thread of its own, for the dialog with `caption`; records its texts and,
// when asked, clicks one of its buttons through its window handle.
class DialogWatcher {
public:
    DialogWatcher(std::wstring caption, int clickId)
        : caption_(std::move(caption)), clickId_(clickId), thread_([this] { watch(); }) {}
    ~DialogWatcher() {
        stop_ = true;
        thread_.join();
    }

    bool appeared() const { return appeared_; }
    bool wentAway() const { return wentAway_; }
    std::map<int, std::wstring> texts;  // control id -> text, read when it appeared
    bool iconShown = false;
    bool progressShown = false;

private:
    void watch() {
        const ULONGLONG deadline = ::GetTickCount64() + 30000;
        HWND dialog = nullptr;
        while (!stop_ && ::GetTickCount64() < deadline) {
            if (!dialog) {
                HWND found = ::FindWindowW(L"#32770", caption_.c_str());
                if (found && ::IsWindowVisible(found)) {
                    dialog = found;
                    for (int id : {IDC_EP_PROMPT, IDC_EP_CANCEL_HINT, IDC_EP_WARNING,
                                   IDC_EP_END_NOW, IDCANCEL}) {
                        texts[id] = textOf(::GetDlgItem(dialog, id));
                    }
                    iconShown = ::SendDlgItemMessageW(dialog, IDC_EP_ICON, STM_GETICON, 0, 0) != 0;
                    progressShown = ::IsWindowVisible(::GetDlgItem(dialog, IDC_EP_PROGRESS));
                    appeared_ = true;
                    if (clickId_) {
                        ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(clickId_, BN_CLICKED),
                                       reinterpret_cast<LPARAM>(::GetDlgItem(dialog, clickId_)));
                    }
                }
            } else if (!::IsWindow(dialog) || !::IsWindowVisible(dialog)) {
                wentAway_ = true;
                return;
            }
            ::Sleep(10);
        }
    }

    std::wstring caption_;
    int clickId_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> appeared_{false};
    std::atomic<bool> wentAway_{false};
    std::thread thread_;
};

}  // namespace veilora::testing
