// Raw palette records: the count must be checked before use, a read must never run past
// what the file holds, and whatever loads must save and load back the same.
#include <cstdint>

#include "fuzz_support.h"
#include "imaging/palette.h"

using namespace veilora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const auto& file = fuzz::scratchFile("raw");
    fuzz::writeFile(file, data + 1, size - 1);
    std::int64_t position = data[0] % 16 - 4;  // below 1 means the start
    imaging::Palette palette;
    for (int records = 0; records < 64; ++records) {
        const std::int64_t before = position < 1 ? 0 : position;
        if (!palette.load(file, position)) break;
        if (palette.count() < 1 || palette.count() > imaging::Palette::kMaxFileEntries) {
            fuzz::broken("count outside 1 to 4097 accepted");
        }
        if (position != before + 4 + 4 * std::int64_t{palette.count()}) {
            fuzz::broken("position not moved past the record");
        }
        const auto& copy = fuzz::scratchFile("raw-copy");
        imaging::Palette again;
        std::int64_t at = 3;
        if (!palette.save(copy, at) || !again.load(copy, at) || again.count() != palette.count() ||
            !std::equal(again.entries().begin(), again.entries().end(),
                        palette.entries().begin())) {
            fuzz::broken("record does not round-trip");
        }
    }
    return 0;
}
