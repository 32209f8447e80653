#!/usr/bin/env python3
"""Draws Halvern's icons and writes them as .ico files (standard library only).

    python3 scripts/make_icons.py [output directory]

The default output directory is res/icons/ of this checkout. The output is
deterministic, so running the script again reproduces the committed files.

Every picture is described with a few shapes in a 32 x 32 design space and
rasterised at each size with supersampling: 16-colour images take, per pixel,
the colour that most subsamples show (crisp, no blended edges), 256-colour
images take the nearest palette colour of the blended pixel, and 32-bit images
keep the blend with its alpha.
"""

import math
import os
import struct
import sys
import zlib

DESIGN = 32.0

# The standard 16-colour palette, in the order of the system's 4-bit bitmaps.
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
       (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255), (255, 0, 255),
       (0, 255, 255), (255, 255, 255)]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = VGA[0:8]
GREY, RED, LIME, YELLOW, BLUE, MAGENTA, CYAN, WHITE = VGA[8:16]

# 256 colours: the 16 above, a 6 x 6 x 6 colour cube and 24 greys.
PAL256 = (VGA + [(r, g, b) for r in range(0, 256, 51) for g in range(0, 256, 51) for b in range(0, 256, 51)] +
          [(v, v, v) for v in range(8, 248, 10)])
assert len(PAL256) == 256


# ---------------------------------------------------------------------------
# Shapes as signed distance functions (negative inside), in design units.

class Shape:
    def __init__(self, sdf, box):
        self.sdf = sdf
        self.box = box  # x0, y0, x1, y1


def _seg_dist(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    len2 = dx * dx + dy * dy
    t = 0.0 if len2 == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / len2))
    ex, ey = px - ax - t * dx, py - ay - t * dy
    return math.sqrt(ex * ex + ey * ey)


def poly(points):
    pts = list(points)

    def sdf(x, y):
        inside = False
        best = 1e9
        j = len(pts) - 1
        for i in range(len(pts)):
            xi, yi = pts[i]
            xj, yj = pts[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                inside = not inside
            best = min(best, _seg_dist(x, y, xi, yi, xj, yj))
            j = i
        return -best if inside else best

    xs = [p[0] for p in pts]
    ys = [p[1] for p in pts]
    return Shape(sdf, (min(xs), min(ys), max(xs), max(ys)))


def rect(x0, y0, x1, y1):
    return poly([(x0, y0), (x1, y0), (x1, y1), (x0, y1)])


def round_rect(x0, y0, x1, y1, r):
    cx, cy, hx, hy = (x0 + x1) / 2, (y0 + y1) / 2, (x1 - x0) / 2 - r, (y1 - y0) / 2 - r

    def sdf(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - r

    return Shape(sdf, (x0, y0, x1, y1))


def circle(cx, cy, r):
    return Shape(lambda x, y: math.hypot(x - cx, y - cy) - r, (cx - r, cy - r, cx + r, cy + r))


def capsule(ax, ay, bx, by, width):
    h = width / 2
    return Shape(lambda x, y: _seg_dist(x, y, ax, ay, bx, by) - h,
                 (min(ax, bx) - h, min(ay, by) - h, max(ax, bx) + h, max(ay, by) + h))


def arc_band(cx, cy, r, width, a0, a1):
    """The band of the given width along the circle from angle a0 to a1 (degrees, y down, clockwise)."""
    h = width / 2

    def sdf(x, y):
        a = math.degrees(math.atan2(y - cy, x - cx)) % 360
        if (a - a0) % 360 <= (a1 - a0) % 360:
            return abs(math.hypot(x - cx, y - cy) - r) - h
        ends = [(cx + r * math.cos(math.radians(t)), cy + r * math.sin(math.radians(t))) for t in (a0, a1)]
        return min(math.hypot(x - ex, y - ey) for ex, ey in ends) - h  # round ends

    return Shape(sdf, (cx - r - h, cy - r - h, cx + r + h, cy + r + h))


def gear(cx, cy, r_root, r_tip, teeth, phase=0.0):
    pts = []
    step = 2 * math.pi / teeth
    for i in range(teeth):
        a = phase + i * step
        for frac, rad in ((-0.30, r_root), (-0.17, r_tip), (0.17, r_tip), (0.30, r_root)):
            pts.append((cx + rad * math.cos(a + frac * step), cy + rad * math.sin(a + frac * step)))
    return poly(pts)


def minus(a, b):
    return Shape(lambda x, y: max(a.sdf(x, y), -b.sdf(x, y)), a.box)


# ---------------------------------------------------------------------------
# Canvas: supersampled colours (None = transparent).

class Canvas:
    def __init__(self, size, ss):
        self.size = size
        self.ss = ss
        self.n = size * ss
        self.px = DESIGN / size  # design units per pixel
        self.samples = [[None] * self.n for _ in range(self.n)]
        self.small = size < 32

    def stroke_width(self, pixels=1.0):
        """A stroke of whole pixels at this size, in design units."""
        return pixels * self.px

    def draw(self, shape, fill, stroke=None, width=None):
        """Fills shape; with stroke, the inner band of width (default one pixel) gets that colour."""
        width = self.px if width is None else width
        step = DESIGN / self.n
        x0, y0, x1, y1 = shape.box
        i0, i1 = max(0, int(x0 / step) - 1), min(self.n, int(x1 / step) + 2)
        j0, j1 = max(0, int(y0 / step) - 1), min(self.n, int(y1 / step) + 2)
        for j in range(j0, j1):
            y = (j + 0.5) * step
            row = self.samples[j]
            for i in range(i0, i1):
                d = shape.sdf((i + 0.5) * step, y)
                if d <= 0:
                    row[i] = stroke if (stroke is not None and d > -width) else fill

    def pixels(self, x, y, w, h, colour):
        """Fills whole pixels (pixel coordinates), for glyphs and other pixel art."""
        self.draw(rect(x * self.px, y * self.px, (x + w) * self.px, (y + h) * self.px), colour)

    def majority(self):
        """Per pixel the colour most subsamples show, mapped to the 16-colour palette; None = transparent."""
        out = []
        for y in range(self.size):
            row = []
            for x in range(self.size):
                votes = {}
                for j in range(y * self.ss, (y + 1) * self.ss):
                    for c in self.samples[j][x * self.ss:(x + 1) * self.ss]:
                        k = None if c is None else nearest(c, VGA)
                        votes[k] = votes.get(k, 0) + 1
                # Ties go to an opaque colour, so thin strokes survive.
                row.append(max(votes, key=lambda k: (votes[k], k is not None, -1 if k is None else -k)))
            out.append(row)
        return out

    def blended(self):
        """Per pixel (r, g, b, a), the average of the subsamples."""
        out = []
        count = self.ss * self.ss
        for y in range(self.size):
            row = []
            for x in range(self.size):
                r = g = b = a = 0
                for j in range(y * self.ss, (y + 1) * self.ss):
                    for c in self.samples[j][x * self.ss:(x + 1) * self.ss]:
                        if c is not None:
                            r, g, b, a = r + c[0], g + c[1], b + c[2], a + 1
                if a == 0:
                    row.append((0, 0, 0, 0))
                else:
                    row.append((round(r / a), round(g / a), round(b / a), round(255 * a / count)))
            out.append(row)
        return out


_nearest_cache = {}


def nearest(c, palette):
    key = (c, id(palette))
    if key not in _nearest_cache:
        _nearest_cache[key] = min(range(len(palette)),
                                  key=lambda i: sum((c[k] - palette[i][k]) ** 2 for k in range(3)))
    return _nearest_cache[key]


# ---------------------------------------------------------------------------
# ICO encoding.

def _bmp_image(size, bpp, palette, xor_rows, mask_rows):
    """One icon image: BITMAPINFOHEADER (double height), palette, XOR bits, AND mask; rows bottom-up."""
    stride = ((size * bpp + 31) // 32) * 4
    mask_stride = ((size + 31) // 32) * 4
    xor = bytearray()
    for row in reversed(xor_rows):
        line = bytearray()
        if bpp == 4:
            for i in range(0, size, 2):
                line.append((row[i] << 4) | (row[i + 1] if i + 1 < size else 0))
        elif bpp == 8:
            line.extend(row)
        else:
            for r, g, b, a in row:
                line.extend((b, g, r, a))
        xor += line + bytes(stride - len(line))
    mask = bytearray()
    for row in reversed(mask_rows):
        line = bytearray(mask_stride)
        for i, transparent in enumerate(row):
            if transparent:
                line[i // 8] |= 0x80 >> (i % 8)
        mask += line
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bpp, 0, len(xor) + len(mask), 0, 0,
                         len(palette) if palette else 0, 0)
    pal = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in (palette or []))
    return header + pal + bytes(xor) + bytes(mask)


def _png_image(rgba_rows):
    size = len(rgba_rows)
    raw = b''.join(b'\0' + bytes(v for px in row for v in px) for row in rgba_rows)

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xFFFFFFFF)

    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)) +
            chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def encode_4bit(indexed):
    rows = [[0 if k is None else k for k in row] for row in indexed]
    mask = [[k is None for k in row] for row in indexed]
    return _bmp_image(len(indexed), 4, VGA, rows, mask)


def encode_8bit(rgba):
    rows = [[0 if a < 128 else nearest((r, g, b), PAL256) for r, g, b, a in row] for row in rgba]
    mask = [[a < 128 for _, _, _, a in row] for row in rgba]
    return _bmp_image(len(rgba), 8, PAL256, rows, mask)


def encode_32bit(rgba, png=False):
    if png:
        return _png_image(rgba)
    mask = [[a == 0 for _, _, _, a in row] for row in rgba]
    return _bmp_image(len(rgba), 32, None, rgba, mask)


def write_ico(path, images):
    """images: list of (size, bpp, bytes) in directory order."""
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, bpp, data in images:
        colours = 16 if bpp == 4 else 0
        out += struct.pack('<BBBBHHII', size % 256, size % 256, colours, 0, 1, bpp, len(data), offset)
        offset += len(data)
    out += b''.join(data for _, _, data in images)
    with open(path, 'wb') as f:
        f.write(out)


# ---------------------------------------------------------------------------
# The application icon: a window with a list, and a magnifier over it.

def draw_app(c, low_colour):
    s = c.size
    edge = max(c.stroke_width(1), 0.5)
    c.draw(rect(1, 3, 25, 26), WHITE, NAVY, edge)
    title_h = max(5.0, c.stroke_width(2))
    if low_colour:
        c.draw(rect(1, 3, 25, 3 + title_h), BLUE, NAVY, edge)
    else:
        c.draw(rect(1, 3, 25, 3 + title_h), (20, 60, 190), NAVY, edge)
        if s >= 32:
            c.draw(rect(1 + edge, 3 + edge, 25 - edge, 4.2 + edge), (90, 140, 240))
    if s >= 32:
        for i in range(3):
            c.draw(rect(21 - 3.2 * i, 4.5, 23 - 3.2 * i, 6.5), WHITE)
    if s >= 24:
        rows = 5 if s >= 48 else 4
        gap = (26 - 3 - title_h - 3) / rows
        for i in range(rows):
            y = 3 + title_h + 2 + i * gap
            c.draw(rect(4, y, 9 if i % 2 else 11, y + max(1.2, edge)), GREY)
    # The magnifier: handle, glass, rim.
    handle = MAROON if low_colour else (120, 60, 20)
    c.draw(capsule(24.5, 24.5, 29.5, 29.5, max(4.0, c.stroke_width(2))), handle, BLACK if s >= 48 else None)
    glass = CYAN if low_colour else (170, 230, 250)
    rim_w = max(2.2, c.stroke_width(1))
    c.draw(circle(19, 18.5, 7.5), glass)
    c.draw(minus(circle(19, 18.5, 7.5), circle(19, 18.5, 7.5 - rim_w)), BLACK if low_colour else (45, 45, 55))
    if s >= 32:
        c.draw(arc_band(19, 18.5, 4.3, max(1.2, edge), 190, 260), WHITE)


APP_SIZES = [8, 16, 24, 32, 48, 64, 128, 256]


def make_app_icon(path):
    depth_images = {4: [], 8: [], 32: []}
    for size in APP_SIZES:
        c = Canvas(size, 4 if size <= 64 else 2)
        draw_app(c, low_colour=False)
        rgba = c.blended()
        low = Canvas(size, 4 if size <= 64 else 2)
        draw_app(low, low_colour=True)
        depth_images[4].append((size, 4, encode_4bit(low.majority())))
        depth_images[8].append((size, 8, encode_8bit(rgba)))
        depth_images[32].append((size, 32, encode_32bit(rgba, png=(size == 256))))
    write_ico(path, depth_images[4] + depth_images[8] + depth_images[32])


# ---------------------------------------------------------------------------
# The object-type icons, 32 x 32 and 16 x 16 in 16 colours.

def draw_folder_closed(c):
    c.draw(poly([(2, 6), (12, 6), (15, 9), (30, 9), (30, 27), (2, 27)]), OLIVE, BLACK)
    c.draw(rect(2, 11, 30, 27), YELLOW, BLACK)


def draw_folder_open(c):
    c.draw(poly([(2, 6), (12, 6), (15, 9), (27, 9), (27, 27), (2, 27)]), OLIVE, BLACK)
    c.draw(rect(5, 11, 25, 16), WHITE, BLACK)
    c.draw(poly([(7, 14), (31, 14), (26, 27), (2, 27)]), YELLOW, BLACK)


def draw_cog(c):
    c.draw(gear(16, 16, 10.5, 14.5, 8, math.pi / 8), YELLOW, BLACK, c.stroke_width(1.5 if c.size >= 32 else 1))
    c.draw(circle(16, 16, 5.5), BLACK)
    c.draw(circle(16, 16, 2.5 if c.size >= 32 else 2), None)


def _screwdriver(c, x0, y0, x1, y1, handle):
    """From the handle's end (x0, y0) to the blade's tip (x1, y1)."""
    mx, my = x0 + (x1 - x0) * 0.42, y0 + (y1 - y0) * 0.42
    if c.small:
        c.draw(capsule(mx, my, x1, y1, c.stroke_width(1.5)), GREY)
    else:
        c.draw(capsule(mx, my, x1, y1, 3.0), SILVER, BLACK)
    c.draw(capsule(x0, y0, mx, my, max(7.0, c.stroke_width(3))), handle, BLACK)


def draw_tools(c):
    _screwdriver(c, 4, 28, 27, 5, RED)
    _screwdriver(c, 28, 28, 5, 5, BLUE)


def draw_event(c):
    c.draw(circle(16, 16, 14.5), YELLOW, BLACK)
    c.draw(poly([(13, 5), (19, 5), (17.5, 20), (14.5, 20)]), BLACK)
    c.draw(rect(14, 22.5, 18, 26.5) if c.size < 32 else circle(16, 24.5, 2.5), BLACK)


def _cube(c, cx, ty, w, h):
    top = [(cx, ty), (cx + w, ty + w / 2), (cx, ty + w), (cx - w, ty + w / 2)]
    left = [(cx - w, ty + w / 2), (cx, ty + w), (cx, ty + w + h), (cx - w, ty + w / 2 + h)]
    right = [(cx, ty + w), (cx + w, ty + w / 2), (cx + w, ty + w / 2 + h), (cx, ty + w + h)]
    edge = None if c.small else BLACK
    c.draw(poly(left), TEAL, edge)
    c.draw(poly(right), BLUE if c.small else NAVY, edge)
    c.draw(poly(top), CYAN, edge)


def draw_key(c):
    _cube(c, 9, 14, 8, 8)
    _cube(c, 23, 14, 8, 8)
    _cube(c, 16, 3, 8, 8)


GLYPHS = {
    'P': ['111', '101', '111', '100', '100'], 'R': ['111', '101', '110', '101', '101'],
    'O': ['111', '101', '101', '101', '111'], 'F': ['111', '100', '110', '100', '100'],
    'I': ['1', '1', '1', '1', '1'], 'L': ['100', '100', '100', '100', '111'],
    'E': ['111', '100', '110', '100', '111'], 'S': ['111', '100', '111', '001', '111'],
    'T': ['111', '010', '010', '010', '010'],
}


def text_width(text):
    return sum(len(GLYPHS[ch][0]) for ch in text) + len(text) - 1


def draw_text(c, text, x, y, colour, scale=1):
    for ch in text:
        for j, line in enumerate(GLYPHS[ch]):
            for i, bit in enumerate(line):
                if bit == '1':
                    c.pixels(x + i * scale, y + j * scale, scale, scale, colour)
        x += (len(GLYPHS[ch][0]) + 1) * scale


def draw_stop(c):
    r = 14.5
    octagon = [(16 + r * math.cos(math.radians(22.5 + 45 * i)), 16 + r * math.sin(math.radians(22.5 + 45 * i)))
               for i in range(8)]
    c.draw(poly(octagon), RED, BLACK)
    if c.size >= 32:
        draw_text(c, 'STOP', (32 - text_width('STOP')) // 2, 13, WHITE)
    else:
        c.pixels(4, 7, 8, 2, WHITE)


def draw_plug(c):
    c.draw(capsule(16, 20, 16, 25, max(3.0, c.stroke_width(1.5))), BLACK)
    c.draw(arc_band(10, 25, 6, max(3.0, c.stroke_width(1.5)), 0, 90), BLACK)
    c.draw(capsule(10, 31, 2, 31, max(3.0, c.stroke_width(1.5))), BLACK)
    c.draw(rect(11, 1, 14, 8), SILVER, BLACK)
    c.draw(rect(18, 1, 21, 8), SILVER, BLACK)
    c.draw(round_rect(8, 7, 24, 21, 3), GREY, BLACK)
    if c.size >= 32:
        c.draw(rect(11, 10, 21, 12), SILVER)


def draw_profile(c):
    if c.size >= 32:
        return  # the large image stays empty
    c.pixels(0, 0, 16, 16, NAVY)
    draw_text(c, 'PRO', (16 - text_width('PRO')) // 2, 2, RED)
    draw_text(c, 'FILE', (16 - text_width('FILE')) // 2, 9, RED)


def draw_chip(c):
    for i in range(5):
        x = 8 + i * 4
        c.draw(rect(x, 3, x + 2, 29), SILVER, BLACK if c.size >= 32 else None)
    c.draw(rect(5, 7, 27, 25), BLACK if c.size < 32 else (64, 64, 64), BLACK)
    if c.small:
        c.pixels(3, 4, 1, 1, WHITE)
    else:
        c.draw(circle(9, 11, 1.6), WHITE)


def draw_traffic_light(c):
    c.draw(round_rect(8, 1, 24, 31, 3), BLACK)
    for colour, y in ((RED, 7), (YELLOW, 16), (LIME, 25)):
        c.draw(circle(16, y, 4.3), colour)


def draw_curved_arrow(c):
    edge = None if c.small else BLACK
    c.draw(arc_band(22, 27, 13, 6.0 if c.small else 5.0, 180, 270), GREY, edge)
    c.draw(poly([(19, 5), (30, 14), (19, 23)]), GREY, edge)


def draw_clock(c):
    c.draw(round_rect(1, 1, 31, 31, 4), RED, None if c.small else MAROON)
    c.draw(circle(16, 16, 12), WHITE, BLACK)
    if c.size >= 32:
        for a in range(0, 360, 90):
            ca, sa = math.cos(math.radians(a)), math.sin(math.radians(a))
            c.draw(capsule(16 + 8.5 * ca, 16 + 8.5 * sa, 16 + 10 * ca, 16 + 10 * sa, 1.2), BLACK)
    hand = max(2.0, c.stroke_width(1))
    c.draw(capsule(16, 16, 16, 7, hand), BLACK)
    c.draw(capsule(16, 16, 22, 16, hand), BLACK)


def draw_gears(c):
    if c.small:
        c.draw(gear(12, 12, 8, 12, 6, 0.0), GREEN)
        c.pixels(5, 5, 2, 2, WHITE)
        c.draw(gear(23.5, 23.5, 5.5, 8.5, 6, 0.5), CYAN)
        c.pixels(11, 11, 1, 1, TEAL)
        return
    c.draw(gear(12, 12, 7.5, 11, 8, 0.2), GREEN, BLACK)
    c.draw(circle(12, 12, 3), WHITE, BLACK)
    c.draw(gear(23, 23, 5.2, 8.5, 6, 0.5), CYAN, BLACK)
    c.draw(circle(23, 23, 2.2), WHITE, BLACK)


def draw_computer(c):
    c.draw(rect(3, 2, 29, 21), SILVER, BLACK)
    c.draw(rect(6, 5, 26, 18), TEAL, BLACK)
    if c.size >= 32:
        c.draw(rect(8, 7, 14, 9), WHITE)
    c.draw(rect(13, 21, 19, 24), GREY, BLACK)
    c.draw(rect(2, 24, 30, 30), SILVER, BLACK)
    c.draw(rect(16, 26, 27, 28), BLACK if c.size >= 32 else GREY)
    c.draw(rect(5, 26, 7, 28), LIME)


TYPE_ICONS = [
    ('directory.ico', draw_folder_closed), ('directory_open.ico', draw_folder_open), ('device.ico', draw_cog),
    ('driver.ico', draw_tools), ('event.ico', draw_event), ('key.ico', draw_key), ('mutant.ico', draw_stop),
    ('port.ico', draw_plug), ('profile.ico', draw_profile), ('section.ico', draw_chip),
    ('semaphore.ico', draw_traffic_light), ('symlink.ico', draw_curved_arrow), ('timer.ico', draw_clock),
    ('other_type.ico', draw_gears), ('windowstation.ico', draw_computer),
]


def make_type_icon(path, draw):
    images = []
    for size in (32, 16):
        c = Canvas(size, 4 if size >= 32 else 1)
        draw(c)
        images.append((size, 4, encode_4bit(c.majority())))
    write_ico(path, images)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, 'res', 'icons')
    os.makedirs(out_dir, exist_ok=True)
    make_app_icon(os.path.join(out_dir, 'halvern.ico'))
    for name, draw in TYPE_ICONS:
        make_type_icon(os.path.join(out_dir, name), draw)
    print('icons written to', out_dir)


if __name__ == '__main__':
    main()
