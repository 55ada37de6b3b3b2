#include "about/launch_win32.h"

#include <shellapi.h>

#include <string>

namespace veilora {

int launch(HWND owner, std::wstring_view file) {
    const std::wstring target(file);
    // Shown normally: the person asked to see the page or a new message.
    const HINSTANCE result =
        ::ShellExecuteW(owner, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return static_cast<int>(reinterpret_cast<INT_PTR>(result));
}

}  // namespace veilora
