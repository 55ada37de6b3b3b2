// The capture against the real screen and file system: a known picture shown full screen is
// grabbed and saved, failures keep the old file, and the colour-depth dialog answers.

#include "capture/screen_capture_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unordered_map>
#include <vector>

#include "capture/capture_dialog_win32.h"
#include "imaging/dib_section_win32.h"
#include "res/resource.h"
#include "win32/handles.h"
#include "win32/window.h"

namespace veilora::capture {
namespace {
namespace fs = std::filesystem;
using imaging::DibSection;
using Bytes = std::vector<std::uint8_t>;

Bytes readBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t le32(const Bytes& b, std::size_t at) {
    return b.at(at) | b.at(at + 1) << 8 | b.at(at + 2) << 16 | std::uint32_t{b.at(at + 3)} << 24;
}

// Handles what the system sends (painting) until condition() holds or the deadline passes.
template <typename Condition>
bool pumpUntil(Condition condition, DWORD timeoutMs = 10000) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (GetTickCount64() > deadline) return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

// Every channel value, and the values halfway between two halftone levels, appear.
DibSection testPicture(int width, int height) {
    DibSection d;
    EXPECT_TRUE(d.create(width, height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = d.dibSectionBitsPtr() + d.pixelOffset(x, y);
            p[0] = static_cast<std::uint8_t>(x * 5 + y * 3);  // blue, green, red
            p[1] = static_cast<std::uint8_t>(y);
            p[2] = static_cast<std::uint8_t>(x);
        }
    return d;
}

class PictureWindow final : public win32::Window {
  public:
    explicit PictureWindow(const DibSection& picture) : picture_(picture) {
        createWindow({L"VeiloraTestPicture"}, WS_EX_TOPMOST | WS_EX_TOOLWINDOW,
                     WS_POPUP | WS_VISIBLE, 0, 0, 0, picture.width(), picture.height());
        UpdateWindow(hwnd());
    }

  private:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message != WM_PAINT) return Window::handleMessage(message, wParam, lParam);
        win32::PaintScope paint(hwnd());
        imaging::paintPicture(picture_, paint.dc());
        return 0;
    }
    const DibSection& picture_;
};

struct CaptureWin32 : ::testing::Test {
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folder = fs::path(temp) / "veilora-capture-test";
        fs::remove_all(folder);
        fs::create_directories(folder);
        target = (folder / "scrcap.bmp").wstring();
    }
    void TearDown() override { fs::remove_all(folder); }

    // The known picture over the whole screen, waited for until the screen shows it.
    void showPicture() {
        picture = testPicture(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        window = std::make_unique<PictureWindow>(picture);
        const int w = picture.width(), h = picture.height();
        const POINT probes[] = {{0, 0}, {w - 1, 0}, {w / 2, h / 2}, {0, h - 1}, {w - 1, h - 1}};
        ASSERT_TRUE(pumpUntil([&] {
            win32::WindowDc screen(nullptr);
            for (POINT p : probes) {
                const std::uint8_t* px =
                    picture.dibSectionBitsPtr() + picture.pixelOffset(p.x, p.y);
                if (GetPixel(screen.get(), p.x, p.y) != RGB(px[2], px[1], px[0])) return false;
            }
            return true;
        })) << "the test picture never reached the screen";
    }

    std::vector<fs::path> filesInFolder() const {
        std::vector<fs::path> out;
        for (const auto& entry : fs::directory_iterator(folder)) out.push_back(entry.path());
        return out;
    }

    fs::path folder;
    std::wstring target;
    DibSection picture;
    std::unique_ptr<PictureWindow> window;
};

TEST_F(CaptureWin32, TrueColourFileHoldsTheScreenPixels) {
    ASSERT_NO_FATAL_FAILURE(showPicture());
    const CaptureResult result = captureScreenToFile(CaptureDepth::TrueColour, target);
    ASSERT_TRUE(result) << std::string(result.error.begin(), result.error.end());
    const Bytes file = readBytes(target);
    ASSERT_EQ(file.size(), 54 + picture.sizeImage());
    EXPECT_EQ(le32(file, 10), 54u);
    EXPECT_EQ(le32(file, 18), static_cast<std::uint32_t>(picture.width()));
    EXPECT_EQ(le32(file, 22), static_cast<std::uint32_t>(picture.height()));
    EXPECT_EQ(file[28], 24);
    // Same bottom-up layout, same row padding: the pixel blocks match byte for byte.
    EXPECT_TRUE(std::equal(file.begin() + 54, file.end(), picture.dibSectionBitsPtr()));
    EXPECT_EQ(filesInFolder(), std::vector<fs::path>{fs::path(target)});
}

// The halftone table, and each pixel the nearest table colour of the screen pixel by squared
// distance (the measure of drawing into a bitmap with a colour table), lowest index on ties.
TEST_F(CaptureWin32, TwoHundredFiftySixColourFileHoldsTheNearestHalftoneColours) {
    ASSERT_NO_FATAL_FAILURE(showPicture());
    const CaptureResult result = captureScreenToFile(CaptureDepth::Colours256, target);
    ASSERT_TRUE(result) << std::string(result.error.begin(), result.error.end());
    const Bytes file = readBytes(target);
    const int w = picture.width(), h = picture.height();
    const std::size_t row = (static_cast<std::size_t>(w) + 3) / 4 * 4;
    ASSERT_EQ(file.size(), 1078 + row * static_cast<std::size_t>(h));
    EXPECT_EQ(file[28], 8);

    std::vector<std::array<int, 3>> table(256, {0, 0, 0});
    const int levels[] = {0, 64, 128, 192, 255};
    int n = 0;
    for (int b : levels)
        for (int g : levels)
            for (int r : levels) table[static_cast<std::size_t>(n++)] = {r, g, b};
    for (std::size_t i = 0; i < 256; ++i) {
        const auto [r, g, b] = table[i];
        ASSERT_EQ(le32(file, 54 + 4 * i), static_cast<std::uint32_t>(b | g << 8 | r << 16)) << i;
    }

    std::unordered_map<std::uint32_t, std::uint8_t> nearest;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint8_t* p = picture.dibSectionBitsPtr() + picture.pixelOffset(x, y);
            const std::uint32_t key = p[2] << 16 | p[1] << 8 | p[0];
            auto found = nearest.find(key);
            if (found == nearest.end()) {
                int best = 0, bestDistance = 1 << 30;
                for (int i = 0; i < 256; ++i) {
                    const auto [r, g, b] = table[static_cast<std::size_t>(i)];
                    const int d =
                        (p[2] - r) * (p[2] - r) + (p[1] - g) * (p[1] - g) + (p[0] - b) * (p[0] - b);
                    if (d < bestDistance) best = i, bestDistance = d;
                }
                found = nearest.emplace(key, static_cast<std::uint8_t>(best)).first;
            }
            const std::size_t at =
                1078 + static_cast<std::size_t>(h - 1 - y) * row + static_cast<std::size_t>(x);
            ASSERT_EQ(file[at], found->second) << x << "," << y;
        }
}

// Another program holds the old picture open without sharing it.
TEST_F(CaptureWin32, ALockedPictureStaysAsItWasAndTheSystemSaysWhy) {
    const Bytes old = {'B', 'M', 'o', 'l', 'd'};
    std::ofstream(fs::path(target), std::ios::binary)
        .write(reinterpret_cast<const char*>(old.data()), 5);
    {
        win32::FileHandle lock(CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(lock);
        const CaptureResult result = captureScreenToFile(CaptureDepth::TrueColour, target);
        EXPECT_FALSE(result);
        EXPECT_FALSE(result.error.empty());
    }
    EXPECT_EQ(readBytes(target), old);
    EXPECT_EQ(filesInFolder(), std::vector<fs::path>{fs::path(target)});
}

// The folder is made read-only for this process by the test's runner, which can (file
// permissions of the host); without it there is nothing to check.
TEST(CaptureWin32ReadOnly, AReadOnlyFolderKeepsTheOldPictureAndTheSystemSaysWhy) {
    const wchar_t* dir = _wgetenv(L"VEILORA_TEST_READONLY_DIR");
    if (!dir) GTEST_SKIP() << "VEILORA_TEST_READONLY_DIR names no read-only folder";
    const fs::path folder(dir);
    const std::wstring target = (folder / "scrcap.bmp").wstring();
    const Bytes old = readBytes(target);
    ASSERT_FALSE(old.empty());
    const std::wstring probe = (folder / "probe").wstring();
    if (win32::FileHandle(CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr))) {
        DeleteFileW(probe.c_str());
        FAIL() << "the runner left the folder writable";
    }
    const CaptureResult result = captureScreenToFile(CaptureDepth::Colours256, target);
    EXPECT_FALSE(result);
    EXPECT_FALSE(result.error.empty());
    EXPECT_EQ(result.systemError, static_cast<std::uint32_t>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(readBytes(target), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

// ---------------------------------------------------------------- the colour-depth dialog

std::wstring textOf(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

// Runs the dialog while another thread looks at it and then acts on it as a user would.
template <typename Act>
std::optional<CaptureDepth> runDialogWith(Act act) {
    struct Job {
        Act act;
        static DWORD WINAPI run(void* self) {
            HWND dialog = nullptr;
            const ULONGLONG deadline = GetTickCount64() + 10000;
            while (!((dialog = FindWindowW(L"#32770", L"Screen Capture")) &&
                     IsWindowVisible(dialog)) &&
                   GetTickCount64() < deadline) {
                Sleep(10);  // polling another thread's window into existence
            }
            if (!dialog) return 0;
            static_cast<Job*>(self)->act(dialog);
            // A dialog the act did not end is closed, so a failure cannot hang the tests.
            const ULONGLONG closeBy = GetTickCount64() + 10000;
            while (IsWindow(dialog) && GetTickCount64() < closeBy) Sleep(10);
            if (IsWindow(dialog)) PostMessageW(dialog, WM_CLOSE, 0, 0);
            return 0;
        }
    } job{act};
    win32::KernelHandle thread(CreateThread(nullptr, 0, &Job::run, &job, 0, nullptr));
    const auto result = runCaptureDepthDialog(nullptr);
    WaitForSingleObject(thread.get(), INFINITE);
    return result;
}

void click(HWND dialog, int id) {
    SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

TEST(CaptureDepthDialog, OpensOnTwoHundredFiftySixColoursAndOkChoosesIt) {
    std::wstring label, option256, optionTrue;
    LRESULT checked256 = -1, checkedTrue = -1;
    const auto depth = runDialogWith([&](HWND dialog) {
        label = textOf(GetDlgItem(dialog, IDC_CAPTURE_TEXT));
        option256 = textOf(GetDlgItem(dialog, IDC_CAPTURE_256));
        optionTrue = textOf(GetDlgItem(dialog, IDC_CAPTURE_TRUE_COLOUR));
        checked256 = SendDlgItemMessageW(dialog, IDC_CAPTURE_256, BM_GETCHECK, 0, 0);
        checkedTrue = SendDlgItemMessageW(dialog, IDC_CAPTURE_TRUE_COLOUR, BM_GETCHECK, 0, 0);
        click(dialog, IDOK);
    });
    EXPECT_EQ(label,
              L"Select a resolution for the image below and click \"OK\" . Then press the \"F11\" "
              L"key on your keyboard to capture an image of whatever you have on the screen.");
    EXPECT_EQ(option256, L"256 Colors (About 700k file size)");
    EXPECT_EQ(optionTrue, L"True Color (About 2.3mb file size)");
    EXPECT_EQ(checked256, BST_CHECKED);
    EXPECT_EQ(checkedTrue, BST_UNCHECKED);
    EXPECT_EQ(depth, CaptureDepth::Colours256);
}

TEST(CaptureDepthDialog, TrueColourWithOkOrNothingWhenCancelledOrClosed) {
    EXPECT_EQ(runDialogWith([](HWND dialog) {
                  click(dialog, IDC_CAPTURE_TRUE_COLOUR);
                  click(dialog, IDOK);
              }),
              CaptureDepth::TrueColour);
    EXPECT_EQ(runDialogWith([](HWND dialog) {
                  click(dialog, IDC_CAPTURE_TRUE_COLOUR);
                  click(dialog, IDCANCEL);
              }),
              std::nullopt);
    EXPECT_EQ(runDialogWith([](HWND dialog) { SendMessageW(dialog, WM_CLOSE, 0, 0); }),
              std::nullopt);
}

}  // namespace
}  // namespace veilora::capture
