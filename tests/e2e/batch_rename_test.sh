# File-name replacement through the window: both cases of a letter
# replaced, a new name claimed by two files, sub-folders untouched, an empty
# old text, and a folder box that names no folder.
dir="$SCRATCH/names"
mkdir -p "$dir/sub_A"
printf one >"$dir/a_A.txt"
printf two >"$dir/1txt.htm"
printf three >"$dir/1htm.txt"
printf inner >"$dir/sub_A/a_A.txt"

drive <<SCRIPT
page 网页制作
choose 单选框量改后缀
drop 选择夹1 $dir
type 编辑框原字符 A
type 编辑框新字符 b
click 按钮量改字符
show 按钮量改字符
show 编辑框路径改字符
click 按钮量改字符
SCRIPT
expect_line "message 提示: 批量更名 ok!"
expect_line "按钮量改字符 disabled=1"
expect_line '编辑框路径改字符 text="" disabled=0'
expect_line "disabled 按钮量改字符"
[ "$(cat "$dir/b_b.txt")" = one ] || fail "a_A.txt was not renamed to b_b.txt"
[ -d "$dir/sub_A" ] && [ "$(cat "$dir/sub_A/a_A.txt")" = inner ] || fail "the sub-folder was touched"

# 1htm.txt is found before 1txt.htm; both would become 1htm.htm.
drive <<SCRIPT
page 网页制作
choose 单选框量改后缀
drop 选择夹1 $dir
type 编辑框原字符 txt
type 编辑框新字符 htm
click 按钮量改字符
SCRIPT
# The second file keeps its name: the one closing message says so, no "ok".
expect_line "message 提示: 有 1 个文件没能更名，保留原名（已存在同名文件）。"
[ "$(cat "$dir/1htm.htm")" = three ] || fail "the first file did not get the name"
[ "$(cat "$dir/1txt.htm")" = two ] || fail "the second file lost its name or content"
[ "$(cat "$dir/b_b.htm")" = one ] || fail "b_b.txt was not renamed"

# An empty old text changes nothing; the message is shown all the same.
before=$(ls "$dir")
drive <<SCRIPT
page 网页制作
choose 单选框量改后缀
drop 选择夹1 $dir
type 编辑框原字符 
click 按钮量改字符
SCRIPT
expect_line "message 提示: 批量更名 ok!"
[ "$(ls "$dir")" = "$before" ] || fail "an empty old text renamed files"

# A folder box that names no folder is refused before anything happens.
drive <<SCRIPT
page 网页制作
choose 单选框量改后缀
drop 选择夹1 $dir
type 编辑框路径改字符 $SCRATCH/missing
click 按钮量改字符
show 按钮量改字符
SCRIPT
expect_no_line "message 提示: 批量更名 ok!"
expect_line "按钮量改字符 disabled=0"
[ "$(ls "$dir")" = "$before" ] || fail "a refused run renamed files"
