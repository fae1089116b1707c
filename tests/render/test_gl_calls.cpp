// The GL calls the drawing makes, in order, recorded by a stand-in for the GL library: the fixed
// state, the texture upload and quad list and their release, one frame's sequence with every sprite in
// one draw, the overlay.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <iterator>
#include <string>
#include <vector>

#include "recording_gl.h"
#include "render/gl11/views.h"
#include "render/gl_include.h"
#include "render/glow_texture.h"
#include "res/glow_image.h"

namespace {

using Calls = std::vector<std::string>;

Calls Take() {
    Calls taken;
    taken.swap(recordedCalls);
    return taken;
}

// Names as numbers, the way the stand-in records them.
std::string N(GLenum v) {
    return CallNumber(double(v));
}

TEST(GLCalls, FixedStateThenTextureThenSpriteListThenTheirRelease) {
    Take();
    SetupGLState(1280, 720);
    EXPECT_EQ(Take(),
              (Calls{"glViewport(0,0,1280,720)", "glClearColor(0,0,0,0)", "glEnable(" + N(GL_BLEND) + ")",
                     "glBlendFunc(" + N(GL_SRC_ALPHA) + "," + N(GL_ONE_MINUS_SRC_ALPHA) + ")",
                     "glEnable(" + N(GL_TEXTURE_2D) + ")", "glShadeModel(" + N(GL_SMOOTH) + ")",
                     "glClearDepth(1)", "glClear(" + N(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT) + ")"}));

    AppState app{};
    CreateGLResources(app);
    EXPECT_EQ(app.glowTexture, 7u);
    EXPECT_EQ(app.spriteList, 3u);
    EXPECT_EQ(recordedUpload, static_cast<const void*>(GlowImage));
    const std::string tex = N(GL_TEXTURE_2D);
    const std::string upload = "glTexImage2D(" + tex + ",0," + N(GL_RGB8) + ",256,256,0," + N(GL_LUMINANCE) +
                               "," + N(GL_UNSIGNED_BYTE) + ")";
    Calls expected = {"glPixelStorei(" + N(GL_UNPACK_ALIGNMENT) + ",1)",
                      "glGenTextures(1)",
                      "glBindTexture(" + tex + ",7)",
                      "glTexParameteri(" + tex + "," + N(GL_TEXTURE_WRAP_S) + "," + N(GL_REPEAT) + ")",
                      "glTexParameteri(" + tex + "," + N(GL_TEXTURE_WRAP_T) + "," + N(GL_REPEAT) + ")",
                      "glTexParameteri(" + tex + "," + N(GL_TEXTURE_MAG_FILTER) + "," + N(GL_LINEAR) + ")",
                      "glTexParameteri(" + tex + "," + N(GL_TEXTURE_MIN_FILTER) + "," + N(GL_LINEAR) + ")",
                      upload};
    expected.insert(expected.end(), {"glGenLists(1)", "glNewList(3," + N(GL_COMPILE) + ")",
                                     "glBegin(" + N(GL_TRIANGLE_STRIP) + ")", "glTexCoord2f(0,0)",
                                     "glVertex3f(-0.5,-0.5,0)", "glTexCoord2f(0,1)", "glVertex3f(-0.5,0.5,0)",
                                     "glTexCoord2f(1,0)", "glVertex3f(0.5,-0.5,0)", "glTexCoord2f(1,1)",
                                     "glVertex3f(0.5,0.5,0)", "glEnd()", "glEndList()"});
    EXPECT_EQ(Take(), expected);

    // Released once: both names deleted and cleared; a second release has nothing left to delete.
    ReleaseGLResources(app);
    ReleaseGLResources(app);
    EXPECT_EQ(Take(), (Calls{"glDeleteTextures(1,7)", "glDeleteLists(3,1)"}));
    EXPECT_EQ(app.glowTexture, 0u);
    EXPECT_EQ(app.spriteList, 0u);
}

// Checks that the six vertices drawn for one sprite (two triangles) make the square of the glow's
// reach around the sprite's place, at its scale, with the quad's texture coordinates and its colour.
void ExpectSprite(const RecordedVertex* v, Vec3 eye, float scaleX, float scaleY, Vec3 colour, float alpha) {
    const int pattern[6] = {0, 1, 2, 0, 2, 3};
    const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (int k = 0; k < 6; ++k) {
        const float cx = corners[pattern[k]][0] * kGlowReach, cy = corners[pattern[k]][1] * kGlowReach;
        EXPECT_FLOAT_EQ(v[k].x, eye.x + cx * scaleX) << k;
        EXPECT_FLOAT_EQ(v[k].y, eye.y + cy * scaleY) << k;
        EXPECT_FLOAT_EQ(v[k].z, eye.z) << k;
        EXPECT_FLOAT_EQ(v[k].s, 0.5f + cx) << k;
        EXPECT_FLOAT_EQ(v[k].t, 0.5f + cy) << k;
        EXPECT_EQ((std::array<float, 4>{v[k].r, v[k].g, v[k].b, v[k].a}),
                  (std::array<float, 4>{colour.x, colour.y, colour.z, alpha}))
            << k;
    }
}

TEST(GLCalls, OneFrameDrawsEverySpriteInOneDrawFromClientArrays) {
    // Mix, glow, glow rate, position, velocity, jitter, active.
    Wisp wisps[3] = {{0.0f, 1.0f, 0.0f, {0.25f, 0.75f, 0.5f}, {}, {0.125f, -0.25f, 0.25f}, 1},
                     {1.0f, 0.5f, 0.0f, {0.5f, 0.5f, 1.0f}, {}, {}, 0},  // core only
                     // Dark: neither sprite adds anything, so neither is drawn.
                     {0.0f, 0.0f, 0.0f, {0.5f, 0.5f, 0.5f}, {}, {}, 1}};
    Swarm swarm{};
    swarm.size = 0.25f;
    swarm.viewWidth = 800;
    swarm.viewHeight = 400;  // aspect 0.65 x 1.3
    swarm.colourA = {1.0f, 0.5f, 0.25f};
    swarm.colourB = {0.0f, 0.25f, 1.0f};
    swarm.wispCount = 3;
    swarm.wisps = wisps;
    FadeOverlay fade{};
    InitFade(fade, 300000000, 2000000, 2000000, 2000000, true);  // black at the start of its cycle
    AppState app{};
    app.swarm = &swarm;
    app.fade = &fade;
    app.glowTexture = 7;
    app.spriteList = 3;
    Take();
    recordedVertices.clear();
    DrawFrame(app);

    const std::string mv = N(GL_MODELVIEW), proj = N(GL_PROJECTION);
    const std::string arrays[3] = {N(GL_VERTEX_ARRAY), N(GL_TEXTURE_COORD_ARRAY), N(GL_COLOR_ARRAY)};
    const std::string f = N(GL_FLOAT);
    const Calls expected = {
        // Only colour is cleared: nothing tests depth.
        "glClearColor(0,0,0,0)", "glClear(" + N(GL_COLOR_BUFFER_BIT) + ")",
        "glBlendFunc(" + N(GL_SRC_ALPHA) + "," + N(GL_ONE) + ")",
        // The fixed view.
        "glMatrixMode(" + mv + ")", "glPushMatrix()", "glLoadIdentity()", "glMatrixMode(" + proj + ")",
        "glPushMatrix()", "glLoadIdentity()", "glFrustum(-0.4,0.4,-0.4,0.4,0.1,12)",
        "glMatrixMode(" + mv + ")", "glBindTexture(" + N(GL_TEXTURE_2D) + ",7)",
        // Every sprite in one draw: three sprites, two triangles each.
        "glEnableClientState(" + arrays[0] + ")", "glEnableClientState(" + arrays[1] + ")",
        "glEnableClientState(" + arrays[2] + ")", "glVertexPointer(3," + f + ")",
        "glTexCoordPointer(2," + f + ")", "glColorPointer(4," + f + ")",
        "glDrawElements(" + N(GL_TRIANGLES) + ",18," + N(GL_UNSIGNED_SHORT) + ")",
        "glDisableClientState(" + arrays[2] + ")", "glDisableClientState(" + arrays[1] + ")",
        "glDisableClientState(" + arrays[0] + ")", "glMatrixMode(" + proj + ")", "glPopMatrix()",
        "glMatrixMode(" + mv + ")", "glPopMatrix()",
        "glBlendFunc(" + N(GL_SRC_ALPHA) + "," + N(GL_ONE_MINUS_SRC_ALPHA) + ")",
        // The overlay, fully black.
        "glMatrixMode(" + mv + ")", "glPushMatrix()", "glLoadIdentity()", "glMatrixMode(" + proj + ")",
        "glPushMatrix()", "glLoadIdentity()", "glOrtho(0,1,0,1,0.1,100)", "glMatrixMode(" + mv + ")",
        "glDisable(" + N(GL_TEXTURE_2D) + ")", "glColor4f(0,0,0,1)", "glTranslatef(0.5,0.5,-1)",
        "glCallList(3)", "glColor4f(1,1,1,1)", "glEnable(" + N(GL_TEXTURE_2D) + ")",
        "glMatrixMode(" + proj + ")", "glPopMatrix()", "glMatrixMode(" + mv + ")", "glPopMatrix()"};
    EXPECT_EQ(Take(), expected);

    // Halo of wisp 0 first, at (2 x 0.375 - 1, 2 x 0.5 - 1, -0.75): t = 0.25, 2t - t^2 = 0.4375,
    // + 1.1 x 0.25 = 0.7125 (in single precision). Then the cores; glow 0.5 eases to 0.75.
    ASSERT_EQ(recordedVertices.size(), 18u);
    const float halo = (2.0f * 0.25f - 0.25f * 0.25f) + 1.1f * 0.25f;
    ExpectSprite(&recordedVertices[0], {-0.25f, 0.0f, -0.75f}, halo * 0.65f, halo * 1.3f, swarm.colourA,
                 0.5f);
    ExpectSprite(&recordedVertices[6], {-0.25f, 0.0f, -0.75f}, 0.25f * 0.65f, 0.25f * 1.3f, swarm.colourA,
                 1.0f);
    ExpectSprite(&recordedVertices[12], {0.0f, 0.0f, -1.0f}, 0.25f * 0.65f, 0.25f * 1.3f, swarm.colourB,
                 0.75f);

    // The largest swarm still takes one draw, so the calls do not grow with the wisp count; a larger
    // one than the settings allow is drawn in batches, in the same order.
    fade.enabled = false;
    Calls others[2];  // each frame's calls but its draws
    for (int32_t count : {240, 300}) {
        std::vector<Wisp> many(size_t(count), wisps[0]);
        for (int32_t i = 0; i < count; ++i) many[size_t(i)].mix = float(i) / float(count);
        swarm.wisps = many.data();
        swarm.wispCount = count;
        recordedVertices.clear();
        DrawFrame(app);
        const Calls calls = Take();
        Calls& other = others[count == 240 ? 0 : 1];
        std::copy_if(calls.begin(), calls.end(), std::back_inserter(other),
                     [](const std::string& c) { return c.rfind("glDrawElements(", 0) != 0; });
        EXPECT_EQ(calls.size() - other.size(), count == 240 ? 1u : 2u) << count;
        ASSERT_EQ(recordedVertices.size(), size_t(2 * count * 6));
        for (int32_t i = 0; i < 2 * count; ++i) {
            const float mix = float(i % count) / float(count);
            EXPECT_FLOAT_EQ(recordedVertices[size_t(i) * 6].r, 1.0f - mix) << i;
            EXPECT_FLOAT_EQ(recordedVertices[size_t(i) * 6].a, i < count ? 0.5f : 1.0f) << i;
        }
    }
    EXPECT_EQ(others[0], others[1]) << "only the draws grow with the wisp count";
}

TEST(GLCalls, OverlayDrawsNothingWhenClearOrDisabled) {
    FadeOverlay fade{};
    InitFade(fade, 300000000, 2000000, 2000000, 2000000, true);
    AdvanceFade(fade, 2000000);  // the end of the clearing
    Take();
    DrawFade(fade, 3);
    EXPECT_TRUE(Take().empty());
    AdvanceFade(fade, 294000000);  // the start of the darkening
    DrawFade(fade, 3);
    EXPECT_TRUE(Take().empty());
    AdvanceFade(fade, 1);
    DrawFade(fade, 3);
    EXPECT_FALSE(Take().empty());
    fade.enabled = false;
    DrawFade(fade, 3);
    EXPECT_TRUE(Take().empty());
}

}  // namespace
