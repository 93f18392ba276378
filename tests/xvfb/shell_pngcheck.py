"""Checks a screenshot of the game: its size and which parts are lit.

    python3 shell_pngcheck.py FILE WIDTH HEIGHT CHECK...

Each CHECK is KIND:X0,Y0,X1,Y1[,N] in the coordinates of a 1024-pixel-wide
screen (the menus scale with the width alone), scaled to WIDTH (N with the
area); KIND@px takes the box in the screenshot's own pixels instead:
  black   every pixel of the box is black (no channel above 16)
  lit     at least N pixels of the box have a channel of 60 or more
  drawn   at least N pixels of the box have a channel of 24 or more (a cycling
          colour may be passing through a dark shade)
  grey    at least N pixels of the box are the menu grey (100, 100, 100)
"""
import struct
import sys
import zlib


def decode(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise SystemExit(f"{path}: not a PNG")
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace:
        raise SystemExit(f"{path}: unexpected PNG format {header}")
    bpp = 3 if colour == 2 else 4
    raw = zlib.decompress(idat)
    stride = width * bpp
    rows, prev, pos = [], bytearray(stride), 0
    for _ in range(height):
        ftype, line = raw[pos], bytearray(raw[pos + 1:pos + 1 + stride])
        pos += 1 + stride
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            if ftype == 1:
                line[i] = (line[i] + a) & 255
            elif ftype == 2:
                line[i] = (line[i] + b) & 255
            elif ftype == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif ftype == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                pred = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
                line[i] = (line[i] + pred) & 255
        rows.append(bytes(line))
        prev = line
    return width, height, bpp, rows


def main():
    path, want_w, want_h = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    width, height, bpp, rows = decode(path)
    if (width, height) != (want_w, want_h):
        raise SystemExit(f"{path}: {width} x {height}, expected {want_w} x {want_h}")
    k = width / 1024
    for check in sys.argv[4:]:
        kind, numbers = check.split(":")
        scale = k
        if kind.endswith("@px"):
            kind, scale = kind[:-3], 1
        values = [float(v) for v in numbers.split(",")]
        x0, y0, x1, y1 = (int(v * scale) for v in values[:4])
        need = int(values[4] * scale * scale) if len(values) > 4 else 1
        count = total = 0
        for y in range(max(y0, 0), min(y1, height)):
            row = rows[y]
            for x in range(max(x0, 0), min(x1, width)):
                r, g, b = row[x * bpp], row[x * bpp + 1], row[x * bpp + 2]
                total += 1
                if kind == "black":
                    count += max(r, g, b) > 16
                elif kind == "lit":
                    count += max(r, g, b) >= 60
                elif kind == "drawn":
                    count += max(r, g, b) >= 24
                elif kind == "grey":
                    count += abs(r - 100) <= 3 and abs(g - 100) <= 3 and abs(b - 100) <= 3
        if kind == "black" and count:
            raise SystemExit(f"{path}: {count} lit pixels in the black box {check}")
        if kind != "black" and count < need:
            raise SystemExit(f"{path}: {count} of {total} pixels for {check}")


main()
