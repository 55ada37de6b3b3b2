#!/usr/bin/env bash
# bmpconv against ImageMagick's convert on the same 1920x1080 picture, whole process
# against whole process, the two runs alternating so that both see the same machine.
# Usage: bench/bmpconv_vs_convert.sh BUILD_DIR   (BENCH_RUNS=N, default 9)
set -euo pipefail
build=${1:?usage: $0 BUILD_DIR}
bmpconv=$build/bmpconv
convert=/usr/bin/convert  # the real one, not a wrapper earlier on PATH
runs=${BENCH_RUNS:-9}
[[ -x $bmpconv ]] || { echo "no $bmpconv: build the bmpconv target first" >&2; exit 1; }
[[ -x $convert ]] || { echo "no $convert: ImageMagick is not installed" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A fractal plasma: smooth regions and fine detail, many distinct colours, like a photograph.
"$convert" -seed 4 -size 1920x1080 plasma:fractal -type TrueColor "BMP3:$work/in.bmp"
# The halftone palette as a picture for -remap: five levels per channel.
{
  echo "P3 125 1 255"
  for b in 0 64 128 192 255; do for g in 0 64 128 192 255; do for r in 0 64 128 192 255; do
    echo "$r $g $b"
  done; done; done
} >"$work/halftone.ppm"

# Microseconds of one whole run into $took, its output thrown away; timed in this shell
# itself so that no helper process adds to either side.
took=0
timed() {
  local start=$EPOCHREALTIME end
  "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }
  end=$EPOCHREALTIME
  took=$(((${end/./} - ${start/./})))
}

median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

# compare NAME KEY TARGET_RATIO -- OURS... -- THEIRS...
# Ends with the line "ratio KEY VALUE target TARGET met|NOT met" for scripts.
compare() {
  local name=$1 key=$2 target=$3
  shift 4
  local ours=() theirs=()
  while [[ $1 != -- ]]; do ours+=("$1"); shift; done
  shift
  theirs=("$@")
  local a=() b=()
  for ((i = 0; i < runs; i++)); do
    timed "${ours[@]}"
    a+=("$took")
    timed "${theirs[@]}"
    b+=("$took")
  done
  local ma mb fa fb
  ma=$(printf '%s\n' "${a[@]}" | median)
  mb=$(printf '%s\n' "${b[@]}" | median)
  fa=$(printf '%s\n' "${a[@]}" | sort -n | head -1)
  fb=$(printf '%s\n' "${b[@]}" | sort -n | head -1)
  awk -v n="$name" -v k="$key" -v a="$ma" -v b="$mb" -v fa="$fa" -v fb="$fb" -v t="$target" 'BEGIN {
    r = b / a
    printf "%-36s bmpconv %7.1f ms  convert %7.1f ms  (best runs %.1fx)\n", n, a / 1000, b / 1000, fb / fa
    printf "ratio %s %.1f target %d %s\n", k, r, t, (r >= t ? "met" : "NOT met")
  }'
}

echo "1920x1080, medians of $runs alternating runs each (a process start alone costs several ms here)"
compare "8-bit halftone, no dithering" bmpconv_halftone_8bit_vs_convert 50 \
  -- "$bmpconv" "$work/in.bmp" "$work/a.bmp" --depth 2 --method 0 \
  -- "$convert" "$work/in.bmp" -dither None -remap "$work/halftone.ppm" "$work/b.bmp"
compare "optimal palette, 236 colours" bmpconv_optimal_palette_vs_convert 5 \
  -- "$bmpconv" --optimal 236 --levels 6 "$work/in.bmp" "$work/a.pal" \
  -- "$convert" "$work/in.bmp" -colors 236 "$work/b.bmp"
compare "(same, with the 8-bit file written)" bmpconv_optimal_8bit_vs_convert 10 \
  -- "$bmpconv" "$work/in.bmp" "$work/a.bmp" --depth 2 --method 2 \
  -- "$convert" "$work/in.bmp" -colors 236 "$work/b.bmp"
