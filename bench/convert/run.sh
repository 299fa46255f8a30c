#!/usr/bin/env bash
# Builds and runs the conversion benchmark in one go.
# Usage: bench/convert/run.sh [BUILD_DIR] [-- bench_convert options]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build-convert}
[ $# -gt 0 ] && shift
[ "${1:-}" = "--" ] && shift
cmake -S "$root" -B "$build" >/dev/null
cmake --build "$build" -j2 --target bench_convert >/dev/null
exec "$build/bin/bench_convert" "$@"
