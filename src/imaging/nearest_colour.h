#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "imaging/palette.h"

namespace veilora::imaging {

enum class ColourDistance {
    SumOfAbsolute,  // Palette::closestIndex
    SumOfSquares,   // drawing into a section with a colour table
};

// The nearest of a fixed list of colours, with exactly the answers of a linear scan that
// keeps the lowest index on ties (and, for SumOfAbsolute, answers 0 when every colour is
// the full 765 away, as closestIndex does). A photograph at 236 colours is too slow to scan
// once per pixel, so colours are sorted lazily into a hierarchy of cubes: a cube keeps only
// the colours that can be nearest to some point inside it. A list that is a whole grid of
// levels per channel (the halftone palette) is answered per channel instead.
class NearestColour {
public:
    NearestColour(std::span<const PaletteEntry> colours, ColourDistance distance);

    // 1-based index into the list given to the constructor.
    int find(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
        if (grid_) {
            const std::uint32_t at = gridRed_[red] + gridGreen_[green] + gridBlue_[blue];
            return gridAnswer(at, red, green, blue);
        }
        const std::uint32_t cell = (std::uint32_t{red} >> 2) << 12 |
                                   (std::uint32_t{green} >> 2) << 6 | std::uint32_t{blue} >> 2;
        if (cells_[kLevels][cell].count == kUnbuilt) build(kLevels, cell);
        return scan(cells_[kLevels][cell], red, green, blue);
    }

private:
    struct Candidate {
        std::uint8_t red, green, blue, unused;
        std::uint32_t index;  // 1-based
    };
    struct Cell {
        std::uint32_t start = 0;
        std::uint32_t count = kUnbuilt;
    };
    static constexpr int kLevels = 6;  // finest cubes are 4 values wide
    static constexpr std::uint32_t kUnbuilt = 0xFFFFFFFF;

    int distance(int dr, int dg, int db) const {
        return distance_ == ColourDistance::SumOfAbsolute
                   ? (dr < 0 ? -dr : dr) + (dg < 0 ? -dg : dg) + (db < 0 ? -db : db)
                   : dr * dr + dg * dg + db * db;
    }
    bool noAnswer(int best) const {
        return distance_ == ColourDistance::SumOfAbsolute && best >= 765;
    }
    int gridAnswer(std::uint32_t at, int red, int green, int blue) const {
        const Candidate& c = colours_[at];
        if (distance_ == ColourDistance::SumOfAbsolute &&
            noAnswer(distance(red - c.red, green - c.green, blue - c.blue))) {
            return 0;
        }
        return static_cast<int>(c.index);
    }
    int scan(const Cell& cell, int red, int green, int blue) const;
    void build(int level, std::uint32_t cell);
    bool detectGrid();

    ColourDistance distance_;
    std::vector<Candidate> colours_;  // first occurrences only, in index order
    std::array<std::vector<Cell>, kLevels + 1> cells_;
    std::vector<Candidate> pool_;

    bool grid_ = false;
    std::array<std::uint32_t, 256> gridRed_{}, gridGreen_{}, gridBlue_{};
};

}  // namespace veilora::imaging
