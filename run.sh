#!/usr/bin/env bash
# Sets up, builds and starts Quillmere. Without a display it takes the
# bundled sample book the whole road and prints where the results are.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/bin/quillmere "$@"
fi
exec scripts/demo.sh
