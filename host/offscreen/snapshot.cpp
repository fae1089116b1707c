// fenlight-snapshot: draws the scene as it looks after a given simulated time into a PNG, offscreen.
// The same seed, size, time and settings always give the same picture: the seed is the tick count at
// which the simulated clock starts, which is what the scene seeds its random sequence with.
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "host/saver_run.h"
#include "host/options.h"
#include "app/simulated_time.h"
#include "render/renderer.h"
#include "render/offscreen.h"
#include "settings/settings.h"

namespace {

constexpr uint32_t kLargestSide = 8192;
constexpr double kLongestSeconds = 86400.0;

struct SnapshotOptions {
    const char* out = nullptr;
    uint32_t width = 960;
    uint32_t height = 540;
    double seconds = 20.0;
    uint32_t seed = 1;
    StoredSettings settings = kDefaultSettings;
};

enum SnapshotOptionId : int32_t { kOptOut, kOptWidth, kOptHeight, kOptSeconds, kOptSeed };

// Its own options; the five settings are the hack's, in the hack's words.
constexpr ProgramOption kSnapshotOptions[] = {
    {"out", kOptOut, "a file name"},
    {"width", kOptWidth, "a whole number from 1 to 8192 (pixels)"},
    {"height", kOptHeight, "a whole number from 1 to 8192 (pixels)"},
    {"seconds", kOptSeconds, "a number of seconds from 0 to 86400, such as 20 or 7.5"},
    {"seed", kOptSeed, "a whole number from 0 to 4294967295"},
};

bool ApplySnapshotOption(void* record, int32_t id, const char* value) {
    SnapshotOptions& options = *static_cast<SnapshotOptions*>(record);
    switch (id) {
        case kOptOut:
            options.out = value;
            return *value != '\0';
        case kOptWidth:
            return ParseBoundedDecimal(value, kLargestSide, options.width) && options.width > 0;
        case kOptHeight:
            return ParseBoundedDecimal(value, kLargestSide, options.height) && options.height > 0;
        case kOptSeconds:
            return ParseDecimalSeconds(value, kLongestSeconds, options.seconds);
        case kOptSeed:
            return ParseBoundedDecimal(value, UINT32_MAX, options.seed);
        default:
            return false;
    }
}

std::string Usage() {
    return "usage: fenlight-snapshot --out FILE.png [options]\n"
           "  --width N             picture width in pixels, 1 to 8192 (default 960)\n"
           "  --height N            picture height in pixels, 1 to 8192 (default 540)\n"
           "  --seconds S           simulated time before the picture is taken, 0 to 86400 (default 20)\n"
           "  --seed N              start tick of the simulated clock, 0 to 4294967295 (default 1)\n" +
           SettingOptionsHelp();
}

// Returns 0 when every argument was understood (--help printed ends with 0 too), else prints why and
// returns 2.
int32_t ReadOptions(int argc, char** argv, SnapshotOptions& options) {
    const OptionGrammar grammar{"fenlight-snapshot", kSnapshotOptions, &options, ApplySnapshotOption};
    const ParseResult parsed = ParseOptions(grammar, options.settings, argc, argv);
    if (parsed.outcome == kParseHelp) {
        std::fputs(Usage().c_str(), stdout);
        std::exit(0);
    }
    if (parsed.outcome == kParseError) {
        std::fprintf(stderr, "%s\n%s", parsed.message.c_str(), Usage().c_str());
        return 2;
    }
    if (options.out == nullptr) {
        std::fprintf(stderr, "fenlight-snapshot: --out is required\n%s", Usage().c_str());
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
    if (const int32_t status = ReadOptions(argc, argv, options); status != 0) return status;

    OffscreenFrame frame{};
    if (OpenOffscreenFrame(frame, int32_t(options.width), int32_t(options.height)) != 0) {
        std::fprintf(stderr, "fenlight-snapshot: no offscreen OpenGL context (OSMesa)\n");
        return 1;
    }
    AppState& app = appState;
    // The clock starts at the seed, and the scene seeds its random sequence from the clock's start.
    StartSimulatedTime(options.seed);
    StartSaver(app, int32_t(options.width), int32_t(options.height), options.settings);
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
