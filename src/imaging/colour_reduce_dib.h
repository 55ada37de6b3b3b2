#pragma once

#include <cstddef>
#include <cstdint>

#include "imaging/progress.h"

namespace veilora::imaging {

class DibSection;
class Palette;

// Turns a 24-bit image into one that uses only a palette's colours (optionally spreading
// each pixel's error to its neighbours), into dithered black and white, or into grey.
// Every walk goes column by column, rows inside, as the diffusion weights expect.
class ColourReduceDib {
  public:
    // How applyPalette finds a pixel's palette entry. Both give the same answers; Linear
    // calls Palette::closestIndex per pixel and is kept as the reference.
    enum class Search { Indexed, Linear };

    // Dithered black and white into to; from ends up holding the same image.
    void blackAndWhite(DibSection& from, DibSection& to);

    // Writes into to the nearest palette colour of every pixel of from. With diffuseError,
    // from changes as the error is spread. Throws std::invalid_argument when to is smaller
    // than from and std::out_of_range when a pixel has no nearest entry (empty palette, or
    // only entries the full distance away).
    void applyPalette(DibSection& from, DibSection& to, const Palette& palette,
                      bool diffuseError = false);

    // Rows of one byte per pixel, stride bytes apart, the first row in memory first.
    struct EntryIndices {
        std::uint8_t* bits;
        std::ptrdiff_t stride;
    };
    // The same walk, writing the entry of each pixel (0-based) instead of its colour: the
    // pixels of an 8-bit bitmap whose colour table is the palette, the first occurrence of
    // every colour being the entry chosen. At most 256 colours (std::invalid_argument).
    void applyPalette(DibSection& from, EntryIndices to, const Palette& palette, bool diffuseError);

    void grayScale(DibSection& dib);

    void setSearch(Search search) { search_ = search; }
    ProgressEvents& events() { return events_; }

  private:
    void map(DibSection& from, DibSection* to, const EntryIndices* indices, const Palette& palette,
             bool diffuseError);

    ProgressEvents events_;
    Search search_ = Search::Indexed;
};

}  // namespace veilora::imaging
