#!/usr/bin/env python3
"""Writes the demo's window mask: an ellipse of the given size as a mask file (a 32-bit
length, then region data: a 32-byte header and one rectangle per run of equal rows)."""
import struct
import sys


def ellipse_rows(width, height):
    a, b = width / 2, height / 2
    for y in range(height):
        dy = (y + 0.5 - b) / b
        half = a * max(0.0, 1 - dy * dy) ** 0.5
        left, right = round(a - half), round(a + half)
        yield left, right


def region(width, height):
    rects = []
    for y, (left, right) in enumerate(ellipse_rows(width, height)):
        if left >= right:
            continue
        if rects and rects[-1][0] == left and rects[-1][2] == right and rects[-1][3] == y:
            rects[-1][3] = y + 1
        else:
            rects.append([left, y, right, y + 1])
    bound = (min(r[0] for r in rects), min(r[1] for r in rects),
             max(r[2] for r in rects), max(r[3] for r in rects))
    data = struct.pack("<4i4i", 32, 1, len(rects), 16 * len(rects), *bound)
    for r in rects:
        data += struct.pack("<4i", *r)
    return data


def main():
    out, width, height = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    data = region(width, height)
    with open(out, "wb") as f:
        f.write(struct.pack("<i", len(data)) + data)


if __name__ == "__main__":
    main()
