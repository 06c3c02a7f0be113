#!/usr/bin/env bash
# Layers run one way: driver > filters, scenes > resources > scene_core > display, sync > platform.
# Fails when a folder under src/ includes or links one of its own level or above.
set -euo pipefail
cd "$(dirname "$0")/.."

level() {
    case "$1" in
        driver) echo 6 ;;
        filters | scenes) echo 5 ;;
        resources) echo 4 ;;
        scene_core) echo 3 ;;
        display | sync) echo 2 ;;
        platform) echo 1 ;;
        *) echo 0 ;;
    esac
}

bad=0
report() {
    echo "layers: $1"
    bad=1
}

for dir in src/*/; do
    from=$(basename "$dir")
    from_level=$(level "$from")
    [ "$from_level" -gt 0 ] || report "unknown folder src/$from (give it a level in $0)"

    # Includes of another subsystem folder: "folder/file.h".
    while IFS=: read -r file line text; do
        to=$(sed -E 's/.*#[[:space:]]*include[[:space:]]*"([^/"]+)\/.*/\1/' <<<"$text")
        [ "$to" != "$from" ] || continue
        to_level=$(level "$to")
        [ "$to_level" -gt 0 ] || continue
        [ "$to_level" -lt "$from_level" ] || report "$file:$line includes $to (level $to_level, not below $from)"
    done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^/"]+/' "$dir" || true)

    # Link dependencies: vm_<folder>[_service] named in the folder's CMake files.
    while IFS=: read -r file line text; do
        for lib in $(grep -oE '\bvm_[a-z_]+' <<<"$text"); do
            name=${lib#vm_}
            case "$name" in platform_*) name=platform ;; esac
            [ "$name" != "$from" ] || continue
            to_level=$(level "$name")
            [ "$to_level" -gt 0 ] || continue
            [ "$to_level" -lt "$from_level" ] || report "$file:$line links $lib (level $to_level, not below $from)"
        done
    done < <(grep -rn --include=CMakeLists.txt 'DEPS' "$dir" || true)
done

[ "$bad" -eq 0 ] && echo "layers: every include and link runs downward"
exit "$bad"
