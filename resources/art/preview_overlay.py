#!/usr/bin/env python3
"""Shows where the debug overlay lands on the pad pictures.

Run from the repository root (python3, standard library only):

    python3 resources/art/preview_overlay.py [OUTPUT_DIR]

For each pad it reads the committed picture and the matching [LOCATION_360] or [LOCATION_PS3]
section of resources/defaults/setting.ini, and writes OUTPUT_DIR/preview_360.png and
preview_ps3.png (default OUTPUT_DIR: build/art-preview). Every dot is composed the way the
program does it (the mask with AND, then the icon with OR), every shoulder or trigger label is
a red 16 x 16 frame with its two letters, and the fixed overlay things are drawn in blue: the
stick boxes, the trigger bar and its labels, the two value lines and the "Press F11 to return"
line, plus the edge of the client area (about 414 x 351). The script exits with status 1 when
a place lies outside the client area, covers one of the fixed things, or differs from where
make_art.py drew its button.
"""

import configparser
import os
import struct
import sys
import zlib

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_art  # noqa: E402  (the stroke font and the key order)

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
ART = os.path.join(ROOT, "resources", "art")
SETTING_INI = os.path.join(ROOT, "resources", "defaults", "setting.ini")

CLIENT = (414, 351)
# Rectangles (left, top, right, bottom) of the overlay's fixed things. The value lines are
# 17 characters of the default font, about 8 x 16 pixels each.
FIXED = {
    "left stick box": (0, 0, 80, 80),
    "right stick box": (330, 0, 410, 80),
    "trigger bar": (125, 19, 285, 41),
    "left stick values": (20, 80, 156, 96),
    "right stick values": (20, 100, 156, 116),
    "capture line": (130, 300, 282, 316),
}
LABEL_SIZE = 16


def read_bmp(path):
    """Pixels of an uncompressed 4- or 8-bit BMP as rows of (r, g, b)."""
    with open(path, "rb") as f:
        data = f.read()
    offset = struct.unpack_from("<I", data, 10)[0]
    header = struct.unpack_from(make_art.BITMAPINFOHEADER, data, make_art.FILE_HEADER_SIZE)
    _size, width, height, _planes, bpp, compression, _img, _xr, _yr, used, _imp = header
    if compression != 0 or bpp not in (1, 4, 8):
        raise ValueError("%s: not an uncompressed palette bitmap" % path)
    colours = used or (1 << bpp)
    base = make_art.FILE_HEADER_SIZE + make_art.INFO_HEADER_SIZE
    palette = [struct.unpack_from("<BBBB", data, base + 4 * i)[:3][::-1] for i in range(colours)]
    stride = make_art.row_stride(width, bpp)
    rows = []
    for y in range(height):
        start = offset + (height - 1 - y) * stride
        row = []
        for x in range(width):
            bit = x * bpp
            v = (data[start + bit // 8] >> (8 - bpp - bit % 8)) & ((1 << bpp) - 1)
            row.append(palette[v])
        rows.append(row)
    return rows


def write_png(path, rows):
    height, width = len(rows), len(rows[0])
    raw = b"".join(b"\x00" + bytes(c for px in row for c in px) for row in rows)

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    ihdr = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def read_places(section):
    ini = configparser.ConfigParser()
    ini.optionxform = str  # keys keep their upper case
    ini.read(SETTING_INI)
    places = {}
    for stem in make_art.LOCATION_ORDER:
        places[stem] = (ini.getint(section, "P%sX" % stem), ini.getint(section, "P%sY" % stem))
    return places


def put(rows, x, y, colour):
    if 0 <= y < len(rows) and 0 <= x < len(rows[0]):
        rows[y][x] = colour


def frame(rows, rect, colour):
    left, top, right, bottom = rect
    for x in range(left, right):
        put(rows, x, top, colour)
        put(rows, x, bottom - 1, colour)
    for y in range(top, bottom):
        put(rows, left, y, colour)
        put(rows, right - 1, y, colour)


def draw_dot(rows, x, y, mask, icon):
    for dy in range(16):
        for dx in range(16):
            if not (0 <= y + dy < len(rows) and 0 <= x + dx < len(rows[0])):
                continue
            under = rows[y + dy][x + dx]
            m, i = mask[dy][dx], icon[dy][dx]
            rows[y + dy][x + dx] = tuple((u & mm) | ii for u, mm, ii in zip(under, m, i))


def draw_label(rows, x, y, text):
    canvas = make_art.Canvas(LABEL_SIZE, LABEL_SIZE)
    make_art.draw_text(canvas, text, 2, 4, 8, (255, 0, 0), 0.9)
    for dy, px in enumerate(canvas.rgba8()[i:i + LABEL_SIZE]
                            for i in range(0, LABEL_SIZE * LABEL_SIZE, LABEL_SIZE)):
        for dx, (r, g, b, a) in enumerate(px):
            if a and 0 <= y + dy < len(rows) and 0 <= x + dx < len(rows[0]):
                under = rows[y + dy][x + dx]
                rows[y + dy][x + dx] = tuple((c * a + u * (255 - a)) // 255
                                             for c, u in zip((r, g, b), under))
    frame(rows, (x, y, x + LABEL_SIZE, y + LABEL_SIZE), (255, 0, 0))


def overlaps(a, b):
    return a[0] < b[2] and b[0] < a[2] and a[1] < b[3] and b[1] < a[3]


def preview(picture, section, drawn_places, label_texts, output):
    rows = read_bmp(os.path.join(ART, picture))
    mask = read_bmp(os.path.join(ART, "dot_mask.bmp"))
    icon = read_bmp(os.path.join(ART, "dot_icon.bmp"))
    places = read_places(section)
    problems = []
    for stem in make_art.LOCATION_ORDER:
        if places[stem] != drawn_places[stem]:
            problems.append("%s: P%s is %r in setting.ini but the picture puts it at %r "
                            "(make_art.py --locations)" % (section, stem, places[stem],
                                                           drawn_places[stem]))
    for name, rect in FIXED.items():
        frame(rows, rect, (0, 90, 255))
    frame(rows, (0, 0, CLIENT[0], CLIENT[1]), (0, 160, 160))
    for stem in make_art.LOCATION_ORDER:
        x, y = places[stem]
        cell = (x, y, x + 16, y + 16)
        if x < 0 or y < 0 or cell[2] > CLIENT[0] or cell[3] > CLIENT[1]:
            problems.append("%s: P%s at (%d, %d) leaves the client area" % (section, stem, x, y))
        for name, rect in FIXED.items():
            if overlaps(cell, rect):
                problems.append("%s: P%s at (%d, %d) covers the %s" % (section, stem, x, y, name))
        if stem in make_art.LABELS:
            draw_label(rows, x, y, label_texts[stem])
        else:
            draw_dot(rows, x, y, mask, icon)
    write_png(output, rows)
    return problems


def main(argv):
    out = argv[0] if argv else os.path.join(ROOT, "build", "art-preview")
    os.makedirs(out, exist_ok=True)
    problems = preview("pad_360.bmp", "LOCATION_360", make_art.locations_360(),
                       {"LT": "LT", "LB": "LB", "RT": "RT", "RB": "RB"},
                       os.path.join(out, "preview_360.png"))
    problems += preview("pad_ps3.bmp", "LOCATION_PS3", make_art.locations_ps3(),
                        {"LT": "L2", "LB": "L1", "RT": "R2", "RB": "R1"},
                        os.path.join(out, "preview_ps3.png"))
    for p in problems:
        print(p)
    print("wrote %s" % out)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
