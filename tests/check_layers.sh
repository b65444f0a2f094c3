#!/usr/bin/env bash
# Fails when a source file includes a header of a folder that is not below
# its own: layers point down only, and siblings do not see each other.
set -uo pipefail
src="${1:-$(dirname "$0")/../src}"

# What each folder may include besides itself.
allowed_for() {
    case "$1" in
    common) echo "" ;;
    layoutdata) echo "common" ;;
    vardo/base) echo "common" ;;
    vardo/layout) echo "common layoutdata vardo/base" ;;
    vardo/devices) echo "common layoutdata vardo/base sdk" ;;
    vardo/vision) echo "common layoutdata vardo/base vardo/layout" ;;
    vardo/operation) echo "common layoutdata vardo/base vardo/layout vardo/devices" ;;
    vardo/panel) echo "common layoutdata vardo/base vardo/layout vardo/devices vardo/operation" ;;
    vardo/app) echo "common layoutdata vardo/base vardo/layout vardo/devices vardo/vision vardo/operation vardo/panel" ;;
    vardo/ui) echo "common layoutdata vardo/base vardo/layout vardo/devices vardo/vision vardo/operation vardo/panel vardo/app" ;;
    planwerk) echo "common layoutdata" ;;
    sdk) echo "" ;;
    *) echo "?" ;;
    esac
}

# The layer a path under src/ belongs to: vardo/<sub> or the top folder.
layer_of() {
    case "$1" in
    vardo/*) echo "$1" | cut -d/ -f1-2 ;;
    *) echo "$1" | cut -d/ -f1 ;;
    esac
}

failures=0
while IFS= read -r file; do
    rel="${file#"$src"/}"
    own=$(layer_of "$rel")
    allowed=$(allowed_for "$own")
    if [ "$allowed" = "?" ]; then
        echo "unknown layer for $rel"
        failures=$((failures + 1))
        continue
    fi
    while IFS= read -r inc; do
        target=$(layer_of "$inc")
        [ -d "$src/$(echo "$inc" | cut -d/ -f1)" ] || continue # a system or library header
        [ "$target" = "$own" ] && continue
        case " $allowed " in *" $target "*) continue ;; esac
        echo "$rel includes $inc ($own may not see $target)"
        failures=$((failures + 1))
    done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(find "$src" -name '*.h' -o -name '*.cpp' -o -name '*.c')

if [ "$failures" -ne 0 ]; then
    echo "$failures include(s) point up or sideways"
    exit 1
fi
echo "layers: every include points down"
