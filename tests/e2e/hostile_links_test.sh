# Links a hostile user plants before dropping a folder, through the window:
# a linked folder that leads outside, a link at the temporary name older
# versions used, a 处理后 that is a link, and a page that is a link to a
# private file. Nothing outside the dropped folder changes, the private file
# never reaches the book, and a book folder named like a path still gets its
# book inside it.
outside="$SCRATCH/outside"
mkdir -p "$outside"
printf 'keep me' >"$outside/rc"
printf 'outside text' >"$outside/o.txt"
printf 'private' >"$outside/secret"
snapshot() { (cd "$outside" && find . -printf '%p %s %y\n' | sort; cat rc o.txt secret); }
before=$(snapshot)

dir="$SCRATCH/w"
mkdir -p "$dir"
printf 'A' >"$dir/a.txt"
ln -s "$outside" "$dir/linkdir"
ln -s "$outside/rc" "$dir/.~a.htm.quillmere-tmp"
drive <<SCRIPT
page 网页制作
choose 单选框TXT2HTMa
drop 选择夹1 $dir
click 按钮批量转换
SCRIPT
grep -q 'linkdir' "$SCRATCH/out.txt" || fail "the linked folder was not reported"
[ -f "$dir/a.htm" ] && [ ! -e "$dir/a.txt" ] || fail "the text inside was not converted"

pages="$SCRATCH/pages"
mkdir -p "$pages"
printf '<body>x</body>' >"$pages/p.htm"
ln -s "$outside" "$pages/处理后"
simplify_script "$pages" .htm "<body>" "</body>" | drive
grep -q '处理后' "$SCRATCH/out.txt" || fail "the linked 处理后 was not refused"
[ "$(cat "$pages/p.htm")" = '<body>x</body>' ] || fail "the page did not stay"

book="$SCRATCH/\\tmp\\$(basename "$SCRATCH")-escaped"
mkdir -p "$book"
printf '<p>a</p>' >"$book/a.htm"
ln -s "$outside/secret" "$book/secret.htm"
name=$(basename "$book")
compile_book "${book//\\/\\\\}"
expect_line "message 信息：: ok"
[ -s "$book/$name.chm" ] || fail "the book is not inside its folder"
[ ! -e "/tmp/$(basename "$SCRATCH")-escaped.chm" ] || fail "the book went to /tmp"
"$(dirname "$QUILLMERE")/hh.exe" -decompile "$SCRATCH/unpacked" "$book/$name.chm" 2>/dev/null || fail "the book does not unpack"
! grep -rq private "$SCRATCH/unpacked" || fail "the private file is in the book"
[ "$before" = "$(snapshot)" ] || fail "something outside the folder changed"
