#!/usr/bin/python3
"""search_check.py BOOK.chm FOLDER WORD...: checks a compiled book the way
python3-chm (chmlib) reads it. The book must be searchable and in a Chinese
code page; every stored page (unpacked into FOLDER by extract_chmLib) must
decode strictly as code page 936 and declare it (gb2312 or gbk); and a search for each
WORD (a Chinese character as GBK bytes, or an ASCII word) must find exactly
the pages whose shown text (title and body, without tags, scripts and
styles, references decoded) holds it. Prints what is wrong; exit 1 then."""
import html.parser, os, re, subprocess, sys
from chm import chm, _chmlib

book, folder, words = sys.argv[1], sys.argv[2], sys.argv[3:]
problems = []
f = chm.CHMFile()
if not f.LoadCHM(book):
    sys.exit('cannot load ' + book)
if not f.IsSearchable():
    problems.append('not searchable')
if f.GetEncoding() not in (b'cp936', b'gb2312', b'gbk', b'gb18030', 'cp936', 'gb2312', 'gbk'):
    problems.append('encoding %r is not Chinese' % f.GetEncoding())


class Shown(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.text, self.skip = [], 0

    def handle_starttag(self, tag, attrs):
        self.skip += tag in ('script', 'style')
        self.text.append(' ')

    def handle_endtag(self, tag):
        self.skip -= tag in ('script', 'style')
        self.text.append(' ')

    def handle_data(self, data):
        if not self.skip:
            self.text.append(data)


subprocess.run(['extract_chmLib', book, folder], check=True, stdout=subprocess.DEVNULL)
shown = {}
for top, _, names in os.walk(folder):
    for name in names:
        if not name.lower().endswith(('.htm', '.html')):
            continue
        path = os.path.join(top, name)
        url = os.path.relpath(path, folder)
        data = open(path, 'rb').read()
        try:
            text = data.decode('cp936')
        except UnicodeDecodeError as e:
            problems.append('%s is not code page 936: %s' % (url, e))
            continue
        head = text[:text.lower().find('<body')] if '<body' in text.lower() else text
        if not re.search(r'charset\s*=\s*["\']?(gb2312|gbk)', head, re.I):
            problems.append('%s does not declare code page 936' % url)
        if url.startswith('$'):
            continue  # pages the compiler adds to lead readers on
        p = Shown()
        p.feed(text.replace('\xa0', ' '))
        shown[url] = ''.join(p.text).lower()

for word in words:
    hits = set()
    _chmlib.search(f.file, word.encode('gbk'), 0, 0, lambda topic, url: hits.add(url.decode('utf-8')))
    if word.isascii():
        holding = {u for u, t in shown.items() if re.search(r'(?<![a-z0-9])%s' % re.escape(word.lower()), t)}
    else:
        holding = {u for u, t in shown.items() if word in t}
    if not holding:
        problems.append('no page holds %r: the check proves nothing' % word)
    if hits != holding:
        problems.append('search %r found %s, pages holding it: %s' % (word, sorted(hits), sorted(holding)))

for p in problems:
    print(p)
sys.exit(1 if problems else 0)
