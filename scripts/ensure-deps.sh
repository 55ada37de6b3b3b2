#!/usr/bin/env bash
# Installs what building and testing need on a Debian 12 machine.
# Quick no-op when everything is already there.
#
# The 32-bit Wine (wine32 from the i386 architecture) is installed too. When the package
# registry cannot provide it, the reason is written to build/wine32-unavailable and the
# 32-bit program's tests report themselves as skipped with that reason; nothing else fails.
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
marker="$top/build/wine32-unavailable"

need_pkgs=()
check() { # check <command-or-path> <package>
  if [[ "$1" == /* ]]; then [[ -e "$1" ]] || need_pkgs+=("$2")
  else command -v "$1" >/dev/null 2>&1 || need_pkgs+=("$2"); fi
}
check cmake cmake
check ninja ninja-build
check g++ g++
check clang++ clang
check python3 python3
check x86_64-w64-mingw32-g++ g++-mingw-w64-x86-64
check i686-w64-mingw32-g++ g++-mingw-w64-i686
check wine wine
check /usr/lib/wine/wine64 wine64
check Xvfb xvfb
check Xephyr xserver-xephyr
check xdotool xdotool
check xwd x11-apps
check xdpyinfo x11-utils
check /usr/share/wine/fonts/tahoma.ttf fonts-wine
check /usr/bin/convert imagemagick
check /usr/bin/identify imagemagick
check pulseaudio pulseaudio
check pactl pulseaudio-utils
check makensis nsis
check chmcmd fp-utils
check zip zip
check unzip unzip
check setpriv util-linux
check /usr/src/googletest/CMakeLists.txt googletest
check /usr/include/gtest/gtest.h libgtest-dev
check /usr/include/gmock/gmock.h libgmock-dev
check /usr/include/benchmark/benchmark.h libbenchmark-dev
check /usr/lib/llvm-14/lib/clang/14.0.6/lib/linux/libclang_rt.fuzzer-x86_64.a libclang-rt-14-dev

want_wine32=0
[[ -e /usr/lib/i386-linux-gnu/wine/i386-windows/kernel32.dll && -e /usr/lib/wine/wineserver32 ]] ||
  want_wine32=1

if ((${#need_pkgs[@]} == 0 && want_wine32 == 0)); then
  rm -f "$marker"
  exit 0
fi

SUDO=""
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null || { echo "Please run as root or install sudo." >&2; exit 1; }
  SUDO=sudo
fi
export DEBIAN_FRONTEND=noninteractive

if ((want_wine32)) && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -qq

if ((${#need_pkgs[@]})); then
  # Deduplicate while keeping order.
  mapfile -t need_pkgs < <(printf '%s\n' "${need_pkgs[@]}" | awk '!seen[$0]++')
  echo "Installing: ${need_pkgs[*]}"
  $SUDO apt-get install -y -qq --no-install-recommends "${need_pkgs[@]}" >/dev/null
fi

if ((want_wine32)); then
  echo "Installing: wine32:i386"
  mkdir -p "$(dirname "$marker")"
  # Never let the 32-bit packages downgrade or remove what the 64-bit side runs on.
  if log=$($SUDO apt-get install -y -qq --no-install-recommends --no-remove wine32:i386 2>&1); then
    rm -f "$marker"
    # A prefix made before wine32 cannot run 32-bit programs: make the test template anew.
    rm -rf "$top"/build/e2e/template-prefix*
  else
    echo "wine32:i386 could not be installed: $(echo "$log" | grep -E '^E:' | head -n 1)" |
      tee "$marker" >&2
  fi
fi
