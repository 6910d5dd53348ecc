#!/usr/bin/python3
"""Draws the sample map: an equirectangular graticule over 106 W to 104 W and 39 N to 40.5 N,
600 pixels per degree, with labelled lines every quarter degree, a few made-up features and the
two control points of control_points.txt ringed in red. Pixel (x, y) has its centre at
longitude -106 + x/600 and latitude 40.5 - y/600."""
from PIL import Image, ImageDraw, ImageFont
import math
import os

here = os.path.dirname(os.path.abspath(__file__))
W, H = 1200, 900
PPD = 600.0
LON0, LAT0 = -106.0, 40.5


def px(lon, lat):
    return (lon - LON0) * PPD, (LAT0 - lat) * PPD


def dms(value, pos, neg):
    hemi = pos if value >= 0 else neg
    value = abs(value)
    deg = int(value)
    minutes = int(round((value - deg) * 60))
    return f"{deg}\u00b0{minutes:02d}'{hemi}"


img = Image.new("RGB", (W, H), (238, 232, 212))
d = ImageDraw.Draw(img)
try:
    font = ImageFont.truetype("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 14)
    big = ImageFont.truetype("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf", 20)
except OSError:
    font = big = ImageFont.load_default()

# Made-up terrain: a lake, a river and a road.
d.ellipse([px(-105.2, 40.1)[0], px(-105.2, 40.1)[1], px(-104.9, 39.95)[0], px(-104.9, 39.95)[1]],
          fill=(160, 200, 230), outline=(70, 120, 170))
river = [px(-106 + i * 0.05, 39.3 + 0.25 * math.sin(i / 5.0) + i * 0.012) for i in range(41)]
d.line(river, fill=(70, 120, 200), width=4)
d.line([px(-105.9, 40.45), px(-105.3, 39.8), px(-104.6, 39.6), px(-104.05, 39.05)],
       fill=(170, 60, 40), width=3)

# Graticule every quarter degree.
for i in range(9):
    lon = LON0 + i * 0.25
    x = px(lon, LAT0)[0]
    d.line([x, 0, x, H], fill=(60, 90, 140), width=2 if i % 2 == 0 else 1)
    d.text((x + 3, 3), dms(lon, "E", "W"), fill=(30, 50, 90), font=font)
for j in range(7):
    lat = LAT0 - j * 0.25
    y = px(LON0, lat)[1]
    d.line([0, y, W, y], fill=(60, 90, 140), width=2 if j % 2 == 0 else 1)
    if j > 0:  # the top edge carries the longitudes
        d.text((3, y + 2), dms(lat, "N", "S"), fill=(30, 50, 90), font=font)

# The control points.
points = []
with open(os.path.join(here, "control_points.txt")) as f:
    for line in f:
        if line.strip() and not line.startswith("#"):
            points.append(line.strip().split(","))
for n, (x, y, _lat, _lon) in enumerate(points, start=1):
    x, y = int(x), int(y)
    d.ellipse([x - 12, y - 12, x + 12, y + 12], outline=(200, 20, 20), width=3)
    d.line([x - 18, y, x + 18, y], fill=(200, 20, 20), width=1)
    d.line([x, y - 18, x, y + 18], fill=(200, 20, 20), width=1)
    d.text((x + 16, y - 30), f"#{n}", fill=(200, 20, 20), font=big)

d.text((W - 330, H - 30), "Nulo Vandrel sample map (fictional)", fill=(90, 70, 40), font=font)
img.save(os.path.join(here, "sample_map.jpg"), quality=90)
