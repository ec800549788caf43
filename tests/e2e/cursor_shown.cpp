// Tells whether the mouse cursor can be seen where the pointer stands, for
// the tests under Xvfb: prints 1 when the cursor image the server shows has
// any pixel that is not fully transparent, 0 when it is blank.
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

#include <cstdio>

int main()
{
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "cursor_shown: no display\n");
        return 2;
    }
    int eventBase = 0;
    int errorBase = 0;
    XFixesCursorImage* image =
        XFixesQueryExtension(display, &eventBase, &errorBase) ? XFixesGetCursorImage(display) : nullptr;
    if (!image) {
        std::fprintf(stderr, "cursor_shown: the server does not show its cursor image\n");
        XCloseDisplay(display);
        return 2;
    }
    bool seen = false;
    for (int i = 0; i < int(image->width) * int(image->height); ++i)
        seen = seen || (image->pixels[i] >> 24) != 0; // ARGB: the alpha byte
    std::printf("%d\n", seen ? 1 : 0);
    XFree(image);
    XCloseDisplay(display);
    return 0;
}
