// The glow picture as an OpenGL texture and the unit sprite quad as a display list.
#pragma once

#include <cstdint>

// Uploads the 256 x 256 luminance table as a linear-filtered, repeating texture without mipmaps and
// leaves it bound; the new texture's name goes to *name.
void CreateGlowTexture(const unsigned char* image, uint32_t* name);
// Compiles the unit quad (-0.5..0.5 in x and y at z = 0, the whole texture over it) as a triangle
// strip with no colour, binding or matrix of its own; the list's name goes to *name.
void BuildSpriteList(uint32_t* name);
