#include "windows/end_program_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <functional>

#include "res/resource.h"
#include "win32/foreground.h"
#include "windows/window_system_win32.h"

namespace veilora {

namespace {

constexpr UINT_PTR kCountdownTimer = 1;
constexpr UINT kCountdownStepMs = 500;

struct CloseRequest {
    DWORD processId;
    DWORD threadId;
};

BOOL CALLBACK postCloseIfOurs(HWND window, LPARAM data) {
    const auto* request = reinterpret_cast<const CloseRequest*>(data);
    DWORD process = 0;
    const DWORD thread = ::GetWindowThreadProcessId(window, &process);
    if (process == request->processId && (!request->threadId || thread == request->threadId) &&
        !::GetWindow(window, GW_OWNER)) {
        ::PostMessageW(window, WM_CLOSE, 0, 0);
    }
    return TRUE;
}

struct DialogBoxSearch {
    DWORD processId;
    DWORD threadId;
    bool found = false;
};

BOOL CALLBACK findDialogBoxOf(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<DialogBoxSearch*>(data);
    DWORD process = 0;
    const DWORD thread = ::GetWindowThreadProcessId(window, &process);
    if (process != search->processId || thread != search->threadId) return TRUE;
    wchar_t cls[16] = {};
    ::GetClassNameW(window, cls, 16);
    if (::lstrcmpW(cls, L"#32770") != 0) return TRUE;
    search->found = true;
    return FALSE;
}

// Whether the thread has a dialog box open: a 16-bit program waiting for its user.
bool hasDialogBox(DWORD processId, DWORD threadId) {
    DialogBoxSearch search{processId, threadId};
    ::EnumWindows(&findDialogBoxOf, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Waits while the interface goes on: pending messages are handled between short waits, so
// the dialogs' buttons and timers work. A quit request ends every wait and is passed on to
// the outer message loop when the loop object goes.
class WaitingLoop {
public:
    WaitingLoop() = default;
    WaitingLoop(const WaitingLoop&) = delete;
    WaitingLoop& operator=(const WaitingLoop&) = delete;
    ~WaitingLoop() {
        if (quit_) ::PostQuitMessage(exitCode_);
    }

    // True when `object` was signalled; false when `stop` held, the time ran out or a quit
    // request came. A null object is never signalled.
    bool wait(HANDLE object, DWORD milliseconds, const std::function<bool()>& stop = {}) {
        const ULONGLONG start = ::GetTickCount64();
        for (;;) {
            MSG msg;
            while (!quit_ && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT) {
                    quit_ = true;
                    exitCode_ = static_cast<int>(msg.wParam);
                    break;
                }
                if (!win32::routeDialogMessage(msg)) {
                    ::TranslateMessage(&msg);
                    ::DispatchMessageW(&msg);
                }
            }
            if (object && ::WaitForSingleObject(object, 0) == WAIT_OBJECT_0) return true;
            if (quit_ || (stop && stop())) return false;
            const ULONGLONG elapsed = ::GetTickCount64() - start;
            if (milliseconds != INFINITE && elapsed >= milliseconds) return false;
            // Short slices, so conditions that no message announces are looked at again.
            DWORD slice = 250;
            if (milliseconds != INFINITE) {
                slice = static_cast<DWORD>(std::min<ULONGLONG>(slice, milliseconds - elapsed));
            }
            ::MsgWaitForMultipleObjectsEx(object ? 1 : 0, object ? &object : nullptr, slice,
                                          QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        }
    }

    bool quitSeen() const { return quit_; }

private:
    bool quit_ = false;
    int exitCode_ = 0;
};

}  // namespace

void postCloseToProcess(DWORD processId, DWORD threadId) {
    CloseRequest request{processId, threadId};
    ::EnumWindows(&postCloseIfOurs, reinterpret_cast<LPARAM>(&request));
}

bool waitForProcessEnd(DWORD processId, DWORD milliseconds) {
    win32::KernelHandle process(::OpenProcess(SYNCHRONIZE, FALSE, processId));
    if (!process) return ::GetLastError() == ERROR_INVALID_PARAMETER;  // no such process
    return ::WaitForSingleObject(process.get(), milliseconds) == WAIT_OBJECT_0;
}

bool killProcess(DWORD processId) {
    win32::KernelHandle process(::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, processId));
    return process && ::TerminateProcess(process.get(), 0);
}

// ---------------------------------------------------------------------------------------------

EndProgramDialog::~EndProgramDialog() { close(); }

void EndProgramDialog::setIcon(HICON icon) { icon_.reset(icon ? ::CopyIcon(icon) : nullptr); }

bool EndProgramDialog::show(HWND owner) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    if (!create(IDD_END_PROGRAM, owner)) return false;
    visible_ = true;
    ::ShowWindow(hwnd(), SW_SHOW);
    forceForeground(hwnd());
    return true;
}

void EndProgramDialog::setCancelled(bool cancelled) {
    cancelled_ = cancelled;
    hide();
}

void EndProgramDialog::hide() {
    visible_ = false;
    if (!hwnd()) return;
    ::KillTimer(hwnd(), kCountdownTimer);
    ::ShowWindow(hwnd(), SW_HIDE);
}

void EndProgramDialog::onInit() {
    HWND dialog = hwnd();
    ::SetWindowTextW(dialog, endProgramCaption(taskName_).c_str());
    if (icon_) {
        ::SendDlgItemMessageW(dialog, IDC_EP_ICON, STM_SETICON,
                              reinterpret_cast<WPARAM>(icon_.get()), 0);
    } else {
        ::ShowWindow(::GetDlgItem(dialog, IDC_EP_ICON), SW_HIDE);
    }
    ::SetDlgItemTextW(dialog, IDC_EP_PROMPT, std::wstring(endPromptText(prompt_)).c_str());
    HWND progress = ::GetDlgItem(dialog, IDC_EP_PROGRESS);
    if (prompt_ == EndPrompt::EndingCountdown) {
        ::ShowWindow(::GetDlgItem(dialog, IDC_EP_CANCEL_HINT), SW_HIDE);
        ::SendMessageW(progress, PBM_SETRANGE32, 0, waitSeconds_ * 2);
        ::SendMessageW(progress, PBM_SETPOS, 0, 0);
        ::ShowWindow(progress, SW_SHOW);
        progress_ = 0;
        ::SetTimer(dialog, kCountdownTimer, kCountdownStepMs, nullptr);
    } else {
        ::ShowWindow(progress, SW_HIDE);
    }
}

void EndProgramDialog::onTick() {
    if (progress_ + 1 > waitSeconds_ * 2) {
        // The time is up: end the program unless the person cancelled first.
        setCancelled(false);
        return;
    }
    ++progress_;
    ::SendDlgItemMessageW(hwnd(), IDC_EP_PROGRESS, PBM_SETPOS, progress_, 0);
}

INT_PTR EndProgramDialog::handleMessage(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            onInit();
            // Enter or Space on a first button that ends the program would lose data.
            ::SetFocus(::GetDlgItem(hwnd(), IDCANCEL));
            return FALSE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDC_EP_END_NOW) {
                setCancelled(false);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                setCancelled(true);
                return TRUE;
            }
            break;
        case WM_CLOSE:
            cancelled_ = true;
            visible_ = false;
            close();
            return TRUE;
        case WM_TIMER:
            if (wParam == kCountdownTimer && visible_) onTick();
            return TRUE;
        case WM_DESTROY:
            ::KillTimer(hwnd(), kCountdownTimer);
            visible_ = false;
            return FALSE;
        default:
            break;
    }
    return FALSE;
}

// ---------------------------------------------------------------------------------------------

bool ProgramEnderWin32::endProgram(std::uint32_t processId, std::uint32_t dialogDelayMs,
                                   std::wstring_view title, IconId icon) {
    // One handle for the whole sequence: a process id can be reused by a new program the
    // moment the old one ends, and a handle keeps us from waiting on or ending the wrong one.
    win32::KernelHandle process(
        ::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, processId));
    if (!process) {
        if (::GetLastError() == ERROR_INVALID_PARAMETER) return true;  // gone already
        process.reset(::OpenProcess(SYNCHRONIZE, FALSE, processId));
    }
    postCloseToProcess(processId);
    WaitingLoop loop;
    if (loop.wait(process.get(), dialogDelayMs)) return true;
    if (loop.quitSeen()) return false;

    EndProgramDialog dialog;
    dialog.setTaskName(title);
    dialog.setIcon(toHicon(icon));
    dialog.setPrompt(EndPrompt::NotResponding);
    if (!dialog.show(owner_)) return false;  // without an answer nothing is ended
    bool ended = loop.wait(process.get(), INFINITE, [&] { return !dialog.visible(); });
    if (ended) {
        dialog.setCancelled(true);  // it ended by itself
    } else if (!loop.quitSeen() && !dialog.cancelled()) {
        ended = process ? ::TerminateProcess(process.get(), 0) != FALSE : killProcess(processId);
    }
    dialog.close();
    return ended;
}

bool ProgramEnderWin32::endWowTask(WindowId window, std::uint32_t dialogDelayMs,
                                   std::wstring_view title, IconId icon) {
    HWND target = toHwnd(window);
    DWORD processId = 0;
    const DWORD threadId = ::GetWindowThreadProcessId(target, &processId);
    if (!threadId) return true;
    postCloseToProcess(processId, threadId);
    WaitingLoop loop;
    loop.wait(nullptr, 100);
    if (!::GetWindowThreadProcessId(target, nullptr)) return true;
    loop.wait(nullptr, dialogDelayMs);
    if (loop.quitSeen()) return false;

    const auto task = vdm_.findWowTask(processId, threadId);
    // Without a dialog box of its own the program is busy, not waiting: leave it running.
    if (!task || !hasDialogBox(processId, threadId)) return false;

    bool boxAnswered = false;
    {
        EndProgramDialog ask;
        ask.setTaskName(title);
        ask.setIcon(toHicon(icon));
        ask.setPrompt(EndPrompt::WaitingForUser);
        if (!ask.show(owner_)) return false;
        loop.wait(nullptr, INFINITE, [&] {
            if (!ask.visible()) return true;
            if (hasDialogBox(processId, threadId)) return false;
            boxAnswered = true;
            return true;
        });
        if (loop.quitSeen()) return false;
        if (!boxAnswered && !ask.cancelled()) return vdm_.terminateWowTask(processId, *task);
    }
    // Cancel means the person wants to look for themselves: nothing more happens. When the
    // program's own box was answered instead, it is given a last chance to close.
    if (!boxAnswered) return false;
    loop.wait(nullptr, 1000);

    EndProgramDialog countdown;
    countdown.setTaskName(title);
    countdown.setIcon(toHicon(icon));
    countdown.setPrompt(EndPrompt::EndingCountdown);
    countdown.setWait(15);
    if (!countdown.show(owner_)) return false;
    loop.wait(nullptr, INFINITE, [&] {
        return !countdown.visible() || !::GetWindowThreadProcessId(target, nullptr);
    });
    const bool stillThere = ::GetWindowThreadProcessId(target, nullptr) != 0;
    if (!stillThere) return true;
    if (loop.quitSeen() || countdown.visible() || countdown.cancelled()) return false;
    return vdm_.terminateWowTask(processId, *task);
}

bool ProgramEnderWin32::endDosProgram(std::uint32_t processId) {
    postCloseToProcess(processId);
    return true;
}

}  // namespace veilora
