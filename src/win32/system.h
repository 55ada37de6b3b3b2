// Facts about the system and the program's own location.
#pragma once

#include <string>

namespace veilora::win32 {

// The real major version of Windows, not the compatibility value that version queries hand
// to programs the system thinks were written for an older release.
int osMajorVersion();

// True when running on Wine, whose desktop does not act on Windows+M.
bool runningUnderWine();

// The folder of the running executable, without a trailing backslash (except a drive root).
std::wstring programFolder();
// The executable's file name without its extension ("veilora").
std::wstring programName();

bool fileExists(const std::wstring& path);

}  // namespace veilora::win32
