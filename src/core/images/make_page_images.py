#!/usr/bin/env python3
"""Draws the four page images and writes them as byte arrays into
../page_image_data.cpp. Run it again after changing a drawing; the output is
the same on every run (no clock, no outside files, no image libraries).

  N02.GIF      GIF89a 600x16, 32-colour palette: a divider bar under the text
  PAPER10.JPG  baseline JFIF 1.00 JPEG 64x64, three components: a paper tile
  icon.gif     GIF89a 17x14, #FCFEFC and #0C365C: a list bullet
  leftbg.gif   GIF89a 45x45, #D2F6D5 and #F0FFF2: a pale background tile

Each file is padded with a comment to the byte size of the images the
page templates were made with (2,606, 2,090, 111 and 136 bytes).
"""
import math
import os
import struct

# ---------------------------------------------------------------- GIF ----


def lzw_codes(pixels, min_size):
    """The LZW code stream of a GIF image as (code, width) pairs."""
    clear, eoi = 1 << min_size, (1 << min_size) + 1
    out = []
    state = {}

    def reset():
        state['table'] = {(i,): i for i in range(clear)}
        state['next'] = eoi + 1
        state['bits'] = min_size + 1

    def emit(code):
        out.append((code, state['bits']))
        if state['next'] >= (1 << state['bits']) and state['bits'] < 12:
            state['bits'] += 1

    reset()
    emit(clear)
    run = (pixels[0],)
    for p in pixels[1:]:
        grown = run + (p,)
        if grown in state['table']:
            run = grown
            continue
        emit(state['table'][run])
        if state['next'] >= 4095:
            emit(clear)
            reset()
        else:
            state['table'][grown] = state['next']
            state['next'] += 1
        run = (p,)
    emit(state['table'][run])
    emit(eoi)
    return out


def pack_codes(codes):
    data, acc, nbits = bytearray(), 0, 0
    for code, width in codes:
        acc |= code << nbits
        nbits += width
        while nbits >= 8:
            data.append(acc & 0xFF)
            acc >>= 8
            nbits -= 8
    if nbits:
        data.append(acc & 0xFF)
    return bytes(data)


def comment_extension(size):
    """A GIF comment extension of exactly `size` bytes (at least 5)."""
    blocks = -(-(size - 3) // 256)
    text_length = size - 3 - blocks
    words = (b'Quillmere page image. ' * (text_length // 22 + 1))[:text_length]
    out = bytearray(b'\x21\xfe')
    for k in range(blocks):
        take = text_length // blocks + (1 if k < text_length % blocks else 0)
        out.append(take)
        out += words[:take]
        words = words[take:]
    out.append(0)
    return bytes(out)


def gif(width, height, palette, pixels, file_size):
    """A GIF89a file of exactly `file_size` bytes: the image is padded with
    a comment, so that the files have the sizes the pages were made with."""
    bits = max(1, (len(palette) - 1).bit_length())
    table = list(palette) + [(0, 0, 0)] * ((1 << bits) - len(palette))
    out = bytearray(b'GIF89a')
    out += struct.pack('<HHBBB', width, height, 0x80 | ((bits - 1) << 4) | (bits - 1), 0, 0)
    for r, g, b in table:
        out += bytes((r, g, b))
    image = bytearray(b',' + struct.pack('<HHHHB', 0, 0, width, height, 0))
    min_size = max(2, bits)
    data = pack_codes(lzw_codes(pixels, min_size))
    image.append(min_size)
    for i in range(0, len(data), 255):
        chunk = data[i:i + 255]
        image.append(len(chunk))
        image += chunk
    image += b'\x00;'
    padding = file_size - len(out) - len(image)
    assert padding >= 5, 'the drawing is too big for its file size'
    return bytes(out + comment_extension(padding) + image)


def hex_colour(text):
    return tuple(int(text[i:i + 2], 16) for i in (1, 3, 5))


def divider():
    """A teal bar that fades out towards both ends, with a diamond in the
    middle, on the text cell's pale green."""
    w, h = 600, 16
    light, dark = hex_colour('#EAF4F1'), hex_colour('#336666')
    palette = [tuple(round(light[c] + (dark[c] - light[c]) * k / 31) for c in range(3))
               for k in range(32)]
    pixels = []
    for y in range(h):
        for x in range(w):
            fade = math.sin(math.pi * x / (w - 1)) ** 0.6
            bar = max(0.0, 1.0 - abs(y - 7.5) / 2.5)
            line = 0.45 if y in (3, 12) else 0.0
            dx, dy = abs(x - 299.5), abs(y - 7.5)
            diamond = 1.0 if dx / 3 + dy <= 7 else 0.0
            k = max(bar * fade, line * fade, diamond)
            pixels.append(min(31, round(k * 31)))
    return gif(w, h, palette, pixels, 2606)


def bullet():
    """A right-pointing arrow head."""
    w, h = 17, 14
    pixels = []
    for y in range(h):
        for x in range(w):
            inside = 4 <= x <= 13 and abs(y - 6.5) <= (13 - x) * 0.65
            pixels.append(1 if inside else 0)
    return gif(w, h, [hex_colour('#FCFEFC'), hex_colour('#0C365C')], pixels, 111)


def pale_tile():
    """Pale paper with a soft green rule along the bottom; tiled, it rules
    the page like a notebook."""
    w = h = 45
    pixels = []
    for y in range(h):
        for x in range(w):
            pixels.append(0 if y >= 42 else 1)
    return gif(w, h, [hex_colour('#D2F6D5'), hex_colour('#F0FFF2')], pixels, 136)

# --------------------------------------------------------------- JPEG ----


ZIGZAG = [
    0, 1, 8, 16, 9, 2, 3, 10, 17, 24, 32, 25, 18, 11, 4, 5,
    12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6, 7, 14, 21, 28,
    35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
    58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63]

LUMA_Q = [
    16, 11, 10, 16, 24, 40, 51, 61, 12, 12, 14, 19, 26, 58, 60, 55,
    14, 13, 16, 24, 40, 57, 69, 56, 14, 17, 22, 29, 51, 87, 80, 62,
    18, 22, 37, 56, 68, 109, 103, 77, 24, 35, 55, 64, 81, 104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99]
CHROMA_Q = [
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99,
    24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99] + [99] * 32

# The usual Huffman tables: (code counts by length 1..16, symbols).
DC_LUMA = ([0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0], list(range(12)))
DC_CHROMA = ([0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0], list(range(12)))
AC_LUMA = ([0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7d], bytes.fromhex(
    '01020300041105122131410613516107227114328191a1082342b1c11552d1f02433627282090a'
    '161718191a25262728292a3435363738393a434445464748494a535455565758595a6364656667'
    '68696a737475767778797a838485868788898a92939495969798999aa2a3a4a5a6a7a8a9aab2b3'
    'b4b5b6b7b8b9bac2c3c4c5c6c7c8c9cad2d3d4d5d6d7d8d9dae1e2e3e4e5e6e7e8e9eaf1f2f3f4'
    'f5f6f7f8f9fa'))
AC_CHROMA = ([0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 0x77], bytes.fromhex(
    '000102031104052131061241510761711322328108144291a1b1c109233352f0156272d10a1624'
    '34e125f11718191a262728292a35363738393a434445464748494a535455565758595a63646566'
    '6768696a737475767778797a82838485868788898a92939495969798999aa2a3a4a5a6a7a8a9aa'
    'b2b3b4b5b6b7b8b9bac2c3c4c5c6c7c8c9cad2d3d4d5d6d7d8d9dae2e3e4e5e6e7e8e9eaf2f3f4'
    'f5f6f7f8f9fa'))


def huffman_codes(table):
    counts, symbols = table
    codes, code, k = {}, 0, 0
    for length in range(1, 17):
        for _ in range(counts[length - 1]):
            codes[symbols[k]] = (code, length)
            code += 1
            k += 1
        code <<= 1
    return codes


class BitWriter:
    def __init__(self):
        self.out, self.acc, self.n = bytearray(), 0, 0

    def put(self, value, length):
        for i in range(length - 1, -1, -1):
            self.acc = (self.acc << 1) | ((value >> i) & 1)
            self.n += 1
            if self.n == 8:
                self.out.append(self.acc)
                if self.acc == 0xFF:
                    self.out.append(0)
                self.acc, self.n = 0, 0

    def finish(self):
        while self.n:
            self.put(1, 1)
        return bytes(self.out)


def magnitude(v):
    size = abs(v).bit_length()
    return size, (v if v >= 0 else v + (1 << size) - 1)


def fdct(block):
    out = [0.0] * 64
    for v in range(8):
        for u in range(8):
            s = 0.0
            for y in range(8):
                for x in range(8):
                    s += (block[y * 8 + x] * math.cos((2 * x + 1) * u * math.pi / 16)
                          * math.cos((2 * y + 1) * v * math.pi / 16))
            cu = 1 / math.sqrt(2) if u == 0 else 1.0
            cv = 1 / math.sqrt(2) if v == 0 else 1.0
            out[v * 8 + u] = 0.25 * cu * cv * s
    return out


def jpeg(width, height, rgb, file_size):
    """A baseline JFIF JPEG of exactly `file_size` bytes (padded with a
    comment segment)."""
    quant = [LUMA_Q, CHROMA_Q]
    dc = [huffman_codes(DC_LUMA), huffman_codes(DC_CHROMA)]
    ac = [huffman_codes(AC_LUMA), huffman_codes(AC_CHROMA)]
    planes = [[], [], []]
    for r, g, b in rgb:
        planes[0].append(0.299 * r + 0.587 * g + 0.114 * b)
        planes[1].append(-0.168736 * r - 0.331264 * g + 0.5 * b + 128)
        planes[2].append(0.5 * r - 0.418688 * g - 0.081312 * b + 128)
    bits = BitWriter()
    previous = [0, 0, 0]
    for by in range(0, height, 8):
        for bx in range(0, width, 8):
            for c in range(3):
                t = 0 if c == 0 else 1
                block = [planes[c][(by + y) * width + bx + x] - 128
                         for y in range(8) for x in range(8)]
                coef = fdct(block)
                q = [int(round(coef[ZIGZAG[i]] / quant[t][ZIGZAG[i]])) for i in range(64)]
                size, value = magnitude(q[0] - previous[c])
                previous[c] = q[0]
                bits.put(*dc[t][size])
                bits.put(value, size)
                run = 0
                for i in range(1, 64):
                    if q[i] == 0:
                        run += 1
                        continue
                    while run > 15:
                        bits.put(*ac[t][0xF0])
                        run -= 16
                    size, value = magnitude(q[i])
                    bits.put(*ac[t][(run << 4) | size])
                    bits.put(value, size)
                    run = 0
                if run:
                    bits.put(*ac[t][0x00])
    scan = bits.finish()

    def segment(marker, payload):
        return bytes((0xFF, marker)) + struct.pack('>H', len(payload) + 2) + payload

    out = bytearray(b'\xff\xd8')
    out += segment(0xE0, b'JFIF\x00' + bytes((1, 0, 0)) + struct.pack('>HH', 1, 1) + b'\x00\x00')
    header_end = len(out)
    out += segment(0xDB, b''.join(bytes([t]) + bytes(quant[t][ZIGZAG[i]] for i in range(64))
                                  for t in (0, 1)))
    out += segment(0xC0, bytes((8,)) + struct.pack('>HH', height, width) + bytes(
        (3, 1, 0x11, 0, 2, 0x11, 1, 3, 0x11, 1)))
    tables = b''
    for cls_id, table in ((0x00, DC_LUMA), (0x10, AC_LUMA), (0x01, DC_CHROMA), (0x11, AC_CHROMA)):
        tables += bytes([cls_id]) + bytes(table[0]) + bytes(table[1])
    out += segment(0xC4, tables)
    out += segment(0xDA, bytes((3, 1, 0x00, 2, 0x11, 3, 0x11, 0, 63, 0)))
    out += scan + b'\xff\xd9'
    padding = file_size - len(out)
    assert padding >= 4, 'the picture is too big for its file size'
    comment = (b'Quillmere page image. ' * (padding // 22 + 1))[:padding - 4]
    return bytes(out[:header_end] + segment(0xFE, comment) + out[header_end:])


def paper():
    """Warm off-white paper with soft grain and a few fibres; it tiles
    without seams because every pattern repeats with the tile."""
    w = h = 64
    seed = [0x2545F491]

    def noise():
        seed[0] = (seed[0] * 1103515245 + 12345) & 0x7FFFFFFF
        return (seed[0] >> 8) / float(1 << 23) - 0.5

    grain = [noise() for _ in range(w * h)]
    rgb = []
    for y in range(h):
        for x in range(w):
            k = grain[y * w + x] * 10
            k += 3 * math.sin(2 * math.pi * (x + 2 * y) / 64) * math.sin(2 * math.pi * y / 32)
            if (x * 3 + y * 5) % 64 in (0, 1) and (x // 8) % 3 == 0:
                k -= 6
            rgb.append(tuple(max(0, min(255, round(base + k)))
                             for base in (244, 241, 230)))
    return jpeg(w, h, rgb, 2090)

# ------------------------------------------------------------- output ----


def c_array(name, data):
    lines = [f'const unsigned char {name}[] = {{']
    for i in range(0, len(data), 16):
        lines.append('    ' + ', '.join(f'0x{b:02X}' for b in data[i:i + 16]) + ',')
    lines.append('};')
    lines.append(f'const std::size_t {name}Size = sizeof {name};')
    return '\n'.join(lines)


def main():
    images = [('kN02Gif', divider()), ('kPaper10Jpg', paper()),
              ('kIconGif', bullet()), ('kLeftBgGif', pale_tile())]
    body = '\n\n'.join(c_array(n, d) for n, d in images)
    text = ('// Generated by images/make_page_images.py: the page images drawn by that\n'
            '// script. Do not edit by hand; change the script and run it again.\n\n'
            '#include "core/page_image_data.h"\n\nnamespace qm::image_data {\n\n'
            + body + '\n\n}  // namespace qm::image_data\n')
    target = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'page_image_data.cpp')
    with open(target, 'w') as f:
        f.write(text)
    for n, d in images:
        print(n, len(d))


if __name__ == '__main__':
    main()
