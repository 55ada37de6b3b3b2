// Shared by the fuzz targets: a scratch file of this process's own, and a loud stop.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace veilora::fuzz {

inline const std::filesystem::path& scratchFile(const char* name) {
    static const std::filesystem::path file =
        std::filesystem::temp_directory_path() /
        ("veilora-fuzz-" + std::string(name) + "-" + std::to_string(getpid()));
    return file;
}

inline void writeFile(const std::filesystem::path& file, const std::uint8_t* data,
                      std::size_t size) {
    if (std::FILE* f = std::fopen(file.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
}

// A broken promise of the library: abort so that libFuzzer keeps the input.
[[noreturn]] inline void broken(const char* what) {
    std::fprintf(stderr, "broken: %s\n", what);
    std::abort();
}

}  // namespace veilora::fuzz
