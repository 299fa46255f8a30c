# Drops on the CHM tab: a .CHM file arms the unpack button and leaves the
# tree empty; a folder named with a trailing separator gives an empty book
# name; a path that names nothing gives an empty tree and the text after its
# last separator as book name; a book name holding 主页; the preview after
# two quick selections; the check box 不自建目录 ticked and cleared.
mkdir -p "$SCRATCH/我的主页/ch1"
printf x >"$SCRATCH/我的主页/ch1/p.htm"
printf y >"$SCRATCH/我的主页/q.htm"
printf ITSF >"$SCRATCH/book.CHM"

drive <<SCRIPT
page CHM制作
drop 编辑框1 $SCRATCH/book.CHM
show 按钮CHM解包
show 树型框1
drop 编辑框1 $SCRATCH/我的主页
show 按钮CHM解包
state
select 1
select 2
wait 1300
show 编辑框4
drop 编辑框1 $SCRATCH/我的主页/
state
drop 编辑框1 $SCRATCH/nothing/here
show 树型框1
state
show 编辑框4
tick 选择框不建目录
show 按钮建工程
show 按钮转CHM
untick 选择框不建目录
show 按钮建工程
show 按钮转CHM
SCRIPT
expect_line "按钮CHM解包 disabled=0"
expect_line "树型框1 selection=-1 always_show_selection=0 count=0"
expect_no_line "按钮CHM解包 disabled=1"
expect_line 'BookName="我的主页"'
expect_line 'DocumentOrderList="ch1\\p.htm\r\nq.htm\r\n"'
# The second selection (q.htm) is the home page; the book name's 主页 is
# replaced by it as well.
expect_line '编辑框4 text="[OPTIONS]\r\nDisplay compile progress=no\r\nDefault Window=win\r\nCompiled file=我的q.htm.chm\r\nDefault topic=q.htm\r\n\r\n[WINDOWS]\r\nwin="我的q.htm","我的q.htm.hhc",,"q.htm","q.htm",,,,,0x040120,,0x304E,[0,0,1010,738],0x0,0x0,,,,,\r\n\r\n[FILES]\r\n\r\nch1\\p.htm\r\nq.htm\r\n" disabled=0'
expect_line 'BookName=""'
expect_line "树型框1 selection=-1 always_show_selection=1 count=0"
expect_line 'BookName="here"'
expect_line 'DocumentOrderList=""'
expect_line '编辑框4 text="" disabled=0'
expect_line "按钮建工程 disabled=1"
expect_line "按钮建工程 disabled=0"
expect_line "按钮转CHM disabled=0"
expect_no_line "按钮转CHM disabled=1"
