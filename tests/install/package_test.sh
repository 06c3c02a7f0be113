#!/usr/bin/env bash
# Builds the Debian package from a build tree, checks that it holds exactly the files listed in
# FILE_LIST, that its dependencies were computed, and that lintian finds no error.
# Usage: package_test.sh BUILD_DIR FILE_LIST
set -euo pipefail
build=$(realpath "$1")
list=$(realpath "$2")

for tool in cpack dpkg-deb dpkg-shlibdeps lintian; do
  command -v "$tool" >/dev/null || { echo "package_test: $tool is missing (bash scripts/setup.sh)"; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cpack --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 || {
  cat "$work/cpack.log"
  exit 1
}
deb=$(ls "$work"/vessmark_*.deb)
echo "package_test: built $(basename "$deb")"

# Files (not folders) in the package against the expected set.
dpkg-deb -c "$deb" | grep -v '^d' | sed -E 's/^([^ ]+ +){5}\.//' | sort >"$work/have"
grep -v '^#' "$list" | sed '/^$/d' | sort >"$work/want"
if ! diff -u "$work/want" "$work/have"; then
  echo "package_test: the package's files differ from the expected set (- expected, + packaged)"
  exit 1
fi

# Dependencies: the libraries the programs link (from dpkg-shlibdeps, with versions), and those
# they open at run time.
depends=$(dpkg-deb -f "$deb" Depends)
echo "package_test: Depends: $depends"
for lib in libsdl2 libepoxy0 libmpg123-0 libc6 libegl1 libgl1 fonts-dejavu-core; do
  grep -q "$lib" <<<"$depends" || { echo "package_test: no $lib in Depends"; exit 1; }
done
[ "$(dpkg-deb -f "$deb" Section)" = video ] || { echo "package_test: wrong section"; exit 1; }

# lintian: errors fail the test; warnings are listed (README, "Installing", says which are known).
lintian --fail-on error --allow-root --tag-display-limit 0 "$deb" | tee "$work/lintian.log"
echo "package_test: lintian found no error"
