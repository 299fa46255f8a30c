# UTF-8 to GB2312 re-encoding through the window: Chinese to its two-byte
# codes, ASCII unchanged, the byte-order mark dropped, a page cut at U+0000,
# sub-folders untouched, a second run replacing results.
dir="$SCRATCH/utf8"
out="$dir/处理后"
mkdir -p "$dir/sub"
page='<meta charset="utf-8"><p>中文</p>'
printf '%s' "$page" >"$dir/a.htm"
printf '\xef\xbb\xbf<p>\xe4\xb8\xad</p>' >"$dir/bom.htm"
printf 'ab\0cd' >"$dir/zero.htm"
printf 'plain ascii\r\n' >"$dir/ascii.htm"
printf '中' >"$dir/sub/c.htm"

drive <<SCRIPT
page 网页制作
choose 单选框utf8gb2312
drop 选择夹1 $dir
type 编辑框编码后缀 .htm
click 按钮编码转换
show 按钮编码转换
show 编辑框编码转换路径
SCRIPT
expect_line "message 信息：: ok!"
expect_line "按钮编码转换 disabled=1"
expect_line '编辑框编码转换路径 text="" disabled=0'
cmp -s "$out/a.htm" <(gbk "$page") || fail "a.htm was not converted to GBK"
cmp -s "$out/bom.htm" <(printf '<p>\xd6\xd0</p>') || fail "the byte-order mark was not dropped"
cmp -s "$out/zero.htm" <(printf 'ab') || fail "the page was not cut at U+0000"
cmp -s "$out/ascii.htm" "$dir/ascii.htm" || fail "an ASCII page changed"
[ "$(cat "$dir/a.htm")" = "$page" ] || fail "the page itself changed"
[ ! -e "$out/c.htm" ] || fail "a page in a sub-folder was converted"

printf 'new' >"$dir/a.htm"
drive <<SCRIPT
page 网页制作
choose 单选框utf8gb2312
drop 选择夹1 $dir
click 按钮编码转换
SCRIPT
cmp -s "$out/a.htm" <(printf new) || fail "the second run did not replace the result"
