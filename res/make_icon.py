#!/usr/bin/env python3
"""Draws Velmora's icon and writes res/velmora.ico.

The picture is a blue USB stick standing upright, metal plug at the top, with
a green eject sign (a triangle over a bar) beside it. The shapes are laid out
once on a 16-unit grid, so most edges fall on whole pixels at 16x16, and each size
is rasterised from them with 8x8 supersampling. Standard library only.

Rerun after changing the artwork:  python3 res/make_icon.py
The output depends on nothing but this file, so each run writes the same bytes.
"""

import os
import struct

GRID = 16.0   # design units across the icon
SS = 8        # samples per pixel along each axis

# Image order in the icon group: (size, bits per pixel).
IMAGES = [(16, 4), (48, 8), (32, 8), (16, 8), (48, 32)]

NAVY, BLUE, SHINE = (18, 36, 96), (30, 86, 220), (110, 165, 235)
STEEL, SILVER, SLOT = (96, 100, 112), (200, 204, 212), (52, 54, 62)
LEAF, GREEN, AMBER = (12, 92, 36), (60, 200, 70), (250, 190, 40)


# --- shapes: each is a test "is (x, y) inside?" in grid units ---------------

def rounded_rect(x0, y0, x1, y1, r, inset=0.0):
    x0, y0, x1, y1 = x0 + inset, y0 + inset, x1 - inset, y1 - inset
    r = max(r - inset, 0.0)

    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def rect(x0, y0, x1, y1, inset=0.0):
    return rounded_rect(x0, y0, x1, y1, 0.0, inset)


def polygon(points, inset=0.0):
    """Convex polygon, points clockwise on screen (y grows downwards)."""
    edges = []
    for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
        dx, dy = bx - ax, by - ay
        length = (dx * dx + dy * dy) ** 0.5
        edges.append((ax, ay, dx / length, dy / length))

    def inside(x, y):
        # Distance to the inner side of every edge must be at least `inset`.
        return all((x - ax) * dy - (y - ay) * dx <= -inset
                   for ax, ay, dx, dy in edges)
    return inside


def artwork(size):
    """Layers from bottom to top as (colour, shape). Outlines stay about one
    pixel wide at the small sizes and thin out a little at 48x48; at 16x16 the
    eject sign has no rim, since a one-pixel rim would leave it hollow."""
    edge = max(0.55, GRID / size)
    sign_edge = edge if size > 16 else 0.0
    tri = [(13, 5.5), (16, 10), (10, 10)]
    layers = [
        # plug: steel rim, silver face, two contact slots
        (STEEL, rect(3, 1, 7, 5)),
        (SILVER, rect(3, 1, 7, 5, edge)),
        (SLOT, rect(4, 2, 4.75, 3.5)),
        (SLOT, rect(5.25, 2, 6, 3.5)),
        # body: navy rim, blue fill, a shine along the left and a status light
        (NAVY, rounded_rect(1, 5, 9, 15, 2.0)),
        (BLUE, rounded_rect(1, 5, 9, 15, 2.0, edge)),
        (SHINE, rounded_rect(2.5, 6.5, 4, 13.5, 0.75)),
        (AMBER, rect(6, 12, 7, 13)),
        # eject sign: triangle over a bar, dark green rim, bright green fill
        (LEAF, polygon(tri)),
        (GREEN, polygon(tri, sign_edge)),
        (LEAF, rect(10, 11, 16, 13)),
        (GREEN, rect(10, 11, 16, 13, sign_edge)),
    ]
    return layers[::-1]  # topmost first, so the first hit wins


def rasterise(size, smooth=True):
    """Returns rows top to bottom of (r, g, b, a) tuples, 0..255 each.

    With smooth=False a pixel takes the colour most of its samples hit instead
    of their average, which keeps 16-colour images free of muddy edge colours.
    """
    layers = artwork(size)
    scale = GRID / size
    offsets = [(i + 0.5) / SS for i in range(SS)]
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            hits = [0] * len(layers)
            for oy in offsets:
                y = (py + oy) * scale
                for ox in offsets:
                    x = (px + ox) * scale
                    for i, (_, inside) in enumerate(layers):
                        if inside(x, y):
                            hits[i] += 1
                            break
            total = sum(hits)
            if not total:
                row.append((0, 0, 0, 0))
                continue
            if smooth:
                rgb = tuple(round(sum(n * layer[0][c] for n, layer in zip(hits, layers)) / total)
                            for c in range(3))
            else:
                rgb = layers[hits.index(max(hits))][0]
            row.append(rgb + (round(255 * total / (SS * SS)),))
        rows.append(row)
    return rows


# --- palettes ----------------------------------------------------------------

# The classic sixteen colours any display can show.
PALETTE_16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]

# 6x6x6 colour cube, then 40 greys that fall between the cube's own steps.
PALETTE_256 = [(r * 51, g * 51, b * 51)
               for r in range(6) for g in range(6) for b in range(6)]
PALETTE_256 += [(v, v, v) for v in
                (round(i * 255 / 41) for i in range(1, 41))]


def nearest(palette, colour, cache):
    if colour not in cache:
        cache[colour] = min(
            range(len(palette)),
            key=lambda i: sum((p - c) ** 2 for p, c in zip(palette[i], colour)))
    return cache[colour]


# --- ICO writing -------------------------------------------------------------

def row_bytes(bits):
    """Pads one bitmap row of `bits` bits to a whole number of 32-bit words."""
    return (bits + 31) // 32 * 4


def and_mask(rows):
    """1 marks a transparent pixel; rows bottom-up, each padded to 32 bits."""
    size = len(rows)
    out = bytearray()
    for row in reversed(rows):
        line = bytearray(row_bytes(size))
        for x, (_, _, _, a) in enumerate(row):
            if a < 128:
                line[x // 8] |= 0x80 >> (x % 8)
        out += line
    return bytes(out)


def xor_bitmap(rows, bpp):
    size = len(rows)
    out, palette_bytes = bytearray(), b""
    if bpp == 32:
        for row in reversed(rows):
            for r, g, b, a in row:
                out += bytes((b, g, r, a))
        return palette_bytes, bytes(out)
    palette = PALETTE_16 if bpp == 4 else PALETTE_256
    palette_bytes = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    cache = {}
    for row in reversed(rows):
        idx = [nearest(palette, (r, g, b), cache) if a >= 128 else 0
               for r, g, b, a in row]
        if bpp == 4:
            idx += [0] * (len(idx) % 2)
            line = bytes(hi << 4 | lo for hi, lo in zip(idx[::2], idx[1::2]))
        else:
            line = bytes(idx)
        out += line + bytes(row_bytes(size * bpp) - len(line))
    return palette_bytes, bytes(out)


def icon_image(size, bpp):
    rows = rasterise(size, smooth=bpp > 4)
    palette_bytes, pixels = xor_bitmap(rows, bpp)
    mask = and_mask(rows)
    colours = len(palette_bytes) // 4
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bpp, 0,
                         len(pixels) + len(mask), 0, 0, colours, 0)
    return header + palette_bytes + pixels + mask


def main():
    images = [icon_image(size, bpp) for size, bpp in IMAGES]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = len(out) + 16 * len(images)
    for (size, bpp), data in zip(IMAGES, images):
        colour_count = 16 if bpp == 4 else 0
        out += struct.pack("<BBBBHHII", size % 256, size % 256, colour_count, 0,
                           1, bpp, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "velmora.ico")
    with open(path, "wb") as f:
        f.write(out)
    print(f"wrote {path} ({len(out)} bytes)")


if __name__ == "__main__":
    main()
