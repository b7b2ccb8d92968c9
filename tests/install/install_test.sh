#!/bin/sh
# install_test.sh CMAKE BUILD_DIR: `cmake --install` into a DESTDIR with a prefix the build was
# not configured for, and the result works where it lies.
set -eu
here=$(dirname "$0")
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
DESTDIR=$root "$1" --install "$2" --prefix /opt/torvane > "$root.log" 2>&1 ||
    { cat "$root.log" >&2; rm -f "$root.log"; echo "FAIL: cmake --install" >&2; exit 1; }
rm -f "$root.log"
sh "$here/check_installed_tree.sh" "$root" /opt/torvane
