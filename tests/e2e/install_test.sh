# `cmake --install` into a fresh prefix: the program in bin, its helpers in
# libexec/quillmere, the menu entry, icon, metainfo (valid for AppStream),
# manual page and guide where a desktop looks for them; the installed
# program (run from the prefix, with the build folder out of reach) builds,
# compiles and unpacks a tiny book with those helpers, and the compiler's
# own output never reaches the script's standard output.
[ -n "${BUILD_DIR:-}" ] || fail "BUILD_DIR is not set"
prefix="$SCRATCH/prefix"
cmake --install "$BUILD_DIR" --prefix "$prefix" >"$SCRATCH/install.txt" 2>&1 || { cat "$SCRATCH/install.txt" >&2; fail "cmake --install failed"; }
[ -x "$prefix/bin/quillmere" ] || fail "bin/quillmere is not installed"
for helper in hhc.exe hha.dll hh.exe; do
  [ -f "$prefix/libexec/quillmere/$helper" ] || fail "libexec/quillmere/$helper is not installed"
  [ ! -e "$prefix/bin/$helper" ] || fail "$helper is in bin, on the user's PATH"
done
desktop="$prefix/share/applications/quillmere.desktop"
[ -f "$desktop" ] || fail "no menu entry"
for line in "[Desktop Entry]" "Type=Application" "Name=Quillmere" "Exec=quillmere %F" "Icon=quillmere" "Categories=Office;Publishing;"; do
  grep -Fxq -- "$line" "$desktop" || fail "the menu entry lacks $line"
done
grep -q '^MimeType=' "$desktop" && fail "the menu entry claims file types (it would become their default application)"
grep -q '^Name\[zh_CN\]=' "$desktop" && grep -q '^Comment\[zh_CN\]=' "$desktop" || fail "the menu entry has no Chinese name and comment"
if command -v xdg-mime >/dev/null && command -v update-desktop-database >/dev/null; then
  # A fresh account whose desktop has a file manager and a CHM viewer: after
  # installing Quillmere into the account, they stay the default handlers.
  system="$SCRATCH/system/applications"
  mkdir -p "$system" "$SCRATCH/data/applications" "$SCRATCH/config"
  printf '[Desktop Entry]\nType=Application\nName=PCManFM\nExec=pcmanfm %%U\nMimeType=inode/directory;\n' >"$system/pcmanfm.desktop"
  printf '[Desktop Entry]\nType=Application\nName=KchmViewer\nExec=kchmviewer %%U\nMimeType=application/vnd.ms-htmlhelp;application/x-chm;\n' >"$system/kchmviewer.desktop"
  cp "$desktop" "$SCRATCH/data/applications/"
  update-desktop-database "$system" "$SCRATCH/data/applications"
  for pair in inode/directory=pcmanfm.desktop application/vnd.ms-htmlhelp=kchmviewer.desktop; do
    got=$(env -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION XDG_DATA_HOME="$SCRATCH/data" XDG_CONFIG_HOME="$SCRATCH/config" \
      XDG_DATA_DIRS="$SCRATCH/system" xdg-mime query default "${pair%%=*}")
    [ "$got" = "${pair#*=}" ] || fail "the default for ${pair%%=*} is '$got', not ${pair#*=}"
  done
fi
icon="$prefix/share/icons/hicolor/scalable/apps/quillmere.svg"
[ -s "$icon" ] && grep -q '<svg' "$icon" || fail "no scalable icon"
metainfo="$prefix/share/metainfo/io.github.quillmere.quillmere.metainfo.xml"
[ -f "$metainfo" ] || fail "no metainfo"
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$metainfo" >"$SCRATCH/validate.txt" 2>&1 || { cat "$SCRATCH/validate.txt" >&2; fail "the metainfo does not validate"; }
fi
man -l "$prefix/share/man/man1/quillmere.1" 2>/dev/null | grep -q -- '--script' || [ -s "$prefix/share/man/man1/quillmere.1" ] || fail "no manual page"
[ -f "$prefix/share/doc/quillmere/README.md" ] || fail "the guide is not installed"
[ -f "$prefix/share/doc/quillmere/docs/screenshot-progress.png" ] || fail "the guide's pictures are not installed"
grep -q '使用说明' "$prefix/share/doc/quillmere/docs/guide.html" || fail "the Chinese user's guide is not installed"

# The installed program on its own: no build folder on PATH, working files
# in a fresh system directory.
QUILLMERE="$prefix/bin/quillmere"
export PATH=/usr/bin:/bin
book="$SCRATCH/小书"
mkdir -p "$book"
printf '<html>%s<body><p>%s</p></body></html>' "$gb2312_meta" "$(gbk 第一页)" >"$book/page1.htm"
printf '<html>%s<body><p>two</p></body></html>' "$gb2312_meta" >"$book/page2.htm"
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
! grep -q 'Compiled' "$SCRATCH/out.txt" || fail "the compiler's output reached the script's standard output"

drive <<SCRIPT
page CHM制作
drop 编辑框1 $book/小书.chm
click 按钮CHM解包
SCRIPT
expect_line "message 信息：: ok"
for page in page1.htm page2.htm; do
  cmp -s "$book/$page" "$book/小书/$page" || fail "unpacked $page differs"
done
