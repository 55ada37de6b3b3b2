#include "capture/screen_capture.h"

#include <array>

namespace veilora::capture {

WriterSettings writerSettings(CaptureDepth depth) {
    using imaging::ColourReductionMethod;
    using imaging::OutputColourDepth;
    // No reduction step: each pixel becomes its nearest table colour, as drawing into a
    // bitmap with that table would make it. The grabbed image is thrown away afterwards, so
    // it need not be given the saved colours.
    if (depth == CaptureDepth::TrueColour) {
        return {OutputColourDepth::TrueColour, ColourReductionMethod::None};
    }
    return {OutputColourDepth::Colour256, ColourReductionMethod::NoneKeepImage};
}

std::optional<imaging::EncodedBitmap> encodeCapture(imaging::DibSection& image,
                                                    CaptureDepth depth) {
    const WriterSettings settings = writerSettings(depth);
    std::optional<imaging::Palette> halftone;  // none given: the writer takes the halftone table
    return imaging::DibSectionSave().encode(image, halftone, settings.depth, settings.method);
}

std::wstring captureFilePath(std::wstring_view programFolder) {
    std::wstring path(programFolder);
    if (path.empty() || (path.back() != L'\\' && path.back() != L'/')) path += L'\\';
    path += kCaptureFileName;
    return path;
}

std::wstring temporaryPathFor(std::wstring_view target, std::uint32_t unique) {
    static constexpr wchar_t kHex[] = L"0123456789abcdef";
    std::wstring path(target);
    path += L'.';
    for (int shift = 28; shift >= 0; shift -= 4) path += kHex[(unique >> shift) & 0xF];
    path += L".tmp";
    return path;
}

namespace {
CaptureResult failure(CaptureFileSystem& files, CaptureFileSystem::Error error) {
    std::wstring text = files.message(error);
    if (text.empty()) {
        text = L"The picture could not be saved (system error " + std::to_wstring(error) + L").";
    }
    return {false, std::move(text), error};
}
}  // namespace

CaptureResult saveReplacing(const imaging::EncodedBitmap& file, const std::wstring& target,
                            std::uint32_t unique, CaptureFileSystem& files) {
    const std::wstring temporary = temporaryPathFor(target, unique);
    // Nothing was made when the file cannot be created, and what stands under that name
    // (another program's file) is not ours to delete.
    if (const auto error = files.create(temporary)) return failure(files, error);

    const auto header = file.fileHeader();
    const std::array<std::span<const std::uint8_t>, 3> blocks{std::span<const std::uint8_t>(header),
                                                              file.infoBlock, file.pixels()};
    CaptureFileSystem::Error error = 0;
    for (const auto block : blocks) {
        if ((error = files.write(block))) break;
    }
    if (!error) error = files.flushAndClose();
    if (!error) error = files.replace(temporary, target);
    if (error) {
        files.discard(temporary);
        return failure(files, error);
    }
    return {true, {}};
}

}  // namespace veilora::capture
