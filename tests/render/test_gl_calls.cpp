// The GL calls the drawing makes, in order, recorded by a stand-in for the GL library: the fixed
// state, the texture upload and quad list, one frame's sequence, six calls per sprite, the overlay.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recording_gl.h"
#include "render/fade_draw.h"
#include "render/frame_draw.h"
#include "render/gl_context.h"
#include "render/gl_include.h"
#include "render/glow_texture.h"
#include "render/swarm_view.h"
#include "res/glow_image.h"

namespace {

using Calls = std::vector<std::string>;

Calls Take() {
    Calls taken;
    taken.swap(recordedCalls);
    return taken;
}

// Names as numbers, the way the stand-in records them.
std::string Num(double v) {
    return CallNumber(v);
}
std::string N(GLenum v) {
    return CallNumber(double(v));
}

TEST(GLCalls, FixedStateThenTextureThenSpriteList) {
    Take();
    SetupGLState(1280, 720);
    EXPECT_EQ(Take(), (Calls{"glViewport(0,0,1280,720)", "glClearColor(0,0,0,0)",
                             "glEnable(" + N(GL_TEXTURE_2D) + ")", "glEnable(" + N(GL_BLEND) + ")",
                             "glBlendFunc(" + N(GL_SRC_ALPHA) + "," + N(GL_ONE_MINUS_SRC_ALPHA) + ")",
                             "glShadeModel(" + N(GL_SMOOTH) + ")", "glClearDepth(1)",
                             "glClear(" + N(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT) + ")"}));

    AppState app{};
    CreateGLResources(app);
    EXPECT_EQ(app.glowTexture, 7u);
    EXPECT_EQ(app.spriteList, 3u);
    EXPECT_EQ(recordedUpload, static_cast<const void*>(GlowImage));
    const std::string tex = N(GL_TEXTURE_2D);
    EXPECT_EQ(Take(),
              (Calls{"glPixelStorei(" + N(GL_UNPACK_ALIGNMENT) + ",1)",
                     "glGenTextures(1)",
                     "glBindTexture(" + tex + ",7)",
                     "glTexParameteri(" + tex + "," + N(GL_TEXTURE_WRAP_S) + "," + N(GL_REPEAT) + ")",
                     "glTexParameteri(" + tex + "," + N(GL_TEXTURE_WRAP_T) + "," + N(GL_REPEAT) + ")",
                     "glTexParameteri(" + tex + "," + N(GL_TEXTURE_MAG_FILTER) + "," + N(GL_LINEAR) + ")",
                     "glTexParameteri(" + tex + "," + N(GL_TEXTURE_MIN_FILTER) + "," + N(GL_LINEAR) + ")",
                     "glTexImage2D(" + tex + ",0," + N(GL_LUMINANCE8) + ",256,256,0," + N(GL_LUMINANCE) +
                         "," + N(GL_UNSIGNED_BYTE) + ")",
                     "glGenLists(1)",
                     "glNewList(3," + N(GL_COMPILE) + ")",
                     "glBegin(" + N(GL_TRIANGLE_STRIP) + ")",
                     "glTexCoord2f(0,0)",
                     "glVertex3f(-0.5,-0.5,0)",
                     "glTexCoord2f(0,1)",
                     "glVertex3f(-0.5,0.5,0)",
                     "glTexCoord2f(1,0)",
                     "glVertex3f(0.5,-0.5,0)",
                     "glTexCoord2f(1,1)",
                     "glVertex3f(0.5,0.5,0)",
                     "glEnd()",
                     "glEndList()"}));
}

TEST(GLCalls, OneFrameWithSixCallsPerSpriteOnTheModelViewStack) {
    Wisp wisps[2] = {};
    wisps[0].position = {0.25f, 0.75f, 0.5f};
    wisps[0].jitter = {0.125f, -0.25f, 0.25f};
    wisps[0].glow = 1.0f;
    wisps[0].mix = 0.0f;
    wisps[0].active = 1;
    wisps[1].position = {0.5f, 0.5f, 1.0f};
    wisps[1].glow = 0.5f;
    wisps[1].mix = 1.0f;
    wisps[1].active = 0;  // core only
    Swarm swarm{};
    swarm.size = 0.25f;
    swarm.viewWidth = 800;
    swarm.viewHeight = 400;  // aspect 0.65 x 1.3
    swarm.colourA = {1.0f, 0.5f, 0.25f};
    swarm.colourB = {0.0f, 0.25f, 1.0f};
    swarm.wispCount = 2;
    swarm.wisps = wisps;
    FadeOverlay fade{};
    InitFade(fade, 300000000, 2000000, 2000000, 2000000, true);  // black at the start of its cycle
    AppState app{};
    app.swarm = &swarm;
    app.fade = &fade;
    app.glowTexture = 7;
    app.spriteList = 3;
    Take();
    DrawFrame(app);

    const std::string mv = N(GL_MODELVIEW), proj = N(GL_PROJECTION);
    // Halo of wisp 0: t = 0.25, 2t - t^2 = 0.4375, + 1.1 x 0.25 = 0.7125 (in single precision).
    const float halo = (2.0f * 0.25f - 0.25f * 0.25f) + 1.1f * 0.25f;
    const Calls expected = {
        "glClearColor(0,0,0,0)", "glClear(" + N(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT) + ")",
        "glBlendFunc(" + N(GL_SRC_ALPHA) + "," + N(GL_ONE) + ")",
        // The fixed view.
        "glMatrixMode(" + mv + ")", "glPushMatrix()", "glLoadIdentity()", "glMatrixMode(" + proj + ")",
        "glPushMatrix()", "glLoadIdentity()", "glFrustum(-0.4,0.4,-0.4,0.4,0.1,12)",
        "glMatrixMode(" + mv + ")", "glBindTexture(" + N(GL_TEXTURE_2D) + ",7)",
        // Halo pass: only the active wisp, at (2 x 0.375 - 1, 2 x 0.5 - 1, -0.75).
        "glColor4f(1,0.5,0.25,0.5)", "glPushMatrix()", "glTranslated(-0.25,0,-0.75)",
        "glScalef(" + Num(halo * 0.65f) + "," + Num(halo * 1.3f) + ",1)", "glCallList(3)", "glPopMatrix()",
        // Core pass: both wisps; glow 0.5 eases to 0.75.
        "glColor4f(1,0.5,0.25,1)", "glPushMatrix()", "glTranslated(-0.25,0,-0.75)",
        "glScalef(" + Num(0.25f * 0.65f) + "," + Num(0.25f * 1.3f) + ",1)", "glCallList(3)", "glPopMatrix()",
        "glColor4f(0,0.25,1,0.75)", "glPushMatrix()", "glTranslated(0,0,-1)",
        "glScalef(" + Num(0.25f * 0.65f) + "," + Num(0.25f * 1.3f) + ",1)", "glCallList(3)", "glPopMatrix()",
        "glMatrixMode(" + proj + ")", "glPopMatrix()", "glMatrixMode(" + mv + ")", "glPopMatrix()",
        "glBlendFunc(" + N(GL_SRC_ALPHA) + "," + N(GL_ONE_MINUS_SRC_ALPHA) + ")",
        // The overlay, fully black.
        "glMatrixMode(" + mv + ")", "glPushMatrix()", "glLoadIdentity()", "glMatrixMode(" + proj + ")",
        "glPushMatrix()", "glLoadIdentity()", "glOrtho(0,1,0,1,0.1,100)",
        "glDisable(" + N(GL_TEXTURE_2D) + ")", "glColor4f(0,0,0,1)", "glTranslatef(0.5,0.5,-1)",
        "glCallList(3)", "glColor4f(1,1,1,1)", "glEnable(" + N(GL_TEXTURE_2D) + ")",
        "glMatrixMode(" + proj + ")", "glPopMatrix()", "glMatrixMode(" + mv + ")", "glPopMatrix()"};
    EXPECT_EQ(Take(), expected);

    // Per sprite: colour, push, translate, scale, list, pop. Nothing else grows with the wisp count.
    std::vector<Wisp> many(240, wisps[0]);
    swarm.wisps = many.data();
    swarm.wispCount = 240;
    fade.enabled = false;
    DrawFrame(app);
    EXPECT_EQ(Take().size(), 3 + 8 + 1 + 480 * 6 + 4 + 1);
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
