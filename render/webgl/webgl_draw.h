// What only the WebGL renderer knows: whether the browser took its shaders.
#pragma once

// True when the latest CreateGLResources compiled both shaders and linked their program; a browser may
// refuse them (and a lost context refuses everything), and then nothing is drawn.
bool WebGLProgramLinked();
