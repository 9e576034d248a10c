#!/usr/bin/env python3
"""Draws the loader's splash picture and program icon.

Writes splash.bmp (800x600, 24 bits, bottom-up, no colour table) and loader.ico (32x32 and
16x16, each at 24, 8, 4 and 1 bits per pixel) into the given folder. The output depends on
nothing but this file, so every build produces the same bytes.
"""

import math
import struct
import sys
from pathlib import Path

WIDTH, HEIGHT = 800, 600
HORIZON = 392
PIXELS_PER_METRE = 2834

# A 5x7 capital font, enough for the texts drawn here.
GLYPHS = {
    "A": ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    "C": ["01110", "10001", "10000", "10000", "10000", "10001", "01110"],
    "D": ["11110", "10001", "10001", "10001", "10001", "10001", "11110"],
    "E": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    "I": ["01110", "00100", "00100", "00100", "00100", "00100", "01110"],
    "L": ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    "M": ["10001", "11011", "10101", "10101", "10001", "10001", "10001"],
    "N": ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    "O": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    "P": ["11110", "10001", "10001", "11110", "10000", "10000", "10000"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "S": ["01111", "10000", "10000", "01110", "00001", "00001", "11110"],
    "T": ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    "U": ["10001", "10001", "10001", "10001", "10001", "10001", "01110"],
    "V": ["10001", "10001", "10001", "10001", "10001", "01010", "00100"],
    " ": ["00000"] * 7,
}


def mix(a, b, t):
    t = min(max(t, 0.0), 1.0)
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def sky_colour(y):
    """Night blue at the top through violet to a warm glow at the horizon."""
    stops = [(0.0, (8, 10, 34)), (0.55, (48, 28, 92)), (0.85, (170, 70, 110)),
             (1.0, (250, 150, 90))]
    t = y / HORIZON
    for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
        if t <= t1:
            return mix(c0, c1, (t - t0) / (t1 - t0))
    return stops[-1][1]


def ground_colour(x, y):
    """A dark plane with a glowing grid seen in perspective from a low camera."""
    base = mix((40, 16, 60), (6, 4, 18), (y - HORIZON) / 80.0)
    rows_below = y - HORIZON + 0.5
    depth = 2400.0 / rows_below  # distance along the ground, in grid units of 10
    across = (x - WIDTH / 2 + 0.5) * depth / 600.0
    # Distance to the nearest grid line in pixels, from the derivative of each coordinate.
    depth_per_pixel = depth / rows_below
    along_line = abs(depth / 10.0 - round(depth / 10.0)) * 10.0 / depth_per_pixel
    across_line = abs(across / 10.0 - round(across / 10.0)) * 10.0 / (depth / 600.0)
    line = max(0.0, 1.0 - min(along_line, across_line) / 1.2)
    fade = min(1.0, rows_below / 140.0)
    glow = mix((255, 80, 200), (80, 220, 255), fade)
    return mix(base, glow, line * (0.35 + 0.65 * fade))


def sun(x, y, colour):
    d = math.hypot(x - WIDTH / 2, (y - HORIZON) * 1.15)
    if d < 80 and y < HORIZON:
        band = (HORIZON - y) % 14 < 3 + (HORIZON - y) / 40.0  # the classic slatted sun
        if not band:
            return mix((255, 220, 110), (255, 90, 120), (HORIZON - y) / 80.0)
    halo = max(0.0, 1.0 - d / 260.0) ** 2
    return mix(colour, (255, 160, 120), halo * 0.45)


def stars():
    seed = 20240517
    points = set()
    for _ in range(140):
        seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
        x = seed % WIDTH
        seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
        y = seed % (HORIZON - 120)
        points.add((x, y))
    return points


def text_mask(text, scale):
    """Pixels covered by the text at the given scale, relative to its top left corner."""
    covered = set()
    for index, char in enumerate(text):
        for row, bits in enumerate(GLYPHS[char]):
            for col, bit in enumerate(bits):
                if bit == "1":
                    x0, y0 = (index * 6 + col) * scale, row * scale
                    for dy in range(scale):
                        for dx in range(scale):
                            covered.add((x0 + dx, y0 + dy))
    return covered, (len(text) * 6 - 1) * scale, 7 * scale


def draw_text(image, text, scale, top, fill_top, fill_bottom, shadow):
    covered, width, height = text_mask(text, scale)
    left = (WIDTH - width) // 2
    offset = max(2, scale // 3)
    for x, y in covered:
        sx, sy = left + x + offset, top + y + offset
        image[sy][sx] = mix(image[sy][sx], shadow, 0.8)
    for x, y in covered:
        image[top + y][left + x] = mix(fill_top, fill_bottom, y / height)


def splash_pixels():
    star_points = stars()
    image = []
    for y in range(HEIGHT):
        row = []
        sky = sky_colour(y) if y < HORIZON else None
        for x in range(WIDTH):
            if y < HORIZON:
                colour = (230, 230, 255) if (x, y) in star_points else sky
                colour = sun(x, y, colour)
            else:
                colour = ground_colour(x, y)
            row.append(colour)
        image.append(row)
    draw_text(image, "ORVANTA", 12, 120, (255, 255, 255), (150, 220, 255), (10, 0, 30))
    draw_text(image, "A VIRTUAL CAMERA PRESENTATION", 3, 232, (255, 210, 230),
              (255, 170, 200), (10, 0, 30))
    return image


def to_bytes(colour):
    return tuple(int(round(min(max(c, 0), 255))) for c in colour)


def dib_rows(pixels, bits, palette):
    """Bottom-up rows of packed pixels, each padded to a multiple of four bytes."""
    rows = []
    for row in reversed(pixels):
        data = bytearray()
        if bits == 24:
            for colour in row:
                r, g, b = to_bytes(colour)
                data += bytes((b, g, r))
        else:
            indices = [nearest(palette, colour) for colour in row]
            per_byte = 8 // bits
            for start in range(0, len(indices), per_byte):
                value = 0
                for i, index in enumerate(indices[start:start + per_byte]):
                    value |= index << (8 - bits * (i + 1))
                data.append(value)
        data += bytes(-len(data) % 4)
        rows.append(bytes(data))
    return b"".join(rows)


def bitmap_info_header(width, height, bits, image_size, ppm):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, image_size, ppm, ppm, 0,
                       0)


def write_splash(path):
    pixels = splash_pixels()
    bits = dib_rows(pixels, 24, None)
    assert len(bits) == HEIGHT * WIDTH * 3
    header = bitmap_info_header(WIDTH, HEIGHT, 24, len(bits), PIXELS_PER_METRE)
    file_header = struct.pack("<2sIHHI", b"BM", 14 + len(header) + len(bits), 0, 0,
                              14 + len(header))
    path.write_bytes(file_header + header + bits)


def palette_8():
    """A 6x7x6 colour cube and a grey ramp: 252 + 4 entries."""
    colours = [(r * 51, g * 42.5, b * 51) for r in range(6) for g in range(7) for b in range(6)]
    colours += [(64, 64, 64), (128, 128, 128), (192, 192, 192), (240, 240, 240)]
    return colours


PALETTE_4 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
             (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
             (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
PALETTE_1 = [(0, 0, 0), (255, 255, 255)]


def nearest(palette, colour):
    r, g, b = colour
    return min(range(len(palette)), key=lambda i: (palette[i][0] - r) ** 2 * 3 +
               (palette[i][1] - g) ** 2 * 4 + (palette[i][2] - b) ** 2 * 2)


def icon_pixels(size):
    """The splash in small: dusk sky, the sun on the horizon and the grid below it."""
    pixels = []
    horizon = round(size * 0.6)
    for y in range(size):
        row = []
        for x in range(size):
            u, v = (x + 0.5) / size, (y + 0.5) / size
            if y < horizon:
                colour = mix((20, 16, 70), (250, 120, 100), v / 0.6)
                if math.hypot(u - 0.5, v - 0.6) < 0.3:
                    colour = (255, 215, 90)
            else:
                rows_below = y - horizon + 0.5
                slope = (x + 0.5 - size / 2) / rows_below
                on_spoke = abs(slope / 1.3 - round(slope / 1.3)) * 1.3 * rows_below < 0.8
                on_row = y - horizon in (0, round(size * 0.12), round(size * 0.3))
                colour = (80, 220, 255) if on_spoke or on_row else (30, 10, 50)
            row.append(colour)
        pixels.append(row)
    return pixels


def icon_image(size, bits):
    palette = {24: None, 8: palette_8(), 4: PALETTE_4, 1: PALETTE_1}[bits]
    pixels = icon_pixels(size)
    xor = dib_rows(pixels, bits, palette)
    and_row = (size + 31) // 32 * 4
    mask = bytes(and_row * size)  # every pixel opaque
    header = bitmap_info_header(size, size * 2, bits, len(xor) + len(mask), 0)
    colours = b""
    if palette is not None:
        colours = b"".join(bytes((*to_bytes(c)[::-1], 0)) for c in palette)
        colours += bytes(4 * (2 ** bits) - len(colours))
    return header + colours + xor + mask


def write_icon(path):
    formats = [(size, bits) for size in (32, 16) for bits in (24, 8, 4, 1)]
    images = [icon_image(size, bits) for size, bits in formats]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b""
    for (size, bits), image in zip(formats, images):
        colour_count = 2 ** bits if bits < 8 else 0
        entries += struct.pack("<BBBBHHII", size, size, colour_count, 0, 1, bits, len(image),
                               offset)
        offset += len(image)
    path.write_bytes(directory + entries + b"".join(images))


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_assets.py OUTPUT_FOLDER")
    folder = Path(sys.argv[1])
    folder.mkdir(parents=True, exist_ok=True)
    write_splash(folder / "splash.bmp")
    write_icon(folder / "loader.ico")


if __name__ == "__main__":
    main()
