// Text palettes: any text either loads or fails with one of the reader's own errors, never
// more than the file limit of colours, and what loads saves and loads back the same.
#include <cstdint>
#include <string_view>

#include "fuzz_support.h"
#include "imaging/imaging_error.h"
#include "imaging/palette.h"

using namespace veilora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    imaging::Palette palette;
    try {
        palette.loadFromJascText({reinterpret_cast<const char*>(data), size});
    } catch (const imaging::ImagingError& e) {
        if (e.number() != imaging::kErrTypeMismatch && e.number() != imaging::kErrOverflow &&
            e.number() != imaging::kErrInvalidFileFormat) {
            fuzz::broken("unexpected error number");
        }
        if (palette.count() != 0) fuzz::broken("a failed load left colours behind");
        return 0;
    }
    if (palette.count() > imaging::Palette::kMaxFileEntries) fuzz::broken("too many colours");

    const auto& file = fuzz::scratchFile("jasc");
    imaging::Palette again;
    if (!palette.saveToJascFile(file) || !again.loadFromJascFile(file) ||
        again.count() != palette.count() ||
        !std::equal(again.entries().begin(), again.entries().end(), palette.entries().begin())) {
        fuzz::broken("text palette does not round-trip");
    }
    return 0;
}
