#!/bin/sh
# The README's pair of scanner-view pictures: our bat outline converted raw
# and prepared for the scanner (convert --profile ilda-30k), each drawn as
# an ilda-30k scanner draws it, with its figures from ilda --scan.
#   sh docs/make-scanner-pictures.sh [BUILD_DIR]     (default: build)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

picture() {
    "$build/bin/lumivex-player" --render "$work/$1.ild" --profile ilda-30k --size 480 -o "$root/docs/scanner-$1.png"
    "$build/bin/lumivex" ilda --scan "$work/$1.ild" | sed -n 2p
}

"$build/bin/lumivex" convert --format 5 -o "$work/raw.ild" "$root/examples/batman.dat"
picture raw
if ! "$build/bin/lumivex" convert --format 5 --profile ilda-30k -o "$work/prepared.ild" "$root/examples/batman.dat"; then
    echo "make-scanner-pictures: this build cannot prepare frames (convert --profile); docs/scanner-prepared.png is left as it was" >&2
    exit 1
fi
picture prepared
