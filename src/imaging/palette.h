#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "imaging/progress.h"

namespace veilora::imaging {

class DibSection;

// One palette record as stored in raw palette files: red, green, blue and a fourth byte
// that stays 0 unless read from a file.
struct PaletteEntry {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t reserved = 0;

    friend bool operator==(const PaletteEntry&, const PaletteEntry&) = default;
};

static_assert(sizeof(PaletteEntry) == 4, "raw palette files store 4-byte records");

// The octree reduction ran out of nodes to merge: only possible with a depth of 1 or fewer
// than 8 colours.
class ReductionError : public std::runtime_error {
  public:
    ReductionError() : std::runtime_error("Error in reducing nodes") {}
};

// Working storage of the octree quantiser: one growable node array with a free list and
// one list of reducible nodes per level, so that merging and re-growing the tree allocates
// nothing per pixel.
class Octree {
  public:
    // What a pixel that lands in a known leaf reads and writes comes first: one cache line.
    struct Node {
        bool leaf = false;
        bool inReducibleList = false;
        std::uint8_t halves = 0;   // of each channel on the path from the root
        std::uint32_t serial = 0;  // new for every use of the slot, so a stale cache misses
        std::int64_t red = 0;
        std::int64_t green = 0;
        std::int64_t blue = 0;
        std::int64_t count = 0;  // pixels of a leaf, children of an inner node
        std::array<std::int32_t, 8> child{};
        std::int32_t next = 0;  // reducible list or free list
    };

    void begin(int levels);
    // Inline in palette_octree.cpp, where the palette is built: it runs once per pixel.
    inline void insert(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
    bool reduce();
    void erase();

    int leafCount() const { return leafCount_; }
    // Node 0 is unused; node 1 is the root.
    const std::vector<Node>& nodes() const { return nodes_; }

  private:
    // The deepest node a colour's walk last passed, at most kCachedHalves halves deep, by the
    // colour's first kCachedHalves halves per channel: every colour of that cell passes it
    // as long as it is the same node (same serial: not freed and taken again). A photograph's
    // colours mostly land in leaves that exist, and the walk from the root to them is the
    // cost. The inner nodes above a node in the tree are in their reducible lists already.
    // A small table stays in the processor's cache; 236 colours rarely have deeper leaves.
    static constexpr int kCachedHalves = 4;
    struct KnownNode {
        std::int32_t node = 1;  // the root
        std::uint32_t serial = 1;
    };

    std::int32_t takeNode();
    void renumber();
    void walk(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint32_t cell,
              std::int32_t from);

    std::vector<Node> nodes_;
    std::vector<KnownNode> knownNode_;
    std::uint32_t serials_ = 0;
    int levels_ = 0;
    int nodeCount_ = 0;
    int leafCount_ = 0;
    std::int32_t highestIndex_ = 0;
    std::int32_t freeHead_ = 0;
    std::array<std::int32_t, 9> reducible_{};  // heads by parent level 1 to 8
};

// An ordered list of colours with 1-based indices and the builders that fill it.
class Palette {
  public:
    static constexpr int kMaxFileEntries = 4097;

    void add(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
    void clear() { entries_.clear(); }
    int count() const { return static_cast<int>(entries_.size()); }

    // One channel of entry index (1 to count); std::out_of_range otherwise.
    std::uint8_t red(int index) const { return at(index).red; }
    std::uint8_t green(int index) const { return at(index).green; }
    std::uint8_t blue(int index) const { return at(index).blue; }
    const PaletteEntry& at(int index) const;
    std::span<const PaletteEntry> entries() const { return entries_; }

    // The entry with the smallest sum of absolute channel differences, lowest index on
    // ties; 0 when the palette is empty or every entry is the full 765 away.
    int closestIndex(int red, int green, int blue) const;

    void createWebSafe();
    void createHalfTone();
    void createMono();
    void create16Colour();

    // An octree palette of at most palSize colours from the image, the tree at most levels
    // (1 to 8) deep; std::out_of_range for other depths, ReductionError when the tree
    // cannot be cut down to palSize (the palette is then unchanged).
    void createOptimal(const DibSection& dib, int palSize, int levels);
    void eraseNodes() { octree_.erase(); }

    // Raw palette record: a little-endian count, then count 4-byte entries. load starts at
    // position (0 when below 1) and, after a whole record, moves position past it.
    bool load(const std::filesystem::path& fileName, std::int64_t& position);
    bool load(const std::filesystem::path& fileName);
    bool save(const std::filesystem::path& fileName, std::int64_t position = 0) const;

    // Text palette files ("JASC", "0100", count, one "r g b" line per entry, CR LF between
    // lines). Failures throw ImagingError with source "<executable>.cPalette".
    bool saveToJascFile(const std::filesystem::path& fileName) const;
    bool loadFromJascFile(const std::filesystem::path& fileName);
    void loadFromJascText(std::string_view text);

    ProgressEvents& events() { return events_; }

  private:
    void setLowStandardColours(int start);
    void setHighStandardColours(int start);
    void set(int index, std::uint8_t red, std::uint8_t green, std::uint8_t blue);

    std::vector<PaletteEntry> entries_;
    Octree octree_;
    ProgressEvents events_;
};

}  // namespace veilora::imaging
