# Texts in their own encoding through the window: UTF-8 with LF, UTF-16 and
# GBK texts, one named with a character that has no GBK form, become a paged
# book and framed pages that all read right as code page 936; a book whose
# contents are named by page titles compiles with those titles.
poems="$SCRATCH/poems"
mkdir -p "$poems"
printf '春眠不觉晓\n处处闻啼鸟 😀\n' >"$poems/a春晓.txt"
printf '静夜思\r\n床前明月光' | iconv -f UTF-8 -t UTF-16BE | { printf '\xFE\xFF'; cat; } >"$poems/b静夜思.txt"
printf '登鹳雀楼\r\n白日依山尽' | iconv -f UTF-8 -t UTF-16LE | { printf '\xFF\xFE'; cat; } >"$poems/c登鹳雀楼.txt"
printf '黄河入海流\r\n欲穷千里目' | iconv -f UTF-8 -t GBK >"$poems/d凉州词.txt"
printf '孤鸿海上来\n' >"$poems/感遇・其一.txt"
book="$SCRATCH/书/book"
framed="$SCRATCH/framed"
mkdir -p "$SCRATCH/书"
cp -r "$poems" "$book"
cp -r "$poems" "$framed"

drive <<SCRIPT
page 网页制作
choose 单选框TXT2HTMb
drop 选择夹1 $book
tick 选择框自动换行
click 按钮转网页
choose 单选框TXT2HTMa
drop 选择夹1 $framed
click 按钮批量转换
SCRIPT
expect_line "message 信息：: ok"
grep -q "^message 信息：: 转换ok!" "$SCRATCH/out.txt" || fail "the batch conversion did not succeed"

# contains PAGE TEXT: PAGE, read as code page 936, holds TEXT (UTF-8).
contains() {
  iconv -f CP936 -t UTF-8 "$1" >"$SCRATCH/page.txt" || fail "$1 is not code page 936"
  grep -qF -- "$2" "$SCRATCH/page.txt" || fail "$(basename "$1") lacks: $2"
}
wrap='<br>&nbsp;&nbsp;&nbsp;'
contains "$book/000.htm" "春眠不觉晓${wrap}处处闻啼鸟 &#x1F600;${wrap}"
contains "$book/001.htm" "静夜思${wrap}床前明月光"
contains "$book/002.htm" "登鹳雀楼${wrap}白日依山尽"
contains "$book/003.htm" "黄河入海流${wrap}欲穷千里目"
contains "$book/004.htm" '<div align="center">感遇&#x30FB;其一</div>'
contains "$book/004.htm" "孤鸿海上来${wrap}"
contains "$book/index.htm" '<font size=4>感遇&#x30FB;其一</font>'
for page in "$book"/*.htm; do iconv -f CP936 -t UTF-8 "$page" >/dev/null || fail "$page is not code page 936"; done
cmp -s "$SCRATCH/书/bak/a春晓.txt" "$poems/a春晓.txt" || fail "the backup copy is not the original text"

contains "$framed/a春晓.htm" "春眠不觉晓<br><br>处处闻啼鸟 &#x1F600;<br><br>"
contains "$framed/b静夜思.htm" "静夜思<br><br>床前明月光"
contains "$framed/c登鹳雀楼.htm" "登鹳雀楼<br><br>白日依山尽"
contains "$framed/d凉州词.htm" "黄河入海流<br><br>欲穷千里目"
contains "$framed/感遇・其一.htm" "孤鸿海上来<br><br>"
[ -z "$(ls "$framed"/*.txt 2>/dev/null)" ] || fail "texts were left: $(ls "$framed")"

# The CHM tab: contents named by the pages' titles, then compiled.
drive <<SCRIPT
page CHM制作
drop 编辑框1 $book
tree
SCRIPT
home=$(grep -E '^[0-9]+ .* index.htm$' "$SCRATCH/out.txt" | cut -d' ' -f1)
[ -n "$home" ] || { cat "$SCRATCH/out.txt" >&2; fail "index.htm is not in the tree"; }
drive <<SCRIPT
page CHM制作
drop 编辑框1 $book
tick 选择框网页标题
select $home
wait 1200
click 按钮建工程
click 按钮转CHM
SCRIPT
expect_line "message 信息：: ok"
hhc="$book/book.hhc"
iconv -f CP936 -t UTF-8 "$hhc" >"$SCRATCH/hhc.txt" || fail "the contents file is not code page 936"
for title in a春晓 b静夜思 c登鹳雀楼 d凉州词 '感遇&#12539;其一'; do
  grep -qF "<PARAM name=\"Name\" value=\"$title\">" "$SCRATCH/hhc.txt" || fail "the contents lack the title $title"
done
[ -s "$book/book.chm" ] || fail "no compiled book"
