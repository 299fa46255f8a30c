# Lines the driver cannot run: exit status 2 and "error: line N: WHY" on
# standard error; the lines before them ran, the lines after did not.
check_error() {  # SCRIPT LINE_NUMBER
  local status=0
  printf '%b' "$1" | "$QUILLMERE" --script - >"$SCRATCH/out.txt" 2>"$SCRATCH/err.txt" || status=$?
  [ "$status" -eq 2 ] || fail "exit status $status for: $1"
  grep -Eq "^error: line $2: .+" "$SCRATCH/err.txt" || { cat "$SCRATCH/err.txt" >&2; fail "no error for line $2 of: $1"; }
  ! grep -q "never shown" "$SCRATCH/out.txt" || fail "a line after the error ran: $1"
}
check_error 'show 编辑框1\nfrobnicate 编辑框1\nshow 编辑框4 never shown\n' 2
check_error '# comment\n\nclick 按钮不存在\n' 3
check_error 'click 选择框不建目录\n' 1
check_error 'tick 单选框TXT2HTMa\n' 1
check_error 'type 按钮转网页 text\n' 1
check_error 'show 标签4\n' 1
check_error 'select x\n' 1
check_error 'select 3\n' 1
check_error 'wait soon\n' 1
check_error 'key 编辑框1 F1\n' 1
check_error 'page 第三页\n' 1
check_error 'type 编辑框1 bad \\q escape\n' 1
check_error 'drop 时钟1 /tmp\n' 1
check_error 'tree all\n' 1

# The first line ran before the error.
printf 'show 编辑框1\nnope\n' | "$QUILLMERE" --script - >"$SCRATCH/out.txt" 2>"$SCRATCH/err.txt" || true
expect_line '编辑框1 text="  ---拖进来---" disabled=0'
grep -Fxq 'error: line 2: unknown command "nope"' "$SCRATCH/err.txt" || fail "error text"

# A script file that cannot be read.
status=0
"$QUILLMERE" --script "$SCRATCH/missing.txt" >/dev/null 2>&1 || status=$?
[ "$status" -eq 2 ] || fail "missing script file: exit $status"
