#!/bin/sh
# package_test.sh CPACK BUILD_DIR: the Debian package, built here from the finished build,
# unpacked into a folder as dpkg would lay it out, works there.
set -eu
here=$(dirname "$0")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$work" && "$1" -G DEB --config "$2/CPackConfig.cmake" -B "$work/out" > "$work/cpack.log" 2>&1) ||
    { cat "$work/cpack.log" >&2; fail "cpack -G DEB"; }
set -- "$work"/out/torvane_*_*.deb
[ $# -eq 1 ] && [ -f "$1" ] || fail "no torvane_VERSION_ARCH.deb in $(ls "$work/out")"
package=$1
[ "$(dpkg-deb -f "$package" Package)" = torvane ] || fail "the package is not called torvane"
[ "$(dpkg-deb -f "$package" Section)" = utils ] || fail "the package's section is not utils"
depends=$(dpkg-deb -f "$package" Depends)
for library in libsdl2-2.0-0 libpng16-16 liblz4-1 libmpg123-0 libsdl2-ttf-2.0-0 libfontconfig1 \
    libcurl4 libsystemd0 libc6 fonts-dejavu-core; do
    case $depends in *"$library"*) ;; *) fail "Depends lacks $library: $depends" ;; esac
done
dpkg-deb -f "$package" Description | grep -q flashlight || fail "the package has no description"

dpkg-deb -x "$package" "$work/root"
grep -q "License: Expat" "$work/root/usr/share/doc/torvane/copyright" || fail "no licence in the copyright file"
sh "$here/check_installed_tree.sh" "$work/root" /usr
echo "package $(basename "$package"): ok"
