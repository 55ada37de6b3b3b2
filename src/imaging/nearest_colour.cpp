#include "imaging/nearest_colour.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <unordered_set>

namespace veilora::imaging {

NearestColour::NearestColour(std::span<const PaletteEntry> colours, ColourDistance distance)
    : absolute_(distance == ColourDistance::SumOfAbsolute) {
    // A later copy of a colour never wins: it ties with the earlier one at every point.
    std::unordered_set<std::uint32_t> seen;
    seen.reserve(colours.size());
    for (std::size_t i = 0; i < colours.size() && colours_.size() < 0xFFFF; ++i) {
        const PaletteEntry& e = colours[i];
        if (seen.insert(std::uint32_t{e.red} << 16 | std::uint32_t{e.green} << 8 | e.blue).second) {
            colours_.push_back({e.red, e.green, e.blue, static_cast<std::uint32_t>(i + 1),
                                std::uint32_t{e.blue} | std::uint32_t{e.green} << 8 |
                                    std::uint32_t{e.red} << 16});
        }
    }
    grid_ = detectGrid();
    if (grid_) return;
    for (int level = 1; level <= kLevels; ++level) {
        cells_[static_cast<std::size_t>(level)].assign(std::size_t{1} << (3 * level), kUnbuilt);
    }
    std::vector<std::uint16_t> everyone(colours_.size());
    for (std::size_t i = 0; i < everyone.size(); ++i) everyone[i] = static_cast<std::uint16_t>(i);
    store(everyone, all_);
}

int NearestColour::distance(int dr, int dg, int db) const {
    return absolute_ ? std::abs(dr) + std::abs(dg) + std::abs(db) : dr * dr + dg * dg + db * db;
}

std::uint32_t NearestColour::store(std::span<const std::uint16_t> positions,
                                   std::vector<Group>& into) {
    const auto start = static_cast<std::uint32_t>(into.size());
    for (std::size_t i = 0; i < positions.size(); i += 8) {
        Group& g = into.emplace_back();
        for (std::size_t lane = 0; lane < 8; ++lane) {
            const std::uint16_t p = positions[std::min(i + lane, positions.size() - 1)];
            g.red[lane] = colours_[p].red;
            g.green[lane] = colours_[p].green;
            g.blue[lane] = colours_[p].blue;
            g.position[lane] = p;
        }
    }
    return start << 8 | (static_cast<std::uint32_t>(into.size()) - start);
}

std::uint32_t NearestColour::build(int level, std::uint32_t at) {
    const auto k = static_cast<unsigned>(level);
    const std::uint32_t mask = (1u << k) - 1;
    const std::uint32_t cr = at >> (2 * k), cg = (at >> k) & mask, cb = at & mask;

    // The parent cube's colours: all of them at the top, else the parent's list.
    std::uint32_t parent = kAll;
    if (level > 1) {
        const std::uint32_t up = (cr >> 1) << (2 * (k - 1)) | (cg >> 1) << (k - 1) | (cb >> 1);
        parent = cells_[k - 1][up];
        if (parent == kUnbuilt) parent = build(level - 1, up);
        if (parent & kSingle) return cells_[k][at] = parent;  // it wins every part too
        // A parent list that fits one group costs no more to scan than a shorter one.
        if (parent != kAll && (parent & 0xFF) == 1) return cells_[k][at] = parent;
    }
    // A colour can be nearest somewhere in the cube only if its nearest point of the cube
    // is no farther than the farthest point of the cube is from some colour.
    const int size = 256 >> k;
    const int lo[3] = {static_cast<int>(cr) * size, static_cast<int>(cg) * size,
                       static_cast<int>(cb) * size};
    int bound = INT_MAX;
    scratch_.clear();
    if (!keepCandidatesFast(parent, lo, size, bound)) {
        parent_.clear();
        if (parent == kAll) {
            for (std::size_t i = 0; i < colours_.size(); ++i) {
                parent_.push_back(static_cast<std::uint16_t>(i));
            }
        } else {
            for (std::uint32_t i = parent >> 8; i < (parent >> 8) + (parent & 0xFF); ++i) {
                for (std::uint16_t p : groups_[i].position) {
                    if (parent_.empty() || parent_.back() != p) parent_.push_back(p);  // no padding
                }
            }
        }

        nearest_.clear();
        for (std::uint16_t p : parent_) {
            const int v[3] = {colours_[p].red, colours_[p].green, colours_[p].blue};
            int dn[3], df[3];
            for (int ch = 0; ch < 3; ++ch) {
                const int low = lo[ch], high = lo[ch] + size - 1;
                dn[ch] = v[ch] < low ? low - v[ch] : (v[ch] > high ? v[ch] - high : 0);
                df[ch] = std::max(v[ch] - low, high - v[ch]);
            }
            nearest_.push_back(distance(dn[0], dn[1], dn[2]));
            bound = std::min(bound, distance(df[0], df[1], df[2]));
        }
        for (std::size_t i = 0; i < parent_.size(); ++i) {
            if (nearest_[i] <= bound) scratch_.push_back(parent_[i]);  // <= keeps every tie
        }
    }
    // One colour that wins everywhere, and is never the full 765 away, is the answer.
    if (scratch_.size() == 1 && (!absolute_ || bound < 765)) {
        return cells_[k][at] = scratch_[0] | kSingle;
    }
    // Long lists (crowded palettes) are not worth their memory: scan everything.
    if (scratch_.empty() || scratch_.size() > 8 * kMaxGroups) return cells_[k][at] = kAll;
    return cells_[k][at] = store(scratch_, groups_);
}

bool NearestColour::keepCandidatesFast(std::uint32_t parent, const int lo[3], int size,
                                       int& bound) {
#ifdef __SSE2__
    if (!absolute_) return false;
    // Eight colours at a time, straight from the parent's groups (or all of them).
    const Group* first = parent == kAll ? all_.data() : groups_.data() + (parent >> 8);
    const std::size_t count = parent == kAll ? all_.size() : parent & 0xFF;
    near_.resize(count);
    const __m128i zero = _mm_setzero_si128();
    __m128i farthest = _mm_set1_epi16(SHRT_MAX);
    for (std::size_t i = 0; i < count; ++i) {
        const Group& g = first[i];
        const std::int16_t* channels[3] = {g.red, g.green, g.blue};
        __m128i dn = zero, df = zero;
        for (int ch = 0; ch < 3; ++ch) {
            const __m128i v = _mm_load_si128(reinterpret_cast<const __m128i*>(channels[ch]));
            const __m128i low = _mm_set1_epi16(static_cast<short>(lo[ch]));
            const __m128i high = _mm_set1_epi16(static_cast<short>(lo[ch] + size - 1));
            const __m128i below = _mm_sub_epi16(low, v), above = _mm_sub_epi16(v, high);
            dn = _mm_add_epi16(dn, _mm_max_epi16(_mm_max_epi16(below, above), zero));
            df = _mm_add_epi16(df, _mm_max_epi16(_mm_sub_epi16(v, low), _mm_sub_epi16(high, v)));
        }
        _mm_store_si128(reinterpret_cast<__m128i*>(near_[i].lane), dn);
        farthest = _mm_min_epi16(farthest, df);
    }
    farthest = _mm_min_epi16(farthest, _mm_srli_si128(farthest, 8));
    farthest = _mm_min_epi16(farthest, _mm_srli_si128(farthest, 4));
    farthest = _mm_min_epi16(farthest, _mm_srli_si128(farthest, 2));
    bound = static_cast<std::int16_t>(_mm_cvtsi128_si32(farthest));
    const __m128i limit = _mm_set1_epi16(static_cast<short>(bound));
    for (std::size_t i = 0; i < count; ++i) {
        const int beyond = _mm_movemask_epi8(_mm_cmpgt_epi16(
            _mm_load_si128(reinterpret_cast<const __m128i*>(near_[i].lane)), limit));
        const std::uint16_t* position = first[i].position;
        for (int lane = 0; lane < 8; ++lane) {
            // A copy of the previous lane is padding.
            if ((beyond >> (2 * lane) & 1) || (lane > 0 && position[lane] == position[lane - 1])) {
                continue;
            }
            scratch_.push_back(position[lane]);
        }
    }
    return true;
#else
    (void)parent, (void)lo, (void)size, (void)bound;
    return false;
#endif
}

NearestColour::Match NearestColour::matchElsewhere(std::uint32_t cell, int red, int green,
                                                   int blue) const {
    if (cell & kSingle) {
        const Colour& c = colours_[cell & ~kSingle];
        return {static_cast<int>(c.index),
                std::abs(red - c.red) + std::abs(green - c.green) + std::abs(blue - c.blue),
                c.packed};
    }
    const nearest_detail::Best best = scan(cell, red, green, blue);
    if (best.distance >= 765) return {0, 0, 0};
    const Colour& c = colours_[best.position];
    return {static_cast<int>(c.index), best.distance, c.packed};
}

NearestColour::Match NearestColour::matchGrid(int red, int green, int blue) const {
    const Colour& c = gridColour(red, green, blue);
    const int distance =
        std::abs(red - c.red) + std::abs(green - c.green) + std::abs(blue - c.blue);
    if (distance >= 765) return {0, 0, 0};
    return {static_cast<int>(c.index), distance, c.packed};
}

bool NearestColour::detectGrid() {
    const std::size_t n = colours_.size();
    if (n == 0) return false;
    const Colour& first = colours_[0];
    // Red varies fastest, then green, then blue, each through rising levels.
    std::size_t nr = 1, ng = 1, nb = 1;
    while (nr < n && colours_[nr].green == first.green && colours_[nr].blue == first.blue &&
           colours_[nr].red > colours_[nr - 1].red) {
        ++nr;
    }
    while (ng * nr < n && colours_[ng * nr].red == first.red &&
           colours_[ng * nr].blue == first.blue &&
           colours_[ng * nr].green > colours_[(ng - 1) * nr].green) {
        ++ng;
    }
    while (nb * nr * ng < n && colours_[nb * nr * ng].red == first.red &&
           colours_[nb * nr * ng].green == first.green &&
           colours_[nb * nr * ng].blue > colours_[(nb - 1) * nr * ng].blue) {
        ++nb;
    }
    if (nr * ng * nb != n) return false;
    for (std::size_t i = 0; i < n; ++i) {
        const Colour& c = colours_[i];
        if (c.red != colours_[i % nr].red || c.green != colours_[(i / nr) % ng * nr].green ||
            c.blue != colours_[i / (nr * ng) * nr * ng].blue) {
            return false;
        }
    }
    // Per channel the nearest level, the lower one on ties, with its place in the list.
    auto fill = [&](int channel, std::size_t levels, std::size_t step, auto levelValue) {
        for (int v = 0; v < 256; ++v) {
            std::size_t best = 0;
            for (std::size_t i = 1; i < levels; ++i) {
                if (std::abs(v - levelValue(i)) < std::abs(v - levelValue(best))) best = i;
            }
            const auto c = static_cast<std::size_t>(channel), at = static_cast<std::size_t>(v);
            gridTables_.place[c][at] = static_cast<std::uint32_t>(best * step);
            gridTables_.level[c][at] = static_cast<std::uint8_t>(levelValue(best));
        }
    };
    fill(0, nr, 1, [&](std::size_t i) { return int{colours_[i].red}; });
    fill(1, ng, nr, [&](std::size_t i) { return int{colours_[i * nr].green}; });
    fill(2, nb, nr * ng, [&](std::size_t i) { return int{colours_[i * nr * ng].blue}; });
    return true;
}

}  // namespace veilora::imaging
