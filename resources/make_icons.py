#!/usr/bin/env python3
"""Draws the icons and the About box picture of Vemtrix and its installer.

    make_icons.py OUTPUT_FOLDER

Writes one NAME.ico per icon resource (32-bit images with alpha, several
sizes), ABOUTPICTURE.bmp (24-bit), and vemtrix_icons.rc, the resource lines
that name them, which the main program's resource script includes. Everything
is drawn here from shapes, so changing a picture means changing this file.
Python 3 standard library only.
"""

import math
import os
import struct
import sys

# --------------------------------------------------------------------- raster


def clamp(value, low=0.0, high=1.0):
    return low if value < low else high if value > high else value


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


class Shape:
    """A region given by its signed distance (negative inside) and its box."""

    def __init__(self, distance, box):
        self.distance = distance
        self.box = box  # x0, y0, x1, y1 in drawing units


def circle(cx, cy, r):
    return Shape(lambda x, y: math.hypot(x - cx, y - cy) - r, (cx - r, cy - r, cx + r, cy + r))


def ring(cx, cy, r, width):
    h = width / 2
    return Shape(lambda x, y: abs(math.hypot(x - cx, y - cy) - r) - h,
                 (cx - r - h, cy - r - h, cx + r + h, cy + r + h))


def round_rect(x0, y0, x1, y1, radius):
    cx, cy, hw, hh = (x0 + x1) / 2, (y0 + y1) / 2, (x1 - x0) / 2, (y1 - y0) / 2

    def distance(x, y):
        qx = abs(x - cx) - hw + radius
        qy = abs(y - cy) - hh + radius
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - radius

    return Shape(distance, (x0, y0, x1, y1))


def _segment_distance(x, y, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else clamp(((x - ax) * dx + (y - ay) * dy) / length2)
    return math.hypot(x - ax - dx * t, y - ay - dy * t)


def stroke(points, width):
    """A line of the given width through the points, with round ends and joins."""
    h = width / 2
    pairs = list(zip(points, points[1:])) or [(points[0], points[0])]

    def distance(x, y):
        return min(_segment_distance(x, y, a[0], a[1], b[0], b[1]) for a, b in pairs) - h

    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return Shape(distance, (min(xs) - h, min(ys) - h, max(xs) + h, max(ys) + h))


def strokes(lines, width):
    """Several lines as one shape (so overlaps are not painted twice)."""
    parts = [stroke(line, width) for line in lines]
    return Shape(lambda x, y: min(p.distance(x, y) for p in parts),
                 (min(p.box[0] for p in parts), min(p.box[1] for p in parts),
                  max(p.box[2] for p in parts), max(p.box[3] for p in parts)))


def arc(cx, cy, rx, ry, degrees_from, degrees_to, steps=16):
    """Points along an ellipse arc; angles grow clockwise on screen (y down)."""
    points = []
    for i in range(steps + 1):
        a = math.radians(degrees_from + (degrees_to - degrees_from) * i / steps)
        points.append((cx + rx * math.cos(a), cy + ry * math.sin(a)))
    return points


def intersect(a, b):
    return Shape(lambda x, y: max(a.distance(x, y), b.distance(x, y)),
                 (max(a.box[0], b.box[0]), max(a.box[1], b.box[1]),
                  min(a.box[2], b.box[2]), min(a.box[3], b.box[3])))


def subtract(a, b):
    return Shape(lambda x, y: max(a.distance(x, y), -b.distance(x, y)), a.box)


class Image:
    """Premultiplied RGBA floats; drawing units are pixels times 1/scale."""

    def __init__(self, width, height, scale=None):
        self.width, self.height = width, height
        self.scale = float(scale if scale is not None else width)
        self.pixels = [[0.0, 0.0, 0.0, 0.0] for _ in range(width * height)]

    def paint(self, shape, colour, opacity=1.0):
        """Lays colour (RGBA tuple, or function of x, y giving one) over shape."""
        s = self.scale
        x0 = max(0, int(math.floor(shape.box[0] * s)) - 1)
        y0 = max(0, int(math.floor(shape.box[1] * s)) - 1)
        x1 = min(self.width, int(math.ceil(shape.box[2] * s)) + 2)
        y1 = min(self.height, int(math.ceil(shape.box[3] * s)) + 2)
        fixed = None if callable(colour) else colour
        for py in range(y0, y1):
            y = (py + 0.5) / s
            row = py * self.width
            for px in range(x0, x1):
                x = (px + 0.5) / s
                cover = clamp(0.5 - shape.distance(x, y) * s)
                if cover <= 0.0:
                    continue
                r, g, b, a = fixed if fixed else colour(x, y)
                a *= cover * opacity
                if a <= 0.0:
                    continue
                p = self.pixels[row + px]
                keep = 1.0 - a
                p[0] = r * a + p[0] * keep
                p[1] = g * a + p[1] * keep
                p[2] = b * a + p[2] * keep
                p[3] = a + p[3] * keep

    def fill(self, colour):
        self.paint(Shape(lambda x, y: -1.0, (0, 0, self.width / self.scale,
                                             self.height / self.scale)), colour)

    def straight_rgba(self):
        """Rows top to bottom of (r, g, b, a) bytes, not premultiplied."""
        out = []
        for p in self.pixels:
            a = p[3]
            if a <= 0.0:
                out.append((0, 0, 0, 0))
                continue
            out.append(tuple(int(round(clamp(c / a) * 255)) for c in p[:3])
                       + (int(round(clamp(a) * 255)),))
        return out


def vertical(top, bottom, y0=0.0, y1=1.0):
    return lambda x, y: mix(top, bottom, clamp((y - y0) / (y1 - y0)))


def radial(centre, edge, cx, cy, r):
    return lambda x, y: mix(centre, edge, clamp(math.hypot(x - cx, y - cy) / r))


# ------------------------------------------------------------ stroke lettering

# Capital letters on a grid 4 wide and 6 high (y down), as lists of lines.
GLYPHS = {
    "A": [[(0, 6), (2, 0), (4, 6)], [(0.7, 4), (3.3, 4)]],
    "B": [[(0, 6), (0, 0), (2.4, 0)] + arc(2.4, 1.5, 1.4, 1.5, -90, 90)[1:] + [(0, 3)],
          [(0, 3), (2.6, 3)] + arc(2.6, 4.5, 1.4, 1.5, -90, 90)[1:] + [(0, 6)]],
    "C": [arc(2.1, 3, 2.1, 3, 315, 45, 20)],
    "D": [[(0, 0), (0, 6), (1.4, 6)] + arc(1.4, 3, 2.6, 3, 90, -90, 20)[1:] + [(0, 0)]],
    "E": [[(4, 0), (0, 0), (0, 6), (4, 6)], [(0, 3), (3, 3)]],
    "F": [[(4, 0), (0, 0), (0, 6)], [(0, 3), (3, 3)]],
    "G": [arc(2.1, 3, 2.1, 3, 315, 30, 20) + [(4.1, 3.4), (2.4, 3.4)]],
    "H": [[(0, 0), (0, 6)], [(4, 0), (4, 6)], [(0, 3), (4, 3)]],
    "I": [[(2, 0), (2, 6)], [(1, 0), (3, 0)], [(1, 6), (3, 6)]],
    "J": [[(4, 0), (4, 4.3)] + arc(2, 4.3, 2, 1.7, 0, 180, 12)[1:]],
    "K": [[(0, 0), (0, 6)], [(4, 0), (0, 3.8)], [(1.4, 2.9), (4, 6)]],
    "L": [[(0, 0), (0, 6), (4, 6)]],
    "M": [[(0, 6), (0, 0), (2, 4), (4, 0), (4, 6)]],
    "N": [[(0, 6), (0, 0), (4, 6), (4, 0)]],
    "O": [arc(2, 3, 2, 3, 0, 360, 24)],
    "P": [[(0, 6), (0, 0), (2.4, 0)] + arc(2.4, 1.6, 1.6, 1.6, -90, 90)[1:] + [(0, 3.2)]],
    "Q": [arc(2, 3, 2, 3, 0, 360, 24), [(2.6, 4.4), (4.2, 6.2)]],
    "R": [[(0, 6), (0, 0), (2.4, 0)] + arc(2.4, 1.6, 1.6, 1.6, -90, 90)[1:] + [(0, 3.2)],
          [(2, 3.2), (4, 6)]],
    "S": [arc(2, 1.5, 1.9, 1.5, -15, -270, 12) + arc(2, 4.5, 2, 1.5, -90, 165, 12)[1:]],
    "T": [[(0, 0), (4, 0)], [(2, 0), (2, 6)]],
    "U": [[(0, 0), (0, 4)] + arc(2, 4, 2, 2, 180, 0, 12)[1:] + [(4, 0)]],
    "V": [[(0, 0), (2, 6), (4, 0)]],
    "W": [[(0, 0), (1, 6), (2, 2.5), (3, 6), (4, 0)]],
    "X": [[(0, 0), (4, 6)], [(4, 0), (0, 6)]],
    "Y": [[(0, 0), (2, 3), (4, 0)], [(2, 3), (2, 6)]],
    "Z": [[(0, 0), (4, 0), (0, 6), (4, 6)]],
    "?": [arc(2, 1.8, 1.8, 1.8, -165, 90, 14) + [(2, 4.1)], [(2, 5.9), (2, 5.9)]],
    ".": [[(2, 6), (2, 6)]],
}
GLYPH_ADVANCE = 5.6  # grid units from one letter to the next
SPACE_ADVANCE = 3.5


def text_width(text, cap_height):
    unit = cap_height / 6
    width = sum(SPACE_ADVANCE if c == " " else GLYPH_ADVANCE for c in text)
    return (width - (GLYPH_ADVANCE - 4)) * unit


def lettering(text, x, y, cap_height, width):
    """One shape per letter, the text's top left corner at x, y."""
    unit = cap_height / 6
    shapes = []
    for c in text:
        if c == " ":
            x += SPACE_ADVANCE * unit
            continue
        lines = [[(x + gx * unit, y + gy * unit) for gx, gy in line] for line in GLYPHS[c]]
        shapes.append(strokes(lines, width))
        x += GLYPH_ADVANCE * unit
    return shapes


def paint_text(image, text, cx, y, cap_height, width, colour, opacity=1.0):
    """Paints text centred horizontally on cx."""
    for shape in lettering(text, cx - text_width(text, cap_height) / 2, y, cap_height, width):
        image.paint(shape, colour, opacity)


def letter(ch, cx, cy, height, width):
    """One letter centred on cx, cy, as one shape."""
    unit = height / 6
    return lettering(ch, cx - 2 * unit, cy - 3 * unit, height, width)[0]


# ------------------------------------------------------------------- the icons

WHITE = (1.0, 1.0, 1.0, 1.0)

SITES = {  # resource name, magnifier prefix, letter, colour
    "CRAIGSLIST": ("ICONCRAIGSMAG", "C", (0.50, 0.25, 0.72)),
    "KIJIJI": ("ICONKIJIJIMAG", "K", (0.16, 0.60, 0.28)),
    "BACKPAGE": ("ICONBACKPAGEMAG", "B", (0.15, 0.42, 0.78)),
    "DAYPE": ("ICONDAYPEMAG", "D", (0.90, 0.48, 0.10)),
}


def draw_program_icon(image):
    """"0L": a radar scope on a deep blue tile with a bold V."""
    image.paint(round_rect(0.03, 0.03, 0.97, 0.97, 0.2), (0.02, 0.06, 0.18, 1.0))
    image.paint(round_rect(0.06, 0.06, 0.94, 0.94, 0.17),
                vertical((0.16, 0.38, 0.72, 1.0), (0.03, 0.12, 0.34, 1.0), 0.06, 0.94))
    sweep = math.radians(-40)
    def trail(x, y):
        a = math.atan2(y - 0.56, x - 0.5)
        behind = (sweep - a) % (2 * math.pi)
        return (0.35, 0.95, 0.85, clamp(1 - behind / 1.6) * 0.55)
    image.paint(circle(0.5, 0.56, 0.34), trail)
    for r in (0.17, 0.34):
        image.paint(ring(0.5, 0.56, r, 0.03), (0.45, 0.9, 1.0, 0.45))
    image.paint(stroke([(0.5, 0.56), (0.5 + 0.34 * math.cos(sweep), 0.56 + 0.34 * math.sin(sweep))],
                       0.035), (0.6, 1.0, 0.9, 0.8))
    v = [(0.26, 0.22), (0.5, 0.8), (0.74, 0.22)]
    image.paint(stroke([(x + 0.025, y + 0.035) for x, y in v], 0.15), (0.0, 0.0, 0.1, 0.45))
    image.paint(stroke(v, 0.15), vertical((1.0, 1.0, 1.0, 1.0), (0.8, 0.92, 1.0, 1.0), 0.2, 0.8))
    image.paint(round_rect(0.08, 0.07, 0.92, 0.45, 0.15), (1.0, 1.0, 1.0, 0.10))


def draw_light(image, centre, edge, shine):
    """A round indicator lamp in a grey bezel."""
    image.paint(circle(0.5, 0.5, 0.47), vertical((0.62, 0.62, 0.64, 1.0), (0.18, 0.18, 0.2, 1.0)))
    image.paint(circle(0.5, 0.5, 0.38), (0.08, 0.08, 0.08, 1.0))
    image.paint(circle(0.5, 0.5, 0.345), radial(centre + (1.0,), edge + (1.0,), 0.45, 0.42, 0.4))
    image.paint(circle(0.42, 0.35, 0.14), radial((1.0, 1.0, 1.0, shine), (1.0, 1.0, 1.0, 0.0),
                                                 0.42, 0.35, 0.14))


def draw_site(image, name):
    """A rounded tile in the site's colour carrying its initial."""
    _, initial, colour = SITES[name]
    dark = tuple(c * 0.55 for c in colour)
    light = tuple(c + (1 - c) * 0.35 for c in colour)
    image.paint(round_rect(0.03, 0.03, 0.97, 0.97, 0.2), dark + (1.0,))
    image.paint(round_rect(0.09, 0.09, 0.91, 0.91, 0.15),
                vertical(light + (1.0,), colour + (1.0,), 0.1, 0.9))
    image.paint(letter(initial, 0.51, 0.51, 0.58, 0.15), WHITE)


def draw_hardly_there(image):
    """Blank site icon: a faint outline that only just shows on any background."""
    image.paint(ring(0.5, 0.5, 0.38, 0.06), (0.5, 0.5, 0.5, 0.05))


def draw_help(image, glow):
    """A blue round button with a question mark; glow 0..1 adds a golden halo."""
    if glow > 0:
        image.paint(circle(0.5, 0.5, 0.5), lambda x, y: (
            1.0, 0.85, 0.25, glow * clamp((0.5 - math.hypot(x - 0.5, y - 0.5)) / 0.12)))
    top = mix((0.45, 0.7, 1.0), (0.75, 0.9, 1.0), glow)
    bottom = mix((0.05, 0.25, 0.7), (0.2, 0.45, 0.9), glow)
    image.paint(circle(0.5, 0.5, 0.41), (0.02, 0.12, 0.4, 1.0))
    image.paint(circle(0.5, 0.5, 0.37), vertical(top + (1.0,), bottom + (1.0,), 0.13, 0.87))
    image.paint(circle(0.5, 0.34, 0.2), radial((1, 1, 1, 0.35), (1, 1, 1, 0), 0.5, 0.3, 0.22))
    mark = mix((1.0, 1.0, 1.0), (1.0, 0.95, 0.6), glow)
    image.paint(letter("?", 0.5, 0.5, 0.5, 0.12), mark + (1.0,))


def draw_magnifier(image, name, frame):
    """The site's tile under a magnifying glass that circles it (30 degrees a frame)."""
    _, initial, colour = SITES[name]
    dark = tuple(c * 0.55 for c in colour)
    light = tuple(c + (1 - c) * 0.35 for c in colour)
    image.paint(round_rect(0.04, 0.04, 0.84, 0.84, 0.16), dark + (1.0,))
    image.paint(round_rect(0.09, 0.09, 0.79, 0.79, 0.12),
                vertical(light + (1.0,), colour + (1.0,), 0.1, 0.8))
    image.paint(letter(initial, 0.44, 0.44, 0.46, 0.12), WHITE)
    a = math.radians(frame * 30 - 90)
    cx, cy, r = 0.44 + 0.14 * math.cos(a), 0.44 + 0.14 * math.sin(a), 0.2
    hx, hy = cx + r * 0.72, cy + r * 0.72
    image.paint(stroke([(hx, hy), (hx + 0.2, hy + 0.2)], 0.11), (0.2, 0.12, 0.06, 1.0))
    image.paint(circle(cx, cy, r), radial((1, 1, 1, 0.25), (0.75, 0.9, 1.0, 0.55), cx, cy, r))
    image.paint(ring(cx, cy, r, 0.06), vertical((0.85, 0.86, 0.9, 1.0), (0.35, 0.36, 0.4, 1.0),
                                                cy - r, cy + r))
    image.paint(intersect(ring(cx, cy, r * 0.62, 0.05), circle(cx - r * 0.5, cy - r * 0.5, r * 0.5)),
                (1, 1, 1, 0.8))


def radar_colour_trail(cx, cy, sweep, span, colour, strength):
    def colour_at(x, y):
        behind = (sweep - math.atan2(y - cy, x - cx)) % (2 * math.pi)
        return colour + (strength * clamp(1 - behind / span),)
    return colour_at


RADAR_BLIPS = [(0.3, -2.2), (0.62, -0.6), (0.8, 1.1), (0.45, 2.5), (0.7, 3.6)]  # radius, angle


def draw_radar_scope(image, cx, cy, r, sweep, line_width):
    """A green radar screen: rings, cross hairs, the sweep with its trail, blips."""
    image.paint(circle(cx, cy, r), vertical((0.8, 0.82, 0.85, 1.0), (0.25, 0.26, 0.3, 1.0),
                                            cy - r, cy + r))
    inner = r * 0.9
    image.paint(circle(cx, cy, inner), radial((0.02, 0.22, 0.08, 1.0), (0.0, 0.07, 0.03, 1.0),
                                              cx, cy, inner))
    for k in (1, 2, 3):
        image.paint(ring(cx, cy, inner * k / 3.2, line_width * 0.6), (0.2, 0.8, 0.35, 0.45))
    image.paint(strokes([[(cx - inner, cy), (cx + inner, cy)], [(cx, cy - inner), (cx, cy + inner)]],
                        line_width * 0.5), (0.2, 0.8, 0.35, 0.35))
    image.paint(circle(cx, cy, inner),
                radar_colour_trail(cx, cy, sweep, 1.7, (0.3, 1.0, 0.45), 0.6))
    for radius, angle in RADAR_BLIPS:
        behind = (sweep - angle) % (2 * math.pi)
        bright = 0.15 + 0.85 * clamp(1 - behind / 4.0)
        bx, by = cx + inner * radius * math.cos(angle), cy + inner * radius * math.sin(angle)
        image.paint(circle(bx, by, line_width * 1.3), (0.7, 1.0, 0.7, bright))
    end = (cx + inner * math.cos(sweep), cy + inner * math.sin(sweep))
    image.paint(stroke([(cx, cy), end], line_width), (0.75, 1.0, 0.8, 1.0))
    image.paint(circle(cx, cy, line_width * 1.1), (0.75, 1.0, 0.8, 1.0))


def draw_radar_icon(image, frame):
    """Frame 1..24 of the About box's radar: the sweep turns 15 degrees a frame."""
    draw_radar_scope(image, 0.5, 0.5, 0.48, math.radians((frame - 1) * 15 - 90), 0.035)


def draw_about_picture(image):
    """The About box's opening picture: radar, title, a hint to click."""
    w, h = image.width, image.height
    image.fill(vertical((0.05, 0.11, 0.24, 1.0), (0.0, 0.02, 0.06, 1.0), 0, h))
    for i in range(1, 12):  # a faint grid behind everything
        image.paint(stroke([(0, i * h / 12), (w, i * h / 12)], 1), (0.3, 0.5, 0.9, 0.08))
        image.paint(stroke([(i * w / 12, 0), (i * w / 12, h)], 1), (0.3, 0.5, 0.9, 0.08))
    cx, cy, r = w / 2, 140, 112
    image.paint(circle(cx, cy, r + 14), radial((0.3, 1.0, 0.5, 0.25), (0.3, 1.0, 0.5, 0.0),
                                               cx, cy, r + 14))
    draw_radar_scope(image, cx, cy, r, math.radians(-50), 2.2)
    title_y = 275
    paint_text(image, "VEMTRIX", cx, title_y, 36, 12, (0.3, 0.8, 1.0, 1.0), 0.18)
    paint_text(image, "VEMTRIX", cx, title_y, 36, 6.5, vertical((1, 1, 1, 1), (0.7, 0.9, 1.0, 1.0),
                                                                   title_y, title_y + 36))
    paint_text(image, "CLASSIFIED LISTING HARVESTER", cx, 325, 10, 1.7, (0.65, 0.85, 1.0, 1.0))
    paint_text(image, "CLICK FOR DETAILS", cx, h - 18, 7, 1.2, (0.6, 0.65, 0.75, 1.0))


# ---------------------------------------------------------------- file formats


def ico_bytes(images):
    """An .ico file with one 32-bit image (alpha, plus a matching AND mask) per size."""
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for image in images:
        size = image.width
        pixels = image.straight_rgba()
        xor = bytearray()
        for row in range(size - 1, -1, -1):  # bottom-up
            for r, g, b, a in pixels[row * size:(row + 1) * size]:
                xor += bytes((b, g, r, a))
        mask_stride = ((size + 31) // 32) * 4
        mask = bytearray()
        for row in range(size - 1, -1, -1):
            bits = bytearray(mask_stride)
            for col in range(size):
                if pixels[row * size + col][3] == 0:
                    bits[col // 8] |= 0x80 >> (col % 8)
            mask += bits
        header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                             len(xor) + len(mask), 0, 0, 0, 0)
        blob = header + bytes(xor) + bytes(mask)
        entries.append(struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32,
                                   len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    return struct.pack("<HHH", 0, 1, len(images)) + b"".join(entries) + b"".join(blobs)


def bmp_bytes(image):
    """A 24-bit bottom-up .bmp of the image laid on black."""
    stride = (image.width * 3 + 3) & ~3
    rows = bytearray()
    for row in range(image.height - 1, -1, -1):
        line = bytearray()
        for p in image.pixels[row * image.width:(row + 1) * image.width]:
            line += bytes(int(round(clamp(c) * 255)) for c in (p[2], p[1], p[0]))
        rows += line + bytes(stride - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, image.width, image.height, 1, 24, 0, len(rows),
                       2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(rows), 0, 0, 14 + len(info))
    return head + info + bytes(rows)


# ----------------------------------------------------------------- the catalog


def icon_catalog():
    """(resource name, sizes, drawing function) for every icon, in resource order."""
    icons = [("0L", (16, 24, 32, 48), draw_program_icon)]
    lights = {"ICONDULL": ((0.22, 0.24, 0.22), (0.08, 0.09, 0.08), 0.25),
              "ICONGREEN": ((0.75, 1.0, 0.7), (0.0, 0.55, 0.12), 0.8),
              "ICONRED": ((1.0, 0.7, 0.62), (0.72, 0.04, 0.04), 0.8)}
    for name, (centre, edge, shine) in lights.items():
        icons.append((name, (16, 24, 32), lambda im, c=centre, e=edge, s=shine: draw_light(im, c, e, s)))
    icons.append(("HARDLYTHERE", (16, 32), draw_hardly_there))
    for name in SITES:
        icons.append((name, (16, 24, 32), lambda im, n=name: draw_site(im, n)))
    icons.append(("CONTEXTHELP", (16, 24, 32), lambda im: draw_help(im, 0.0)))
    for k in range(1, 8):
        icons.append((f"CONTEXTHELPGLOW{k}", (16, 24, 32),
                      lambda im, g=math.sin(math.pi * k / 8): draw_help(im, g)))
    for name, (prefix, _, _) in SITES.items():
        for frame in range(12):
            icons.append((f"{prefix}{frame:02d}", (16, 32),
                          lambda im, n=name, f=frame: draw_magnifier(im, n, f)))
    for frame in range(1, 25):
        icons.append((f"VEMTRIXRADAR{frame}", (16, 32, 48),
                      lambda im, f=frame: draw_radar_icon(im, f)))
    return icons


def rc_line(name, kind, file_name):
    quoted = f'"{name}"' if name[0].isdigit() else name
    return f'{quoted} {kind} "{file_name}"\n'


ABOUT_PICTURE_SIZE = (348, 368)  # the About box's size in pixels at the usual dialog font


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: make_icons.py OUTPUT_FOLDER\n")
        return 2
    folder = argv[1]
    os.makedirs(folder, exist_ok=True)
    lines = ["// Made by make_icons.py: the icon and picture resources of Vemtrix.\n"]
    for name, sizes, draw in icon_catalog():
        images = []
        for size in sizes:
            image = Image(size, size)
            draw(image)
            images.append(image)
        with open(os.path.join(folder, name + ".ico"), "wb") as f:
            f.write(ico_bytes(images))
        lines.append(rc_line(name, "ICON", name + ".ico"))
    picture = Image(*ABOUT_PICTURE_SIZE, scale=1)
    draw_about_picture(picture)
    with open(os.path.join(folder, "ABOUTPICTURE.bmp"), "wb") as f:
        f.write(bmp_bytes(picture))
    lines.append(rc_line("ABOUTPICTURE", "BITMAP", "ABOUTPICTURE.bmp"))
    # A name that starts with a digit ("0L") must be quoted, or it reads as a
    # number; and the resource compiler joins a quoted name to a quoted file
    # name just before it, so the one quoted name goes first.
    lines.sort(key=lambda line: not line.startswith(('"', "//")))
    # Written last: the build takes this file as the sign that all are done.
    with open(os.path.join(folder, "vemtrix_icons.rc"), "w", newline="\n") as f:
        f.writelines(lines)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
