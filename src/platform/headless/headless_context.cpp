// The headless back end's offscreen OpenGL context: Mesa's surfaceless EGL
// platform, a compatibility-profile context and a pbuffer of the size asked
// for. Kept apart from the rest of the back end (headless_backend.cpp), which
// also runs where there is no EGL.
#include "platform/headless/headless.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

namespace {

EGLDisplay Display = EGL_NO_DISPLAY;
EGLConfig Config = nullptr;
EGLContext Context = EGL_NO_CONTEXT;
EGLSurface Surface = EGL_NO_SURFACE;
int SurfaceWidth = 0;
int SurfaceHeight = 0;

bool openDisplay()
{
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay)
        return false;
    Display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (Display == EGL_NO_DISPLAY || !eglInitialize(Display, nullptr, nullptr))
        return false;
    const EGLint attributes[] = {
        EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8,
        EGL_ALPHA_SIZE, 8, EGL_DEPTH_SIZE, 24, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
    EGLint count = 0;
    if (!eglChooseConfig(Display, attributes, &Config, 1, &count) || count < 1)
        return false;
    if (!eglBindAPI(EGL_OPENGL_API))
        return false;
    const EGLint contextAttributes[] = {
        EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
    Context = eglCreateContext(Display, Config, EGL_NO_CONTEXT, contextAttributes);
    return Context != EGL_NO_CONTEXT;
}

} // namespace

bool createHeadlessContext(int width, int height)
{
    if (Context == EGL_NO_CONTEXT && !openDisplay())
        return false;
    if (Surface != EGL_NO_SURFACE && width == SurfaceWidth && height == SurfaceHeight)
        return eglMakeCurrent(Display, Surface, Surface, Context);
    const EGLint size[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    EGLSurface surface = eglCreatePbufferSurface(Display, Config, size);
    if (surface == EGL_NO_SURFACE)
        return false;
    if (!eglMakeCurrent(Display, surface, surface, Context)) {
        eglDestroySurface(Display, surface);
        return false;
    }
    if (Surface != EGL_NO_SURFACE)
        eglDestroySurface(Display, Surface);
    Surface = surface;
    SurfaceWidth = width;
    SurfaceHeight = height;
    return true;
}
