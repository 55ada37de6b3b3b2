#pragma once

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "imaging/palette.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace veilora::imaging {

enum class ColourDistance {
    SumOfAbsolute,  // Palette::closestIndex
    SumOfSquares,   // drawing into a section with a colour table
};

namespace nearest_detail {
// Keys order by distance, then by lane; 765 x 8 + 7 still fits 16 bits.
struct Best {
    int distance = INT_MAX;
    std::uint32_t position = 0;
};

// The group's nearest lane as distance x 8 + lane.
template <bool kAbsolute>
inline int keyOfScalar(const auto& g, int red, int green, int blue) {
    int key = INT_MAX;
    for (int lane = 0; lane < 8; ++lane) {
        const int dr = red - g.red[lane], dg = green - g.green[lane], db = blue - g.blue[lane];
        const int d =
            kAbsolute ? std::abs(dr) + std::abs(dg) + std::abs(db) : dr * dr + dg * dg + db * db;
        key = std::min(key, d * 8 + lane);
    }
    return key;
}

template <bool kAbsolute>
inline void scanGroupScalar(const auto& g, int red, int green, int blue, Best& best) {
    const int key = keyOfScalar<kAbsolute>(g, red, green, blue);
    if (key / 8 < best.distance) best = {key / 8, g.position[key % 8]};
}

#ifdef __SSE2__
// Each channel of a colour in all eight lanes.
struct Spread {
    __m128i red, green, blue;
};

// Of a colour given as blue | green << 8 | red << 16.
inline Spread spread(std::uint32_t colour) {
    const __m128i lanes =
        _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(colour)), _mm_setzero_si128());
    return {_mm_shuffle_epi32(_mm_shufflelo_epi16(lanes, 0xAA), 0),
            _mm_shuffle_epi32(_mm_shufflelo_epi16(lanes, 0x55), 0),
            _mm_shuffle_epi32(_mm_shufflelo_epi16(lanes, 0x00), 0)};
}

inline int keyOfAbsolute(const auto& g, const Spread& c) {
    const __m128i zero = _mm_setzero_si128();
    auto absDiff = [&](__m128i v, const std::int16_t* lanes) {
        const __m128i d =
            _mm_sub_epi16(v, _mm_load_si128(reinterpret_cast<const __m128i*>(lanes)));
        return _mm_max_epi16(d, _mm_sub_epi16(zero, d));
    };
    const __m128i d = _mm_add_epi16(
        _mm_add_epi16(absDiff(c.red, g.red), absDiff(c.green, g.green)), absDiff(c.blue, g.blue));
    __m128i key = _mm_add_epi16(_mm_slli_epi16(d, 3), _mm_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7));
    key = _mm_min_epi16(key, _mm_shuffle_epi32(key, 0x4E));
    key = _mm_min_epi16(key, _mm_shufflelo_epi16(key, 0x4E));
    key = _mm_min_epi16(key, _mm_shufflelo_epi16(key, 0xB1));
    return _mm_cvtsi128_si32(key) & 0xFFFF;
}

inline void scanGroupAbsolute(const auto& g, const Spread& c, Best& best) {
    const int k = keyOfAbsolute(g, c);
    if (k / 8 < best.distance) best = {k / 8, g.position[k % 8]};
}
#endif

inline void scanGroupAbsolute(const auto& g, int red, int green, int blue, Best& best) {
#ifdef __SSE2__
    auto all = [](int v) { return _mm_set1_epi16(static_cast<short>(v)); };
    scanGroupAbsolute(g, Spread{all(red), all(green), all(blue)}, best);
#else
    scanGroupScalar<true>(g, red, green, blue, best);
#endif
}
}  // namespace nearest_detail

// The nearest of a fixed list of colours, with exactly the answers of a linear scan that
// keeps the lowest index on ties (and, for SumOfAbsolute, answers 0 when every colour is
// the full 765 away, as closestIndex does). A photograph at 236 colours is too slow to scan
// once per pixel, so the colour cube is cut lazily into ever smaller cubes, each keeping
// only the colours that can be nearest somewhere inside it: in the smallest cubes a pixel
// meets about three colours, compared eight at a time, or none when one colour wins the
// whole cube. A list that is a whole grid of levels per channel (the halftone palette) is
// answered per channel instead.
class NearestColour {
  public:
    NearestColour(std::span<const PaletteEntry> colours, ColourDistance distance);

    // 1-based index into the list given to the constructor.
    int find(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
        if (grid_) return gridAnswer(red, green, blue);
        const std::uint32_t cell = cellOf(red, green, blue);
        if (cell & kSingle) return static_cast<int>(colours_[cell & ~kSingle].index);
        const nearest_detail::Best best = scan(cell, red, green, blue);
        if (best.distance == INT_MAX || (absolute_ && best.distance >= 765)) return 0;
        return static_cast<int>(colours_[best.position].index);
    }

    // find with what error diffusion wants next: the colour found and its distance. For
    // SumOfAbsolute lists only.
    struct Match {
        int index;             // 0 when there is none (the rest is then unset)
        int distance;          // the sum of absolute differences
        std::uint32_t colour;  // blue | green << 8 | red << 16
    };
    // Of a colour given as blue | green << 8 | red << 16.
    Match match(std::uint32_t colour);
    Match matchGrid(std::uint32_t colour) const {
        return matchGrid(static_cast<std::uint8_t>(colour >> 16),
                         static_cast<std::uint8_t>(colour >> 8), static_cast<std::uint8_t>(colour));
    }

    // match for a list that is not a grid, for a loop that runs once per pixel: a local
    // Cubes keeps the tables' addresses in registers, where the list's own members would be
    // read again after every byte the loop writes (a byte may alias anything).
    class Cubes;

    // For a grid list, answers without any search: per channel (red, green, blue) the
    // nearest level's place in the list and its value. Null for other lists.
    struct Grid {
        std::array<std::array<std::uint32_t, 256>, 3> place;
        std::array<std::array<std::uint8_t, 256>, 3> level;
    };
    const Grid* grid() const { return grid_ ? &gridTables_ : nullptr; }
    int indexAt(std::uint32_t place) const { return static_cast<int>(colours_[place].index); }

  private:
    // Eight colours side by side; a list is padded with copies of its last colour, which
    // never win against the original in a lower lane.
    struct alignas(16) Group {
        std::int16_t red[8], green[8], blue[8];
        std::uint16_t position[8];  // in colours_
    };
    struct Colour {
        std::uint8_t red, green, blue;
        std::uint32_t index;   // 1-based, in the list given
        std::uint32_t packed;  // blue | green << 8 | red << 16
    };
    static constexpr int kLevels = 5;  // the smallest cubes are 8 values wide
    static constexpr std::uint32_t kMaxGroups = 8;
    // A cell is unbuilt, the answer's place in colours_ (kSingle set), a reference to all
    // colours, or the place of its groups: start x 256 + count.
    static constexpr std::uint32_t kUnbuilt = 0xFFFFFFFF;
    static constexpr std::uint32_t kSingle = 0x80000000;
    static constexpr std::uint32_t kAll = 0x7FFFFFFF;

    // The smallest cube of a colour given as blue | green << 8 | red << 16: its place in
    // cells_[kLevels].
    static std::uint32_t cubeOf(std::uint32_t colour) {
        constexpr unsigned shift = 8 - kLevels;
        constexpr std::uint32_t mask = (1u << kLevels) - 1;
        return (colour >> (16 + shift - 2 * kLevels) & mask << (2 * kLevels)) |
               (colour >> (8 + shift - kLevels) & mask << kLevels) | (colour >> shift & mask);
    }

    // The smallest cube's cell of a colour, built when first met.
    std::uint32_t cellOf(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
        const std::uint32_t at =
            cubeOf(std::uint32_t{red} << 16 | std::uint32_t{green} << 8 | blue);
        const std::uint32_t cell = cells_[kLevels][at];
        return cell == kUnbuilt ? build(kLevels, at) : cell;
    }

    nearest_detail::Best scan(std::uint32_t cell, int red, int green, int blue) const {
        using namespace nearest_detail;
        const Group* g = cell == kAll ? all_.data() : groups_.data() + (cell >> 8);
        const Group* end = cell == kAll ? g + all_.size() : g + (cell & 0xFF);
        Best best;
        for (; g != end; ++g) {
            if (absolute_) {
                scanGroupAbsolute(*g, red, green, blue, best);
            } else {
                scanGroupScalar<false>(*g, red, green, blue, best);
            }
        }
        return best;
    }

    const Colour& gridColour(int red, int green, int blue) const {
        return colours_[gridTables_.place[0][static_cast<std::size_t>(red)] +
                        gridTables_.place[1][static_cast<std::size_t>(green)] +
                        gridTables_.place[2][static_cast<std::size_t>(blue)]];
    }
    int gridAnswer(int red, int green, int blue) const {
        const Colour& c = gridColour(red, green, blue);
        if (absolute_ &&
            std::abs(red - c.red) + std::abs(green - c.green) + std::abs(blue - c.blue) >= 765) {
            return 0;
        }
        return static_cast<int>(c.index);
    }
    Match matchGrid(int red, int green, int blue) const;
    // match for a cell of one colour or of several groups.
    Match matchElsewhere(std::uint32_t cell, int red, int green, int blue) const;
    std::uint32_t build(int level, std::uint32_t at);
    // Into scratch_, the colours of a parent list that can be nearest somewhere in the cube
    // from lo, size wide, and their bound; false when there is no quicker way than build's.
    bool keepCandidatesFast(std::uint32_t parent, const int lo[3], int size, int& bound);
    std::uint32_t store(std::span<const std::uint16_t> positions, std::vector<Group>& into);
    bool detectGrid();
    int distance(int dr, int dg, int db) const;

    bool absolute_;
    std::vector<Colour> colours_;  // first occurrences only, in index order
    std::array<std::vector<std::uint32_t>, kLevels + 1> cells_;
    std::vector<Group> groups_;
    std::vector<Group> all_;
    std::vector<std::uint16_t> scratch_, parent_;
    std::vector<int> nearest_;
    struct alignas(16) Lanes {
        std::int16_t lane[8];
    };
    std::vector<Lanes> near_;

    bool grid_ = false;
    Grid gridTables_{};
};

class NearestColour::Cubes {
  public:
    explicit Cubes(NearestColour& nearest) : nearest_(&nearest) { refresh(); }

    __attribute__((always_inline)) Match match(std::uint32_t colour) {
        const auto red = static_cast<std::uint8_t>(colour >> 16);
        const auto green = static_cast<std::uint8_t>(colour >> 8);
        const auto blue = static_cast<std::uint8_t>(colour);
        const std::uint32_t at = cubeOf(colour);
        std::uint32_t cell = cells_[at];
        if (cell == kUnbuilt) [[unlikely]] {
            cell = nearest_->build(kLevels, at);
            refresh();  // the groups may have moved
        }
        if ((cell & (kSingle | 0xFF)) == 1) [[likely]] {  // one group, as in most cubes
            const Group& g = groups_[cell >> 8];
#ifdef __SSE2__
            const int key = nearest_detail::keyOfAbsolute(g, nearest_detail::spread(colour));
#else
            const int key = nearest_detail::keyOfScalar<true>(g, red, green, blue);
#endif
            const Colour& c = colours_[g.position[key % 8]];
            if (key / 8 >= 765) [[unlikely]] return {0, 0, 0};
            return {static_cast<int>(c.index), key / 8, c.packed};
        }
        return nearest_->matchElsewhere(cell, red, green, blue);
    }

  private:
    void refresh() {
        cells_ = nearest_->cells_[kLevels].data();
        groups_ = nearest_->groups_.data();
        colours_ = nearest_->colours_.data();
    }
    NearestColour* nearest_;
    const std::uint32_t* cells_;
    const Group* groups_;
    const Colour* colours_;
};

inline NearestColour::Match NearestColour::match(std::uint32_t colour) {
    return grid_ ? matchGrid(colour) : Cubes(*this).match(colour);
}

}  // namespace veilora::imaging
