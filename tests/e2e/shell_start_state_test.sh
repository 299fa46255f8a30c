# Start state of every control through `show`, and the working files that
# start-up installs into the system directory.
{
  for c in 编辑框txt2htm 编辑框原类型 编辑框新类型 编辑框编码转换路径 编辑框编码后缀 编辑框路径改字符 \
           编辑框原字符 编辑框新字符 编辑框21 编辑框11 编辑框精简网页 编辑框后缀 编辑框前标记 编辑框后标记 \
           编辑框1 编辑框10 编辑框4 编辑框9 \
           按钮批量转换 按钮取消转换 按钮编码转换 按钮量改字符 按钮转网页 按钮精简网页 \
           按钮建工程 按钮CHM解包 按钮转CHM 按钮上移 按钮下移 按钮删除节点 按钮删除子节点 按钮过滤 \
           单选框TXT2HTMa 单选框utf8gb2312 单选框量改后缀 单选框TXT2HTMb 单选框精简网页 \
           选择框自动换行 选择框自动加花 选择框不建目录 时钟1 树型框1; do
    echo "show $c"
  done
  echo state
  echo tree
} | drive

cat >"$SCRATCH/expected.txt" <<'END'
编辑框txt2htm text="  ---拖进来---" disabled=0
编辑框原类型 text=".txt" disabled=0
编辑框新类型 text=".htm" disabled=0
编辑框编码转换路径 text="" disabled=0
编辑框编码后缀 text=".htm" disabled=0
编辑框路径改字符 text="" disabled=0
编辑框原字符 text="txt" disabled=0
编辑框新字符 text="htm" disabled=0
编辑框21 text="  ---拖进来---" disabled=0
编辑框11 text="" disabled=0
编辑框精简网页 text="" disabled=0
编辑框后缀 text=".htm" disabled=0
编辑框前标记 text="" disabled=0
编辑框后标记 text="" disabled=0
编辑框1 text="  ---拖进来---" disabled=0
编辑框10 text="" disabled=0
编辑框4 text="" disabled=0
编辑框9 text="" disabled=0
按钮批量转换 disabled=1
按钮取消转换 disabled=1
按钮编码转换 disabled=1
按钮量改字符 disabled=1
按钮转网页 disabled=0
按钮精简网页 disabled=1
按钮建工程 disabled=0
按钮CHM解包 disabled=1
按钮转CHM disabled=1
按钮上移 disabled=0
按钮下移 disabled=0
按钮删除节点 disabled=0
按钮删除子节点 disabled=0
按钮过滤 disabled=0
单选框TXT2HTMa ticked=0 disabled=0
单选框utf8gb2312 ticked=0 disabled=0
单选框量改后缀 ticked=0 disabled=0
单选框TXT2HTMb ticked=0 disabled=0
单选框精简网页 ticked=0 disabled=0
选择框自动换行 ticked=0 disabled=0
选择框自动加花 ticked=0 disabled=0
选择框不建目录 ticked=0 disabled=0
时钟1 interval=0
树型框1 selection=-1 always_show_selection=0 count=0
DateText="$(date +%Y-%-m-%-d)"
BookName=""
DocumentOrderList=""
end
END
# The date line is compared on its own (the run may straddle midnight).
grep -v '^DateText=' "$SCRATCH/expected.txt" >"$SCRATCH/expected-rest.txt"
grep -v '^DateText=' "$SCRATCH/out.txt" >"$SCRATCH/out-rest.txt"
diff -u "$SCRATCH/expected-rest.txt" "$SCRATCH/out-rest.txt" || fail "start state differs"
grep -Eq '^DateText="[0-9]{4}-[1-9][0-9]?-[1-9][0-9]?"$' "$SCRATCH/out.txt" || fail "date text form"

# The working files the program carries are installed, byte for byte.
bin=$(dirname "$QUILLMERE")
for f in hha.dll hhc.exe; do
  if [ -f "$bin/$f" ]; then
    cmp -s "$bin/$f" "$windir/system32/$f" || fail "$f not installed"
  fi
done
[ -x "$windir/system32/hhc.exe" ] || [ ! -f "$bin/hhc.exe" ] || fail "hhc.exe not executable"
