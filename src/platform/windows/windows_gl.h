// Included ahead of every C++ source of the Windows build
// (cmake/windows.cmake), so the game's own files compile unchanged there:
// Windows' GL headers want <windows.h> first, which defines near and far,
// words the game uses as names; and they stop at GL 1.1, so the later calls
// the game makes are declared from <GL/glext.h> and defined in
// gl_extensions.cpp.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#undef near
#undef far

#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES
#endif
#include <GL/gl.h>
#include <GL/glext.h>
