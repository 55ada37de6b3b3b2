#include "capture/screen_capture_win32.h"

#include <algorithm>
#include <new>
#include <optional>
#include <vector>

#include "imaging/dib_section_win32.h"
#include "win32/handles.h"

namespace veilora::capture {

namespace {

// Makes the calling thread per-monitor DPI aware while it lives, so that sizes and the
// copy are in physical pixels even for a caller that is not (systems before Windows 10
// have no per-thread awareness and go by the program's manifest).
class PerMonitorDpiScope {
  public:
    PerMonitorDpiScope() {
        HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
        if (!user32) return;
        set_ = reinterpret_cast<SetContext>(
            reinterpret_cast<void*>(::GetProcAddress(user32, "SetThreadDpiAwarenessContext")));
        if (!set_) return;
        previous_ = set_(reinterpret_cast<HANDLE>(-4));                  // per monitor, version 2
        if (!previous_) previous_ = set_(reinterpret_cast<HANDLE>(-3));  // per monitor
    }
    PerMonitorDpiScope(const PerMonitorDpiScope&) = delete;
    PerMonitorDpiScope& operator=(const PerMonitorDpiScope&) = delete;
    ~PerMonitorDpiScope() {
        if (previous_) set_(previous_);
    }

  private:
    using SetContext = HANDLE(WINAPI*)(HANDLE);
    SetContext set_ = nullptr;
    HANDLE previous_ = nullptr;
};

// A palette selected into a device context until the end of the scope.
class SelectedPalette {
  public:
    SelectedPalette(HDC dc, HPALETTE palette)
        : dc_(dc), previous_(::SelectPalette(dc, palette, FALSE)) {
        ::RealizePalette(dc);
    }
    SelectedPalette(const SelectedPalette&) = delete;
    SelectedPalette& operator=(const SelectedPalette&) = delete;
    ~SelectedPalette() {
        if (previous_) ::SelectPalette(dc_, previous_, FALSE);
    }

  private:
    HDC dc_;
    HPALETTE previous_;
};

// On a 256-colour display the screen's pixels are indices into the system palette: copy
// them through that palette to get the colours the user sees.
win32::GdiObject systemPaletteOf(HDC screen) {
    if (!(::GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE) ||
        ::GetDeviceCaps(screen, SIZEPALETTE) != 256) {
        return {};
    }
    std::vector<std::uint8_t> block(sizeof(LOGPALETTE) + 255 * sizeof(PALETTEENTRY));
    auto* palette = reinterpret_cast<LOGPALETTE*>(block.data());
    palette->palVersion = 0x300;
    palette->palNumEntries = 256;
    ::GetSystemPaletteEntries(screen, 0, 256, palette->palPalEntry);
    return win32::GdiObject(::CreatePalette(palette));
}

// The screen copied into a 32-bit section first: the system's own format, which it fills
// fastest, and from which taking three bytes of four is quicker than its conversion.
class ScreenCopy {
  public:
    ScreenCopy(int width, int height) : dc_(::CreateCompatibleDC(nullptr)) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = height;  // bottom-up, like DibSection
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        if (!dc_) return;
        void* bits = nullptr;
        section_.reset(::CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!section_ || !bits) return;
        previous_ = ::SelectObject(dc_.get(), section_.get());
        bits_ = static_cast<const std::uint8_t*>(bits);
    }
    ScreenCopy(const ScreenCopy&) = delete;
    ScreenCopy& operator=(const ScreenCopy&) = delete;
    ~ScreenCopy() {
        if (previous_) ::SelectObject(dc_.get(), previous_);
    }

    bool valid() const { return bits_ != nullptr; }
    HDC dc() const { return dc_.get(); }

    // Into an image of the same size.
    void copyTo(imaging::DibSection& image) const {
        ::GdiFlush();  // the copy into the section may still be queued
        const auto width = static_cast<std::size_t>(image.width());
        const std::size_t stride = static_cast<std::size_t>(image.bytesPerScanLine());
        for (int y = 0; y < image.height(); ++y) {
            const std::uint8_t* from = bits_ + static_cast<std::size_t>(y) * width * 4;
            std::uint8_t* to = image.dibSectionBitsPtr() + static_cast<std::size_t>(y) * stride;
            for (std::size_t x = 0; x < width; ++x, from += 4, to += 3) {
                to[0] = from[0];
                to[1] = from[1];
                to[2] = from[2];
            }
        }
    }

  private:
    win32::MemoryDc dc_;
    win32::BitmapHandle section_;
    HGDIOBJ previous_ = nullptr;
    const std::uint8_t* bits_ = nullptr;
};

DWORD lastErrorOr(DWORD fallback) {
    const DWORD error = ::GetLastError();
    return error ? error : fallback;
}

std::wstring systemMessage(DWORD error) {
    std::wstring text = imaging::apiError(error);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
        text.pop_back();
    }
    return text;
}

// Owns the temporary file from its creation until it is in place or deleted, so that not
// even an exception leaves it behind.
class FileSystemWin32 final : public CaptureFileSystem {
  public:
    FileSystemWin32() = default;
    FileSystemWin32(const FileSystemWin32&) = delete;
    FileSystemWin32& operator=(const FileSystemWin32&) = delete;
    ~FileSystemWin32() override {
        if (!pending_.empty()) discard(pending_);
    }

    Error create(const std::wstring& path) override {
        pending_ = path;  // first: nothing may throw once the file exists
        file_.reset(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file_) return 0;
        const DWORD error = lastErrorOr(ERROR_CANNOT_MAKE);
        pending_.clear();  // nothing of ours to delete
        return error;
    }

    Error write(std::span<const std::uint8_t> bytes) override {
        while (!bytes.empty()) {
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
            DWORD written = 0;
            ::SetLastError(0);
            if (!::WriteFile(file_.get(), bytes.data(), chunk, &written, nullptr) || written == 0) {
                return lastErrorOr(ERROR_DISK_FULL);
            }
            bytes = bytes.subspan(written);
        }
        return 0;
    }

    Error flushAndClose() override {
        if (!::FlushFileBuffers(file_.get())) return lastErrorOr(ERROR_WRITE_FAULT);
        file_.reset();
        return 0;
    }

    Error replace(const std::wstring& from, const std::wstring& target) override {
        if (!::MoveFileExW(from.c_str(), target.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return lastErrorOr(ERROR_ACCESS_DENIED);
        }
        pending_.clear();
        return 0;
    }

    void discard(const std::wstring& path) noexcept override {
        file_.reset();
        ::DeleteFileW(path.c_str());
        pending_.clear();
    }

    std::wstring message(Error error) override { return systemMessage(error); }

  private:
    win32::FileHandle file_;
    std::wstring pending_;
};

CaptureResult failure(DWORD error) {
    return {false, systemMessage(error), error};
}

void traceEvent(TraceSink* trace, const char* name, long long value) {
    if (trace) trace->event(name, value);
}

}  // namespace

DWORD grabPrimaryScreen(imaging::DibSection& image) {
    PerMonitorDpiScope physicalPixels;
    // The primary screen starts at 0, 0 in the virtual screen.
    const int width = ::GetSystemMetrics(SM_CXSCREEN);
    const int height = ::GetSystemMetrics(SM_CYSCREEN);
    if (width < 1 || height < 1) return ERROR_GEN_FAILURE;

    win32::WindowDc screen(::GetDesktopWindow());
    if (!screen.get()) return lastErrorOr(ERROR_GEN_FAILURE);
    ScreenCopy copy(width, height);
    if (!copy.valid()) return lastErrorOr(ERROR_NOT_ENOUGH_MEMORY);
    if (!image.create(width, height)) return ERROR_NOT_ENOUGH_MEMORY;

    const win32::GdiObject palette = systemPaletteOf(screen.get());
    {
        std::optional<SelectedPalette> selected;
        if (palette) selected.emplace(copy.dc(), static_cast<HPALETTE>(palette.get()));
        // Layered windows are part of what the user sees.
        if (!::BitBlt(copy.dc(), 0, 0, width, height, screen.get(), 0, 0, SRCCOPY | CAPTUREBLT)) {
            image.clearUp();
            return lastErrorOr(ERROR_GEN_FAILURE);
        }
    }
    copy.copyTo(image);
    return 0;
}

CaptureResult captureScreenToFile(CaptureDepth depth, const std::wstring& path,
                                  TraceSink* trace) noexcept {
    try {
        imaging::DibSection image;
        if (const DWORD error = grabPrimaryScreen(image)) {
            traceEvent(trace, "capture-failed", error);
            return failure(error);
        }
        traceEvent(trace, "capture-grabbed", image.width());
        const std::optional<imaging::EncodedBitmap> encoded = encodeCapture(image, depth);
        if (!encoded) {
            traceEvent(trace, "capture-failed", ERROR_NOT_ENOUGH_MEMORY);
            return failure(ERROR_NOT_ENOUGH_MEMORY);
        }
        traceEvent(trace, "capture-encoded", static_cast<long long>(encoded->pixels().size()));
        FileSystemWin32 files;
        CaptureResult result = saveReplacing(*encoded, path, ::GetCurrentProcessId(), files);
        if (result) {
            traceEvent(trace, "capture-saved", static_cast<int>(depth));
        } else {
            traceEvent(trace, "capture-failed", result.systemError);
        }
        return result;
    } catch (...) {
        // The old picture is still there whatever went wrong; only the message can fail now.
        DWORD error = ERROR_INTERNAL_ERROR;
        try {
            throw;
        } catch (const std::bad_alloc&) {
            error = ERROR_NOT_ENOUGH_MEMORY;
        } catch (...) {
        }
        traceEvent(trace, "capture-failed", error);
        try {
            return failure(error);
        } catch (...) {
            return {false, {}, error};
        }
    }
}

}  // namespace veilora::capture
