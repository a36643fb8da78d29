#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test: once in a normal
# build with g++, once under AddressSanitizer and UndefinedBehaviorSanitizer
# with clang++ (which compiles it in about half g++'s time), once in a
# Release build with clang++ (benchmarks included), whose Debian package is
# then built, installed and run. Warnings are errors in all of them. The
# two test builds keep only line tables for debugging (-g1), and the
# sanitizer build optimises at -O1, as AddressSanitizer advises; the test
# code itself is compiled at -O1 in the normal build and unoptimised in the
# others: most of a build's time goes into debug information and
# optimising test code. Lines changed since .ci/format-base must follow
# .clang-format. When FUZZ_SECONDS is set, the fuzzers run last. The
# benchmarks run once, briefly, as a test of the normal build.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

bash scripts/setup.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

echo "== format of the lines changed since $(cat .ci/format-base)"
if git rev-parse -q --verify "$(cat .ci/format-base)^{commit}" >/dev/null; then
  format=$(git clang-format --diff --extensions cpp,h "$(cat .ci/format-base)" -- . 2>&1) || true
  case "$format" in
    "" | *"no modified files to format"* | *"did not modify any files"*) echo "formatted as .clang-format says" ;;
    *) echo "$format"; echo "these changed lines do not follow .clang-format (git clang-format fixes them)" >&2; exit 1 ;;
  esac
else
  echo "the base commit is not in this clone (shallow?); format not checked"
fi

echo "== build"
cmake -S . -B build -G Ninja -DCMAKE_COMPILE_WARNING_AS_ERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG"
cmake --build build -j "$jobs"
echo "== tests"
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== build with sanitizers"
cmake -S . -B build-asan -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_COMPILE_WARNING_AS_ERROR=ON \
  -DLUMIVEX_SANITIZE=ON -DLUMIVEX_BENCH=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG"
cmake --build build-asan -j "$jobs"
echo "== tests with sanitizers"
supp="$root/tests/lsan.supp"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$supp:print_suppressions=0"
ctest --test-dir build-asan --output-on-failure -j "$jobs"
unset ASAN_OPTIONS UBSAN_OPTIONS LSAN_OPTIONS

echo "== Release build with clang++"
cmake -S . -B build-release -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
cmake --build build-release -j "$jobs"
ctest --test-dir build-release --output-on-failure -j "$jobs" -LE bench
echo "== its Debian package, installed and run"
rm -f build-release/lumivex_*.deb
(cd build-release && cpack -G DEB)
# Leave the machine as it was: remove the package unless it was there before.
was_installed=$(dpkg-query -W -f='${Status}' lumivex 2>/dev/null | grep -c 'install ok installed' || true)
dpkg -i build-release/lumivex_*.deb
for program in lumivex lumivex-viewer lumivex-player; do
  (unset DISPLAY; "/usr/bin/$program" --version)
done
[ "$was_installed" -gt 0 ] || dpkg -r lumivex

if [ -n "${FUZZ_SECONDS:-}" ]; then
  echo "== fuzzing, ${FUZZ_SECONDS} s per target"
  fuzz/run.sh "$FUZZ_SECONDS"
fi
