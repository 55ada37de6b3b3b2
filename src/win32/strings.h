// Explicit conversions at the Win32 boundary: the core keeps texts in the ANSI code page.
#pragma once

#include <string>
#include <string_view>

namespace veilora::win32 {

std::wstring widen(std::string_view ansi);
std::string narrow(std::wstring_view wide);

}  // namespace veilora::win32
