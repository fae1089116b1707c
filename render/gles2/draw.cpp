// The OpenGL ES 2.0 renderer (render/renderer.h), for WebGL 1 on the web page and GLES 2 on EGL natively:
// the same sprites, glow texture, additive blending and fade overlay as the GL 1.1 renderer, through one
// small shader pair and two buffer objects.
#include "render/gles2/draw.h"

#include <cstddef>

#ifdef __EMSCRIPTEN__
#include <emscripten/console.h>
#else
#include <cstdio>
#endif

#include "render/gl_include.h"
#include "render/glow_texture.h"
#include "render/renderer.h"
#include "render/sprite_batch.h"

namespace {

// Each sprite's colour times the glow's luminance, its alpha unchanged: what GL_MODULATE does with a
// luminance texture in the GL 1.1 drawing.
constexpr const char* kVertexShader = R"(
attribute vec3 position;
attribute vec2 texCoord;
attribute vec4 colour;
uniform mat4 projection;
varying vec2 uv;
varying vec4 tint;
void main() {
    uv = texCoord;
    tint = colour;
    gl_Position = projection * vec4(position, 1.0);
})";

constexpr const char* kFragmentShader = R"(
#ifdef GL_FRAGMENT_PRECISION_HIGH
precision highp float;
#else
precision mediump float;
#endif
uniform sampler2D glow;
varying vec2 uv;
varying vec4 tint;
void main() {
    gl_FragColor = tint * texture2D(glow, uv);
})";

enum Attribute : GLuint { kPosition = 0, kTexCoord = 1, kColour = 2 };

// What the views of one context share. A host may draw several views, each its own AppState, through one
// context (made current with each view's surface in turn); they all draw with one program and one pair of
// buffers, while each view has its own glow texture. The first CreateGLResources makes them, every later
// one joins them, and the ReleaseGLResources of the last view that joined deletes them. One context at a
// time is served this way: every view of the process draws in it.
// A lost context (WebGL) takes everything. The page releases its view, which then deletes only what the
// context still knows, and creates it again; the first view to start in a context where the program is
// gone makes everything anew, a new generation of them, even while views of the lost context are still to
// be released. Those hold an earlier generation (app.glShare) and release nothing then: their names were
// the lost context's and may name another view's objects in the new one.
struct SharedObjects {
    GLuint program;
    GLint projection;
    GLuint vertices;      // room for one full sprite batch, rewritten by every draw
    GLuint indices;       // the batch's triangles, fixed
    bool linked;          // the shaders compiled and the program linked
    int32_t views;        // the views holding this generation
    uint32_t generation;  // counts the times they were made; a view keeps the one it joined in app.glShare
};

SharedObjects shared;
SpriteBatch batch;

void LogLine(const char* line) {
#ifdef __EMSCRIPTEN__
    emscripten_console_error(line);
#else
    std::fprintf(stderr, "%s\n", line);
#endif
}

// The driver's own words on a shader or program it refused: the browser's console on the web page,
// standard error natively.
void LogRefusal(const char* what, GLuint object, bool shader) {
    char log[512] = {};
    if (shader) {
        glGetShaderInfoLog(object, sizeof log, nullptr, log);
    } else {
        glGetProgramInfoLog(object, sizeof log, nullptr, log);
    }
    LogLine(what);
    LogLine(log);
}

GLuint CompileShader(GLenum type, const char* source, bool& compiled) {
    const GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint status = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    if (status != GL_TRUE) {
        compiled = false;
        LogRefusal(type == GL_VERTEX_SHADER ? "Fenlight: the vertex shader failed to compile:"
                                            : "Fenlight: the fragment shader failed to compile:",
                   shader, true);
    }
    return shader;
}

GLuint LinkProgram(bool& linked) {
    const GLuint program = glCreateProgram();
    bool compiled = true;
    const GLuint vertex = CompileShader(GL_VERTEX_SHADER, kVertexShader, compiled);
    const GLuint fragment = CompileShader(GL_FRAGMENT_SHADER, kFragmentShader, compiled);
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glBindAttribLocation(program, kPosition, "position");
    glBindAttribLocation(program, kTexCoord, "texCoord");
    glBindAttribLocation(program, kColour, "colour");
    glLinkProgram(program);
    GLint status = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    linked = compiled && status == GL_TRUE;
    if (compiled && status != GL_TRUE)
        LogRefusal("Fenlight: the shader program failed to link:", program, false);
    // The program keeps what it needs; the shaders go once it is linked.
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    return program;
}

void MakeShared(SharedObjects& s) {
    s.program = LinkProgram(s.linked);
    glUseProgram(s.program);
    s.projection = glGetUniformLocation(s.program, "projection");
    // The sampler reads texture unit 0, the one active from the start.
    glUniform1i(glGetUniformLocation(s.program, "glow"), 0);
    glGenBuffers(1, &s.vertices);
    glBindBuffer(GL_ARRAY_BUFFER, s.vertices);
    glBufferData(GL_ARRAY_BUFFER, sizeof batch.vertices, nullptr, GL_DYNAMIC_DRAW);
    glGenBuffers(1, &s.indices);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, s.indices);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, sizeof kSpriteIndices.index, kSpriteIndices.index, GL_STATIC_DRAW);
    s.views = 0;
    // 0 stands for none at all.
    s.generation = s.generation + 1 != 0 ? s.generation + 1 : 1;
}

// Names a lost context took name nothing any more: only what the context still knows is deleted. The
// program stops being the current one first, or it would live on as long as it stayed current.
void DeleteShared(SharedObjects& s) {
    if (glIsProgram(s.program)) {
        glUseProgram(0);
        glDeleteProgram(s.program);
    }
    if (glIsBuffer(s.vertices)) glDeleteBuffers(1, &s.vertices);
    if (glIsBuffer(s.indices)) glDeleteBuffers(1, &s.indices);
    // Left enabled, the arrays would point into client memory once their buffer is gone.
    glDisableVertexAttribArray(kPosition);
    glDisableVertexAttribArray(kTexCoord);
    glDisableVertexAttribArray(kColour);
    s = SharedObjects{0, 0, 0, 0, false, 0, s.generation};
}

// The program, the buffers and where each attribute is read from: set for every pass, since the context
// is shared with whatever else its host draws between two frames. False, and nothing set, without a
// linked program and its buffers (no view started, or the driver refused the shaders): with no buffer
// bound the attributes' offsets would be read as addresses in client memory.
bool UseShared(const SharedObjects& s) {
    if (!s.linked || s.vertices == 0 || s.indices == 0) return false;
    glUseProgram(s.program);
    glBindBuffer(GL_ARRAY_BUFFER, s.vertices);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, s.indices);
    const GLsizei stride = sizeof(SpriteVertex);
    glVertexAttribPointer(kPosition, 3, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offsetof(SpriteVertex, x)));
    glVertexAttribPointer(kTexCoord, 2, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offsetof(SpriteVertex, s)));
    glVertexAttribPointer(kColour, 4, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offsetof(SpriteVertex, r)));
    glEnableVertexAttribArray(kPosition);
    glEnableVertexAttribArray(kTexCoord);
    glEnableVertexAttribArray(kColour);
    return true;
}

// Column-major, as glUniformMatrix4fv takes it: glFrustum's matrix, or the identity.
struct Matrix4 {
    float m[16];
};

Matrix4 SwarmProjection() {
    const double n = kViewNear, f = kViewFar;
    Matrix4 p{};
    p.m[0] = float(n / kViewHalfSide);
    p.m[5] = float(n / kViewHalfSide);
    p.m[10] = float(-(f + n) / (f - n));
    p.m[11] = -1.0f;
    p.m[14] = float(-2.0 * f * n / (f - n));
    return p;
}

constexpr Matrix4 kIdentity{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};

void DrawBatch(const SpriteBatch& b) {
    glBufferSubData(GL_ARRAY_BUFFER, 0, GLsizeiptr(b.count) * kSpriteCorners * sizeof(SpriteVertex),
                    b.vertices);
    glDrawElements(GL_TRIANGLES, b.count * kIndicesPerSprite, GL_UNSIGNED_SHORT, nullptr);
}

}  // namespace

void SetupRendererState() {
    glDisable(GL_DEPTH_TEST);
    glClear(GL_COLOR_BUFFER_BIT);
}

void CreateGLResources(AppState& app) {
    SharedObjects& s = shared;
    // Views that never released theirs: when the program is gone, so is the context they were made in.
    if (s.views > 0 && !glIsProgram(s.program)) s.views = 0;
    if (s.views == 0) MakeShared(s);
    ++s.views;
    app.glShare = s.generation;
    // GLES 2 stores a texture in the format it is handed.
    app.glowTexture = CreateGlowTexture(GL_LUMINANCE);
    app.spriteList = 0;  // no display lists here; the fade overlay is one sprite of the batch
}

bool Gles2ProgramLinked() {
    return shared.linked;
}

void ReleaseGLResources(AppState& app) {
    SharedObjects& s = shared;
    // A view of an earlier generation (its context is gone) and one that never started release nothing.
    if (app.glShare != 0 && app.glShare == s.generation && s.views > 0) {
        if (glIsTexture(app.glowTexture)) glDeleteTextures(1, &app.glowTexture);
        if (--s.views == 0) DeleteShared(s);
    }
    app.glShare = 0;
    app.glowTexture = 0;
    app.spriteList = 0;
}

void DrawSwarm(const Swarm& swarm, uint32_t glowTexture) {
    static const Matrix4 projection = SwarmProjection();
    if (!UseShared(shared)) return;
    glUniformMatrix4fv(shared.projection, 1, GL_FALSE, projection.m);
    glBindTexture(GL_TEXTURE_2D, glowTexture);
    BatchSwarm(swarm, ComputeAspectFactors(swarm.viewWidth, swarm.viewHeight), batch, DrawBatch);
}

void DrawFade(const FadeOverlay& fade, uint32_t) {
    const float alpha = FadeAlpha(fade);
    if (!(alpha > 0.0f)) return;
    // One black sprite over the whole view; black times any texel stays black, so only its alpha counts.
    if (!UseShared(shared)) return;
    glUniformMatrix4fv(shared.projection, 1, GL_FALSE, kIdentity.m);
    const float corner[kSpriteCorners][2] = {{-1.0f, -1.0f}, {1.0f, -1.0f}, {1.0f, 1.0f}, {-1.0f, 1.0f}};
    for (int k = 0; k < kSpriteCorners; ++k) {
        batch.vertices[k] =
            SpriteVertex{corner[k][0], corner[k][1], 0.0f, 0.5f, 0.5f, 0.0f, 0.0f, 0.0f, alpha};
    }
    batch.count = 1;
    DrawBatch(batch);
    batch.count = 0;
}
