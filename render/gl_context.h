// The OpenGL state every pass relies on, set when the view's context is current, and the drawing
// resources made in that context.
#pragma once

#include <cstdint>

#include "app/app_state.h"

// Viewport over the whole client area, black clear colour, texturing and blending on (ordinary
// alpha blending), smooth shading, buffers cleared. Depth test and lighting stay off.
void SetupGLState(int32_t width, int32_t height);
// Byte-aligned unpacking, then the glow texture and the sprite quad's display list, whose names
// go to app.glowTexture and app.spriteList. Needs a current context.
void CreateGLResources(AppState& app);
// Deletes the glow texture and the sprite list the record names (in the current context, which made
// them) and clears both names.
void ReleaseGLResources(AppState& app);
