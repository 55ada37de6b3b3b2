#include <cerrno>
#include <string>
#include <system_error>

#include "imaging/bitmap_file.h"
#include "imaging/file_io.h"
#include "imaging/imaging_error.h"
#include "imaging/palette.h"

namespace veilora::imaging {

namespace {
// A text palette holds at most as many colours as a raw record may; the largest file that
// can hold them, with room for header and skipped lines, is far below this.
constexpr std::int64_t kMaxJascFileBytes = 1 << 20;

[[noreturn]] void fail(int number, const char* description) {
    throw ImagingError(number, executableName() + ".cPalette", description);
}

// Whole decimal numbers only; a number outside 0 to 255 overflows the byte it goes into.
std::uint8_t toByte(std::string_view part) {
    std::size_t digitsFrom = !part.empty() && part.front() == '-' ? 1 : 0;
    if (part.size() == digitsFrom) fail(kErrTypeMismatch, "Type mismatch");
    int value = 0;
    for (std::size_t i = digitsFrom; i < part.size(); ++i) {
        char c = part[i];
        if (c < '0' || c > '9') fail(kErrTypeMismatch, "Type mismatch");
        value = value * 10 + (c - '0');
        if (value > 255) value = 256;  // stays out of range without overflowing
    }
    if (value > 255 || (digitsFrom == 1 && value != 0)) fail(kErrOverflow, "Overflow");
    return static_cast<std::uint8_t>(value);
}

// Calls f for every part of text between separators; neighbouring separators give empty
// parts and the text after the last separator is the last part.
template <typename F>
void splitEach(std::string_view text, std::string_view separator, F&& f) {
    std::size_t from = 0;
    for (;;) {
        std::size_t at = text.find(separator, from);
        if (at == std::string_view::npos) {
            f(text.substr(from));
            return;
        }
        f(text.substr(from, at - from));
        from = at + separator.size();
    }
}
}  // namespace

bool Palette::load(const std::filesystem::path& fileName, std::int64_t& position) {
    FilePtr file = openFile(fileName, "rb");
    if (!file) return false;
    if (position >= 1) {
        if (!seekFile(file.get(), position)) return false;
    } else {
        position = 0;
    }
    std::uint8_t countBytes[4];
    if (std::fread(countBytes, 1, 4, file.get()) != 4) return false;
    const std::uint32_t n = getLe32(countBytes);
    // The count is checked before anything is allocated for it.
    if (n < 1 || n > kMaxFileEntries) return false;

    entries_.assign(n, PaletteEntry{});
    const std::size_t wanted = std::size_t{n} * 4;
    std::vector<std::uint8_t> raw(wanted);
    const std::size_t got = std::fread(raw.data(), 1, wanted, file.get());
    // A short read keeps the new size with what arrived.
    for (std::size_t i = 0; i < got / 4; ++i) {
        entries_[i] = {raw[4 * i], raw[4 * i + 1], raw[4 * i + 2], raw[4 * i + 3]};
    }
    if (got != wanted) return false;
    position += 4 + static_cast<std::int64_t>(wanted);
    return true;
}

bool Palette::load(const std::filesystem::path& fileName) {
    std::int64_t position = 0;
    return load(fileName, position);
}

bool Palette::save(const std::filesystem::path& fileName, std::int64_t position) const {
    FilePtr file = openFile(fileName, "wb");
    if (!file) return false;
    if (position >= 1 && !seekFile(file.get(), position)) return false;

    std::uint8_t countBytes[4];
    putLe32(countBytes, static_cast<std::uint32_t>(entries_.size()));
    bool ok = std::fwrite(countBytes, 1, 4, file.get()) == 4;
    if (ok && !entries_.empty()) {
        ok = std::fwrite(entries_.data(), sizeof(PaletteEntry), entries_.size(), file.get()) ==
             entries_.size();
    }
    return std::fclose(file.release()) == 0 && ok;
}

bool Palette::saveToJascFile(const std::filesystem::path& fileName) const {
    std::string text = "JASC\r\n0100\r\n" + std::to_string(entries_.size());
    for (const PaletteEntry& e : entries_) {
        text += "\r\n" + std::to_string(e.red) + ' ' + std::to_string(e.green) + ' ' +
                std::to_string(e.blue);
    }
    std::error_code ignored;
    std::filesystem::remove(fileName, ignored);

    FilePtr file = openFile(fileName, "wb");
    if (!file) fail(kErrFileAccess, "Path/File access error");
    bool ok = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
    if (std::fclose(file.release()) != 0 || !ok) fail(kErrFileAccess, "Path/File access error");
    return true;
}

bool Palette::loadFromJascFile(const std::filesystem::path& fileName) {
    clear();
    FilePtr file = openFile(fileName, "rb");
    if (!file) fail(kErrFileNotFound, "File not found");

    std::string text;
    char chunk[16384];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0;) {
        if (static_cast<std::int64_t>(text.size() + got) > kMaxJascFileBytes) {
            fail(kErrInvalidFileFormat, "Invalid file format");
        }
        text.append(chunk, got);
    }
    if (std::ferror(file.get())) fail(kErrFileAccess, "Path/File access error");
    loadFromJascText(text);
    return true;
}

void Palette::loadFromJascText(std::string_view text) {
    clear();
    std::vector<PaletteEntry> loaded;
    splitEach(text, "\r\n", [&](std::string_view line) {
        std::string_view parts[3];
        int n = 0;
        splitEach(line, " ", [&](std::string_view part) {
            if (n < 3) parts[n] = part;
            ++n;
        });
        if (n != 3) return;  // header lines, blank lines, two spaces between numbers
        if (loaded.size() == kMaxFileEntries) fail(kErrInvalidFileFormat, "Invalid file format");
        loaded.push_back({toByte(parts[0]), toByte(parts[1]), toByte(parts[2]), 0});
    });
    entries_ = std::move(loaded);
}

}  // namespace veilora::imaging
