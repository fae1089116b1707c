// fenlight-snapshot: draws the scene as it looks after a given simulated time into a PNG, offscreen.
// The same seed, size, time and settings always give the same picture: the seed is the tick count at
// which the simulated clock starts, which is what the scene seeds its random sequence with.
#include <png.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "host/saver_run.h"
#include "app/simulated_time.h"
#include "render/renderer.h"
#include "render/offscreen.h"
#include "settings/settings.h"

namespace {

constexpr int32_t kLargestSide = 8192;

const char* const kUsage =
    "usage: fenlight-snapshot --out FILE.png [options]\n"
    "  --width N        picture width in pixels, 1..8192 (default 960)\n"
    "  --height N       picture height in pixels, 1..8192 (default 540)\n"
    "  --seconds S      simulated time before the picture is taken, 0..86400 (default 20)\n"
    "  --seed N         start tick of the simulated clock, 0..4294967295 (default 1)\n"
    "  --direction N    0 Up, 1 Down, 2 In, 3 Random, 4 Cycle (default 1)\n"
    "  --colour N       0 Emerald, 1 Lapis, 2 Amber, 3 Amethyst, 4 Random, 5 Cycle (default 5)\n"
    "  --particles N    20..120 (default 77)\n"
    "  --size N         size slider position, 0..100 (default 26)\n"
    "  --speed N        speed slider position, 0..100 (default 33)\n";

struct SnapshotOptions {
    const char* out = nullptr;
    int32_t width = 960;
    int32_t height = 540;
    double seconds = 20.0;
    uint32_t seed = 1;
    StoredSettings settings = kDefaultSettings;
};

bool ParseWhole(const char* text, unsigned long long min, unsigned long long max, unsigned long long* value) {
    if (text == nullptr || *text < '0' || *text > '9') return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long long v = std::strtoull(text, &end, 10);
    if (errno != 0 || *end != '\0' || v < min || v > max) return false;
    *value = v;
    return true;
}

bool ParseSeconds(const char* text, double* value) {
    if (text == nullptr) return false;
    char* end = nullptr;
    const double v = std::strtod(text, &end);
    if (end == text || *end != '\0' || !std::isfinite(v) || v < 0.0 || v > 86400.0) return false;
    *value = v;
    return true;
}

// The setting an option names, by its stored number: the hack's option names, the colour scheme as
// --colour or --color; kFieldCount for none.
SettingField SettingOption(const char* name) {
    if (std::strcmp(name, "--colour") == 0 || std::strcmp(name, "--color") == 0) return kFieldColor;
    for (const SettingField field : kShownOrder) {
        if (field != kFieldColor &&
            std::strcmp(name, ("--" + std::string(kSettingRules[field].option)).c_str()) == 0)
            return field;
    }
    return kFieldCount;
}

// Returns 0 when every argument was understood, else prints why and returns 2.
int32_t ParseOptions(int argc, char** argv, SnapshotOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const char* name = argv[i];
        if (std::strcmp(name, "--help") == 0 || std::strcmp(name, "-h") == 0) {
            std::fputs(kUsage, stdout);
            std::exit(0);
        }
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        unsigned long long n = 0;
        bool ok = true;
        if (std::strcmp(name, "--out") == 0) {
            ok = value != nullptr && *value != '\0';
            if (ok) options.out = value;
        } else if (std::strcmp(name, "--width") == 0) {
            ok = ParseWhole(value, 1, kLargestSide, &n);
            options.width = int32_t(n);
        } else if (std::strcmp(name, "--height") == 0) {
            ok = ParseWhole(value, 1, kLargestSide, &n);
            options.height = int32_t(n);
        } else if (std::strcmp(name, "--seconds") == 0) {
            ok = ParseSeconds(value, &options.seconds);
        } else if (std::strcmp(name, "--seed") == 0) {
            ok = ParseWhole(value, 0, 0xFFFFFFFFull, &n);
            options.seed = uint32_t(n);
        } else if (const SettingField field = SettingOption(name); field != kFieldCount) {
            ok = ParseWhole(value, kSettingRules[field].min, kSettingRules[field].max, &n);
            SetSettingField(options.settings, field, uint32_t(n));
        } else {
            std::fprintf(stderr, "fenlight-snapshot: unknown option %s\n%s", name, kUsage);
            return 2;
        }
        if (!ok) {
            std::fprintf(stderr, "fenlight-snapshot: bad value for %s: %s\n%s", name,
                         value ? value : "(none)", kUsage);
            return 2;
        }
        ++i;
    }
    if (options.out == nullptr) {
        std::fprintf(stderr, "fenlight-snapshot: --out is required\n%s", kUsage);
        return 2;
    }
    return 0;
}

// Writes the frame as an 8-bit RGB PNG, top row first. Returns 0 on success.
int32_t WritePng(const OffscreenFrame& frame, const char* path) {
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return 1;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        std::fclose(file);
        return 1;
    }
    std::vector<png_byte> row(std::size_t(frame.width) * 3);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return 1;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, png_uint_32(frame.width), png_uint_32(frame.height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int32_t y = frame.height - 1; y >= 0; --y) {
        for (int32_t x = 0; x < frame.width; ++x) {
            for (int32_t c = 0; c < 3; ++c)
                row[std::size_t(x) * 3 + std::size_t(c)] = PixelChannel(frame, x, y, c);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    SnapshotOptions options;
    if (const int32_t status = ParseOptions(argc, argv, options); status != 0) return status;

    OffscreenFrame frame{};
    if (OpenOffscreenFrame(frame, options.width, options.height) != 0) {
        std::fprintf(stderr, "fenlight-snapshot: no offscreen OpenGL context (OSMesa)\n");
        return 1;
    }
    AppState& app = appState;
    // The clock starts at the seed, and the scene seeds its random sequence from the clock's start.
    StartSimulatedTime(options.seed);
    StartSaver(app, options.width, options.height, options.settings);
    // The frames before the last are stepped, not drawn: only the picture at the simulated time is kept,
    // so FrameTick's drawing and showing would be wasted on them.
    AdvanceSimulatedTime(app, options.seconds);
    DrawFrame(app);
    FinishOffscreenFrame(frame);

    const int32_t written = WritePng(frame, options.out);
    ReleaseSaver(app);
    CloseOffscreenFrame(frame);
    if (written != 0) {
        std::fprintf(stderr, "fenlight-snapshot: cannot write %s\n", options.out);
        return 1;
    }
    return 0;
}
