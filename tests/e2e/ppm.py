"""Reading the binary PPM pictures that ImageMagick's `convert FILE -depth 8 ppm:-` writes."""


def read_ppm(data):
    """Returns width, height and the RGB bytes of a binary (P6, 8-bit) PPM."""
    fields, pos = [], 0
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
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[pos + 1:pos + 1 + width * height * 3]
