# The page simplifier through the window: markers in another case, a page
# cut at a 0 byte, pages with nothing between the markers left in place, an
# empty suffix taking every file, and a second run replacing results.
dir="$SCRATCH/pages"
out="$dir/处理后"
mkdir -p "$dir/sub"
{ printf '<HTML><Body>'; gbk "正文"; printf '</BODY></HTML>'; } >"$dir/a.htm"
printf '<body>x\0<body>y</body>' >"$dir/zero.htm"
printf 'no markers' >"$dir/plain.htm"
printf '<body>deep</body>' >"$dir/sub/d.htm"
printf '<body>t</body>' >"$dir/notes.txt"

{ simplify_script "$dir" .htm "<BODY>" "</body>"; printf 'show 按钮精简网页\nshow 编辑框精简网页\n'; } | drive
# plain.htm and the page cut at its 0 byte stay: the one closing message says so, no "ok".
expect_line "message 信息：: 有 2 个网页在前标记和后标记之间没有内容（标记不存在或为空），没有处理，留在原目录中。"
expect_line "按钮精简网页 disabled=1"
expect_line "编辑框精简网页 text=\"$dir\" disabled=0"
head_start='<html><body BACKGROUND="leftbg.gif"><br><center>'
tail_text='<hr width="100%" size="1" color="#C0C0C0" align="center"></BODY></HTML>'
page=$(cat "$out/a.htm")
[ "${page#"$head_start"}" != "$page" ] || fail "the framed page head is missing"
[ "${page%"$tail_text"}" != "$page" ] || fail "the framed page tail is missing"
[ "$(stat -c %s "$out/a.htm")" -eq $((844 + 4 + 71)) ] || fail "a.htm is not head + body + tail"
grep -q "$(gbk 正文)" "$out/a.htm" || fail "the body is missing"
[ ! -e "$dir/a.htm" ] || fail "the simplified page was not removed"
# No back marker before the 0 byte, no markers at all: left in place.
[ -f "$dir/zero.htm" ] && [ ! -e "$out/zero.htm" ] || fail "a page cut at its 0 byte was moved"
[ "$(cat "$dir/plain.htm")" = "no markers" ] || fail "a page without markers lost its content"
grep -q '^message 信息：: 有 2 个网页' "$SCRATCH/out.txt" || fail "the pages left in place were not reported"
[ -f "$dir/sub/d.htm" ] && [ -f "$dir/notes.txt" ] || fail "a page outside the pattern was touched"
[ "$(head -c 6 "$out/leftbg.gif")" = GIF89a ] || fail "leftbg.gif is missing"

# Second run with an empty suffix: every file of the folder is a page, and
# the result of the same name is replaced.
printf '<body>again</body>' >"$dir/a.htm"
drive <<SCRIPT
page 网页制作
choose 单选框精简网页
drop 选择夹1 $dir
type 编辑框后缀 
type 编辑框前标记 <body>
type 编辑框后标记 </BODY>
click 按钮精简网页
SCRIPT
# Files without the markers stay: the one closing message says so, no "ok".
grep -q '^message 信息：: 有 .* 个网页在前标记和后标记之间没有内容' "$SCRATCH/out.txt" || fail "the pages left were not reported"
[ "$(stat -c %s "$out/a.htm")" -eq $((844 + 5 + 71)) ] || fail "the second run did not replace a.htm"
grep -q again "$out/a.htm" || fail "the second result is wrong"
[ -f "$out/notes.txt" ] && [ ! -e "$dir/notes.txt" ] || fail "an empty suffix did not take every file"
[ -f "$dir/sub/d.htm" ] || fail "the sub-folder was touched"
