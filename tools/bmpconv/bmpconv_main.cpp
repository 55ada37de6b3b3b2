// bmpconv: converts uncompressed 24-bit bitmap files with the imaging library, so that the
// library can be used and measured as a whole process.
#include <charconv>
#include <cstdio>
#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "imaging/bitmap_reader.h"
#include "imaging/colour_reduce_dib.h"
#include "imaging/dib_section.h"
#include "imaging/dib_section_save.h"
#include "imaging/file_io.h"
#include "imaging/imaging_error.h"
#include "imaging/palette.h"

namespace img = veilora::imaging;

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

const char kUsage[] =
    "usage: bmpconv IN.bmp OUT.bmp --depth D [--method M] [--palette FILE]\n"
    "       bmpconv --grey IN.bmp OUT.bmp\n"
    "       bmpconv --optimal N --levels L IN.bmp OUT.pal\n"
    "  D: 0 = 1 bit, 1 = 4 bits, 2 = 8 bits, 3 = 24 bits\n"
    "  M: 0 = nearest colour, 1 = the palette with error diffusion, 2 = automatic\n"
    "  FILE: a JASC text palette or a raw palette record\n"
    "  N: at most N colours, L: octree depth 1 to 8; OUT.pal is written as JASC text\n";

struct UsageError {
    std::string message;
};

int parseNumber(std::string_view option, std::string_view text, int low, int high) {
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size() || value < low || value > high) {
        throw UsageError{std::string(option) + " wants a whole number from " +
                         std::to_string(low) + " to " + std::to_string(high) + ", not \"" +
                         std::string(text) + "\""};
    }
    return value;
}

struct Arguments {
    std::vector<std::string> files;
    std::optional<int> depth, method, optimal, levels;
    std::optional<std::string> palette;
    bool grey = false;
};

Arguments parse(int argc, char** argv) {
    Arguments a;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        auto value = [&]() -> std::string_view {
            if (i + 1 >= argc) throw UsageError{std::string(arg) + " needs a value"};
            return argv[++i];
        };
        if (arg == "--depth") {
            a.depth = parseNumber(arg, value(), 0, 3);
        } else if (arg == "--method") {
            a.method = parseNumber(arg, value(), 0, 2);
        } else if (arg == "--palette") {
            a.palette = std::string(value());
        } else if (arg == "--grey") {
            a.grey = true;
        } else if (arg == "--optimal") {
            a.optimal = parseNumber(arg, value(), 1, 1 << 24);
        } else if (arg == "--levels") {
            a.levels = parseNumber(arg, value(), 1, 8);
        } else if (arg == "--help" || arg == "-h") {
            throw UsageError{};
        } else if (arg.size() > 1 && arg[0] == '-') {
            throw UsageError{"unknown option " + std::string(arg)};
        } else {
            a.files.emplace_back(arg);
        }
    }
    if (a.files.size() != 2) throw UsageError{"give one input and one output file"};
    const bool convert = a.depth || a.method || a.palette;
    const int modes = a.grey + (a.optimal || a.levels) + convert;
    if (modes == 0) throw UsageError{"say what to do: --depth, --grey or --optimal"};
    if (modes > 1) throw UsageError{"choose one of --depth, --grey and --optimal"};
    if ((a.optimal || a.levels) && !(a.optimal && a.levels)) {
        throw UsageError{"--optimal and --levels go together"};
    }
    if (convert && !a.depth) throw UsageError{"--depth is missing"};
    return a;
}

// Names the file an imaging error is about; the error itself knows only its number.
template <typename F>
auto about(const std::string& name, F&& f) {
    try {
        return f();
    } catch (const img::ImagingError& e) {
        throw std::runtime_error(name + ": " + e.description() + " (error " +
                                 std::to_string(e.number()) + " in " + e.source() + ")");
    }
}

img::DibSection readInput(const std::string& name) {
    img::DibSection image;
    std::string error;
    if (!img::readBitmapFile(name, image, error)) throw std::runtime_error(name + ": " + error);
    return image;
}

// A JASC text palette starts with "JASC"; anything else is read as a raw record.
img::Palette readPalette(const std::string& name) {
    img::Palette palette;
    char start[4] = {};
    {
        img::FilePtr file = img::openFile(name, "rb");
        if (!file) throw std::runtime_error(name + ": cannot open the palette file");
        if (std::fread(start, 1, 4, file.get()) != 4) {
            throw std::runtime_error(name + ": too short to be a palette file");
        }
    }
    if (std::memcmp(start, "JASC", 4) == 0) {
        about(name, [&] { return palette.loadFromJascFile(name); });
    } else if (!palette.load(name)) {
        throw std::runtime_error(name +
                                 ": not a palette file (neither JASC text nor a raw record "
                                 "of 1 to 4097 colours)");
    }
    return palette;
}

void mustHaveWritten(bool written, const std::string& name) {
    if (!written) throw std::runtime_error(name + ": the file could not be written completely");
}

int run(const Arguments& a) {
    const std::string& in = a.files[0];
    const std::string& out = a.files[1];
    img::DibSection image = readInput(in);
    if (a.grey) {
        img::ColourReduceDib().grayScale(image);
        mustHaveWritten(about(out, [&] { return image.savePicture(out); }), out);
    } else if (a.optimal) {
        img::Palette palette;
        palette.createOptimal(image, *a.optimal, *a.levels);
        about(out, [&] { return palette.saveToJascFile(out); });
    } else {
        std::optional<img::Palette> palette;
        if (a.palette) palette = readPalette(*a.palette);
        const auto method = static_cast<img::ColourReductionMethod>(a.method.value_or(0));
        if (method == img::ColourReductionMethod::Palette && !palette) {
            throw UsageError{"--method 1 needs --palette"};
        }
        img::DibSectionSave saver;
        const auto depth = static_cast<img::OutputColourDepth>(*a.depth);
        mustHaveWritten(about(out, [&] { return saver.save(out, image, palette, depth, method); }),
                        out);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    img::setExecutableName("bmpconv");
    try {
        return run(parse(argc, argv));
    } catch (const UsageError& e) {
        if (!e.message.empty()) std::fprintf(stderr, "bmpconv: %s\n", e.message.c_str());
        std::fputs(kUsage, stderr);
        return kExitUsage;
    } catch (const img::ReductionError& e) {
        std::fprintf(stderr, "bmpconv: %s: use at least 8 colours and 2 levels\n", e.what());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bmpconv: %s\n", e.what());
    }
    return kExitFailed;
}
