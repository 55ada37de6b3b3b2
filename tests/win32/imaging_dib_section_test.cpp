// Images meeting real device contexts, bitmaps, the clipboard and Windows' own bitmap reader.

#include "imaging/dib_section_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>

#include "imaging/dib_section_save.h"
#include "imaging/imaging_error.h"
#include "win32/handles.h"
#include "win32/strings.h"

namespace veilora::imaging {
namespace {

COLORREF rgbAt(const DibSection& d, int x, int y) {
    const std::uint8_t* p = d.dibSectionBitsPtr() + d.pixelOffset(x, y);
    return RGB(p[2], p[1], p[0]);
}

DibSection pattern(int w, int h) {
    DibSection d;
    EXPECT_TRUE(d.create(w, h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = d.dibSectionBitsPtr() + d.pixelOffset(x, y);
            p[0] = static_cast<std::uint8_t>(200 - x * y);  // blue, green, red
            p[1] = static_cast<std::uint8_t>(y * 40);
            p[2] = static_cast<std::uint8_t>(x * 30);
        }
    return d;
}

TEST(ImagingWin32, PaintPictureAndLoadPictureBltCopyWhereAsked) {
    const DibSection d = pattern(7, 5);
    GdiDibSection canvas{20, 20};  // white, drawn into and read back with GetPixel
    PatBlt(canvas.hdc(), 0, 0, 20, 20, WHITENESS);
    auto at = [&](int x, int y) { return GetPixel(canvas.hdc(), x, y); };
    paintPicture(d, canvas.hdc(), 3, 2, -1, -1, 0, 0, SRCCOPY);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) EXPECT_EQ(at(3 + x, 2 + y), rgbAt(d, x, y));
    EXPECT_EQ(at(2, 2), RGB(255, 255, 255));
    EXPECT_EQ(at(10, 2), RGB(255, 255, 255));
    paintPicture(d, canvas.hdc(), 0, 0, 2, 0, 0, 0, SRCCOPY);  // no height: nothing
    EXPECT_EQ(at(0, 0), RGB(255, 255, 255));

    DibSection back;
    ASSERT_TRUE(back.create(4, 3));
    loadPictureBlt(back, canvas.hdc(), 5, 3, -1, -1, SRCCOPY);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(rgbAt(back, x, y), rgbAt(d, x + 2, y + 1));
}

TEST(ImagingWin32, CreateFromPictureTakesTheBitmapsSizeAndColours) {
    win32::WindowDc screen(nullptr);
    win32::BitmapHandle bitmap(CreateCompatibleBitmap(screen.get(), 16, 9));
    ASSERT_TRUE(bitmap);
    {
        win32::MemoryDc dc(CreateCompatibleDC(screen.get()));
        win32::SelectedObject selected(dc.get(), bitmap.get());
        RECT all{0, 0, 16, 9}, corner{0, 0, 4, 3};
        win32::BrushHandle blue(CreateSolidBrush(RGB(0, 0, 255)));
        FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        FillRect(dc.get(), &corner, blue.get());
    }
    DibSection d;
    ASSERT_TRUE(createFromPicture(d, bitmap.get()));
    EXPECT_EQ(std::pair(d.width(), d.height()), std::pair(16, 9));
    EXPECT_EQ(rgbAt(d, 0, 0), RGB(0, 0, 255));
    EXPECT_EQ(rgbAt(d, 15, 8), RGB(255, 255, 255));

    // Still selected elsewhere: nothing can be copied, and that is said.
    win32::MemoryDc holder(CreateCompatibleDC(screen.get()));
    win32::SelectedObject held(holder.get(), bitmap.get());
    EXPECT_FALSE(createFromPicture(d, bitmap.get()));
}

TEST(ImagingWin32, CopyToClipboardLeavesABitmapOfTheImagesSizeOwnedByTheCaller) {
    win32::WindowHandle owner(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, HWND_MESSAGE,
                                              nullptr, nullptr, nullptr));
    DibSection d = pattern(11, 4);
    ASSERT_TRUE(copyToClipboard(d, owner.get()));
    EXPECT_EQ(GetClipboardOwner(), owner.get());
    ASSERT_TRUE(OpenClipboard(nullptr));
    auto bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    BITMAP description{};
    EXPECT_TRUE(bitmap && GetObjectW(bitmap, sizeof description, &description));
    EXPECT_EQ(std::pair(description.bmWidth, description.bmHeight), std::pair(11L, 4L));
    EmptyClipboard();
    CloseClipboard();
}

TEST(ImagingWin32, AFileThatCannotBeCreatedIsReportedWithTheSystemsMessage) {
    useSystemMessages();
    const auto file = std::filesystem::temp_directory_path() / L"no-such-folder\\veilora.bmp";
    DibSection image = pattern(3, 3);
    try {
        DibSectionSave().save(file, image, OutputColourDepth::TrueColour,
                              ColourReductionMethod::None);
        FAIL() << "saved into a folder that does not exist";
    } catch (const ImagingError& e) {
        EXPECT_EQ(e.number(), kErrCannotCreateFile);
        EXPECT_EQ(e.source(), "veilora_win32_tests.cDIBSection256");
        EXPECT_EQ(e.description(), win32::narrow(apiError(ERROR_PATH_NOT_FOUND)));
    }
}

// The system's own reader agrees with what we wrote, at every depth.
TEST(ImagingWin32, SavedFilesLoadInWindows) {
    for (auto depth : {OutputColourDepth::Mono, OutputColourDepth::Colour16,
                       OutputColourDepth::Colour256, OutputColourDepth::TrueColour}) {
        SCOPED_TRACE(static_cast<int>(depth));
        DibSection d = pattern(13, 7);
        const auto file = std::filesystem::temp_directory_path() / L"veilora-imaging-test.bmp";
        ASSERT_TRUE(DibSectionSave().save(file, d, depth, ColourReductionMethod::None));
        win32::BitmapHandle loaded(static_cast<HBITMAP>(LoadImageW(
            nullptr, file.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
        std::filesystem::remove(file);
        ASSERT_TRUE(loaded);
        DIBSECTION section{};
        ASSERT_TRUE(GetObjectW(loaded.get(), sizeof section, &section));
        const int bits[] = {1, 4, 8, 24};
        EXPECT_EQ(section.dsBmih.biBitCount, bits[static_cast<int>(depth)]);
        win32::MemoryDc dc(CreateCompatibleDC(nullptr));
        win32::SelectedObject selected(dc.get(), loaded.get());
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 13; ++x)
                ASSERT_EQ(GetPixel(dc.get(), x, y), rgbAt(d, x, y)) << x << "," << y;
    }
}

}  // namespace
}  // namespace veilora::imaging
