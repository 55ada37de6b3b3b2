#!/usr/bin/env bash
# Runs every benchmark: the Google Benchmark programs, then each bench/*.sh.
set -euo pipefail
dir=$1
top=$(cd "$(dirname "$0")/.." && pwd)
status=0
for exe in "$dir"/bench/*_bench; do
  [[ -x "$exe" ]] || continue
  echo "== $(basename "$exe")"
  "$exe" --benchmark_counters_tabular=true || status=1
done
for script in "$top"/bench/*.sh; do
  [[ -x "$script" ]] || continue
  echo "== $(basename "$script")"
  "$script" "$dir" || status=1
done
exit $status
