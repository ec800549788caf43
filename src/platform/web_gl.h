// The browser build's OpenGL 1.2 layer over WebGL 2. The game's GL and GLU
// calls are defined by web_gl_*.cpp at link time, in place of a desktop
// driver's, so the shared code compiles unchanged: immediate mode, display
// lists, client vertex arrays, matrices, one light with colour material, fog
// and BGR textures, drawn by one shader that computes what GL's
// fixed-function pipeline does.
#pragma once

// With a WebGL 2 context current: GL's initial state and the shader. False
// when the shader does not build.
bool startWebGl();
