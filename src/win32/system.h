// Facts about the system and the program's own location.
#pragma once

#include <windows.h>

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

// Loads a DLL from the system folder only, never from the program's folder or the current
// one, where a planted copy could wait. Null when it is not there.
HMODULE loadSystemLibrary(const wchar_t* name);

// From here on the process loads DLLs from the system folder only. Called first thing.
void restrictDllSearchToSystem();

}  // namespace veilora::win32
