// GL primitives as WebGL draws them through Emscripten's GL emulation: the web layer's drawing part.
//
// The emulation draws points, lines and triangles, but rejects GL_POLYGON; WebGL draws lines one
// pixel wide, and points centred where the desktop's GL does not; and each glBegin ... glEnd costs
// the emulation a draw call of its own, which at full capacity makes the 3D frame several times
// slower than the desktop's. Each primitive is held here between glBegin and glEnd and re-emitted
// as what the desktop would have drawn:
//   GL_POLYGON     triangles of a fan (the viewers' polygons are convex; Mesa draws them as fans
//                  too), gathered with the next polygons' into one draw of vertex arrays until a
//                  call that changes what they would become (layerFlush, from layer.h);
//   wide lines     one quad per segment, w pixels across in the minor axis, as GL's aliased wide
//                  lines are; one pixel wide lines go through as lines;
//   points         squares of the point size, centred on the pixel GL's aliased points snap to.
// Quads and squares are placed in window pixels, so the matrices are read back for them; they too
// wait and are drawn together, with both matrices the identity. Each draw costs the emulation
// tens of microseconds whatever it holds, so gaugeplot2d's full frame is two draws, not a hundred.
// Plain standard GL: the unit tests run it against the recording fake.
#include "primitives.h"

#include <cmath>

#include <GL/gl.h>

namespace {

constexpr int MaxVertices = 1024;  // in one primitive; the viewers' longest is a 2D outline of 51

// A vertex as it is drawn: interleaved, since the emulation uploads one interleaved array as it is
// and copies planar ones vertex by vertex in JavaScript; the colour as the 8 bits the desktop's GL
// rounds it to.
struct Vertex {
    float x, y, z;
    GLubyte rgba[4];
};

// Vertices drawn at once: as many as the emulation's largest vertex buffer holds (2 MiB,
// Emscripten's GL_MAX_TEMP_BUFFER_SIZE); a larger draw would not fit it.
constexpr int MaxBatch = 2 * 1024 * 1024 / int(sizeof(Vertex));

struct WindowPoint {
    float x, y, z;  // window pixels, and normalised depth
    bool visible;   // in front of the eye
};

struct Primitives {
    GLenum mode = 0;
    bool inside = false;
    int count = 0;
    Vertex vertices[MaxVertices];
    GLubyte colour[4] = {255, 255, 255, 255};
    float lineWidth = 1;   // CSS pixels, as the viewer set them
    float pointSize = 1;
    float ratio = 1;       // backing-store pixels per CSS pixel
    bool drawing = true;
    GLint viewport[4] = {0, 0, 1, 1};  // backing-store pixels
    // The product of the matrices, read back once between two flushes: every call that changes a
    // matrix draws what waits first (layer.h), and the two that pass (glMatrixMode, glPushMatrix)
    // change none.
    float matrix[16];
    bool matrixKnown = false;
    WindowPoint window[MaxVertices];
} state;

// Vertices waiting for one glDrawArrays, placed either through the matrices of the moment or,
// inWindow, in normalised window coordinates (quads and squares).
struct Batch {
    GLenum mode = GL_TRIANGLES;
    bool inWindow = false;
    int count = 0;
    Vertex vertices[MaxBatch];
} batch;

GLubyte eightBits(float c) { return GLubyte(std::nearbyint(std::fmin(std::fmax(c, 0.0f), 1.0f) * 255)); }

void draw()
{
    if (batch.count == 0)
        return;
    GLint matrixMode = GL_MODELVIEW;
    if (batch.inWindow) {
        glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
    }
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(Vertex), &batch.vertices[0].x);
    glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(Vertex), batch.vertices[0].rgba);
    glDrawArrays(batch.mode, 0, batch.count);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    if (batch.inWindow) {
        glPopMatrix();
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(matrixMode);
    }
    batch.count = 0;
}

// Room for n more vertices of the mode, placed as inWindow says: what waits is drawn first where
// it would not fit, is of another mode or is placed the other way.
void reserve(GLenum mode, int n, bool inWindow)
{
    if (batch.mode != mode || batch.inWindow != inWindow || batch.count + n > MaxBatch)
        draw();
    batch.mode = mode;
    batch.inWindow = inWindow;
}

void add(const Vertex& v) { batch.vertices[batch.count++] = v; }

void addPolygon()
{
    if (state.count < 3)
        return;  // GL draws nothing of it either
    reserve(GL_TRIANGLES, 3 * (state.count - 2), false);
    const Vertex* v = state.vertices;
    for (int i = 1; i + 1 < state.count; i++) {
        add(v[0]);
        add(v[i]);
        add(v[i + 1]);
    }
}

// Lines one pixel wide, and anything else the emulation draws itself, on their own.
void drawAsIs()
{
    reserve(state.mode, state.count, false);
    for (int i = 0; i < state.count; i++)
        add(state.vertices[i]);
    draw();
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
    if (!state.matrixKnown) {
        float projection[16], modelview[16];
        glGetFloatv(GL_PROJECTION_MATRIX, projection);
        glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
        multiply(state.matrix, projection, modelview);
        state.matrixKnown = true;
    }
    const float* m = state.matrix;
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

// A point in window pixels, as drawn with both matrices the identity: normalised coordinates.
Vertex windowPoint(const Vertex& colour, const float at[2], float z)
{
    Vertex v = colour;
    v.x = (at[0] - state.viewport[0]) / state.viewport[2] * 2 - 1;
    v.y = (at[1] - state.viewport[1]) / state.viewport[3] * 2 - 1;
    v.z = z;
    return v;
}

// A quad in window pixels as two triangles, corners a, b, c, d in turn; a and b in the first
// vertex's colour and depth, c and d in the second's. Inlined: a full 2D frame has 5 000.
__attribute__((always_inline)) inline void addWindowQuad(const float a[2], const float b[2], const float c[2],
                                                         const float d[2], float z0, float z1, const Vertex& first,
                                                         const Vertex& second)
{
    const Vertex va = windowPoint(first, a, z0), vc = windowPoint(second, c, z1);
    add(va);
    add(windowPoint(first, b, z0));
    add(vc);
    add(vc);
    add(windowPoint(second, d, z1));
    add(va);
}

// Adds what addQuads adds to the quads in window pixels that wait.
template <typename AddQuads>
void drawInWindowPixels(int quads, AddQuads addQuads)
{
    reserve(GL_TRIANGLES, 6 * quads, true);
    addQuads();
}

// std::round, halves away from zero, without the library call WebAssembly makes of it (it has no
// such instruction): x - trunc(x) is exact, so the halves are found exactly.
float roundHalfAway(float x)
{
    const float t = std::trunc(x);
    return std::fabs(x - t) >= 0.5f ? t + std::copysign(1.0f, x) : t;
}

// Aliased points: a square of the size rounded to whole pixels, centred on a pixel centre when the
// size is odd and on a pixel corner when it is even.
void drawPoints()
{
    const float size = std::fmax(1.0f, std::round(state.pointSize * state.ratio));
    const bool odd = std::fmod(size, 2.0f) != 0;
    drawInWindowPixels(state.count, [&] {
        for (int i = 0; i < state.count; i++) {
            const WindowPoint& p = state.window[i];
            if (!p.visible)
                continue;
            // Rasterisers snap window coordinates to a subpixel grid (Mesa's to 1/256 of a pixel)
            // before they choose pixels: a point whose matrix product lands just below a whole
            // number is drawn from that number, as on the desktop.
            const float x = roundHalfAway(p.x * 256) / 256, y = roundHalfAway(p.y * 256) / 256;
            float cx = odd ? std::floor(x) + 0.5f : std::floor(x + 0.5f);
            float cy = odd ? std::floor(y) + 0.5f : std::floor(y + 0.5f);
            float h = size / 2;
            const float a[2] = {cx - h, cy - h}, b[2] = {cx + h, cy - h};
            const float c[2] = {cx + h, cy + h}, d[2] = {cx - h, cy + h};
            addWindowQuad(a, b, c, d, p.z, p.z, state.vertices[i], state.vertices[i]);
        }
    });
}

// Aliased wide lines: each segment widened by the width in its minor axis, as GL defines them.
void drawWideLines(float width)
{
    int segments = 0;
    if (state.mode == GL_LINES)
        segments = state.count / 2;
    else if (state.count >= 2)
        segments = state.mode == GL_LINE_LOOP ? state.count : state.count - 1;
    drawInWindowPixels(segments, [&] {
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
            addWindowQuad(a, b, c, d, p.z, q.z, state.vertices[i], state.vertices[j]);
        }
    });
}

void vertex(float x, float y, float z)
{
    if (!state.inside || state.count == MaxVertices)
        return;
    state.vertices[state.count++] = {x, y, z, {state.colour[0], state.colour[1], state.colour[2], 255}};
}

}  // namespace

void layerSetPixelRatio(float ratio) { state.ratio = ratio; }
void layerSetDrawing(bool drawing) { state.drawing = drawing; }

extern "C" {

void layerFlush()
{
    draw();
    state.matrixKnown = false;
}

void layerGlBegin(GLenum mode)
{
    state.mode = mode;
    state.inside = true;
    state.count = 0;
}

void layerGlEnd()
{
    state.inside = false;
    if (!state.drawing)
        return;
    const bool lines = state.mode == GL_LINES || state.mode == GL_LINE_LOOP || state.mode == GL_LINE_STRIP;
    const float width = std::fmax(1.0f, std::round(state.lineWidth * state.ratio));
    if (state.mode == GL_POLYGON) {
        addPolygon();
    } else if (state.viewport[2] <= 0 || state.viewport[3] <= 0) {
        // Nothing to place in an empty window.
    } else if (state.mode == GL_POINTS || (lines && width > 1)) {
        toWindow();
        if (state.mode == GL_POINTS)
            drawPoints();
        else
            drawWideLines(width);
    } else {
        drawAsIs();
    }
}

void layerGlVertex2f(GLfloat x, GLfloat y) { vertex(x, y, 0); }
void layerGlVertex3f(GLfloat x, GLfloat y, GLfloat z) { vertex(x, y, z); }
void layerGlVertex3fv(const GLfloat* v) { vertex(v[0], v[1], v[2]); }

void layerGlColor3f(GLfloat r, GLfloat g, GLfloat b)
{
    state.colour[0] = eightBits(r);
    state.colour[1] = eightBits(g);
    state.colour[2] = eightBits(b);
    if (!state.inside)
        glColor3f(r, g, b);
}

void layerGlColor3fv(const GLfloat* c) { layerGlColor3f(c[0], c[1], c[2]); }

void layerGlLineWidth(GLfloat width) { state.lineWidth = width; }
void layerGlPointSize(GLfloat size) { state.pointSize = size; }

void layerGlViewport(GLint x, GLint y, GLsizei width, GLsizei height)
{
    draw();
    state.viewport[0] = GLint(std::lround(x * state.ratio));
    state.viewport[1] = GLint(std::lround(y * state.ratio));
    state.viewport[2] = GLsizei(std::lround(width * state.ratio));
    state.viewport[3] = GLsizei(std::lround(height * state.ratio));
    glViewport(state.viewport[0], state.viewport[1], state.viewport[2], state.viewport[3]);
}

}  // extern "C"

const void* layerBatchBegin() { return batch.vertices; }
const void* layerBatchEnd() { return batch.vertices + MaxBatch; }
