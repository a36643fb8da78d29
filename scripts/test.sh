#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test: once in a normal
# build and once under AddressSanitizer and UndefinedBehaviorSanitizer, then,
# when FUZZ_SECONDS is set, the fuzzers. The benchmarks run once, briefly,
# as a test of the normal build.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

bash scripts/setup.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

echo "== build"
cmake -S . -B build -G Ninja -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
cmake --build build -j "$jobs"
echo "== tests"
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== build with sanitizers"
cmake -S . -B build-asan -G Ninja -DCMAKE_COMPILE_WARNING_AS_ERROR=ON -DLUMIVEX_SANITIZE=ON -DLUMIVEX_BENCH=OFF
cmake --build build-asan -j "$jobs"
echo "== tests with sanitizers"
supp="$root/tests/lsan.supp"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
[ -f "$supp" ] && export LSAN_OPTIONS="suppressions=$supp:print_suppressions=0"
ctest --test-dir build-asan --output-on-failure -j "$jobs"
unset ASAN_OPTIONS UBSAN_OPTIONS LSAN_OPTIONS

if [ -n "${FUZZ_SECONDS:-}" ] && [ -x fuzz/run.sh ]; then
  echo "== fuzzing, ${FUZZ_SECONDS} s per target"
  fuzz/run.sh "$FUZZ_SECONDS"
fi

echo "== Release build with clang++, its Debian package, installed"
cmake -S . -B build-release -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_COMPILE_WARNING_AS_ERROR=ON -DLUMIVEX_BENCH=OFF
cmake --build build-release -j "$jobs"
ctest --test-dir build-release --output-on-failure -j "$jobs"
rm -f build-release/lumivex_*.deb
(cd build-release && cpack -G DEB)
# Leave the machine as it was: remove the package unless it was there before.
was_installed=$(dpkg-query -W -f='${Status}' lumivex 2>/dev/null | grep -c 'install ok installed' || true)
dpkg -i build-release/lumivex_*.deb
/usr/bin/lumivex --version
/usr/bin/lumivex-viewer --version
[ "$was_installed" -gt 0 ] || dpkg -r lumivex
