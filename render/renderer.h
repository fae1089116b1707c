// The seam between the frame and the GL it is drawn with. Two renderers implement what this header
// declares, under the same names, and CMake links exactly one of them into a program:
//   render/gl11/  OpenGL 1.1 (fixed function, display list, client arrays), in fenlight_render: the
//                 Windows saver, the Linux hack, and OSMesa for the tests, the snapshot tool and the
//                 benchmarks;
//   render/gles2/ OpenGL ES 2.0 (one small shader pair, buffer objects), as WebGL 1 for the web page
//                 (fenlight_render under Emscripten) and natively on EGL (fenlight_render_gles2).
// Both draw the same sprites (render/sprite_batch.h) from the same glow texture (render/glow_texture.h);
// the frame's sequence, DrawFrame, is built on them and shared. Every call needs the view's context
// current. A context may serve several views, each its own AppState, drawn in turn: the host calls
// SetupGLState with the view's size before each view's frame (the viewport and blending are the
// context's). Both keep each view's glow texture in app.glowTexture; the GL 1.1 renderer keeps the view's
// sprite quad list in app.spriteList, the GLES 2 one its program and buffers once for all the views of
// the context (app.glShare says which generation of them a view holds; app.spriteList stays 0).
#pragma once

#include <cstdint>

#include "app/app_state.h"

// Provided by each renderer.

// The fixed state only this renderer needs (GL 1.1: texturing and smooth shading on), then the buffers
// cleared. Depth test and lighting stay off.
void SetupRendererState();
// Byte-aligned unpacking, the glow texture (into app.glowTexture) and what the renderer draws sprites
// with (GL 1.1: the sprite quad's display list, into app.spriteList; GLES 2: the context's program and
// buffers, made by the first view to start in it).
void CreateGLResources(AppState& app);
// Deletes what CreateGLResources made and clears the names: GL 1.1 makes no call for a record that never
// started; GLES 2 deletes the context's program and buffers with its last view, and only what the
// context still knows (a lost context took the rest).
void ReleaseGLResources(AppState& app);
// Every active wisp's halo, then every wisp's core, with the glow texture: all sprites in one draw per
// full batch, each sprite's colour with its corners. The caller has cleared the frame and set additive
// blending.
void DrawSwarm(const Swarm& swarm, uint32_t glowTexture);
// The fade overlay: the whole view in black at the overlay's alpha, or nothing when it is clear or
// disabled; GL 1.1 draws the sprite quad `list`. The caller has set ordinary alpha blending; the renderer's
// state is left as found.
void DrawFade(const FadeOverlay& fade, uint32_t list);

// Shared by both.

// Viewport over the whole view, black clear colour, blending on (ordinary alpha blending), then the
// renderer's own state.
void SetupGLState(int32_t width, int32_t height);

// One frame's picture: clear to black, the swarm with additive blending, then the fade overlay with
// ordinary alpha blending. Only showing the picture (the buffer swap) is left to the platform.
void DrawFrame(const AppState& app);
