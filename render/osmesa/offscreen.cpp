#include "render/offscreen.h"

#include <GL/osmesa.h>

int32_t OpenOffscreenFrame(OffscreenFrame& frame, int32_t width, int32_t height) {
    frame.width = width;
    frame.height = height;
    frame.failure = nullptr;
    frame.pixels.assign(std::size_t(width) * std::size_t(height) * 4, 0);
    OSMesaContext context = OSMesaCreateContextExt(OSMESA_RGBA, 16, 0, 0, nullptr);
    frame.context = context;
    if (context == nullptr) {
        frame.failure = "OSMesa could not create an RGBA context";
        return 1;
    }
    if (!OSMesaMakeCurrent(context, frame.pixels.data(), GL_UNSIGNED_BYTE, width, height)) {
        CloseOffscreenFrame(frame);
        frame.failure = "OSMesa could not make its context current over the frame";
        return 1;
    }
    return 0;
}

void FinishOffscreenFrame(OffscreenFrame&) {
    glFinish();
}

void CloseOffscreenFrame(OffscreenFrame& frame) {
    if (frame.context != nullptr) OSMesaDestroyContext(static_cast<OSMesaContext>(frame.context));
    frame.context = nullptr;
}
