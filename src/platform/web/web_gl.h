// The browser build's OpenGL 1.2 layer over WebGL 2. The game's GL and GLU
// calls are defined by web_gl_*.cpp at link time, in place of a desktop
// driver's, so the shared code compiles unchanged: immediate mode, display
// lists, client vertex arrays, matrices, one light with colour material, fog
// and BGR textures. The frame's draws are gathered and reach WebGL in few
// draws, through shaders that compute what GL's fixed-function pipeline
// does.
#pragma once

// With a WebGL 2 context current: GL's initial state and the shaders. False
// when a shader does not build.
bool startWebGl();

// On the context the browser gave back after taking it away: the programs,
// buffers, textures (with their mipmaps) and WebGL's settings made again,
// so the next frame draws as the last one before the loss would have.
// False when a program does not build.
bool restoreWebGl();

// Draws what the frame has gathered: the browser shows the canvas once the
// frame's callback returns.
void finishWebGlFrame();
