#!/usr/bin/env bash
# Fails when a C or C++ source under src/, tools/, tests/ or bench/ differs from what clang-format
# makes of it (.clang-format at the top). With --fix, formats them in place instead.
set -euo pipefail
cd "$(dirname "$0")/.."

# Installed npm packages (the browser tests' node_modules) are not ours.
mapfile -t files < <(find src tools tests bench -name node_modules -prune -o -type f \
    \( -name '*.cpp' -o -name '*.h' -o -name '*.c' \) -print | sort)
if [ "${1:-}" = "--fix" ]; then
    clang-format -i "${files[@]}"
    exit 0
fi
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! clang-format --dry-run --Werror "${files[@]}" 2>"$log"; then
    grep -E '^[^ ].*: (error|warning):' "$log" | cut -d: -f1 | sort -u | sed 's/^/format: needs clang-format: /'
    echo "format: run 'bash scripts/check-format.sh --fix'"
    exit 1
fi
echo "format: ${#files[@]} files follow .clang-format"
