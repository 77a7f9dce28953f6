#!/usr/bin/env python3
"""Writes the two placeholder tray icons (16x16 and 32x32, 32-bit with alpha):
connect.ico, a green disc with a white handset bar, and disconnect.ico, a grey
disc with a red bar across it. Run it in this folder to regenerate them."""
import struct


def disc(size, x, y):
    c = (size - 1) / 2
    return (x - c) ** 2 + (y - c) ** 2 <= (size / 2 - 0.5) ** 2


def connect(size, x, y):
    if not disc(size, x, y):
        return None
    bar = size // 4 <= x < size - size // 4 and size * 3 // 8 <= y < size * 5 // 8
    return (255, 255, 255) if bar else (40, 170, 60)


def disconnect(size, x, y):
    if not disc(size, x, y):
        return None
    slash = abs(x - y) <= max(1, size // 10)
    return (220, 30, 30) if slash else (130, 130, 130)


def image(size, paint):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    mask = bytearray()
    stride = (size + 31) // 32 * 4
    for y in reversed(range(size)):  # rows bottom-up
        row_mask = bytearray(stride)
        for x in range(size):
            colour = paint(size, x, y)
            if colour is None:
                pixels += bytes((0, 0, 0, 0))
                row_mask[x // 8] |= 0x80 >> (x % 8)
            else:
                r, g, b = colour
                pixels += bytes((b, g, r, 255))
        mask += row_mask
    return header + bytes(pixels) + bytes(mask)


def icon(paint):
    images = [image(size, paint) for size in (16, 32)]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip((16, 32), images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


for name, paint in (("connect.ico", connect), ("disconnect.ico", disconnect)):
    with open(name, "wb") as f:
        f.write(icon(paint))
