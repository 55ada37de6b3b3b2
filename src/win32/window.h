// Base for every window the program owns: one static window procedure that stores the owning
// object at WM_NCCREATE and forwards each message to its member function.
#pragma once

#include <windows.h>

namespace veilora::win32 {

// The program's private messages.
enum PrivateMessage : UINT {
    kMsgMouseEvent = WM_APP + 1,  // wParam: MouseEventKind, lParam: screen point
    kMsgTrayNotify,
    // Test-only, honoured in traced runs: drop the mouse hook behind the program's back;
    // report the live owners of each handle kind.
    kMsgTestDropMouseHook,
    kMsgTestReportOwners,
    kMsgTaskRowsReady,  // a dialog's task list has new rows to take
    kMsgCoverRaise,     // the cover takes its place on top again
};

struct WindowClass {
    const wchar_t* name;
    UINT style = 0;
    HICON icon = nullptr;
    HICON smallIcon = nullptr;
    HBRUSH background = nullptr;
    HCURSOR cursor = nullptr;
};

class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND hwnd() const { return hwnd_; }

protected:
    // Registers the class on first use and creates the window.
    bool createWindow(const WindowClass& cls, DWORD exStyle, DWORD style, const wchar_t* title,
                      int x, int y, int width, int height, HWND parent = nullptr);
    void destroyWindow();

    // Default: DefWindowProc.
    virtual LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
};

}  // namespace veilora::win32
