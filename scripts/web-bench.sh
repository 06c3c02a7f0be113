#!/usr/bin/env bash
# Builds the browser page (scripts/web.sh) and prints its figures: page size gzipped, click to first
# frame, frame time on SwiftShader at 640x360. Needs what the browser tests need (bash
# scripts/setup.sh). Figures go to the table in docs/benchmarks.md by hand.
#   bash scripts/web-bench.sh [web.sh options]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="$root/out/web"
for ((i = 1; i <= $#; ++i)); do
  if [ "${!i}" = "--out" ]; then j=$((i + 1)); out="$(realpath -m "${!j}")"; fi
done
bash "$root/scripts/web.sh" "$@" >/dev/null
echo "machine: $(grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //'), $(nproc) cores;" \
     "$(dpkg-query -W -f='chromium ${Version}' chromium 2>/dev/null);" \
     "load average $(cut -d' ' -f1-3 /proc/loadavg)"
VM_WEB_PAGE="$out" node "$root/bench/web/web_bench.js"
