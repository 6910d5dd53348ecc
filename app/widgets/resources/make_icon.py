#!/usr/bin/python3
"""Draws the application icon: a map sheet with a graticule and two control-point pins."""
from PIL import Image, ImageDraw
import os

size = 64
img = Image.new("RGBA", (size, size), (0, 0, 0, 0))
d = ImageDraw.Draw(img)
d.rounded_rectangle([4, 8, 59, 57], radius=5, fill=(236, 226, 196, 255), outline=(90, 70, 40, 255), width=2)
for x in range(14, 56, 10):
    d.line([x, 10, x, 55], fill=(120, 150, 190, 255), width=1)
for y in range(18, 56, 10):
    d.line([6, y, 57, y], fill=(120, 150, 190, 255), width=1)
d.line([8, 48, 22, 36, 34, 40, 55, 16], fill=(60, 130, 70, 255), width=3)
for cx, cy in ((16, 24), (46, 46)):
    d.ellipse([cx - 5, cy - 5, cx + 5, cy + 5], fill=(200, 30, 30, 255), outline=(90, 0, 0, 255))
    d.ellipse([cx - 1, cy - 1, cx + 1, cy + 1], fill=(255, 255, 255, 255))
img.save(os.path.join(os.path.dirname(os.path.abspath(__file__)), "nulo_vandrel.png"))
