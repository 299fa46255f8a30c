# Esc with tree edits that no build has written asks first and keeps the
# window (the driver answers OK, not Yes); once the edit is taken back
# (Ctrl+Z in the tree), Esc closes at once as before.
mkdir -p "$SCRATCH/book"
printf 'a' >"$SCRATCH/book/a.htm"
printf 'b' >"$SCRATCH/book/b.htm"
drive <<SCRIPT
page CHM制作
drop 编辑框1 $SCRATCH/book
select 1
click 按钮上移
key 树型框1 Esc
show 树型框1
click 按钮撤销
key 编辑框4 Esc
show 编辑框1
SCRIPT
expect_line 'message 信息：: 目录树改过之后还没有用“建CHM目录”写入，关闭后这些修改就没有了。\r\n仍要关闭吗？'
expect_line '树型框1 selection=0 always_show_selection=1 count=2'
[ "$(tail -n 1 "$SCRATCH/out.txt")" = "closed" ] || { cat "$SCRATCH/out.txt" >&2; fail "closed is not the last line"; }
[ "$(grep -c '^编辑框1 ' "$SCRATCH/out.txt")" -eq 0 ] || fail "a line after the second Esc ran"
