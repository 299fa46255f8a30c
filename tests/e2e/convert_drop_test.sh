# Drops on the web-pages tab: with no tool chosen only the order list is
# cleared; a single file is refused by the page simplifier, ignored by the
# re-encoder and taken (for the undo) by the batch conversion.
dir="$SCRATCH/d"
mkdir -p "$dir"
printf '' >"$dir/1.txt"
printf '' >"$dir/one.htm"

drive <<SCRIPT
page 网页制作
type 编辑框11 old
drop 选择夹1 $dir
show 编辑框11
show 编辑框21
choose 单选框精简网页
drop 选择夹1 $dir/one.htm
show 编辑框精简网页
show 按钮精简网页
choose 单选框utf8gb2312
drop 选择夹1 $dir/one.htm
show 按钮编码转换
choose 单选框TXT2HTMa
drop 选择夹1 $dir/one.htm
show 按钮批量转换
show 按钮取消转换
show 编辑框txt2htm
SCRIPT
expect_line '编辑框11 text="" disabled=0'
expect_line '编辑框21 text="  ---拖进来---" disabled=0'
expect_line "message 信息：: 不处理单一文件！"
expect_line "按钮精简网页 disabled=1"
expect_line "按钮编码转换 disabled=1"
expect_line "按钮批量转换 disabled=1"
expect_line "按钮取消转换 disabled=0"
expect_line "编辑框txt2htm text=\"$dir/one.htm\" disabled=0"
