// Test-only probe: reports from inside Wine what xdotool cannot see (window texts, check
// states, process ids, window flags). Output is UTF-8, one record per line.
#include <windows.h>

#include <sddl.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

std::wstring windowText(HWND window) {
    wchar_t buffer[1024] = {};
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer),
                        SMTO_ABORTIFHUNG, 2000, &result);
    return buffer;
}

std::wstring className(HWND window) {
    wchar_t buffer[256] = {};
    GetClassNameW(window, buffer, 256);
    return buffer;
}

BOOL CALLBACK collectWindow(HWND w, LPARAM p) {
    reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
    return TRUE;
}

std::vector<HWND> topLevelWindows() {
    std::vector<HWND> windows;
    EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

void printWindow(HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    const LONG_PTR ex = GetWindowLongPtrW(w, GWL_EXSTYLE);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    const int regionKind = GetWindowRgn(w, region);
    DeleteObject(region);
    const char* regionName = regionKind == NULLREGION ? "empty" : regionKind == ERROR ? "none" : "some";
    std::printf("%llu\t%lu\t%s\t%s\t%ld\t%ld\t%ld\t%ld\tvisible=%d iconic=%d topmost=%d "
                "foreground=%d enabled=%d region=%s owner=%llu\n",
                static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(w)), pid,
                utf8(className(w)).c_str(), utf8(windowText(w)).c_str(), r.left, r.top,
                r.right - r.left, r.bottom - r.top, IsWindowVisible(w) ? 1 : 0,
                IsIconic(w) ? 1 : 0, (ex & WS_EX_TOPMOST) ? 1 : 0,
                GetForegroundWindow() == w ? 1 : 0, IsWindowEnabled(w) ? 1 : 0, regionName,
                static_cast<unsigned long long>(
                    reinterpret_cast<UINT_PTR>(GetWindow(w, GW_OWNER))));
}

HWND findVisible(const std::wstring& title) {
    for (HWND w : topLevelWindows()) {
        if (IsWindowVisible(w) && windowText(w) == title) return w;
    }
    return nullptr;
}

int listWindows(bool all) {
    for (HWND w : topLevelWindows()) {
        if (all || IsWindowVisible(w)) printWindow(w);
    }
    return 0;
}

int listTexts(const std::wstring& title) {
    HWND top = findVisible(title);
    if (!top) {
        std::printf("no window\n");
        return 3;
    }
    std::vector<HWND> children;
    EnumChildWindows(top, collectWindow, reinterpret_cast<LPARAM>(&children));
    // The focus lives per thread: ask the dialog's thread.
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &gui);
    const HWND focus = gui.hwndFocus;
    for (HWND c : children) {
        const std::wstring cls = className(c);
        const LONG_PTR style = GetWindowLongPtrW(c, GWL_STYLE);
        int checked = -1;
        if (_wcsicmp(cls.c_str(), L"Button") == 0) {
            DWORD_PTR state = 0;
            SendMessageTimeoutW(c, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &state);
            checked = static_cast<int>(state);
        }
        wchar_t password = 0;
        if (_wcsicmp(cls.c_str(), L"Edit") == 0) {
            DWORD_PTR ch = 0;
            SendMessageTimeoutW(c, EM_GETPASSWORDCHAR, 0, 0, SMTO_ABORTIFHUNG, 2000, &ch);
            password = static_cast<wchar_t>(ch);
        }
        RECT r{};
        GetWindowRect(c, &r);
        std::printf("%s\t%d\t%s\tchecked=%d enabled=%d visible=%d password=%d style=%08lx "
                    "focused=%d x=%ld y=%ld w=%ld h=%ld\n",
                    utf8(cls).c_str(), GetDlgCtrlID(c), utf8(windowText(c)).c_str(), checked,
                    IsWindowEnabled(c) ? 1 : 0, IsWindowVisible(c) ? 1 : 0,
                    static_cast<int>(password), static_cast<unsigned long>(style),
                    c == focus ? 1 : 0, r.left, r.top, r.right - r.left, r.bottom - r.top);
    }
    return 0;
}

int listPids(const std::wstring& exe) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 2;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL ok = Process32FirstW(snapshot, &entry); ok; ok = Process32NextW(snapshot, &entry)) {
        if (_wcsicmp(entry.szExeFile, exe.c_str()) == 0) std::printf("%lu\n", entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return 0;
}

FILE* g_keylog = nullptr;

// The same clock and units as the program's trace, so the two can be compared.
long long nowMicroseconds() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return c.QuadPart / f.QuadPart * 1000000 + c.QuadPart % f.QuadPart * 1000000 / f.QuadPart;
}

LRESULT CALLBACK keylogProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && g_keylog) {
        const auto* info = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        std::fprintf(g_keylog, "%lu %s %lld\n", info->vkCode,
                     (wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN) ? "down" : "up",
                     nowMicroseconds());
        std::fflush(g_keylog);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Records every key event that reaches the end of the hook chain into `path`; a key that
// an earlier hook swallowed never arrives here.
int keylog(const std::wstring& path) {
    g_keylog = _wfopen(path.c_str(), L"w");
    if (!g_keylog) return 2;
    HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, keylogProc, GetModuleHandleW(nullptr), 0);
    if (!hook) return 2;
    std::fprintf(g_keylog, "ready\n");
    std::fflush(g_keylog);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    UnhookWindowsHookEx(hook);
    return 0;
}

// Sends a message to the first top-level window of a class (hidden ones too), as the system
// or another program would; prints the result.
int sendToClass(const std::wstring& cls, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND target = FindWindowW(cls.c_str(), nullptr);
    if (!target) {
        std::printf("no window\n");
        return 3;
    }
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(target, message, wParam, lParam, SMTO_ABORTIFHUNG, 10000, &result)) {
        std::printf("timeout\n");
        return 4;
    }
    std::printf("%llu\n", static_cast<unsigned long long>(result));
    return 0;
}

LRESULT CALLBACK plainWindowProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return DefWindowProcW(w, m, wp, lp);
}

// A program that stops answering: its window comes to the front, then its only thread sleeps
// for good (until the test ends it). "topmost" makes it a topmost window; "quiet" a topmost
// window that shows without taking the activation, as a notification does.
int hang(const std::wstring& title, const std::wstring& how) {
    const bool quiet = how == L"quiet", topmost = quiet || how == L"topmost";
    WNDCLASSW cls{};
    cls.lpfnWndProc = plainWindowProc;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = L"VeiloraProbeHung";
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassW(&cls);
    HWND w = CreateWindowExW((topmost ? WS_EX_TOPMOST : 0) | (quiet ? WS_EX_NOACTIVATE : 0),
                             cls.lpszClassName, title.c_str(),
                             WS_OVERLAPPEDWINDOW | (quiet ? 0 : WS_VISIBLE),
                             100, 100, 400, 300, nullptr, nullptr, cls.hInstance, nullptr);
    if (!w) return 2;
    if (quiet) {
        ShowWindow(w, SW_SHOWNOACTIVATE);
    } else {
        SetForegroundWindow(w);
    }
    const DWORD until = GetTickCount() + 500;
    MSG msg;
    while (static_cast<LONG>(until - GetTickCount()) > 0) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(10);
    }
    std::printf("hung\n");
    std::fflush(stdout);
    Sleep(INFINITE);
    return 0;
}

// Tells the test the probe is ready, then answers messages until it is ended.
int reportThenServe(const char* word) {
    std::printf("%s\n", word);
    std::fflush(stdout);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}

// A plain program window that answers messages until ended; shown minimized when asked.
int plainWindow(const std::wstring& title, bool minimized) {
    WNDCLASSW cls{};
    cls.lpfnWndProc = plainWindowProc;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = L"VeiloraProbePlain";
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassW(&cls);
    // Cascaded, so that each window shows a part of itself.
    int earlier = 0;
    for (HWND other : topLevelWindows()) earlier += className(other) == cls.lpszClassName;
    const int at = 100 + 60 * earlier;
    HWND w = CreateWindowExW(0, cls.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW, at, at,
                             400, 300, nullptr, nullptr, cls.hInstance, nullptr);
    if (!w) return 2;
    ShowWindow(w, minimized ? SW_SHOWMINNOACTIVE : SW_SHOW);
    if (!minimized) SetForegroundWindow(w);
    return reportThenServe("shown");
}

// Holds a system-wide hot key, as another program would, until ended.
int holdHotKey(UINT modifiers, UINT key) {
    if (!RegisterHotKey(nullptr, 1, modifiers, key)) return 3;
    return reportThenServe("held");
}

HBITMAP g_picture = nullptr;

LRESULT CALLBACK pictureWindowProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        HDC source = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(source, g_picture);
        BitBlt(dc, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), source, 0,
               0, SRCCOPY);
        SelectObject(source, old);
        DeleteDC(source);
        EndPaint(w, &ps);
        return 0;
    }
    return DefWindowProcW(w, m, wp, lp);
}

// Shows a bitmap file over the whole primary screen, above everything, until ended.
int showPicture(const std::wstring& file) {
    g_picture = static_cast<HBITMAP>(
        LoadImageW(nullptr, file.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    if (!g_picture) return 2;
    WNDCLASSW cls{};
    cls.lpfnWndProc = pictureWindowProc;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = L"VeiloraProbePicture";
    RegisterClassW(&cls);
    HWND w = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, cls.lpszClassName, L"Probe Picture",
                             WS_POPUP | WS_VISIBLE, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                             GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, cls.hInstance,
                             nullptr);
    if (!w) return 2;
    UpdateWindow(w);
    return reportThenServe("shown");
}

// Takes a program's tray icon away, as a shell that restarts does, then tells the program
// the taskbar is new (the registered "TaskbarCreated" message).
int recreateTaskbar(const std::wstring& cls) {
    HWND owner = FindWindowW(cls.c_str(), nullptr);
    if (!owner) return 3;
    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = owner;
    icon.uID = 1;
    const BOOL removed = Shell_NotifyIconW(NIM_DELETE, &icon);
    DWORD_PTR result = 0;
    SendMessageTimeoutW(owner, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0, SMTO_ABORTIFHUNG,
                        10000, &result);
    std::printf("%d\n", removed ? 1 : 0);
    return 0;
}

// Lets everyone only read the key below HKEY_CURRENT_USER: a store that refuses writes.
int denyWrites(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, WRITE_DAC | KEY_READ, &key) != 0) {
        return 3;
    }
    PSECURITY_DESCRIPTOR sd = nullptr;
    LONG rc = ERROR_INVALID_PARAMETER;
    if (ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;KR;;;WD)", SDDL_REVISION_1,
                                                             &sd, nullptr)) {
        rc = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, sd);
        LocalFree(sd);
    }
    RegCloseKey(key);
    std::printf("%ld\n", rc);
    return rc == 0 ? 0 : 4;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    int rc = 2;
    if (command == L"windows") {
        rc = listWindows(argc > 2 && std::wstring(argv[2]) == L"all");
    } else if (command == L"texts" && argc > 2) {
        rc = listTexts(argv[2]);
    } else if (command == L"pids" && argc > 2) {
        rc = listPids(argv[2]);
    } else if (command == L"send" && argc > 5) {
        rc = sendToClass(argv[2], static_cast<UINT>(std::wcstoul(argv[3], nullptr, 0)),
                         static_cast<WPARAM>(std::wcstoull(argv[4], nullptr, 0)),
                         static_cast<LPARAM>(std::wcstoll(argv[5], nullptr, 0)));
    } else if (command == L"keylog" && argc > 2) {
        rc = keylog(argv[2]);
    } else if (command == L"picture" && argc > 2) {
        rc = showPicture(argv[2]);
    } else if (command == L"retitle" && argc > 3) {
        HWND w = findVisible(argv[2]);
        rc = w && SetWindowTextW(w, argv[3]) ? 0 : 3;
    } else if (command == L"new-taskbar" && argc > 2) {
        rc = recreateTaskbar(argv[2]);
    } else if (command == L"hang" && argc > 2) {
        rc = hang(argv[2], argc > 3 ? argv[3] : L"");
    } else if (command == L"deny-writes" && argc > 2) {
        rc = denyWrites(argv[2]);
    } else if (command == L"window" && argc > 2) {
        rc = plainWindow(argv[2], argc > 3 && std::wstring(argv[3]) == L"minimized");
    } else if (command == L"holdkey" && argc > 3) {
        rc = holdHotKey(static_cast<UINT>(std::wcstoul(argv[2], nullptr, 0)),
                        static_cast<UINT>(std::wcstoul(argv[3], nullptr, 0)));
    } else if (command == L"screen") {
        std::printf("%d %d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        rc = 0;
    } else if (command == L"virtual") {
        std::printf("%d %d %d %d\n", GetSystemMetrics(SM_XVIRTUALSCREEN),
                    GetSystemMetrics(SM_YVIRTUALSCREEN), GetSystemMetrics(SM_CXVIRTUALSCREEN),
                    GetSystemMetrics(SM_CYVIRTUALSCREEN));
        rc = 0;
    } else if (command == L"held") {
        // Keys and buttons the system believes are down.
        for (int vk = 1; vk < 256; ++vk) {
            if (GetAsyncKeyState(vk) & 0x8000) std::printf("%d\n", vk);
        }
        rc = 0;
    } else {
        std::fprintf(stderr, "usage: probe windows [all] | texts TITLE | pids EXE | send CLASS MSG WPARAM LPARAM | "
                     "keylog FILE | deny-writes KEY | hang TITLE [topmost|quiet] | window TITLE [minimized] | holdkey MODS VK | "
                     "new-taskbar CLASS | retitle OLD NEW | picture FILE | screen | virtual | held\n");
    }
    std::fflush(stdout);
    return rc;
}
