#!/usr/bin/env python3
"""Draws the program's pictures: the window icon, the about-box bitmap and
the animation clip played while a run is in progress. Pure Python, so the
build needs nothing beyond the interpreter. Writes into corvane/resources/."""
import math
import os
import struct

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "corvane", "resources")

# A small palette: index 0 background, then blues and a marker colour.
PALETTE = [(255, 255, 255), (30, 60, 140), (70, 120, 200), (150, 190, 240), (230, 120, 30), (0, 0, 0)]
PALETTE += [(255, 255, 255)] * (256 - len(PALETTE))


def globe(size, angle):
    """Rows (bottom-up) of palette indices: a globe with meridians and a
    marker that travels around it as the angle grows."""
    rows = []
    c = (size - 1) / 2.0
    r = size * 0.42
    for y in range(size - 1, -1, -1):
        row = []
        for x in range(size):
            dx, dy = x - c, y - c
            d = math.hypot(dx, dy)
            if d > r:
                row.append(0)
                continue
            lon = math.asin(max(-1.0, min(1.0, dx / math.sqrt(max(r * r - dy * dy, 1e-6)))))
            band = int((lon + angle) / (math.pi / 6)) % 2
            row.append(1 if d > r - 1.2 else (2 if band else 3))
        rows.append(row)
    mx = c + r * 0.9 * math.cos(angle * 2)
    my = c + r * 0.9 * math.sin(angle * 2)
    for y in range(size):
        for x in range(size):
            if (x - mx) ** 2 + (y - my) ** 2 <= (size / 12.0) ** 2:
                rows[size - 1 - y][x] = 4
    return rows


def dib8(rows):
    """Pixel bytes of an 8-bit bottom-up DIB, rows padded to 4 bytes."""
    out = bytearray()
    for row in rows:
        data = bytes(row)
        out += data + b"\0" * ((4 - len(data) % 4) % 4)
    return bytes(out)


def bitmapinfo(w, h, image_size, colors=256):
    header = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 0, image_size, 2835, 2835, colors, 0)
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE[:colors])
    return header, pal


def write_bmp(path, rows):
    h, w = len(rows), len(rows[0])
    pixels = dib8(rows)
    header, pal = bitmapinfo(w, h, len(pixels))
    offset = 14 + len(header) + len(pal)
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset))
        f.write(header + pal + pixels)


def write_ico(path, rows):
    h, w = len(rows), len(rows[0])
    pixels = dib8(rows)
    mask_row = ((w + 31) // 32) * 4
    mask = b"\0" * (mask_row * h)
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 8, 0, len(pixels) + len(mask), 0, 0, 256, 0)
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    image = header + pal + pixels + mask
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, 1))
        f.write(struct.pack("<BBBBHHII", w, h, 0, 0, 1, 8, len(image), 6 + 16))
        f.write(image)


def chunk(tag, data):
    pad = b"\0" if len(data) % 2 else b""
    return tag + struct.pack("<I", len(data)) + data + pad


def riff_list(tag, kind, data):
    return chunk(tag, kind + data)


def write_avi(path, frames, fps=8):
    h, w = len(frames[0]), len(frames[0][0])
    datas = [dib8(f) for f in frames]
    size = len(datas[0])
    usec = 1000000 // fps
    avih = struct.pack("<IIIIIIIIII4I", usec, size * fps, 0, 0x10, len(frames), 0, 1, size, w, h, 0, 0, 0, 0)
    strh = struct.pack("<4s4sIHHIIIIIIIIhhhh", b"vids", b"DIB ", 0, 0, 0, 0, 1, fps, 0, len(frames), size,
                       0xFFFFFFFF, 0, 0, 0, w, h)
    header, pal = bitmapinfo(w, h, size)
    strl = riff_list(b"LIST", b"strl", chunk(b"strh", strh) + chunk(b"strf", header + pal))
    hdrl = riff_list(b"LIST", b"hdrl", chunk(b"avih", avih) + strl)
    movi_data = b""
    index = b""
    offset = 4
    for d in datas:
        index += b"00db" + struct.pack("<III", 0x10, offset, len(d))
        c = chunk(b"00db", d)
        movi_data += c
        offset += len(c)
    movi = riff_list(b"LIST", b"movi", movi_data)
    body = b"AVI " + hdrl + movi + chunk(b"idx1", index)
    with open(path, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", len(body)) + body)


def main():
    write_ico(os.path.join(OUT, "pellmark.ico"), globe(32, 0.3))
    write_bmp(os.path.join(OUT, "about.bmp"), globe(96, 0.3))
    write_avi(os.path.join(OUT, "trawling.avi"), [globe(32, i * math.pi / 8) for i in range(16)])


if __name__ == "__main__":
    main()
