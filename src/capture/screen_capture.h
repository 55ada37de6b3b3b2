// The portable half of a screen capture: which file the picture goes to, how the bitmap
// writer is set for each colour depth, and the safe save that replaces the old picture only
// once the new one is completely on the disk. The grab itself is in screen_capture_win32.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "imaging/dib_section.h"
#include "imaging/dib_section_save.h"

namespace veilora::capture {

// The colour depth chosen in the "Screen Capture" dialog. The values are the bitmap
// writer's output depths, which the dialog has always handed on unchanged.
enum class CaptureDepth : int {
    Colours256 = 2,  // 8 bits, the halftone table
    TrueColour = 3,  // 24 bits
};

struct WriterSettings {
    imaging::OutputColourDepth depth;
    imaging::ColourReductionMethod method;
};

// True colour as it is; 256 colours as the nearest halftone colours, without diffusion.
WriterSettings writerSettings(CaptureDepth depth);

// The picture as a bitmap file of the depth; nothing when there is no memory for it. The
// image must outlive the result.
std::optional<imaging::EncodedBitmap> encodeCapture(imaging::DibSection& image, CaptureDepth depth);

inline constexpr std::wstring_view kCaptureFileName = L"scrcap.bmp";

// The picture file in the program folder, with one backslash between them even when the
// folder is a drive root that already ends in one.
std::wstring captureFilePath(std::wstring_view programFolder);

// The temporary file a save writes first: beside the target, so that putting it in place is
// a rename on the same volume, and named after the target and a number unique to the caller.
std::wstring temporaryPathFor(std::wstring_view target, std::uint32_t unique);

// Success, or the text to show the user: the system's message for the failure.
struct CaptureResult {
    bool saved = false;
    std::wstring error;
    std::uint32_t systemError = 0;

    explicit operator bool() const { return saved; }
};

// The file system as the safe save needs it. Every call answers 0 or the system's error code.
class CaptureFileSystem {
  public:
    using Error = std::uint32_t;
    virtual ~CaptureFileSystem() = default;

    // Creates the file (emptying a leftover of the same name) and keeps it open for writing.
    virtual Error create(const std::wstring& path) = 0;
    // Appends to the open file; a short write is an error.
    virtual Error write(std::span<const std::uint8_t> bytes) = 0;
    // Makes the open file's contents durable, then closes it.
    virtual Error flushAndClose() = 0;
    // Puts the closed file in the place of target in one step, replacing what is there.
    virtual Error replace(const std::wstring& from, const std::wstring& target) = 0;
    // Closes the file if it is still open and deletes it.
    virtual void discard(const std::wstring& path) noexcept = 0;
    // The system's text for an error; empty when it has none.
    virtual std::wstring message(Error error) = 0;
};

// Writes the file beside target under a temporary name, flushes it and only then replaces
// target with it. On any failure target is untouched, the temporary file is gone and the
// result carries the system's message.
CaptureResult saveReplacing(const imaging::EncodedBitmap& file, const std::wstring& target,
                            std::uint32_t unique, CaptureFileSystem& files);

}  // namespace veilora::capture
