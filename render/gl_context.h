// The OpenGL state every pass relies on, set once when the saver window's context is current, and
// the drawing resources that live as long as the context.
#pragma once

#include <cstdint>

#include "app/app_state.h"

// Viewport over the whole client area, black clear colour, texturing and blending on (ordinary
// alpha blending), smooth shading, buffers cleared. Depth test and lighting stay off.
void SetupGLState(int32_t width, int32_t height);
// Byte-aligned unpacking, then the glow texture and the sprite quad's display list, whose names
// go to app.glowTexture and app.spriteList. Needs a current context.
void CreateGLResources(AppState& app);
