// Bitmap files as bmpconv reads them: anything either reads or is refused with a reason.
// Small pictures that read then go through the library: the indexed palette mapping must
// match the plain linear one to the byte, and every depth must save.
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

#include "fuzz_support.h"
#include "imaging/bitmap_reader.h"
#include "imaging/colour_reduce_dib.h"
#include "imaging/dib_section_save.h"
#include "imaging/palette.h"

using namespace veilora;

namespace {
// The mapped image, or nothing when the mapping refused (no nearest colour).
std::optional<imaging::DibSection> mapped(const imaging::DibSection& image,
                                          const imaging::Palette& palette,
                                          imaging::ColourReduceDib::Search search) {
    imaging::DibSection from = image, to;
    to.create(image.width(), image.height());
    imaging::ColourReduceDib reducer;
    reducer.setSearch(search);
    try {
        reducer.applyPalette(from, to, palette, true);
    } catch (const std::out_of_range&) {
        return std::nullopt;
    }
    return to;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    imaging::DibSection image;
    std::string error;
    if (!imaging::readBitmap({data, size}, image, error)) {
        if (error.empty() || !image.empty()) fuzz::broken("refused without a reason");
        return 0;
    }
    if (image.empty()) fuzz::broken("read but empty");
    if (std::int64_t{image.width()} * image.height() > 4096) return 0;

    imaging::Palette palette;
    palette.createOptimal(image, 8 + data[size - 1] % 64, 2 + data[size - 1] % 7);
    const auto indexed = mapped(image, palette, imaging::ColourReduceDib::Search::Indexed);
    const auto linear = mapped(image, palette, imaging::ColourReduceDib::Search::Linear);
    if (indexed.has_value() != linear.has_value() ||
        (indexed && !std::equal(indexed->dibSectionBitsPtr(),
                                indexed->dibSectionBitsPtr() + indexed->sizeImage(),
                                linear->dibSectionBitsPtr()))) {
        fuzz::broken("indexed and linear palette mapping differ");
    }

    const auto depth = static_cast<imaging::OutputColourDepth>(data[size - 1] % 4);
    const auto method = static_cast<imaging::ColourReductionMethod>(data[size - 1] / 4 % 3);
    std::optional<imaging::Palette> optional = palette;
    imaging::DibSectionSave saver;
    try {
        if (!saver.save(fuzz::scratchFile("bmp"), image, optional, depth, method)) {
            fuzz::broken("save failed");
        }
    } catch (const std::out_of_range&) {
        // a reduction with no nearest colour, as above
    }
    return 0;
}
