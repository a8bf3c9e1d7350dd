#!/usr/bin/env python3
"""Writes the program's icons as PNG files for its desktop entry.

The pictures and their legend are read from src/app/AppIcons.cpp, and the
colours are worked out as kit/interface/Palette.h lays the palette out, so the
PNG files show exactly what the program shows. The storage tests compare the
files with the compiled-in icons.

Usage: scripts/make-icons.py [output folder]  (default: packaging/icons)
"""

import pathlib
import re
import struct
import sys
import zlib

ROOT = pathlib.Path(__file__).resolve().parent.parent


def palette_colour(expression):
    """The RGBA colour of a palette index written as in the legend."""
    if expression == "B_TRANSPARENT_MAGIC_CMAP8":
        return (0, 0, 0, 0)
    cube = re.fullmatch(r"cmap8_cube_index\((\d), (\d), (\d)\)", expression)
    if cube:
        return tuple(int(v) * 51 for v in cube.groups()) + (255,)
    grey = re.fullmatch(r"cmap8_grey_index\((\d+)\)", expression)
    if grey:
        value = (int(grey.group(1)) * 255 + 19) // 38
        return (value, value, value, 255)
    raise ValueError("unknown palette index: " + expression)


def read_icons(source):
    legend = {
        symbol: palette_colour(expression)
        for symbol, expression in re.findall(r"\{'(.)', ([^}]+\)|B_TRANSPARENT_MAGIC_CMAP8)\}", source)
    }
    icons = {}
    for name, side in (("kLargeArt", 32), ("kMiniArt", 16)):
        block = re.search(name + r"\[" + str(side) + r"\] = \{(.*?)\};", source, re.S)
        rows = re.findall(r'"([^"]*)"', block.group(1))
        if len(rows) != side or any(len(row) != side for row in rows):
            raise ValueError(name + " is not " + str(side) + " by " + str(side))
        icons[side] = [[legend[symbol] for symbol in row] for row in rows]
    return icons


def png(pixels):
    height = len(pixels)
    width = len(pixels[0])
    raw = b"".join(b"\0" + bytes(c for pixel in row for c in pixel) for row in pixels)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def main():
    output = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else ROOT / "packaging" / "icons"
    output.mkdir(parents=True, exist_ok=True)
    icons = read_icons((ROOT / "src" / "app" / "AppIcons.cpp").read_text())
    for side, pixels in icons.items():
        target = output / "MirvexOggVorbisFrontend-{0}x{0}.png".format(side)
        target.write_bytes(png(pixels))
        print(target)


if __name__ == "__main__":
    main()
