// The glow picture as an OpenGL texture and the unit sprite quad as a display list.
#pragma once

#include <cstdint>

// The glow's brightest texel (227 of 255), as a fraction of full brightness.
constexpr float kGlowPeak = 227.0f / 255.0f;
// Every texel farther than 116 texels from the glow's centre (127.5, 127.5) is black; linear
// filtering blends texels less than one texel away on each axis, so nothing is sampled non-zero
// farther than 116 + sqrt(2) texels out. This is that reach, with a margin, as a fraction of the
// picture's width (the sprite quad's side).
constexpr float kGlowReach = 117.5f / 256.0f;

// Uploads the 256 x 256 luminance table as a linear-filtered, repeating texture without mipmaps and
// leaves it bound; the new texture's name goes to *name.
void CreateGlowTexture(const unsigned char* image, uint32_t* name);
// Compiles the unit quad (-0.5..0.5 in x and y at z = 0, the whole texture over it) as a triangle
// strip with no colour, binding or matrix of its own; the list's name goes to *name.
void BuildSpriteList(uint32_t* name);
