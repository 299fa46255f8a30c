# Installing the working files: present files are never replaced, one file
# is installed without the other, a system directory that cannot be made
# shows nothing and the window still works, and without windir the files go
# under the user's data folder.
bin=$(dirname "$QUILLMERE")
[ -f "$bin/hhc.exe" ] && [ -f "$bin/hha.dll" ] || { echo "SKIP: the program carries no working files"; exit 0; }

# Only hhc.exe present (an old one): only hha.dll is written.
mkdir -p "$windir/system32"
echo "old compiler" >"$windir/system32/hhc.exe"
echo "show 按钮转网页" | drive
[ "$(cat "$windir/system32/hhc.exe")" = "old compiler" ] || fail "hhc.exe was replaced"
cmp -s "$bin/hha.dll" "$windir/system32/hha.dll" || fail "hha.dll not installed"

# Both present: nothing changes, even a folder under one of the names.
rm "$windir/system32/hhc.exe"
mkdir "$windir/system32/hhc.exe"
echo "old library" >"$windir/system32/hha.dll"
echo "show 按钮转网页" | drive
[ -d "$windir/system32/hhc.exe" ] || fail "a folder named hhc.exe was touched"
[ "$(cat "$windir/system32/hha.dll")" = "old library" ] || fail "hha.dll was replaced"

# The system directory cannot be created (a file stands in its way):
# nothing is shown and the window works.
export windir="$SCRATCH/blocked"
echo "not a folder" >"$windir"
printf 'show 按钮转网页\nclick 按钮转CHM\n' | drive
expect_line "按钮转网页 disabled=0"
expect_line "disabled 按钮转CHM"
[ "$(wc -l <"$SCRATCH/out.txt")" -eq 2 ] || fail "unexpected output"

# Without windir: under XDG_DATA_HOME, never at the root.
unset windir
export XDG_DATA_HOME="$SCRATCH/data"
echo "state" | drive
cmp -s "$bin/hhc.exe" "$SCRATCH/data/quillmere/system32/hhc.exe" || fail "not installed under XDG_DATA_HOME"
cmp -s "$bin/hha.dll" "$SCRATCH/data/quillmere/system32/hha.dll" || fail "hha.dll not under XDG_DATA_HOME"
