# The paged book through the window: a drop lists the texts, "转网页" writes
# linked pages, the contents page and the images, and moves the texts into
# the backup folder; a second run keeps the backup copies; an empty folder
# box is refused without writing anything.
book="$SCRATCH/书架/novel"
mkdir -p "$book"
gbk "第一章" >"$book/a.txt"
printf 'A\r\nB' >"$book/b.txt"
printf 'c\0tail' >"$book/X.TXT"
printf 'not a text' >"$book/notes.doc"

drive <<SCRIPT
click 按钮转网页
page 网页制作
choose 单选框TXT2HTMb
drop 选择夹1 $book
show 编辑框21
show 编辑框11
tick 选择框自动换行
click 按钮转网页
SCRIPT
expect_line "message 信息：: 请先把文件夹拖进来！"
expect_line "编辑框21 text=\"$book\" disabled=0"
expect_line '编辑框11 text="a.txt\r\nb.txt\r\nX.TXT\r\n" disabled=0'
# X.TXT holds a 0 byte: its page ends there, and the message says so.
expect_line "message 信息：: 以下文件未能完成，原文件都已保留：\\r\\nX.TXT：含有0字节，网页只到这个字节为止；完整的文本在 bak 中"
[ ! -e "$SCRATCH/N02.GIF" ] && [ ! -e "$SCRATCH/bak" ] || fail "the refused run wrote into the current directory"

for page in 000.htm 001.htm 002.htm index.htm; do [ -f "$book/$page" ] || fail "$page is missing"; done
[ ! -e "$book/003.htm" ] || fail "one page too many"
[ "$(stat -c %s "$book/N02.GIF")" -eq 2606 ] || fail "N02.GIF is missing"
[ "$(stat -c %s "$book/PAPER10.JPG")" -eq 2090 ] || fail "PAPER10.JPG is missing"
[ "$(stat -c %s "$book/icon.gif")" -eq 111 ] || fail "icon.gif is missing"
grep -q '<div align="center">a</div>' "$book/000.htm" || fail "000.htm lacks its title"
grep -q "$(gbk '<span class=text1>第一章</span>')" "$book/000.htm" || fail "000.htm lacks its text"
grep -q '<a href=002.htm>' "$book/001.htm" && grep -q '<a href=000.htm>' "$book/001.htm" ||
  fail "001.htm lacks its links"
grep -q '<a href=003.htm>' "$book/002.htm" && fail "the last page links to a next page"
grep -q '<span class=text1>A<br>&nbsp;&nbsp;&nbsp;B</span>' "$book/001.htm" || fail "the wrapped body is wrong"
grep -q '<pre>' "$book/001.htm" && fail "a wrapped page keeps <pre>"
grep -q '<div align="center">X.TXT</div>' "$book/002.htm" || fail "X.TXT lost its extension in the title"
grep -q '<font size=4>X</font>' "$book/index.htm" || fail "the contents entry of X.TXT is wrong"
grep -q '<span class=text1>c</span>' "$book/002.htm" || fail "the body does not end at the 0 byte"
bak="$SCRATCH/书架/bak"
[ "$(cat "$bak/a.txt")" = "$(gbk 第一章)" ] || fail "a.txt is not in the backup folder"
cmp -s "$bak/X.TXT" <(printf 'c\0tail') || fail "the backup copy of X.TXT is not whole"
[ ! -e "$book/a.txt" ] && [ ! -e "$book/b.txt" ] && [ -f "$book/notes.doc" ] || fail "the texts were not moved"

# A second click finds no texts: the backup copies stay as they are, and
# the message names the listed texts that are not there.
drive <<SCRIPT
page 网页制作
choose 单选框TXT2HTMb
drop 选择夹1 $book
type 编辑框11 a.txt\r\nb.txt\r\n
click 按钮转网页
SCRIPT
expect_line 'message 信息：: 以下文件未能完成，原文件都已保留：\r\na.txt：文件夹中没有这个文件，它的网页是空的\r\nb.txt：文件夹中没有这个文件，它的网页是空的'
[ "$(cat "$bak/a.txt")" = "$(gbk 第一章)" ] || fail "the second run replaced a backup copy"
[ "$(printf 'A\r\nB')" = "$(cat "$bak/b.txt")" ] || fail "the second run replaced b.txt's backup copy"
