#!/usr/bin/env python3
"""Draws the program's icon and the glyphs of the main window's five buttons.

    python3 scripts/make_app_images.py      # rewrites app/res/*.bmp and app/res/veltrane.ico

Every picture is drawn from its shapes at each size it is shown at, never
scaled from another size: the glyphs for a display scale of 100% (scan.bmp,
20 by 20; options.bmp, 23 by 23) and of 125, 150, 175 and 200% (scan-125.bmp
and so on, 25 to 40 and 29 to 46 pixels), the icon at the title bar's and the
task bar's sizes for the same scales.

The glyphs are 24-bit bitmaps whose top-left pixel is pure white: the
buttons draw that colour transparent, so the background is pure white and
nothing inside a picture is. Edges are smoothed against the silver of the
buttons' face, not against white, so no pale fringe shows on the button.
The icon is 32-bit with an alpha channel, at 16 to 64 pixels.
No third-party module is needed.
"""

import math
import os
import struct

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "app", "res")
SAMPLES = 4  # per axis, per pixel
SILVER = (216, 216, 216)  # about the middle of the csNeoSilver button face
WHITE = (255, 255, 255)
SCALES = (125, 150, 175, 200)  # per cent, beside 100
ICON_SIZES = (16, 20, 24, 28, 32, 40, 48, 56, 64)  # small and large icons at 100 to 200%


# ---- shapes: each takes (x, y) in pixel units and answers True inside -----

def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r_out, r_in):
    return lambda x, y: r_in * r_in <= (x - cx) ** 2 + (y - cy) ** 2 <= r_out * r_out


def segment(x0, y0, x1, y1, half_width):
    def inside(x, y):
        dx, dy = x1 - x0, y1 - y0
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy)))
        px, py = x0 + t * dx, y0 + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= half_width * half_width
    return inside


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def polygon(points):
    def inside(x, y):
        result = False
        j = len(points) - 1
        for i, (xi, yi) in enumerate(points):
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result
    return inside


def gear(cx, cy, r_body, r_tooth, r_hole, teeth):
    def inside(x, y):
        d = math.hypot(x - cx, y - cy)
        if d < r_hole:
            return False
        if d <= r_body:
            return True
        if d > r_tooth:
            return False
        angle = math.atan2(y - cy, x - cx) % (2 * math.pi / teeth)
        return angle < math.pi / teeth
    return inside


# ---- rendering --------------------------------------------------------------

def scaled_size(size, scale):
    """The size of a picture of `size` pixels at 100%, at `scale` per cent,
    halves rounded up (as the program rounds its geometry)."""
    return (size * scale + 50) // 100


def render(width, height, layers, unit=1.0):
    """layers: (shape, colour) pairs, last on top, in units of `unit` pixels.
    Returns rows of (r, g, b, coverage) with coverage 0..1."""
    rows = []
    for py in range(height):
        row = []
        for px in range(width):
            acc = [0.0, 0.0, 0.0]
            hits = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = px + (sx + 0.5) / SAMPLES
                    y = py + (sy + 0.5) / SAMPLES
                    if unit != 1.0:
                        x, y = x / unit, y / unit
                    colour = None
                    for shape, c in layers:
                        if shape(x, y):
                            colour = c
                    if colour is not None:
                        hits += 1
                        for k in range(3):
                            acc[k] += colour[k]
            n = SAMPLES * SAMPLES
            if hits:
                row.append((acc[0] / hits, acc[1] / hits, acc[2] / hits, hits / n))
            else:
                row.append((0, 0, 0, 0.0))
        rows.append(row)
    return rows


def glyph_pixels(rows):
    """Opaque pixels blended onto silver at the edges; empty ones pure white.
    No drawn pixel may come out pure white."""
    out = []
    for row in rows:
        line = []
        for r, g, b, a in row:
            if a == 0:
                line.append(WHITE)
                continue
            c = tuple(int(round(v * a + s * (1 - a))) for v, s in zip((r, g, b), SILVER))
            if c == WHITE:
                c = (254, 254, 254)
            line.append(c)
        out.append(line)
    assert out[0][0] == WHITE, "the top-left pixel must stay white"
    return out


def write_bmp24(path, pixels):
    height, width = len(pixels), len(pixels[0])
    stride = (width * 3 + 3) & ~3
    body = bytearray()
    for row in reversed(pixels):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        body += line
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(body), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + body)


def icon_image(size):
    s = size / 32.0
    layers = [
        # a rounded blue tile
        (polygon([(3 * s, 6 * s), (6 * s, 3 * s), (26 * s, 3 * s), (29 * s, 6 * s),
                  (29 * s, 26 * s), (26 * s, 29 * s), (6 * s, 29 * s), (3 * s, 26 * s)]),
         (40, 96, 170)),
        # three registry rows
        (rect(7 * s, 8 * s, 20 * s, 10.5 * s), (200, 220, 245)),
        (rect(7 * s, 13 * s, 17 * s, 15.5 * s), (200, 220, 245)),
        (rect(7 * s, 18 * s, 14 * s, 20.5 * s), (200, 220, 245)),
        # a magnifier over them
        (segment(21 * s, 21 * s, 27 * s, 27 * s, 2.2 * s), (240, 190, 60)),
        (ring(18 * s, 18 * s, 6 * s, 4 * s), (250, 250, 250)),
    ]
    rows = render(size, size, layers)
    xor = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            xor += bytes((int(round(b)), int(round(g)), int(round(r)), int(round(a * 255))))
    mask_stride = ((size + 31) // 32) * 4
    and_mask = b"\0" * (mask_stride * size)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(and_mask),
                       0, 0, 0, 0)
    return info + bytes(xor) + and_mask


def write_ico(path, sizes):
    images = [icon_image(size) for size in sizes]
    offset = 6 + 16 * len(images)
    head = struct.pack("<HHH", 0, 1, len(images))
    entries = b""
    for size, data in zip(sizes, images):
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(head + entries + b"".join(images))


GLYPHS = {
    # scan registry: a magnifying glass
    "scan.bmp": (20, [
        (segment(12.5, 12.5, 17.5, 17.5, 1.9), (110, 70, 30)),
        (circle(8.5, 8.5, 5.0), (190, 220, 250)),
        (ring(8.5, 8.5, 6.4, 4.6), (40, 70, 130)),
    ]),
    # clean registry: a broom
    "clean.bmp": (20, [
        (segment(16.5, 2.5, 9.5, 10.5, 1.1), (140, 85, 35)),
        (polygon([(6.0, 8.5), (11.5, 12.5), (8.5, 18.5), (1.5, 14.5)]), (225, 180, 40)),
        (segment(6.0, 9.0, 11.0, 12.6, 0.9), (180, 40, 40)),
        (segment(3.5, 14.8, 5.6, 11.6, 0.35), (170, 120, 20)),
        (segment(5.6, 16.2, 7.7, 12.9, 0.35), (170, 120, 20)),
    ]),
    # options: a gear (the one 23 by 23 glyph)
    "options.bmp": (23, [
        (gear(11.5, 11.5, 7.2, 10.0, 3.2, 8), (95, 105, 120)),
        (ring(11.5, 11.5, 5.4, 3.2), (150, 160, 175)),
    ]),
    # help: a question mark in a blue disc
    "help.bmp": (20, [
        (circle(10, 10, 8.6), (45, 110, 200)),
        (ring(10, 7.6, 3.6, 1.7), (250, 250, 250)),
        (rect(5.8, 7.6, 10.0, 11.5), (45, 110, 200)),
        (rect(9.0, 10.3, 11.0, 13.0), (250, 250, 250)),
        (circle(10, 15.3, 1.25), (250, 250, 250)),
    ]),
    # about us: an "i" in a green disc
    "about.bmp": (20, [
        (circle(10, 10, 8.6), (40, 140, 90)),
        (circle(10, 5.6, 1.4), (250, 250, 250)),
        (rect(8.9, 8.4, 11.1, 15.2), (250, 250, 250)),
        (rect(7.6, 14.0, 12.4, 15.4), (250, 250, 250)),
    ]),
}


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, (size, layers) in GLYPHS.items():
        write_bmp24(os.path.join(OUT, name), glyph_pixels(render(size, size, layers)))
        stem = name[:-len(".bmp")]
        for scale in SCALES:
            scaled = scaled_size(size, scale)
            pixels = glyph_pixels(render(scaled, scaled, layers, unit=scaled / size))
            write_bmp24(os.path.join(OUT, "%s-%d.bmp" % (stem, scale)), pixels)
    write_ico(os.path.join(OUT, "veltrane.ico"), ICON_SIZES)


if __name__ == "__main__":
    main()
