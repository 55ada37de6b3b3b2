#include "imaging/colour_reduce_dib.h"

#include <algorithm>
#include <array>
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

// The same by table lookups, for the hot walk: shares of every error a channel can have,
// and every sum a share can make kept to 0..255.
template <int kWeight>
constexpr std::array<std::int16_t, 511> shareTable() {
    std::array<std::int16_t, 511> table{};
    for (int e = -255; e <= 255; ++e)
        table[static_cast<std::size_t>(e + 255)] = static_cast<std::int16_t>(e * kWeight / 16);
    return table;
}
constexpr auto kSevenSixteenths = shareTable<7>();
constexpr auto kFourSixteenths = shareTable<4>();
constexpr auto kClampByte = [] {
    std::array<std::uint8_t, 768> table{};
    for (int v = -256; v < 512; ++v)
        table[static_cast<std::size_t>(v + 256)] = static_cast<std::uint8_t>(std::clamp(v, 0, 255));
    return table;
}();

inline void addShares(std::uint8_t* pixel, int blue, int green, int red) {
    pixel[0] = kClampByte[static_cast<std::size_t>(pixel[0] + blue + 256)];
    pixel[1] = kClampByte[static_cast<std::size_t>(pixel[1] + green + 256)];
    pixel[2] = kClampByte[static_cast<std::size_t>(pixel[2] + red + 256)];
}

inline int share(const std::array<std::int16_t, 511>& table, int error) {
    return table[static_cast<std::size_t>(error + 255)];
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

namespace {
struct ColourError {
    int blue, green, red;
};

[[noreturn]] void noNearestEntry(const Palette& palette, int red, int green, int blue) {
    throw std::out_of_range(palette.count() == 0
                                ? std::string("the palette is empty")
                                : "no palette colour is nearer than the full distance to (" +
                                      std::to_string(red) + ", " + std::to_string(green) + ", " +
                                      std::to_string(blue) + ")");
}

// Where the entry indices go: nowhere, or one byte per pixel.
struct IndexSink {
    std::uint8_t* bits = nullptr;
    std::ptrdiff_t stride = 0;
    void put(int x, int y, int index) const {
        if (bits) bits[y * stride + x / 3] = static_cast<std::uint8_t>(index - 1);
    }
};

// Writes the nearest palette colour of p to q (when there is one) and its entry to the sink; true
// when the error is large enough to be spread (more than 3 in all).
template <typename Find>
__attribute__((always_inline)) inline bool mapPixel(const std::uint8_t* p, std::uint8_t* q,
                                                    const Palette& palette, Find& find,
                                                    ColourError& error, const IndexSink& sink,
                                                    int x, int y) {
    const int blue = p[0], green = p[1], red = p[2];
    const int index = find(p[2], p[1], p[0]);
    if (index == 0) noNearestEntry(palette, red, green, blue);
    sink.put(x, y, index);
    const PaletteEntry& e = palette.entries()[static_cast<std::size_t>(index - 1)];
    if (q) {
        q[0] = e.blue;
        q[1] = e.green;
        q[2] = e.red;
    }
    error = {blue - e.blue, green - e.green, red - e.red};
    return std::abs(error.red) + std::abs(error.green) + std::abs(error.blue) > 3;
}
}  // namespace

void ColourReduceDib::applyPalette(DibSection& from, DibSection& to, const Palette& palette,
                                   bool diffuseError) {
    if (to.width() < from.width() || to.height() < from.height()) {
        throw std::invalid_argument("the target image is smaller than the source");
    }
    map(from, &to, nullptr, palette, diffuseError);
}

void ColourReduceDib::applyPalette(DibSection& from, EntryIndices to, const Palette& palette,
                                   bool diffuseError) {
    if (palette.count() > 256) {
        throw std::invalid_argument("a byte per pixel holds no more than 256 entries");
    }
    map(from, nullptr, &to, palette, diffuseError);
}

void ColourReduceDib::map(DibSection& from, DibSection* to, const EntryIndices* indices,
                          const Palette& palette, bool diffuseError) {
    const IndexSink sink = indices ? IndexSink{indices->bits, indices->stride} : IndexSink{};
    const int lastByteColumn = (from.width() - 1) * 3;
    const int lastRow = from.height() - 1;
    const std::ptrdiff_t stride = from.bytesPerScanLine();
    const std::ptrdiff_t toStride = to ? to->bytesPerScanLine() : 0;
    std::uint8_t* bits = from.dibSectionBitsPtr();
    std::uint8_t* toBits = to ? to->dibSectionBitsPtr() : nullptr;
    auto target = [&](int x, int y) { return toBits ? toBits + y * toStride + x : nullptr; };
    // Error goes right (7/16) and straight down (4/16); the first and last byte columns
    // never receive from the row below, and the last one none from its left either.
    auto sharesRight = [&](int x) { return x < lastByteColumn - 3; };
    auto sharesDown = [&](int x, int y) { return y < lastRow && x >= 1 && x < lastByteColumn; };
    ProgressRun run(events_, lastByteColumn);

    if (search_ == Search::Linear) {
        // The reference: column by column, a linear scan per pixel.
        auto find = [&](int r, int g, int b) { return palette.closestIndex(r, g, b); };
        ColourError error;
        for (int x = 0; x <= lastByteColumn; x += 3) {
            for (int y = 0; y <= lastRow; ++y) {
                std::uint8_t* p = bits + y * stride + x;
                if (!mapPixel(p, target(x, y), palette, find, error, sink, x, y) || !diffuseError) {
                    continue;
                }
                if (sharesRight(x)) spread3(p + 3, error.blue, error.green, error.red, 7);
                if (sharesDown(x, y)) spread3(p + stride, error.blue, error.green, error.red, 4);
            }
            run.progress(x);
        }
        run.complete();
        return;
    }

    // Strips of columns walked row by row touch memory in order. A pixel's share from the
    // row above is held back until its own turn, so it still arrives after the share from
    // its left neighbour, as in the column walk: the results are the same to the bit.
    // Two rows go side by side, the lower one a pixel behind, so that the processor can
    // work on one pixel while the other waits for its neighbour's error.
    NearestColour nearest(palette.entries(), ColourDistance::SumOfAbsolute);
    auto find = [&](std::uint8_t r, std::uint8_t g, std::uint8_t b) {
        return nearest.find(r, g, b);
    };
    if (!diffuseError) {
        // Every pixel by itself: row by row in memory order, a run of one colour searched
        // once.
        for (int y = 0; y <= lastRow; ++y) {
            const std::uint8_t* p = bits + y * stride;
            std::uint8_t* q = target(0, y);
            std::uint32_t lastColour = 0xFFFFFFFF;
            int index = 0;
            for (int x = 0; x <= lastByteColumn; x += 3) {
                const std::uint32_t colour =
                    std::uint32_t{p[x + 2]} << 16 | std::uint32_t{p[x + 1]} << 8 | p[x];
                if (colour != lastColour) {
                    index = find(p[x + 2], p[x + 1], p[x]);
                    if (index == 0) noNearestEntry(palette, p[x + 2], p[x + 1], p[x]);
                    lastColour = colour;
                }
                sink.put(x, y, index);
                if (!q) continue;
                const PaletteEntry& e = palette.entries()[static_cast<std::size_t>(index - 1)];
                q[x] = e.blue;
                q[x + 1] = e.green;
                q[x + 2] = e.red;
            }
        }
        for (int x = 0; x <= lastByteColumn; x += 3) run.progress(x);
        run.complete();
        return;
    }
    constexpr int kStripPixels = 64;
    std::array<ColourError, kStripPixels> fromAbove;
    auto step = [&](int x, int y, ColourError& held) __attribute__((always_inline)) {
        std::uint8_t* p = bits + y * stride + x;
        if (held.blue | held.green | held.red) {
            addShares(p, held.blue, held.green, held.red);
            held = {0, 0, 0};
        }
        ColourError e;
        if (!mapPixel(p, target(x, y), palette, find, e, sink, x, y)) return;
        if (sharesRight(x)) {
            addShares(p + 3, share(kSevenSixteenths, e.blue), share(kSevenSixteenths, e.green),
                      share(kSevenSixteenths, e.red));
        }
        if (sharesDown(x, y)) {
            held = {share(kFourSixteenths, e.blue), share(kFourSixteenths, e.green),
                    share(kFourSixteenths, e.red)};
        }
    };
    for (int x0 = 0; x0 <= lastByteColumn; x0 += 3 * kStripPixels) {
        const int n = std::min(kStripPixels, (lastByteColumn - x0) / 3 + 1);
        fromAbove.fill({0, 0, 0});
        int y = 0;
        for (; y + 1 <= lastRow; y += 2) {
            step(x0, y, fromAbove[0]);
            for (int i = 1; i < n; ++i) {
                step(x0 + 3 * i, y, fromAbove[static_cast<std::size_t>(i)]);
                step(x0 + 3 * (i - 1), y + 1, fromAbove[static_cast<std::size_t>(i - 1)]);
            }
            step(x0 + 3 * (n - 1), y + 1, fromAbove[static_cast<std::size_t>(n - 1)]);
        }
        if (y == lastRow) {
            for (int i = 0; i < n; ++i) step(x0 + 3 * i, y, fromAbove[static_cast<std::size_t>(i)]);
        }
        for (int i = 0; i < n; ++i) run.progress(x0 + 3 * i);
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
                if (x - 3 >= 1 && x - 3 < lastByteColumn)
                    spread3(below - 3, error, error, error, 3);
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
