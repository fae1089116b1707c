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

// The stand-in GL: every entry point the drawing uses, recording its name and arguments.
extern "C" {
void glGenTextures(GLsizei n, GLuint* names) {
    Record("glGenTextures", n);
    for (GLsizei i = 0; i < n; ++i) names[i] = 7 + GLuint(i);
}
void glBindTexture(GLenum target, GLuint name) {
    Record("glBindTexture", target, name);
}
void glTexParameteri(GLenum target, GLenum pname, GLint value) {
    Record("glTexParameteri", target, pname, value);
}
void glTexImage2D(GLenum target, GLint level, GLint internal, GLsizei w, GLsizei h, GLint border,
                  GLenum format, GLenum type, const GLvoid* pixels) {
    Record("glTexImage2D", target, level, internal, w, h, border, format, type);
    recordedUpload = pixels;
}
GLuint glGenLists(GLsizei range) {
    Record("glGenLists", range);
    return 3;
}
void glNewList(GLuint list, GLenum mode) {
    Record("glNewList", list, mode);
}
void glEndList() {
    Record("glEndList");
}
void glBegin(GLenum mode) {
    Record("glBegin", mode);
}
void glEnd() {
    Record("glEnd");
}
void glTexCoord2f(GLfloat s, GLfloat t) {
    Record("glTexCoord2f", s, t);
}
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    Record("glVertex3f", x, y, z);
}
void glPixelStorei(GLenum pname, GLint value) {
    Record("glPixelStorei", pname, value);
}
void glViewport(GLint x, GLint y, GLsizei w, GLsizei h) {
    Record("glViewport", x, y, w, h);
}
void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
    Record("glClearColor", r, g, b, a);
}
void glClearDepth(GLclampd depth) {
    Record("glClearDepth", depth);
}
void glClear(GLbitfield mask) {
    Record("glClear", mask);
}
void glEnable(GLenum cap) {
    Record("glEnable", cap);
}
void glDisable(GLenum cap) {
    Record("glDisable", cap);
}
void glBlendFunc(GLenum s, GLenum d) {
    Record("glBlendFunc", s, d);
}
void glShadeModel(GLenum mode) {
    Record("glShadeModel", mode);
}
void glMatrixMode(GLenum mode) {
    Record("glMatrixMode", mode);
}
void glPushMatrix() {
    Record("glPushMatrix");
}
void glPopMatrix() {
    Record("glPopMatrix");
}
void glLoadIdentity() {
    Record("glLoadIdentity");
}
void glFrustum(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
    Record("glFrustum", l, r, b, t, n, f);
}
void glOrtho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
    Record("glOrtho", l, r, b, t, n, f);
}
void glTranslated(GLdouble x, GLdouble y, GLdouble z) {
    Record("glTranslated", x, y, z);
}
void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    Record("glTranslatef", x, y, z);
}
void glScalef(GLfloat x, GLfloat y, GLfloat z) {
    Record("glScalef", x, y, z);
}
void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    Record("glColor4f", r, g, b, a);
}
void glDeleteTextures(GLsizei n, const GLuint* names) {
    Record("glDeleteTextures", n, names[0]);
}
void glDeleteLists(GLuint list, GLsizei range) {
    Record("glDeleteLists", list, range);
}
void glCallList(GLuint list) {
    Record("glCallList", list);
}
void glEnableClientState(GLenum array) {
    Record("glEnableClientState", array);
}
void glDisableClientState(GLenum array) {
    Record("glDisableClientState", array);
}
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
