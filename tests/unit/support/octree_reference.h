// The octree palette walked from the root for every colour, as it was before the palette
// remembered where colours went: what the unit tests hold the palette to, and what the
// benchmark measures it against.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "imaging/dib_section.h"
#include "imaging/palette.h"

namespace veilora::test {

class ReferenceOctree {
  public:
    imaging::Palette createOptimal(const imaging::DibSection& dib, int palSize, int levels) {
        const int stride = dib.bytesPerScanLine();
        const int lastByteColumn = (dib.width() - 1) * 3;
        begin(levels);
        const std::uint8_t* bits = dib.dibSectionBitsPtr();
        for (int y = 0; y < dib.height(); ++y) {
            const std::uint8_t* row = bits + static_cast<std::ptrdiff_t>(y) * stride;
            for (int x = 0; x <= lastByteColumn; x += 3) {
                insert(row[x + 2], row[x + 1], row[x]);
                while (leafCount_ > palSize) {
                    if (!reduce()) throw imaging::ReductionError();
                }
            }
        }
        imaging::Palette palette;
        for (std::size_t i = 1; i < nodes_.size(); ++i) {
            const Node& node = nodes_[i];
            if (node.leaf) {
                palette.add(average(node.red, node.count), average(node.green, node.count),
                            average(node.blue, node.count));
            }
        }
        return palette;
    }

  private:
    struct Node {
        bool leaf = false;
        bool inReducibleList = false;
        std::int64_t red = 0;
        std::int64_t green = 0;
        std::int64_t blue = 0;
        std::int64_t count = 0;
        std::array<std::int32_t, 8> child{};
        std::int32_t next = 0;
    };

    static std::uint8_t average(std::int64_t sum, std::int64_t count) {
        if (count <= 0) return 0;
        std::int64_t q = sum / count, twice = 2 * (sum % count);
        if (twice > count || (twice == count && (q & 1))) ++q;
        return static_cast<std::uint8_t>(q);
    }

    static const std::array<std::uint8_t, 256>& halves() {
        static const std::array<std::uint8_t, 256> bits = [] {
            std::array<std::uint8_t, 256> b{};
            for (int v = 0; v < 256; ++v) {
                int low = 0, high = 255;
                for (int level = 0; level < 8; ++level) {
                    int sum = low + high;
                    int mid = sum / 2 + ((sum & 1) && ((sum / 2) & 1) ? 1 : 0);
                    if (v <= mid) {
                        high = mid;
                    } else {
                        low = mid;
                        b[static_cast<std::size_t>(v)] |= static_cast<std::uint8_t>(1 << level);
                    }
                }
            }
            return b;
        }();
        return bits;
    }

    void begin(int levels) {
        levels_ = levels;
        nodes_.assign(51, Node{});
        highestIndex_ = 1;
        leafCount_ = 0;
        freeHead_ = 0;
        reducible_.fill(0);
    }

    std::int32_t takeNode() {
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
        nodes_[static_cast<std::size_t>(index)] = Node{};
        return index;
    }

    void insert(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
        const unsigned rBits = halves()[red], gBits = halves()[green], bBits = halves()[blue];
        std::int32_t parent = 1;
        for (int level = 1;; ++level) {
            const unsigned shift = static_cast<unsigned>(level - 1);
            const unsigned slot = ((rBits >> shift) & 1) | (((gBits >> shift) & 1) << 1) |
                                  (((bBits >> shift) & 1) << 2);
            std::int32_t child = nodes_[static_cast<std::size_t>(parent)].child[slot];
            if (child == 0) {
                child = takeNode();
                nodes_[static_cast<std::size_t>(parent)].child[slot] = child;
                ++nodes_[static_cast<std::size_t>(parent)].count;
                nodes_[static_cast<std::size_t>(child)].leaf = level == levels_;
            }
            Node& node = nodes_[static_cast<std::size_t>(child)];
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

    bool reduce() {
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
            child.next = freeHead_;
            freeHead_ = childIndex;
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

    std::vector<Node> nodes_;
    int levels_ = 0;
    int leafCount_ = 0;
    std::int32_t highestIndex_ = 0;
    std::int32_t freeHead_ = 0;
    std::array<std::int32_t, 9> reducible_{};
};

}  // namespace veilora::test
