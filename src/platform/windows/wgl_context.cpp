// The headless back end's offscreen OpenGL context on Windows: a window that
// is never shown, a compatibility context on it, and a framebuffer object of
// the size asked for, bound for drawing and reading, because the pixels of
// a window nobody sees are not kept. Kept apart from the rest of the back
// end (headless/headless_backend.cpp), as EGL's context is on Linux.
#include "platform/headless/headless.h"

#include <windows.h>

#include <GL/gl.h>
#include <GL/glext.h>

namespace {

HWND Window = nullptr;
HDC DeviceContext = nullptr;
HGLRC Context = nullptr;
GLuint Framebuffer = 0;
GLuint Renderbuffers[2] = {};   // colour, depth
int FramebufferWidth = 0;
int FramebufferHeight = 0;

PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;
PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;

template <typename Function>
bool load(Function& function, const char* name)
{
    // Through void*: PROC names no real signature.
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(wglGetProcAddress(name)));
    return function != nullptr;
}

bool loadFramebufferCalls()
{
    return load(genFramebuffers, "glGenFramebuffers") && load(deleteFramebuffers, "glDeleteFramebuffers") &&
           load(bindFramebuffer, "glBindFramebuffer") &&
           load(framebufferRenderbuffer, "glFramebufferRenderbuffer") &&
           load(checkFramebufferStatus, "glCheckFramebufferStatus") &&
           load(genRenderbuffers, "glGenRenderbuffers") && load(deleteRenderbuffers, "glDeleteRenderbuffers") &&
           load(bindRenderbuffer, "glBindRenderbuffer") && load(renderbufferStorage, "glRenderbufferStorage");
}

bool openWindow()
{
    WNDCLASSW windowClass = {};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"ThornwickHeadless";
    RegisterClassW(&windowClass);
    Window = CreateWindowExW(0, windowClass.lpszClassName, L"Thornwick", WS_OVERLAPPEDWINDOW, 0, 0, 64, 64,
                             nullptr, nullptr, windowClass.hInstance, nullptr);
    if (!Window)
        return false;
    DeviceContext = GetDC(Window);
    return DeviceContext != nullptr;
}

bool openContext()
{
    if (!openWindow())
        return false;
    PIXELFORMATDESCRIPTOR format = {};
    format.nSize = sizeof format;
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = 32;
    format.cAlphaBits = 8;
    format.cDepthBits = 24;
    format.iLayerType = PFD_MAIN_PLANE;
    const int chosen = ChoosePixelFormat(DeviceContext, &format);
    if (!chosen || !SetPixelFormat(DeviceContext, chosen, &format))
        return false;
    Context = wglCreateContext(DeviceContext);
    if (!Context)
        return false;
    if (!wglMakeCurrent(DeviceContext, Context) || !loadFramebufferCalls()) {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(Context);
        Context = nullptr;
        return false;
    }
    return true;
}

// Colour and depth of the given size, as the EGL pbuffer has them.
bool makeFramebuffer(int width, int height, GLuint& framebuffer, GLuint (&renderbuffers)[2])
{
    genRenderbuffers(2, renderbuffers);
    bindRenderbuffer(GL_RENDERBUFFER, renderbuffers[0]);
    renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    bindRenderbuffer(GL_RENDERBUFFER, renderbuffers[1]);
    renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
    bindRenderbuffer(GL_RENDERBUFFER, 0);
    genFramebuffers(1, &framebuffer);
    bindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, renderbuffers[0]);
    framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, renderbuffers[1]);
    if (checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE)
        return true;
    bindFramebuffer(GL_FRAMEBUFFER, Framebuffer);
    deleteFramebuffers(1, &framebuffer);
    deleteRenderbuffers(2, renderbuffers);
    return false;
}

} // namespace

bool createHeadlessContext(int width, int height)
{
    if (!Context && !openContext())
        return false;
    if (!wglMakeCurrent(DeviceContext, Context))
        return false;
    if (Framebuffer && width == FramebufferWidth && height == FramebufferHeight)
        return true;
    GLuint framebuffer = 0;
    GLuint renderbuffers[2] = {};
    if (width <= 0 || height <= 0 || !makeFramebuffer(width, height, framebuffer, renderbuffers))
        return false;
    // A context's viewport starts at the size of what it first draws into.
    if (!Framebuffer)
        glViewport(0, 0, width, height);
    else {
        deleteFramebuffers(1, &Framebuffer);
        deleteRenderbuffers(2, Renderbuffers);
    }
    Framebuffer = framebuffer;
    Renderbuffers[0] = renderbuffers[0];
    Renderbuffers[1] = renderbuffers[1];
    FramebufferWidth = width;
    FramebufferHeight = height;
    return true;
}
