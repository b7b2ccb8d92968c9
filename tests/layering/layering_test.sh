#!/bin/sh
# The layers' direction, checked on every include of src/: app -> screen -> platform subsystems
# -> json -> foundation, with rating beside the screen. A folder may include only itself and what
# its line below names.
set -u
src=${1:?usage: layering_test.sh SRC_DIR}
allowed() {
    case "$1" in
    foundation) echo "foundation" ;;
    json) echo "foundation json" ;;
    platform/geometry) echo "platform/geometry" ;;
    platform/core) echo "foundation json platform/core platform/geometry" ;;
    platform/storage) echo "foundation json platform/core platform/geometry platform/storage" ;;
    platform/alert) echo "platform/core platform/geometry platform/alert" ;;
    platform/view) echo "platform/core platform/geometry platform/storage platform/alert platform/view" ;;
    platform/audio) echo "platform/core platform/audio" ;;
    platform/torch | platform/torch/watchdog) echo "platform/core platform/torch" ;;
    platform/net) echo "platform/core platform/net" ;;
    platform) echo "foundation json platform" ;;
    rating) echo "platform/core rating" ;;
    screen) echo "foundation json platform rating screen" ;;
    app) echo "foundation json platform rating screen app" ;;
    *) echo "" ;;
    esac
}
failures=0
for file in $(cd "$src" && find . -name '*.h' -o -name '*.cpp' | sed 's|^\./||' | sort); do
    folder=$(dirname "$file")
    layers=$(allowed "$folder")
    if [ -z "$layers" ]; then
        echo "layering: $file: its folder $folder has no place in the layers"
        failures=$((failures + 1))
        continue
    fi
    for included in $(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$src/$file"); do
        target=$(dirname "$included")
        [ -f "$src/$included" ] || continue # a header beside the file, or not ours
        ok=no
        for layer in $layers; do
            case "$target" in
            "$layer") ok=yes ;;
            "$layer"/*) [ "$layer" = platform ] && ok=yes ;;
            esac
        done
        if [ $ok = no ]; then
            echo "layering: $file includes $included, against the direction of the layers"
            failures=$((failures + 1))
        fi
    done
done
if [ $failures -ne 0 ]; then
    echo "layering: $failures includes against the layers"
    exit 1
fi
echo "layering: every include of src/ follows the layers"
