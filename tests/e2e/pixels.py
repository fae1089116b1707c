"""Reads a binary PPM on stdin; prints the bright pixel count, their mean R G B and mean hue."""
import colorsys
import sys

from ppm import read_ppm


def main():
    threshold = int(sys.argv[1]) if len(sys.argv) > 1 else 40
    width, height, pixels = read_ppm(sys.stdin.buffer.read())
    r = pixels[0::3]
    g = pixels[1::3]
    b = pixels[2::3]
    count = 0
    sr = sg = sb = 0
    for i in range(width * height):
        ri, gi, bi = r[i], g[i], b[i]
        if ri > threshold or gi > threshold or bi > threshold:
            count += 1
            sr += ri
            sg += gi
            sb += bi
    if count == 0:
        print("0 0 0 0 -1")
        return
    mr, mg, mb = sr / count, sg / count, sb / count
    h, _, _ = colorsys.rgb_to_hsv(mr / 255, mg / 255, mb / 255)
    print(f"{count} {mr:.0f} {mg:.0f} {mb:.0f} {h * 360:.0f}")


main()
