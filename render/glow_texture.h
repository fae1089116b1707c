// The glow picture as a texture, uploaded the same way by both renderers.
#pragma once

#include <cstdint>

// The glow's brightest texel (227 of 255), as a fraction of full brightness.
constexpr float kGlowPeak = 227.0f / 255.0f;
// Every texel farther than 116 texels from the glow's centre (127.5, 127.5) is black; linear
// filtering blends texels less than one texel away on each axis, so nothing is sampled non-zero
// farther than 116 + sqrt(2) texels out. This is that reach, with a margin, as a fraction of the
// picture's width (the sprite quad's side).
constexpr float kGlowReach = 117.5f / 256.0f;

// Sets byte-aligned unpacking, uploads the 256 x 256 luminance table (res/glow_image.h) as a
// linear-filtered, repeating texture without mipmaps stored in `internalFormat`, and leaves it bound.
// Returns the new texture's name.
uint32_t CreateGlowTexture(int32_t internalFormat);
