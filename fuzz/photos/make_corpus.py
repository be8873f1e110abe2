#!/usr/bin/env python3
"""Writes the bitmap, PNG, GIF and icon seeds of corpus/ (the JPEG seeds
come from make_jpegs.c): tiny pictures in the common variants of each format."""
import os
import struct
import sys
import zlib

out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "corpus")
os.makedirs(out, exist_ok=True)


def save(name, data):
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)


def bmp(width, height, bits, pixels, palette=b"", compression=0, top_down=False):
    header = struct.pack("<IiiHHIIiiII", 40, width, -height if top_down else height, 1, bits,
                         compression, len(pixels), 2835, 2835, len(palette) // 4, 0)
    offset = 14 + len(header) + len(palette)
    return b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset) + header + palette + pixels


# 24-bit 2x2 (rows padded to 4 bytes), 8-bit palette 2x2, RLE8 4x2, 1-bit 8x1 top-down.
save("rgb2x2.bmp", bmp(2, 2, 24, bytes([0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0, 0, 0])))
palette = bytes([0, 0, 0, 0, 255, 255, 255, 0, 0, 0, 255, 0, 255, 0, 0, 0])
save("pal2x2.bmp", bmp(2, 2, 8, bytes([0, 1, 0, 0, 2, 3, 0, 0]), palette))
save("rle4x2.bmp", bmp(4, 2, 8, bytes([4, 1, 0, 0, 2, 2, 2, 3, 0, 0, 0, 1]), palette, compression=1))
save("mono8x1.bmp", bmp(8, 1, 1, bytes([0xA5, 0, 0, 0]), bytes([0, 0, 0, 0, 255, 255, 255, 0]), top_down=True))
# OS/2 bitmap header (12 bytes), 24-bit 1x1.
os2 = struct.pack("<IHHHH", 12, 1, 1, 1, 24)
save("os2.bmp", b"BM" + struct.pack("<IHHI", 14 + 12 + 4, 0, 0, 26) + os2 + bytes([10, 20, 30, 0]))


def png(width, height, colour_type, bit_depth, rows, extra=b""):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)
    raw = b"".join(b"\0" + r for r in rows)
    ihdr = struct.pack(">IIBBBBB", width, height, bit_depth, colour_type, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + extra + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


save("rgba2x2.png", png(2, 2, 6, 8, [bytes([255, 0, 0, 255, 0, 255, 0, 128]), bytes([0, 0, 255, 0, 9, 9, 9, 255])]))
save("grey3x1.png", png(3, 1, 0, 8, [bytes([0, 128, 255])]))
plte = struct.pack(">I", 6) + b"PLTE" + bytes([255, 0, 0, 0, 0, 255])
plte += struct.pack(">I", zlib.crc32(b"PLTE" + bytes([255, 0, 0, 0, 0, 255])) & 0xFFFFFFFF)
save("pal4x1.png", png(4, 1, 3, 1, [bytes([0b10100000])], plte))


def gif(width, height, indices, interlace=False):
    # LZW with a 2-bit code size, sending a clear code before every pixel
    # keeps the codes 3 bits wide: simple and valid.
    min_code = 2
    clear, end = 1 << min_code, (1 << min_code) + 1
    codes = []
    for p in indices:
        codes += [clear, p]
    codes.append(end)
    bits, nbits, data = 0, 0, bytearray()
    for c in codes:
        bits |= c << nbits
        nbits += 3
        while nbits >= 8:
            data.append(bits & 0xFF)
            bits >>= 8
            nbits -= 8
    if nbits:
        data.append(bits & 0xFF)
    blocks = b"".join(bytes([len(data[i:i + 255])]) + bytes(data[i:i + 255]) for i in range(0, len(data), 255))
    colours = bytes([0, 0, 0, 255, 255, 255, 255, 0, 0, 0, 0, 255])
    screen = struct.pack("<HHBBB", width, height, 0x81, 0, 0)
    gce = b"\x21\xF9\x04\x01\x00\x00\x03\x00"   # colour 3 transparent
    image = b"\x2C" + struct.pack("<HHHHB", 0, 0, width, height, 0x40 if interlace else 0)
    return b"GIF89a" + screen + colours + gce + image + bytes([min_code]) + blocks + b"\x00\x3B"


save("plain3x2.gif", gif(3, 2, [0, 1, 2, 3, 2, 1]))
save("interlaced2x4.gif", gif(2, 4, [1, 1, 0, 0, 2, 2, 3, 3], interlace=True))

# An icon holding one 2x2 32-bit bitmap (height doubled for the AND mask).
dib = struct.pack("<IiiHHIIiiII", 40, 2, 4, 1, 32, 0, 0, 0, 0, 0, 0)
dib += bytes([0, 0, 255, 255, 0, 255, 0, 255, 255, 0, 0, 255, 255, 255, 255, 128]) + bytes(8)
save("tiny.ico", struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", 2, 2, 0, 0, 1, 32, len(dib), 22) + dib)
