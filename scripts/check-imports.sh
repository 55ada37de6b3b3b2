#!/usr/bin/env bash
# The program must be self-contained: no MinGW runtime DLLs among its imports.
set -euo pipefail
exe=$1
dlls=$(objdump -p "$exe" | awk '/DLL Name:/ {print tolower($3)}')
bad=$(echo "$dlls" | grep -E '^(libstdc\+\+|libgcc|libwinpthread|libssp)' || true)
if [[ -n "$bad" ]]; then
  echo "$exe depends on MinGW runtime DLLs: $bad" >&2
  exit 1
fi
