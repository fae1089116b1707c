#include "render/glow_texture.h"

#include "render/gl_include.h"

#ifndef GL_RGB8
#define GL_RGB8 0x8051
#endif

namespace {

struct QuadVertex {
    float s, t, x, y;
};

// Triangle-strip order: lower left, upper left, lower right, upper right.
constexpr QuadVertex kQuad[4] = {
    {0.0f, 0.0f, -0.5f, -0.5f},
    {0.0f, 1.0f, -0.5f, 0.5f},
    {1.0f, 0.0f, 0.5f, -0.5f},
    {1.0f, 1.0f, 0.5f, 0.5f},
};

}  // namespace

void CreateGlowTexture(const unsigned char* image, uint32_t* name) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    *name = texture;
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    // Stored as RGB (each channel the luminance, alpha 1): software OpenGL samples it faster than a
    // luminance texture, and with GL_MODULATE the picture is the same.
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, 256, 256, 0, GL_LUMINANCE, GL_UNSIGNED_BYTE, image);
}

void BuildSpriteList(uint32_t* name) {
    const GLuint list = glGenLists(1);
    *name = list;
    glNewList(list, GL_COMPILE);
    glBegin(GL_TRIANGLE_STRIP);
    for (const QuadVertex& v : kQuad) {
        glTexCoord2f(v.s, v.t);
        glVertex3f(v.x, v.y, 0.0f);
    }
    glEnd();
    glEndList();
}
