// The web layer's window part: the viewers' callbacks, menus and window, as the desktop's GLUT has them.
//
// The callbacks stay here; web/layer.js turns the page's DOM events into calls of the exported
// functions below, in the window's CSS pixels, and decides what reaches them (menus, the end).
// Every call into the viewer is told to web/journal.js first, which keeps the sketch by them and
// plays them back through the same functions.
#include <cmath>
#include <cstdint>

#include <GL/glut.h>
#include <emscripten.h>
#include <emscripten/stack.h>
#include <unistd.h>

#include "primitives.h"

// web/layer.js
extern "C" {
double toPagePixelRatio();
void toPageSizeWindow(int width, int height);
void toPageOpenWindow(const char* title);
int toPageScreenSize(int height);
void toPageFrameDrawn();
void toPageMenuEntry(int menu, const char* label, int value);
void toPageMenuAttach(int button, int menu);
void toPageRecord(int kind, int a, int b, int c, int d);  // web/journal.js; kind: a letter
}

namespace {

constexpr int MaxMenus = 8;
constexpr int Buttons = 3;

struct Window {
    int width = 300;   // CSS pixels, as web/layer.js fitted the size glutInitWindowSize asked
    int height = 300;
    int modifiers = 0;  // of the event being delivered
    bool halted = false;
    bool held = false;     // no frame until the journal has brought the sketch back
    bool playing = false;  // the journal plays its calls, and draws the frames itself
    void (*display)() = nullptr;
    void (*reshape)(int, int) = nullptr;
    void (*keyboard)(unsigned char, int, int) = nullptr;
    void (*mouse)(int, int, int, int) = nullptr;
    void (*motion)(int, int) = nullptr;
    void (*menus[MaxMenus])(int) = {};
    int menuCount = 0;
    int currentMenu = 0;  // GLUT's menu numbers start at 1
} window;

// A frame not drawn is computed all the same: the 3D viewer applies its pending field updates in it.
void displayUnlessHalted(bool drawn)
{
    if (window.halted || window.held || window.display == nullptr)
        return;
    toPageRecord('F', 0, 0, 0, 0);
    layerSetDrawing(drawn);
    window.display();
    layerFlush();
    layerSetDrawing(true);
    // Told every time: a checkpoint written back (web/journal.js) holds this struct too.
    if (drawn)
        toPageFrameDrawn();
}

// GLUT reports the canvas's backing store; the viewers get the window in CSS pixels.
void reshapeInCssPixels(int, int)
{
    if (window.halted || window.reshape == nullptr)
        return;
    toPageRecord('R', window.width, window.height, 0, 0);
    window.reshape(window.width, window.height);
}

void display() { displayUnlessHalted(true); }

}  // namespace

extern "C" {

// The page fits the asked size to its room (fromPageReshape sets window.width and height).
void layerGlutInitWindowSize(int width, int height)
{
    const double ratio = toPagePixelRatio();
    layerSetPixelRatio(float(ratio));
    toPageSizeWindow(width, height);
    glutInitWindowSize(int(std::lround(window.width * ratio)), int(std::lround(window.height * ratio)));
}

int layerGlutCreateWindow(const char* title)
{
    toPageOpenWindow(title);
    return glutCreateWindow(title);
}

int layerGlutGet(GLenum what)
{
    switch (what) {
    case GLUT_SCREEN_WIDTH: return toPageScreenSize(0);
    case GLUT_SCREEN_HEIGHT: return toPageScreenSize(1);
    case GLUT_WINDOW_WIDTH: return window.width;
    case GLUT_WINDOW_HEIGHT: return window.height;
    default: return glutGet(what);
    }
}

int layerGlutGetModifiers() { return window.modifiers; }

void layerGlutDisplayFunc(void (*callback)())
{
    window.display = callback;
    glutDisplayFunc(display);
}

void layerGlutReshapeFunc(void (*callback)(int, int))
{
    window.reshape = callback;
    glutReshapeFunc(reshapeInCssPixels);
}

void layerGlutKeyboardFunc(void (*callback)(unsigned char, int, int)) { window.keyboard = callback; }
void layerGlutMouseFunc(void (*callback)(int, int, int, int)) { window.mouse = callback; }
void layerGlutMotionFunc(void (*callback)(int, int)) { window.motion = callback; }

int layerGlutCreateMenu(void (*callback)(int))
{
    if (window.menuCount == MaxMenus)
        return 0;
    window.menus[window.menuCount++] = callback;
    window.currentMenu = window.menuCount;
    return window.currentMenu;
}

void layerGlutAddMenuEntry(const char* label, int value)
{
    if (window.currentMenu != 0)
        toPageMenuEntry(window.currentMenu, label, value);
}

void layerGlutAttachMenu(int button)
{
    if (button >= 0 && button < Buttons)
        toPageMenuAttach(button, window.currentMenu);
}

void layerGlutDetachMenu(int button)
{
    if (button >= 0 && button < Buttons)
        toPageMenuAttach(button, 0);
}

// A frame the journal did not play would be one more than the sketch had: the 3D viewer's
// shading draws on a random sequence that every frame advances.
void layerGlutPostRedisplay()
{
    if (!window.playing)
        glutPostRedisplay();
}

// Called by web/layer.js. A viewer that calls exit() throws out of these to it.

EMSCRIPTEN_KEEPALIVE void fromPageMouse(int button, int state, int x, int y, int modifiers)
{
    window.modifiers = modifiers;
    if (window.mouse == nullptr)
        return;
    toPageRecord(state == GLUT_DOWN ? 'D' : 'U', button, x, y, modifiers);
    window.mouse(button, state, x, y);
}

EMSCRIPTEN_KEEPALIVE void fromPageMotion(int x, int y, int modifiers)
{
    window.modifiers = modifiers;
    if (window.motion == nullptr)
        return;
    toPageRecord('V', x, y, modifiers, 0);
    window.motion(x, y);
}

EMSCRIPTEN_KEEPALIVE void fromPageKey(int key, int x, int y, int modifiers)
{
    window.modifiers = modifiers;
    if (window.keyboard == nullptr)
        return;
    toPageRecord('K', key & 255, x, y, modifiers);
    window.keyboard(static_cast<unsigned char>(key), x, y);
}

EMSCRIPTEN_KEEPALIVE void fromPageMenu(int menu, int value)
{
    window.modifiers = 0;
    if (menu < 1 || menu > window.menuCount)
        return;
    toPageRecord('C', menu, value, 0, 0);
    window.menus[menu - 1](value);
}

// The window's new size, as the viewer hears of a desktop resize; no frame (the journal plays its
// own). Before the main loop (no reshape callback yet) only the size is kept, for GLUT's first reshape.
EMSCRIPTEN_KEEPALIVE void fromPageResize(int width, int height)
{
    window.width = width;
    window.height = height;
    reshapeInCssPixels(width, height);
}

// The page has fitted the window anew and sized the canvas, which cleared it: the picture is drawn
// at once.
EMSCRIPTEN_KEEPALIVE void fromPageReshape(int width, int height)
{
    fromPageResize(width, height);
    if (window.reshape != nullptr)
        display();
}

// A frame now, drawn or only computed (the journal plays its frames without drawing them).
EMSCRIPTEN_KEEPALIVE void fromPageFrame(int drawn) { displayUnlessHalted(drawn != 0); }

// While the journal is read at load, before it brings the sketch back.
EMSCRIPTEN_KEEPALIVE void fromPageHold(int held) { window.held = held != 0; }

EMSCRIPTEN_KEEPALIVE void fromPagePlaying(int playing) { window.playing = playing != 0; }

// Where the viewer's state lies, for web/journal.js's checkpoints (web/checkpoints.js): the memory
// below the stack (the static data) and above it up to the heap's top, but for the vertices waiting
// to be drawn. The stack holds nothing between calls. which: 0 the stack's lowest address, 1 its
// highest, 2 the heap's top, 3 and 4 the waiting vertices' first and end.
EMSCRIPTEN_KEEPALIVE int fromPageStateBounds(int which)
{
    const void* bounds[] = {reinterpret_cast<const void*>(emscripten_stack_get_end()),
                            reinterpret_cast<const void*>(emscripten_stack_get_base()), sbrk(0), layerBatchBegin(),
                            layerBatchEnd()};
    return which >= 0 && which < 5 ? int(reinterpret_cast<std::uintptr_t>(bounds[which])) : 0;
}

// After exit(): no frame is drawn any more.
EMSCRIPTEN_KEEPALIVE void fromPageHalt() { window.halted = true; }

}  // extern "C"
