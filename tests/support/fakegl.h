// Recording fake of the GL, GLU and GLUT calls the viewers make, for tests without a display.
//
// The viewer libraries call glBegin, glutPostRedisplay and friends directly; a test binary links
// this file instead of libGL, libGLU and libglut, so every call lands here and is written into one
// fixed recording. Tests then call the viewers' handlers exactly as GLUT would and assert on the recording.
//
// Recorded: primitives with their vertices and the colour, point size and line width in force at
// each vertex, whether given between glBegin and glEnd or drawn from vertex arrays (three floats
// per position, four bytes per colour, as the web layer gives them); every other call by name with
// its numeric arguments; menu entries, attach and detach, redisplay requests and buffer swaps; any
// non-finite number that reached GL.
// Not modelled: rasterisation, matrix arithmetic (asked for a matrix, the fake answers what the test
// set), anything GLUT does on its own.
#pragma once

#include <GL/glut.h>

namespace fakegl {

constexpr int MaxPrimitives = 16384;
constexpr int MaxVertices = 65536;
constexpr int MaxCalls = 1024;
constexpr int MaxMenuEntries = 16;
constexpr int MaxCallArgs = 6;

struct Vertex {
    float x = 0, y = 0, z = 0;
    float r = 0, g = 0, b = 0;
    float pointSize = 1;
    float lineWidth = 1;
};

struct Primitive {
    GLenum mode = 0;
    int firstVertex = 0;
    int vertexCount = 0;
};

// A GL, GLU or GLUT call other than the per-vertex ones, with its numeric arguments.
struct Call {
    const char* name = "";
    double args[MaxCallArgs] = {};
};

struct MenuEntry {
    char label[64] = {};
    int value = 0;
};

struct Log {
    Primitive primitives[MaxPrimitives];
    int primitiveCount = 0;
    Vertex vertices[MaxVertices];
    int vertexCount = 0;
    Call calls[MaxCalls];
    int callCount = 0;
    bool overflow = false;     // a table above filled up; later records were dropped
    bool insidePrimitive = false;
    int nestingErrors = 0;     // glBegin inside a primitive, or glEnd outside one
    int nonFinite = 0;         // non-finite vertex, colour, point size or line width received

    // GL state in force for the next vertex.
    float color[3] = {1, 1, 1};
    float pointSize = 1;
    float lineWidth = 1;
    GLenum matrixMode = GL_MODELVIEW;

    // Vertex arrays: enabled, and where they are.
    bool vertexArray = false;
    bool colorArray = false;
    const GLubyte* positions = nullptr;  // bytes from one vertex's to the next's: the strides
    const GLubyte* colors = nullptr;
    int positionStride = 0, colorStride = 0;

    // GLUT.
    char windowTitle[64] = {};
    int windowX = 0, windowY = 0;
    int windowWidth = 0, windowHeight = 0;
    unsigned int displayMode = 0;
    int windowsCreated = 0;
    void (*displayFunc)() = nullptr;
    void (*reshapeFunc)(int, int) = nullptr;
    void (*keyboardFunc)(unsigned char, int, int) = nullptr;
    void (*mouseFunc)(int, int, int, int) = nullptr;
    void (*motionFunc)(int, int) = nullptr;
    void (*menuFunc)(int) = nullptr;
    MenuEntry menuEntries[MaxMenuEntries];
    int menuEntryCount = 0;
    bool menuAttached = false;
    int attachCount = 0;
    int detachCount = 0;
    int redisplayCount = 0;
    int swapCount = 0;
    bool mainLoopEntered = false;
    void (*exitFunction)(int) = nullptr;  // handed to GLUT on Windows, where GLUT ends the process with it
};

// What the fake answers when asked.
struct Answers {
    int screenWidth = 1024;
    int screenHeight = 768;
    int modifiers = 0;  // glutGetModifiers
    // glGetFloatv's matrices, column by column.
    float projection[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    float modelview[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
};

extern Log recording;
extern Answers answers;

// Back to an empty recording and the default answers.
void reset();
// Drops the recorded primitives and calls, keeping the window, the menu and the answers: what a
// long run does between frames so that the recording never fills up.
void clearFrame();

// Primitive i, and vertex j of it.
const Primitive& primitive(int i);
const Vertex& vertexOf(int i, int j);

// Number of primitives of the given mode.
int countPrimitives(GLenum mode);

// The n-th recorded call of that name (0 first), or nullptr.
const Call* findCall(const char* name, int n = 0);
int countCalls(const char* name);

}  // namespace fakegl
