# A script that uses every command of the driver on the real window:
# pages, radio buttons, check boxes, typing, clicks, drops on both drop
# areas, tree selection, waiting for the timer, keys, show, tree and state.
mkdir -p "$SCRATCH/book/第一卷" "$SCRATCH/other"
printf 'a' >"$SCRATCH/book/a.htm"
printf 'c' >"$SCRATCH/book/第一卷/c.htm"
printf 't' >"$SCRATCH/other/x.txt"

cat >"$SCRATCH/script.txt" <<END
# the web page tab
page 网页制作
choose 单选框TXT2HTMa
choose 单选框TXT2HTMb
show 单选框TXT2HTMa
show 单选框TXT2HTMb
tick 选择框自动换行
show 选择框自动换行
untick 选择框自动换行
untick 选择框自动换行
show 选择框自动换行
type 编辑框原类型 .text
show 编辑框原类型
type 编辑框11 第一行\r\n第二行\t\\\\\xB0
show 编辑框11
key 编辑框11 Enter
click 按钮量改字符
drop 标签4 $SCRATCH/other
show 编辑框21
show 编辑框11
# the CHM tab
page CHM制作
drop 编辑框1 $SCRATCH/book
show 编辑框1
tree
state
select 1
show 编辑框9
show 时钟1
show 树型框1
wait 1500
show 时钟1
select -1
show 树型框1
drop 编辑框1 $SCRATCH/book\t$SCRATCH/other
show 编辑框1
tick 选择框不建目录
show 按钮建工程
show 按钮转CHM
key 编辑框4 Esc
show 编辑框1
END
"$QUILLMERE" --script "$SCRATCH/script.txt" >"$SCRATCH/out.txt" 2>"$SCRATCH/err.txt" || { cat "$SCRATCH/err.txt" >&2; fail "driver failed"; }

expect_line '单选框TXT2HTMa ticked=0 disabled=0'
expect_line '单选框TXT2HTMb ticked=1 disabled=0'
expect_line '选择框自动换行 ticked=1 disabled=0'
expect_line '选择框自动换行 ticked=0 disabled=0'
expect_line '编辑框原类型 text=".text" disabled=0'
expect_line '编辑框11 text="第一行\r\n第二行\t\\\xB0" disabled=0'
expect_line 'disabled 按钮量改字符'
# The web tab's drop reached the paged-book tool: its path box and the
# list of text files.
expect_line "编辑框21 text=\"$SCRATCH/other\" disabled=0"
expect_line '编辑框11 text="x.txt\r\n" disabled=0'
# The CHM tab's drop filled the tree.
expect_line "编辑框1 text=\"$SCRATCH/book\" disabled=0"
expect_line '0 1 0/0 0 <第一卷>'
expect_line '1 2 1/1 0 c.htm'
expect_line '2 1 1/1 0 a.htm'
expect_line 'end'
expect_line 'BookName="book"'
expect_line 'DocumentOrderList="第一卷\\c.htm\r\na.htm\r\n"'
# Selecting an item records its path and starts the preview timer, whose
# tick stops it again.
expect_line '编辑框9 text="<第一卷>\\c.htm\\" disabled=0'
expect_line '时钟1 interval=1000'
expect_line '树型框1 selection=1 always_show_selection=1 count=3'
expect_line '时钟1 interval=0'
expect_line '树型框1 selection=-1 always_show_selection=1 count=3'
# Several items dropped at once arrive CR LF-joined.
expect_line "编辑框1 text=\"$SCRATCH/book\r\n$SCRATCH/other\r\n\" disabled=0"
expect_line '按钮建工程 disabled=1'
expect_line '按钮转CHM disabled=0'
# Esc in a multi-line box closes the window; nothing after it runs.
[ "$(tail -n 1 "$SCRATCH/out.txt")" = "closed" ] || fail "closed is not the last line"
[ "$(grep -c '^编辑框1 ' "$SCRATCH/out.txt")" -eq 2 ] || fail "a line after Esc ran"
