#!/usr/bin/env bash
# Takes the bundled sample book the whole way without a window: text files
# to pages, the CHM tab, the contents, the compiled book and its unpacking.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bin="$top/build/bin"
work=$(mktemp -d /tmp/quillmere-demo-XXXXXX)
book="$work/墨舟书录"
cp -r "$top/samples/book" "$book"
export windir="$work/windows"
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

sed "s|@BOOK@|$book|g" "$top/samples/demo.qms" > "$work/demo.qms"
echo "Running the sample book through Quillmere (script: samples/demo.qms)..."
"$bin/quillmere" --script "$work/demo.qms" | tee "$work/demo.log"

chm="$book/墨舟书录.chm"
unpacked="$book/墨舟书录"
if [ -f "$chm" ] && [ -d "$unpacked" ]; then
  echo
  echo "The compiled book:   $chm"
  echo "Unpacked again into: $unpacked"
else
  echo "The demo did not produce the book; see $work/demo.log" >&2
  exit 1
fi
