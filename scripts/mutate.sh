#!/usr/bin/env bash
# Plants one-line faults in the code, one at a time, and checks that the test suite notices each.
#
#   bash scripts/mutate.sh [LIST...] [--only PATTERN]
#
# Each LIST (default: every scripts/mutations/*.txt) holds one fault per line:
#   file @ text as it stands ~> text with the fault || ctest selection
# The text must occur exactly once in the file. The optional ctest selection (for example
# "-R ^Track" or "-L gl") names the tests that must notice the fault; without it the whole suite
# runs. Lines starting with # and blank lines are skipped. --only PATTERN (grep -E) runs only the
# faults whose line matches it.
#
# Each fault is applied, the tree rebuilt (Debug, no sanitizers, in build-mutate/), the suite run
# until its first failure, and the file restored. A fault that the suite does not notice is
# "SURVIVED"; one that no longer applies or does not compile is reported so the list can be mended.
# Slow (a build and a suite run per fault): not part of the test run. MUTATE_TARGETS (build targets,
# space-separated) limits each build to the test programs a list selects.
set -uo pipefail
cd "$(dirname "$0")/.."

lists=()
filter=.
while [ $# -gt 0 ]; do
    case "$1" in
        --only) filter=$2; shift 2 ;;
        *) lists+=("$1"); shift ;;
    esac
done
[ ${#lists[@]} -gt 0 ] || lists=(scripts/mutations/*.txt)
build=${MUTATE_BUILD_DIR:-build-mutate}
jobs=${JOBS:-$(nproc)}
targets=()
[ -z "${MUTATE_TARGETS:-}" ] || read -r -a targets <<<"--target $MUTATE_TARGETS"

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVM_WERROR=OFF >/dev/null || exit 1
cmake --build "$build" -j "$jobs" "${targets[@]}" >/dev/null || {
    echo "mutate: the unmutated tree does not build"
    exit 1
}

export SDL_AUDIODRIVER=dummy
unset DISPLAY WAYLAND_DISPLAY

restore=""
# Restored files get a fresh time stamp so that the next build recompiles them.
put_back() {
    mv -f "$restore" "${restore%.mutate-orig}" && touch "${restore%.mutate-orig}"
    restore=""
}
trap '[ -n "$restore" ] && put_back' EXIT
trap 'exit 130' INT TERM

caught=0 survived=0 broken=0 n=0
while IFS= read -r line; do
    [[ -z "$line" || "$line" == \#* ]] && continue
    grep -qE -- "$filter" <<<"$line" || continue
    file=${line%% @ *}
    rest=${line#* @ }
    from=${rest%% ~> *}
    to=${rest#* ~> }
    select=()
    if [[ "$to" == *" || "* ]]; then
        read -r -a select <<<"${to##* || }"
        to=${to% || *}
    fi
    n=$((n + 1))

    count=$(FROM="$from" perl -0ne 'BEGIN{$c=0} $c += () = /\Q$ENV{FROM}\E/g; END{print $c}' "$file" 2>/dev/null)
    if [ "${count:-0}" != 1 ]; then
        echo "STALE     $line   (found $count times)"
        broken=$((broken + 1))
        continue
    fi

    cp "$file" "$file.mutate-orig"
    restore="$file.mutate-orig"
    FROM="$from" TO="$to" perl -0pi -e 's/\Q$ENV{FROM}\E/$ENV{TO}/' "$file"

    if ! cmake --build "$build" -j "$jobs" "${targets[@]}" >/dev/null 2>&1; then
        result="NOBUILD "
        broken=$((broken + 1))
    elif ctest --test-dir "$build" -j "$jobs" --timeout 300 --stop-on-failure -E '^style\.' "${select[@]}" \
        >"$build/mutate-last.log" 2>&1; then
        result="SURVIVED"
        survived=$((survived + 1))
    else
        result="caught  "
        caught=$((caught + 1))
    fi
    put_back
    echo "$result  $line"
done < <(cat "${lists[@]}")

# Leave the build matching the tree again.
cmake --build "$build" -j "$jobs" "${targets[@]}" >/dev/null 2>&1
echo "mutate: $n faults: $caught caught, $survived survived, $broken stale or not building"
[ "$survived" -eq 0 ] && [ "$broken" -eq 0 ]
