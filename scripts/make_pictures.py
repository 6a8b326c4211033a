#!/usr/bin/env python3
"""Draws every picture Corvala ships: the pictures under resources/img and
the four small icons compiled into the executable (resources/icons).

The icons are built from a handful of flat shapes rendered with 6 x 6
supersampling, so the script needs nothing but Python; ImageMagick's
`convert` packs the window icon (.ico), the logo (.bmp) and the download
button (.jpg), and `montage` makes the optional contact sheet.

    scripts/make_pictures.py              write resources/img, resources/icons and the
                                          menu icons under resources/hicolor
    scripts/make_pictures.py --sheet F    also write a contact sheet (1x and 4x) to F

Pictures drawn on the business cards (person icons, stars) are masked with
white by the program, so they never use pure white inside; every fully
transparent pixel carries white so that the mask hides it as well.
"""
import math
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
IMG = os.path.join(ROOT, "resources", "img")
ICONS = os.path.join(ROOT, "resources", "icons")
HICOLOR = os.path.join(ROOT, "resources", "hicolor")
APP_ID = "example.marrowind.Corvala"
# Sizes of the menu icon in the freedesktop icon theme.
HICOLOR_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)

# One palette for the whole set.
INK = (0x34, 0x41, 0x4E)
SLATE = (0x6B, 0x77, 0x85)
SLATE_DARK = (0x4E, 0x59, 0x66)
BLUE = (0x3B, 0x7D, 0xD8)
BLUE_DARK = (0x2A, 0x5F, 0xAE)
BLUE_LIGHT = (0x8F, 0xB8, 0xEC)
ROSE = (0xE0, 0x60, 0x7E)
ROSE_DARK = (0xB8, 0x45, 0x62)
TEAL = (0x1F, 0x8A, 0x86)
TEAL_DARK = (0x16, 0x6A, 0x67)
TEAL_LIGHT = (0x7C, 0xC4, 0xBE)
GREEN = (0x3E, 0xA0, 0x4F)
GREEN_LIGHT = (0xB9, 0xE0, 0xBF)
RED = (0xDE, 0x3F, 0x3A)
ORANGE = (0xF2, 0x9A, 0x1F)
ORANGE_DARK = (0xC9, 0x77, 0x0E)
PINK = (0xF0, 0x9A, 0xA8)
SKIN = (0xF4, 0xC9, 0xA3)
HAIR_M = (0x5B, 0x40, 0x2E)
HAIR_F = (0x8E, 0x4A, 0x2B)
PAPER = (0xF7, 0xF8, 0xFA)  # off-white: stays visible where white is masked
PAPER_EDGE = (0x8C, 0x98, 0xA6)
WHITE = (0xFF, 0xFF, 0xFF)
GOLD = (0xF7, 0xC2, 0x2F)
GOLD_EDGE = (0xD3, 0x96, 0x0A)
AMBER = (0xF5, 0xA1, 0x23)
AMBER_EDGE = (0xC7, 0x76, 0x08)
FLAME = (0xEE, 0x6A, 0x2C)
FLAME_EDGE = (0xBF, 0x47, 0x12)
STAR_EMPTY = (0xE0, 0xDA, 0xD6)
STAR_EMPTY_EDGE = (0x98, 0x90, 0x8B)

SS = 6  # subsamples per pixel side


# ---------------------------------------------------------------- shapes
# A shape is a predicate on a point (pixel (i, j) covers [i, i+1) x [j, j+1))
# plus a bounding box used to skip pixels.

class Shape:
    def __init__(self, inside, box):
        self.inside = inside
        self.box = box  # x0, y0, x1, y1

    def __or__(self, other):
        a, b = self, other
        return Shape(lambda x, y: a.inside(x, y) or b.inside(x, y),
                     (min(a.box[0], b.box[0]), min(a.box[1], b.box[1]),
                      max(a.box[2], b.box[2]), max(a.box[3], b.box[3])))

    def __sub__(self, other):
        a, b = self, other
        return Shape(lambda x, y: a.inside(x, y) and not b.inside(x, y), a.box)

    def __and__(self, other):
        a, b = self, other
        return Shape(lambda x, y: a.inside(x, y) and b.inside(x, y),
                     (max(a.box[0], b.box[0]), max(a.box[1], b.box[1]),
                      min(a.box[2], b.box[2]), min(a.box[3], b.box[3])))


def circle(cx, cy, r):
    r2 = r * r
    return Shape(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r2,
                 (cx - r, cy - r, cx + r, cy + r))


def ellipse(cx, cy, rx, ry):
    return Shape(lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0,
                 (cx - rx, cy - ry, cx + rx, cy + ry))


def rect(x0, y0, x1, y1, r=0.0):
    def inside(x, y):
        if x < x0 or x > x1 or y < y0 or y > y1:
            return False
        if r <= 0:
            return True
        dx = max(x0 + r - x, 0, x - (x1 - r))
        dy = max(y0 + r - y, 0, y - (y1 - r))
        return dx * dx + dy * dy <= r * r
    return Shape(inside, (x0, y0, x1, y1))


def halfplane_above(yl):
    return Shape(lambda x, y: y < yl, (-1e9, -1e9, 1e9, yl))


def poly(points):
    pts = list(points)
    n = len(pts)

    def inside(x, y):
        c = False
        j = n - 1
        for i in range(n):
            xi, yi = pts[i]
            xj, yj = pts[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                c = not c
            j = i
        return c
    xs = [p[0] for p in pts]
    ys = [p[1] for p in pts]
    return Shape(inside, (min(xs), min(ys), max(xs), max(ys)))


def capsule(x0, y0, x1, y1, w):
    h = w / 2.0
    dx, dy = x1 - x0, y1 - y0
    ll = dx * dx + dy * dy or 1e-9

    def inside(x, y):
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / ll))
        px, py = x0 + t * dx - x, y0 + t * dy - y
        return px * px + py * py <= h * h
    return Shape(inside, (min(x0, x1) - h, min(y0, y1) - h, max(x0, x1) + h, max(y0, y1) + h))


def ring(cx, cy, r, w):
    return circle(cx, cy, r + w / 2.0) - circle(cx, cy, r - w / 2.0)


def arc(cx, cy, r, w, a0, a1):
    """Ring sector from angle a0 to a1 (degrees, clockwise on screen, 0 = east)."""
    base = ring(cx, cy, r, w)

    def inside(x, y):
        if not base.inside(x, y):
            return False
        a = math.degrees(math.atan2(y - cy, x - cx)) % 360.0
        lo = a0 % 360.0
        span = (a1 - a0) % 360.0
        return (a - lo) % 360.0 <= span
    return Shape(inside, base.box)


def star(cx, cy, ro, ri, rot=-90.0):
    pts = []
    for k in range(10):
        r = ro if k % 2 == 0 else ri
        a = math.radians(rot + k * 36.0)
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return poly(pts)


def along(x0, y0, angle):
    """Maps (u, v) along a direction at `angle` degrees from (x0, y0)."""
    ca, sa = math.cos(math.radians(angle)), math.sin(math.radians(angle))
    return lambda u, v: (x0 + u * ca - v * sa, y0 + u * sa + v * ca)


# ---------------------------------------------------------------- canvas

class Canvas:
    def __init__(self, w, h=None):
        self.w = w
        self.h = h if h is not None else w
        # premultiplied RGBA as floats 0..1
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(self.w * self.h)]
        n = SS
        self.offsets = [((i + 0.5) / n, (j + 0.5) / n) for i in range(n) for j in range(n)]

    def _cover(self, shape):
        x0, y0, x1, y1 = shape.box
        i0, j0 = max(0, int(math.floor(x0))), max(0, int(math.floor(y0)))
        i1, j1 = min(self.w, int(math.ceil(x1)) + 1), min(self.h, int(math.ceil(y1)) + 1)
        total = float(len(self.offsets))
        for j in range(j0, j1):
            for i in range(i0, i1):
                k = 0
                for ox, oy in self.offsets:
                    if shape.inside(i + ox, j + oy):
                        k += 1
                if k:
                    yield j * self.w + i, k / total

    def fill(self, shape, color, alpha=1.0):
        r, g, b = (c / 255.0 for c in color)
        for idx, cov in self._cover(shape):
            a = cov * alpha
            p = self.px[idx]
            p[0] = r * a + p[0] * (1 - a)
            p[1] = g * a + p[1] * (1 - a)
            p[2] = b * a + p[2] * (1 - a)
            p[3] = a + p[3] * (1 - a)

    def cut(self, shape):
        for idx, cov in self._cover(shape):
            p = self.px[idx]
            for c in range(4):
                p[c] *= (1 - cov)

    def paste(self, other, dx, dy):
        for j in range(other.h):
            for i in range(other.w):
                x, y = i + dx, j + dy
                if 0 <= x < self.w and 0 <= y < self.h:
                    s = other.px[j * other.w + i]
                    p = self.px[y * self.w + x]
                    a = s[3]
                    for c in range(4):
                        p[c] = s[c] + p[c] * (1 - a)

    def paste_over(self, other, dx, dy, gap):
        """Pastes `other` with a transparent gap of `gap` pixels around it, so
        that a front figure stands clear of what lies behind it."""
        g = int(math.ceil(gap))
        for j in range(self.h):
            for i in range(self.w):
                best = 0.0
                for v in range(-g, g + 1):
                    for u in range(-g, g + 1):
                        if u * u + v * v > gap * gap + 0.5:
                            continue
                        x, y = i - dx + u, j - dy + v
                        if 0 <= x < other.w and 0 <= y < other.h:
                            best = max(best, other.px[y * other.w + x][3])
                if best:
                    p = self.px[j * self.w + i]
                    for c in range(4):
                        p[c] *= (1 - best)
        self.paste(other, dx, dy)

    def rgba_bytes(self):
        out = bytearray()
        for p in self.px:
            a = p[3]
            if a <= 1.0 / 512:
                out += bytes((255, 255, 255, 0))
                continue
            rgb = [min(255, int(round(p[c] / a * 255))) for c in range(3)]
            alpha = min(255, int(round(a * 255)))
            if alpha == 255 and rgb == [255, 255, 255] and getattr(self, "no_white", False):
                rgb = [254, 254, 254]
            out += bytes(rgb + [alpha])
        return bytes(out)

    def save_png(self, path):
        raw = self.rgba_bytes()
        stride = self.w * 4
        data = b"".join(b"\x00" + raw[y * stride:(y + 1) * stride] for y in range(self.h))

        def chunk(tag, body):
            c = struct.pack(">I", len(body)) + tag + body
            return c + struct.pack(">I", zlib.crc32(tag + body) & 0xFFFFFFFF)
        png = b"\x89PNG\r\n\x1a\n"
        png += chunk(b"IHDR", struct.pack(">IIBBBBB", self.w, self.h, 8, 6, 0, 0, 0))
        png += chunk(b"IDAT", zlib.compress(data, 9))
        png += chunk(b"IEND", b"")
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(png)


# ---------------------------------------------------------------- motifs

def person(c, x, y, w, female, shirt=None):
    """Head and shoulders in a w x w box at (x, y)."""
    cx = x + w / 2.0
    hr = 0.205 * w
    hy = y + 0.29 * w
    shirt = shirt or (ROSE if female else BLUE)
    body = rect(cx - 0.42 * w, y + 0.61 * w, cx + 0.42 * w, y + w + 0.3 * w, 0.26 * w)
    body = body & rect(x - 1, y, x + w + 1, y + w)
    c.fill(body, shirt)
    # collar: a small skin-coloured V under the chin
    c.fill(poly([(cx - 0.10 * w, y + 0.60 * w), (cx + 0.10 * w, y + 0.60 * w), (cx, y + 0.76 * w)]), SKIN)
    if female:
        hair = circle(cx, hy - 0.01 * w, hr * 1.22) | rect(cx - hr * 1.22, hy, cx + hr * 1.22, hy + hr * 1.45, hr * 0.35)
        c.fill(hair, HAIR_F)
        c.fill(circle(cx, hy + 0.03 * w, hr * 0.92), SKIN)
        fringe = circle(cx, hy - 0.01 * w, hr * 1.22) & halfplane_above(hy - 0.30 * hr)
        c.fill(fringe - circle(cx + hr * 0.55, hy + 0.2 * hr, hr * 0.75), HAIR_F)
    else:
        c.fill(circle(cx, hy, hr), SKIN)
        cap = circle(cx, hy - 0.08 * hr, hr * 1.06) & halfplane_above(hy - 0.28 * hr)
        c.fill(cap, HAIR_M)


def badge_ring(c, cx, cy, r, gap):
    c.cut(circle(cx, cy, r + gap))


def plus_badge(c, cx, cy, r, gap):
    badge_ring(c, cx, cy, r, gap)
    c.fill(circle(cx, cy, r), GREEN)
    t = max(1.0, r * 0.42)
    l = r * 0.62
    c.fill(rect(cx - l, cy - t / 2, cx + l, cy + t / 2), WHITE)
    c.fill(rect(cx - t / 2, cy - l, cx + t / 2, cy + l), WHITE)


def cross_badge(c, cx, cy, r, gap):
    badge_ring(c, cx, cy, r, gap)
    c.fill(circle(cx, cy, r), RED)
    t = max(1.0, r * 0.40)
    l = r * 0.42
    c.fill(capsule(cx - l, cy - l, cx + l, cy + l, t), WHITE)
    c.fill(capsule(cx - l, cy + l, cx + l, cy - l, t), WHITE)


def pencil(c, x0, y0, length, width, gap=0.0, angle=-45.0):
    """Pencil whose tip is at (x0, y0), pointing down-left by default."""
    m = along(x0, y0, angle)
    h = width / 2.0
    tip = length * 0.24
    if gap:
        c.cut(poly([m(-gap * 1.2, 0), m(tip, -h - gap), m(length + gap, -h - gap),
                    m(length + gap, h + gap), m(tip, h + gap)]))
    c.fill(poly([m(0, 0), m(tip, -h), m(tip, h)]), SKIN)
    c.fill(poly([m(0, 0), m(tip * 0.42, -h * 0.42), m(tip * 0.42, h * 0.42)]), INK)
    c.fill(poly([m(tip, -h), m(length * 0.80, -h), m(length * 0.80, h), m(tip, h)]), ORANGE)
    c.fill(poly([m(tip, 0), m(length * 0.80, 0), m(length * 0.80, h), m(tip, h)]), ORANGE_DARK)
    c.fill(poly([m(length * 0.80, -h), m(length, -h), m(length, h), m(length * 0.80, h)]), PINK)


def tag_shape(x, y, w, h):
    """Label pointing left, box (x, y, w, h)."""
    n = h * 0.5
    return poly([(x, y + h / 2.0), (x + n, y), (x + w, y), (x + w, y + h), (x + n, y + h)])


def tag(c, x, y, w, h, color, hole_color=None):
    body = tag_shape(x, y, w, h) & rect(x, y, x + w, y + h)
    r = min(w, h) * 0.13
    c.fill(body - circle(x + h * 0.55, y + h / 2.0, max(r, 0.9)), color)


def sheet(c, x0, y0, x1, y1, stroke):
    c.fill(rect(x0, y0, x1, y1, stroke * 1.2), PAPER_EDGE)
    c.fill(rect(x0 + stroke, y0 + stroke, x1 - stroke, y1 - stroke, stroke * 0.3), PAPER)


def clock(c, cx, cy, r, w):
    c.fill(circle(cx, cy, r), PAPER)
    c.fill(ring(cx, cy, r - w / 2.0, w), TEAL)
    hw = max(1.0, w * 0.8)
    c.fill(capsule(cx, cy, cx, cy - r * 0.58, hw), INK)
    c.fill(capsule(cx, cy, cx + r * 0.45, cy + r * 0.10, hw), INK)
    c.fill(circle(cx, cy, hw * 0.75), RED)


def gear(c, cx, cy, r_out, r_body, r_hole, teeth, tooth_w, color):
    body = circle(cx, cy, r_body)
    shape = body
    for k in range(teeth):
        a = math.radians(k * 360.0 / teeth)
        ca, sa = math.cos(a), math.sin(a)

        def inside(x, y, ca=ca, sa=sa):
            u = (x - cx) * ca + (y - cy) * sa
            v = -(x - cx) * sa + (y - cy) * ca
            return 0 <= u <= r_out and abs(v) <= tooth_w / 2.0
        shape = shape | Shape(inside, (cx - r_out, cy - r_out, cx + r_out, cy + r_out))
    shape = shape & circle(cx, cy, r_out)
    c.fill(shape - circle(cx, cy, r_hole), color)


def refresh(c, cx, cy, r, w, color):
    head = w * 1.35
    for a0 in (200.0, 20.0):
        a1 = a0 + 130.0
        c.fill(arc(cx, cy, r, w, a0, a1), color)
        # arrow head at the end of each arc, pointing along the turn
        a = math.radians(a1)
        ex, ey = cx + r * math.cos(a), cy + r * math.sin(a)
        tx, ty = -math.sin(a), math.cos(a)  # clockwise tangent
        nx, ny = math.cos(a), math.sin(a)
        c.fill(poly([(ex + nx * head, ey + ny * head), (ex - nx * head, ey - ny * head),
                     (ex + tx * head * 1.3, ey + ty * head * 1.3)]), color)


def info(c, s):
    cx = cy = s / 2.0
    c.fill(circle(cx, cy, s * 0.46), BLUE)
    t = max(2.0, round(s * 0.14))
    c.fill(circle(cx, cy - s * 0.22, t * 0.62), WHITE)
    c.fill(rect(cx - t / 2.0, cy - s * 0.08, cx + t / 2.0, cy + s * 0.28, t * 0.2), WHITE)


def arrow_right(c, x0, y, x1, w, head, color):
    c.fill(rect(x0, y - w / 2.0, x1 - head * 0.9, y + w / 2.0), color)
    c.fill(poly([(x1 - head * 1.1, y - head), (x1, y), (x1 - head * 1.1, y + head)]), color)


# ---------------------------------------------------------------- pictures

def pic_person(s, female):
    c = Canvas(s)
    c.no_white = True
    person(c, 0, 0, s, female)
    return c


def pic_person_not_stated(s):
    """A plain slate silhouette, for a contact whose sex is not known."""
    c = Canvas(s)
    c.no_white = True
    w = float(s)
    cx = w / 2.0
    body = rect(cx - 0.42 * w, 0.61 * w, cx + 0.42 * w, 1.3 * w, 0.26 * w) & rect(-1, 0, w + 1, w)
    c.fill(body, SLATE)
    c.fill(circle(cx, 0.29 * w, 0.205 * w), SLATE)
    return c


def pic_contact_new(s):
    c = Canvas(s)
    person(c, 0, 0, s * 0.90, False)
    r = s * 0.24
    plus_badge(c, s - r - 0.02 * s, s - r - 0.02 * s, r, max(1.0, s * 0.05))
    return c


def pic_contact_edit(s):
    c = Canvas(s)
    person(c, 0, 0, s * 0.90, False)
    pencil(c, s * 0.40, s * 0.98, s * 0.80, max(3.0, s * 0.19), gap=max(1.0, s * 0.05))
    return c


def pic_contact_multi_edit(s):
    c = Canvas(s)
    person(c, s * 0.38, 0, s * 0.56, True)
    front = Canvas(s)
    person(front, 0, s * 0.18, s * 0.78, False)
    c.paste_over(front, 0, 0, max(1.0, s * 0.04))
    pencil(c, s * 0.50, s * 0.98, s * 0.62, max(3.0, s * 0.17), gap=max(1.0, s * 0.05))
    return c


def pic_delete(s):
    c = Canvas(s)
    person(c, 0, 0, s * 0.90, False)
    r = s * 0.24
    cross_badge(c, s - r - 0.02 * s, s - r - 0.02 * s, r, max(1.0, s * 0.05))
    return c


def pic_copy(s):
    c = Canvas(s)
    person(c, s * 0.32, 0, s * 0.68, False, shirt=BLUE_LIGHT)
    front = Canvas(s)
    person(front, 0, s * 0.20, s * 0.80, False)
    c.paste_over(front, 0, 0, max(1.0, s * 0.05))
    return c


def pic_tag(s):
    c = Canvas(s)
    if s >= 32:
        # two labels: the second one peeks out behind the first
        tag(c, s * 0.20, s * 0.06, s * 0.78, s * 0.42, TEAL_LIGHT)
        front = Canvas(s)
        tag(front, s * 0.02, s * 0.50, s * 0.78, s * 0.42, TEAL)
        c.paste_over(front, 0, 0, max(1.0, s * 0.04))
    else:
        h = round(s * 0.62)
        y = round((s - h) / 2.0)
        tag(c, 0.5, y, s - 1.0, h, TEAL)
    return c


def pic_import(s):
    c = Canvas(s)
    st = max(1.0, round(s / 16.0))
    x0, y0, x1, y1 = round(s * 0.30), round(s * 0.04), s - round(s * 0.04), s - round(s * 0.04)
    sheet(c, x0, y0, x1, y1, st)
    # a spreadsheet: green header row and grid lines
    hx0, hx1 = x0 + st, x1 - st
    c.fill(rect(hx0, y0 + st, hx1, y0 + st + max(2.0, round(s * 0.16))), GREEN)
    rows = 3 if s < 32 else 4
    top = y0 + st + max(2.0, round(s * 0.16))
    step = (y1 - st - top) / (rows + 0.0)
    for k in range(1, rows):
        yy = round(top + k * step)
        c.fill(rect(hx0, yy - st / 2.0, hx1, yy + st / 2.0), GREEN_LIGHT)
    xx = round((x0 + x1) / 2.0 + s * 0.05)
    c.fill(rect(xx - st / 2.0, top, xx + st / 2.0, y1 - st), GREEN_LIGHT)
    # arrow going into the sheet
    ay = round(s * 0.60) + (0.5 if st % 2 else 0)
    w = max(2.0, round(s * 0.16))
    head = max(3.0, s * 0.22)
    gap = max(1.0, s * 0.05)
    c.cut(rect(0, ay - head - gap, s * 0.72 + gap, ay + head + gap) &
          (rect(0, ay - w / 2 - gap, s * 0.72 - head, ay + w / 2 + gap) |
           poly([(s * 0.72 - head * 1.1 - gap, ay - head - gap * 1.6), (s * 0.72 + gap * 1.5, ay),
                 (s * 0.72 - head * 1.1 - gap, ay + head + gap * 1.6)])))
    arrow_right(c, 0, ay, s * 0.72, w, head, BLUE)
    return c


def pic_setting(s):
    c = Canvas(s)
    cx = cy = s / 2.0
    gear(c, cx, cy, s * 0.48, s * 0.34, s * 0.15, 8, s * 0.16, SLATE)
    return c


def pic_update(s):
    c = Canvas(s)
    cx = cy = s / 2.0
    w = max(2.0, s * 0.14)
    refresh(c, cx, cy, s * 0.33, w, GREEN)
    return c


def pic_about(s):
    c = Canvas(s)
    info(c, s)
    return c


def pic_history(s):
    c = Canvas(s)
    cx = cy = s / 2.0
    clock(c, cx, cy, s * 0.47, max(1.5, s * 0.11))
    return c


def pic_star(kind):
    s = 16
    c = Canvas(s)
    c.no_white = True
    fill, edge = {
        "00": (STAR_EMPTY, STAR_EMPTY_EDGE),
        "05": (GOLD, GOLD_EDGE),
        "10": (AMBER, AMBER_EDGE),
        "50": (FLAME, FLAME_EDGE),
    }[kind]
    cx, cy = 8.0, 8.6
    c.fill(star(cx, cy, 7.6, 3.4), edge)
    c.fill(star(cx, cy + 0.1, 6.2, 2.7), fill)
    return c


def pic_app(s):
    """The program's own icon: an address card on a teal tile."""
    c = Canvas(s)
    r = s * 0.18
    c.fill(rect(0.5 if s < 32 else 1, 0.5 if s < 32 else 1, s - (0.5 if s < 32 else 1), s - (0.5 if s < 32 else 1), r), TEAL)
    if s <= 16:
        person(c, 1.5, 2.0, 13.0, False, shirt=PAPER)
        return c
    m = s * 0.13
    cx0, cy0, cx1, cy1 = m, s * 0.22, s - m, s - s * 0.22
    c.fill(rect(cx0, cy0, cx1, cy1, s * 0.05), PAPER)
    pw = (cy1 - cy0) * 0.80
    sub = Canvas(int(math.ceil(pw)) + 1)
    person(sub, 0, 0, pw, False)
    c.paste(sub, int(round(cx0 + s * 0.02)), int(round(cy1 - pw)))
    lx0 = cx0 + s * 0.02 + pw + s * 0.03
    lw = max(1.0, round(s * 0.06))
    for k, frac in enumerate((1.0, 0.7, 0.85)):
        yy = round(cy0 + (cy1 - cy0) * (0.27 + 0.23 * k))
        c.fill(rect(lx0, yy - lw / 2.0, lx0 + (cx1 - s * 0.06 - lx0) * frac, yy + lw / 2.0, lw / 2.0),
               TEAL if k == 0 else PAPER_EDGE)
    return c


# ---------------------------------------------------------------- output

def run(cmd):
    subprocess.run(cmd, check=True)


def build(sheet_path=None):
    os.makedirs(IMG, exist_ok=True)
    os.makedirs(ICONS, exist_ok=True)
    written = []

    def save(canvas, folder, name):
        path = os.path.join(folder, name)
        canvas.save_png(path)
        written.append(path)

    for s in (16, 24):
        save(pic_contact_new(s), IMG, "ContactEdit_s%d_01.png" % s)
        save(pic_contact_edit(s), IMG, "ContactEdit_s%d_02.png" % s)
        save(pic_delete(s), IMG, "Delete_s%d_01.png" % s)
        save(pic_import(s), IMG, "Import_s%d_01.png" % s)
        save(pic_setting(s), IMG, "Setting_s%d_01.png" % s)
        save(pic_update(s), IMG, "Update_s%d_01.png" % s)
        save(pic_about(s), IMG, "About_s%d_01.png" % s)
    save(pic_copy(16), IMG, "User_s16_01.png")
    save(pic_tag(24), IMG, "User_s24_02.png")

    save(pic_contact_new(48), IMG, "ContactEdit_s48_01.png")
    save(pic_contact_multi_edit(48), IMG, "ContactEdit_s48_02.png")
    save(pic_history(48), IMG, "History_s48_01.png")
    save(pic_tag(48), IMG, "User_s48_02.png")
    save(pic_import(48), IMG, "Import_s48_01.png")

    # Person pictures: the cards load User_..., the multi-selection page
    # user_...; the 48 pixel pair heads the detail page.
    for num, female in (("00", True), ("01", False)):
        for prefix in ("User", "user"):
            save(pic_person(24, female), IMG, "%s_s24_%s.png" % (prefix, num))
        save(pic_person(48, female), IMG, "user_s48_%s.png" % num)
    # Sex not stated: "03", since "User_s24_02.png" is the tag picture.
    for prefix in ("User", "user"):
        save(pic_person_not_stated(24), IMG, "%s_s24_03.png" % prefix)
    save(pic_person_not_stated(48), IMG, "user_s48_03.png")

    for kind in ("00", "05", "10", "50"):
        save(pic_star(kind), IMG, "Star_s16_%s.png" % kind)

    # The desktop's menu and launcher show the program's own icon, the one
    # of the window, at every size of the icon theme.
    for s in HICOLOR_SIZES:
        folder = os.path.join(HICOLOR, "%dx%d" % (s, s), "apps")
        os.makedirs(folder, exist_ok=True)
        save(pic_app(s), folder, APP_ID + ".png")

    save(pic_tag(16), ICONS, "icon_group.png")
    save(pic_person(16, False), ICONS, "icon_contact_male.png")
    save(pic_person(16, True), ICONS, "icon_contact_female.png")
    save(pic_person_not_stated(16), ICONS, "icon_contact_not_stated.png")
    save(pic_history(16), ICONS, "icon_history.png")

    tmp = tempfile.mkdtemp()
    try:
        parts = []
        for s in (16, 32, 48):
            p = os.path.join(tmp, "app%d.png" % s)
            pic_app(s).save_png(p)
            parts.append(p)
        ico = os.path.join(IMG, "Corvala_02.ico")
        run(["convert"] + parts + [ico])
        written.append(ico)
        make_logo(tmp)
        make_download_button(tmp)
        written += [os.path.join(IMG, "marrowind_logo.bmp"), os.path.join(IMG, "marrowind_stat_01.jpg")]
        if sheet_path:
            make_sheet(written, sheet_path, tmp)
    finally:
        shutil.rmtree(tmp)
    for p in written:
        print(os.path.relpath(p, ROOT))


FONT_BOLD = "DejaVu-Sans-Bold"
FONT = "DejaVu-Sans"


def make_logo(tmp):
    """Maker's banner for the about box: a full-bleed band (a .bmp has no alpha)."""
    w, h = 360, 64
    mark = Canvas(44)
    mark.fill(circle(22, 22, 21), PAPER)
    # a stylised wing: three feathers fanning out
    for k, col in enumerate((TEAL_DARK, TEAL, TEAL_LIGHT)):
        m = along(10, 32, -60 + k * 28)
        mark.fill(poly([m(0, -2.5), m(26, -4.5), m(30, 0), m(26, 4.5), m(0, 2.5)]), col)
    mp = os.path.join(tmp, "mark.png")
    mark.save_png(mp)
    out = os.path.join(IMG, "marrowind_logo.bmp")
    run(["convert", "-size", "%dx%d" % (w, h), "xc:#%02X%02X%02X" % TEAL_DARK,
         "-fill", "#%02X%02X%02X" % TEAL, "-draw", "rectangle 0,%d %d,%d" % (h - 6, w, h),
         mp, "-geometry", "+12+10", "-composite",
         "-font", FONT_BOLD, "-pointsize", "26", "-fill", "#FFFFFF",
         "-annotate", "+68+36", "Marrowind",
         "-font", FONT, "-pointsize", "11", "-fill", "#CFEAE7",
         "-annotate", "+70+52", "software for people who keep in touch",
         "-type", "TrueColor", "BMP3:" + out])


def make_download_button(tmp):
    w, h = 148, 36
    icon = Canvas(22)
    ax = 11.0
    icon.fill(rect(ax - 2, 2, ax + 2, 11), WHITE)
    icon.fill(poly([(ax - 6.5, 9.5), (ax + 6.5, 9.5), (ax, 16)]), WHITE)
    icon.fill(rect(2, 18, 20, 20.5, 0.8), WHITE)
    ip = os.path.join(tmp, "dl.png")
    icon.save_png(ip)
    out = os.path.join(IMG, "marrowind_stat_01.jpg")
    run(["convert", "-size", "%dx%d" % (w, h), "xc:#%02X%02X%02X" % GREEN,
         "-fill", "#%02X%02X%02X" % (0x35, 0x8C, 0x44), "-draw", "rectangle 0,%d %d,%d" % (h - 3, w, h),
         ip, "-geometry", "+10+7", "-composite",
         "-font", FONT_BOLD, "-pointsize", "15", "-fill", "#FFFFFF",
         "-annotate", "+40+24", "Download",
         "-quality", "95", out])


def make_sheet(files, path, tmp):
    """Every picture at 1x on a light and a card-coloured background, then at 4x."""
    pngs = []
    for f in files:
        name = os.path.basename(f)
        src = f + ("[2]" if f.endswith(".ico") else "")
        big = os.path.join(tmp, "sheet_" + name + ".png")
        run(["convert", src, "-background", "#ECE8E6", "-flatten",
             "-filter", "point", "-resize", "400%", big])
        pngs.append((name, f, big))
    one = ["montage", "-label", "%t", "-background", "#ECE8E6", "-geometry", "48x48>+26+10",
           "-tile", "10x", "-pointsize", "8"]
    one += [f + ("[2]" if f.endswith(".ico") else "") for n, f, _ in pngs if not n.startswith("marrowind")]
    run(one + [os.path.join(tmp, "sheet1a.png")])
    run(["montage", "-background", "#ECE8E6", "-geometry", "+8+8", "-tile", "2x"] +
        [f for n, f, _ in pngs if n.startswith("marrowind")] + [os.path.join(tmp, "sheet1b.png")])
    run(["convert", os.path.join(tmp, "sheet1a.png"), os.path.join(tmp, "sheet1b.png"),
         "-background", "#ECE8E6", "-append", os.path.join(tmp, "sheet1.png")])
    four = ["montage", "-background", "#FFFFFF", "-geometry", "+4+4", "-tile", "8x"]
    four += [b for n, _, b in pngs if not n.startswith("marrowind")]
    run(four + [os.path.join(tmp, "sheet4.png")])
    run(["convert", os.path.join(tmp, "sheet1.png"), os.path.join(tmp, "sheet4.png"),
         "-background", "#FFFFFF", "-gravity", "center", "-append", path])


if __name__ == "__main__":
    sheet_arg = None
    if len(sys.argv) >= 3 and sys.argv[1] == "--sheet":
        sheet_arg = os.path.abspath(sys.argv[2])
    build(sheet_arg)
