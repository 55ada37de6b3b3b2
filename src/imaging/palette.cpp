#include "imaging/palette.h"

#include <array>
#include <cstdlib>
#include <string>

namespace veilora::imaging {

void Palette::add(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    entries_.push_back({red, green, blue, 0});
}

const PaletteEntry& Palette::at(int index) const {
    if (index < 1 || index > count()) {
        throw std::out_of_range("palette index " + std::to_string(index) + " is outside 1 to " +
                                std::to_string(count()));
    }
    return entries_[static_cast<std::size_t>(index - 1)];
}

int Palette::closestIndex(int red, int green, int blue) const {
    int best = 0;
    int bestDistance = 765;
    for (int i = 0; i < count(); ++i) {
        const PaletteEntry& e = entries_[static_cast<std::size_t>(i)];
        if (e.red == red && e.green == green && e.blue == blue) return i + 1;
        int distance = std::abs(red - e.red) + std::abs(green - e.green) + std::abs(blue - e.blue);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i + 1;
        }
    }
    return best;
}

void Palette::set(int index, std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    entries_[static_cast<std::size_t>(index - 1)] = {red, green, blue, 0};
}

namespace {
using Colours8 = std::array<std::array<std::uint8_t, 3>, 8>;
// The first low colour is black, which a freshly sized palette already holds.
constexpr Colours8 kLowStandard = {{{0, 0, 0},
                                    {128, 0, 0},
                                    {0, 128, 0},
                                    {128, 128, 0},
                                    {0, 0, 128},
                                    {128, 0, 128},
                                    {0, 128, 128},
                                    {192, 192, 192}}};
constexpr Colours8 kHighStandard = {{{128, 128, 128},
                                     {255, 0, 0},
                                     {0, 255, 0},
                                     {255, 255, 0},
                                     {0, 0, 255},
                                     {255, 0, 255},
                                     {0, 255, 255},
                                     {255, 255, 255}}};
}  // namespace

void Palette::setLowStandardColours(int start) {
    for (int i = 1; i < 8; ++i) {
        const auto& c = kLowStandard[static_cast<std::size_t>(i)];
        set(start + i, c[0], c[1], c[2]);
    }
}

void Palette::setHighStandardColours(int start) {
    for (int i = 0; i < 8; ++i) {
        const auto& c = kHighStandard[static_cast<std::size_t>(i)];
        set(start + i, c[0], c[1], c[2]);
    }
}

void Palette::createMono() {
    entries_.assign(2, PaletteEntry{});
    set(2, 255, 255, 255);
}

void Palette::create16Colour() {
    entries_.assign(16, PaletteEntry{});
    setLowStandardColours(1);
    setHighStandardColours(9);
}

void Palette::createHalfTone() {
    entries_.assign(256, PaletteEntry{});
    // Levels 0, 64, 128, 192, 256 with 256 written as 255; red varies fastest.
    auto level = [](int i) { return static_cast<std::uint8_t>(i == 4 ? 255 : i * 64); };
    int index = 1;
    for (int b = 0; b < 5; ++b)
        for (int g = 0; g < 5; ++g)
            for (int r = 0; r < 5; ++r) set(index++, level(r), level(g), level(b));
}

void Palette::createWebSafe() {
    entries_.assign(256, PaletteEntry{});
    setLowStandardColours(1);
    setHighStandardColours(248);
    int index = 9;
    for (int b = 0; b <= 255; b += 51) {
        for (int g = 0; g <= 255; g += 51) {
            for (int r = 0; r <= 255; r += 51) {
                // The standard colours already hold the eight corners of the cube.
                bool corner = (r == 0 || r == 255) && (g == 0 || g == 255) && (b == 0 || b == 255);
                if (!corner) {
                    set(index++, static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                        static_cast<std::uint8_t>(b));
                }
            }
        }
    }
    for (int grey = 8; grey <= 248; grey += 8) {
        auto v = static_cast<std::uint8_t>(grey);
        set(index++, v, v, v);
    }
}

}  // namespace veilora::imaging
