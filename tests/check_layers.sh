#!/usr/bin/env bash
# Fails when a source file includes a header of a folder that is not below
# its own: layers point down only, and siblings do not see each other.
set -uo pipefail
src="${1:-$(dirname "$0")/../src}"

# What each folder may include besides itself.
declare -A allowed_for=(
    [common]=""
    [layoutdata]="common"
    [vardo/base]="common"
    [vardo/layout]="common layoutdata vardo/base"
    [vardo/devices]="common layoutdata vardo/base sdk"
    [vardo/vision]="common layoutdata vardo/base vardo/layout"
    [vardo/operation]="common layoutdata vardo/base vardo/layout vardo/devices"
    [vardo/panel]="common layoutdata vardo/base vardo/layout vardo/devices vardo/operation"
    [vardo/app]="common layoutdata vardo/base vardo/layout vardo/devices vardo/vision vardo/operation vardo/panel"
    [vardo/ui]="common layoutdata vardo/base vardo/layout vardo/devices vardo/vision vardo/operation vardo/panel vardo/app"
    [planwerk]="common layoutdata"
    [sdk]=""
)

# The layer a path under src/ belongs to, into $layer: vardo/<sub> or the
# top folder. Plain parameter expansion: the check runs over every include
# of the tree, and a process per include made it take minutes.
layer_of() {
    case "$1" in
    vardo/*)
        local rest=${1#vardo/}
        layer="vardo/${rest%%/*}"
        ;;
    *) layer=${1%%/*} ;;
    esac
}

failures=0
while IFS= read -r file; do
    rel="${file#"$src"/}"
    layer_of "$rel"
    own=$layer
    if [ -z "${allowed_for[$own]+known}" ]; then
        echo "unknown layer for $rel"
        failures=$((failures + 1))
        continue
    fi
    allowed=${allowed_for[$own]}
    while IFS= read -r inc; do
        [ -d "$src/${inc%%/*}" ] || continue # a system or library header
        layer_of "$inc"
        target=$layer
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
