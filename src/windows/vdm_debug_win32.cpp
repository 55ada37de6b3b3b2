#include "windows/vdm_debug_win32.h"

#include <string>

#include "win32/system.h"

namespace veilora {

namespace {
template <typename F>
F function(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

struct ProcessSearch {
    DWORD processId;
    bool found = false;
};

struct TaskSearch {
    DWORD threadId;
    std::optional<WORD> task;
};

// Returning TRUE stops an enumeration.
BOOL WINAPI matchProcess(DWORD process, DWORD, LPARAM data) {
    auto* search = reinterpret_cast<ProcessSearch*>(data);
    if (process != search->processId) return FALSE;
    search->found = true;
    return TRUE;
}

BOOL WINAPI matchTask(DWORD thread, WORD, WORD task, PSZ, PSZ, LPARAM data) {
    auto* search = reinterpret_cast<TaskSearch*>(data);
    if (thread != search->threadId) return FALSE;
    search->task = task;
    return TRUE;
}
}  // namespace

VdmDebug::VdmDebug() : library_(win32::loadSystemLibrary(L"vdmdbg.dll")) {
    if (!library_) return;
    enumProcessWow_ = function<EnumProcessWow>(library_.get(), "VDMEnumProcessWOW");
    enumTaskWowEx_ = function<EnumTaskWowEx>(library_.get(), "VDMEnumTaskWOWEx");
    terminateTaskWow_ = function<TerminateTaskWow>(library_.get(), "VDMTerminateTaskWOW");
}

bool VdmDebug::hostsWowTasks(DWORD processId) const {
    if (!enumProcessWow_) return false;
    ProcessSearch search{processId};
    enumProcessWow_(&matchProcess, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::optional<WORD> VdmDebug::findWowTask(DWORD processId, DWORD threadId) const {
    if (!enumTaskWowEx_) return std::nullopt;
    TaskSearch search{threadId, std::nullopt};
    enumTaskWowEx_(processId, &matchTask, reinterpret_cast<LPARAM>(&search));
    return search.task;
}

bool VdmDebug::terminateWowTask(DWORD processId, WORD task) const {
    return terminateTaskWow_ && terminateTaskWow_(processId, task);
}

}  // namespace veilora
