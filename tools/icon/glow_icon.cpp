// Draws the program's icon from the glow picture: a soft light in the Lapis colours, white at its
// heart, on a transparent ground, at every size from 16 to 256 pixels, written as one .ico file.
// Small sizes are plain 32-bit bitmaps with their mask; 48 pixels and up are PNG images.
//
//   glow_icon OUTPUT.ico [PREVIEW.png]
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "res/glow_image.h"
#include "sim/swarm.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Pixel {
    uint8_t r, g, b, a;
};

constexpr int kSizes[] = {16, 24, 32, 48, 64, 128, 256};
constexpr int kSmallestPng = 48;

// Mean luminance of the glow picture's texels under one icon pixel, 0..1.
double SampleGlow(int size, int x, int y) {
    const int x0 = x * 256 / size, x1 = (x + 1) * 256 / size;
    const int y0 = y * 256 / size, y1 = (y + 1) * 256 / size;
    double sum = 0;
    for (int sy = y0; sy < y1; ++sy)
        for (int sx = x0; sx < x1; ++sx) sum += GlowImage[256 * sy + sx];
    return sum / (255.0 * (x1 - x0) * (y1 - y0));
}

std::vector<Pixel> DrawIcon(int size) {
    const Vec3 core = SchemeColourA(kColourLapis);
    const Vec3 halo = SchemeColourB(kColourLapis);
    std::vector<Pixel> pixels(size_t(size) * size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double glow = SampleGlow(size, x, y);
            // The halo's colour at the rim, the core's further in, white where the light is brightest.
            const double white = std::pow(glow, 3.0);
            auto channel = [&](double h, double c) {
                const double tinted = h + (c - h) * glow;
                return uint8_t(std::lround(255.0 * std::clamp(tinted + (1.0 - tinted) * white, 0.0, 1.0)));
            };
            const double alpha = std::clamp(std::sqrt(glow) * 1.15, 0.0, 1.0);
            pixels[size_t(y) * size + x] = {channel(halo.x, core.x), channel(halo.y, core.y),
                                            channel(halo.z, core.z), uint8_t(std::lround(255.0 * alpha))};
        }
    }
    return pixels;
}

void Put16(Bytes& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void Put32(Bytes& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// A 32-bit bottom-up DIB of twice the height (colour, then the 1-bit mask), as icons store them.
Bytes EncodeBitmap(const std::vector<Pixel>& pixels, int size) {
    Bytes out;
    const uint32_t maskStride = uint32_t((size + 31) / 32 * 4);
    Put32(out, 40);
    Put32(out, uint32_t(size));
    Put32(out, uint32_t(size * 2));
    Put16(out, 1);
    Put16(out, 32);
    Put32(out, 0);
    Put32(out, uint32_t(size * size * 4) + maskStride * uint32_t(size));
    for (int i = 0; i < 4; ++i) Put32(out, 0);
    for (int y = size - 1; y >= 0; --y) {
        for (int x = 0; x < size; ++x) {
            const Pixel& p = pixels[size_t(y) * size + x];
            out.insert(out.end(), {p.b, p.g, p.r, p.a});
        }
    }
    for (int y = size - 1; y >= 0; --y) {
        Bytes row(maskStride, 0);
        for (int x = 0; x < size; ++x) {
            if (pixels[size_t(y) * size + x].a == 0) row[size_t(x / 8)] |= uint8_t(0x80 >> (x % 8));
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

void AppendPng(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

bool EncodePng(const std::vector<Pixel>& pixels, int size, Bytes* out) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, out, AppendPng, nullptr);
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, png_uint_32(size), png_uint_32(size), 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < size; ++y) {
        png_write_row(png, reinterpret_cast<png_const_bytep>(&pixels[size_t(y) * size]));
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool WriteFile(const char* path, const Bytes& bytes) {
    FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: glow_icon OUTPUT.ico [PREVIEW.png]\n");
        return 2;
    }
    std::vector<Bytes> images;
    for (int size : kSizes) {
        const std::vector<Pixel> pixels = DrawIcon(size);
        Bytes image;
        if (size >= kSmallestPng) {
            if (!EncodePng(pixels, size, &image)) return 1;
        } else {
            image = EncodeBitmap(pixels, size);
        }
        images.push_back(std::move(image));
        if (size == 256 && argc > 2) {
            Bytes preview;
            if (!EncodePng(pixels, size, &preview) || !WriteFile(argv[2], preview)) return 1;
        }
    }
    Bytes ico;
    Put16(ico, 0);
    Put16(ico, 1);
    Put16(ico, uint32_t(images.size()));
    uint32_t offset = uint32_t(6 + 16 * images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        const int size = kSizes[i];
        ico.push_back(uint8_t(size >= 256 ? 0 : size));
        ico.push_back(uint8_t(size >= 256 ? 0 : size));
        ico.push_back(0);
        ico.push_back(0);
        Put16(ico, 1);
        Put16(ico, 32);
        Put32(ico, uint32_t(images[i].size()));
        Put32(ico, offset);
        offset += uint32_t(images[i].size());
    }
    for (const Bytes& image : images) ico.insert(ico.end(), image.begin(), image.end());
    if (!WriteFile(argv[1], ico)) {
        std::fprintf(stderr, "glow_icon: cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("%s: %zu images, %zu bytes\n", argv[1], images.size(), ico.size());
    return 0;
}
