#include "imaging/colour_reduce_dib.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "imaging/dib_section.h"
#include "imaging/nearest_colour.h"
#include "imaging/palette.h"

namespace veilora::imaging {

namespace {
// Adds (error x weight) / 16, the fraction dropped toward zero, keeping the byte in 0..255.
inline void spread(std::uint8_t& channel, int error, int weight) {
    channel = static_cast<std::uint8_t>(std::clamp(channel + error * weight / 16, 0, 255));
}

inline void spread3(std::uint8_t* pixel, int errBlue, int errGreen, int errRed, int weight) {
    spread(pixel[0], errBlue, weight);
    spread(pixel[1], errGreen, weight);
    spread(pixel[2], errRed, weight);
}

// Rounded half to even, as the grey formula wants.
inline std::uint8_t grey(int red, int green, int blue) {
    const int n = 707 * green + 222 * red + 71 * blue;
    int q = n / 1000;
    const int rest = n % 1000;
    if (rest > 500 || (rest == 500 && (q & 1))) ++q;
    return static_cast<std::uint8_t>(q);
}
}  // namespace

void ColourReduceDib::grayScale(DibSection& dib) {
    ProgressRun run(events_, dib.width() - 1);
    const int lastByteColumn = (dib.width() - 1) * 3;
    const std::ptrdiff_t stride = dib.bytesPerScanLine();
    std::uint8_t* bits = dib.dibSectionBitsPtr();
    for (int x = 0; x <= lastByteColumn; x += 3) {
        for (int y = 0; y < dib.height(); ++y) {
            std::uint8_t* p = bits + y * stride + x;
            p[0] = p[1] = p[2] = grey(p[2], p[1], p[0]);
        }
        run.progress(x);
    }
    run.complete();
}

void ColourReduceDib::applyPalette(DibSection& from, DibSection& to, const Palette& palette,
                                   bool diffuseError) {
    if (to.width() < from.width() || to.height() < from.height()) {
        throw std::invalid_argument("the target image is smaller than the source");
    }
    const int lastByteColumn = (from.width() - 1) * 3;
    const int lastRow = from.height() - 1;
    const std::ptrdiff_t stride = from.bytesPerScanLine(), toStride = to.bytesPerScanLine();
    std::uint8_t* bits = from.dibSectionBitsPtr();
    std::uint8_t* toBits = to.dibSectionBitsPtr();
    const auto entries = palette.entries();
    NearestColour nearest(search_ == Search::Indexed ? entries : std::span<const PaletteEntry>{},
                          ColourDistance::SumOfAbsolute);

    ProgressRun run(events_, lastByteColumn);
    for (int x = 0; x <= lastByteColumn; x += 3) {
        for (int y = 0; y <= lastRow; ++y) {
            std::uint8_t* p = bits + y * stride + x;
            const int blue = p[0], green = p[1], red = p[2];
            const int index = search_ == Search::Indexed
                                  ? nearest.find(p[2], p[1], p[0])
                                  : palette.closestIndex(red, green, blue);
            if (index == 0) {
                throw std::out_of_range(
                    entries.empty() ? std::string("the palette is empty")
                                    : "no palette colour is nearer than the full distance to (" +
                                          std::to_string(red) + ", " + std::to_string(green) +
                                          ", " + std::to_string(blue) + ")");
            }
            const PaletteEntry& e = entries[static_cast<std::size_t>(index - 1)];
            std::uint8_t* q = toBits + y * toStride + x;
            q[0] = e.blue;
            q[1] = e.green;
            q[2] = e.red;
            if (!diffuseError) continue;

            const int errBlue = blue - e.blue, errGreen = green - e.green, errRed = red - e.red;
            if (std::abs(errRed) + std::abs(errGreen) + std::abs(errBlue) <= 3) continue;
            if (x < lastByteColumn - 3) spread3(p + 3, errBlue, errGreen, errRed, 7);
            // Below: only straight down carries weight (4); the first and last byte
            // columns never receive from the row below.
            if (y < lastRow && x >= 1 && x < lastByteColumn) {
                spread3(p + stride, errBlue, errGreen, errRed, 4);
            }
        }
        run.progress(x);
    }
    run.complete();
}

void ColourReduceDib::blackAndWhite(DibSection& from, DibSection& to) {
    if (to.width() < from.width() || to.height() < from.height()) {
        throw std::invalid_argument("the target image is smaller than the source");
    }
    grayScale(from);
    const int lastByteColumn = (from.width() - 1) * 3;
    const int lastRow = from.height() - 1;
    const std::ptrdiff_t stride = from.bytesPerScanLine(), toStride = to.bytesPerScanLine();
    std::uint8_t* bits = from.dibSectionBitsPtr();
    std::uint8_t* toBits = to.dibSectionBitsPtr();

    ProgressRun run(events_, lastByteColumn);
    for (int x = 0; x <= lastByteColumn; x += 3) {
        for (int y = 0; y <= lastRow; ++y) {
            std::uint8_t* p = bits + y * stride + x;
            const int v = p[0];
            // The error is what is left after the colour actually written.
            const bool white = v > 128;
            const int error = white ? v - 255 : v;
            std::uint8_t* q = toBits + y * toStride + x;
            q[0] = q[1] = q[2] = white ? 255 : 0;

            if (x < lastByteColumn - 3) spread3(p + 3, error, error, error, 7);
            if (y < lastRow) {
                std::uint8_t* below = p + stride;
                if (x - 3 >= 1 && x - 3 < lastByteColumn) spread3(below - 3, error, error, error, 3);
                if (x >= 1 && x < lastByteColumn) spread3(below, error, error, error, 5);
                if (x + 3 < lastByteColumn) spread3(below + 3, error, error, error, 1);
            }
        }
        run.progress(x);
    }
    run.complete();
    from.loadPictureBlt(to);
}

}  // namespace veilora::imaging
