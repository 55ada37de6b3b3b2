#pragma once

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

    void grayScale(DibSection& dib);

    void setSearch(Search search) { search_ = search; }
    ProgressEvents& events() { return events_; }

  private:
    ProgressEvents events_;
    Search search_ = Search::Indexed;
};

}  // namespace veilora::imaging
