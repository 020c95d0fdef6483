// GL primitives as WebGL draws them through Emscripten's GL emulation: the web layer's drawing part.
//
// The emulation draws points, lines, triangles and quads, but rejects GL_POLYGON, and WebGL draws
// lines one pixel wide and points centred where the desktop's GL does not. Each primitive is held
// here between glBegin and glEnd and re-emitted as what the desktop would have drawn:
//   GL_POLYGON     a triangle fan (the viewers' polygons are convex; Mesa draws them as fans too);
//   wide lines     one quad per segment, w pixels across in the minor axis, as GL's aliased wide
//                  lines are; one pixel wide lines go through as lines;
//   points         squares of the point size, centred on the pixel GL's aliased points snap to.
// Quads and squares are placed in window pixels, so the matrices are read back once per primitive.
// Plain standard GL: the unit tests run it against the recording fake.
#include "primitives.h"

#include <cmath>

#include <GL/gl.h>

namespace {

constexpr int MaxVertices = 1024;  // in one primitive; the viewers' longest is a 2D outline of 51

struct Vertex {
    float x, y, z;
    float r, g, b;
};

struct WindowPoint {
    float x, y, z;  // window pixels, and normalised depth
    bool visible;   // in front of the eye
};

struct Primitives {
    GLenum mode = 0;
    bool inside = false;
    int count = 0;
    Vertex vertices[MaxVertices];
    float color[3] = {1, 1, 1};
    float lineWidth = 1;   // CSS pixels, as the viewer set them
    float pointSize = 1;
    float ratio = 1;       // backing-store pixels per CSS pixel
    GLint viewport[4] = {0, 0, 1, 1};  // backing-store pixels
    float transform[16];   // projection times modelview, column by column, for the current primitive
    WindowPoint window[MaxVertices];
} state;

// Inside glBegin the emulation packs each vertex's attributes in the order given, so every vertex
// gets its colour, given just before it. It keeps that colour in 8 bits, cut off rather than
// rounded: the middle of the step the desktop's GL rounds to is cut off to that step.
float eightBits(float c)
{
    return (std::nearbyint(std::fmin(std::fmax(c, 0.0f), 1.0f) * 255) + 0.5f) / 255;
}

void emitVertex(const Vertex& colour, float x, float y, float z)
{
    glColor3f(eightBits(colour.r), eightBits(colour.g), eightBits(colour.b));
    glVertex3f(x, y, z);
}

void emitAsIs(GLenum mode)
{
    glBegin(mode);
    for (int i = 0; i < state.count; i++) {
        const Vertex& v = state.vertices[i];
        emitVertex(v, v.x, v.y, v.z);
    }
    glEnd();
}

void multiply(float to[16], const float a[16], const float b[16])
{
    for (int column = 0; column < 4; column++)
        for (int row = 0; row < 4; row++) {
            float sum = 0;
            for (int k = 0; k < 4; k++)
                sum += a[k * 4 + row] * b[column * 4 + k];
            to[column * 4 + row] = sum;
        }
}

// Every vertex of the primitive in window pixels, through the matrices and the viewport.
void toWindow()
{
    float projection[16], modelview[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    multiply(state.transform, projection, modelview);
    const float* m = state.transform;
    for (int i = 0; i < state.count; i++) {
        const Vertex& v = state.vertices[i];
        float clip[4];
        for (int row = 0; row < 4; row++)
            clip[row] = m[row] * v.x + m[4 + row] * v.y + m[8 + row] * v.z + m[12 + row];
        WindowPoint& p = state.window[i];
        p.visible = clip[3] > 0;
        if (!p.visible)
            continue;
        p.x = state.viewport[0] + (clip[0] / clip[3] + 1) * 0.5f * state.viewport[2];
        p.y = state.viewport[1] + (clip[1] / clip[3] + 1) * 0.5f * state.viewport[3];
        p.z = clip[2] / clip[3];
    }
}

// A point in window pixels, drawn with both matrices the identity: back to normalised coordinates.
void windowVertex(const Vertex& colour, const float at[2], float z)
{
    emitVertex(colour, (at[0] - state.viewport[0]) / state.viewport[2] * 2 - 1,
               (at[1] - state.viewport[1]) / state.viewport[3] * 2 - 1, z);
}

// A quad in window pixels as two triangles, corners a, b, c, d in turn; a and b in the first
// vertex's colour and depth, c and d in the second's.
void windowQuad(const float a[2], const float b[2], const float c[2], const float d[2], float z0, float z1,
                const Vertex& first, const Vertex& second)
{
    windowVertex(first, a, z0);
    windowVertex(first, b, z0);
    windowVertex(second, c, z1);
    windowVertex(second, c, z1);
    windowVertex(second, d, z1);
    windowVertex(first, a, z0);
}

// Runs draw between glBegin(GL_TRIANGLES) and glEnd with both matrices the identity.
template <typename Draw>
void inWindowPixels(Draw draw)
{
    GLint matrixMode = GL_MODELVIEW;
    glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glBegin(GL_TRIANGLES);
    draw();
    glEnd();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(matrixMode);
}

// Aliased points: a square of the size rounded to whole pixels, centred on a pixel centre when the
// size is odd and on a pixel corner when it is even.
void emitPoints()
{
    const float size = std::fmax(1.0f, std::round(state.pointSize * state.ratio));
    const float odd = std::fmod(size, 2.0f);
    inWindowPixels([&] {
        for (int i = 0; i < state.count; i++) {
            const WindowPoint& p = state.window[i];
            if (!p.visible)
                continue;
            float cx = odd != 0 ? std::floor(p.x) + 0.5f : std::floor(p.x + 0.5f);
            float cy = odd != 0 ? std::floor(p.y) + 0.5f : std::floor(p.y + 0.5f);
            float h = size / 2;
            const float a[2] = {cx - h, cy - h}, b[2] = {cx + h, cy - h};
            const float c[2] = {cx + h, cy + h}, d[2] = {cx - h, cy + h};
            windowQuad(a, b, c, d, p.z, p.z, state.vertices[i], state.vertices[i]);
        }
    });
}

// Aliased wide lines: each segment widened by the width in its minor axis, as GL defines them.
void emitWideLines(float width)
{
    int segments = 0;
    if (state.mode == GL_LINES)
        segments = state.count / 2;
    else if (state.count >= 2)
        segments = state.mode == GL_LINE_LOOP ? state.count : state.count - 1;
    inWindowPixels([&] {
        for (int s = 0; s < segments; s++) {
            int i = state.mode == GL_LINES ? 2 * s : s;
            int j = state.mode == GL_LINES ? i + 1 : (s + 1) % state.count;
            const WindowPoint& p = state.window[i];
            const WindowPoint& q = state.window[j];
            if (!p.visible || !q.visible)
                continue;
            bool xMajor = std::fabs(q.x - p.x) >= std::fabs(q.y - p.y);
            float ox = xMajor ? 0 : width / 2;
            float oy = xMajor ? width / 2 : 0;
            const float a[2] = {p.x - ox, p.y - oy}, b[2] = {p.x + ox, p.y + oy};
            const float c[2] = {q.x + ox, q.y + oy}, d[2] = {q.x - ox, q.y - oy};
            windowQuad(a, b, c, d, p.z, q.z, state.vertices[i], state.vertices[j]);
        }
    });
}

void vertex(float x, float y, float z)
{
    if (!state.inside || state.count == MaxVertices)
        return;
    state.vertices[state.count++] = {x, y, z, state.color[0], state.color[1], state.color[2]};
}

}  // namespace

void gaugeplotWebSetPixelRatio(float ratio) { state.ratio = ratio; }

extern "C" {

void gaugeplotWebBegin(GLenum mode)
{
    state.mode = mode;
    state.inside = true;
    state.count = 0;
}

void gaugeplotWebEnd()
{
    state.inside = false;
    const bool lines = state.mode == GL_LINES || state.mode == GL_LINE_LOOP || state.mode == GL_LINE_STRIP;
    const float width = std::fmax(1.0f, std::round(state.lineWidth * state.ratio));
    if (state.mode == GL_POLYGON) {
        emitAsIs(GL_TRIANGLE_FAN);
    } else if (state.viewport[2] <= 0 || state.viewport[3] <= 0) {
        // Nothing to place in an empty window.
    } else if (state.mode == GL_POINTS || (lines && width > 1)) {
        toWindow();
        if (state.mode == GL_POINTS)
            emitPoints();
        else
            emitWideLines(width);
    } else {
        emitAsIs(state.mode);
    }
    glColor3f(state.color[0], state.color[1], state.color[2]);
}

void gaugeplotWebVertex2f(GLfloat x, GLfloat y) { vertex(x, y, 0); }
void gaugeplotWebVertex3f(GLfloat x, GLfloat y, GLfloat z) { vertex(x, y, z); }
void gaugeplotWebVertex3fv(const GLfloat* v) { vertex(v[0], v[1], v[2]); }

void gaugeplotWebColor3f(GLfloat r, GLfloat g, GLfloat b)
{
    state.color[0] = r;
    state.color[1] = g;
    state.color[2] = b;
    if (!state.inside)
        glColor3f(r, g, b);
}

void gaugeplotWebColor3fv(const GLfloat* c) { gaugeplotWebColor3f(c[0], c[1], c[2]); }

void gaugeplotWebLineWidth(GLfloat width) { state.lineWidth = width; }
void gaugeplotWebPointSize(GLfloat size) { state.pointSize = size; }

void gaugeplotWebViewport(GLint x, GLint y, GLsizei width, GLsizei height)
{
    state.viewport[0] = GLint(std::lround(x * state.ratio));
    state.viewport[1] = GLint(std::lround(y * state.ratio));
    state.viewport[2] = GLsizei(std::lround(width * state.ratio));
    state.viewport[3] = GLsizei(std::lround(height * state.ratio));
    glViewport(state.viewport[0], state.viewport[1], state.viewport[2], state.viewport[3]);
}

}  // extern "C"
