#include <cmath>
#include <cstdint>

#include "imaging/dib_section.h"
#include "imaging/palette.h"

namespace veilora::imaging {

namespace {
constexpr std::size_t kInitialNodes = 50;

// Bit l of halves[v] tells whether value v lies in the upper half of its box at level l + 1.
// Boxes start at 0..255 and split at the midpoint rounded half to even; both halves keep
// the midpoint as a bound, and a value equal to it goes to the lower half.
struct Halves {
    std::array<std::uint8_t, 256> bits{};
    Halves() {
        for (int v = 0; v < 256; ++v) {
            int low = 0, high = 255;
            for (int level = 0; level < 8; ++level) {
                int sum = low + high;
                int mid = sum / 2 + ((sum & 1) && ((sum / 2) & 1) ? 1 : 0);
                if (v <= mid) {
                    high = mid;
                } else {
                    low = mid;
                    bits[static_cast<std::size_t>(v)] |= static_cast<std::uint8_t>(1 << level);
                }
            }
        }
    }
};
const Halves kHalves;

// sum / count rounded half to even.
std::uint8_t average(std::int64_t sum, std::int64_t count) {
    if (count <= 0) return 0;
    std::int64_t q = sum / count, twice = 2 * (sum % count);
    if (twice > count || (twice == count && (q & 1))) ++q;
    return static_cast<std::uint8_t>(q);
}
}  // namespace

void Octree::begin(int levels) {
    levels_ = levels;
    nodes_.assign(kInitialNodes + 1, Node{});
    nodeCount_ = 1;
    highestIndex_ = 1;
    leafCount_ = 0;
    freeHead_ = 0;
    reducible_.fill(0);
    serials_ = 1;
    nodes_[1].serial = serials_;
    knownNode_.assign(std::size_t{1} << (3 * kCachedHalves), KnownNode{});
}

void Octree::erase() {
    nodes_.clear();
    nodes_.shrink_to_fit();
    knownNode_.clear();
    knownNode_.shrink_to_fit();
    freeHead_ = 0;
    nodeCount_ = leafCount_ = highestIndex_ = 0;
    reducible_.fill(0);
}

// After 2^32 nodes: the nodes in use get new serials and no cell knows a node any more, so
// that no old entry can match a serial given out again.
void Octree::renumber() {
    serials_ = 1;  // the root's
    for (std::size_t i = 2; i < nodes_.size(); ++i) {
        if (nodes_[i].serial != 0) nodes_[i].serial = ++serials_;
    }
    knownNode_.assign(knownNode_.size(), KnownNode{});
}

std::int32_t Octree::takeNode() {
    std::int32_t index;
    if (freeHead_ != 0) {
        index = freeHead_;
        freeHead_ = nodes_[static_cast<std::size_t>(index)].next;
    } else {
        index = ++highestIndex_;
        if (static_cast<std::size_t>(index) >= nodes_.size()) {
            nodes_.resize(static_cast<std::size_t>(std::lround(index * 1.1)) + 1);
        }
    }
    ++nodeCount_;
    nodes_[static_cast<std::size_t>(index)] = Node{};
    if (serials_ == UINT32_MAX) renumber();
    nodes_[static_cast<std::size_t>(index)].serial = ++serials_;
    return index;
}

__attribute__((always_inline)) inline void Octree::insert(std::uint8_t red, std::uint8_t green,
                                                          std::uint8_t blue) {
    constexpr unsigned kMask = (1u << kCachedHalves) - 1;
    const std::uint32_t cell = (kHalves.bits[red] & kMask) << (2 * kCachedHalves) |
                               (kHalves.bits[green] & kMask) << kCachedHalves |
                               (kHalves.bits[blue] & kMask);
    const KnownNode known = knownNode_[cell];
    Node& node = nodes_[static_cast<std::size_t>(known.node)];
    if (node.serial != known.serial) {
        walk(red, green, blue, cell, 1);
    } else if (!node.leaf) {
        walk(red, green, blue, cell, known.node);
    } else {
        ++node.count;
        node.red += red;
        node.green += green;
        node.blue += blue;
    }
}

void Octree::walk(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint32_t cell,
                  std::int32_t from) {
    const unsigned rBits = kHalves.bits[red], gBits = kHalves.bits[green],
                   bBits = kHalves.bits[blue];
    std::int32_t parent = from;
    for (int level = nodes_[static_cast<std::size_t>(from)].halves + 1;; ++level) {
        const unsigned shift = static_cast<unsigned>(level - 1);
        const unsigned slot =
            ((rBits >> shift) & 1) | (((gBits >> shift) & 1) << 1) | (((bBits >> shift) & 1) << 2);
        std::int32_t child = nodes_[static_cast<std::size_t>(parent)].child[slot];
        if (child == 0) {
            child = takeNode();  // may move the array: index again below
            nodes_[static_cast<std::size_t>(parent)].child[slot] = child;
            ++nodes_[static_cast<std::size_t>(parent)].count;
            nodes_[static_cast<std::size_t>(child)].leaf = level == levels_;
            nodes_[static_cast<std::size_t>(child)].halves = static_cast<std::uint8_t>(level);
        }
        Node& node = nodes_[static_cast<std::size_t>(child)];
        if (level <= kCachedHalves) knownNode_[cell] = {child, node.serial};
        if (node.leaf) {
            if (node.count == 0) ++leafCount_;
            ++node.count;
            node.red += red;
            node.green += green;
            node.blue += blue;
            return;
        }
        if (!node.inReducibleList) {
            node.next = reducible_[static_cast<std::size_t>(level)];
            reducible_[static_cast<std::size_t>(level)] = child;
            node.inReducibleList = true;
        }
        parent = child;
    }
}

bool Octree::reduce() {
    int level = levels_;
    while (level >= 1 && reducible_[static_cast<std::size_t>(level)] == 0) --level;
    if (level < 1) return false;

    const std::int32_t index = reducible_[static_cast<std::size_t>(level)];
    reducible_[static_cast<std::size_t>(level)] = nodes_[static_cast<std::size_t>(index)].next;

    Node totals;
    for (std::int32_t& childIndex : nodes_[static_cast<std::size_t>(index)].child) {
        if (childIndex == 0) continue;
        Node& child = nodes_[static_cast<std::size_t>(childIndex)];
        totals.red += child.red;
        totals.green += child.green;
        totals.blue += child.blue;
        totals.count += child.count;
        child.leaf = child.inReducibleList = false;
        child.serial = 0;  // no longer the node any cell knew
        child.next = freeHead_;
        freeHead_ = childIndex;
        --nodeCount_;
        childIndex = 0;
        --leafCount_;
    }
    Node& node = nodes_[static_cast<std::size_t>(index)];
    node.leaf = true;
    node.inReducibleList = false;
    node.red = totals.red;
    node.green = totals.green;
    node.blue = totals.blue;
    node.count = totals.count;
    ++leafCount_;
    return true;
}

void Palette::createOptimal(const DibSection& dib, int palSize, int levels) {
    if (levels < 1 || levels > 8) {
        throw std::out_of_range("octree depth " + std::to_string(levels) + " is outside 1 to 8");
    }
    const int height = dib.height();
    const int stride = dib.bytesPerScanLine();
    const int lastByteColumn = (dib.width() - 1) * 3;
    ProgressRun run(events_, (height - 1) + palSize);

    octree_.begin(levels);
    const std::uint8_t* bits = dib.dibSectionBitsPtr();
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = bits + static_cast<std::ptrdiff_t>(y) * stride;
        for (int x = 0; x <= lastByteColumn; x += 3) {
            octree_.insert(row[x + 2], row[x + 1], row[x]);
            while (octree_.leafCount() > palSize) {
                if (!octree_.reduce()) throw ReductionError();
            }
        }
        run.progress(y);
    }

    clear();
    const auto& nodes = octree_.nodes();
    for (std::size_t i = 1; i < nodes.size(); ++i) {
        const Octree::Node& node = nodes[i];
        if (!node.leaf) continue;
        add(average(node.red, node.count), average(node.green, node.count),
            average(node.blue, node.count));
        run.progress(static_cast<long>(i));
    }
    run.complete();
}

}  // namespace veilora::imaging
