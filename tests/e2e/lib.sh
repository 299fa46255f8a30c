# Helpers for end-to-end tests.

# fail MESSAGE: ends the test with a message.
fail() { echo "FAIL: $*" >&2; exit 1; }

# drive: runs the script driver on standard input, output to $SCRATCH/out.txt.
drive() { "$QUILLMERE" --script - >"$SCRATCH/out.txt" 2>"$SCRATCH/err.txt" || { cat "$SCRATCH/err.txt" >&2; fail "driver exited $?"; }; }

# expect_line TEXT: the driver's output holds this exact line below the line
# the previous expect_line matched in the same output, so that the checks
# follow the order of the output and a line printed by an earlier step
# cannot satisfy a later check. A new output (one whose inode, size or time
# differs) starts again from its first line.
expect_line() {
  local out="$SCRATCH/out.txt" stamp found
  stamp=$(stat -c '%i %s %y' "$out")
  if [ "$stamp" != "${expect_stamp:-}" ]; then expect_stamp=$stamp; expect_after=0; fi
  found=$(want="$1" after="$expect_after" LC_ALL=C awk \
    'NR > ENVIRON["after"] + 0 && $0 == ENVIRON["want"] { print NR; exit }' "$out")
  [ -n "$found" ] || { cat "$out" >&2; fail "missing line (after line $expect_after): $1"; }
  expect_after=$found
}

# expect_no_line TEXT: the driver's output lacks this exact line.
expect_no_line() { ! grep -Fxq -- "$1" "$SCRATCH/out.txt" || fail "unexpected line: $1"; }

# A page's declaration of code page 936: a page that has it is stored in a
# book byte for byte (others are stored converted and declaring it).
gb2312_meta='<meta http-equiv="Content-Type" content="text/html; charset=gb2312">'

# gbk TEXT: writes TEXT (UTF-8) converted to GBK to standard output.
gbk() { printf '%s' "$1" | iconv -f UTF-8 -t GBK; }

# compile_book FOLDER: drops FOLDER (a script argument, escapes written) on
# the CHM tab, makes its first item the home page, builds the contents and
# compiles the book.
compile_book() {
  drive <<SCRIPT
page CHM制作
drop 编辑框1 $1
select 0
wait 1200
click 按钮建工程
click 按钮转CHM
SCRIPT
}

# simplify_script FOLDER SUFFIX FRONT BACK: the script lines that run the
# page simplifier on FOLDER; more lines may follow them.
simplify_script() {
  cat <<SCRIPT
page 网页制作
choose 单选框精简网页
drop 选择夹1 $1
type 编辑框后缀 $2
type 编辑框前标记 $3
type 编辑框后标记 $4
click 按钮精简网页
SCRIPT
}
