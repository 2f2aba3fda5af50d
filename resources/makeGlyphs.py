#!/usr/bin/env python3
"""Writes the spin button's four default glyphs as 1-bit .bmp files.

Each file is the 14-byte file header followed by the device-independent bitmap: a 40-byte
info header, a two-entry colour table (0 black, 1 white) and rows bottom-up, each padded
to 4 bytes. X is black (the arrow), . is white (transparent when drawn).
"""
import struct
import sys
from pathlib import Path

GLYPHS = {
    "QUARNSPINUP": ["..XX..", ".XXXX.", "XXXXXX", "..XX..", "..XX..", "..XX.."],
    "QUARNSPINDOWN": ["..XX..", "..XX..", "..XX..", "XXXXXX", ".XXXX.", "..XX.."],
    "QUARNSPINUPPOLE": ["...X...", "..XXX..", ".XXXXX.", "XXXXXXX"],
    "QUARNSPINDOWNPOLE": ["XXXXXXX", ".XXXXX.", "..XXX..", "...X..."],
}


def dib(rows):
    width, height = len(rows[0]), len(rows)
    stride = ((width + 31) // 32) * 4
    pixels = b""
    for row in reversed(rows):
        bits = 0
        for i, c in enumerate(row):
            if c == ".":
                bits |= 0x80 >> (i % 8) << (8 * (stride - 1 - i // 8))
        pixels += bits.to_bytes(stride, "big")
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 1, 0, len(pixels), 0, 0, 2, 2)
    colours = bytes([0, 0, 0, 0, 255, 255, 255, 0])
    return info + colours + pixels


def bmp(rows):
    body = dib(rows)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(body), 0, 0, 14 + 40 + 8)
    return header + body


if __name__ == "__main__":
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).parent
    for name, rows in GLYPHS.items():
        (out / f"{name}.bmp").write_bytes(bmp(rows))
