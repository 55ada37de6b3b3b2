#include "windows/vdm_debug_win32.h"

#include <string>

namespace veilora {

namespace {
HMODULE loadFromSystemFolder(const wchar_t* name) {
    if (HMODULE module = ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        return module;
    }
    // Systems without the search flags refuse it: name the system folder ourselves, so that
    // a planted copy beside the program or in the current folder is never picked up.
    if (::GetLastError() != ERROR_INVALID_PARAMETER) return nullptr;
    wchar_t folder[MAX_PATH];
    const UINT n = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    std::wstring path(folder, n);
    path += L'\\';
    path += name;
    return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

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

VdmDebug::VdmDebug() : library_(loadFromSystemFolder(L"vdmdbg.dll")) {
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
