# The CHM tab through the window: dropping the folder MyBook (img/c.gif,
# a.htm, b.txt) fills the tree, the book name and the document order; a
# selection puts the raw path into the home-page box and the preview follows
# one second later; 建CHM目录 writes the contents and project files byte for
# byte and enables 转CHM.
book="$SCRATCH/books/MyBook"
mkdir -p "$book/img"
printf 'GIF89a' >"$book/img/c.gif"
printf '<p>a</p>' >"$book/a.htm"
printf 'b' >"$book/b.txt"

drive <<SCRIPT
page CHM制作
drop 编辑框1 $book
tree
state
show 编辑框1
show 按钮CHM解包
select 1
show 编辑框9
show 树型框1
show 时钟1
wait 1300
show 编辑框4
show 时钟1
click 按钮建工程
show 按钮转CHM
SCRIPT
expect_line "0 1 0/0 0 <img>"
expect_line "1 2 1/1 0 c.gif"
expect_line "2 1 1/1 0 a.htm"
expect_line "3 1 1/1 0 b.txt"
expect_line 'BookName="MyBook"'
expect_line 'DocumentOrderList="img\\c.gif\r\na.htm\r\nb.txt\r\n"'
expect_line "编辑框1 text=\"$book\" disabled=0"
expect_line "按钮CHM解包 disabled=1"
expect_line '编辑框9 text="<img>\\c.gif\\" disabled=0'
expect_line "树型框1 selection=1 always_show_selection=1 count=4"
expect_line "时钟1 interval=1000"
project='[OPTIONS]\r\nDisplay compile progress=no\r\nDefault Window=win\r\nCompiled file=MyBook.chm\r\nDefault topic=img\\c.gif\r\n\r\n[WINDOWS]\r\nwin="MyBook","MyBook.hhc",,"img\\c.gif","img\\c.gif",,,,,0x040120,,0x304E,[0,0,1010,738],0x0,0x0,,,,,\r\n\r\n[FILES]\r\n\r\nimg\\c.gif\r\na.htm\r\nb.txt\r\n'
expect_line "编辑框4 text=\"$project\" disabled=0"
expect_line "时钟1 interval=0"
expect_line "按钮转CHM disabled=0"
expect_no_line "message 信息：: ok"

# The files hold exactly the box texts: CR LF line ends, no terminator.
printf '%b' "$project" >"$SCRATCH/expected.hhp"
cmp -s "$book/MyBook.hhp" "$SCRATCH/expected.hhp" || fail "MyBook.hhp differs from the preview"
entry() { printf '<LI><OBJECT type="text/sitemap">\r\n<PARAM name="Name" value="%s">\r\n' "$1"; }
{
  printf '<HTML><HEAD><META name="GENERATOR" content="Vellumix 1.0.1">\r\n<!-- Sitemap 1.0 --></HEAD><BODY>\r\n'
  printf '<OBJECT type="text/site properties">\r\n<PARAM name="Window Styles" value="0x800627">\r\n'
  printf '<PARAM name="ImageType" value="Folder">\r\n</OBJECT>\r\n<UL>\r\n'
  entry img; printf '</OBJECT>\r\n<UL>\r\n'
  entry c.gif; printf '<PARAM name="Local" value="img\\c.gif">\r\n</OBJECT>\r\n\r\n</UL>\r\n'
  entry a; printf '<PARAM name="Local" value="a.htm">\r\n</OBJECT>\r\n'
  entry b.txt; printf '<PARAM name="Local" value="b.txt">\r\n</OBJECT>\r\n'
  printf '\r\n</UL></BODY></HTML>'
} >"$SCRATCH/expected.hhc"
cmp -s "$book/MyBook.hhc" "$SCRATCH/expected.hhc" || fail "MyBook.hhc is not the expected contents file"
