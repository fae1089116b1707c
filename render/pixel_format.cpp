#include "render/pixel_format.h"

namespace {

bool IsAccelerated(PixelFormatKind kind) {
    return kind == PixelFormatKind::kFullDriver || kind == PixelFormatKind::kGenericAccelerated;
}

struct ListDevice {
    const PixelFormatInfo* formats;
    int32_t count;
};

int32_t DescribeFromList(void* device, int32_t index, PixelFormatInfo* info) {
    const ListDevice& list = *static_cast<const ListDevice*>(device);
    if (index >= 1 && index <= list.count) *info = list.formats[index - 1];
    return list.count;
}

}  // namespace

PixelFormatKind KindOfPixelFormat(uint32_t dwFlags) {
    const bool generic = (dwFlags & PFD_GENERIC_FORMAT) != 0;
    const bool genericAccelerated = (dwFlags & PFD_GENERIC_ACCELERATED) != 0;
    if (!generic && !genericAccelerated) return PixelFormatKind::kFullDriver;
    if (generic && genericAccelerated) return PixelFormatKind::kGenericAccelerated;
    if (generic) return PixelFormatKind::kGenericSoftware;
    return PixelFormatKind::kNone;
}

PixelFormatRequest MakePixelFormatRequest(const int32_t* colorBits, const int32_t* depthBits,
                                          const int32_t* doubleBuffer, const int32_t* accelerated) {
    PixelFormatRequest request{-1, 16, -1, 1};
    if (colorBits != nullptr) request.colorBits = *colorBits;
    if (depthBits != nullptr) request.depthBits = *depthBits;
    if (doubleBuffer != nullptr) request.doubleBuffer = *doubleBuffer;
    if (accelerated != nullptr) request.accelerated = *accelerated;
    return request;
}

uint32_t ScorePixelFormat(const PixelFormatInfo& info, const PixelFormatRequest& request) {
    const uint32_t flags = info.dwFlags;
    const int32_t colour = info.cColorBits;
    const int32_t depth = info.cDepthBits;
    const PixelFormatKind kind = KindOfPixelFormat(flags);
    const bool doubleBuffered = (flags & PFD_DOUBLEBUFFER) != 0;
    uint32_t score = 0;
    if ((flags & PFD_SUPPORT_OPENGL) != 0 && (flags & PFD_DRAW_TO_WINDOW) != 0) score += 32768;
    if (request.depthBits == -1 || (request.depthBits > 0 && depth > 0)) score += 16384;
    if (request.doubleBuffer == -1 || (request.doubleBuffer == 0 && !doubleBuffered) ||
        (request.doubleBuffer == 1 && doubleBuffered)) {
        score += 8192;
    }
    if (request.accelerated == -1 ||
        (request.accelerated == 0 && kind == PixelFormatKind::kGenericSoftware) ||
        (request.accelerated == 1 && IsAccelerated(kind))) {
        score += 4096;
    }
    if (request.colorBits == -1 || request.colorBits == colour) score += 2048;
    if (request.depthBits == -1 || request.depthBits == depth) score += 1024;
    if (info.iPixelType != PFD_TYPE_COLORINDEX) score += 128;
    if (IsAccelerated(kind)) score += 64;
    if (kind == PixelFormatKind::kFullDriver) score += 2;
    if (colour >= 16) score += 32;
    if (colour == 16) score += 8;
    if (depth >= 16) score += 16;
    if (depth == 16) score += 4;
    if ((flags & PFD_DRAW_TO_BITMAP) != 0) score += 1;
    return score;
}

int32_t PickPixelFormat(DescribePixelFormatFn describe, void* device, int32_t* colorBits, int32_t* depthBits,
                        int32_t* doubleBuffer, int32_t* accelerated) {
    const PixelFormatRequest request =
        MakePixelFormatRequest(colorBits, depthBits, doubleBuffer, accelerated);
    PixelFormatInfo info{};
    const int32_t count = describe(device, 1, &info);
    if (count <= 0) return 0;
    uint32_t bestScore = 0;
    int32_t bestIndex = 0;
    PixelFormatInfo best{};
    for (int32_t i = 1; i <= count; ++i) {
        info = PixelFormatInfo{};
        describe(device, i, &info);
        const uint32_t score = ScorePixelFormat(info, request);
        if (score > bestScore) {
            bestScore = score;
            bestIndex = i;
            best = info;
        }
    }
    if (bestIndex == 0) return 0;
    if (colorBits != nullptr) *colorBits = best.cColorBits;
    if (depthBits != nullptr) *depthBits = best.cDepthBits;
    if (doubleBuffer != nullptr) *doubleBuffer = (best.dwFlags & PFD_DOUBLEBUFFER) != 0 ? 1 : 0;
    if (accelerated != nullptr) {
        *accelerated = KindOfPixelFormat(best.dwFlags) == PixelFormatKind::kGenericSoftware ? 0 : 1;
    }
    return bestIndex;
}

int32_t PickPixelFormatFromList(const PixelFormatInfo* formats, int32_t count, int32_t* colorBits,
                                int32_t* depthBits, int32_t* doubleBuffer, int32_t* accelerated) {
    ListDevice list{formats, count};
    return PickPixelFormat(DescribeFromList, &list, colorBits, depthBits, doubleBuffer, accelerated);
}
