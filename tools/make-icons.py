#!/usr/bin/env python3
"""Draws the icons of Trackforge.exe and Setup.exe into .ico files.

    make-icons.py <trackforge.ico> <setup.ico>

Each file holds every size Windows asks for (16, 20, 24, 32, 40, 48, 64 and
256 pixels): 32-bit images with alpha, the largest one PNG-compressed as
Windows Vista and later expect. The pictures are shapes on a 32-unit grid,
sampled several times per pixel, so every size is drawn rather than scaled.
"""
import math
import struct
import sys
import zlib

SIZES = (16, 20, 24, 32, 40, 48, 64, 256)


def in_poly(x, y, pts):
    inside = False
    j = len(pts) - 1
    for i in range(len(pts)):
        xi, yi = pts[i]
        xj, yj = pts[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            inside = not inside
        j = i
    return inside


def in_round_box(x, y, l, t, w, h, r):
    if not (l <= x <= l + w and t <= y <= t + h):
        return False
    cx = min(max(x, l + r), l + w - r)
    cy = min(max(y, t + r), t + h - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def near_wave(x, y, x0, x1, cy, amp, periods, width):
    if not (x0 - width <= x <= x1 + width):
        return False
    xc = min(max(x, x0), x1)
    wy = cy - amp * math.sin((xc - x0) / (x1 - x0) * periods * 2 * math.pi)
    return abs(y - wy) <= width / 2 and x0 <= x <= x1


# A picture is a list of (test, colour) drawn in order; the last hit wins.
def trackforge():
    card = [(3, 2), (22, 2), (29, 9), (29, 30), (3, 30)]
    shapes = [
        (lambda x, y: in_poly(x, y, card), (24, 62, 112)),
        (lambda x, y: in_poly(x, y, [(4.5, 3.5), (21.4, 3.5), (27.5, 9.6), (27.5, 28.5),
                                     (4.5, 28.5)]), (40, 110, 205)),
        (lambda x, y: 6 <= x <= 26 and 6 <= y <= 9.5 and int(x) % 3 != 2, (235, 190, 70)),
        (lambda x, y: near_wave(x, y, 6, 26, 19, 6, 2, 2.8), (255, 255, 255)),
    ]
    return shapes


def setup():
    edge = (110, 70, 25)
    top = [(3, 14), (9, 8), (29, 8), (23, 14)]
    side = [(23, 14), (29, 8), (29, 25), (23, 31)]
    front = [(3, 14), (23, 14), (23, 31), (3, 31)]
    arrow = [(10, 0), (16, 0), (16, 7), (20, 7), (13, 14), (6, 7), (10, 7)]

    def grown(pts, d):
        cx = sum(p[0] for p in pts) / len(pts)
        cy = sum(p[1] for p in pts) / len(pts)
        out = []
        for px, py in pts:
            dx, dy = px - cx, py - cy
            n = math.hypot(dx, dy) or 1
            out.append((px + dx / n * d, py + dy / n * d))
        return out

    return [
        (lambda x, y: in_poly(x, y, grown(top, 0.6)), edge),
        (lambda x, y: in_poly(x, y, top), (235, 190, 120)),
        (lambda x, y: in_poly(x, y, grown(side, 0.6)), edge),
        (lambda x, y: in_poly(x, y, side), (180, 128, 62)),
        (lambda x, y: in_poly(x, y, grown(front, 0.6)), edge),
        (lambda x, y: in_poly(x, y, front), (214, 160, 88)),
        (lambda x, y: 12 <= x <= 15 and 14 <= y <= 31, (245, 235, 210)),
        (lambda x, y: in_poly(x, y, grown(arrow, 0.7)), (15, 90, 30)),
        (lambda x, y: in_poly(x, y, arrow), (40, 170, 70)),
    ]


def render(shapes, size):
    sub = 4 if size <= 64 else 3
    scale = 32.0 / size
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = a = 0
            for sy in range(sub):
                for sx in range(sub):
                    x = (px + (sx + 0.5) / sub) * scale
                    y = (py + (sy + 0.5) / sub) * scale
                    hit = None
                    for test, colour in shapes:
                        if test(x, y):
                            hit = colour
                    if hit:
                        r += hit[0]
                        g += hit[1]
                        b += hit[2]
                        a += 1
            n = sub * sub
            row.append((r // a, g // a, b // a, 255 * a // n) if a else (0, 0, 0, 0))
        rows.append(row)
    return rows


def bmp_entry(rows):
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_row = ((size + 31) // 32) * 4
    mask = b"".join(
        bytes(
            sum((0x80 >> (x % 8)) for x in range(byte * 8, min(byte * 8 + 8, size))
                if row[x][3] == 0) if byte * 8 < size else 0
            for byte in range(mask_row))
        for row in reversed(rows))
    return header + pixels + mask


def png_entry(rows):
    size = len(rows)
    raw = b"".join(b"\0" + b"".join(bytes(p) for p in row) for row in rows)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def write_ico(path, shapes):
    images = [(s, png_entry(render(shapes, s)) if s >= 256 else bmp_entry(render(shapes, s)))
              for s in SIZES]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in images:
        dim = 0 if s >= 256 else s
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(data for _, data in images)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    write_ico(sys.argv[1], trackforge())
    write_ico(sys.argv[2], setup())
