# The buttons under the document tree through the window: moving <ch1> down
# past a.htm and a.htm back up, the ends of a sibling list, deleting
# children and a node, and 过滤 pressed twice.
book="$SCRATCH/Edit"
mkdir -p "$book/ch1"
printf x >"$book/ch1/x.htm"
printf y >"$book/ch1/y.htm"
printf a >"$book/a.htm"

drive <<SCRIPT
page CHM制作
drop 编辑框1 $book
select 0
click 按钮下移
tree
show 树型框1
show 编辑框9
select 0
click 按钮上移
show 树型框1
select 0
click 按钮下移
tree
show 树型框1
select 2
click 按钮下移
show 树型框1
select 3
click 按钮下移
show 树型框1
SCRIPT
# <ch1> moved down: a.htm first, <ch1> with its children after it, selected.
expect_line "0 1 1/1 0 a.htm"
expect_line "1 1 0/0 0 <ch1>"
expect_line "2 2 1/1 0 x.htm"
expect_line "3 2 1/1 0 y.htm"
expect_line "树型框1 selection=1 always_show_selection=1 count=4"
expect_line '编辑框9 text="<ch1>\\" disabled=0'
# 上移 on the first item of the tree: nothing moves, nothing stays selected.
expect_line "树型框1 selection=-1 always_show_selection=1 count=4"
# a.htm moved down again past <ch1>, which is first again with its children.
expect_line "树型框1 selection=3 always_show_selection=1 count=4"
# 下移 on the last child of a folder and on the last top-level item: nothing
# moves, the item stays selected.
expect_line "树型框1 selection=2 always_show_selection=1 count=4"
[ "$(grep -c '^树型框1 selection=3 ' "$SCRATCH/out.txt")" = 2 ] || fail "下移 on the last item moved the selection"
tree_lines=$(sed -n '/^0 1 0\/0 0 <ch1>$/,/^end$/p' "$SCRATCH/out.txt" | head -5)
[ "$tree_lines" = "$(printf '0 1 0/0 0 <ch1>\n1 2 1/1 0 x.htm\n2 2 1/1 0 y.htm\n3 1 1/1 0 a.htm\nend')" ] ||
  fail "moving a.htm down again did not restore the tree: $tree_lines"

# Filter twice, then delete children and a node.
filter="$SCRATCH/Filter"
mkdir -p "$filter/img" "$filter/ch"
printf g >"$filter/img/c.gif"
printf a >"$filter/a.htm"
printf b >"$filter/b.txt"
printf r >"$filter/readme.HTM"
printf p >"$filter/ch/p.htm"
printf q >"$filter/ch/q.html"
drive <<SCRIPT
page CHM制作
drop 编辑框1 $filter
click 按钮过滤
tree
click 按钮过滤
tree
select 0
click 按钮删除子节点
tree
select 1
click 按钮删除节点
tree
show 树型框1
state
SCRIPT
expected=$(printf '%s\n' \
  "0 1 0/0 0 <ch>" "1 2 1/1 0 p.htm" "2 2 1/1 0 q.html" "3 1 0/0 0 <img>" "4 1 1/1 0 a.htm" \
  "5 1 1/1 0 readme.HTM" end \
  "0 1 0/0 0 <ch>" "1 2 1/1 0 p.htm" "2 2 1/1 0 q.html" "3 1 1/1 0 a.htm" "4 1 1/1 0 readme.HTM" end \
  "0 1 0/0 0 <ch>" "1 1 1/1 0 a.htm" "2 1 1/1 0 readme.HTM" end \
  "0 1 0/0 0 <ch>" "1 1 1/1 0 readme.HTM" end)
actual=$(grep -E '^([0-9]+ [0-9]+ [0-9]+/[0-9]+ [0-9]+ |end$)' "$SCRATCH/out.txt")
[ "$actual" = "$expected" ] || fail "filter and deletions gave
$actual"
# The deleted node's next sibling takes the selection.
expect_line "树型框1 selection=1 always_show_selection=1 count=2"
# Editing the tree leaves the document order of the drop alone.
expect_line 'DocumentOrderList="ch\\p.htm\r\nch\\q.html\r\nimg\\c.gif\r\na.htm\r\nb.txt\r\nreadme.HTM\r\n"'
