#!/usr/bin/env python3
"""Writes the small picture files the picture tests decode, byte by byte from the
published layouts, so the tests do not depend on an encoder of the decoders' own library.
Run from this folder; the outputs are committed."""
import struct
import zlib

# 4 x 3 test pattern, RGB, top row first.
PATTERN = [
    [(255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 255)],
    [(0, 0, 0), (255, 255, 0), (0, 255, 255), (255, 0, 255)],
    [(128, 128, 128), (64, 0, 128), (0, 128, 64), (200, 100, 50)],
]
W, H = 4, 3


def bmp24():
    rows = b""
    for row in reversed(PATTERN):  # bottom-up
        line = b"".join(bytes((b, g, r)) for r, g, b in row)
        line += b"\0" * ((4 - len(line) % 4) % 4)
        rows += line
    info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(rows), 0, 0, 14 + len(info))
    return header + info + rows


def tga(rle):
    header = struct.pack("<BBBHHBHHHHBB", 0, 0, 10 if rle else 2, 0, 0, 0, 0, 0, W, H, 24, 0)
    body = b""
    for row in reversed(PATTERN):  # origin bottom-left
        pixels = [bytes((b, g, r)) for r, g, b in row]
        if rle:
            body += bytes((0x80 | 0,)) + pixels[0]          # run of one
            body += bytes((len(pixels) - 2,)) + b"".join(pixels[1:])  # raw packet
        else:
            body += b"".join(pixels)
    return header + body


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


def png_rgba():
    raw = b""
    for y, row in enumerate(PATTERN):
        raw += b"\0"
        for x, (r, g, b) in enumerate(row):
            alpha = 0 if (x, y) == (3, 2) else 255  # one transparent pixel
            raw += bytes((r, g, b, alpha))
    ihdr = struct.pack(">IIBBBBB", W, H, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", ihdr) + png_chunk(b"IDAT", zlib.compress(raw)) +
            png_chunk(b"IEND", b""))


def lzw(indices, min_size):
    clear, eoi = 1 << min_size, (1 << min_size) + 1
    table = {(i,): i for i in range(clear)}
    nxt, size = eoi + 1, min_size + 1
    out, bits, nbits = bytearray(), 0, 0

    def emit(code):
        nonlocal bits, nbits
        bits |= code << nbits
        nbits += size
        while nbits >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            nbits -= 8

    emit(clear)
    cur = ()
    for ix in indices:
        if cur + (ix,) in table:
            cur += (ix,)
            continue
        emit(table[cur])
        if nxt < 4096:
            table[cur + (ix,)] = nxt
            nxt += 1
            if nxt > (1 << size) and size < 12:
                size += 1
        cur = (ix,)
    emit(table[cur])
    emit(eoi)
    if nbits:
        out.append(bits & 0xFF)
    blocks = b""
    for i in range(0, len(out), 255):
        part = bytes(out[i:i + 255])
        blocks += bytes((len(part),)) + part
    return bytes((min_size,)) + blocks + b"\0"


def gif_animated():
    palette = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 255)]
    data = b"GIF89a" + struct.pack("<HHBBB", W, H, 0xF1, 0, 0)
    data += b"".join(bytes(c) for c in palette)
    data += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01" + struct.pack("<H", 0) + b"\0"
    frames = [([0] * 12, 10), ([2] * 6 + [1] * 6, 20)]  # all red; top half blue, bottom green
    for indices, delay in frames:
        data += b"\x21\xF9\x04\x00" + struct.pack("<H", delay) + b"\x00\x00"
        data += b"\x2C" + struct.pack("<HHHHB", 0, 0, W, H, 0)
        data += lzw(indices, 2)
    return data + b"\x3B"


def ico():
    def entry_image(size, rgb):
        info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
        pixels = bytes((rgb[2], rgb[1], rgb[0], 255)) * (size * size)
        mask = b"\0" * (((size + 31) // 32) * 4 * size)
        return info + pixels + mask

    images = [(16, entry_image(16, (255, 0, 0))), (32, entry_image(32, (0, 0, 255)))]
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    body = b""
    for size, img in images:
        data += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(img), offset + len(body))
        body += img
    return data + body


FILES = {
    "pattern.bmp": bmp24(),
    "pattern.tga": tga(False),
    "pattern-rle.tga": tga(True),
    "pattern.png": png_rgba(),
    "anim.gif": gif_animated(),
    "two-sizes.ico": ico(),
}

if __name__ == "__main__":
    for name, content in FILES.items():
        with open(name, "wb") as f:
            f.write(content)
    with open("truncated.png", "wb") as f:
        f.write(FILES["pattern.png"][:40])
    with open("truncated.bmp", "wb") as f:
        f.write(FILES["pattern.bmp"][:30])
