#!/usr/bin/env python3
"""Draws every picture and icon of qora.exe and writes them as BMP and ICO files.

Run from the repository root (python3, standard library only):

    python3 resources/art/make_art.py                 # rewrites resources/art/*.bmp, *.ico
    python3 resources/art/make_art.py --locations     # prints the [LOCATION_360] and
                                                      # [LOCATION_PS3] sections that fit
                                                      # the pads drawn here

The output is deterministic, so running it again without changes gives identical files. The
generated files are committed: the build needs no image tools.

Pictures (the numbers are the resource ids in qora.rc):
  132 pad_360.bmp   426 x 356  Xbox-360-style pad, 8 bits per pixel
  137 pad_ps3.bmp   425 x 360  PS3-style pad, 8 bits per pixel
  140 notice.bmp    425 x 360  shown while setting.ini names no console
  133 dot_mask.bmp  16 x 16    4 bits per pixel: white outside the disc, black inside
  134 dot_icon.bmp  16 x 16    4 bits per pixel: black outside the disc, red inside
  107 qora.ico      32 x 32 and 16 x 16, 32 bits per pixel with alpha
  108 qora_small.ico 16 x 16

The main window blits the pad at (0, 0) into a client area of about 414 x 351 pixels, and the
debug overlay draws fixed things on top: white stick boxes at (0,0)-(80,80) and (330,0)-(410,80),
the trigger bar (154,19)-(256,41) with labels at (125,20) and (265,20), the stick values at
(20,80) and (20,100), and "Press F11 to return" at (130,300). The pads are drawn so that these
places stay on plain background.

Drawing works on signed distance fields: each shape is a function giving the distance of a
pixel centre to its edge (negative inside), and painting blends the colour by the coverage
clamp(0.5 - distance), which anti-aliases every edge.
"""

import math
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))

# ---------------------------------------------------------------------------------------------
# Canvas and painting

class Canvas:
    """Premultiplied RGBA floats (0..1), row-major, y downward."""

    def __init__(self, width, height, background=None):
        self.width = width
        self.height = height
        if background is None:
            self.px = [(0.0, 0.0, 0.0, 0.0)] * (width * height)
        else:
            r, g, b = rgb(background)
            self.px = [(r, g, b, 1.0)] * (width * height)

    def paint(self, shape, colour, opacity=1.0, soft=0.0):
        """Blends colour over every pixel the shape covers.

        colour is an (r, g, b) triple of 0..255 values, or a function (x, y) -> triple for
        gradients. soft > 0 widens the edge to a blur of that many pixels (for shadows)."""
        x0, y0, x1, y1 = shape.bounds
        pad = 2 + int(soft)
        x0 = max(0, int(math.floor(x0)) - pad)
        y0 = max(0, int(math.floor(y0)) - pad)
        x1 = min(self.width - 1, int(math.ceil(x1)) + pad)
        y1 = min(self.height - 1, int(math.ceil(y1)) + pad)
        dist = shape.dist
        fixed = None if callable(colour) else rgb(colour)
        px = self.px
        for y in range(y0, y1 + 1):
            cy = y + 0.5
            row = y * self.width
            for x in range(x0, x1 + 1):
                cx = x + 0.5
                d = dist(cx, cy)
                if soft > 0.0:
                    a = 0.5 - d / (2.0 * soft)
                else:
                    a = 0.5 - d
                if a <= 0.0:
                    continue
                if a > 1.0:
                    a = 1.0
                a *= opacity
                r, g, b = fixed if fixed is not None else rgb(colour(cx, cy))
                pr, pg, pb, pa = px[row + x]
                k = 1.0 - a
                px[row + x] = (r * a + pr * k, g * a + pg * k, b * a + pb * k, a + pa * k)

    def outlined(self, shape, fill, outline, width=2.0):
        """An outline of the given width inside the shape's edge, the fill within it."""
        self.paint(shape, outline)
        self.paint(shape.inset(width), fill)

    def rgba8(self):
        """Straight (not premultiplied) 8-bit RGBA tuples."""
        out = []
        for r, g, b, a in self.px:
            if a <= 0.0:
                out.append((0, 0, 0, 0))
                continue
            out.append((to8(r / a), to8(g / a), to8(b / a), to8(a)))
        return out


def rgb(c):
    return (c[0] / 255.0, c[1] / 255.0, c[2] / 255.0)


def to8(v):
    return max(0, min(255, int(round(v * 255.0))))


def vertical_gradient(top_colour, bottom_colour, y_top, y_bottom):
    def colour(_x, y):
        t = min(1.0, max(0.0, (y - y_top) / float(y_bottom - y_top)))
        return tuple(top_colour[i] + (bottom_colour[i] - top_colour[i]) * t for i in range(3))

    return colour


# ---------------------------------------------------------------------------------------------
# Shapes: signed distance functions with a bounding box

class Shape:
    def __init__(self, dist, bounds):
        self.dist = dist
        self.bounds = bounds

    def inset(self, w):
        d = self.dist
        return Shape(lambda x, y: d(x, y) + w, self.bounds)

    def grow(self, w):
        d = self.dist
        x0, y0, x1, y1 = self.bounds
        return Shape(lambda x, y: d(x, y) - w, (x0 - w, y0 - w, x1 + w, y1 + w))

    def moved(self, dx, dy):
        d = self.dist
        x0, y0, x1, y1 = self.bounds
        return Shape(lambda x, y: d(x - dx, y - dy), (x0 + dx, y0 + dy, x1 + dx, y1 + dy))

    def mirrored(self, axis_x):
        """Mirror image about the vertical line x = axis_x."""
        d = self.dist
        x0, y0, x1, y1 = self.bounds
        return Shape(lambda x, y: d(2 * axis_x - x, y), (2 * axis_x - x1, y0, 2 * axis_x - x0, y1))


def circle(cx, cy, r):
    return Shape(lambda x, y: math.hypot(x - cx, y - cy) - r, (cx - r, cy - r, cx + r, cy + r))


def ellipse(cx, cy, rx, ry):
    m = min(rx, ry)

    def dist(x, y):
        return (math.hypot((x - cx) / rx, (y - cy) / ry) - 1.0) * m

    return Shape(dist, (cx - rx, cy - ry, cx + rx, cy + ry))


def round_box(cx, cy, hw, hh, r, angle=0.0):
    """Rectangle of half sizes hw, hh with corner radius r, turned by angle degrees."""
    ca = math.cos(math.radians(angle))
    sa = math.sin(math.radians(angle))
    bw, bh = hw - r, hh - r

    def dist(x, y):
        dx, dy = x - cx, y - cy
        lx, ly = abs(dx * ca + dy * sa) - bw, abs(-dx * sa + dy * ca) - bh
        out = math.hypot(max(lx, 0.0), max(ly, 0.0))
        return out + min(max(lx, ly), 0.0) - r

    ext = math.hypot(hw, hh)
    return Shape(dist, (cx - ext, cy - ext, cx + ext, cy + ext))


def segment_distance(x, y, ax, ay, bx, by):
    vx, vy = bx - ax, by - ay
    wx, wy = x - ax, y - ay
    ll = vx * vx + vy * vy
    t = 0.0 if ll == 0.0 else max(0.0, min(1.0, (wx * vx + wy * vy) / ll))
    return math.hypot(wx - vx * t, wy - vy * t)


def capsule(ax, ay, bx, by, r):
    return Shape(
        lambda x, y: segment_distance(x, y, ax, ay, bx, by) - r,
        (min(ax, bx) - r, min(ay, by) - r, max(ax, bx) + r, max(ay, by) + r),
    )


def polyline(points, r):
    """Round-capped strokes through the points."""
    segs = list(zip(points, points[1:])) or [(points[0], points[0])]

    def dist(x, y):
        return min(segment_distance(x, y, a[0], a[1], b[0], b[1]) for a, b in segs) - r

    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return Shape(dist, (min(xs) - r, min(ys) - r, max(xs) + r, max(ys) + r))


def polygon(points):
    """Any simple polygon (exact distance, sign by the even-odd rule)."""
    n = len(points)

    def dist(x, y):
        best = float("inf")
        inside = False
        for i in range(n):
            ax, ay = points[i]
            bx, by = points[i - 1]
            best = min(best, segment_distance(x, y, ax, ay, bx, by))
            if (ay > y) != (by > y) and x < (bx - ax) * (y - ay) / (by - ay) + ax:
                inside = not inside
        return -best if inside else best

    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return Shape(dist, (min(xs), min(ys), max(xs), max(ys)))


def smooth_union(shapes, k):
    """Union whose joins are filleted over about k pixels."""

    def dist(x, y):
        d = shapes[0].dist(x, y)
        for s in shapes[1:]:
            e = s.dist(x, y)
            h = max(k - abs(d - e), 0.0) / k
            d = min(d, e) - h * h * k * 0.25
        return d

    return Shape(dist, merge_bounds(shapes))


def union(shapes):
    return Shape(lambda x, y: min(s.dist(x, y) for s in shapes), merge_bounds(shapes))


def subtract(shape, cutter):
    return Shape(lambda x, y: max(shape.dist(x, y), -cutter.dist(x, y)), shape.bounds)


def merge_bounds(shapes):
    return (
        min(s.bounds[0] for s in shapes),
        min(s.bounds[1] for s in shapes),
        max(s.bounds[2] for s in shapes),
        max(s.bounds[3] for s in shapes),
    )


# ---------------------------------------------------------------------------------------------
# A stroke font of capitals, digits and a little punctuation, on a 4 x 6 grid (y downward,
# 6 = baseline). Each glyph is a list of strokes; each stroke a list of grid points.

def _arc(cx, cy, rx, ry, a0, a1, steps=8):
    return [
        (cx + rx * math.cos(math.radians(a0 + (a1 - a0) * i / steps)),
         cy + ry * math.sin(math.radians(a0 + (a1 - a0) * i / steps)))
        for i in range(steps + 1)
    ]


GLYPHS = {
    "A": [[(0, 6), (2, 0), (4, 6)], [(0.7, 4), (3.3, 4)]],
    "B": [[(0, 3), (0, 0), (2.6, 0)] + _arc(2.6, 1.5, 1.4, 1.5, -90, 90) + [(0, 3)],
          [(0, 3), (2.8, 3)] + _arc(2.8, 4.5, 1.2, 1.5, -90, 90) + [(0, 6), (0, 3)]],
    "C": [_arc(2.2, 3, 2.2, 3, -40, -320, 14)],
    "D": [[(0, 0), (1.8, 0)] + _arc(1.8, 3, 2.2, 3, -90, 90, 12) + [(0, 6), (0, 0)]],
    "E": [[(4, 0), (0, 0), (0, 6), (4, 6)], [(0, 3), (3, 3)]],
    "F": [[(4, 0), (0, 0), (0, 6)], [(0, 3), (3, 3)]],
    "G": [_arc(2.2, 3, 2.2, 3, -40, -360, 16) + [(4.4, 3.4), (2.5, 3.4)]],
    "H": [[(0, 0), (0, 6)], [(4, 0), (4, 6)], [(0, 3), (4, 3)]],
    "I": [[(1, 0), (3, 0)], [(2, 0), (2, 6)], [(1, 6), (3, 6)]],
    "J": [[(3.5, 0), (3.5, 4.4)] + _arc(1.9, 4.4, 1.6, 1.6, 0, 180)],
    "K": [[(0, 0), (0, 6)], [(4, 0), (0, 4)], [(1.3, 2.8), (4, 6)]],
    "L": [[(0, 0), (0, 6), (4, 6)]],
    "M": [[(0, 6), (0, 0), (2, 4), (4, 0), (4, 6)]],
    "N": [[(0, 6), (0, 0), (4, 6), (4, 0)]],
    "O": [_arc(2, 3, 2.1, 3, 0, 360, 20)],
    "P": [[(0, 6), (0, 0), (2.5, 0)] + _arc(2.5, 1.6, 1.5, 1.6, -90, 90) + [(0, 3.2)]],
    "Q": [_arc(2, 3, 2.1, 3, 0, 360, 20), [(2.6, 4.4), (4.2, 6.4)]],
    "R": [[(0, 6), (0, 0), (2.5, 0)] + _arc(2.5, 1.6, 1.5, 1.6, -90, 90) + [(0, 3.2)],
          [(2, 3.2), (4, 6)]],
    "S": [_arc(2, 1.5, 1.9, 1.5, -20, -270, 10) + _arc(2, 4.5, 2, 1.5, -90, 160, 10)],
    "T": [[(0, 0), (4, 0)], [(2, 0), (2, 6)]],
    "U": [[(0, 0), (0, 4)] + _arc(2, 4, 2, 2, 180, 0) + [(4, 0)]],
    "V": [[(0, 0), (2, 6), (4, 0)]],
    "W": [[(0, 0), (1, 6), (2, 2.2), (3, 6), (4, 0)]],
    "X": [[(0, 0), (4, 6)], [(4, 0), (0, 6)]],
    "Y": [[(0, 0), (2, 3), (4, 0)], [(2, 3), (2, 6)]],
    "Z": [[(0, 0), (4, 0), (0, 6), (4, 6)]],
    "0": [_arc(2, 3, 2, 3, 0, 360, 20)],
    "1": [[(0.8, 1.2), (2.3, 0), (2.3, 6)], [(0.8, 6), (3.8, 6)]],
    "2": [_arc(2, 1.8, 1.9, 1.8, 200, 360, 8) + _arc(2, 1.8, 1.9, 1.8, 0, 40, 3) + [(0, 6), (4, 6)]],
    "3": [_arc(2, 1.5, 1.8, 1.5, 210, 450, 10), _arc(2, 4.5, 2, 1.5, -90, 150, 10)],
    "4": [[(3, 6), (3, 0), (0, 4.2), (4, 4.2)]],
    "5": [[(3.8, 0), (0.4, 0), (0.2, 2.8)] + _arc(2, 4.2, 2, 1.8, -120, 150, 12)],
    "6": [_arc(2, 4.2, 2, 1.8, 0, 360, 16), [(0.05, 4), (0.8, 1.5), (2.6, 0)]],
    "7": [[(0, 0), (4, 0), (1.5, 6)]],
    "8": [_arc(2, 1.5, 1.7, 1.5, 0, 360, 14), _arc(2, 4.5, 2, 1.5, 0, 360, 14)],
    "9": [_arc(2, 1.8, 2, 1.8, 0, 360, 16), [(3.95, 2), (3.2, 4.5), (1.4, 6)]],
    ".": [[(2, 6), (2, 6)]],
    ",": [[(2.2, 5.6), (1.6, 7)]],
    ":": [[(2, 2), (2, 2)], [(2, 6), (2, 6)]],
    "=": [[(0.3, 2.2), (3.7, 2.2)], [(0.3, 4.2), (3.7, 4.2)]],
    "-": [[(0.6, 3.2), (3.4, 3.2)]],
    "+": [[(0.4, 3.2), (3.6, 3.2)], [(2, 1.6), (2, 4.8)]],
    "/": [[(0.4, 6.4), (3.6, -0.4)]],
    "[": [[(3, -0.4), (1.3, -0.4), (1.3, 6.4), (3, 6.4)]],
    "]": [[(1, -0.4), (2.7, -0.4), (2.7, 6.4), (1, 6.4)]],
    "(": [_arc(4.2, 3, 2.7, 3.6, 235, 125, 10)],
    ")": [_arc(-0.2, 3, 2.7, 3.6, -55, 55, 10)],
    ">": [[(0.5, 1), (3.5, 3.2), (0.5, 5.4)]],
    "'": [[(2, 0), (2, 1.6)]],
    " ": [],
}

GLYPH_ADVANCE = 6.0  # grid units from one character to the next


def text_width(text, size):
    """Width in pixels of text whose capitals are size pixels high."""
    return (len(text) * GLYPH_ADVANCE - 2.0) * size / 6.0


def draw_text(canvas, text, x, y, size, colour, weight=None):
    """Draws capitals size pixels high with the top-left of the first one at (x, y)."""
    scale = size / 6.0
    r = weight if weight is not None else max(0.55, size / 11.0)
    for i, ch in enumerate(text.upper()):
        strokes = GLYPHS[ch]
        if not strokes:
            continue
        ox = x + i * GLYPH_ADVANCE * scale
        shapes = [polyline([(ox + px * scale, y + py * scale) for px, py in s], r) for s in strokes]
        canvas.paint(union(shapes), colour)


def draw_text_centred(canvas, text, cx, y, size, colour, weight=None):
    draw_text(canvas, text, cx - text_width(text, size) / 2.0, y, size, colour, weight)


# ---------------------------------------------------------------------------------------------
# Colours

BACKGROUND = (244, 245, 247)
INK = (40, 44, 52)  # outlines and text
SHADOW = (60, 66, 80)
GREEN = (67, 160, 71)
RED = (221, 51, 51)
BLUE = (33, 118, 210)
YELLOW = (247, 196, 30)
PINK = (222, 110, 170)
WHITE = (255, 255, 255)

# ---------------------------------------------------------------------------------------------
# Pieces shared by both pads


def draw_stick(canvas, cx, cy, r, well, cap, rim):
    canvas.outlined(circle(cx, cy, r), well, INK, 1.6)
    canvas.paint(circle(cx + 1, cy + 2, r * 0.72), SHADOW, opacity=0.35, soft=2.0)
    canvas.outlined(circle(cx, cy, r * 0.72), rim, INK, 1.4)
    canvas.paint(circle(cx, cy, r * 0.5), cap)
    canvas.paint(circle(cx - r * 0.14, cy - r * 0.16, r * 0.28), WHITE, opacity=0.10, soft=3.0)


def draw_shadow(canvas, shape, dx=4, dy=6, blur=6.0, opacity=0.22):
    canvas.paint(shape.moved(dx, dy), SHADOW, opacity=opacity, soft=blur)


def shoulder_shapes(cx_left, axis):
    """Left and right bumper and trigger shapes for a pad whose left shoulder is near
    cx_left; mirrored about x = axis."""
    trigger = round_box(cx_left + 4, 133, 25, 14, 9, angle=-8)
    bumper = capsule(cx_left - 26, 155, cx_left + 30, 144, 8)
    return trigger, bumper, trigger.mirrored(axis), bumper.mirrored(axis)


def draw_shoulders(canvas, cx_left, axis, trigger_colour, bumper_colour, text_colour, names):
    """Triggers behind, bumpers in front; the trigger names are written on the triggers."""
    lt, lb, rt, rb = shoulder_shapes(cx_left, axis)
    for t in (lt, rt):
        canvas.outlined(t, trigger_colour, INK, 1.8)
    for b in (lb, rb):
        canvas.outlined(b, bumper_colour, INK, 1.8)
    draw_text_centred(canvas, names[0], cx_left + 4, 124, 7, text_colour)
    draw_text_centred(canvas, names[1], 2 * axis - (cx_left + 4), 124, 7, text_colour)


# ---------------------------------------------------------------------------------------------
# The Xbox-360-style pad, 426 x 356

PAD_360_SIZE = (426, 356)
AXIS_360 = 207  # the pad's middle: the client area is about 414 pixels wide

# Centres of the parts the overlay marks; the dots and labels are placed from these.
P360 = {
    "left_stick": (142, 192),
    "dpad": (174, 240),
    "face": (272, 192),
    "right_stick": (240, 240),
    "guide": (207, 180),
    "back": (180, 204),
    "start": (234, 204),
}
FACE_360_SPACING = 19
DPAD_360_REACH = 13  # from the pad centre to the centre of an arm's end


def pad_360_body():
    core = round_box(AXIS_360, 208, 124, 58, 46)
    grip_left = capsule(118, 226, 92, 286, 37)
    grip_right = grip_left.mirrored(AXIS_360)
    return smooth_union([core, grip_left, grip_right], 34.0)


def draw_pad_360():
    w, h = PAD_360_SIZE
    c = Canvas(w, h, BACKGROUND)
    body = pad_360_body()
    draw_shadow(c, union([body, shoulder_shapes(122, AXIS_360)[0],
                          shoulder_shapes(122, AXIS_360)[2]]))
    draw_shoulders(c, 122, AXIS_360, (176, 181, 189), (206, 210, 216), INK, ("LT", "RT"))
    c.paint(body, INK)
    c.paint(body.inset(2.0), vertical_gradient((250, 250, 251), (214, 218, 223), 150, 320))
    # a soft highlight along the top of the body
    c.paint(round_box(AXIS_360, 176, 96, 14, 14), WHITE, opacity=0.35, soft=8.0)

    lx, ly = P360["left_stick"]
    rx, ry = P360["right_stick"]
    for sx, sy in ((lx, ly), (rx, ry)):
        draw_stick(c, sx, sy, 24, (200, 204, 210), (84, 88, 96), (110, 115, 124))

    # D-pad: a cross on a round base
    dx, dy = P360["dpad"]
    c.outlined(circle(dx, dy, 24), (204, 208, 214), INK, 1.6)
    cross = union([round_box(dx, dy, 20, 7, 2.5), round_box(dx, dy, 7, 20, 2.5)])
    c.paint(cross.moved(1, 2), SHADOW, opacity=0.3, soft=1.5)
    c.outlined(cross, (92, 97, 105), INK, 1.4)
    c.paint(circle(dx, dy, 3.5), (72, 76, 84))
    for ax, ay, pts in (
        (0, -1, [(0, -4), (-3, 1), (3, 1)]),
        (0, 1, [(0, 4), (-3, -1), (3, -1)]),
        (-1, 0, [(-4, 0), (1, -3), (1, 3)]),
        (1, 0, [(4, 0), (-1, -3), (-1, 3)]),
    ):
        ox, oy = dx + ax * 14, dy + ay * 14
        c.paint(polygon([(ox + px, oy + py) for px, py in pts]), (170, 175, 182))

    # face buttons
    fx, fy = P360["face"]
    s = FACE_360_SPACING
    c.paint(circle(fx, fy, s + 12), (204, 208, 214), opacity=0.6)
    for (bx, by), colour, letter, letter_colour in (
        ((fx, fy - s), YELLOW, "Y", INK),
        ((fx - s, fy), BLUE, "X", WHITE),
        ((fx + s, fy), RED, "B", WHITE),
        ((fx, fy + s), GREEN, "A", WHITE),
    ):
        c.paint(circle(bx + 1, by + 2, 10), SHADOW, opacity=0.35, soft=1.5)
        c.outlined(circle(bx, by, 10), colour, INK, 1.5)
        c.paint(circle(bx - 2, by - 3, 5), WHITE, opacity=0.25, soft=2.5)
        draw_text_centred(c, letter, bx, by - 4.5, 9, letter_colour, weight=1.0)

    # guide: a plain round button with a ring; back and start: small ovals with arrows
    gx, gy = P360["guide"]
    c.outlined(circle(gx, gy, 14), (150, 156, 164), INK, 1.6)
    c.paint(circle(gx, gy, 10), (224, 228, 232))
    c.paint(circle(gx, gy, 6.5), (150, 156, 164))
    c.paint(circle(gx, gy, 4.5), (224, 228, 232))
    for (bx, by), pts in (
        (P360["back"], [(-3, 0), (2, -3), (2, 3)]),
        (P360["start"], [(3, 0), (-2, -3), (-2, 3)]),
    ):
        c.outlined(ellipse(bx, by, 9, 6), (120, 126, 134), INK, 1.4)
        c.paint(polygon([(bx + px, by + py) for px, py in pts]), WHITE)
    return c


def locations_360():
    """Top-left corners of the 16 x 16 dots and of the 2-character labels."""
    return locations_common(P360, FACE_360_SPACING, DPAD_360_REACH, 122, AXIS_360)


# ---------------------------------------------------------------------------------------------
# The PS3-style pad, 425 x 360

PAD_PS3_SIZE = (425, 360)
AXIS_PS3 = 207

PPS3 = {
    "dpad": (136, 194),
    "face": (278, 194),
    "left_stick": (172, 244),
    "right_stick": (242, 244),
    "select": (186, 196),
    "start": (228, 196),
    "home": (207, 224),
}
FACE_PS3_SPACING = 20
DPAD_PS3_REACH = 14

PS3_BODY = (58, 62, 70)
PS3_BODY_DARK = (36, 39, 45)
PS3_CAP = (30, 32, 37)
PS3_EDGE = (20, 22, 26)


def pad_ps3_body():
    core = round_box(AXIS_PS3, 206, 118, 50, 40)
    grip_left = capsule(120, 222, 96, 300, 33)
    grip_right = grip_left.mirrored(AXIS_PS3)
    bridge = round_box(AXIS_PS3, 240, 60, 24, 20)
    return smooth_union([core, grip_left, grip_right, bridge], 30.0)


def draw_pad_ps3():
    w, h = PAD_PS3_SIZE
    c = Canvas(w, h, BACKGROUND)
    body = pad_ps3_body()
    lt, lb, rt, rb = shoulder_shapes(126, AXIS_PS3)
    draw_shadow(c, union([body, lt, rt]))
    draw_shoulders(c, 126, AXIS_PS3, (92, 97, 106), (132, 138, 148), WHITE, ("L2", "R2"))
    c.paint(body, PS3_EDGE)
    c.paint(body.inset(2.0), vertical_gradient((84, 89, 98), PS3_BODY_DARK, 150, 330))
    c.paint(round_box(AXIS_PS3, 178, 92, 12, 12), WHITE, opacity=0.16, soft=8.0)

    # D-pad: four wedge keys pointing at the centre, in a shallow round dish
    dx, dy = PPS3["dpad"]
    c.paint(circle(dx, dy, 29), PS3_BODY_DARK, opacity=0.9)
    c.paint(circle(dx, dy, 29).inset(1.2), (48, 52, 59))
    for ax, ay in ((0, -1), (0, 1), (-1, 0), (1, 0)):
        # (across, along): a key from 5 to 26 pixels out, 14 wide, pointed at the centre
        def place(points):
            return [(dx + ax * along - ay * across, dy + ay * along + ax * across)
                    for across, along in points]

        key = polygon(place([(0, 5), (-7, 11), (-7, 26), (7, 26), (7, 11)]))
        c.paint(key.moved(1, 2), (0, 0, 0), opacity=0.35, soft=1.5)
        c.outlined(key, (86, 91, 100), PS3_EDGE, 1.3)
        c.paint(polygon(place([(0, 22), (-3.5, 17), (3.5, 17)])), (150, 156, 166))

    # face buttons: black caps with coloured symbols
    fx, fy = PPS3["face"]
    s = FACE_PS3_SPACING
    c.paint(circle(fx, fy, s + 13), PS3_BODY_DARK, opacity=0.9)
    for (bx, by) in ((fx, fy - s), (fx - s, fy), (fx + s, fy), (fx, fy + s)):
        c.paint(circle(bx + 1, by + 2, 10.5), (0, 0, 0), opacity=0.4, soft=1.5)
        c.outlined(circle(bx, by, 10.5), PS3_CAP, (96, 102, 112), 1.2)
    c.paint(polyline([(fx, fy - s - 5.5), (fx - 5.5, fy - s + 4), (fx + 5.5, fy - s + 4),
                      (fx, fy - s - 5.5)], 1.2), GREEN)
    c.paint(subtract(circle(fx + s, fy, 6.0), circle(fx + s, fy, 3.7)), RED)
    c.paint(union([capsule(fx - 4.5, fy + s - 4.5, fx + 4.5, fy + s + 4.5, 1.2),
                   capsule(fx - 4.5, fy + s + 4.5, fx + 4.5, fy + s - 4.5, 1.2)]), BLUE)
    c.paint(subtract(round_box(fx - s, fy, 5.5, 5.5, 0.8), round_box(fx - s, fy, 3.1, 3.1, 0.3)),
            PINK)

    for key in ("left_stick", "right_stick"):
        sx, sy = PPS3[key]
        draw_stick(c, sx, sy, 22, (44, 47, 54), (46, 49, 56), (70, 75, 84))

    # select: a small flat bar; start: a small triangle; home: a round button
    sx, sy = PPS3["select"]
    c.outlined(round_box(sx, sy, 7, 3.5, 1.5), (150, 156, 166), PS3_EDGE, 1.0)
    tx, ty = PPS3["start"]
    c.paint(polygon([(tx - 6, ty - 5), (tx + 7, ty), (tx - 6, ty + 5)]).grow(0.6), PS3_EDGE)
    c.paint(polygon([(tx - 5, ty - 3.8), (tx + 5, ty), (tx - 5, ty + 3.8)]), (150, 156, 166))
    draw_text_centred(c, "SELECT", sx, sy + 8, 5, (170, 176, 186), 0.6)
    draw_text_centred(c, "START", tx, ty + 8, 5, (170, 176, 186), 0.6)
    hx, hy = PPS3["home"]
    c.outlined(circle(hx, hy, 9), (30, 32, 37), (120, 126, 136), 1.4)
    c.paint(circle(hx, hy, 5), (150, 156, 166), opacity=0.5)
    return c


def locations_ps3():
    return locations_common(PPS3, FACE_PS3_SPACING, DPAD_PS3_REACH, 126, AXIS_PS3,
                            back="select", guide="home")


# ---------------------------------------------------------------------------------------------
# Overlay places


def locations_common(parts, spacing, reach, shoulder_x, axis, back="back", guide="guide"):
    """The 21 overlay places on a pad, keyed by their setting.ini key stems.

    Dots are 16 x 16 cells given by their top-left corner, so a dot centred on (x, y) sits at
    (x - 8, y - 8). Labels are two characters of the default font, about 16 x 16: they go
    beside their shoulder or trigger, outside the pad."""

    def dot(x, y):
        return (int(round(x)) - 8, int(round(y)) - 8)

    dx, dy = parts["dpad"]
    diag = reach * 0.75
    fx, fy = parts["face"]
    places = {
        "LC": dot(*parts["left_stick"]),
        "RC": dot(*parts["right_stick"]),
        "LEFT": dot(dx - reach, dy),
        "RIGHT": dot(dx + reach, dy),
        "DOWN": dot(dx, dy + reach),
        "UP": dot(dx, dy - reach),
        "UPLEFT": dot(dx - diag, dy - diag),
        "UPRIGHT": dot(dx + diag, dy - diag),
        "DOWNRIGHT": dot(dx + diag, dy + diag),
        "DOWNLEFT": dot(dx - diag, dy + diag),
        "BACK": dot(*parts[back]),
        "HOME": dot(*parts[guide]),
        "START": dot(*parts["start"]),
        "X": dot(fx - spacing, fy),
        "Y": dot(fx, fy - spacing),
        "A": dot(fx, fy + spacing),
        "B": dot(fx + spacing, fy),
    }
    # Trigger labels left of the left trigger and right of the right one; bumper labels
    # beside the outer end of the bumper.
    lt_label = (shoulder_x - 42, 118)
    lb_label = (shoulder_x - 56, 142)
    places["LT"] = lt_label
    places["LB"] = lb_label
    places["RT"] = (2 * axis - lt_label[0] - 16, lt_label[1])
    places["RB"] = (2 * axis - lb_label[0] - 16, lb_label[1])
    return places


# The order in which the program reads the keys.
LOCATION_ORDER = ["LC", "RC", "LEFT", "RIGHT", "DOWN", "UP", "UPLEFT", "UPRIGHT", "DOWNRIGHT",
                  "DOWNLEFT", "BACK", "HOME", "START", "X", "Y", "A", "B", "LT", "LB", "RT",
                  "RB"]
LABELS = {"LT", "LB", "RT", "RB"}


def location_lines(section, places):
    lines = ["[%s]" % section]
    for stem in LOCATION_ORDER:
        x, y = places[stem]
        lines.append("P%sX=%d" % (stem, x))
        lines.append("P%sY=%d" % (stem, y))
    return lines


# ---------------------------------------------------------------------------------------------
# The notice shown while no console is chosen, 425 x 360


NOTICE_SIZE = (425, 360)


def draw_notice():
    w, h = NOTICE_SIZE
    c = Canvas(w, h, BACKGROUND)
    card = round_box(207, 208, 188, 92, 10)
    draw_shadow(c, card, 3, 4, 5.0, 0.18)
    c.outlined(card, WHITE, (180, 186, 196), 1.2)
    # an "i" in a circle
    c.outlined(circle(207, 143, 15), BLUE, (20, 90, 170), 1.2)
    c.paint(circle(207, 136, 2.4), WHITE)
    c.paint(capsule(207, 142, 207, 151, 2.2), WHITE)

    draw_text_centred(c, "NO CONSOLE IS CHOSEN YET", 207, 168, 11, INK, 1.25)
    lines = [
        "1. OPEN SETTING.INI NEXT TO QORA.EXE.",
        "2. UNDER [SETTING] SET OSTYPE:",
        "      OSTYPE=0 FOR XBOX 360",
        "      OSTYPE=1 FOR PS3",
        "3. SAVE IT, CLOSE QORA AND OPEN IT AGAIN.",
    ]
    y = 192
    for line in lines:
        draw_text(c, line, 34, y, 8, (60, 66, 78), 0.8)
        y += 18
    return c


# ---------------------------------------------------------------------------------------------
# The overlay dot: 16 x 16, a disc 14 pixels across with a 1-pixel margin

DOT_ROWS = {0: None, 1: (5, 10), 2: (4, 11), 3: (3, 12), 4: (2, 13)}
for _r in range(5, 11):
    DOT_ROWS[_r] = (1, 14)
for _r in range(0, 5):
    DOT_ROWS[15 - _r] = DOT_ROWS[_r]


def dot_inside(x, y):
    span = DOT_ROWS[y]
    return span is not None and span[0] <= x <= span[1]


# The standard 16-colour palette, in its usual order (index: RGB).
VGA16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
         (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
         (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
VGA_BLACK, VGA_RED, VGA_WHITE = 0, 9, 15


def dot_pixels(inside, outside):
    return [inside if dot_inside(x, y) else outside for y in range(16) for x in range(16)]


# ---------------------------------------------------------------------------------------------
# Icons: a small pad on a rounded tile


def draw_icon(size):
    c = Canvas(size, size)
    k = size / 32.0
    tile = round_box(16 * k, 16 * k, 15.5 * k, 15.5 * k, 6 * k)
    c.paint(tile, BLUE)
    c.paint(tile.inset(max(1.0, 1.2 * k)), vertical_gradient((66, 150, 235), (24, 96, 184),
                                                             0, size))
    pad = smooth_union([
        round_box(16 * k, 15 * k, 11 * k, 5.5 * k, 5 * k),
        capsule(9 * k, 17 * k, 7.5 * k, 23 * k, 3.6 * k),
        capsule(23 * k, 17 * k, 24.5 * k, 23 * k, 3.6 * k),
    ], 4 * k)
    c.paint(pad, WHITE)
    if size >= 24:
        c.paint(union([round_box(10 * k, 15 * k, 3.4 * k, 1.1 * k, 0.4 * k),
                       round_box(10 * k, 15 * k, 1.1 * k, 3.4 * k, 0.4 * k)]), INK)
        for (bx, by), colour in (((22, 12.8), YELLOW), ((19.8, 15), BLUE), ((24.2, 15), RED),
                                 ((22, 17.2), GREEN)):
            c.paint(circle(bx * k, by * k, 1.25 * k), colour)
    else:
        c.paint(round_box(10 * k, 15 * k, 3.4 * k, 1.2 * k, 0.3), INK)
        c.paint(round_box(10 * k, 15 * k, 1.2 * k, 3.4 * k, 0.3), INK)
        c.paint(circle(22.5 * k, 15 * k, 2.2 * k), RED)
    return c


# ---------------------------------------------------------------------------------------------
# File writers

BITMAPFILEHEADER = "<2sIHHI"  # type, file size, reserved x2, pixel data offset
BITMAPINFOHEADER = "<IiiHHIIiiII"  # size, width, height, planes, bpp, compression, image size,
# x and y pixels per metre, colours used, colours important
FILE_HEADER_SIZE = 14
INFO_HEADER_SIZE = 40


def row_stride(width, bpp):
    return ((width * bpp + 31) // 32) * 4


def pack_rows(width, height, indices, bpp):
    """Bottom-up rows of palette indices, each padded to 4 bytes."""
    stride = row_stride(width, bpp)
    out = bytearray()
    per_byte = 8 // bpp
    for y in range(height - 1, -1, -1):
        row = bytearray(stride)
        for x in range(width):
            v = indices[y * width + x]
            byte, slot = divmod(x, per_byte)
            shift = 8 - bpp * (slot + 1)
            row[byte] |= v << shift
        out += row
    return bytes(out)


def bmp_bytes(width, height, bpp, palette, indices):
    palette_bytes = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    pixels = pack_rows(width, height, indices, bpp)
    offset = FILE_HEADER_SIZE + INFO_HEADER_SIZE + len(palette_bytes)
    info = struct.pack(BITMAPINFOHEADER, INFO_HEADER_SIZE, width, height, 1, bpp, 0, len(pixels),
                       2835, 2835, len(palette), 0)
    head = struct.pack(BITMAPFILEHEADER, b"BM", offset + len(pixels), 0, 0, offset)
    return head + info + palette_bytes + pixels


def quantize(pixels):
    """At most 256 colours: the most frequent colours (bucketed to 5 bits a channel, each
    bucket its mean) as the palette, every pixel mapped to its nearest entry."""
    buckets = {}
    for r, g, b, _a in pixels:
        key = (r >> 3, g >> 3, b >> 3)
        e = buckets.get(key)
        if e is None:
            buckets[key] = [1, r, g, b]
        else:
            e[0] += 1
            e[1] += r
            e[2] += g
            e[3] += b
    ranked = sorted(buckets.items(), key=lambda kv: (-kv[1][0], kv[0]))[:256]
    palette = [(round(e[1] / e[0]), round(e[2] / e[0]), round(e[3] / e[0])) for _k, e in ranked]
    nearest = {}
    indices = []
    for r, g, b, _a in pixels:
        key = (r, g, b)
        i = nearest.get(key)
        if i is None:
            i = min(range(len(palette)), key=lambda j: (palette[j][0] - r) ** 2 +
                    (palette[j][1] - g) ** 2 + (palette[j][2] - b) ** 2)
            nearest[key] = i
        indices.append(i)
    return palette, indices


def write_picture(path, canvas):
    palette, indices = quantize(canvas.rgba8())
    with open(path, "wb") as f:
        f.write(bmp_bytes(canvas.width, canvas.height, 8, palette, indices))


def write_dot(path, inside, outside):
    with open(path, "wb") as f:
        f.write(bmp_bytes(16, 16, 4, VGA16, dot_pixels(inside, outside)))


def icon_image(canvas):
    """One ICO image: BITMAPINFOHEADER of double height, 32-bit BGRA rows bottom-up, then the
    1-bit AND mask (set where fully transparent)."""
    w = h = canvas.width
    px = canvas.rgba8()
    info = struct.pack(BITMAPINFOHEADER, INFO_HEADER_SIZE, w, 2 * h, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = bytearray()
    for y in range(h - 1, -1, -1):
        for x in range(w):
            r, g, b, a = px[y * w + x]
            colour += bytes((b, g, r, a))
    mask = pack_rows(w, h, [1 if p[3] == 0 else 0 for p in px], 1)
    return info + bytes(colour) + mask


def ico_bytes(canvases):
    images = [icon_image(c) for c in canvases]
    head = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for c, img in zip(canvases, images):
        dim = c.width % 256
        entries += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    return head + entries + b"".join(images)


def write_icon(path, sizes):
    with open(path, "wb") as f:
        f.write(ico_bytes([draw_icon(s) for s in sizes]))


# ---------------------------------------------------------------------------------------------


def main(argv):
    if "--locations" in argv:
        print("\n".join(location_lines("LOCATION_360", locations_360())))
        print()
        print("\n".join(location_lines("LOCATION_PS3", locations_ps3())))
        return 0
    out = HERE
    write_dot(os.path.join(out, "dot_mask.bmp"), VGA_BLACK, VGA_WHITE)
    write_dot(os.path.join(out, "dot_icon.bmp"), VGA_RED, VGA_BLACK)
    write_icon(os.path.join(out, "qora.ico"), [32, 16])
    write_icon(os.path.join(out, "qora_small.ico"), [16])
    write_picture(os.path.join(out, "notice.bmp"), draw_notice())
    write_picture(os.path.join(out, "pad_360.bmp"), draw_pad_360())
    write_picture(os.path.join(out, "pad_ps3.bmp"), draw_pad_ps3())
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
