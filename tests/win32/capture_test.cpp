// The capture against the real screen and file system, and the colour-depth dialog.

#include "capture/screen_capture_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "capture/capture_dialog_win32.h"
#include "imaging/dib_section_win32.h"
#include "res/resource.h"
#include "win32/handles.h"
#include "win32/window.h"

namespace veilora::capture {
namespace {
namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

Bytes readBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t le32(const Bytes& b, std::size_t at) {
    return b.at(at) | b.at(at + 1) << 8 | b.at(at + 2) << 16 | std::uint32_t{b.at(at + 3)} << 24;
}

// A known picture over the whole screen: every channel value, halfway values included.
class PictureWindow final : public win32::Window {
  public:
    PictureWindow() {
        picture.create(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) {
                std::uint8_t* p = picture.dibSectionBitsPtr() + picture.pixelOffset(x, y);
                p[0] = static_cast<std::uint8_t>(x * 5 + y * 3);  // blue, green, red
                p[1] = static_cast<std::uint8_t>(y);
                p[2] = static_cast<std::uint8_t>(x);
            }
        createWindow({L"VeiloraTestPicture"}, WS_EX_TOPMOST | WS_EX_TOOLWINDOW,
                     WS_POPUP | WS_VISIBLE, nullptr, 0, 0, picture.width(), picture.height());
    }
    // Handles painting until the screen shows the picture at its corners and centre.
    bool waitUntilShown() const {
        const int w = picture.width() - 1, h = picture.height() - 1;
        const ULONGLONG deadline = GetTickCount64() + 10000;
        for (;;) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            win32::WindowDc screen(nullptr);
            bool shown = true;
            for (POINT p :
                 {POINT{0, 0}, POINT{w, 0}, POINT{w / 2, h / 2}, POINT{0, h}, POINT{w, h}}) {
                const std::uint8_t* c = picture.dibSectionBitsPtr() + picture.pixelOffset(p.x, p.y);
                shown = shown && GetPixel(screen.get(), p.x, p.y) == RGB(c[2], c[1], c[0]);
            }
            if (shown) return true;
            if (GetTickCount64() > deadline) return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
    }
    imaging::DibSection picture;

  private:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message != WM_PAINT) return Window::handleMessage(message, wParam, lParam);
        win32::PaintScope paint(hwnd());
        imaging::paintPicture(picture, paint.dc());
        return 0;
    }
};

struct CaptureWin32 : ::testing::Test {
    void SetUp() override {
        folder = fs::temp_directory_path() / "veilora-capture-test";
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }
    std::size_t filesInFolder() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), {}));
    }
    fs::path folder;
    std::wstring target = (fs::temp_directory_path() / "veilora-capture-test/scrcap.bmp").wstring();
};

TEST_F(CaptureWin32, FilesHoldTheScreenOrItsNearestHalftoneColours) {
    PictureWindow window;
    ASSERT_TRUE(window.waitUntilShown()) << "the test picture never reached the screen";
    const imaging::DibSection& screen = window.picture;
    const int w = screen.width(), h = screen.height();

    ASSERT_TRUE(captureScreenToFile(CaptureDepth::TrueColour, target));
    Bytes file = readBytes(target);
    ASSERT_EQ(file.size(), 54 + screen.sizeImage());
    EXPECT_EQ(le32(file, 18), static_cast<std::uint32_t>(w));
    EXPECT_EQ(le32(file, 22), static_cast<std::uint32_t>(h));
    EXPECT_EQ(file[28], 24);
    // The same bottom-up rows with the same padding: equal byte for byte.
    EXPECT_TRUE(std::equal(file.begin() + 54, file.end(), screen.dibSectionBitsPtr()));

    // The halftone table; each pixel the nearest table colour by squared distance (drawing
    // into a bitmap with a colour table measures so), the lowest index on ties.
    ASSERT_TRUE(captureScreenToFile(CaptureDepth::Colours256, target));
    file = readBytes(target);
    const std::size_t row = (static_cast<std::size_t>(w) + 3) & ~std::size_t{3};
    ASSERT_EQ(file.size(), 1078 + row * static_cast<std::size_t>(h));
    std::array<std::array<int, 3>, 256> table{};
    const int levels[] = {0, 64, 128, 192, 255};
    for (int i = 0; i < 125; ++i) table[i] = {levels[i % 5], levels[i / 5 % 5], levels[i / 25]};
    for (std::size_t i = 0; i < 256; ++i) {
        const auto [r, g, b] = table[i];
        ASSERT_EQ(le32(file, 54 + 4 * i), static_cast<std::uint32_t>(b | g << 8 | r << 16)) << i;
    }
    std::map<std::uint32_t, int> nearest;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint8_t* p = screen.dibSectionBitsPtr() + screen.pixelOffset(x, y);
            auto [at, isNew] = nearest.try_emplace(p[2] << 16 | p[1] << 8 | p[0], 0);
            for (int i = 0, best = 1 << 30; isNew && i < 256; ++i) {
                const auto [r, g, b] = table[static_cast<std::size_t>(i)];
                const int d =
                    (p[2] - r) * (p[2] - r) + (p[1] - g) * (p[1] - g) + (p[0] - b) * (p[0] - b);
                if (d < best) best = d, at->second = i;
            }
            ASSERT_EQ(file[1078 + static_cast<std::size_t>(h - 1 - y) * row +
                           static_cast<std::size_t>(x)],
                      at->second)
                << x << "," << y;
        }
    EXPECT_EQ(filesInFolder(), 1u);
}

// Another program holds the old picture open without sharing it.
TEST_F(CaptureWin32, ALockedPictureStaysAsItWasAndTheSystemSaysWhy) {
    std::ofstream(fs::path(target), std::ios::binary) << "BM old";
    {
        win32::FileHandle lock(CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(lock);
        const CaptureResult result = captureScreenToFile(CaptureDepth::TrueColour, target);
        EXPECT_FALSE(result);
        EXPECT_FALSE(result.error.empty());
    }
    EXPECT_EQ(readBytes(target), (Bytes{'B', 'M', ' ', 'o', 'l', 'd'}));
    EXPECT_EQ(filesInFolder(), 1u);
}

// The runner makes the folder read-only for this process (the host's file permissions).
TEST(CaptureWin32ReadOnly, AReadOnlyFolderKeepsTheOldPictureAndTheSystemSaysWhy) {
    const wchar_t* dir = _wgetenv(L"VEILORA_TEST_READONLY_DIR");
    if (!dir) GTEST_SKIP() << "VEILORA_TEST_READONLY_DIR names no read-only folder";
    const std::wstring target = (fs::path(dir) / "scrcap.bmp").wstring();
    const std::wstring probe = (fs::path(dir) / "probe").wstring();
    ASSERT_FALSE(win32::FileHandle(CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                               FILE_ATTRIBUTE_NORMAL, nullptr)))
        << "the runner left the folder writable";
    const Bytes old = readBytes(target);
    const CaptureResult result = captureScreenToFile(CaptureDepth::Colours256, target);
    EXPECT_FALSE(result);
    EXPECT_EQ(result.systemError, static_cast<std::uint32_t>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(result.error.empty());
    EXPECT_EQ(readBytes(target), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 1);
}

// Runs the dialog while another thread acts on it as a user would, once it is up; a dialog
// the act leaves open is closed, so that a failure cannot hang the tests.
template <typename Act>
std::optional<CaptureDepth> runDialogWith(Act act) {
    struct Job {
        Act act;
        static DWORD WINAPI run(void* self) {
            HWND dialog = nullptr;
            for (ULONGLONG end = GetTickCount64() + 10000; GetTickCount64() < end; Sleep(10)) {
                dialog = FindWindowW(L"#32770", L"Screen Capture");
                if (dialog && IsWindowVisible(dialog)) break;
            }
            if (!dialog) return 0;
            static_cast<Job*>(self)->act(dialog);
            for (ULONGLONG end = GetTickCount64() + 10000; IsWindow(dialog); Sleep(10)) {
                if (GetTickCount64() > end) PostMessageW(dialog, WM_CLOSE, 0, 0);
            }
            return 0;
        }
    } job{act};
    win32::KernelHandle thread(CreateThread(nullptr, 0, &Job::run, &job, 0, nullptr));
    const auto result = runCaptureDepthDialog(nullptr);
    WaitForSingleObject(thread.get(), INFINITE);
    return result;
}

std::wstring text(HWND dialog, int id) {
    wchar_t buffer[512] = {};
    GetDlgItemTextW(dialog, id, buffer, 512);
    return buffer;
}

void click(HWND dialog, int id) {
    SendDlgItemMessageW(dialog, id, BM_CLICK, 0, 0);
}

TEST(CaptureDepthDialog, OffersBothDepthsStartsOn256AndAnswersOnlyOk) {
    std::map<int, std::wstring> texts;
    LRESULT checked256 = 0, checkedTrue = 0;
    EXPECT_EQ(runDialogWith([&](HWND dialog) {
                  for (int id : {IDC_CAPTURE_TEXT, IDC_CAPTURE_256, IDC_CAPTURE_TRUE_COLOUR})
                      texts[id] = text(dialog, id);
                  checked256 = SendDlgItemMessageW(dialog, IDC_CAPTURE_256, BM_GETCHECK, 0, 0);
                  checkedTrue =
                      SendDlgItemMessageW(dialog, IDC_CAPTURE_TRUE_COLOUR, BM_GETCHECK, 0, 0);
                  click(dialog, IDOK);
              }),
              CaptureDepth::Colours256);
    EXPECT_EQ(texts[IDC_CAPTURE_TEXT],
              L"Select a resolution for the image below and click \"OK\" . Then press the \"F11\" "
              L"key on your keyboard to capture an image of whatever you have on the screen.");
    EXPECT_EQ(texts[IDC_CAPTURE_256], L"256 Colors (About 700k file size)");
    EXPECT_EQ(texts[IDC_CAPTURE_TRUE_COLOUR], L"True Color (About 2.3mb file size)");
    EXPECT_EQ(checked256, BST_CHECKED);
    EXPECT_EQ(checkedTrue, BST_UNCHECKED);

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
}

}  // namespace
}  // namespace veilora::capture
