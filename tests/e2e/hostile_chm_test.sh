# Hostile names on the CHM tab: a book folder whose name holds spaces, a
# semicolon, "$(...)", back quotes and a leading dash, with pages named
# just as badly (quotes, 200+ bytes, an emoji). The drop, the contents, the
# compiler and the unpacker all take the names as plain data: no shell runs,
# no page is lost, and each step ends with a message.
book="$SCRATCH/-rf \$(touch pwned); a b\`touch pwned\` & c"
mkdir -p "$book"
long=$(printf '长%.0s' $(seq 70))
printf '%s<p>one</p>' "$gb2312_meta" >"$book/-n a;b \$(touch pwned).htm"
printf '%s<p>two</p>' "$gb2312_meta" >"$book/'q' \"q\" & |x|.htm"
printf '%s<p>three</p>' "$gb2312_meta" >"$book/$long.htm"
printf '%s<p>four</p>' "$gb2312_meta" >"$book/📚 emoji.htm"
name=$(basename "$book")

drive <<SCRIPT
page CHM制作
drop 编辑框1 $book
state
select 1
wait 1200
click 按钮建工程
click 按钮转CHM
SCRIPT
expect_line "BookName=\"${name//\\/\\\\}\""
expect_line "message 信息：: ok"
[ -s "$book/$name.chm" ] && [ -f "$book/$name.hhp" ] && [ -f "$book/$name.hhc" ] || fail "the book was not built"
for page in "-n a;b \$(touch pwned).htm" "'q' \"q\" & |x|.htm" "$long.htm" "📚 emoji.htm"; do
  [ -f "$book/$page" ] || fail "$page is gone"
done
[ -z "$(find "$SCRATCH" -name 'pwned*')" ] && [ ! -e pwned ] || fail "a name was run by a shell"

# Unpacking takes spaces out of the book's path. A book whose file name has
# spaces is renamed to its space-free name and unpacked beside it.
shelf="$SCRATCH/shelf;-x"
mkdir -p "$shelf"
cp "$book/$name.chm" "$shelf/my book \$(touch pwned).chm"
drive <<SCRIPT
page CHM制作
drop 编辑框1 $shelf/my book \$(touch pwned).chm
click 按钮CHM解包
SCRIPT
expect_line "message 信息：: ok"
out="$shelf/mybook\$(touchpwned)"
cmp -s "$out/-n a;b \$(touch pwned).htm" "$book/-n a;b \$(touch pwned).htm" || fail "the unpacked page differs"
cmp -s "$out/'q' \"q\" & |x|.htm" "$book/'q' \"q\" & |x|.htm" || fail "the page with quotes was not unpacked"
cmp -s "$out/$long.htm" "$book/$long.htm" || fail "the page with the long name was not unpacked"
cmp -s "$out/📚 emoji.htm" "$book/📚 emoji.htm" || fail "the page named with an emoji was not unpacked"
cmp -s "$out.chm" "$book/$name.chm" || fail "the book is not whole under its space-free name"

# Spaces in the folder part stay: only the book's own name loses them, and
# the book is unpacked beside itself in its own folder.
drive <<SCRIPT
page CHM制作
drop 编辑框1 $book/$name.chm
click 按钮CHM解包
SCRIPT
expect_line "message 信息：: ok"
joined="$book/${name// /}"
[ -s "$joined.chm" ] || fail "the book left its folder"
cmp -s "$joined/'q' \"q\" & |x|.htm" "$book/'q' \"q\" & |x|.htm" || fail "the book was not unpacked beside itself"
[ -z "$(find "$SCRATCH" -name 'pwned*')" ] && [ ! -e pwned ] || fail "a name was run by a shell"

# A folder name with double quotes reaches the compiler whole. The window
# line of the project cannot hold the quotes, so the compiler misses the
# contents file: the book is made, and the message names the contents file
# left out instead of "ok".
quoted="$SCRATCH/say \"hi\" \"there\""
mkdir -p "$quoted"
printf '<p>hi</p>' >"$quoted/hi.htm"
compile_book "$quoted"
grep '^message 信息：: 书已编译' "$SCRATCH/out.txt" | grep -q '\.hhc' || { cat "$SCRATCH/out.txt" >&2; fail "the missing contents file is not named"; }
[ -s "$quoted/$(basename "$quoted").chm" ] || fail "the book in the quoted folder was not compiled"

# A book folder (and so the book's name) with an emoji, which has no GBK
# form: the compiler reads the names the way the tab writes them and the
# book holds every page. A page whose name is neither UTF-8 nor code page
# 936 cannot be stored in a book: the book still compiles, and the message
# names the page left out instead of "ok".
emoji="$SCRATCH/书😀"
mkdir -p "$emoji"
printf '%s<p>home</p>' "$gb2312_meta" >"$emoji/首页.htm"
printf '%s<p>smile</p>' "$gb2312_meta" >"$emoji/笑😀.htm"
printf '<p>stray</p>' >"$emoji/$(printf 'bad\xe9').htm"
compile_book "$emoji"
grep -F 'bad\\xE9.htm' "$SCRATCH/out.txt" | grep -q '^message 信息：: 书已编译' || { cat "$SCRATCH/out.txt" >&2; fail "the page left out is not named"; }
[ -s "$emoji/书😀.chm" ] || fail "the book in the emoji folder was not compiled"
# The compiler's warnings go to its log, not to the driver's output.
grep -q "neither UTF-8" "$XDG_STATE_HOME/quillmere/hhc.exe.log" || { cat "$SCRATCH/err.txt" >&2; fail "no warning for the page that is not UTF-8"; }
shelf2="$SCRATCH/shelf2"
mkdir -p "$shelf2"
cp "$emoji/书😀.chm" "$shelf2/"
drive <<SCRIPT
page CHM制作
drop 编辑框1 $shelf2/书😀.chm
click 按钮CHM解包
SCRIPT
expect_line "message 信息：: ok"
cmp -s "$shelf2/书😀/笑😀.htm" "$emoji/笑😀.htm" || fail "the emoji page of the emoji book was not unpacked"
cmp -s "$shelf2/书😀/首页.htm" "$emoji/首页.htm" || fail "the home page of the emoji book was not unpacked"
