// The pixel-format chooser: walks every format a device offers, scores each against a request and
// keeps the best. The scoring works on plain descriptor values so it runs (and is tested) anywhere;
// the Windows glue supplies DescribePixelFormat through the describe callback.
#pragma once

#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#else
// The descriptor flag and pixel-type values, with the values Windows gives them.
constexpr uint32_t PFD_DOUBLEBUFFER = 0x00000001;
constexpr uint32_t PFD_STEREO = 0x00000002;
constexpr uint32_t PFD_DRAW_TO_WINDOW = 0x00000004;
constexpr uint32_t PFD_DRAW_TO_BITMAP = 0x00000008;
constexpr uint32_t PFD_SUPPORT_GDI = 0x00000010;
constexpr uint32_t PFD_SUPPORT_OPENGL = 0x00000020;
constexpr uint32_t PFD_GENERIC_FORMAT = 0x00000040;
constexpr uint32_t PFD_NEED_PALETTE = 0x00000080;
constexpr uint32_t PFD_NEED_SYSTEM_PALETTE = 0x00000100;
constexpr uint32_t PFD_SWAP_EXCHANGE = 0x00000200;
constexpr uint32_t PFD_SWAP_COPY = 0x00000400;
constexpr uint32_t PFD_SWAP_LAYER_BUFFERS = 0x00000800;
constexpr uint32_t PFD_GENERIC_ACCELERATED = 0x00001000;
constexpr uint8_t PFD_TYPE_RGBA = 0;
constexpr uint8_t PFD_TYPE_COLORINDEX = 1;
#endif

// The four descriptor fields the chooser looks at.
struct PixelFormatInfo {
    uint32_t dwFlags;
    uint8_t iPixelType;
    uint8_t cColorBits;
    uint8_t cDepthBits;
};

// A request after its defaults are applied. -1 means "any" in every field; doubleBuffer and
// accelerated take 1 (want) or 0 (do not want).
struct PixelFormatRequest {
    int32_t colorBits;
    int32_t depthBits;
    int32_t doubleBuffer;
    int32_t accelerated;
};

enum class PixelFormatKind { kFullDriver, kGenericAccelerated, kGenericSoftware, kNone };

// Describes format `index` (1-based) into `info` and returns the number of formats the device has
// (what DescribePixelFormat returns); 0 or less when it has none.
using DescribePixelFormatFn = int32_t (*)(void* device, int32_t index, PixelFormatInfo* info);

PixelFormatKind KindOfPixelFormat(uint32_t dwFlags);
// Fills absent request values with their defaults: any colour, 16 depth bits, either buffering,
// hardware-accelerated.
PixelFormatRequest MakePixelFormatRequest(const int32_t* colorBits, const int32_t* depthBits,
                                          const int32_t* doubleBuffer, const int32_t* accelerated);
uint32_t ScorePixelFormat(const PixelFormatInfo& info, const PixelFormatRequest& request);

// Returns the 1-based index of the best format, or 0 when the device has none. On success the
// present pointers receive the chosen format's colour bits, depth bits, double buffering (1/0) and
// acceleration (0 only for the generic software format); on 0 they are left untouched.
int32_t PickPixelFormat(DescribePixelFormatFn describe, void* device, int32_t* colorBits, int32_t* depthBits,
                        int32_t* doubleBuffer, int32_t* accelerated);
// The same over a plain list of descriptors (format i is formats[i - 1]).
int32_t PickPixelFormatFromList(const PixelFormatInfo* formats, int32_t count, int32_t* colorBits,
                                int32_t* depthBits, int32_t* doubleBuffer, int32_t* accelerated);
