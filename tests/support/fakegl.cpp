// Recording fake of GL, GLU and GLUT: the definitions a test binary links instead of the real ones.
// On Windows GLUT's header turns glutInit, glutCreateWindow and glutCreateMenu into calls of
// entry points that also take the C library's exit; here the plain names are defined, and those
// entry points below lead to them.
#define GLUT_DISABLE_ATEXIT_HACK
#include "fakegl.h"

#include <cmath>
#include <cstring>

namespace fakegl {

Log recording;
Answers answers;

void reset()
{
    recording = Log();
    answers = Answers();
}

void clearFrame()
{
    recording.primitiveCount = 0;
    recording.vertexCount = 0;
    recording.callCount = 0;
}

const Primitive& primitive(int i) { return recording.primitives[i]; }

const Vertex& vertexOf(int i, int j) { return recording.vertices[recording.primitives[i].firstVertex + j]; }

int countPrimitives(GLenum mode)
{
    int count = 0;
    for (int i = 0; i < recording.primitiveCount; i++)
        if (recording.primitives[i].mode == mode)
            count++;
    return count;
}

const Call* findCall(const char* name, int n)
{
    for (int i = 0; i < recording.callCount; i++)
        if (std::strcmp(recording.calls[i].name, name) == 0 && n-- == 0)
            return &recording.calls[i];
    return nullptr;
}

int countCalls(const char* name)
{
    int count = 0;
    for (int i = 0; i < recording.callCount; i++)
        if (std::strcmp(recording.calls[i].name, name) == 0)
            count++;
    return count;
}

}  // namespace fakegl

namespace {

using fakegl::recording;

void record(const char* name, double a0 = 0, double a1 = 0, double a2 = 0, double a3 = 0,
            double a4 = 0, double a5 = 0)
{
    if (recording.callCount == fakegl::MaxCalls) {
        recording.overflow = true;
        return;
    }
    fakegl::Call& call = recording.calls[recording.callCount++];
    call.name = name;
    call.args[0] = a0;
    call.args[1] = a1;
    call.args[2] = a2;
    call.args[3] = a3;
    call.args[4] = a4;
    call.args[5] = a5;
}

void checkFinite(float v)
{
    if (!std::isfinite(v))
        recording.nonFinite++;
}

void vertex(float x, float y, float z)
{
    checkFinite(x);
    checkFinite(y);
    checkFinite(z);
    if (!recording.insidePrimitive || recording.primitiveCount == 0) {
        recording.nestingErrors++;
        return;
    }
    if (recording.vertexCount == fakegl::MaxVertices) {
        recording.overflow = true;
        return;
    }
    fakegl::Vertex& v = recording.vertices[recording.vertexCount++];
    v.x = x;
    v.y = y;
    v.z = z;
    v.r = recording.color[0];
    v.g = recording.color[1];
    v.b = recording.color[2];
    v.pointSize = recording.pointSize;
    v.lineWidth = recording.lineWidth;
    recording.primitives[recording.primitiveCount - 1].vertexCount++;
}

void copyText(char* to, const char* from, std::size_t size)
{
    std::strncpy(to, from, size - 1);
    to[size - 1] = '\0';
}

}  // namespace

extern "C" {

// GL

void glBegin(GLenum mode)
{
    if (recording.insidePrimitive)
        recording.nestingErrors++;
    recording.insidePrimitive = true;
    if (recording.primitiveCount == fakegl::MaxPrimitives) {
        recording.overflow = true;
        recording.insidePrimitive = false;  // drop its vertices too
        return;
    }
    fakegl::Primitive& p = recording.primitives[recording.primitiveCount++];
    p.mode = mode;
    p.firstVertex = recording.vertexCount;
    p.vertexCount = 0;
}

void glEnd()
{
    if (!recording.insidePrimitive && !recording.overflow)
        recording.nestingErrors++;
    recording.insidePrimitive = false;
}

void glVertex2f(GLfloat x, GLfloat y) { vertex(x, y, 0); }
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) { vertex(x, y, z); }
void glVertex3fv(const GLfloat* v) { vertex(v[0], v[1], v[2]); }

void glColor3f(GLfloat r, GLfloat g, GLfloat b)
{
    checkFinite(r);
    checkFinite(g);
    checkFinite(b);
    recording.color[0] = r;
    recording.color[1] = g;
    recording.color[2] = b;
}

void glColor3fv(const GLfloat* c) { glColor3f(c[0], c[1], c[2]); }

void glPointSize(GLfloat size)
{
    checkFinite(size);
    recording.pointSize = size;
    record("glPointSize", size);
}

void glLineWidth(GLfloat width)
{
    checkFinite(width);
    recording.lineWidth = width;
    record("glLineWidth", width);
}

void glClear(GLbitfield mask) { record("glClear", mask); }
void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) { record("glClearColor", r, g, b, a); }
void glEnable(GLenum cap) { record("glEnable", cap); }
void glDisable(GLenum cap) { record("glDisable", cap); }
void glMatrixMode(GLenum mode)
{
    recording.matrixMode = mode;
    record("glMatrixMode", mode);
}

void glLoadIdentity() { record("glLoadIdentity"); }
void glPushMatrix() { record("glPushMatrix"); }
void glPopMatrix() { record("glPopMatrix"); }
void glViewport(GLint x, GLint y, GLsizei w, GLsizei h) { record("glViewport", x, y, w, h); }
void glTranslatef(GLfloat x, GLfloat y, GLfloat z) { record("glTranslatef", x, y, z); }
void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) { record("glRotatef", angle, x, y, z); }

void glLightfv(GLenum light, GLenum name, const GLfloat* params)
{
    record("glLightfv", light, name, params[0], params[1], params[2], params[3]);
}

void glFinish() { record("glFinish"); }

void glGetFloatv(GLenum name, GLfloat* values)
{
    const float* matrix = name == GL_PROJECTION_MATRIX ? fakegl::answers.projection : fakegl::answers.modelview;
    std::memcpy(values, matrix, sizeof fakegl::answers.modelview);
}

void glGetIntegerv(GLenum name, GLint* values)
{
    if (name == GL_MATRIX_MODE)
        values[0] = GLint(recording.matrixMode);
}

void glEnableClientState(GLenum array)
{
    recording.vertexArray |= array == GL_VERTEX_ARRAY;
    recording.colorArray |= array == GL_COLOR_ARRAY;
    record("glEnableClientState", array);
}

void glDisableClientState(GLenum array)
{
    recording.vertexArray &= array != GL_VERTEX_ARRAY;
    recording.colorArray &= array != GL_COLOR_ARRAY;
    record("glDisableClientState", array);
}

// Only the types the web layer draws from are read back: three floats, four bytes.
void glVertexPointer(GLint size, GLenum type, GLsizei stride, const void* pointer)
{
    recording.positions = size == 3 && type == GL_FLOAT ? static_cast<const GLubyte*>(pointer) : nullptr;
    recording.positionStride = stride != 0 ? stride : 3 * sizeof(GLfloat);
    record("glVertexPointer", size, type, stride);
}

void glColorPointer(GLint size, GLenum type, GLsizei stride, const void* pointer)
{
    recording.colors = size == 4 && type == GL_UNSIGNED_BYTE ? static_cast<const GLubyte*>(pointer) : nullptr;
    recording.colorStride = stride != 0 ? stride : 4;
    record("glColorPointer", size, type, stride);
}

// Recorded as the primitive glBegin, glColor and glVertex calls would have given.
void glDrawArrays(GLenum mode, GLint first, GLsizei count)
{
    record("glDrawArrays", mode, first, count);
    if (!recording.vertexArray || recording.positions == nullptr) {
        recording.nestingErrors++;
        return;
    }
    float current[3];  // a colour array leaves the current colour as it was
    std::memcpy(current, recording.color, sizeof current);
    glBegin(mode);
    for (int i = first; i < first + count; i++) {
        if (recording.colorArray && recording.colors != nullptr) {
            const GLubyte* c = recording.colors + recording.colorStride * i;
            glColor3f(c[0] / 255.0f, c[1] / 255.0f, c[2] / 255.0f);
        }
        GLfloat p[3];
        std::memcpy(p, recording.positions + recording.positionStride * i, sizeof p);
        glVertex3fv(p);
    }
    glEnd();
    std::memcpy(recording.color, current, sizeof current);
}

// GLU

void gluOrtho2D(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top)
{
    record("gluOrtho2D", left, right, bottom, top);
}

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar)
{
    record("gluPerspective", fovy, aspect, zNear, zFar);
}

// GLUT

void glutInit(int*, char**) { record("glutInit"); }
void glutInitDisplayMode(unsigned int mode) { recording.displayMode = mode; }

void glutInitWindowPosition(int x, int y)
{
    recording.windowX = x;
    recording.windowY = y;
}

void glutInitWindowSize(int width, int height)
{
    recording.windowWidth = width;
    recording.windowHeight = height;
}

int glutCreateWindow(const char* title)
{
    copyText(recording.windowTitle, title, sizeof recording.windowTitle);
    return ++recording.windowsCreated;
}

int glutGet(GLenum what)
{
    switch (what) {
    case GLUT_SCREEN_WIDTH: return fakegl::answers.screenWidth;
    case GLUT_SCREEN_HEIGHT: return fakegl::answers.screenHeight;
    default: return 0;
    }
}

int glutGetModifiers() { return fakegl::answers.modifiers; }

void glutDisplayFunc(void (*f)()) { recording.displayFunc = f; }
void glutReshapeFunc(void (*f)(int, int)) { recording.reshapeFunc = f; }
void glutKeyboardFunc(void (*f)(unsigned char, int, int)) { recording.keyboardFunc = f; }
void glutMouseFunc(void (*f)(int, int, int, int)) { recording.mouseFunc = f; }
void glutMotionFunc(void (*f)(int, int)) { recording.motionFunc = f; }

int glutCreateMenu(void (*f)(int))
{
    recording.menuFunc = f;
    return 1;
}

void glutAddMenuEntry(const char* label, int value)
{
    if (recording.menuEntryCount == fakegl::MaxMenuEntries) {
        recording.overflow = true;
        return;
    }
    fakegl::MenuEntry& entry = recording.menuEntries[recording.menuEntryCount++];
    copyText(entry.label, label, sizeof entry.label);
    entry.value = value;
}

void glutAttachMenu(int button)
{
    if (button == GLUT_RIGHT_BUTTON)
        recording.menuAttached = true;
    recording.attachCount++;
    record("glutAttachMenu", button);
}

void glutDetachMenu(int button)
{
    if (button == GLUT_RIGHT_BUTTON)
        recording.menuAttached = false;
    recording.detachCount++;
    record("glutDetachMenu", button);
}

void glutPostRedisplay() { recording.redisplayCount++; }
void glutSwapBuffers() { recording.swapCount++; record("glutSwapBuffers"); }
void glutMainLoop() { recording.mainLoopEntered = true; }

#ifdef _WIN32
void __glutInitWithExit(int* argc, char** argv, void (*onExit)(int))
{
    recording.exitFunction = onExit;
    glutInit(argc, argv);
}

int __glutCreateWindowWithExit(const char* title, void (*onExit)(int))
{
    recording.exitFunction = onExit;
    return glutCreateWindow(title);
}

int __glutCreateMenuWithExit(void (*f)(int), void (*onExit)(int))
{
    recording.exitFunction = onExit;
    return glutCreateMenu(f);
}
#endif

}  // extern "C"
