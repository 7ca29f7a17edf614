#!/usr/bin/env python3
# Writes the test book's tiny artwork: 8- and 24-bit BMP pictures, a PNG with an
# alpha channel and mono 8-bit 11025 Hz WAV cues. Run from this folder; the files it writes are kept in the tree.
import math
import struct
import zlib


def bmp24(name, width, height, colour):
    row = bytes(colour) * width
    row += b"\0" * ((4 - len(row) % 4) % 4)
    pixels = row * height
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    open(name, "wb").write(header + info + pixels)


def bmp8(name, width, height):
    palette = b"".join(struct.pack("<BBBB", i * 60, 255 - i * 60, 128, 0) for i in range(4))
    row = bytes(x % 4 for x in range(width))
    row += b"\0" * ((4 - len(row) % 4) % 4)
    pixels = row * height
    offset = 54 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(pixels), 2835, 2835, 4, 4)
    open(name, "wb").write(header + info + palette + pixels)


# A true-colour PNG whose alpha falls off to the right and whose colours change every
# pixel, so that blending over white and smooth growth at each scale both show.
def png_rgba(name, width, height):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    rows = b""
    for y in range(height):
        rows += b"\0" + b"".join(bytes((x * 255 // (width - 1), y * 255 // (height - 1), 90, 255 - x * 200 // (width - 1)))
                                 for x in range(width))
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    data = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b"")
    open(name, "wb").write(data)


def wav(name, samples, pitch):
    data = bytes(128 + int(100 * math.sin(2 * math.pi * pitch * i / 11025)) for i in range(samples))
    fmt = struct.pack("<HHIIHH", 1, 1, 11025, 11025, 1, 8)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(data)) + data
    open(name, "wb").write(b"RIFF" + struct.pack("<I", len(body)) + body)


bmp8("logo.bmp", 8, 4)
bmp24("title.bmp", 12, 6, (200, 80, 20))
bmp24("lamp.bmp", 4, 4, (0, 200, 255))
bmp8("map_a.bmp", 6, 6)
bmp24("map_b.bmp", 6, 6, (30, 160, 60))
bmp24("tall.bmp", 20, 100, (10, 10, 10))
png_rgba("dusk.png", 24, 16)
wav("gulls.wav", 400, 880)
wav("bell.wav", 300, 440)
