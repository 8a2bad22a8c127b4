#!/usr/bin/env python3
"""Draws the demo product's about image and synthesises its start-up sound.

Both files are committed; run this again only to change them. Standard
library only, so that it runs on any machine with Python 3.
"""
import math
import os
import struct
import wave
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def write_png(path, width, height, pixel):
    rows = bytearray()
    for y in range(height):
        rows.append(0)
        for x in range(width):
            rows.extend(pixel(x, y))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(rows), 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as out:
        out.write(png)


def about_pixel(x, y):
    # Evening sky: deep blue at the top fading to amber at the horizon,
    # a low sun, hills in front, and a lark's silhouette.
    width, height = 150, 200
    t = y / (height - 1)
    sky = (int(20 + 215 * t ** 1.6), int(40 + 120 * t ** 1.3), int(110 - 40 * t))
    r, g, b = sky
    sun_dx, sun_dy = x - 100, y - 128
    d = math.hypot(sun_dx, sun_dy)
    if d < 18:
        r, g, b = 255, 214, 120
    elif d < 30:
        k = (30 - d) / 12
        r, g, b = int(r + (255 - r) * k * 0.6), int(g + (200 - g) * k * 0.6), int(b + (120 - b) * k * 0.6)
    hill1 = 150 + 12 * math.sin(x / 17.0)
    hill2 = 165 + 8 * math.sin(x / 9.0 + 1.3)
    if y > hill2:
        r, g, b = 28, 52, 40
    elif y > hill1:
        r, g, b = 48, 82, 58
    # The lark: two arcs forming a gliding bird.
    bx, by = x - 48, y - 60
    for side in (-1, 1):
        wx = bx * side
        if 0 <= wx <= 16 and abs(by + 0.09 * (wx - 8) ** 2 - 5) < 1.2:
            r, g, b = 18, 20, 34
    return (r, g, b, 255)


def write_sound(path):
    rate = 22050
    seconds = 0.7
    frames = bytearray()
    notes = [(0.0, 659.25), (0.12, 783.99), (0.24, 987.77)]
    for i in range(int(rate * seconds)):
        t = i / rate
        value = 0.0
        for start, freq in notes:
            if t >= start:
                u = t - start
                value += 0.28 * math.sin(2 * math.pi * freq * u) * math.exp(-5.0 * u)
        frames += struct.pack("<h", int(max(-1.0, min(1.0, value)) * 32767))
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(rate)
        out.writeframes(bytes(frames))


if __name__ == "__main__":
    write_png(os.path.join(HERE, "assets", "about.png"), 150, 200, about_pixel)
    write_sound(os.path.join(HERE, "assets", "startup.wav"))
