// The virtual DOS machine's debugging services (vdmdbg.dll), loaded at run time from the
// system folder only. 32-bit Windows of the NT family has them; 64-bit Windows does not, and
// Wine's are empty, so there every question answers "no 16-bit task".
#pragma once

#include <windows.h>

#include <optional>

#include "win32/handles.h"

namespace veilora {

class VdmDebug {
public:
    VdmDebug();

    bool available() const { return enumProcessWow_ != nullptr; }
    // Whether the process hosts 16-bit Windows programs.
    bool hostsWowTasks(DWORD processId) const;
    // The 16-bit task run by `threadId` in the process.
    std::optional<WORD> findWowTask(DWORD processId, DWORD threadId) const;
    bool terminateWowTask(DWORD processId, WORD task) const;

private:
    using EnumProcessWow = INT(WINAPI*)(BOOL(WINAPI*)(DWORD, DWORD, LPARAM), LPARAM);
    using TaskEnumProc = BOOL(WINAPI*)(DWORD, WORD, WORD, PSZ, PSZ, LPARAM);
    using EnumTaskWowEx = INT(WINAPI*)(DWORD, TaskEnumProc, LPARAM);
    using TerminateTaskWow = BOOL(WINAPI*)(DWORD, WORD);

    win32::LibraryHandle library_;
    EnumProcessWow enumProcessWow_ = nullptr;
    EnumTaskWowEx enumTaskWowEx_ = nullptr;
    TerminateTaskWow terminateTaskWow_ = nullptr;
};

}  // namespace veilora
