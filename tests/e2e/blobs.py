"""Reads a binary PPM on stdin and describes its lights.

Prints "blobs aspect right": the number of separate bright blobs (pixels whose brightest channel exceeds
THRESHOLD, 8-connected) that are neither cut by the picture's edge nor tiny, the median width/height ratio
of their bounding boxes (1.0 for round lights, -1 when there are none), and the rightmost bright column.
"""
import sys

from ppm import read_ppm


def main():
    threshold = int(sys.argv[1]) if len(sys.argv) > 1 else 100
    width, height, pixels = read_ppm(sys.stdin.buffer.read())
    bright = bytearray(width * height)
    right = -1
    for i in range(width * height):
        if max(pixels[3 * i], pixels[3 * i + 1], pixels[3 * i + 2]) > threshold:
            bright[i] = 1
            right = max(right, i % width)
    ratios = []
    for start in range(width * height):
        if bright[start] != 1:
            continue
        bright[start] = 2
        stack = [start]
        x0 = x1 = start % width
        y0 = y1 = start // width
        while stack:
            i = stack.pop()
            x, y = i % width, i // width
            x0, x1, y0, y1 = min(x0, x), max(x1, x), min(y0, y), max(y1, y)
            for dy in (-1, 0, 1):
                for dx in (-1, 0, 1):
                    nx, ny = x + dx, y + dy
                    if 0 <= nx < width and 0 <= ny < height and bright[ny * width + nx] == 1:
                        bright[ny * width + nx] = 2
                        stack.append(ny * width + nx)
        w, h = x1 - x0 + 1, y1 - y0 + 1
        if x0 == 0 or y0 == 0 or x1 == width - 1 or y1 == height - 1 or w < 4 or h < 4:
            continue
        ratios.append(w / h)
    ratios.sort()
    aspect = ratios[len(ratios) // 2] if ratios else -1
    print(f"{len(ratios)} {aspect:.2f} {right}")


main()
