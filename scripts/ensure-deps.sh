#!/usr/bin/env bash
# Installs what building and testing need on a Debian 12 machine.
# Quick no-op when everything is already there.
set -euo pipefail

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
check xdotool xdotool
check xwd x11-apps
check xdpyinfo x11-utils
check /usr/share/wine/fonts/tahoma.ttf fonts-wine
check /usr/bin/convert imagemagick
check /usr/bin/identify imagemagick
check pulseaudio pulseaudio
check pactl pulseaudio-utils
check /usr/src/googletest/CMakeLists.txt googletest
check /usr/include/gtest/gtest.h libgtest-dev
check /usr/include/gmock/gmock.h libgmock-dev
check /usr/include/benchmark/benchmark.h libbenchmark-dev
check /usr/lib/llvm-14/lib/clang/14.0.6/lib/linux/libclang_rt.fuzzer-x86_64.a libclang-rt-14-dev

if ((${#need_pkgs[@]} == 0)); then
  exit 0
fi

# Deduplicate while keeping order.
mapfile -t need_pkgs < <(printf '%s\n' "${need_pkgs[@]}" | awk '!seen[$0]++')
echo "Installing: ${need_pkgs[*]}"
SUDO=""
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null || { echo "Please run as root or install sudo." >&2; exit 1; }
  SUDO=sudo
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${need_pkgs[@]}" >/dev/null
