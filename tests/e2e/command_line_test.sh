# The command line: help and version exit 0, an unknown option is named and
# exits 2, and no display gives one line and exit 1 (no abort).
expect_run() {  # STATUS ARGS...: runs the program without a display
  local want=$1 status=0; shift
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$QUILLMERE" "$@" >"$SCRATCH/out.txt" 2>"$SCRATCH/err.txt" || status=$?
  [ "$status" -eq "$want" ] || fail "quillmere $*: exit $status, not $want"
}
for a in --help -h; do expect_run 0 "$a"; grep -q '^usage: quillmere' "$SCRATCH/out.txt" || fail "$a prints no usage"; done
for a in --version -v; do expect_run 0 "$a"; grep -Eq '^quillmere [0-9]+\.[0-9]+' "$SCRATCH/out.txt" || fail "$a prints no version"; done
expect_run 2 --frobnicate
grep -q -- 'unknown option: --frobnicate' "$SCRATCH/err.txt" || fail "the unknown option is not named"
expect_run 2 --script
expect_run 1 "$SCRATCH"
[ "$(wc -l <"$SCRATCH/err.txt")" -eq 1 ] && grep -q 'display' "$SCRATCH/err.txt" || fail "no display: $(cat "$SCRATCH/err.txt")"
status=0; DISPLAY=:97 env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$QUILLMERE" >/dev/null 2>"$SCRATCH/err.txt" || status=$?
[ "$status" -eq 1 ] && [ "$(wc -l <"$SCRATCH/err.txt")" -eq 1 ] || fail "a display that is not there: exit $status, $(cat "$SCRATCH/err.txt")"

