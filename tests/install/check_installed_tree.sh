#!/bin/sh
# check_installed_tree.sh ROOT PREFIX: Torvane as installed under ROOT/PREFIX starts headless and
# draws its screen from its own data, and the files the desktop reads pass Debian's validators.
set -eu
root=$1
prefix=$2
tree=$root$prefix
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

program=$tree/bin/torvane
[ -x "$program" ] || fail "no program at $program"
version=$("$program" --version) || fail "--version ended with status $?"
case $version in "torvane "?*) ;; *) fail "--version printed '$version'" ;; esac
"$program" --help | grep -q -- "--leds" || fail "--help does not name every option"

printf 'wait 0.1\nshot %s\n' "$work/shot.png" > "$work/script"
status=0
env -u TORVANE_RESOURCES SDL_AUDIODRIVER=dummy TORVANE_URL_OPENER=/bin/true \
    TORVANE_INSTALL_HOST=127.0.0.1:9 TORVANE_PROBE_HOST=127.0.0.1:9 TORVANE_LEDS="$work/no-leds" \
    "$program" --headless --store "$work/settings.json" --trace "$work/trace.jsonl" \
    --script "$work/script" > "$work/out" 2>&1 || status=$?
[ "$status" -eq 0 ] || { cat "$work/out" >&2; fail "the installed torvane ended with status $status"; }
[ "$(head -c 8 "$work/shot.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] ||
    fail "the shot is not a PNG"
# Every picture and sound came from the installed tree: a miss is logged as "resources: ...".
if grep -q '"resources: ' "$work/trace.jsonl"; then
    grep '"resources: ' "$work/trace.jsonl" >&2
    fail "the installed torvane did not find its resources"
fi

id=app.torvane.Torvane
desktop-file-validate "$tree/share/applications/$id.desktop" || fail "the desktop file does not validate"
appstreamcli validate --no-net --strict "$tree/share/metainfo/$id.metainfo.xml" ||
    fail "the metainfo does not validate"
for size in 48 64 128 256; do
    [ -s "$tree/share/icons/hicolor/${size}x$size/apps/$id.png" ] || fail "no ${size}px icon"
done
[ -s "$tree/share/icons/hicolor/scalable/apps/$id.svg" ] || fail "no scalable icon"
[ -s "$tree/share/torvane/$id.png" ] || fail "no window icon beside the pictures"
[ -s "$tree/share/man/man1/torvane.1.gz" ] || fail "no man page"
[ -s "$tree/share/doc/torvane/copyright" ] || fail "no copyright file"
echo "installed tree under $tree: ok"
