#!/usr/bin/env python3
"""Builds the window's icons from Debian's adwaita-icon-theme (CC-BY-SA 3.0 or LGPL 3).

Each .ico holds 32-bit images (BGRA with an AND mask) at the sizes the windows load at
96 to 192 DPI; sizes the theme lacks are area-averaged from a larger picture.
Run: python3 resources/artwork/make_icons.py (needs adwaita-icon-theme installed).
"""
import os
import struct
import sys
import zlib

THEME = "/usr/share/icons/Adwaita"
HERE = os.path.dirname(os.path.abspath(__file__))

# name -> (theme picture, sizes)
ICONS = {
    "computer.ico": ("devices/computer.png", [32, 48, 64, 80, 96, 128]),
    "network.ico": ("places/network-workgroup.png", [32, 48, 64, 80, 96, 128]),
    "treegroup.ico": ("places/folder.png", [16, 20, 24, 32]),
    "treeimmunizer.ico": ("legacy/security-high.png", [16, 20, 24, 32]),
}


def read_png(path):
    data = open(path, "rb").read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", path
    pos, idat, palette, trns = 8, b"", None, None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            width, height, depth, ctype, _, _, interlace = struct.unpack(">IIBBBBB", body)
            assert depth == 8 and interlace == 0, (path, depth, interlace)
        elif kind == b"PLTE":
            palette = body
        elif kind == b"tRNS":
            trns = body
        elif kind == b"IDAT":
            idat += body
    channels = {6: 4, 2: 3, 3: 1, 4: 2, 0: 1}[ctype]
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, prev = [], bytearray(stride)
    for y in range(height):
        f = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b = prev[i]
            c = prev[i - channels] if i >= channels else 0
            if f == 1:
                line[i] = (line[i] + a) & 255
            elif f == 2:
                line[i] = (line[i] + b) & 255
            elif f == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif f == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(line)
        prev = line
    pixels = []
    for line in rows:
        for x in range(width):
            px = line[x * channels:(x + 1) * channels]
            if ctype == 6:
                pixels.append(tuple(px))
            elif ctype == 2:
                pixels.append((px[0], px[1], px[2], 255))
            elif ctype == 4:
                pixels.append((px[0], px[0], px[0], px[1]))
            elif ctype == 0:
                pixels.append((px[0], px[0], px[0], 255))
            else:
                i = px[0]
                alpha = trns[i] if trns is not None and i < len(trns) else 255
                pixels.append((palette[3 * i], palette[3 * i + 1], palette[3 * i + 2], alpha))
    return width, height, pixels


def resample(src, size):
    """Area average with premultiplied alpha."""
    width, height, pixels = src
    if width == size:
        return pixels
    out = []
    scale = width / size
    for oy in range(size):
        y0, y1 = oy * scale, (oy + 1) * scale
        for ox in range(size):
            x0, x1 = ox * scale, (ox + 1) * scale
            acc = [0.0, 0.0, 0.0, 0.0]
            total = 0.0
            for sy in range(int(y0), min(height, int(y1 + 0.999999))):
                wy = min(y1, sy + 1) - max(y0, sy)
                if wy <= 0:
                    continue
                for sx in range(int(x0), min(width, int(x1 + 0.999999))):
                    wx = min(x1, sx + 1) - max(x0, sx)
                    if wx <= 0:
                        continue
                    w = wx * wy
                    r, g, b, a = pixels[sy * width + sx]
                    acc[0] += r * a * w
                    acc[1] += g * a * w
                    acc[2] += b * a * w
                    acc[3] += a * w
                    total += w
            alpha = acc[3] / total
            if acc[3] > 0:
                rgb = [min(255, round(acc[i] / acc[3])) for i in range(3)]
            else:
                rgb = [0, 0, 0]
            out.append((rgb[0], rgb[1], rgb[2], min(255, round(alpha))))
    return out


def source_for(picture, size):
    """The theme's picture of exactly this size, else the smallest larger one."""
    candidates = []
    for folder in os.listdir(THEME):
        if "x" not in folder or not folder.split("x")[0].isdigit():
            continue
        n = int(folder.split("x")[0])
        path = os.path.join(THEME, folder, picture)
        if os.path.exists(path):
            candidates.append((n, path))
    candidates.sort()
    for n, path in candidates:
        if n == size:
            return path
    for n, path in candidates:
        if n > size and n % size == 0:
            return path
    for n, path in candidates:
        if n > size:
            return path
    return candidates[-1][1]


def dib(size, pixels):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for y in range(size - 1, -1, -1):
        for x in range(size):
            r, g, b, a = pixels[y * size + x]
            xor += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for y in range(size - 1, -1, -1):
        row = bytearray(mask_stride)
        for x in range(size):
            if pixels[y * size + x][3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    return header + bytes(xor) + bytes(mask)


def write_ico(path, images):
    entries, blobs = b"", b""
    offset = 6 + 16 * len(images)
    for size, blob in images:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        blobs += blob
        offset += len(blob)
    open(path, "wb").write(struct.pack("<HHH", 0, 1, len(images)) + entries + blobs)


def main():
    cache = {}
    for name, (picture, sizes) in ICONS.items():
        images = []
        for size in sizes:
            src_path = source_for(picture, size)
            if src_path not in cache:
                cache[src_path] = read_png(src_path)
            images.append((size, dib(size, resample(cache[src_path], size))))
        write_ico(os.path.join(HERE, name), images)
        print(name, sizes, file=sys.stderr)


if __name__ == "__main__":
    main()
