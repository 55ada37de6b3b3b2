#include "win32/strings.h"

#include <windows.h>

#include <climits>
#include <stdexcept>

namespace veilora::win32 {

namespace {
int checkedLength(std::size_t size) {
    if (size > INT_MAX) throw std::length_error("text too long to convert");
    return static_cast<int>(size);
}
}  // namespace

// Embedded NULs are converted like any other character.
std::wstring widen(std::string_view ansi) {
    if (ansi.empty()) return {};
    const int size = checkedLength(ansi.size());
    const int needed = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(needed > 0 ? needed : 0), L'\0');
    if (needed > 0) ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, wide.data(), needed);
    return wide;
}

std::string narrow(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int size = checkedLength(wide.size());
    const int needed =
        ::WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<size_t>(needed > 0 ? needed : 0), '\0');
    if (needed > 0) {
        ::WideCharToMultiByte(CP_ACP, 0, wide.data(), size, ansi.data(), needed, nullptr, nullptr);
    }
    return ansi;
}

}  // namespace veilora::win32
