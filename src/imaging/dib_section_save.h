#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

#include "imaging/bitmap_file.h"
#include "imaging/dib_section.h"
#include "imaging/palette.h"
#include "imaging/progress.h"

namespace veilora::imaging {

enum class OutputColourDepth : int {
    Mono = 0,        // 1 bit, black and white table
    Colour16 = 1,    // 4 bits, the 16 standard colours
    Colour256 = 2,   // 8 bits, the palette's first 256 colours or the halftone palette
    TrueColour = 3,  // 24 bits
};

enum class ColourReductionMethod : int {
    None = 0,           // nearest table colour per pixel, copied back into the caller's image
    Palette = 1,        // the caller's palette with error diffusion
    Automatic = 2,      // black and white / 16 colours diffused / optimal 236 colours
    NoneKeepImage = 3,  // like None, the caller's image left as it was
    // any other value: like NoneKeepImage
};

// A bitmap file ready to be written, for callers that write it their own way: the file
// header, the info block (header and colour table) and the pixel rows. At 24 bits the rows
// are the image's own memory, so the image must outlive this and stay unchanged.
struct EncodedBitmap {
    std::vector<std::uint8_t> infoBlock;
    PixelBuffer ownPixels;                         // the rows at 1, 4 and 8 bits
    std::span<const std::uint8_t> borrowedPixels;  // the image's rows at 24 bits

    std::span<const std::uint8_t> pixels() const {
        return ownPixels.empty() ? borrowedPixels : std::span<const std::uint8_t>(ownPixels);
    }
    std::array<std::uint8_t, kFileHeaderSize> fileHeader() const {
        return bitmapFileHeader(infoBlock.size(), pixels().size());
    }
};

// Writes an image as an uncompressed bitmap file of 1, 4, 8 or 24 bits per pixel.
class DibSectionSave {
  public:
    // What save would write, with the same arguments, effects on the image and palette, and
    // exceptions (but no file); nothing where save returns false without writing.
    std::optional<EncodedBitmap> encode(DibSection& dib, std::optional<Palette>& palette,
                                        OutputColourDepth depth, ColourReductionMethod method);

    // Returns whether the whole file was written; false (nothing written) for an empty
    // image or when memory for the lower-depth copy is not there. Throws ImagingError 17
    // when the file cannot be created, std::invalid_argument for an unknown depth or for
    // ColourReductionMethod::Palette without a palette.
    // palette is read for depth 2 and method Palette, and set by method Automatic at
    // depths 1 and 2 and by depth 2 without a palette (to the halftone palette used).
    // The image itself changes with None (the saved colours) and with diffusion.
    bool save(const std::filesystem::path& fileName, DibSection& dib,
              std::optional<Palette>& palette, OutputColourDepth depth,
              ColourReductionMethod method);
    bool save(const std::filesystem::path& fileName, DibSection& dib, OutputColourDepth depth,
              ColourReductionMethod method);

    // Passed on to the colour reduction and the optimal palette.
    ProgressEvents& events() { return events_; }

  private:
    ProgressEvents events_;
};

}  // namespace veilora::imaging
