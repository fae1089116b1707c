// The offscreen frame (render/offscreen.h) on EGL without a display: Mesa's surfaceless platform, an
// OpenGL ES 2.0 context made current with no surface, and a framebuffer object over an RGBA8 renderbuffer
// to draw into, read back when the frame is finished.
#include "render/offscreen.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GLES2/gl2.h>
#include <GLES2/gl2ext.h>

#include <cstring>
#include <new>

namespace {

struct EglFrame {
    EGLContext context;
    GLuint framebuffer;
    GLuint renderbuffer;
};

// The one surfaceless display every frame is made on, initialised with the first frame and kept for the
// life of the process (as Mesa keeps allocations of its own): terminating it would unload the driver with
// them, where the leak checker can no longer tell whose they were.
EGLDisplay surfaceless = EGL_NO_DISPLAY;

bool HasExtension(const char* extensions, const char* name) {
    const std::size_t length = std::strlen(name);
    for (const char* at = extensions; at != nullptr && (at = std::strstr(at, name)) != nullptr;
         at += length) {
        const bool starts = at == extensions || at[-1] == ' ';
        if (starts && (at[length] == ' ' || at[length] == '\0')) return true;
    }
    return false;
}

// Returns nullptr once the display is there, else why it is not.
const char* InitialiseDisplay() {
    if (surfaceless != EGL_NO_DISPLAY) return nullptr;
    if (!HasExtension(eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS), "EGL_MESA_platform_surfaceless"))
        return "EGL has no surfaceless platform (EGL_MESA_platform_surfaceless): Mesa's EGL is not installed";
    const EGLDisplay display =
        eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr))
        return "EGL could not initialise the surfaceless display (no Mesa driver for it)";
    if (!HasExtension(eglQueryString(display, EGL_EXTENSIONS), "EGL_KHR_surfaceless_context")) {
        eglTerminate(display);
        return "EGL cannot make a context current without a surface (EGL_KHR_surfaceless_context)";
    }
    surfaceless = display;
    return nullptr;
}

// Returns nullptr once the context is current and drawing into the frame's renderbuffer, else why not.
const char* MakeContext(EglFrame& egl, int32_t width, int32_t height) {
    const EGLDisplay display = surfaceless;
    if (!eglBindAPI(EGL_OPENGL_ES_API)) return "EGL offers no OpenGL ES";
    const EGLint wanted[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_ES2_BIT, EGL_SURFACE_TYPE, EGL_DONT_CARE,
                             EGL_NONE};
    EGLConfig config = nullptr;
    EGLint count = 0;
    if (!eglChooseConfig(display, wanted, &config, 1, &count) || count < 1)
        return "EGL has no configuration for OpenGL ES 2.0";
    const EGLint version[] = {EGL_CONTEXT_CLIENT_VERSION, 2, EGL_NONE};
    egl.context = eglCreateContext(display, config, EGL_NO_CONTEXT, version);
    if (egl.context == EGL_NO_CONTEXT) return "EGL could not create an OpenGL ES 2.0 context";
    if (!eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, egl.context))
        return "EGL could not make its context current without a surface";
    glGenRenderbuffers(1, &egl.renderbuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, egl.renderbuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8_OES, width, height);
    glGenFramebuffers(1, &egl.framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, egl.framebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, egl.renderbuffer);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        return "OpenGL ES could not draw into an RGBA8 renderbuffer of that size";
    // As a context made current with a surface would start: the viewport over the whole frame.
    glViewport(0, 0, width, height);
    return nullptr;
}

}  // namespace

int32_t OpenOffscreenFrame(OffscreenFrame& frame, int32_t width, int32_t height) {
    frame.width = width;
    frame.height = height;
    frame.failure = nullptr;
    frame.context = nullptr;
    frame.pixels.assign(std::size_t(width) * std::size_t(height) * 4, 0);
    if (const char* failure = InitialiseDisplay(); failure != nullptr) {
        frame.failure = failure;
        return 1;
    }
    EglFrame* egl = new (std::nothrow) EglFrame{EGL_NO_CONTEXT, 0, 0};
    if (egl == nullptr) {
        frame.failure = "no memory for the frame";
        return 1;
    }
    frame.context = egl;
    if (const char* failure = MakeContext(*egl, width, height); failure != nullptr) {
        CloseOffscreenFrame(frame);
        frame.failure = failure;
        return 1;
    }
    return 0;
}

void FinishOffscreenFrame(OffscreenFrame& frame) {
    const EglFrame& egl = *static_cast<const EglFrame*>(frame.context);
    glBindFramebuffer(GL_FRAMEBUFFER, egl.framebuffer);
    glReadPixels(0, 0, frame.width, frame.height, GL_RGBA, GL_UNSIGNED_BYTE, frame.pixels.data());
}

void CloseOffscreenFrame(OffscreenFrame& frame) {
    EglFrame* egl = static_cast<EglFrame*>(frame.context);
    if (egl == nullptr) return;
    if (egl->context != EGL_NO_CONTEXT) {
        // The context's objects, the framebuffer and renderbuffer among them, go with it.
        if (eglGetCurrentContext() == egl->context)
            eglMakeCurrent(surfaceless, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(surfaceless, egl->context);
    }
    delete egl;
    frame.context = nullptr;
}
