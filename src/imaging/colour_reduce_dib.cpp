#include "imaging/colour_reduce_dib.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "imaging/dib_section.h"
#include "imaging/nearest_colour.h"
#include "imaging/palette.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

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

// A pixel's channels, or their errors or shares, side by side for the hot walk.
#ifdef __SSE2__
struct Bgr {
    __m128i lanes = _mm_setzero_si128();  // 16-bit blue, green, red, then zeros

    Bgr() = default;
    explicit Bgr(__m128i l) : lanes(l) {}
    // From blue | green << 8 | red << 16.
    explicit Bgr(std::uint32_t packed)
        : lanes(_mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(packed)),
                                  _mm_setzero_si128())) {}
    std::uint32_t packed() const {
        return static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(lanes, lanes)));
    }
    std::uint8_t blue() const { return static_cast<std::uint8_t>(_mm_extract_epi16(lanes, 0)); }
    std::uint8_t green() const { return static_cast<std::uint8_t>(_mm_extract_epi16(lanes, 1)); }
    std::uint8_t red() const { return static_cast<std::uint8_t>(_mm_extract_epi16(lanes, 2)); }
    friend Bgr operator-(Bgr a, Bgr b) { return Bgr(_mm_sub_epi16(a.lanes, b.lanes)); }
};

// Each channel kept to 0..255.
inline Bgr addClamped(Bgr a, Bgr b) {
    const __m128i sum = _mm_add_epi16(a.lanes, b.lanes);
    return Bgr(_mm_unpacklo_epi8(_mm_packus_epi16(sum, sum), _mm_setzero_si128()));
}

// The error's shares, (error x weight) / 16 per channel with the fraction dropped toward
// zero: 7/16 to the right and 4/16 below, each only when wanted.
inline void shares(Bgr error, bool right, bool below, Bgr& toRight, Bgr& toBelow) {
    // Both shares at once: the right one in the low lanes, the one below in the high lanes.
    alignas(16) static constexpr std::int16_t kKeep[4][8] = {
        {0, 0, 0, 0, 0, 0, 0, 0},
        {-1, -1, -1, -1, 0, 0, 0, 0},
        {0, 0, 0, 0, -1, -1, -1, -1},
        {-1, -1, -1, -1, -1, -1, -1, -1}};
    auto load = [](const std::int16_t* lanes) {
        return _mm_load_si128(reinterpret_cast<const __m128i*>(lanes));
    };
    // error x 7 as x 8 - error, error x 4 moved to the high lanes (where the error is 0): by
    // shifts, as a multiplication would hold up the next pixel longer.
    const __m128i e = error.lanes;
    const __m128i t = _mm_or_si128(_mm_sub_epi16(_mm_slli_epi16(e, 3), e),
                                   _mm_slli_si128(_mm_slli_epi16(e, 2), 8));
    const __m128i bias = _mm_and_si128(_mm_srai_epi16(t, 15), _mm_set1_epi16(15));
    const __m128i both = _mm_and_si128(_mm_srai_epi16(_mm_add_epi16(t, bias), 4),
                                       load(kKeep[int{right} | int{below} << 1]));
    toRight = Bgr(_mm_move_epi64(both));
    toBelow = Bgr(_mm_srli_si128(both, 8));
}
#else
struct Bgr {
    int b = 0, g = 0, r = 0;

    Bgr() = default;
    Bgr(int blue, int green, int red) : b(blue), g(green), r(red) {}
    explicit Bgr(std::uint32_t packed)
        : b(packed & 0xFF), g(packed >> 8 & 0xFF), r(packed >> 16 & 0xFF) {}
    std::uint32_t packed() const {
        return static_cast<std::uint32_t>(b) | static_cast<std::uint32_t>(g) << 8 |
               static_cast<std::uint32_t>(r) << 16;
    }
    std::uint8_t blue() const { return static_cast<std::uint8_t>(b); }
    std::uint8_t green() const { return static_cast<std::uint8_t>(g); }
    std::uint8_t red() const { return static_cast<std::uint8_t>(r); }
    friend Bgr operator-(Bgr x, Bgr y) { return {x.b - y.b, x.g - y.g, x.r - y.r}; }
};

inline Bgr addClamped(Bgr x, Bgr y) {
    return {std::clamp(x.b + y.b, 0, 255), std::clamp(x.g + y.g, 0, 255),
            std::clamp(x.r + y.r, 0, 255)};
}

inline void shares(Bgr error, bool right, bool below, Bgr& toRight, Bgr& toBelow) {
    auto share = [](Bgr e, int weight) {
        return Bgr{e.b * weight / 16, e.g * weight / 16, e.r * weight / 16};
    };
    toRight = right ? share(error, 7) : Bgr{};
    toBelow = below ? share(error, 4) : Bgr{};
}
#endif

inline Bgr loadPixel(const std::uint8_t* p) {
    return Bgr(std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16);
}

inline void storeColour(std::uint8_t* p, std::uint32_t packed) {
    p[0] = static_cast<std::uint8_t>(packed);
    p[1] = static_cast<std::uint8_t>(packed >> 8);
    p[2] = static_cast<std::uint8_t>(packed >> 16);
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

struct GridMatcher {
    const NearestColour* nearest;
    NearestColour::Match match(std::uint32_t colour) const { return nearest->matchGrid(colour); }
};

// Rows go in memory order, each a pixel behind the one above it, so that several rows
// are under way at once: a pixel waits for its left neighbour's error, but not for the
// pixels of the other rows. A pixel still receives its left neighbour's share before the
// one from above, as in the column walk: the results are the same to the bit. Shares
// stay in registers (from the left) and in one line of held shares (from above) instead
// of going through the image, which receives every pixel's final value once.
// out receives per pixel its colour (three bytes) or, with kToIndices, its entry (one byte).
template <bool kToIndices, typename Matcher>
void diffuse(DibSection& from, std::uint8_t* out, std::ptrdiff_t outStride, Matcher matcher,
             const Palette& palette) {
    const int width = from.width(), height = from.height();
    const std::ptrdiff_t stride = from.bytesPerScanLine();
    std::uint8_t* const bits = from.dibSectionBitsPtr();
    std::vector<Bgr> fromAbove(static_cast<std::size_t>(width));
    Bgr* const held = fromAbove.data();
    constexpr int kRows = 4;
    auto step = [&](std::uint8_t* pixels, std::uint8_t* to, Bgr& fromLeft, int i)
                    __attribute__((always_inline)) {
        std::uint8_t* p = pixels + 3 * i;
        const Bgr v = addClamped(addClamped(loadPixel(p), fromLeft), held[i]);
        const std::uint32_t colour = v.packed();
        storeColour(p, colour);
        const NearestColour::Match m = matcher.match(colour);
        if (m.index == 0) [[unlikely]] noNearestEntry(palette, v.red(), v.green(), v.blue());
        if constexpr (kToIndices) {
            to[i] = static_cast<std::uint8_t>(m.index - 1);
        } else {
            storeColour(to + 3 * i, m.colour);
        }
        // Error goes right (7/16) when more than 3 in all, never into the last column, and
        // straight down (4/16, nothing for 3 or less), never from the first or last column.
        // (Bitwise, not &&: whether the error is over 3 follows the picture, and a branch on it
        // is mispredicted often.)
        shares(v - Bgr(m.colour), (m.distance > 3) & (i < width - 2), (i >= 1) & (i < width - 1),
               fromLeft, held[i]);
    };
    for (int y0 = 0; y0 < height; y0 += kRows) {
        const int count = std::min(kRows, height - y0);
        std::uint8_t* pixels[kRows] = {};
        std::uint8_t* to[kRows] = {};
        Bgr left[kRows] = {};
        for (int k = 0; k < count; ++k) {
            pixels[k] = bits + (y0 + k) * stride;
            to[k] = out + (y0 + k) * outStride;
        }
        // Row k is at pixel t - k; all rows are within the image from t = kRows - 1 to
        // width - 1.
        auto edge = [&](int t) {
            for (int k = 0; k < count; ++k) {
                if (t - k >= 0 && t - k < width) step(pixels[k], to[k], left[k], t - k);
            }
        };
        int t = 0;
        if (count == kRows) {
            for (; t < kRows - 1; ++t) edge(t);
            // The rows' shares from the left and their lines in locals, which stay in registers.
            [&]<std::size_t... k>(std::index_sequence<k...>) __attribute__((always_inline)) {
                Bgr l[] = {left[k]...};
                std::uint8_t* const p[] = {pixels[k]...};
                std::uint8_t* const o[] = {to[k]...};
                for (; t < width; ++t) (step(p[k], o[k], l[k], t - static_cast<int>(k)), ...);
                ((left[k] = l[k]), ...);
            }(std::make_index_sequence<kRows>());
        }
        for (; t < width + count - 1; ++t) edge(t);
    }
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
    auto walk = [&](auto matcher) {
        if (toBits) {
            diffuse<false>(from, toBits, toStride, matcher, palette);
        } else {
            diffuse<true>(from, sink.bits, sink.stride, matcher, palette);
        }
    };
    if (nearest.grid()) {
        walk(GridMatcher{&nearest});
    } else {
        walk(NearestColour::Cubes(nearest));
    }
    for (int x = 0; x <= lastByteColumn; x += 3) run.progress(x);
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
