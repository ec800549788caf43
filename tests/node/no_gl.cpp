// OpenGL as a desktop driver gives it with no context current, for the
// suites that run under node: every call the game's library makes does
// nothing, lists and textures are named 0 and no error is pending. The
// native suites that need no window run the same way, in a process with no
// context. A call the library starts to make that is missing here fails the
// node link (or is left to Emscripten's WebGL, which throws with no canvas).
#include "platform/headless/headless.h"

#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <cstring>

extern "C" {

void glBegin(GLenum) {}
void glEnd() {}
void glVertex2f(GLfloat, GLfloat) {}
void glVertex3f(GLfloat, GLfloat, GLfloat) {}
void glVertex3fv(const GLfloat*) {}
void glColor3f(GLfloat, GLfloat, GLfloat) {}
void glColor4f(GLfloat, GLfloat, GLfloat, GLfloat) {}
void glNormal3f(GLfloat, GLfloat, GLfloat) {}
void glNormal3fv(const GLfloat*) {}
void glTexCoord2f(GLfloat, GLfloat) {}
void glTexCoord2fv(const GLfloat*) {}

GLuint glGenLists(GLsizei) { return 0; }
void glNewList(GLuint, GLenum) {}
void glEndList() {}
void glCallList(GLuint) {}

void glEnableClientState(GLenum) {}
void glDisableClientState(GLenum) {}
void glVertexPointer(GLint, GLenum, GLsizei, const void*) {}
void glNormalPointer(GLenum, GLsizei, const void*) {}
void glColorPointer(GLint, GLenum, GLsizei, const void*) {}
void glTexCoordPointer(GLint, GLenum, GLsizei, const void*) {}
void glMultiDrawArrays(GLenum, const GLint*, const GLsizei*, GLsizei) {}

void glMatrixMode(GLenum) {}
void glLoadIdentity() {}
void glPushMatrix() {}
void glPopMatrix() {}
void glMultMatrixf(const GLfloat*) {}
void glRotatef(GLfloat, GLfloat, GLfloat, GLfloat) {}
void glScalef(GLfloat, GLfloat, GLfloat) {}
void glTranslatef(GLfloat, GLfloat, GLfloat) {}
void glViewport(GLint, GLint, GLsizei, GLsizei) {}
void gluPerspective(GLdouble, GLdouble, GLdouble, GLdouble) {}

void glEnable(GLenum) {}
void glDisable(GLenum) {}
void glBlendFunc(GLenum, GLenum) {}
void glClear(GLbitfield) {}
void glClearColor(GLclampf, GLclampf, GLclampf, GLclampf) {}
void glColorMaterial(GLenum, GLenum) {}
void glLightfv(GLenum, GLenum, const GLfloat*) {}
void glLightModelfv(GLenum, const GLfloat*) {}
void glFogf(GLenum, GLfloat) {}
void glFogfv(GLenum, const GLfloat*) {}
void glFogi(GLenum, GLint) {}

void glGenTextures(GLsizei n, GLuint* names)
{
    if (n > 0)
        std::memset(names, 0, sizeof(GLuint) * size_t(n));
}
void glDeleteTextures(GLsizei, const GLuint*) {}
void glBindTexture(GLenum, GLuint) {}
void glTexParameteri(GLenum, GLenum, GLint) {}
void glTexEnvi(GLenum, GLenum, GLint) {}
void glPixelStorei(GLenum, GLint) {}
void glTexImage2D(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const void*) {}
GLint gluBuild2DMipmaps(GLenum, GLint, GLsizei, GLsizei, GLenum, GLenum, const void*) { return 0; }

GLenum glGetError() { return GL_NO_ERROR; }
void glGetFloatv(GLenum, GLfloat*) {}
void glGetIntegerv(GLenum, GLint*) {}
void glReadPixels(GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, void*) {}
void glFinish() {}

// What the drawing tests that share a file with the node suites call; they
// are filtered out of the node runs, but link.
void glFeedbackBuffer(GLsizei, GLenum, GLfloat*) {}
GLint glRenderMode(GLenum) { return 0; }
GLboolean glIsList(GLuint) { return GL_FALSE; }

} // extern "C"

// No context can be made: a test that asks for one fails rather than draws.
bool createHeadlessContext(int, int) { return false; }
