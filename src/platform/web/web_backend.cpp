// The browser back end: backend.h and keys.h over the page's canvas, the
// browser's keyboard events, its clock and its display refresh.
#include "platform/backend.h"
#include "platform/gamepad.h"
#include "platform/keys.h"
#include "platform/real_clock.h"
#include "platform/web/web.h"
#include "platform/web/web_gl.h"
#include "platform/key_script.h"

#include <emscripten.h>
#include <emscripten/html5.h>
#include <webgl/webgl1.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <ctime>

namespace {

const char* const Canvas = "#canvas";

struct KeyCode {
    const char* code;
    Key key;
};

// The keys by their place on the keyboard (KeyboardEvent.code), as the X
// server's key map finds them for the desktop game; the number pad's digits
// count too, as GLUT's typed characters count them.
const KeyCode KeyCodes[] = {
    {"Escape", Key::Escape}, {"ArrowLeft", Key::Left}, {"ArrowUp", Key::Up}, {"ArrowRight", Key::Right},
    {"ArrowDown", Key::Down}, {"ControlLeft", Key::Control}, {"ControlRight", Key::Control},
    {"Space", Key::Space}, {"Digit1", Key::Digit1}, {"Digit2", Key::Digit2}, {"Digit3", Key::Digit3},
    {"Digit4", Key::Digit4}, {"Digit6", Key::Digit6}, {"Digit7", Key::Digit7}, {"Digit8", Key::Digit8},
    {"Numpad1", Key::Digit1}, {"Numpad2", Key::Digit2}, {"Numpad3", Key::Digit3}, {"Numpad4", Key::Digit4},
    {"Numpad6", Key::Digit6}, {"Numpad7", Key::Digit7}, {"Numpad8", Key::Digit8}};

bool Held[int(Key::Count)] = {};
bool Latched[int(Key::Count)] = {};
KeyScript Script;

unsigned Seed = 0;
bool SeedGiven = false;
unsigned GrownFrom = 0;
bool VirtualClockOn = false;
int64_t Step = 0;
int64_t VirtualClock = 0;
int Frames = 0;

EMSCRIPTEN_WEBGL_CONTEXT_HANDLE Context = 0;
// While the browser holds the picture back: since when, and all the time
// without one so far, which the game's clock leaves out.
bool Lost = false;
int64_t LostSince = 0;
int64_t TimeWithoutPicture = 0;
// Escape was pressed: the game ends at its next step, so full screen is
// not entered again over the page that follows.
bool Ending = false;

void (*Reshape)(int, int) = nullptr;
int CanvasWidth = 0;
int CanvasHeight = 0;

// Letters by the character the keyboard's layout gives, as X keysyms are.
bool keyOf(const EmscriptenKeyboardEvent& event, Key& out)
{
    for (const KeyCode& entry : KeyCodes)
        if (std::strcmp(event.code, entry.code) == 0) {
            out = entry.key;
            return true;
        }
    if (event.key[0] == '\0' || event.key[1] != '\0')
        return false;
    const char c = event.key[0];
    if (c == 'k' || c == 'K')
        out = Key::K;
    else if (c == 'z' || c == 'Z')
        out = Key::Z;
    else
        return false;
    return true;
}

// Browsers grant full screen only inside the handler of the user's own key
// or click, so the request is made right here, not at the next frame. A
// refusal is no error: the game goes on in the window. The page may name an
// element around the canvas to fill the screen, so that what it shows over
// the game shows there too.
EM_JS(void, toggleCanvasFullScreen, (), {
    if (document.fullscreenElement) {
        document.exitFullscreen().catch(function() {});
        return;
    }
    var target = Module['fullScreenElement'] || Module['canvas'] || document.getElementById('canvas');
    if (target && target.requestFullscreen)
        target.requestFullscreen().catch(function() {});
});

bool isFullScreenKey(const EmscriptenKeyboardEvent& event)
{
    const bool enter = std::strcmp(event.code, "Enter") == 0 || std::strcmp(event.code, "NumpadEnter") == 0;
    return std::strcmp(event.code, "F11") == 0 || (enter && event.altKey);
}

// True tells the browser the key is the game's: no scrolling on the arrows
// and Space, no browser full screen on F11.
EM_BOOL onKeyDown(int, const EmscriptenKeyboardEvent* event, void*)
{
    if (isFullScreenKey(*event)) {
        if (!event->repeat && !Ending)
            toggleCanvasFullScreen();
        return EM_TRUE;
    }
    Key key;
    if (!keyOf(*event, key))
        return EM_FALSE;
    if (key == Key::Escape)
        Ending = true;
    Held[int(key)] = true;
    Latched[int(key)] = true;
    return EM_TRUE;
}

EM_BOOL onKeyUp(int, const EmscriptenKeyboardEvent* event, void*)
{
    Key key;
    if (!keyOf(*event, key))
        return EM_FALSE;
    Held[int(key)] = false;
    return EM_TRUE;
}

// Keys let go of while the page had no focus never send their release.
EM_BOOL onBlur(int, const EmscriptenFocusEvent*, void*)
{
    for (bool& held : Held)
        held = false;
    return EM_FALSE;
}

void applyCanvasSize(int width, int height)
{
    if (width < 1)
        width = 1;
    if (height < 1)
        height = 1;
    if (width == CanvasWidth && height == CanvasHeight)
        return;
    CanvasWidth = width;
    CanvasHeight = height;
    emscripten_set_canvas_element_size(Canvas, width, height);
    if (Reshape)
        Reshape(width, height);
}

// The canvas's drawn size follows its size on the page (the style sheet
// stretches it over the window, or the screen in full screen), in device
// pixels.
void measureCanvas()
{
    double cssWidth = 0.0;
    double cssHeight = 0.0;
    emscripten_get_element_css_size(Canvas, &cssWidth, &cssHeight);
    const double ratio = emscripten_get_device_pixel_ratio();
    applyCanvasSize(int(std::lround(cssWidth * ratio)), int(std::lround(cssHeight * ratio)));
}

EM_BOOL onResize(int, const EmscriptenUiEvent*, void*)
{
    measureCanvas();
    return EM_FALSE;
}

EM_BOOL onFullScreenChange(int, const EmscriptenFullscreenChangeEvent*, void*)
{
    measureCanvas();
    return EM_FALSE;
}

void beginLoss()
{
    if (Lost)
        return;
    Lost = true;
    LostSince = realClockNanoseconds();
}

// True asks the browser for the context back (preventDefault); it gives it
// back only when asked.
EM_BOOL onContextLost(int, const void*, void*)
{
    beginLoss();
    return EM_TRUE;
}

// The GL layer makes again all it had made; should that fail (the context
// gone again already), the game waits on.
EM_BOOL onContextRestored(int, const void*, void*)
{
    if (!Lost || emscripten_is_webgl_context_lost(Context) || !restoreWebGl())
        return EM_FALSE;
    TimeWithoutPicture += realClockNanoseconds() - LostSince;
    Lost = false;
    return EM_FALSE;
}

// The largest canvas side WebGL draws here: its viewport's and its
// renderbuffers' limits.
void largestCanvas(int& width, int& height)
{
    GLint viewport[2] = {0, 0};
    GLint renderbuffer = 0;
    emscripten_glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    emscripten_glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
    width = std::min(viewport[0], renderbuffer);
    height = std::min(viewport[1], renderbuffer);
}

void setFixedCanvas(int width, int height)
{
    emscripten_set_element_css_size(Canvas, double(width), double(height));
    applyCanvasSize(width, height);
}

} // namespace

// Defined in web/thornwick-library.js: naming it links the helpers SDL's
// own JavaScript calls.
extern "C" void thornwick_keep_sdl_helpers();

bool createWebContext(bool keepFrames)
{
    thornwick_keep_sdl_helpers();
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    // As the desktop game's window: opaque, a depth buffer, no multisampling.
    attributes.alpha = EM_FALSE;
    attributes.depth = EM_TRUE;
    attributes.stencil = EM_FALSE;
    attributes.antialias = EM_FALSE;
    attributes.preserveDrawingBuffer = keepFrames ? EM_TRUE : EM_FALSE;
    attributes.majorVersion = 2;
    attributes.minorVersion = 0;
    Context = emscripten_webgl_create_context(Canvas, &attributes);
    if (Context <= 0 || emscripten_webgl_make_context_current(Context) != EMSCRIPTEN_RESULT_SUCCESS)
        return false;
    emscripten_set_webglcontextlost_callback(Canvas, nullptr, EM_FALSE, onContextLost);
    emscripten_set_webglcontextrestored_callback(Canvas, nullptr, EM_FALSE, onContextRestored);
    return startWebGl();
}

bool webPictureLost()
{
    if (!Lost && emscripten_is_webgl_context_lost(Context))
        beginLoss();
    return Lost;
}

void installWebKeys()
{
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, onKeyDown);
    emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, onKeyUp);
    emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, onBlur);
}

void followCanvasSize(void (*reshape)(int, int))
{
    Reshape = reshape;
    emscripten_set_resize_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, onResize);
    emscripten_set_fullscreenchange_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_FALSE,
                                             onFullScreenChange);
    measureCanvas();
}

// The browser may still draw less than its limits promise (when memory is
// short): its drawing buffer then says what it draws.
void fixCanvasSize(int& width, int& height, void (*reshape)(int, int))
{
    Reshape = reshape;
    int mostWidth = 0;
    int mostHeight = 0;
    largestCanvas(mostWidth, mostHeight);
    if (mostWidth > 0 && mostHeight > 0) {
        width = std::min(width, mostWidth);
        height = std::min(height, mostHeight);
    }
    setFixedCanvas(width, height);
    int drawnWidth = 0;
    int drawnHeight = 0;
    emscripten_webgl_get_drawing_buffer_size(Context, &drawnWidth, &drawnHeight);
    if (drawnWidth > 0 && drawnHeight > 0 && (drawnWidth < width || drawnHeight < height)) {
        width = std::min(width, drawnWidth);
        height = std::min(height, drawnHeight);
        setFixedCanvas(width, height);
    }
}

void setWebSeed(unsigned seed)
{
    Seed = seed;
    SeedGiven = true;
}

void setWebStep(double seconds)
{
    VirtualClockOn = true;
    Step = int64_t(std::llround(seconds * 1e9));
}

bool setWebKeyScript(const std::string& script) { return Script.parse(script); }

int webFrameCount() { return Frames; }

void runWebMainLoop(void (*frame)()) { emscripten_set_main_loop(frame, 0, EM_TRUE); }

void stopWebMainLoop()
{
    emscripten_cancel_main_loop();
    emscripten_html5_remove_all_event_listeners();
}

void announceGameEnd()
{
    EM_ASM({
        if (Module['onGameEnd'])
            Module['onGameEnd']();
    });
}

void announceOptions(const char* json)
{
    EM_ASM({
        if (Module['onOptions'])
            Module['onOptions'](UTF8ToString($0));
    }, json);
}

void announceFramesDone()
{
    EM_ASM({
        if (Module['onFramesDone'])
            Module['onFramesDone']($0);
    }, Frames);
}

bool keyDown(Key key)
{
    const int k = int(key);
    const bool down = Held[k] || Latched[k] || padKeyDown(key) || Script.holds(key, Frames);
    Latched[k] = false;
    return down;
}

// The browser shows the canvas when the frame's callback returns, so the
// frame's gathered draws go to WebGL here; nothing waits. The pads are read
// for the next frame, as the desktop game does.
void swapFrameBuffers()
{
    finishWebGlFrame();
    ++Frames;
    if (VirtualClockOn)
        VirtualClock += Step;
    pollGamepads();
}

// The main loop runs the display callback at every refresh.
void requestRedisplay() {}

int64_t clockNanoseconds()
{
    return VirtualClockOn ? VirtualClock : realClockNanoseconds() - TimeWithoutPicture;
}

unsigned worldSeed()
{
    GrownFrom = SeedGiven ? Seed : unsigned(std::time(nullptr));
    return GrownFrom;
}

unsigned webWorldSeed() { return GrownFrom; }
