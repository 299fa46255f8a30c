# One novel text to a chaptered book: a generated 5 MB novel (GBK and
# UTF-8) with a preface, 序章, two volumes and 600 chapters, and prose that
# holds "第一封信" and a number alone on its line, is split ("分章节"), made
# into pages ("转网页"), its contents built with the pages' titles and
# compiled. The contents list the headings in order, every page links to
# its neighbours in that order, and no line of the novel is lost. A real
# text (fortunes-zh's song100 joined into one file) takes an edited rule.
python3 - "$SCRATCH" <<'PY'
import os, random, sys
scratch = sys.argv[1]
digits = '零一二三四五六七八九'
def chinese(n):
    out, units = '', [(1000, '千'), (100, '百'), (10, '十')]
    zero = False
    for value, unit in units:
        d = n // value % 10
        if d:
            if zero: out += '零'
            out += ('' if value == 10 and not out and d == 1 else digits[d]) + unit
            zero = False
        elif out:
            zero = True
    if n % 10:
        out += ('零' if zero else '') + digits[n % 10]
    return out
rng = random.Random(22)
words = '山雨欲来风满楼他推开门走进了院子里面没有一个人只有灯还亮着她轻轻地说'
def prose():
    return ''.join(rng.choice(words) for _ in range(rng.randint(40, 120))) + '。'
lines, heads = ['山雨', '作者：某人', '', '写在前面：这本书是一个测试。'], ['前言']
def chapter(head, paragraphs):
    lines.append(head); heads.append(head)
    for p in range(paragraphs):
        lines.append('　　' + prose())
        if p == 3: lines.append('第一封信')
        if p == 5: lines.append('2024')
lines_before = len(lines)
chapter('序章 起风', 10)
for volume, (name, first) in enumerate([('第一卷 风起', 1), ('第二卷 雨落', 301)]):
    chapter(name, 2)
    for n in range(first, first + 300):
        chapter('第%s章 第%d回的雨' % (chinese(n), n), 52)
text = '\r\n'.join(lines) + '\r\n'
for enc, folder in (('gbk', 'gbk'), ('utf-8', 'utf8')):
    os.makedirs(os.path.join(scratch, folder))
    open(os.path.join(scratch, folder, '山雨.txt'), 'wb').write(text.encode(enc))
open(os.path.join(scratch, 'heads.txt'), 'w').write('\n'.join(heads) + '\n')
PY
size=$(stat -c %s "$SCRATCH/gbk/山雨.txt")
[ "$size" -gt 5000000 ] || fail "the novel is only $size bytes"

# UTF-8: split only; the texts are GBK and hold the novel.
drive <<SCRIPT
page 网页制作
choose 单选框分章节
drop 选择夹1 $SCRATCH/utf8/山雨.txt
click 按钮分章节
SCRIPT
grep -q "分成 604 个文本，在 $SCRATCH/utf8/山雨" "$SCRATCH/out.txt" || { cat "$SCRATCH/out.txt" >&2; fail "UTF-8 novel not split in 604"; }
cat "$SCRATCH/utf8/山雨"/*.txt | cmp -s - <(iconv -f UTF-8 -t GBK "$SCRATCH/utf8/山雨.txt") || fail "UTF-8 novel: outputs joined differ"

# GBK: the whole road, with the pages' titles in the contents.
# titled_book_script FOLDER: the script lines that make pages of the split
# texts and compile FOLDER with its contents named by the pages' titles.
titled_book_script() {
  cat <<SCRIPT
click 按钮转网页
page CHM制作
drop 编辑框1 $1
tick 选择框网页标题
select 0
wait 1200
click 按钮建工程
click 按钮转CHM
SCRIPT
}
{ printf 'page 网页制作\nchoose 单选框分章节\ndrop 选择夹1 %s\nclick 按钮分章节\n' "$SCRATCH/gbk/山雨.txt"
  titled_book_script "$SCRATCH/gbk/山雨"; } | drive
grep -q "分成 604 个文本" "$SCRATCH/out.txt" || { cat "$SCRATCH/out.txt" >&2; fail "GBK novel not split"; }
grep -q "缺\|重新开始\|没有一行" "$SCRATCH/out.txt" && { cat "$SCRATCH/out.txt" >&2; fail "numbering notes for a novel without gaps"; }
[ "$(grep -c '^message 信息：: ok$' "$SCRATCH/out.txt")" -eq 2 ] || { cat "$SCRATCH/out.txt" >&2; fail "转网页 or 转CHM did not say ok"; }
book="$SCRATCH/gbk/山雨"
[ -f "$book/山雨.chm" ] || fail "no compiled book"
cat "$SCRATCH/gbk/bak"/*.txt | cmp -s - "$SCRATCH/gbk/山雨.txt" || fail "the chapter texts joined are not the novel"

python3 - "$book" "$SCRATCH/heads.txt" <<'PY' || fail "contents or links out of order"
import re, sys
book, heads = sys.argv[1], open(sys.argv[2]).read().split('\n')[:-1]
hhc = open(book + '/山雨.hhc', 'rb').read().decode('gbk')
names = re.findall(r'<param name="Name" value="([^"]*)">\s*<param name="Local" value="(\d+)\.htm">', hhc, re.I)
assert [n for n, _ in names] == heads, 'contents: %r' % [n for n, _ in names][:8]
assert [int(l) for _, l in names] == list(range(len(heads)))
for i, head in enumerate(heads):
    page = open('%s/%03d.htm' % (book, i), 'rb').read().decode('gbk')
    assert '<title>%s</title>' % head in page, i
    assert ('<a href=%03d.htm><font size="2">上一页' % (i - 1) in page) == (i > 0), i
    assert ('<a href=%03d.htm><font size="2">下一页' % (i + 1) in page) == (i + 1 < len(heads)), i
PY

# A real text: the song poems joined into one file. The default rule finds
# no heading (and says so); a rule of its own splits it at the poems'
# titles ("题目:《塞上》").
song=/usr/share/games/fortunes/song100
if [ -r "$song" ]; then
  mkdir "$SCRATCH/real"
  sed 's/\x1b\[[0-9;]*m//g' "$song" | iconv -f UTF-8 -t GBK -c >"$SCRATCH/real/宋词.txt"
  { cat <<SCRIPT
page 网页制作
choose 单选框分章节
drop 选择夹1 $SCRATCH/real/宋词.txt
click 按钮分章节
type 编辑框分章规则 ^题目:《.+》$
click 按钮分章节
SCRIPT
    titled_book_script "$SCRATCH/real/宋词(2)"; } | drive
  grep -q "没有一行符合分章规则" "$SCRATCH/out.txt" || { cat "$SCRATCH/out.txt" >&2; fail "no-match not reported"; }
  poems=$(sed 's/\x1b\[[0-9;]*m//g' "$song" | grep -c '^题目:《.*》$')
  grep -q "分成 $poems 个文本，在 $SCRATCH/real/宋词(2)" "$SCRATCH/out.txt" || { cat "$SCRATCH/out.txt" >&2; fail "song100 not split into $poems"; }
  cat "$SCRATCH/real/bak"/*.txt | cmp -s - "$SCRATCH/real/宋词.txt" || fail "song100: outputs joined differ"
  [ -f "$SCRATCH/real/宋词(2)/宋词(2).chm" ] || fail "song100: no compiled book"
  titled=$(iconv -f GBK -t UTF-8 "$SCRATCH/real/宋词(2)/宋词(2).hhc" | grep -ci 'name="Name" value="题目：《')
  # (a file name cannot hold ":", so the title has its full-width form)
  [ "$titled" -eq "$poems" ] || fail "song100: $titled of $poems contents entries named by their titles"
fi
