# Helpers for end-to-end tests.

# fail MESSAGE: ends the test with a message.
fail() { echo "FAIL: $*" >&2; exit 1; }

# drive: runs the script driver on standard input, output to $SCRATCH/out.txt.
drive() { "$QUILLMERE" --script - >"$SCRATCH/out.txt" 2>"$SCRATCH/err.txt" || { cat "$SCRATCH/err.txt" >&2; fail "driver exited $?"; }; }

# expect_line TEXT: the driver's output holds this exact line.
expect_line() { grep -Fxq -- "$1" "$SCRATCH/out.txt" || { cat "$SCRATCH/out.txt" >&2; fail "missing line: $1"; }; }

# expect_no_line TEXT: the driver's output lacks this exact line.
expect_no_line() { ! grep -Fxq -- "$1" "$SCRATCH/out.txt" || fail "unexpected line: $1"; }

# gbk TEXT: writes TEXT (UTF-8) converted to GBK to standard output.
gbk() { printf '%s' "$1" | iconv -f UTF-8 -t GBK; }
