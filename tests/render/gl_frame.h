// Shared helpers for the rendering tests that draw real frames offscreen (render/offscreen.h): a hand-made
// swarm, a frame with the saver's GL state and resources, and measurements of the glow blobs.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/app_state.h"
#include "render/renderer.h"
#include "render/offscreen.h"
#include "sim/swarm.h"

struct TestScene {
    Swarm swarm{};
    std::vector<Wisp> wisps;
};

inline Wisp MakeWisp(Vec3 position, float glow, float mix = 0.0f, int32_t active = 1) {
    Wisp w{};
    w.position = position;
    w.glow = glow;
    w.mix = mix;
    w.active = active;
    return w;
}

// A swarm for a view of the given size holding the given wisps (size 0.15 unless told).
inline void SetScene(TestScene& scene, int32_t viewWidth, int32_t viewHeight, std::vector<Wisp> wisps,
                     Vec3 colourA = {0.4f, 0.4f, 0.4f}, Vec3 colourB = {0.4f, 0.4f, 0.4f},
                     float size = 0.15f) {
    scene.wisps = std::move(wisps);
    scene.swarm = Swarm{};
    scene.swarm.viewWidth = viewWidth;
    scene.swarm.viewHeight = viewHeight;
    scene.swarm.size = size;
    scene.swarm.colourA = colourA;
    scene.swarm.colourB = colourB;
    scene.swarm.wispCount = int32_t(scene.wisps.size());
    scene.swarm.wisps = scene.wisps.data();
}

// An offscreen frame set up the way the saver window is: fixed state, glow texture, sprite list.
struct GLFrame {
    OffscreenFrame frame{};
    AppState app{};

    bool Open(int32_t width, int32_t height) {
        if (OpenOffscreenFrame(frame, width, height) != 0) return false;
        app.clientWidth = width;
        app.clientHeight = height;
        CreateGLResources(app);
        SetupGLState(width, height);
        return true;
    }
    ~GLFrame() { CloseOffscreenFrame(frame); }

    // Draws one frame of the scene (no fade unless given) and returns its pixels.
    const std::vector<uint8_t>& Draw(TestScene* scene, FadeOverlay* fade = nullptr) {
        app.swarm = scene != nullptr ? &scene->swarm : nullptr;
        app.fade = fade;
        DrawFrame(app);
        FinishOffscreenFrame(frame);
        return frame.pixels;
    }
    int Channel(int32_t x, int32_t y, int32_t c) const { return PixelChannel(frame, x, y, c); }
};

struct Blob {
    double centreX = 0, centreY = 0;  // brightness-weighted, pixel centres at whole numbers + 0.5
    int width = 0, height = 0;        // lit pixels along the row and the column through the centre
    int brightest = 0;                // largest colour channel value in the frame
    double total = 0;
};

inline Blob MeasureBlob(const GLFrame& f) {
    Blob blob;
    const int32_t w = f.frame.width, h = f.frame.height;
    double sx = 0, sy = 0;
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            const int v = f.Channel(x, y, 0) + f.Channel(x, y, 1) + f.Channel(x, y, 2);
            for (int c = 0; c < 3; ++c) blob.brightest = std::max(blob.brightest, f.Channel(x, y, c));
            blob.total += v;
            sx += v * (x + 0.5);
            sy += v * (y + 0.5);
        }
    }
    if (blob.total == 0) return blob;
    blob.centreX = sx / blob.total;
    blob.centreY = sy / blob.total;
    const int32_t row = std::min(h - 1, int32_t(blob.centreY));
    const int32_t column = std::min(w - 1, int32_t(blob.centreX));
    for (int32_t x = 0; x < w; ++x)
        blob.width += f.Channel(x, row, 0) + f.Channel(x, row, 1) + f.Channel(x, row, 2) > 0;
    for (int32_t y = 0; y < h; ++y) {
        blob.height += f.Channel(column, y, 0) + f.Channel(column, y, 1) + f.Channel(column, y, 2) > 0;
    }
    return blob;
}

inline bool AllBlack(const GLFrame& f) {
    for (size_t i = 0; i < f.frame.pixels.size(); i += 4) {
        if (f.frame.pixels[i] != 0 || f.frame.pixels[i + 1] != 0 || f.frame.pixels[i + 2] != 0) return false;
    }
    return true;
}

// Largest difference between two frames' colour channels.
inline int LargestDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    int largest = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        if (i % 4 == 3) continue;
        largest = std::max(largest, std::abs(int(a[i]) - int(b[i])));
    }
    return largest;
}
