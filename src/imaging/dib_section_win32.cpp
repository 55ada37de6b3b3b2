#include "imaging/dib_section_win32.h"

#include <cstring>

#include "imaging/imaging_error.h"
#include "win32/strings.h"
#include "win32/system.h"

namespace veilora::imaging {

namespace {
using win32::BitmapHandle;
using win32::MemoryDc;
using win32::SelectedObject;

// The whole extent for a negative request, as the image's callers expect.
int extent(int requested, int whole) {
    return requested < 0 ? whole : requested;
}

MemoryDc displayCompatibleDc() {
    MemoryDc display(::CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr));
    if (!display) return MemoryDc();
    return MemoryDc(::CreateCompatibleDC(display.get()));
}
}  // namespace

GdiDibSection::GdiDibSection(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up, like DibSection
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    dc_.reset(::CreateCompatibleDC(nullptr));
    if (!dc_ || width < 1 || height < 1) return;
    void* bits = nullptr;
    dib_.reset(::CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dib_ || !bits) return;
    previous_ = ::SelectObject(dc_.get(), dib_.get());
    bits_ = static_cast<std::uint8_t*>(bits);
    size_ = static_cast<std::size_t>(DibSection::bytesPerScanLine(width)) *
            static_cast<std::size_t>(height);
}

GdiDibSection::~GdiDibSection() {
    // The section goes back out of the context before either is deleted.
    if (previous_) ::SelectObject(dc_.get(), previous_);
}

void GdiDibSection::copyFrom(const DibSection& image) {
    if (!valid() || image.sizeImage() != size_) return;
    ::GdiFlush();
    std::memcpy(bits_, image.dibSectionBitsPtr(), size_);
}

void GdiDibSection::copyTo(DibSection& image) const {
    if (!valid() || image.sizeImage() != size_) return;
    ::GdiFlush();  // drawing into the section may still be queued
    std::memcpy(image.dibSectionBitsPtr(), bits_, size_);
}

bool createFromPicture(DibSection& dib, HBITMAP picture) {
    BITMAP description{};
    if (!::GetObjectW(picture, sizeof description, &description)) return false;
    const int height = description.bmHeight < 0 ? -description.bmHeight : description.bmHeight;
    if (!dib.create(description.bmWidth, height)) return false;
    MemoryDc dc = displayCompatibleDc();
    if (!dc) return false;
    // A bitmap can be selected into one device context at a time: while another holds it,
    // the selection fails and nothing could be read.
    HGDIOBJ previous = ::SelectObject(dc.get(), picture);
    if (!previous || previous == HGDI_ERROR) return false;
    const bool copied = loadPictureBlt(dib, dc.get(), 0, 0, -1, -1, SRCCOPY);
    ::SelectObject(dc.get(), previous);
    return copied;
}

bool loadPictureBlt(DibSection& dib, HDC source, int srcLeft, int srcTop, int srcWidth,
                    int srcHeight, DWORD rop) {
    GdiDibSection section(dib.width(), dib.height());
    if (!section.valid()) return false;
    section.copyFrom(dib);  // raster operations may read the destination
    if (!::BitBlt(section.hdc(), 0, 0, extent(srcWidth, dib.width()),
                  extent(srcHeight, dib.height()), source, srcLeft, srcTop, rop)) {
        return false;
    }
    section.copyTo(dib);
    return true;
}

void paintPicture(const DibSection& dib, HDC destination, int destLeft, int destTop, int destWidth,
                  int destHeight, int srcLeft, int srcTop, DWORD rop) {
    GdiDibSection section(dib.width(), dib.height());
    if (!section.valid()) return;
    section.copyFrom(dib);
    ::BitBlt(destination, destLeft, destTop, extent(destWidth, dib.width()),
             extent(destHeight, dib.height()), section.hdc(), srcLeft, srcTop, rop);
}

bool copyToClipboard(const DibSection& dib, HWND owner, bool asDib) {
    if (asDib) {
        ::MessageBoxW(nullptr,
                      L"I don't know how to put a DIB on the clipboard! Copy as bitmap instead!!!",
                      L"Veilora", MB_OK);
        return false;
    }
    MemoryDc display(::CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr));
    if (!display) return false;
    MemoryDc dc(::CreateCompatibleDC(display.get()));
    BitmapHandle bitmap(::CreateCompatibleBitmap(display.get(), dib.width(), dib.height()));
    if (!dc || !bitmap) return false;
    {
        SelectedObject selected(dc.get(), bitmap.get());
        paintPicture(dib, dc.get(), 0, 0, -1, -1, 0, 0, SRCCOPY);
    }
    // With an owner the clipboard knows whom the data came from; without one, emptying it
    // would leave it ownerless.
    if (!::OpenClipboard(owner)) return false;
    ::EmptyClipboard();
    const bool placed = ::SetClipboardData(CF_BITMAP, bitmap.get()) != nullptr;
    if (placed) bitmap.release();  // the clipboard owns it now
    ::CloseClipboard();
    return placed;
}

std::wstring apiError(DWORD error) {
    wchar_t text[512];
    DWORD n = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                               nullptr, error, 0, text, 512, nullptr);
    while (n > 0 && (text[n - 1] == L'\n' || text[n - 1] == L'\r')) --n;  // no line break
    return std::wstring(text, n);
}

void useSystemMessages() {
    setExecutableName(win32::narrow(win32::programName()));
    setOsErrorText([](unsigned long error) { return win32::narrow(apiError(error)); });
}

}  // namespace veilora::imaging
