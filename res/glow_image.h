// The glow picture: 256 rows of 256 luminance texels, row after row (byte 256 * row + column), a
// soft round glow centred between the four middle texels with a black border.
#pragma once

extern const unsigned char GlowImage[256 * 256];
