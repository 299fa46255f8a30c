#!/usr/bin/env bash
# Makes the seed books of the chm_unpacker fuzzer with our own compiler:
#   fuzz/make_chm_seeds.sh BUILD_DIR   (BUILD_DIR/bin holds hhc.exe and hha.dll)
# Writes fuzz/corpus/chm_unpacker/*.chm, each well under 20 KB.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
hhc="$(cd "${1:?usage: make_chm_seeds.sh BUILD_DIR}" && pwd)/bin/hhc.exe"
out="$here/corpus/chm_unpacker"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

gbk() { iconv -f UTF-8 -t GBK; }

# book NAME HOME FILE... : a project and contents file as the CHM tab writes
# them, listing FILE... (paths relative to the book folder, "\" separators).
book() {
  local name=$1 home=$2 dir="$work/$1"
  shift 2
  {
    printf '[OPTIONS]\r\nDisplay compile progress=no\r\nDefault Window=win\r\n'
    printf 'Compiled file=%s.chm\r\nDefault topic=%s\r\n\r\n[WINDOWS]\r\n' "$name" "$home"
    printf 'win="%s","%s.hhc",,"%s","%s",,,,,0x040120,,0x304E,[0,0,1010,738],0x0,0x0,,,,,\r\n\r\n[FILES]\r\n\r\n' \
      "$name" "$name" "$home" "$home"
    for f in "$@"; do printf '%s\r\n' "$f"; done
  } | gbk > "$dir/$name.hhp"
  {
    printf '<HTML><HEAD><!-- Sitemap 1.0 --></HEAD><BODY>\r\n<UL>\r\n'
    for f in "$@"; do
      printf '<LI><OBJECT type="text/sitemap">\r\n<PARAM name="Name" value="%s">\r\n' "${f%.*}"
      printf '<PARAM name="Local" value="%s">\r\n</OBJECT>\r\n' "$f"
    done
    printf '</UL></BODY></HTML>'
  } | gbk > "$dir/$name.hhc"
  (cd "$dir" && "$hhc" "$name.hhp" > /dev/null) || true
  cp "$dir/$name.chm" "$out/$name.chm"
}

page() { # page FILE TEXT
  mkdir -p "$(dirname "$1")"
  printf '<html><head><meta http-equiv="Content-Type" content="text/html; charset=gb2312"></head><body>%s</body></html>' \
    "$2" | gbk > "$1"
}

mkdir -p "$work/tiny"
page "$work/tiny/index.htm" "hello"
book tiny index.htm index.htm

mkdir -p "$work/chinese"
page "$work/chinese/index.htm" "目录"
page "$work/chinese/第一章/001.htm" "江水夜色，明月一个。"
page "$work/chinese/第一章/002.htm" "他说：第二章。"
book chinese index.htm index.htm '第一章\001.htm' '第一章\002.htm'

# Several pages of varied text: more than one compressed frame (32 KB).
mkdir -p "$work/frames"
for n in 1 2 3 4 5 6; do
  text=$(for k in $(seq 1 120); do printf 'line %d of page %d, 第%d行。<br>' "$k" "$n" "$((k * n))"; done)
  page "$work/frames/p$n.htm" "$text"
done
book frames p1.htm p1.htm p2.htm p3.htm p4.htm p5.htm p6.htm

ls -l "$out"
