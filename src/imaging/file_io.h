#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>

namespace veilora::imaging {

struct FileCloser {
    void operator()(std::FILE* f) const noexcept { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Opens with the C runtime so that errno tells why it failed; wide names on Windows.
inline FilePtr openFile(const std::filesystem::path& name, const char* mode) {
#ifdef _WIN32
    wchar_t wideMode[8] = {};
    for (int i = 0; i < 7 && mode[i]; ++i) wideMode[i] = static_cast<wchar_t>(mode[i]);
    return FilePtr(_wfopen(name.c_str(), wideMode));
#else
    return FilePtr(std::fopen(name.c_str(), mode));
#endif
}

}  // namespace veilora::imaging

namespace veilora::imaging {

// The platform's own error code of the last failed file call, where it keeps one (the C
// runtime of Windows translates it into errno and loses detail); 0 elsewhere.
inline unsigned long lastOsError() {
#ifdef _WIN32
    return _doserrno;
#else
    return 0;
#endif
}

// Seeks with a 64-bit offset on every platform (long is 32 bits on Windows).
inline bool seekFile(std::FILE* f, std::int64_t offset) {
#ifdef _WIN32
    return _fseeki64(f, offset, SEEK_SET) == 0;
#else
    return fseeko(f, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

}  // namespace veilora::imaging
