# The sample book the whole road: text files to pages, the CHM tab, the
# home page, the contents, the compiled book and its unpacking. Every page
# that comes out of the book is byte for byte the page that went in.
book="$SCRATCH/墨舟书录"
cp -r "$SOURCE_DIR/samples/book" "$book"
texts=$(ls "$book" | wc -l)
sed "s|@BOOK@|$book|g" "$SOURCE_DIR/samples/demo.qms" | drive

[ "$(grep -c '^message 信息：: ok$' "$SCRATCH/out.txt")" -eq 3 ] || { cat "$SCRATCH/out.txt" >&2; fail "not every step said ok"; }
[ -f "$book/墨舟书录.chm" ] || fail "no compiled book"
[ "$(ls "$SCRATCH/bak" | wc -l)" -eq "$texts" ] || fail "texts missing from bak"
pages=0
for page in "$book"/*.htm "$book"/*.gif "$book"/*.GIF "$book"/*.JPG; do
  cmp -s "$page" "$book/墨舟书录/$(basename "$page")" || fail "unpacked $(basename "$page") differs"
  pages=$((pages + 1))
done
[ "$pages" -eq $((texts + 4)) ] || fail "expected $((texts + 4)) pages and images, found $pages"
[ -f "$book/墨舟书录/墨舟书录.hhc" ] || fail "the contents file is not in the book"
