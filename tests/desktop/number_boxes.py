#!/usr/bin/env python3
"""Checks a screenshot of a drill: every number box (the asked one green, the given ones light green)
has all four borders drawn, dark, along at least nine tenths of each side.

usage: number_boxes.py SCREENSHOT.png     exit 0 when every box is whole, 1 naming what is missing
"""
import subprocess
import sys

BOX_COLOURS = {(0, 255, 0): "the asked box", (192, 255, 192): "a given box"}
SMALLEST_BOX = 150  # pixels: the instruction's legend square and stray specks are smaller or elsewhere
DARK = 200  # r + g + b of a border pixel at most


def read_image(path):
    ppm = subprocess.run(["convert", path, "-depth", "8", "ppm:-"], check=True, capture_output=True).stdout
    fields, at = [], 0
    while len(fields) < 4:  # P6, width, height, maxval
        while ppm[at : at + 1].isspace():
            at += 1
        end = at
        while not ppm[end : end + 1].isspace():
            end += 1
        fields.append(ppm[at:end])
        at = end
    width, height = int(fields[1]), int(fields[2])
    pixels = ppm[at + 1 :]
    return width, height, pixels


def regions(width, height, pixels, colour):
    """The bounding boxes of the areas of exactly `colour`, of at least SMALLEST_BOX pixels."""
    wanted = bytes(colour)
    members = set()
    for y in range(height):
        row = pixels[3 * y * width : 3 * (y + 1) * width]
        at = row.find(wanted)
        while at >= 0:
            if at % 3 == 0:
                members.add((at // 3, y))
                at = row.find(wanted, at + 3)
            else:
                at = row.find(wanted, at + 1)
    while members:
        stack = [members.pop()]
        xs, ys = [], []
        while stack:
            px, py = stack.pop()
            xs.append(px)
            ys.append(py)
            for near in ((px + 1, py), (px - 1, py), (px, py + 1), (px, py - 1)):
                if near in members:
                    members.remove(near)
                    stack.append(near)
        if len(xs) >= SMALLEST_BOX:
            yield min(xs), min(ys), max(xs), max(ys)


def dark(pixel, x, y):
    return sum(pixel(x, y)) <= DARK


def missing_borders(pixel, box):
    left, top, right, bottom = box
    sides = {
        "left": [(left - 1, y) for y in range(top, bottom + 1)],
        "right": [(right + 1, y) for y in range(top, bottom + 1)],
        "top": [(x, top - 1) for x in range(left, right + 1)],
        "bottom": [(x, bottom + 1) for x in range(left, right + 1)],
    }
    return [name for name, points in sides.items() if sum(dark(pixel, x, y) for x, y in points) < 0.9 * len(points)]


def main():
    width, height, pixels = read_image(sys.argv[1])

    def pixel(x, y):
        return tuple(pixels[3 * (y * width + x) : 3 * (y * width + x) + 3])

    faults, boxes = [], 0
    for colour, name in BOX_COLOURS.items():
        found = list(regions(width, height, pixels, colour))
        for box in found:
            left, top, right, bottom = box
            # At large sizes the hole of a digit such as 0, 6, 8 or 9 is itself an area of the box's
            # colour, bordered by the digit's soft strokes; it lies within the box around it.
            if any(other != box and other[0] <= left and other[1] <= top and right <= other[2]
                   and bottom <= other[3] for other in found):
                continue
            # The legend square of "に数字を入れなさい" stands above the diagram, near the top bar.
            if top < height * 0.18 or left == 0 or top == 0 or right == width - 1 or bottom == height - 1:
                continue
            boxes += 1
            missing = missing_borders(pixel, box)
            if missing:
                faults.append(f"{name} at {left},{top}-{right},{bottom} lacks its {', '.join(missing)} border")
    if boxes < 2:
        faults.append(f"only {boxes} number boxes found")
    for fault in faults:
        print(fault)
    sys.exit(1 if faults else 0)


if __name__ == "__main__":
    main()
