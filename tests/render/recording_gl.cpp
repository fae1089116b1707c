// A stand-in for the GL library that records each call the drawing makes as text, so tests can
// check the exact sequence without a GL implementation underneath (and without its allocations).
#include "recording_gl.h"

#include <cstdio>

#include "render/gl_include.h"

std::vector<std::string> recordedCalls;
bool recordingCalls = true;
const void* recordedUpload = nullptr;
std::vector<RecordedVertex> recordedVertices;

std::string CallNumber(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}

namespace {

template <typename... T>
void Record(const char* name, T... args) {
    if (!recordingCalls) return;
    std::string line = std::string(name) + "(";
    bool first = true;
    for (double v : {double(args)...}) {
        if (!first) line += ",";
        line += CallNumber(v);
        first = false;
    }
    recordedCalls.push_back(line + ")");
}

void Record(const char* name) {
    if (recordingCalls) recordedCalls.push_back(std::string(name) + "()");
}

// The client arrays as last pointed at: where, how many floats and how far apart.
struct ClientArray {
    const GLvoid* pointer = nullptr;
    GLint size = 0;
    GLsizei stride = 0;
};
ClientArray vertexArray, texCoordArray, colorArray;

const float* Element(const ClientArray& array, GLuint index) {
    const GLsizei stride = array.stride != 0 ? array.stride : GLsizei(array.size * sizeof(float));
    return reinterpret_cast<const float*>(static_cast<const char*>(array.pointer) + size_t(index) * stride);
}

}  // namespace

// The stand-in GL: every entry point the drawing uses, recording its name and arguments (most only that).
#define RECORDED(fn, params, ...)               \
    void fn params {                            \
        Record(#fn __VA_OPT__(, ) __VA_ARGS__); \
    }
extern "C" {
void glGenTextures(GLsizei n, GLuint* names) {
    Record("glGenTextures", n);
    for (GLsizei i = 0; i < n; ++i) names[i] = 7 + GLuint(i);
}
RECORDED(glBindTexture, (GLenum target, GLuint name), target, name)
RECORDED(glTexParameteri, (GLenum target, GLenum pname, GLint value), target, pname, value)
void glTexImage2D(GLenum target, GLint level, GLint internal, GLsizei w, GLsizei h, GLint border,
                  GLenum format, GLenum type, const GLvoid* pixels) {
    Record("glTexImage2D", target, level, internal, w, h, border, format, type);
    recordedUpload = pixels;
}
GLuint glGenLists(GLsizei range) {
    Record("glGenLists", range);
    return 3;
}
RECORDED(glNewList, (GLuint list, GLenum mode), list, mode)
RECORDED(glEndList, ())
RECORDED(glBegin, (GLenum mode), mode)
RECORDED(glEnd, ())
RECORDED(glTexCoord2f, (GLfloat s, GLfloat t), s, t)
RECORDED(glVertex3f, (GLfloat x, GLfloat y, GLfloat z), x, y, z)
RECORDED(glPixelStorei, (GLenum pname, GLint value), pname, value)
RECORDED(glViewport, (GLint x, GLint y, GLsizei w, GLsizei h), x, y, w, h)
RECORDED(glClearColor, (GLclampf r, GLclampf g, GLclampf b, GLclampf a), r, g, b, a)
RECORDED(glClearDepth, (GLclampd depth), depth)
RECORDED(glClear, (GLbitfield mask), mask)
RECORDED(glEnable, (GLenum cap), cap)
RECORDED(glDisable, (GLenum cap), cap)
RECORDED(glBlendFunc, (GLenum s, GLenum d), s, d)
RECORDED(glShadeModel, (GLenum mode), mode)
RECORDED(glMatrixMode, (GLenum mode), mode)
RECORDED(glPushMatrix, ())
RECORDED(glPopMatrix, ())
RECORDED(glLoadIdentity, ())
RECORDED(glFrustum, (GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f), l, r, b, t, n,
         f)
RECORDED(glOrtho, (GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f), l, r, b, t, n, f)
RECORDED(glTranslated, (GLdouble x, GLdouble y, GLdouble z), x, y, z)
RECORDED(glTranslatef, (GLfloat x, GLfloat y, GLfloat z), x, y, z)
RECORDED(glScalef, (GLfloat x, GLfloat y, GLfloat z), x, y, z)
RECORDED(glColor4f, (GLfloat r, GLfloat g, GLfloat b, GLfloat a), r, g, b, a)
RECORDED(glDeleteTextures, (GLsizei n, const GLuint* names), n, names[0])
RECORDED(glDeleteLists, (GLuint list, GLsizei range), list, range)
RECORDED(glCallList, (GLuint list), list)
RECORDED(glEnableClientState, (GLenum array), array)
RECORDED(glDisableClientState, (GLenum array), array)
void glVertexPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer) {
    Record("glVertexPointer", size, type);
    vertexArray = {pointer, size, stride};
}
void glTexCoordPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer) {
    Record("glTexCoordPointer", size, type);
    texCoordArray = {pointer, size, stride};
}
void glColorPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer) {
    Record("glColorPointer", size, type);
    colorArray = {pointer, size, stride};
}
// Also keeps every vertex drawn, read through the arrays (float vertices, texture coordinates and
// colours of 3, 2 and 4 values, as the drawing hands them over).
void glDrawElements(GLenum mode, GLsizei count, GLenum type, const GLvoid* indices) {
    Record("glDrawElements", mode, count, type);
    if (!recordingCalls) return;
    for (GLsizei i = 0; i < count; ++i) {
        const GLuint index = static_cast<const GLushort*>(indices)[i];
        const float* v = Element(vertexArray, index);
        const float* t = Element(texCoordArray, index);
        const float* c = Element(colorArray, index);
        recordedVertices.push_back({v[0], v[1], v[2], t[0], t[1], c[0], c[1], c[2], c[3]});
    }
}
}
