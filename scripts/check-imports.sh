#!/usr/bin/env bash
# The program must be self-contained and load nothing from beside itself: it imports no MinGW
# runtime DLL, and at load time only the system's own DLLs that the system always takes from
# its folder (or, for the common controls, from its side-by-side store). Every other library
# is loaded at run time from the system folder only.
set -euo pipefail
exe=$1
dlls=$(objdump -p "$exe" | awk '/DLL Name:/ {print tolower($3)}')
allowed='^(kernel32|user32|gdi32|advapi32|shell32|ole32|comctl32|msvcrt)\.dll$'
bad=$(echo "$dlls" | grep -v -E "$allowed" || true)
if [[ -n "$bad" ]]; then
  echo "$exe imports DLLs it must not take at load time: $bad" >&2
  exit 1
fi
