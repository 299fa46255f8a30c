# `cmake --install` into a fresh prefix: the program, its helpers, the menu
# entry and the icon land where a desktop looks for them, and the installed
# program (run from the prefix, with the build folder out of reach) builds,
# compiles and unpacks a tiny book with the helpers beside it.
[ -n "${BUILD_DIR:-}" ] || fail "BUILD_DIR is not set"
prefix="$SCRATCH/prefix"
cmake --install "$BUILD_DIR" --prefix "$prefix" >"$SCRATCH/install.txt" 2>&1 || { cat "$SCRATCH/install.txt" >&2; fail "cmake --install failed"; }
for program in quillmere hhc.exe hh.exe; do
  [ -x "$prefix/bin/$program" ] || fail "bin/$program is not installed"
done
[ -f "$prefix/bin/hha.dll" ] || fail "bin/hha.dll is not installed"
desktop="$prefix/share/applications/quillmere.desktop"
[ -f "$desktop" ] || fail "no menu entry"
for line in "[Desktop Entry]" "Type=Application" "Name=Quillmere" "Exec=quillmere" "Icon=quillmere" "Categories=Office;Publishing;"; do
  grep -Fxq -- "$line" "$desktop" || fail "the menu entry lacks $line"
done
icon="$prefix/share/icons/hicolor/scalable/apps/quillmere.svg"
[ -s "$icon" ] && grep -q '<svg' "$icon" || fail "no scalable icon"

# The installed program on its own: no build folder on PATH, working files
# in a fresh system directory.
QUILLMERE="$prefix/bin/quillmere"
export PATH=/usr/bin:/bin
book="$SCRATCH/小书"
mkdir -p "$book"
printf '<html><body><p>%s</p></body></html>' "$(gbk 第一页)" >"$book/page1.htm"
printf '<html><body><p>two</p></body></html>' >"$book/page2.htm"
drive <<SCRIPT
page CHM制作
drop 编辑框1 $book
select 1
wait 1200
click 按钮建工程
click 按钮转CHM
SCRIPT
expect_line "message 信息：: ok"
[ -x "$windir/system32/hhc.exe" ] && [ -f "$windir/system32/hha.dll" ] || fail "the compiler pair was not set up from the prefix"
[ -s "$book/小书.chm" ] || { cat "$SCRATCH/out.txt" >&2; fail "the book was not compiled"; }

drive <<SCRIPT
page CHM制作
drop 编辑框1 $book/小书.chm
click 按钮CHM解包
SCRIPT
expect_line "message 信息：: ok"
for page in page1.htm page2.htm; do
  cmp -s "$book/$page" "$book/小书/$page" || fail "unpacked $page differs"
done
