#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, build-fuzz/) and runs each of them for
# SECONDS seconds (default 30), one after the other. Prints per target the
# executions, executions per second and the verdict. Exits non-zero when any
# target found a crash, a leak, undefined behaviour, a timeout or a memory
# blow-up; its reproducer is left under fuzz/crashes/.
#   fuzz/run.sh 120            every target, 120 s each
#   fuzz/run.sh 60 hexdump     only fuzz_hexdump
set -uo pipefail
seconds=${1:-30}
only=${2:-}
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build-fuzz
work=$root/fuzz/corpus-work
crashes=$root/fuzz/crashes

if ! [[ $seconds =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
  echo "usage: fuzz/run.sh [SECONDS] [TARGET]" >&2
  exit 2
fi

mkdir -p "$work/seeds" "$crashes"
echo "== building the fuzzers in build-fuzz/"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DLUMIVEX_FUZZ=ON -DLUMIVEX_GUI=OFF \
  -DLUMIVEX_TESTS=OFF -DLUMIVEX_BENCH=OFF >"$work/configure.log" 2>&1 ||
  { cat "$work/configure.log"; echo "configure failed" >&2; exit 1; }
cmake --build "$build" -j "$(nproc)" >"$work/build.log" 2>&1 ||
  { tail -n 60 "$work/build.log"; echo "build failed" >&2; exit 1; }

"$build/bin/fuzz_seeds" "$work/seeds" || { echo "seed generation failed" >&2; exit 1; }

targets=(fuzz_pointfile fuzz_hexdump fuzz_textlines fuzz_ilda_load fuzz_native_load fuzz_ilda_roundtrip fuzz_ilda_standard
  fuzz_etherdream_status fuzz_etherdream_broadcast fuzz_idn_scan fuzz_emulator_models fuzz_svg_import)
status=0
results=()
for t in "${targets[@]}"; do
  [ -n "$only" ] && [ "$t" != "$only" ] && [ "$t" != "fuzz_$only" ] && continue
  exe=$build/bin/$t
  if [ ! -x "$exe" ]; then
    results+=("$(printf '%-22s %12s %10s  %s' "$t" - - "NOT BUILT")")
    status=1
    continue
  fi
  name=${t#fuzz_}
  mkdir -p "$work/$name" "$work/seeds/$name"
  log=$work/$name.log
  echo "== $t: $seconds s"
  # The working corpus grows from run to run; the seeds are read as well.
  # ASan's default 256 MB quarantine of freed blocks, on top of Qt's own
  # start-up, would count towards the RSS limit as if the target leaked.
  # Under the SVG import, Qt's painting frees much of what it takes and
  # ASan's allocator keeps those pages: its live heap stays near 25 MB while
  # its RSS climbs past 300 MB in 30 s, so it has room of its own.
  rss=512
  [ "$t" = fuzz_svg_import ] && rss=1024
  ASAN_OPTIONS=quarantine_size_mb=64:${ASAN_OPTIONS:-} \
  LSAN_OPTIONS=suppressions=$root/fuzz/lsan.supp:print_suppressions=0 "$exe" -max_total_time="$seconds" -rss_limit_mb="$rss" -malloc_limit_mb=512 -timeout=2 -print_final_stats=1 \
    -artifact_prefix="$crashes/$name-" "$work/$name" "$work/seeds/$name" >"$log" 2>&1
  rc=$?
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
  if [ "$rc" -eq 0 ]; then
    verdict=clean
  else
    status=1
    kind=$(grep -m1 -oE 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer): [a-z-]+|runtime error: .*|invariant failed: .*' "$log")
    artifact=$(sed -n 's/.*Test unit written to //p' "$log" | tail -n 1)
    verdict="FAILED (${kind:-exit $rc}) reproducer: ${artifact:-none}"
    grep -m1 -B2 -A25 -E '==ERROR|runtime error|invariant failed|ERROR: libFuzzer' "$log" | head -n 40
  fi
  results+=("$(printf '%-22s %12s %10s  %s' "$t" "${execs:-?}" "${rate:-?}" "$verdict")")
done

echo
printf '%-22s %12s %10s  %s\n' target executions "execs/s" verdict
printf '%s\n' "${results[@]}"
exit $status
