// The GL calls past 1.1 that the game makes, which Windows' opengl32 does
// not export: each is the driver's own, asked for by name at its first call
// (when the game's context is current, as wglGetProcAddress needs), or made
// of 1.1 calls where the driver lacks it.
#include <GL/gl.h>
#include <GL/glext.h>

void APIENTRY glMultiDrawArrays(GLenum mode, const GLint* first, const GLsizei* count, GLsizei drawcount)
{
    static const auto driverCall =
        reinterpret_cast<PFNGLMULTIDRAWARRAYSPROC>(reinterpret_cast<void*>(wglGetProcAddress("glMultiDrawArrays")));
    if (driverCall) {
        driverCall(mode, first, count, drawcount);
        return;
    }
    for (GLsizei i = 0; i < drawcount; ++i)
        glDrawArrays(mode, first[i], count[i]);
}
