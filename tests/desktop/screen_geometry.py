#!/usr/bin/env python3
"""Where a point of a page's design (in twips) stands on a screen, as the program scales and centres
its pages: the largest page (15390 x 11520 twips) fits the screen, and a page is centred on it.

usage: screen_geometry.py SCREEN_WIDTH SCREEN_HEIGHT PAGE_WIDTH_TWIPS PAGE_HEIGHT_TWIPS X_TWIPS Y_TWIPS
prints: X Y in screen pixels
"""
import sys

TWIPS_PER_PIXEL = 15
LARGEST_PAGE_TWIPS = (15390, 11520)


def pixels(twips, scale):
    # Half away from zero, as the program rounds.
    return int(twips * scale / TWIPS_PER_PIXEL + 0.5)


def main():
    width, height, page_width, page_height, x, y = (int(a) for a in sys.argv[1:7])
    scale = min(width * TWIPS_PER_PIXEL / LARGEST_PAGE_TWIPS[0], height * TWIPS_PER_PIXEL / LARGEST_PAGE_TWIPS[1])
    left = (width - pixels(page_width, scale)) // 2
    top = (height - pixels(page_height, scale)) // 2
    print(left + pixels(x, scale), top + pixels(y, scale))


if __name__ == "__main__":
    main()
