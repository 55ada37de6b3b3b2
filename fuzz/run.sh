#!/usr/bin/env bash
# Runs every fuzz target of BUILD_DIR in turn, FUZZ_SECONDS each (default: 600 seconds
# shared by all), on a corpus kept in BUILD_DIR/fuzz-corpus, and says what each found.
# Exit status 1 when any target found a crash, leak or broken promise.
set -uo pipefail
build=${1:?usage: $0 BUILD_DIR}
targets=("$build"/fuzz/fuzz_*)
[[ -x ${targets[0]} ]] || { echo "no fuzz targets in $build/fuzz: build with -DVEILORA_FUZZ=ON" >&2; exit 1; }
seconds=${FUZZ_SECONDS:-$((${FUZZ_TOTAL_SECONDS:-600} / ${#targets[@]}))}
seeds=$build/fuzz-seeds
artifacts=$build/fuzz-artifacts
mkdir -p "$seeds"/{palette_raw,palette_jasc,bitmap_reader} "$artifacts"

# A few well-formed inputs to start from.
python3 - "$seeds" <<'PY'
import struct, sys
d = sys.argv[1]
def put(name, data):
    open(f"{d}/{name}", "wb").write(data)
put("palette_raw/two", b"\x00" + struct.pack("<I", 2) + bytes([255, 0, 0, 0, 0, 0, 255, 7]))
put("palette_raw/at-four", b"\x08" + b"\x00" * 4 + struct.pack("<I", 1) + bytes([1, 2, 3, 4]))
put("palette_jasc/three", b"JASC\r\n0100\r\n3\r\n255 0 0\r\n0 255 0\r\n0 0 255")
put("palette_jasc/skipped", b"JASC\r\n0100\r\n2\r\n1  2 3\r\n4 5 6\r\n")
def bmp(w, h, top_down=False):
    stride = (w * 3 + 3) & ~3
    pixels = bytes((x * 40 + y * 7 + c * 90) % 256 for y in range(h) for x in range(stride)
                   for c in [0])
    info = struct.pack("<IiiHHIIiiII", 40, w, -h if top_down else h, 1, 24, 0, len(pixels), 0, 0, 0, 0)
    return b"BM" + struct.pack("<IHHI", 54 + len(pixels), 0, 0, 54) + info + pixels + bytes([w * 5 % 256])
put("bitmap_reader/3x2", bmp(3, 2))
put("bitmap_reader/5x4-top-down", bmp(5, 4, True))
put("bitmap_reader/17x9", bmp(17, 9))
PY

status=0
for target in "${targets[@]}"; do
  name=$(basename "$target")
  name=${name#fuzz_}
  corpus=$build/fuzz-corpus/$name
  mkdir -p "$corpus"
  log=$build/fuzz-$name.log
  echo "== $name: $seconds s"
  "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
    -print_final_stats=1 -artifact_prefix="$artifacts/$name-" "$corpus" "$seeds/$name" \
    >"$log" 2>&1
  rc=$?
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$')
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1)
  found=$(ls "$artifacts/$name-"* 2>/dev/null)
  if [[ $rc -ne 0 || -n $found ]]; then
    status=1
    echo "   FOUND a problem (exit $rc): ${found:-see $log}"
    grep -m5 -E 'ERROR|broken|SUMMARY' "$log" | sed 's/^/   /'
  else
    echo "   found nothing: ${runs:-?} inputs run, ${cov:-cov: ?} edges, corpus $(ls "$corpus" | wc -l) files"
  fi
done
exit $status
