// What only the GLES 2 renderer knows: whether the driver (on the web page, the browser) took its shaders.
#pragma once

// True when the context's program, made by the first CreateGLResources of the views drawn in it, compiled
// both shaders and linked; a driver may refuse them (and a lost context refuses everything), and then
// nothing is drawn.
bool Gles2ProgramLinked();
