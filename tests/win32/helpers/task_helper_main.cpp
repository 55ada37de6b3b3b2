// Test-only helper: a program with a visible top-level window whose task the Win32 tests end.
//   veilora_task_helper <closes|ignores|late> <title>
// closes:  a close request ends it (exit code 3).
// ignores: close requests are ignored.
// late:    ignores the request but ends by itself 1.5 s later (exit code 7).
#include <windows.h>

#include <shellapi.h>

#include <string>

namespace {

constexpr UINT_PTR kLateTimer = 1;
enum class Mode { Closes, Ignores, Late };
Mode mode = Mode::Closes;

LRESULT CALLBACK helperProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CLOSE:
            if (mode == Mode::Closes) {
                ::PostQuitMessage(3);
            } else if (mode == Mode::Late) {
                ::SetTimer(window, kLateTimer, 1500, nullptr);
            }
            return 0;
        case WM_TIMER:
            if (wParam == kLateTimer) ::PostQuitMessage(7);
            return 0;
        default:
            return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (!argv || argc < 3) return 2;
    const std::wstring modeName = argv[1];
    mode = modeName == L"ignores" ? Mode::Ignores : modeName == L"late" ? Mode::Late : Mode::Closes;
    const std::wstring title = argv[2];

    WNDCLASSEXW cls{};
    cls.cbSize = sizeof cls;
    cls.lpfnWndProc = &helperProc;
    cls.hInstance = instance;
    cls.hIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
    cls.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    cls.lpszClassName = L"VeiloraTaskHelper";
    ::RegisterClassExW(&cls);
    ::CreateWindowExW(0, cls.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                      300, 200, nullptr, nullptr, instance, nullptr);
    ::LocalFree(argv);

    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
