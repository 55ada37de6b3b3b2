// The capture step under Wine, for bench/capture_vs_imagemagick.py.
//
//   capture_bench_win32 show READY_FILE
//       Covers the screen with a photograph-like picture and keeps it there until killed;
//       writes READY_FILE once the picture is on the screen.
//   capture_bench_win32 capture DEPTH RUNS FOLDER
//       RUNS times: the capture step at DEPTH (2 = 256 colours, 3 = true colour) into
//       FOLDER\scrcap.bmp, then the cover's own loading of that file. One line per run:
//       "run DEPTH GRAB ENCODE SAVE CAPTURE RELOAD TOTAL" in microseconds.

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cwchar>
#include <string>

#include "capture/screen_capture_win32.h"
#include "cover/cover_window_win32.h"
#include "imaging/dib_section_win32.h"
#include "win32/handles.h"
#include "win32/trace.h"
#include "win32/window.h"

namespace {
using namespace veilora;

long long now() {
    return win32::FileTrace::nowMicroseconds();
}

// The moments the capture step reports.
struct Stopwatch final : TraceSink {
    long long grabbed = 0, encoded = 0, done = 0;
    void event(std::string_view name) override { event(name, 0); }
    void event(std::string_view name, long long) override {
        if (name == "capture-grabbed") grabbed = now();
        if (name == "capture-encoded") encoded = now();
        if (name == "capture-saved" || name == "capture-failed") done = now();
    }
};

struct NoCoverEvents final : CoverWindow::Events {
    void onCoverDoubleClick() override {}
    void onCoverMouseUp(MouseButton) override {}
    void onCoverMenuIdle(WPARAM, LPARAM) override {}
};

// Smooth gradients, rings and fine noise: many colours, like a photograph of a desktop.
imaging::DibSection photograph(int width, int height) {
    imaging::DibSection d;
    d.create(width, height);
    unsigned seed = 12345;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            seed = seed * 1103515245 + 12345;
            const int noise = static_cast<int>(seed >> 28) - 8;
            const double r = std::hypot(x - width * 0.6, y - height * 0.4);
            auto clamp = [](double v) {
                return static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
            };
            std::uint8_t* p = d.dibSectionBitsPtr() + d.pixelOffset(x, y);
            p[0] = clamp(128 + 110 * std::sin(r / 37.0) + noise);
            p[1] = clamp(255.0 * y / height + noise);
            p[2] = clamp(255.0 * x / width - noise);
        }
    }
    return d;
}

class PictureWindow final : public win32::Window {
  public:
    PictureWindow(const imaging::DibSection& picture, std::wstring readyFile)
        : picture_(picture), readyFile_(std::move(readyFile)) {
        createWindow({L"VeiloraBenchPicture"}, WS_EX_TOPMOST | WS_EX_TOOLWINDOW,
                     WS_POPUP | WS_VISIBLE, L"Veilora capture bench picture", 0, 0, picture.width(),
                     picture.height());
    }

  private:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message != WM_PAINT) return Window::handleMessage(message, wParam, lParam);
        {
            win32::PaintScope paint(hwnd());
            imaging::paintPicture(picture_, paint.dc());
        }
        ::GdiFlush();
        if (!readyFile_.empty()) {
            win32::FileHandle(::CreateFileW(readyFile_.c_str(), GENERIC_WRITE, 0, nullptr,
                                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
            readyFile_.clear();
        }
        return 0;
    }

    const imaging::DibSection& picture_;
    std::wstring readyFile_;
};

int show(const wchar_t* readyFile) {
    const imaging::DibSection picture =
        photograph(::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
    PictureWindow window(picture, readyFile);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
    return 0;
}

int captureRuns(int depthValue, int runs, const std::wstring& folder) {
    const auto depth =
        depthValue == 3 ? capture::CaptureDepth::TrueColour : capture::CaptureDepth::Colours256;
    const std::wstring path = capture::captureFilePath(folder);
    NoCoverEvents events;
    CoverWindow cover(events, nullptr);
    // As in the program, the cover exists before any capture: the window system is up.
    if (!cover.create(nullptr)) return 1;
    for (int i = 0; i < runs; ++i) {
        Stopwatch watch;
        const long long start = now();
        const capture::CaptureResult result = capture::captureScreenToFile(depth, path, &watch);
        const long long captured = now();
        if (!result) {
            std::fwprintf(stderr, L"capture failed: %ls\n", result.error.c_str());
            return 1;
        }
        if (!cover.setPicture(path)) {
            std::fwprintf(stderr, L"the cover could not load %ls\n", path.c_str());
            return 1;
        }
        const long long reloaded = now();
        std::printf("run %d %lld %lld %lld %lld %lld %lld\n", depthValue, watch.grabbed - start,
                    watch.encoded - watch.grabbed, watch.done - watch.encoded, captured - start,
                    reloaded - captured, reloaded - start);
    }
    std::fflush(stdout);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 3 && std::wcscmp(argv[1], L"show") == 0) return show(argv[2]);
    if (argc == 5 && std::wcscmp(argv[1], L"capture") == 0) {
        return captureRuns(_wtoi(argv[2]), _wtoi(argv[3]), argv[4]);
    }
    std::fwprintf(stderr,
                  L"usage: capture_bench_win32 show READY_FILE | capture DEPTH RUNS FOLDER\n");
    return 2;
}
