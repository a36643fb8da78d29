#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks that every file lands
# where the freedesktop rules want it, and that the files name each other
# rightly: the entries' programs and icons, the thumbnailer's program, the
# file type that the player's entry opens.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cmake --install "$build" --prefix "$prefix" >/dev/null

for program in lumivex lumivex-viewer lumivex-player; do
  [ -x "$prefix/bin/$program" ] || fail "bin/$program is missing or not executable"
done
for file in share/applications/lumivex-viewer.desktop share/applications/lumivex-player.desktop \
            share/mime/packages/lumivex-ilda.xml \
            share/icons/hicolor/scalable/apps/lumivex-viewer.svg \
            share/icons/hicolor/scalable/apps/lumivex-player.svg \
            share/icons/hicolor/scalable/mimetypes/application-x-ilda.svg \
            share/thumbnailers/lumivex-player.thumbnailer share/man/man1/lumivex.1.gz \
            share/doc/lumivex/copyright lib/udev/rules.d/70-lumivex-helios.rules; do
  [ -f "$prefix/$file" ] || fail "$file is missing"
done

# The Helios rule matches the unit's IDs and opens it to the user at the seat.
grep -q 'ATTR{idVendor}=="1209", ATTR{idProduct}=="e500".*TAG+="uaccess"' \
  "$prefix/lib/udev/rules.d/70-lumivex-helios.rules" || fail "the Helios udev rule does not match the unit"

# The entries are valid and point at what was installed.
desktop-file-validate "$prefix"/share/applications/*.desktop || fail "desktop-file-validate"
key() { sed -n "s/^$1=//p" "$2" | head -n 1; }
for entry in "$prefix"/share/applications/*.desktop; do
  exec_line=$(key Exec "$entry")
  [ -x "$prefix/bin/${exec_line%% *}" ] || fail "$(basename "$entry"): Exec names ${exec_line%% *}, not installed"
  [ -f "$prefix/share/icons/hicolor/scalable/apps/$(key Icon "$entry").svg" ] ||
    fail "$(basename "$entry"): no icon $(key Icon "$entry")"
done
thumbnailer="$prefix/share/thumbnailers/lumivex-player.thumbnailer"
[ -x "$prefix/bin/$(key TryExec "$thumbnailer")" ] || fail "the thumbnailer's program is not installed"
grep -q '^MimeType=application/x-ilda;$' "$prefix/share/applications/lumivex-player.desktop" ||
  fail "the player does not open application/x-ilda"
gzip -t "$prefix/share/man/man1/lumivex.1.gz" || fail "the man page is not a gzip file"
grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/$' \
  "$prefix/share/doc/lumivex/copyright" || fail "the copyright file is not in Debian's machine-readable format"

# The thumbnailer's command, run as a file manager runs it: no display.
ild="$prefix/thumbnail-test.ild"
png="$prefix/thumbnail-test.png"
"$prefix/bin/lumivex" convert --format 5 -o "$ild" "$(dirname "$0")/../../examples/batman.dat" >/dev/null
command=$(key Exec "$thumbnailer")
command=${command//%i/$ild}
command=${command//%s/128}
command=${command//%o/$png}
(unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM; cd "$prefix/bin" && eval "./$command") ||
  fail "the thumbnailer's command failed"
file "$png" | grep -q 'PNG image data, 128 x 128' || fail "the thumbnailer did not write a 128 x 128 PNG"

# The type database takes the type: by name and by the magic at offset 0.
XDG_DATA_DIRS="$prefix/share:/usr/share" update-mime-database "$prefix/share/mime" || fail "update-mime-database"
grep -q ':application/x-ilda:\*\.ild' "$prefix/share/mime/globs2" || fail "no *.ild glob"
work=$(mktemp -d)
trap 'rm -rf "$prefix" "$work"' EXIT
printf 'ILDA\0\0\0\5%24s' '' >"$work/show.ild"
cp "$work/show.ild" "$work/no-extension"
for file in show.ild no-extension; do
  type=$(XDG_DATA_DIRS="$prefix/share:/usr/share" gio info -a standard::content-type "$work/$file" |
         sed -n 's/^ *standard::content-type: //p')
  [ "$type" = application/x-ilda ] || fail "$file is seen as '$type'"
done

[ "$failures" -eq 0 ] && echo "install tree: all files in place"
exit "$failures"
