#!/usr/bin/env bash
# Dumps one generated file with `lumivex hexdump`, xxd and hexdump -C, times
# `cat FILE FILE FILE FILE FILE` (the cost of merely moving the five times
# larger dump), best of five runs each (hexdump -C once: it is slow), and
# prints each time, its ratio to `lumivex hexdump` and the two targets. Output goes to /dev/null; the file is in the
# page cache after the first run, so this compares formatting, not the disk.
#
#   bench/compare.sh [BUILD_DIR] [SIZE_MIB]     (defaults: build, 256)
#
# With `ilda` first, it times `lumivex ilda` in each view on a generated
# 150 MB ILDA file (300 frames x 65,535 points) against `cat` of the file,
# best of three, with each run's peak memory (GNU time):
#   bench/compare.sh ilda [BUILD_DIR]
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)

if [ "${1:-}" = ilda ]; then
  build=${2:-$here/build}
  for program in lumivex lumivex-bench; do
    [ -x "$build/bin/$program" ] || { echo "compare.sh: $build/bin/$program not found; build it first" >&2; exit 1; }
  done
  [ -x /usr/bin/time ] || { echo "compare.sh: /usr/bin/time is not installed (scripts/setup.sh installs it)" >&2; exit 1; }
  work=$(mktemp -d "${TMPDIR:-/tmp}/lumivex-compare.XXXXXX")
  trap 'rm -rf "$work"' EXIT
  "$build/bin/lumivex-bench" --write-ilda "$work/large.ild"
  echo "file: $(($(stat -c %s "$work/large.ild") / 1000000)) MB, 300 frames x 65,535 points; best of 3, output to /dev/null"
  printf '%-28s %8s %10s\n' command seconds "peak MB"
  # The fastest of three runs and the largest peak memory among them.
  measure() {
    local label=$1 best= peak=0 line
    shift
    for _ in 1 2 3; do
      /usr/bin/time -f '%e %M' -o "$work/time.txt" "$@" >/dev/null 2>&1 || true
      read -r seconds kb <"$work/time.txt"
      if [ -z "$best" ] || awk -v a="$seconds" -v b="$best" 'BEGIN { exit !(a < b) }'; then best=$seconds; fi
      [ "$kb" -gt "$peak" ] && peak=$kb
    done
    printf '%-28s %8s %10.1f\n' "$label" "$best" "$(awk -v k="$peak" 'BEGIN { print k / 1024 }')"
  }
  measure "cat FILE" cat "$work/large.ild"
  measure "lumivex ilda --summary" "$build/bin/lumivex" ilda --summary "$work/large.ild"
  measure "lumivex ilda --check" "$build/bin/lumivex" ilda --check "$work/large.ild"
  measure "lumivex ilda --json" "$build/bin/lumivex" ilda --json "$work/large.ild"
  measure "lumivex ilda" "$build/bin/lumivex" ilda "$work/large.ild"
  exit 0
fi
build=${1:-$here/build}
size_mib=${2:-256}
lumivex=$build/bin/lumivex
runs=5

[ -x "$lumivex" ] || { echo "compare.sh: $lumivex not found; build the lumivex target first" >&2; exit 1; }
for tool in xxd hexdump cat; do
  command -v "$tool" >/dev/null || { echo "compare.sh: $tool is not installed (scripts/setup.sh installs it)" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/lumivex-compare.XXXXXX")
trap 'rm -rf "$work"' EXIT
input=$work/input.bin
head -c "$((size_mib * 1024 * 1024))" /dev/urandom >"$input"

# Best wall time of $runs runs (or $RUNS_OVERRIDE) of a command, in seconds.
best() {
  local best_ns= start end ns
  for _ in $(seq "${RUNS_OVERRIDE:-$runs}"); do
    start=$(date +%s%N)
    "$@" >/dev/null
    end=$(date +%s%N)
    ns=$((end - start))
    if [ -z "$best_ns" ] || [ "$ns" -lt "$best_ns" ]; then best_ns=$ns; fi
  done
  awk -v ns="$best_ns" 'BEGIN { printf "%.3f", ns / 1e9 }'
}

# The dump must be right before its speed means anything: check one line.
head -c 16 "$input" >"$work/line.bin"
expected=$(python3 -c '
import sys
b = open(sys.argv[1], "rb").read()
hexes = "".join("%02X " % x + (" " if (i + 1) % 4 == 0 else "") for i, x in enumerate(b))
line = ("00000  " + hexes).ljust(62) + "".join(chr(x) if 32 <= x <= 126 else "." for x in b)
sys.stdout.write(line + "\r\n")' "$work/line.bin" | od -An -tx1)
if [ "$("$lumivex" hexdump "$work/line.bin" | od -An -tx1)" != "$expected" ]; then
  echo "compare.sh: lumivex hexdump does not print the expected line" >&2
  exit 1
fi

t_lumivex=$(best "$lumivex" hexdump "$input")
t_xxd=$(best xxd "$input")
t_hexdump=$(RUNS_OVERRIDE=1 best hexdump -C "$input")
t_cat=$(best cat "$input" "$input" "$input" "$input" "$input")

echo "file: ${size_mib} MiB of random bytes, best of $runs runs, output to /dev/null"
awk -v l="$t_lumivex" -v x="$t_xxd" -v h="$t_hexdump" -v c="$t_cat" -v mib="$size_mib" 'BEGIN {
  printf "%-16s %8s %10s %12s\n", "tool", "seconds", "MiB/s", "vs lumivex"
  printf "%-16s %8.3f %10.0f %11.2fx\n", "lumivex hexdump", l, mib / l, 1
  printf "%-16s %8.3f %10.0f %11.2fx\n", "xxd", x, mib / x, x / l
  printf "%-16s %8.3f %10.0f %11.2fx\n", "hexdump -C", h, mib / h, h / l
  printf "%-16s %8.3f %10.0f %11.2fx\n", "cat x5", c, mib * 5 / c, c / l
  printf "\nxxd / lumivex      %6.2f  (target: at least 8)   %s\n", x / l, (x / l >= 8 ? "met" : "NOT met")
  printf "lumivex / cat x5   %6.2f  (target: at most 2)    %s\n", l / c, (l / c <= 2 ? "met" : "NOT met")
}'
