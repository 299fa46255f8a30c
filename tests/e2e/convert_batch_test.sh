# The batch conversion and its undo through the window: framed pages in the
# folder and its sub-folders (not in ".hidden"), leftbg.gif, the buttons,
# the undo's round trip, and the refusal of equal extensions.
dir="$SCRATCH/w"
mkdir -p "$dir/s" "$dir/.hidden"
printf 'A\r\nB  ' >"$dir/a.txt"
printf 'x' >"$dir/a.b.txt"
printf 'c' >"$dir/s/c.txt"
printf 'e' >"$dir/.hidden/e.txt"
printf 'mine' >"$dir/s/leftbg.gif"

drive <<SCRIPT
page 网页制作
choose 单选框TXT2HTMa
drop 选择夹1 $dir
show 按钮批量转换
show 按钮取消转换
type 编辑框新类型 .TXT
click 按钮批量转换
type 编辑框新类型 .htm
click 按钮批量转换
show 按钮批量转换
show 按钮取消转换
SCRIPT
expect_line "按钮批量转换 disabled=0"
expect_line "message 信息：: 新类型与原类型相同，不能转换！"
expect_line "message 信息：: 转换ok!"
expect_line "按钮批量转换 disabled=1"
expect_line "按钮取消转换 disabled=0"
head_start='<html><body BACKGROUND="leftbg.gif"><br><center>'
tail_text='<hr width="100%" size="1" color="#C0C0C0" align="center"></BODY></HTML>'
page=$(cat "$dir/a.htm")
body=${page#"$head_start"}
[ "$body" != "$page" ] || fail "a.htm lacks the framed page head"
[ "$(stat -c %s "$dir/a.htm")" -eq $((844 + 10 + 71)) ] || fail "a.htm is not head + A<br><br>B + tail"
grep -q 'A<br><br>B<hr width="100%"' "$dir/a.htm" || fail "the body of a.htm is wrong"
[ "${page%"$tail_text"}" != "$page" ] || fail "a.htm lacks the framed page tail"
[ -f "$dir/a.b.htm" ] && [ -f "$dir/s/c.htm" ] || fail "a.b.txt or s/c.txt was not converted"
[ ! -e "$dir/a.txt" ] && [ ! -e "$dir/s/c.txt" ] || fail "converted texts were not removed"
[ "$(stat -c %s "$dir/leftbg.gif")" -eq 136 ] || fail "leftbg.gif was not written"
[ "$(cat "$dir/s/leftbg.gif")" = mine ] || fail "an existing leftbg.gif was replaced"
[ -f "$dir/.hidden/e.txt" ] && [ ! -e "$dir/.hidden/e.htm" ] || fail ".hidden was visited"

drive <<SCRIPT
page 网页制作
choose 单选框TXT2HTMa
drop 选择夹1 $dir
click 按钮取消转换
SCRIPT
expect_line "message 信息：: 取消转换ok!"
cmp -s "$dir/a.txt" <(printf 'A\r\n\r\nB\r\n') || fail "the undo did not give A, two CR LF, B, CR LF"
[ ! -e "$dir/a.htm" ] && [ -f "$dir/leftbg.gif" ] || fail "the undo left a.htm or removed leftbg.gif"
[ -f "$dir/s/c.htm" ] && [ ! -e "$dir/s/c.txt" ] || fail "the undo went into a sub-folder"
