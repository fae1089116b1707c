#include "host/x11/fps_overlay.h"

#include "host/x11/frame_rate.h"
#include "render/gl_include.h"

namespace {

// Each glyph is drawn twice its size: 10 x 14 pixels, two bytes per row, bottom row first.
constexpr int32_t kScale = 2;
constexpr int32_t kCellWidth = kGlyphWidth * kScale;
constexpr int32_t kCellHeight = kGlyphHeight * kScale;
constexpr int32_t kAdvance = kCellWidth + kScale;
constexpr int32_t kMargin = 8;

void ScaleGlyph(const uint8_t* rows, uint8_t bitmap[kCellHeight][2]) {
    for (int32_t y = 0; y < kCellHeight; ++y) {
        const uint8_t row = rows[kGlyphHeight - 1 - y / kScale];
        uint16_t bits = 0;
        for (int32_t x = 0; x < kCellWidth; ++x) {
            if (row & (0x10 >> (x / kScale))) bits |= uint16_t(0x8000 >> x);
        }
        bitmap[y][0] = uint8_t(bits >> 8);
        bitmap[y][1] = uint8_t(bits & 0xFF);
    }
}

}  // namespace

void DrawFpsOverlay(const char* text, int32_t width, int32_t height) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, double(width), 0.0, double(height), -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_TEXTURE_2D);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glRasterPos2i(kMargin, kMargin);
    uint8_t bitmap[kCellHeight][2];
    for (const char* c = text; *c != '\0'; ++c) {
        const uint8_t* rows = GlyphRows(*c);
        if (rows != nullptr) {
            ScaleGlyph(rows, bitmap);
            glBitmap(kCellWidth, kCellHeight, 0.0f, 0.0f, float(kAdvance), 0.0f, &bitmap[0][0]);
        } else {
            glBitmap(0, 0, 0.0f, 0.0f, float(kAdvance), 0.0f, nullptr);
        }
    }
    glEnable(GL_TEXTURE_2D);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}
