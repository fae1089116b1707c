// Real frames drawn offscreen and read back: where the wisps land, how bright and in what colour,
// how sprites add, what the fade overlay does, and that every pass leaves the GL state as it found it.
// Built for GLES 2 on EGL too, without GL 1.1's own GL state, glow texture and sprite-by-sprite checks.
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "gl_frame.h"
#include "render/gl11/views.h"
#include "render/gl_include.h"
#include "render/glow_texture.h"
#include "app/app_state.h"
#include "tests/app/fake_tick.h"
#ifndef FENLIGHT_GLES2
#include "reference_sprites.h"
#endif
#include "res/glow_image.h"

namespace {

// Lit extent of a glow relative to its sprite: the picture is black beyond about 0.93 of its radius.
constexpr double kLitLow = 0.80;
constexpr double kLitHigh = 1.0;

// Width in pixels of a glow-1 halo of the given sprite size at depth z in a frame `pixels` wide.
double HaloPixels(float size, float aspect, double z, int pixels) {
    const double t = size;
    return ((2 * t - t * t) + 1.1 * size) * aspect / (8.0 * z) * pixels;
}

TEST(SwarmFrame, WispAtTheViewCentreIsCentredAndShrinksWithDepth) {
    GLFrame f;
    ASSERT_TRUE(f.Open(400, 300));
    int previousWidth = 1 << 30;
    for (float z : {0.2f, 0.35f, 0.6f, 1.0f}) {
        TestScene scene;
        SetScene(scene, 400, 300, {MakeWisp({0.5f, 0.5f, z}, 1.0f)});
        f.Draw(&scene);
        const Blob blob = MeasureBlob(f);
        EXPECT_NEAR(blob.centreX, 200.0, 0.25) << "z " << z;
        EXPECT_NEAR(blob.centreY, 150.0, 0.25) << "z " << z;
        const double expected = HaloPixels(0.15f, 300.0f / 400.0f * 1.3f, z, 400);
        EXPECT_GE(blob.width, kLitLow * expected) << "z " << z;
        EXPECT_LE(blob.width, kLitHigh * expected) << "z " << z;
        EXPECT_LT(blob.width, previousWidth);
        previousWidth = blob.width;
    }
}

TEST(SwarmFrame, ViewEdgesLandWhereTheFrustumPutsThem) {
    GLFrame f;
    ASSERT_TRUE(f.Open(400, 400));
    // At depth 0.25 the view's 0..1 fills the window: x = 1 is the right edge, so half the blob shows.
    TestScene edge;
    SetScene(edge, 400, 400, {MakeWisp({1.0f, 0.5f, 0.25f}, 1.0f)});
    f.Draw(&edge);
    int brightestColumn = 0;
    for (int32_t x = 0; x < 400; ++x) {
        if (f.Channel(x, 200, 0) > f.Channel(brightestColumn, 200, 0)) brightestColumn = x;
    }
    EXPECT_GE(brightestColumn, 398);
    // At depth 1.0, x = 1 lies an eighth of the width right of the centre; y = 0 an eighth below it.
    TestScene far;
    SetScene(far, 400, 400, {MakeWisp({1.0f, 0.0f, 1.0f}, 1.0f)});
    f.Draw(&far);
    const Blob blob = MeasureBlob(f);
    EXPECT_NEAR(blob.centreX, 250.0, 0.25);
    EXPECT_NEAR(blob.centreY, 150.0, 0.25);
}

TEST(SwarmFrame, GlowSetsTheBrightnessAndInactiveWispsShowOnlyTheirCore) {
    GLFrame f;
    // An odd size puts a pixel centre on the view centre, where the glow peaks.
    ASSERT_TRUE(f.Open(201, 201));
    TestScene dark;
    SetScene(dark, 201, 201, {MakeWisp({0.5f, 0.5f, 0.5f}, 0.0f), MakeWisp({0.3f, 0.6f, 0.3f}, 0.0f, 1.0f)});
    f.Draw(&dark);
    EXPECT_TRUE(AllBlack(f));

    // Glow 1 at colour 0.4: core at alpha 1 plus halo at alpha 0.5, both at the texture's peak of 227.
    TestScene bright;
    SetScene(bright, 201, 201, {MakeWisp({0.5f, 0.5f, 0.5f}, 1.0f)});
    f.Draw(&bright);
    const double peak = 227.0 / 255.0;
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(f.Channel(100, 100, c), 255 * 0.4 * peak * 1.5, 3.0);
    const Blob withHalo = MeasureBlob(f);

    // An inactive wisp keeps its core (0.15 wide) but loses the halo (0.4425 wide).
    bright.wisps[0].active = 0;
    f.Draw(&bright);
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(f.Channel(100, 100, c), 255 * 0.4 * peak, 3.0);
    const Blob coreOnly = MeasureBlob(f);
    EXPECT_NEAR(double(coreOnly.width) / withHalo.width, 0.15 / 0.4425, 0.05);

    // Half glow eases to 0.75 of full brightness.
    bright.wisps[0].active = 1;
    bright.wisps[0].glow = 0.5f;
    f.Draw(&bright);
    EXPECT_NEAR(f.Channel(100, 100, 0), 255 * 0.4 * peak * 0.75 + 255 * 0.4 * peak * 0.375, 3.0);
}

TEST(SwarmFrame, MixDrawsTheSchemeColours) {
    GLFrame f;
    ASSERT_TRUE(f.Open(200, 200));
    for (uint8_t scheme = 0; scheme < kSchemeCount; ++scheme) {
        const Vec3 a = SchemeColourA(scheme);
        const Vec3 b = SchemeColourB(scheme);
        for (float mix : {0.0f, 1.0f}) {
            TestScene scene;
            // Dim enough that no channel saturates.
            SetScene(scene, 200, 200, {MakeWisp({0.5f, 0.5f, 0.5f}, 0.2f, mix)}, a, b);
            f.Draw(&scene);
            const Vec3 expected = mix == 0.0f ? a : b;
            const double top = std::max({expected.x, expected.y, expected.z});
            const int seen[3] = {f.Channel(100, 100, 0), f.Channel(100, 100, 1), f.Channel(100, 100, 2)};
            const int seenTop = std::max({seen[0], seen[1], seen[2]});
            ASSERT_GT(seenTop, 40);
            const double want[3] = {expected.x, expected.y, expected.z};
            for (int c = 0; c < 3; ++c) {
                EXPECT_NEAR(double(seen[c]) / seenTop, want[c] / top, 0.03)
                    << "scheme " << int(scheme) << " mix " << mix << " channel " << c;
            }
        }
    }
}

TEST(SwarmFrame, OverlappingSpritesAddAndTheirOrderDoesNotMatter) {
    GLFrame f;
    ASSERT_TRUE(f.Open(200, 200));
    const Vec3 dim{0.15f, 0.1f, 0.2f};
    TestScene one;
    SetScene(one, 200, 200, {MakeWisp({0.5f, 0.5f, 0.5f}, 1.0f)}, dim, dim);
    const std::vector<uint8_t> single = f.Draw(&one);
    TestScene two;
    SetScene(two, 200, 200, {MakeWisp({0.5f, 0.5f, 0.5f}, 1.0f), MakeWisp({0.5f, 0.5f, 0.5f}, 1.0f)}, dim,
             dim);
    const std::vector<uint8_t> doubled = f.Draw(&two);
    int largest = 0;
    for (size_t i = 0; i < single.size(); ++i) {
        if (i % 4 != 3) largest = std::max(largest, std::abs(2 * int(single[i]) - int(doubled[i])));
    }
    EXPECT_LE(largest, 2);

    // Three differently coloured, overlapping wisps in two orders.
    const Wisp a = MakeWisp({0.45f, 0.5f, 0.4f}, 0.9f, 0.0f);
    const Wisp b = MakeWisp({0.55f, 0.52f, 0.6f}, 0.6f, 1.0f);
    const Wisp c = MakeWisp({0.5f, 0.45f, 0.5f}, 0.4f, 0.5f, 0);
    TestScene forward, backward;
    SetScene(forward, 200, 200, {a, b, c}, {0.3f, 0.05f, 0.1f}, {0.05f, 0.2f, 0.3f});
    SetScene(backward, 200, 200, {c, b, a}, {0.3f, 0.05f, 0.1f}, {0.05f, 0.2f, 0.3f});
    const std::vector<uint8_t> first = f.Draw(&forward);
    const std::vector<uint8_t> second = f.Draw(&backward);
    EXPECT_LE(LargestDifference(first, second), 2);
}

#ifndef FENLIGHT_GLES2
using Matrix = std::array<GLdouble, 16>;
struct MatrixState {
    Matrix modelView, projection;
    GLint modelViewDepth, projectionDepth, mode;
    bool operator==(const MatrixState&) const = default;
};

MatrixState ReadMatrixState() {
    MatrixState s{};
    glGetDoublev(GL_MODELVIEW_MATRIX, s.modelView.data());
    glGetDoublev(GL_PROJECTION_MATRIX, s.projection.data());
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &s.modelViewDepth);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &s.projectionDepth);
    glGetIntegerv(GL_MATRIX_MODE, &s.mode);
    return s;
}

TEST(SwarmFrame, EmptySwarmDrawsNothingAndEveryPassRestoresTheMatrices) {
    GLFrame f;
    ASSERT_TRUE(f.Open(200, 200));
    // Matrices that mean something to somebody else.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-3, 5, -2, 7, 1, 9);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.25f, -0.5f, 2.0f);
    glRotatef(30.0f, 0.0f, 0.0f, 1.0f);
    const MatrixState before = ReadMatrixState();

    TestScene empty;
    SetScene(empty, 200, 200, {});
    f.Draw(&empty);
    EXPECT_TRUE(AllBlack(f));
    EXPECT_EQ(ReadMatrixState(), before);

    // The largest swarm with the overlay drawing, the projection stack never past its two entries.
    TestScene full;
    std::vector<Wisp> wisps;
    for (int i = 0; i < 240; ++i)
        wisps.push_back(MakeWisp({(i % 16) / 15.0f, (i / 16) / 15.0f, 0.2f + 0.003f * i}, 0.7f));
    SetScene(full, 200, 200, wisps);
    FadeOverlay fade{};
    InitFade(fade, 300000000, 2000000, 2000000, 2000000, true);
    AdvanceFade(fade, 1000000);
    f.Draw(&full, &fade);
    EXPECT_EQ(ReadMatrixState(), before);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    // The sprites' client arrays are switched off again.
    for (GLenum array : {GL_VERTEX_ARRAY, GL_TEXTURE_COORD_ARRAY, GL_COLOR_ARRAY})
        EXPECT_FALSE(glIsEnabled(array));
}
#endif

TEST(FadeFrame, BlackAtFullAlphaHalfAtHalfAndUntouchedWhenClear) {
    GLFrame f;
    ASSERT_TRUE(f.Open(200, 200));
    TestScene scene;
    SetScene(scene, 200, 200, {MakeWisp({0.5f, 0.5f, 0.5f}, 1.0f), MakeWisp({0.2f, 0.7f, 0.3f}, 0.8f)});
    const std::vector<uint8_t> plain = f.Draw(&scene);
    ASSERT_GT(f.Channel(100, 100, 0), 100);

    FadeOverlay fade{};
    InitFade(fade, 300000000, 2000000, 2000000, 2000000, true);
    f.Draw(&scene, &fade);  // start of the cycle: fully black
    EXPECT_TRUE(AllBlack(f));
#ifndef FENLIGHT_GLES2
    glColor4f(0.3f, 0.2f, 0.1f, 0.5f);
#endif
    AdvanceFade(fade, 296000000 + 1000000);  // half-way through the darkening
    f.Draw(&scene, &fade);
    EXPECT_NEAR(f.Channel(100, 100, 0), plain[(100 * 200 + 100) * 4] / 2.0, 2.0);
#ifndef FENLIGHT_GLES2
    // The overlay leaves the colour white and opaque and texturing on.
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0] + colour[1] + colour[2] + colour[3], 4.0f);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
#endif

    ResetFade(fade);
    AdvanceFade(fade, 100000000);  // the clear stretch
    EXPECT_EQ(f.Draw(&scene, &fade), plain);
    fade.enabled = false;
    ResetFade(fade);  // would be black if it were drawn
    EXPECT_EQ(f.Draw(&scene, &fade), plain);
}

TEST(SwarmFrame, SpritesStayRoundOnWideAndTallWindows) {
    const AspectFactors wide = ComputeAspectFactors(1600, 900);
    EXPECT_FLOAT_EQ(wide.aspectX, 0.73125f);
    EXPECT_FLOAT_EQ(wide.aspectY, 1.3f);
    const AspectFactors tall = ComputeAspectFactors(900, 1600);
    EXPECT_FLOAT_EQ(tall.aspectX, 1.3f);
    EXPECT_FLOAT_EQ(tall.aspectY, 0.73125f);
    const AspectFactors square = ComputeAspectFactors(640, 640);
    EXPECT_EQ(square.aspectX, 1.3f);
    EXPECT_EQ(square.aspectY, 1.3f);

    for (auto [w, h] : {std::pair{1600, 900}, std::pair{900, 1600}}) {
        GLFrame f;
        ASSERT_TRUE(f.Open(w, h));
        TestScene scene;
        SetScene(scene, w, h, {MakeWisp({0.5f, 0.5f, 0.4f}, 1.0f)});
        f.Draw(&scene);
        const Blob blob = MeasureBlob(f);
        EXPECT_NEAR(blob.width, blob.height, 2) << w << "x" << h;
        // 1.3 times the picture's shorter side's share: the same size on both windows.
        const double expected = HaloPixels(0.15f, 1.3f, 0.4, std::min(w, h));
        EXPECT_GE(blob.width, kLitLow * expected);
        EXPECT_LE(blob.width, kLitHigh * expected);
    }
}

TEST(SwarmFrame, EmptyOrFlatViewIsDrawnAsASquareOne) {
    for (auto [w, h] : {std::pair{0, 0}, std::pair{0, 900}, std::pair{1600, 0}, std::pair{-4, 10}}) {
        const AspectFactors aspect = ComputeAspectFactors(w, h);
        EXPECT_EQ(aspect.aspectX, 1.3f) << w << "x" << h;
        EXPECT_EQ(aspect.aspectY, 1.3f) << w << "x" << h;
    }
    GLFrame f;
    ASSERT_TRUE(f.Open(240, 240));
    TestScene square, empty, flat;
    SetScene(square, 240, 240, {MakeWisp({0.5f, 0.5f, 0.4f}, 1.0f)});
    SetScene(empty, 0, 0, square.wisps);
    SetScene(flat, 0, 500, square.wisps);
    const std::vector<uint8_t> expected = f.Draw(&square);
    EXPECT_EQ(f.Draw(&empty), expected);
    EXPECT_EQ(f.Draw(&flat), expected);

    // A zero-sized viewport draws nothing and raises no error.
    SetupGLState(0, 0);
    f.Draw(&empty);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

#ifndef FENLIGHT_GLES2
// The glow texture sampled at one texture coordinate, filling a small viewport with no blending.
int SampleGlow(float s, float t) {
    glViewport(0, 0, 4, 4);
    glDisable(GL_BLEND);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor4f(1, 1, 1, 1);
    glBegin(GL_TRIANGLE_STRIP);
    for (float corner : {-1.0f, 1.0f}) {
        glTexCoord2f(s, t);
        glVertex2f(corner, -1.0f);
        glTexCoord2f(s, t);
        glVertex2f(corner, 1.0f);
    }
    glEnd();
    GLubyte rgba[4];
    glReadPixels(1, 1, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return rgba[0];
}

TEST(GlowTexture, UploadedUnchangedAndBlackAtItsBorderWithRepeatAndLinearFiltering) {
    GLFrame f;
    ASSERT_TRUE(f.Open(64, 64));
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &value);
    EXPECT_EQ(value, GL_REPEAT);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &value);
    EXPECT_EQ(value, GL_REPEAT);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &value);
    EXPECT_EQ(value, GL_LINEAR);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
    EXPECT_EQ(value, GL_LINEAR);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(GLuint(bound), f.app.glowTexture);

    std::vector<GLubyte> uploaded(256 * 256);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_LUMINANCE, GL_UNSIGNED_BYTE, uploaded.data());
    EXPECT_EQ(0, std::memcmp(uploaded.data(), GlowImage, uploaded.size()));

    EXPECT_EQ(SampleGlow(0.5f, 0.5f), 227);
    // Within 8 texels of an edge, including across the wrap where linear filtering mixes both sides.
    for (float edge :
         {0.0f, 0.5f / 256, 1.0f / 256, 4.0f / 256, 8.0f / 256, 248.0f / 256, 255.5f / 256, 1.0f}) {
        EXPECT_EQ(SampleGlow(edge, 0.5f), 0) << "s " << edge;
        EXPECT_EQ(SampleGlow(0.5f, edge), 0) << "t " << edge;
        EXPECT_EQ(SampleGlow(edge, edge), 0) << "corner " << edge;
    }
}

TEST(GlowTexture, SpriteQuadCoversTheUnitSquareWithTheGlowCentred) {
    GLFrame f;
    ASSERT_TRUE(f.Open(256, 256));
    glDisable(GL_BLEND);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClear(GL_COLOR_BUFFER_BIT);
    glColor4f(1, 1, 1, 1);
    glCallList(f.app.spriteList);
    FinishOffscreenFrame(f.frame);
    // -0.5..0.5 is pixels 64..191; the quad writes alpha 1 where the clear left 0.
    for (int32_t i = 0; i < 256; ++i) {
        const bool inside = i >= 64 && i < 192;
        EXPECT_EQ(f.Channel(i, 128, 3), inside ? 255 : 0) << "column " << i;
        EXPECT_EQ(f.Channel(128, i, 3), inside ? 255 : 0) << "row " << i;
    }
    const Blob blob = MeasureBlob(f);
    EXPECT_NEAR(blob.centreX, 128.0, 0.05);
    EXPECT_NEAR(blob.centreY, 128.0, 0.05);
    EXPECT_GE(f.Channel(127, 127, 0), 225);
}

// Real scenes drawn by the saver and by the way it used to draw them (a luminance texture, and per
// sprite a colour, a matrix and a call of the quad's list): every channel of every pixel within 2
// levels, while the scene fades in and once it is under way, at the smallest, default and largest
// settings and on a wide and a tall window.
TEST(SwarmFrame, SameFrameAsTheSpriteBySpriteDrawing) {
    struct Case {
        int32_t width, height, particles;
        float sizeValue;
        uint8_t colour, direction;
    };
    const Case cases[] = {{480, 270, 20, 2.97f, kColourEmerald, kDirectionUp},
                          {480, 270, 77, 2.97f, kColourCycle, kDirectionDown},
                          {480, 270, 120, 2.97f, kColourAmber, kDirectionIn},
                          {480, 270, 120, 10.0f, kColourAmethyst, kDirectionDown},
                          {270, 480, 120, 10.0f, kColourLapis, kDirectionIn},
                          {480, 270, 20, 0.5f, kColourLapis, kDirectionUp}};
    for (const Case& c : cases) {
        GLFrame f;
        ASSERT_TRUE(f.Open(c.width, c.height));
        GLuint luminance = 0;
        glGenTextures(1, &luminance);
        glBindTexture(GL_TEXTURE_2D, luminance);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE8, 256, 256, 0, GL_LUMINANCE, GL_UNSIGNED_BYTE, GlowImage);

        AppState app = f.app;
        app.quantity = c.particles;
        app.sizeValue = c.sizeValue;
        app.speedValue = 9.95f;
        app.colour = c.colour;
        app.direction = c.direction;
        FakeTickScope tick(1);
        CreateScene(app);
        int frame = 0;
        for (int shown : {60, 400, 1250}) {  // 1 s into the fade-in, then under way
            for (; frame < shown; ++frame) {
                fakeTick += 16;
                AdvanceFrame(app);
            }
            DrawFrame(app);
            FinishOffscreenFrame(f.frame);
            const std::vector<uint8_t> batched = f.frame.pixels;

            glClear(GL_COLOR_BUFFER_BIT);
            glBlendFunc(GL_SRC_ALPHA, GL_ONE);
            DrawSwarmSpriteBySprite(*app.swarm, luminance, app.spriteList);
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            DrawFade(*app.fade, app.spriteList);
            FinishOffscreenFrame(f.frame);
            int lit = 0;
            for (size_t i = 0; i < batched.size(); i += 4)
                lit += batched[i] + batched[i + 1] + batched[i + 2] > 0;
            EXPECT_GT(lit, 100) << c.particles << " " << c.sizeValue << " frame " << shown;
            EXPECT_LE(LargestDifference(batched, f.frame.pixels), 2)
                << c.particles << " " << c.sizeValue << " " << c.width << "x" << c.height << " frame "
                << shown;
        }
        ReleaseScene(app);
    }
}

#endif

}  // namespace
