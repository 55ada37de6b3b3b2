#include "imaging/nearest_colour.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <unordered_set>

namespace veilora::imaging {

NearestColour::NearestColour(std::span<const PaletteEntry> colours, ColourDistance distance)
    : distance_(distance) {
    // A later copy of a colour never wins: it ties with the earlier one at every point.
    std::unordered_set<std::uint32_t> seen;
    seen.reserve(colours.size());
    for (std::size_t i = 0; i < colours.size(); ++i) {
        const PaletteEntry& e = colours[i];
        if (seen.insert(std::uint32_t{e.red} << 16 | std::uint32_t{e.green} << 8 | e.blue).second) {
            colours_.push_back({e.red, e.green, e.blue, 0, static_cast<std::uint32_t>(i + 1)});
        }
    }
    grid_ = detectGrid();
    if (!grid_) {
        for (int level = 1; level <= kLevels; ++level) {
            cells_[static_cast<std::size_t>(level)].assign(std::size_t{1} << (3 * level), Cell{});
        }
    }
}

int NearestColour::scan(const Cell& cell, int red, int green, int blue) const {
    int best = INT_MAX;
    int answer = 0;
    const Candidate* c = pool_.data() + cell.start;
    for (const Candidate* end = c + cell.count; c != end; ++c) {
        int d = distance(red - c->red, green - c->green, blue - c->blue);
        if (d < best) {
            best = d;
            answer = static_cast<int>(c->index);
        }
    }
    return noAnswer(best) ? 0 : answer;
}

void NearestColour::build(int level, std::uint32_t cell) {
    const auto k = static_cast<unsigned>(level);
    const std::uint32_t mask = (1u << k) - 1;
    const std::uint32_t cr = cell >> (2 * k), cg = (cell >> k) & mask, cb = cell & mask;

    std::size_t from = 0, count = colours_.size();
    const Candidate* parent = colours_.data();
    if (level > 1) {
        const std::uint32_t up = (cr >> 1) << (2 * (k - 1)) | (cg >> 1) << (k - 1) | (cb >> 1);
        Cell& p = cells_[k - 1][up];
        if (p.count == kUnbuilt) build(level - 1, up);
        from = p.start;
        count = p.count;
        parent = nullptr;  // pool_ may move while this cell is appended: index it late
    }
    auto candidate = [&](std::size_t i) -> const Candidate& {
        return parent ? parent[i] : pool_[from + i];
    };

    // A colour can be nearest somewhere in the cube only if its nearest point of the cube
    // is no farther than the farthest point of the cube is from some colour.
    const int size = 256 >> k;
    const int lo[3] = {static_cast<int>(cr) * size, static_cast<int>(cg) * size,
                       static_cast<int>(cb) * size};
    auto nearestAndFarthest = [&](const Candidate& c, int& nearest, int& farthest) {
        const int v[3] = {c.red, c.green, c.blue};
        int dn[3], df[3];
        for (int ch = 0; ch < 3; ++ch) {
            const int low = lo[ch], high = lo[ch] + size - 1;
            dn[ch] = v[ch] < low ? low - v[ch] : (v[ch] > high ? v[ch] - high : 0);
            df[ch] = std::max(v[ch] - low, high - v[ch]);
        }
        nearest = distance(dn[0], dn[1], dn[2]);
        farthest = distance(df[0], df[1], df[2]);
    };
    int bound = INT_MAX;
    for (std::size_t i = 0; i < count; ++i) {
        int nearest, farthest;
        nearestAndFarthest(candidate(i), nearest, farthest);
        bound = std::min(bound, farthest);
    }
    std::vector<Candidate> kept;
    for (std::size_t i = 0; i < count; ++i) {
        int nearest, farthest;
        nearestAndFarthest(candidate(i), nearest, farthest);
        if (nearest <= bound) kept.push_back(candidate(i));  // <= keeps every tie
    }
    cells_[k][cell] = {static_cast<std::uint32_t>(pool_.size()),
                       static_cast<std::uint32_t>(kept.size())};
    pool_.insert(pool_.end(), kept.begin(), kept.end());
}

bool NearestColour::detectGrid() {
    const std::size_t n = colours_.size();
    if (n == 0) return false;
    const Candidate& first = colours_[0];
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
        const Candidate& c = colours_[i];
        if (c.red != colours_[i % nr].red || c.green != colours_[(i / nr) % ng * nr].green ||
            c.blue != colours_[i / (nr * ng) * nr * ng].blue) {
            return false;
        }
    }
    // Per channel the nearest level, the lower one on ties, scaled to its place in the list.
    auto fill = [](std::array<std::uint32_t, 256>& table, std::size_t levels, std::size_t step,
                   auto levelValue) {
        for (int v = 0; v < 256; ++v) {
            std::size_t best = 0;
            for (std::size_t i = 1; i < levels; ++i) {
                if (std::abs(v - levelValue(i)) < std::abs(v - levelValue(best))) best = i;
            }
            table[static_cast<std::size_t>(v)] = static_cast<std::uint32_t>(best * step);
        }
    };
    fill(gridRed_, nr, 1, [&](std::size_t i) { return int{colours_[i].red}; });
    fill(gridGreen_, ng, nr, [&](std::size_t i) { return int{colours_[i * nr].green}; });
    fill(gridBlue_, nb, nr * ng, [&](std::size_t i) { return int{colours_[i * nr * ng].blue}; });
    return true;
}

}  // namespace veilora::imaging
