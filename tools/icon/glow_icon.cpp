// Draws the program's icon from the glow picture: a soft light in the Lapis colours, white at its
// heart, on a transparent ground, at every size from 16 to 256 pixels, written as one .ico file.
// Small sizes are plain 32-bit bitmaps with their mask; 48 pixels and up are PNG images.
// With --finish it draws the installer's finish-page picture instead (Modern UI's 164 x 314, a 24-bit
// .bmp): lights of the four schemes rising through the dark, the same glow tinted the same way.
//
// With --web it draws the web page's icons into a folder: icon-192.png, the light on a transparent
// ground, and icon-maskable-512.png, the light within the middle 80 % (the part a mask keeps) added to an
// opaque night ground, so that any mask a system cuts leaves it whole.
//
//   glow_icon OUTPUT.ico [PREVIEW.png]
//   glow_icon --finish OUTPUT.bmp
//   glow_icon --web FOLDER
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
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

// A light's colour channel where the glow is `glow` (0..1): the halo's colour at the rim, the core's
// further in, white where the light is brightest.
double Tint(double glow, double halo, double core) {
    const double tinted = halo + (core - halo) * glow;
    return std::clamp(tinted + (1.0 - tinted) * std::pow(glow, 3.0), 0.0, 1.0);
}

// The glow picture's luminance at a point in texel units, 0..1, bilinear; 0 outside the picture.
double GlowAt(double fx, double fy) {
    const int x = int(std::floor(fx - 0.5)), y = int(std::floor(fy - 0.5));
    const double tx = fx - 0.5 - x, ty = fy - 0.5 - y;
    auto texel = [](int tx0, int ty0) {
        return tx0 < 0 || tx0 > 255 || ty0 < 0 || ty0 > 255 ? 0.0 : GlowImage[256 * ty0 + tx0] / 255.0;
    };
    return (texel(x, y) * (1 - tx) + texel(x + 1, y) * tx) * (1 - ty) +
           (texel(x, y + 1) * (1 - tx) + texel(x + 1, y + 1) * tx) * ty;
}

// The icon's pixel where the glow is `glow` (0..1): the Lapis light, its alpha from the glow.
Pixel IconPixel(double glow) {
    const Vec3 core = SchemeColourA(kColourLapis);
    const Vec3 halo = SchemeColourB(kColourLapis);
    auto channel = [&](double h, double c) { return uint8_t(std::lround(255.0 * Tint(glow, h, c))); };
    const double alpha = std::clamp(std::sqrt(glow) * 1.15, 0.0, 1.0);
    return {channel(halo.x, core.x), channel(halo.y, core.y), channel(halo.z, core.z),
            uint8_t(std::lround(255.0 * alpha))};
}

std::vector<Pixel> DrawIcon(int size) {
    std::vector<Pixel> pixels(size_t(size) * size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) pixels[size_t(y) * size + x] = IconPixel(SampleGlow(size, x, y));
    }
    return pixels;
}

// The light at any size, the glow filling `share` of the side around the middle, 2 x 2 samples a pixel; over
// an opaque `ground` when one is given, the light added to it as the saver adds its lights.
std::vector<Pixel> DrawScaledIcon(int size, double share, const Pixel* ground) {
    std::vector<Pixel> pixels(size_t(size) * size);
    const double scale = 256.0 / (size * share), offset = 128.0 - scale * size / 2;
    const Vec3 core = SchemeColourA(kColourLapis), halo = SchemeColourB(kColourLapis);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            double glow = 0;
            for (double sy : {0.25, 0.75})
                for (double sx : {0.25, 0.75})
                    glow += GlowAt(offset + (x + sx) * scale, offset + (y + sy) * scale);
            glow /= 4;
            Pixel p = IconPixel(glow);
            if (ground != nullptr) {
                auto add = [&](uint8_t below, double h, double c) {
                    const double lit = below / 255.0 + glow * Tint(glow, h, c);
                    return uint8_t(std::lround(255.0 * std::clamp(lit, 0.0, 1.0)));
                };
                p = {add(ground->r, halo.x, core.x), add(ground->g, halo.y, core.y),
                     add(ground->b, halo.z, core.z), 255};
            }
            pixels[size_t(y) * size + x] = p;
        }
    }
    return pixels;
}

// The finish page's picture: lights placed by hand (centre x, y and diameter in pixels, scheme), added
// up over a night-blue ground as the saver adds them.
constexpr int kFinishWidth = 164, kFinishHeight = 314;
struct FinishLight {
    double x, y, diameter;
    uint8_t scheme;
};
constexpr FinishLight kFinishLights[] = {
    {82, 96, 150, kColourLapis},  {34, 190, 70, kColourEmerald},  {128, 214, 84, kColourAmethyst},
    {58, 262, 46, kColourAmber},  {132, 34, 40, kColourAmber},    {22, 52, 30, kColourAmethyst},
    {110, 286, 34, kColourLapis}, {150, 142, 24, kColourEmerald}, {16, 300, 20, kColourLapis},
    {76, 168, 22, kColourAmber},
};

std::vector<Pixel> DrawFinishPicture() {
    std::vector<Pixel> pixels(size_t(kFinishWidth) * kFinishHeight);
    for (int y = 0; y < kFinishHeight; ++y) {
        for (int x = 0; x < kFinishWidth; ++x) {
            // Night blue at the top, black at the bottom.
            const double ground = 1.0 - double(y) / kFinishHeight;
            double r = 0.02 * ground, g = 0.03 * ground, b = 0.09 * ground;
            for (const FinishLight& light : kFinishLights) {
                const int gx = int(std::floor((x + 0.5 - light.x) / light.diameter * 256.0 + 128.0));
                const int gy = int(std::floor((y + 0.5 - light.y) / light.diameter * 256.0 + 128.0));
                if (gx < 0 || gx > 255 || gy < 0 || gy > 255) continue;
                const double glow = GlowImage[256 * gy + gx] / 255.0;
                const Vec3 core = SchemeColourA(light.scheme), halo = SchemeColourB(light.scheme);
                r += glow * Tint(glow, halo.x, core.x);
                g += glow * Tint(glow, halo.y, core.y);
                b += glow * Tint(glow, halo.z, core.z);
            }
            auto channel = [](double v) { return uint8_t(std::lround(255.0 * std::clamp(v, 0.0, 1.0))); };
            pixels[size_t(y) * kFinishWidth + x] = {channel(r), channel(g), channel(b), 255};
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

// A 24-bit bottom-up .bmp, as NSIS takes it (the width's rows need no padding: 164 x 3 is a multiple of 4).
Bytes EncodeBmp(const std::vector<Pixel>& pixels, int width, int height) {
    const uint32_t stride = uint32_t(width * 3 + 3) / 4 * 4;
    const uint32_t imageBytes = stride * uint32_t(height);
    Bytes out{'B', 'M'};
    Put32(out, 14 + 40 + imageBytes);
    Put32(out, 0);
    Put32(out, 14 + 40);
    Put32(out, 40);
    Put32(out, uint32_t(width));
    Put32(out, uint32_t(height));
    Put16(out, 1);
    Put16(out, 24);
    Put32(out, 0);
    Put32(out, imageBytes);
    for (int i = 0; i < 4; ++i) Put32(out, 0);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const Pixel& p = pixels[size_t(y) * width + x];
            out.insert(out.end(), {p.b, p.g, p.r});
        }
        out.resize(out.size() + stride - uint32_t(width * 3), 0);
    }
    return out;
}

// The web page's icons in `folder`; false when one cannot be written.
bool WriteWebIcons(const std::string& folder) {
    constexpr Pixel kNight = {5, 7, 18, 255};  // the page's theme colour
    struct WebIcon {
        const char* name;
        int size;
        double share;
        const Pixel* ground;
    };
    const WebIcon icons[] = {{"icon-192.png", 192, 1.0, nullptr},
                             {"icon-maskable-512.png", 512, 0.8, &kNight}};
    for (const WebIcon& icon : icons) {
        Bytes png;
        const std::string path = folder + "/" + icon.name;
        if (!EncodePng(DrawScaledIcon(icon.size, icon.share, icon.ground), icon.size, &png) ||
            !WriteFile(path.c_str(), png)) {
            std::fprintf(stderr, "glow_icon: cannot write %s\n", path.c_str());
            return false;
        }
        std::printf("%s: %dx%d, %zu bytes\n", path.c_str(), icon.size, icon.size, png.size());
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string_view(argv[1]) == "--web") return WriteWebIcons(argv[2]) ? 0 : 1;
    if (argc == 3 && std::string_view(argv[1]) == "--finish") {
        const Bytes bmp = EncodeBmp(DrawFinishPicture(), kFinishWidth, kFinishHeight);
        if (!WriteFile(argv[2], bmp)) {
            std::fprintf(stderr, "glow_icon: cannot write %s\n", argv[2]);
            return 1;
        }
        std::printf("%s: %dx%d, %zu bytes\n", argv[2], kFinishWidth, kFinishHeight, bmp.size());
        return 0;
    }
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: glow_icon OUTPUT.ico [PREVIEW.png] | glow_icon --finish OUTPUT.bmp | glow_icon "
                     "--web FOLDER\n");
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
