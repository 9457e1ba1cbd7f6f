#!/usr/bin/env python3
"""Draws world_map.png, the picture of Trekdash's world map window.

The picture is 491 x 328 pixels (7365 x 4920 twips at 15 twips a pixel). Its pixels are placed
by the same rules as the window's mouse read-out, so the latitude and longitude the window shows
under the pointer are those of the land drawn there: the prime meridian lies at 3765 twips and
the equator at 2505 twips from the top-left corner, longitude runs at 20.1 twips a degree, and
latitude by the read-out's bands of twips per degree. The picture reaches a little past 180
degrees west; that strip shows the far east again, as the read-out says.

Land outlines: Natural Earth 1:50m land (public domain), as redistributed in the npm package
world-atlas 2.0.2 (land-50m.json). Without an argument the script fetches that package with
`npm pack` into a scratch folder; with one it reads the given land-50m.json.

    python3 dashboard/ui/map/make_world_map.py [land-50m.json]

Needs only Python 3's standard library (and npm when no file is given).
"""

import json
import os
import struct
import subprocess
import sys
import tarfile
import tempfile
import zlib

WIDTH, HEIGHT = 491, 328
TWIPS_PER_PIXEL = 15
MERIDIAN_X, EQUATOR_Y = 3765, 2505
LON_SCALE = 20.1

OCEAN = (178, 208, 234)
LAND = (214, 222, 170)
COAST = (96, 120, 72)
GRID = (150, 182, 212)
AXIS = (110, 140, 180)


def lat_scale(y):
    """Twips per degree of latitude at height y, as the mouse read-out chooses it."""
    if 2010 <= y <= 3000:
        return 24.7
    if 1200 <= y <= 2009 or 3001 <= y <= 3810:
        return 25.5
    if 855 <= y <= 1199 or 3811 <= y <= 4660:
        return 27.0
    if 480 <= y <= 854 or 4661 <= y <= 5035:
        return 28.7
    return 29.0


def row_latitude(row):
    y = row * TWIPS_PER_PIXEL
    return (EQUATOR_Y - y) / lat_scale(y)  # north positive


def column_longitude(col):
    lon = (col * TWIPS_PER_PIXEL - MERIDIAN_X) / LON_SCALE  # east positive
    return lon + 360 if lon < -180 else lon


def land_rings(path):
    with open(path) as f:
        topo = json.load(f)
    (sx, sy), (tx, ty) = topo["transform"]["scale"], topo["transform"]["translate"]
    arcs = []
    for arc in topo["arcs"]:
        x = y = 0
        points = []
        for dx, dy in arc:
            x += dx
            y += dy
            points.append((x * sx + tx, y * sy + ty))
        arcs.append(points)

    def ring(indices):
        points = []
        for i in indices:
            arc = arcs[i] if i >= 0 else arcs[~i][::-1]
            points.extend(arc if not points else arc[1:])
        return points

    rings = []
    for geometry in topo["objects"]["land"]["geometries"]:
        polygons = geometry["arcs"] if geometry["type"] == "MultiPolygon" else [geometry["arcs"]]
        for polygon in polygons:
            rings.extend(unwrapped(ring(r)) for r in polygon)
    return rings


def unwrapped(points):
    """The ring with its longitudes made continuous across 180 degrees. A ring that goes round
    a pole is closed over that pole."""
    out = [points[0]]
    for x, y in points[1:]:
        px = out[-1][0]
        while x - px > 180:
            x -= 360
        while px - x > 180:
            x += 360
        out.append((x, y))
    turn = out[-1][0] - out[0][0]
    if abs(turn) > 180:
        pole = 90 if sum(y for _, y in out) > 0 else -90
        out += [(out[-1][0], pole), (out[0][0], pole)]
    return out


def land_mask(rings):
    lons = [column_longitude(c) for c in range(WIDTH)]
    mask = []
    for row in range(HEIGHT):
        lat = row_latitude(row)
        inside = [False] * WIDTH
        for points in rings:
            # Each ring fills between its own pairs of crossings; a lake's ring inside its
            # land's ring turns the land back to water.
            crossings = sorted(
                x1 + (lat - y1) * (x2 - x1) / (y2 - y1)
                for (x1, y1), (x2, y2) in zip(points, points[1:] + points[:1])
                if (y1 > lat) != (y2 > lat))
            for a, b in zip(crossings[0::2], crossings[1::2]):
                for c, lon in enumerate(lons):
                    if any(a <= lon + turn <= b for turn in (-360, 0, 360)):
                        inside[c] = not inside[c]
        mask.append(inside)
    return mask


def picture(mask):
    pixels = [[OCEAN] * WIDTH for _ in range(HEIGHT)]
    lats = [row_latitude(r) for r in range(HEIGHT)]
    lons = [column_longitude(c) for c in range(WIDTH)]

    def continuous(r):
        # The read-out's bands jump or step back at their edges; no line is drawn across those.
        return r + 1 < HEIGHT and 0 < lats[r] - lats[r + 1] < 1.0
    for r in range(HEIGHT):
        for c in range(WIDTH):
            # Parallels and meridians every 30 degrees where a step of one pixel crosses them.
            crosses_lat = continuous(r) and int((lats[r] + 90) // 30) != int((lats[r + 1] + 90) // 30)
            crosses_lon = c + 1 < WIDTH and lons[c + 1] > lons[c] and int((lons[c] + 180) // 30) != int((lons[c + 1] + 180) // 30)
            if crosses_lat or crosses_lon:
                pixels[r][c] = GRID
    meridian = round(MERIDIAN_X / TWIPS_PER_PIXEL)
    equator = round(EQUATOR_Y / TWIPS_PER_PIXEL)
    for c in range(WIDTH):
        pixels[equator][c] = AXIS
    for r in range(HEIGHT):
        pixels[r][meridian] = AXIS
    for r in range(HEIGHT):
        for c in range(WIDTH):
            if not mask[r][c]:
                continue
            near_sea = (
                (c > 0 and not mask[r][c - 1]) or (c + 1 < WIDTH and not mask[r][c + 1])
                or (r > 0 and continuous(r - 1) and not mask[r - 1][c])
                or (continuous(r) and not mask[r + 1][c]))
            pixels[r][c] = COAST if near_sea else LAND
    return pixels


def write_png(path, pixels):
    raw = b"".join(b"\x00" + bytes(v for px in row for v in px) for row in pixels)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", WIDTH, HEIGHT, 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))


def fetch_land(folder):
    subprocess.run(["npm", "pack", "--loglevel=warn", "world-atlas@2.0.2"], cwd=folder, check=True,
                   stdout=subprocess.DEVNULL)
    with tarfile.open(os.path.join(folder, "world-atlas-2.0.2.tgz")) as tar:
        tar.extract("package/land-50m.json", folder)
    return os.path.join(folder, "package", "land-50m.json")


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "world_map.png")
    with tempfile.TemporaryDirectory() as scratch:
        source = sys.argv[1] if len(sys.argv) > 1 else fetch_land(scratch)
        write_png(out, picture(land_mask(land_rings(source))))
    print(out)


if __name__ == "__main__":
    main()
