// The recording stand-in for the GL library (recording_gl.cpp): link it instead of a GL library.
#pragma once

#include <string>
#include <vector>

// Every call as "name(arg,arg,...)", numbers printed with %g; names from glGenTextures start at 7,
// from glGenLists at 3.
extern std::vector<std::string> recordedCalls;
// When false the stand-in still answers but keeps no record (and so allocates nothing).
extern bool recordingCalls;
// The pixels handed to the last glTexImage2D.
extern const void* recordedUpload;

// Every vertex glDrawElements drew, in drawing order (three per triangle), read through the client
// arrays. glDrawElements takes unsigned short indices only.
struct RecordedVertex {
    float x, y, z, s, t, r, g, b, a;
};
extern std::vector<RecordedVertex> recordedVertices;

std::string CallNumber(double v);
