#!/usr/bin/env bash
# Runs one end-to-end test script in a fresh scratch folder, with the
# working files going to a scratch system directory.
set -euo pipefail
script=$1
SOURCE_DIR=$(cd "$(dirname "$0")/../.." && pwd)
export SOURCE_DIR
SCRATCH=$(mktemp -d /tmp/quillmere-e2e-XXXXXX)
trap 'chmod -R u+w "$SCRATCH" 2>/dev/null; rm -rf "$SCRATCH"' EXIT
export SCRATCH
export windir="$SCRATCH/windows"
export XDG_STATE_HOME="$SCRATCH/state"
export QT_QPA_PLATFORM=offscreen
cd "$SCRATCH"
source "$(dirname "$0")/lib.sh"
source "$script"
