# Books with full-text search ticked, from a UTF-8 web folder (the shape of
# Debian's zh-cn manuals: an XML declaration, meta charset, a style sheet,
# images), from a paged book and from a batch conversion, read back by
# python3-chm: searchable, in code page 936, every page code page 936 and
# saying so, and a search for a Chinese character and for an ASCII word
# finding exactly the pages that hold it.
/usr/bin/python3 -c 'import chm' 2>/dev/null || { echo "python3-chm not installed; skipped"; exit 0; }
check="$SOURCE_DIR/tests/e2e/search_check.py"

# chm_book FOLDER HOME: the CHM tab with 全文搜索 ticked, HOME as the home page.
chm_book() {
  drive <<SCRIPT
page CHM制作
drop 编辑框1 $1
tree
SCRIPT
  local at
  at=$(awk -v home="$2" '$NF == home { print $1; exit }' "$SCRATCH/out.txt")
  [ -n "$at" ] || { cat "$SCRATCH/out.txt" >&2; fail "$2 is not in the tree"; }
  drive <<SCRIPT
page CHM制作
drop 编辑框1 $1
select $at
wait 1200
tick 选择框全文搜索
click 按钮建工程
click 按钮转CHM
SCRIPT
  expect_line "message 信息：: ok"
  grep -q '^Full-text search=Yes' "$1/$(basename "$1").hhp" || fail "the project does not ask for the index"
}

web="$SCRATCH/参考手册"
mkdir -p "$web/images"
printf 'GIF89a\1\0\1\0' >"$web/images/logo.gif"
printf 'body { color: black }' >"$web/manual.css"
cat >"$web/index.html" <<'PAGE'
<?xml version="1.0" encoding="UTF-8" standalone="no"?>
<html xmlns="http://www.w3.org/1999/xhtml"><head><title>Debian 参考手册</title>
<link rel="stylesheet" type="text/css" href="manual.css"/>
<meta http-equiv="Content-Type" content="text/html; charset=UTF-8"/></head>
<body><img src="images/logo.gif"/><p>江水向东流 The river flows ・ east&#160;now</p>
<script>var riverless = "江";</script></body></html>
PAGE
cat >"$web/ch01.html" <<'PAGE'
<html><head><meta charset="utf-8"><title>第一章 江</title><style>p { font: "宋体" }</style></head>
<body><p>明月 moonlight &#x5C71;</p></body></html>
PAGE
cat >"$web/ch02.html" <<'PAGE'
<html><head><meta charset="utf-8"><title>第二章</title></head><body><p>River 山 😀 sea</p></body></html>
PAGE
before=$(cat "$web"/*.html | md5sum)
chm_book "$web" index.html
/usr/bin/python3 "$check" "$web/参考手册.chm" "$SCRATCH/web-out" 江 山 river moonlight || fail "the web folder's book"
[ "$(cat "$web"/*.html | md5sum)" = "$before" ] || fail "a page on disk changed"

book="$SCRATCH/小说"
mkdir -p "$book"
gbk "第一回 江水 river" >"$book/a.txt"
gbk "第二回 明月 moon" >"$book/b.txt"
printf '第三回 山 river\n' >"$book/c.txt"
drive <<SCRIPT
page 网页制作
choose 单选框TXT2HTMb
drop 选择夹1 $book
click 按钮转网页
SCRIPT
expect_line "message 信息：: ok"
chm_book "$book" index.htm
/usr/bin/python3 "$check" "$book/小说.chm" "$SCRATCH/paged-out" 江 山 river moon || fail "the paged book"

batch="$SCRATCH/诗集"
mkdir -p "$batch/卷二"
gbk "江雪 snow" >"$batch/one.txt"
gbk "山居 秋暝 snow" >"$batch/卷二/two.txt"
printf '江南 spring\n' >"$batch/three.txt"
drive <<SCRIPT
page 网页制作
choose 单选框TXT2HTMa
drop 选择夹1 $batch
click 按钮批量转换
SCRIPT
grep -q "^message 信息：: 转换ok!" "$SCRATCH/out.txt" || fail "the batch conversion failed"
chm_book "$batch" one.htm
/usr/bin/python3 "$check" "$batch/诗集.chm" "$SCRATCH/batch-out" 江 山 snow spring || fail "the batch book"
