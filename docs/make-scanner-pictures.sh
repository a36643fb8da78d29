#!/bin/sh
# The README's pair of scanner-view pictures: a frame of our cube animation
# (build/bin/make-animations) as it is written and as `lumivex optimize`
# prepares it, each drawn as an ilda-30k scanner draws it, with its figures
# from ilda --scan.
#   sh docs/make-scanner-pictures.sh [BUILD_DIR]     (default: build)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
frame=27

picture() {
    "$build/bin/lumivex-player" --render "$work/$1.ild" --frame $frame --profile ilda-30k --size 480 \
        -o "$root/docs/scanner-$1.png"
    "$build/bin/lumivex" ilda --scan "$work/$1.ild" | grep "^frame $frame:"
}

"$build/bin/make-animations" "$work" >/dev/null
cp "$work/cube-format4.ild" "$work/raw.ild"
"$build/bin/lumivex" optimize --quiet --profile ilda-30k -o "$work/prepared.ild" "$work/raw.ild"
picture raw
picture prepared
