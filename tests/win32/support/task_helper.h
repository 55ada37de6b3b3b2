// Running the helper program (tests/win32/helpers), ending its task as the task list does, and
// waiting for things while this thread's windows keep working.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "win32/dialog.h"
#include "win32/handles.h"
#include "windows/end_program_win32.h"
#include "windows/task_list.h"
#include "windows/window_system_win32.h"

namespace veilora::testing {

// Handles this thread's messages until `done` holds or `timeoutMs` pass; returns `done()`.
inline bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!win32::routeDialogMessage(msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
        if (done()) return true;
        if (::GetTickCount64() >= deadline) return false;
        ::MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

// One run of the helper program; ended at the end of the test if still running.
class TaskHelper {
public:
    TaskHelper(const wchar_t* mode, const std::wstring& title) : title_(title) {
        wchar_t path[MAX_PATH];
        const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring exe(path, n);
        exe = exe.substr(0, exe.find_last_of(L"\\/") + 1) + L"veilora_task_helper.exe";
        std::wstring command = L"\"" + exe + L"\" " + mode + L" \"" + title + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        if (!::CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              nullptr, &startup, &info)) {
            ADD_FAILURE() << "cannot start the helper, error " << ::GetLastError();
            return;
        }
        process_.reset(info.hProcess);
        win32::KernelHandle thread(info.hThread);
        id_ = info.dwProcessId;
        pumpUntil(
            [&] {
                window_ = ::FindWindowW(L"VeiloraTaskHelper", title_.c_str());
                return window_ != nullptr;
            },
            20000);
        if (!window_) ADD_FAILURE() << "the helper's window did not appear";
        // Until it waits for input, a busy machine may keep it from answering in time.
        ::WaitForInputIdle(process_.get(), 10000);
    }
    TaskHelper(const TaskHelper&) = delete;
    TaskHelper& operator=(const TaskHelper&) = delete;
    ~TaskHelper() {
        if (process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
            ::TerminateProcess(process_.get(), 99);
            ::WaitForSingleObject(process_.get(), 10000);
        }
    }

    HWND window() const { return window_; }
    DWORD id() const { return id_; }
    bool running() const {
        return process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
    }
    // Waits (messages handled) for the helper's end; its exit code, or -1 when still running.
    long exitCode(DWORD timeoutMs = 10000) const {
        pumpUntil([this] { return !running(); }, timeoutMs);
        DWORD code = 0;
        if (running() || !::GetExitCodeProcess(process_.get(), &code)) return -1;
        return static_cast<long>(code);
    }

private:
    std::wstring title_;
    win32::KernelHandle process_;
    DWORD id_ = 0;
    HWND window_ = nullptr;
};

// Ends a helper's task as the task list does.
struct TaskEnding : ::testing::Test {
    bool terminate(const TaskHelper& helper, std::uint32_t delayMs) {
        TaskList tasks(system, &ender);
        tasks.setMode(TaskList::kModeAllUnowned);
        tasks.refresh();
        const int index = tasks.getIndex(toWindowId(helper.window()));
        EXPECT_GT(index, 0);
        return tasks.terminate(index, 0, delayMs);
    }

    WindowSystemWin32 system;
    ProgramEnderWin32 ender;
};

}  // namespace veilora::testing
