#include "windows/window_utils_win32.h"

#include "win32/handles.h"

namespace veilora {

DWORD setProcessPriority(DWORD processId, HWND window, DWORD priorityClass) {
    if (processId == 0 && window) ::GetWindowThreadProcessId(window, &processId);
    if (processId == 0) return 0;
    win32::KernelHandle process(
        ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_SET_INFORMATION, FALSE, processId));
    if (process) {
        ::SetPriorityClass(process.get(), priorityClass);
    } else {
        process.reset(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    }
    return process ? ::GetPriorityClass(process.get()) : 0;
}

int addIconToImageList(HIMAGELIST list, HICON icon, int replace) {
    if (!list || !icon) return -1;
    return ::ImageList_ReplaceIcon(list, replace, icon);
}

}  // namespace veilora
