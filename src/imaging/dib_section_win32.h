// The platform's side of images: copying a DibSection from and to device contexts and
// bitmaps, and onto the clipboard.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "imaging/dib_section.h"
#include "win32/handles.h"

namespace veilora::imaging {

// A 24-bit GDI DIB section of a given size, selected into a memory device context of its
// own, so that the platform's drawing calls can copy into it and out of it.
class GdiDibSection {
  public:
    GdiDibSection(int width, int height);
    ~GdiDibSection();
    GdiDibSection(const GdiDibSection&) = delete;
    GdiDibSection& operator=(const GdiDibSection&) = delete;

    bool valid() const { return bits_ != nullptr; }
    HDC hdc() const { return dc_.get(); }
    HBITMAP hDib() const { return dib_.get(); }

    // Both take an image of this section's size; the pixel layouts are the same.
    void copyFrom(const DibSection& image);
    void copyTo(DibSection& image) const;

  private:
    win32::MemoryDc dc_;
    win32::BitmapHandle dib_;
    HGDIOBJ previous_ = nullptr;
    std::uint8_t* bits_ = nullptr;
    std::size_t size_ = 0;
};

// Makes the image the picture's size and copies the picture in, converted to 24 bits.
// False when nothing was copied (a bitmap still selected into another device context cannot
// be read).
bool createFromPicture(DibSection& dib, HBITMAP picture);

// BitBlt from source at (srcLeft, srcTop) into the image's top left; a negative width or
// height means the image's whole width or height. False when nothing was copied.
bool loadPictureBlt(DibSection& dib, HDC source, int srcLeft = 0, int srcTop = 0, int srcWidth = -1,
                    int srcHeight = -1, DWORD rop = SRCCOPY);

// BitBlt of the image, from (srcLeft, srcTop), to destination at (destLeft, destTop); a
// negative width or height means the image's whole width or height.
void paintPicture(const DibSection& dib, HDC destination, int destLeft = 0, int destTop = 0,
                  int destWidth = -1, int destHeight = -1, int srcLeft = 0, int srcTop = 0,
                  DWORD rop = SRCCOPY);

// Puts the image on the clipboard as a bitmap of the display's format, with `owner` as the
// clipboard's owner. Asked for a DIB it says it cannot and returns false.
bool copyToClipboard(const DibSection& dib, HWND owner, bool asDib = false);

// The system's message text for a Win32 error code; empty when it has none.
std::wstring apiError(DWORD error);

// From here on the library's errors name the running executable and carry the system's
// message for a Windows error code. Called once at start-up.
void useSystemMessages();

}  // namespace veilora::imaging
