# Hostile names on the web-pages tab: a folder and text files whose names
# hold spaces, quotes, semicolons, "$(...)", back quotes, leading dashes,
# 200+ bytes, an emoji and bytes that are not UTF-8. The paged book moves
# every text whole into bak; the file-name tool renames around the odd
# characters and reports the names it could not give. Nothing runs a shell.
book="$SCRATCH/-rf \$(touch pwned); it's a \"book\" \`touch pwned\` 📚"
mkdir -p "$book"
long=$(printf '长%.0s' $(seq 70))  # 210 bytes on disk
stray=$(printf 'bad\xff\xfe')
names=("-n a;b \$(touch pwned).txt" "'q' \"q\" & |x|.txt" "$long.txt" "📚 emoji.txt" "$stray.txt")
for i in "${!names[@]}"; do printf 'text %s\r\n' "$i" >"$book/${names[$i]}"; done

drive <<SCRIPT
page 网页制作
choose 单选框TXT2HTMb
drop 选择夹1 $book
click 按钮转网页
SCRIPT
expect_line "message 信息：: ok"
bak="$SCRATCH/bak"
for i in "${!names[@]}"; do
  [ ! -e "$book/${names[$i]}" ] || fail "${names[$i]} was not moved"
  [ "$(cat "$bak/${names[$i]}")" = "$(printf 'text %s\r\n' "$i")" ] || fail "${names[$i]} is not whole in bak"
done
for page in 000.htm 001.htm 002.htm 003.htm 004.htm index.htm; do [ -f "$book/$page" ] || fail "$page is missing"; done
for i in "${!names[@]}"; do
  grep -lq "text $i" "$book"/00?.htm || fail "no page holds the text of ${names[$i]}"
done
[ -z "$(find "$SCRATCH" -name 'pwned*')" ] && [ ! -e pwned ] || fail "a name was run by a shell"

# File-name replacement in the same folder: "htm" becomes "页面" around the
# emoji and the stray bytes; a new name of more than 255 bytes is refused
# and reported, and that file keeps its name.
toolong=$(printf 'h%.0s' $(seq 240))htm
printf 'too long' >"$book/$toolong"
drive <<SCRIPT
page 网页制作
choose 单选框量改后缀
drop 选择夹1 $book
type 编辑框原字符 htm
type 编辑框新字符 页面页面页面页面
click 按钮量改字符
SCRIPT
expect_no_line "message 提示: 批量更名 ok!"  # one closing message: no "ok" before a failure
expect_line "message 提示: 有 1 个文件没能更名，保留原名（名称太长）。"
new=页面页面页面页面
for page in 000 001 002 003 004 index; do [ -f "$book/$page.$new" ] || fail "$page.htm was not renamed"; done
[ "$(cat "$book/$toolong")" = "too long" ] || fail "the file whose new name is too long lost its name or bytes"
[ -z "$(find "$SCRATCH" -name 'pwned*')" ] || fail "a name was run by a shell"
