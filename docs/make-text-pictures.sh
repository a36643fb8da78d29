#!/bin/sh
# The README's text pictures: a line of text and two frames of a scroll,
# made by `lumivex text --profile ilda-30k` and drawn as an ilda-30k
# scanner draws them, with their figures from ilda --scan.
#   sh docs/make-text-pictures.sh [BUILD_DIR]     (default: build)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# picture NAME FRAME: docs/text-NAME.png from frame FRAME of NAME.ild.
picture() {
    "$build/bin/lumivex-player" --render "$work/$1.ild" --frame "$2" --profile ilda-30k --size 320 \
        -o "$root/docs/text-$1.png"
    "$build/bin/lumivex" ilda --scan "$work/$1.ild" | grep "^frame $2:"
}

"$build/bin/lumivex" text "Lumivex 2026" --color aqua --profile ilda-30k -o "$work/still.ild"
"$build/bin/lumivex" text "HELLO WORLD" --scroll 4 --font rowmans --color yellow --profile ilda-30k \
    -o "$work/scroll.ild"
cp "$work/scroll.ild" "$work/scroll-late.ild"
picture still 0
picture scroll 40
picture scroll-late 80
