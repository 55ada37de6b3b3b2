#include "imaging/dib_section_save.h"

#include <algorithm>
#include <new>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "imaging/bitmap_file.h"
#include "imaging/colour_reduce_dib.h"
#include "imaging/dib_section.h"
#include "imaging/nearest_colour.h"

namespace veilora::imaging {

namespace {
// A bitmap of 1, 4 or 8 bits per pixel with its colour table: what the writer saves.
struct IndexedSection {
    int bitsPerPixel = 0;
    std::vector<std::uint8_t> infoBlock;  // header, then the table as blue, green, red, 0
    PixelBuffer pixels;
    std::ptrdiff_t stride = 0;

    // Bounded, so that a table entry past the end is caught where bounds are checked.
    std::span<std::uint8_t> table() { return std::span(infoBlock).subspan(kInfoHeaderSize); }
    int tableSize() const { return 1 << bitsPerPixel; }
};

void putTableEntry(std::span<std::uint8_t> table, int i, std::uint8_t red, std::uint8_t green,
                   std::uint8_t blue) {
    const auto at = 4 * static_cast<std::size_t>(i);
    table[at] = blue;
    table[at + 1] = green;
    table[at + 2] = red;
}

void fillTable(IndexedSection& s, OutputColourDepth depth, std::optional<Palette>& palette) {
    const std::span<std::uint8_t> table = s.table();
    switch (depth) {
        case OutputColourDepth::Mono:
            putTableEntry(table, 1, 255, 255, 255);
            break;
        case OutputColourDepth::Colour16: {
            Palette colours;
            colours.create16Colour();
            // Stored with red and blue exchanged: the same 16 colours in another order.
            for (int i = 0; i < 16; ++i) {
                const PaletteEntry& e = colours.at(i + 1);
                putTableEntry(table, i, e.blue, e.green, e.red);
            }
            break;
        }
        default: {
            if (!palette) {
                palette.emplace();
                palette->createHalfTone();
            }
            // A longer palette gives only its first colours: the table holds 256.
            const int n = std::min(palette->count(), s.tableSize());
            for (int i = 0; i < n; ++i) {
                const PaletteEntry& e = palette->at(i + 1);
                putTableEntry(table, i, e.red, e.green, e.blue);
            }
        }
    }
}

// The capture path: a table that is a grid of levels (the halftone palette) maps each
// channel by itself.
void drawGrid(const DibSection& image, IndexedSection& s, DibSection* copyBack,
              const NearestColour& nearest, const NearestColour::Grid& grid) {
    std::array<std::uint8_t, 256> indexAt{};
    const std::uint32_t places =
        grid.place[0][255] + grid.place[1][255] + grid.place[2][255] + 1;  // the last level
    for (std::uint32_t place = 0; place < places && place < 256; ++place) {
        indexAt[place] = static_cast<std::uint8_t>(nearest.indexAt(place) - 1);
    }
    const std::ptrdiff_t stride = image.bytesPerScanLine();
    for (int y = 0; y < image.height(); ++y) {
        const std::uint8_t* p = image.dibSectionBitsPtr() + y * stride;
        std::uint8_t* back = copyBack ? copyBack->dibSectionBitsPtr() + y * stride : nullptr;
        std::uint8_t* out = s.pixels.data() + y * s.stride;
        for (int x = 0; x < image.width(); ++x, p += 3) {
            out[x] = indexAt[grid.place[0][p[2]] + grid.place[1][p[1]] + grid.place[2][p[0]]];
        }
        if (!back) continue;
        for (int x = 0; x < 3 * image.width(); x += 3) {
            back[x] = grid.level[2][back[x]];
            back[x + 1] = grid.level[1][back[x + 1]];
            back[x + 2] = grid.level[0][back[x + 2]];
        }
    }
}

// Each pixel becomes the index of the nearest table colour (squared distance, lowest index
// on ties); with copyBack the image receives the colours the file will show.
void draw(const DibSection& image, IndexedSection& s, DibSection* copyBack) {
    std::vector<PaletteEntry> colours(static_cast<std::size_t>(s.tableSize()));
    const std::span<const std::uint8_t> table = s.table();
    for (std::size_t i = 0; i < colours.size(); ++i) {
        colours[i] = {table[4 * i + 2], table[4 * i + 1], table[4 * i], 0};
    }
    NearestColour nearest(colours, ColourDistance::SumOfSquares);
    const int bpp = s.bitsPerPixel;
    const std::ptrdiff_t stride = image.bytesPerScanLine();
    if (const NearestColour::Grid* grid = nearest.grid(); grid && bpp == 8) {
        drawGrid(image, s, copyBack, nearest, *grid);
        return;
    }
    const int perByte = 8 / bpp;
    for (int y = 0; y < image.height(); ++y) {
        const std::uint8_t* p = image.dibSectionBitsPtr() + y * stride;
        std::uint8_t* back = copyBack ? copyBack->dibSectionBitsPtr() + y * stride : nullptr;
        std::uint8_t* out = s.pixels.data() + y * s.stride;
        std::uint32_t lastColour = 0xFFFFFFFF;
        int index = 0;
        for (int x = 0; x < image.width(); ++x, p += 3) {
            // Neighbours often share a colour: whole areas after a reduction.
            const std::uint32_t colour =
                std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
            if (colour != lastColour) {
                index = nearest.find(p[2], p[1], p[0]) - 1;
                lastColour = colour;
            }
            if (bpp == 8) {
                out[x] = static_cast<std::uint8_t>(index);
            } else {
                // The leftmost pixel sits in the highest bits of its byte.
                const int shift = (perByte - 1 - x % perByte) * bpp;
                out[x / perByte] = static_cast<std::uint8_t>(out[x / perByte] | (index << shift));
            }
            if (back) {
                const PaletteEntry& c = colours[static_cast<std::size_t>(index)];
                back[0] = c.blue;
                back[1] = c.green;
                back[2] = c.red;
                back += 3;
            }
        }
    }
}

int bitsPerPixel(OutputColourDepth depth) {
    switch (depth) {
        case OutputColourDepth::Mono:
            return 1;
        case OutputColourDepth::Colour16:
            return 4;
        case OutputColourDepth::Colour256:
            return 8;
        case OutputColourDepth::TrueColour:
            return 24;
    }
    throw std::invalid_argument("unknown colour depth " + std::to_string(static_cast<int>(depth)));
}
}  // namespace

bool DibSectionSave::save(const std::filesystem::path& fileName, DibSection& dib,
                          OutputColourDepth depth, ColourReductionMethod method) {
    std::optional<Palette> palette;
    return save(fileName, dib, palette, depth, method);
}

bool DibSectionSave::save(const std::filesystem::path& fileName, DibSection& dib,
                          std::optional<Palette>& palette, OutputColourDepth depth,
                          ColourReductionMethod method) {
    if (depth == OutputColourDepth::TrueColour) return dib.savePicture(fileName);
    const std::optional<EncodedBitmap> encoded = encode(dib, palette, depth, method);
    if (!encoded) return false;
    return writeBitmapFile(fileName, encoded->infoBlock, encoded->pixels());
}

std::optional<EncodedBitmap> DibSectionSave::encode(DibSection& dib,
                                                    std::optional<Palette>& palette,
                                                    OutputColourDepth depth,
                                                    ColourReductionMethod method) {
    const int bpp = bitsPerPixel(depth);
    if (depth == OutputColourDepth::TrueColour) {
        if (dib.empty()) return std::nullopt;
        EncodedBitmap out;
        const auto info = dib.header().bytes();
        out.infoBlock.assign(info.begin(), info.end());
        out.borrowedPixels = {dib.dibSectionBitsPtr(), dib.sizeImage()};
        return out;
    }
    if (method == ColourReductionMethod::Palette && !palette) {
        throw std::invalid_argument("reduction with a palette needs a palette");
    }
    if (dib.empty()) return std::nullopt;

    try {
        IndexedSection section;
        section.bitsPerPixel = bpp;
        section.stride = static_cast<std::ptrdiff_t>(rowBytes(dib.width(), bpp));
        const std::size_t tableBytes = 4 * static_cast<std::size_t>(section.tableSize());
        section.infoBlock.assign(kInfoHeaderSize + tableBytes, 0);
        section.pixels.assign(
            static_cast<std::size_t>(section.stride) * static_cast<std::size_t>(dib.height()), 0);
        BitmapInfoHeader header;
        header.width = dib.width();
        header.height = dib.height();
        header.bitCount = static_cast<std::uint16_t>(bpp);
        header.sizeImage = static_cast<std::uint32_t>(section.pixels.size());
        const auto headerBytes = header.bytes();
        std::copy(headerBytes.begin(), headerBytes.end(), section.infoBlock.begin());

        DibSection reduced;
        const DibSection* image = &dib;
        bool drawn = false;
        if (method == ColourReductionMethod::Palette ||
            method == ColourReductionMethod::Automatic) {
            ColourReduceDib reducer;
            reducer.events() = events_;
            // At 8 bits a palette that fits is the colour table whole: the entries the
            // reduction chooses are the nearest table colours of what it would draw.
            auto reduce = [&](const Palette& p, bool diffuse) {
                if (bpp == 8 && p.count() <= section.tableSize()) {
                    reducer.applyPalette(dib, {section.pixels.data(), section.stride}, p, diffuse);
                    drawn = true;
                    return true;
                }
                if (!reduced.create(dib.width(), dib.height())) return false;
                reducer.applyPalette(dib, reduced, p, diffuse);
                return true;
            };
            bool done = true;
            if (method == ColourReductionMethod::Palette) {
                done = reduce(*palette, true);
            } else if (depth == OutputColourDepth::Mono) {
                if (!reduced.create(dib.width(), dib.height())) return std::nullopt;
                reducer.blackAndWhite(dib, reduced);
            } else if (depth == OutputColourDepth::Colour16) {
                palette.emplace();
                palette->create16Colour();
                done = reduce(*palette, true);
            } else {
                palette.emplace();
                palette->events() = events_;
                palette->createOptimal(dib, 236, 6);
                done = reduce(*palette, false);
            }
            if (!done) return std::nullopt;
            image = &reduced;
        }
        fillTable(section, depth, palette);

        if (!drawn) draw(*image, section, method == ColourReductionMethod::None ? &dib : nullptr);
        EncodedBitmap out;
        out.infoBlock = std::move(section.infoBlock);
        out.ownPixels = std::move(section.pixels);
        return out;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

}  // namespace veilora::imaging
