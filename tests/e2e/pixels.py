"""Reads a binary PPM on stdin; prints the bright pixel count, their mean R G B and mean hue."""
import colorsys
import sys


def main():
    threshold = int(sys.argv[1]) if len(sys.argv) > 1 else 40
    data = sys.stdin.buffer.read()
    fields = []
    pos = 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos) + 1
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    pos += 1
    width, height = int(fields[1]), int(fields[2])
    pixels = data[pos:pos + width * height * 3]
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
