// The web layer's header, force-included (-include) into every viewer source of the web build.
//
// It maps the GL and GLUT entry points the web layer supplies or changes onto the layer's own
// functions (web/layer.cpp, web/layer.js); the calls it lets pass go to Emscripten's GLUT and GL
// emulation. The viewers' sources stay as they are: only their calls are renamed here.
//
// The layer's functions are named by the direction of the call: layerGl* and layerGlut* take the
// viewers' calls renamed here, layerFlush draws the waiting polygons; toPage* are web/layer.js's,
// called from C++; fromPage* are web/layer.cpp's, called from web/layer.js.
//
// The layer's surface, in the lists below. The web build's configuration (web/surface.cmake)
// checks them against the definitions in this file, and stops, naming the call and the file,
// when a viewer source calls a GL, GLU or GLUT function that the first three lists do not name;
// at a call of the last list it says that the web build does not support it.
//
// supplies: glBegin glEnd glVertex2f glVertex3f glVertex3fv glColor3f glColor3fv glLineWidth
//   glPointSize glViewport glutInitWindowSize glutCreateWindow glutGet glutGetModifiers
//   glutDisplayFunc glutReshapeFunc glutKeyboardFunc glutMouseFunc glutMotionFunc glutCreateMenu
//   glutAddMenuEntry glutAttachMenu glutDetachMenu glutPostRedisplay
// passes after drawing the waiting polygons: glClear glEnable glDisable glLightfv glLoadIdentity
//   glPopMatrix glRotatef glTranslatef gluOrtho2D gluPerspective glutSwapBuffers
// passes: glClearColor glMatrixMode glPushMatrix glutInit glutInitDisplayMode
//   glutInitWindowPosition glutMainLoop
// does not support: glVertex* glColor* glNormal* glTexCoord* glRect* glScale* glMultMatrix*
//   glLoadMatrix* glFrustum glOrtho glDepthFunc glShadeModel glBlendFunc glutAddSubMenu
//   glutSetMenu glutDestroyMenu glutChangeTo* glutRemoveMenuItem glutIdleFunc glutTimerFunc
//   glutFullScreen glutSetCursor
// (Other vertex and colour forms would pass the layer by; the state calls would reach polygons
// drawn before them, which wait to be drawn together; the menu calls are beyond the layer's menus.)
#pragma once

#include <GL/glut.h>

#ifdef __cplusplus
extern "C" {
#endif

// Primitives the GL emulation lacks or draws differently (web/primitives.cpp).
void layerFlush(void);
void layerGlBegin(GLenum mode);
void layerGlEnd(void);
void layerGlVertex2f(GLfloat x, GLfloat y);
void layerGlVertex3f(GLfloat x, GLfloat y, GLfloat z);
void layerGlVertex3fv(const GLfloat* v);
void layerGlColor3f(GLfloat r, GLfloat g, GLfloat b);
void layerGlColor3fv(const GLfloat* c);
void layerGlLineWidth(GLfloat width);
void layerGlPointSize(GLfloat size);
void layerGlViewport(GLint x, GLint y, GLsizei width, GLsizei height);

// The window, its callbacks and menus (web/layer.cpp, web/layer.js).
void layerGlutInitWindowSize(int width, int height);
int layerGlutCreateWindow(const char* title);
int layerGlutGet(GLenum what);
int layerGlutGetModifiers(void);
void layerGlutDisplayFunc(void (*callback)(void));
void layerGlutReshapeFunc(void (*callback)(int, int));
void layerGlutKeyboardFunc(void (*callback)(unsigned char, int, int));
void layerGlutMouseFunc(void (*callback)(int, int, int, int));
void layerGlutMotionFunc(void (*callback)(int, int));
int layerGlutCreateMenu(void (*callback)(int));
void layerGlutAddMenuEntry(const char* label, int value);
void layerGlutAttachMenu(int button);
void layerGlutDetachMenu(int button);
void layerGlutPostRedisplay(void);

#ifdef __cplusplus
}
#endif

#define glBegin layerGlBegin
#define glEnd layerGlEnd
#define glVertex2f layerGlVertex2f
#define glVertex3f layerGlVertex3f
#define glVertex3fv layerGlVertex3fv
#define glColor3f layerGlColor3f
#define glColor3fv layerGlColor3fv
#define glLineWidth layerGlLineWidth
#define glPointSize layerGlPointSize
#define glViewport layerGlViewport

// Polygons wait to be drawn together: every call the viewers make between primitives that changes
// what they would become draws them first. (A function-like macro does not expand within itself,
// so each still calls the real function.)
#define glClear(mask) (layerFlush(), glClear(mask))
#define glEnable(cap) (layerFlush(), glEnable(cap))
#define glDisable(cap) (layerFlush(), glDisable(cap))
#define glLightfv(light, name, params) (layerFlush(), glLightfv(light, name, params))
#define glLoadIdentity() (layerFlush(), glLoadIdentity())
#define glPopMatrix() (layerFlush(), glPopMatrix())
#define glRotatef(angle, x, y, z) (layerFlush(), glRotatef(angle, x, y, z))
#define glTranslatef(x, y, z) (layerFlush(), glTranslatef(x, y, z))
#define gluOrtho2D(left, right, bottom, top) (layerFlush(), gluOrtho2D(left, right, bottom, top))
#define gluPerspective(fovy, aspect, near, far) (layerFlush(), gluPerspective(fovy, aspect, near, far))
#define glutSwapBuffers() (layerFlush(), glutSwapBuffers())

#define glutInitWindowSize layerGlutInitWindowSize
#define glutCreateWindow layerGlutCreateWindow
#define glutGet layerGlutGet
#define glutGetModifiers layerGlutGetModifiers
#define glutDisplayFunc layerGlutDisplayFunc
#define glutReshapeFunc layerGlutReshapeFunc
#define glutKeyboardFunc layerGlutKeyboardFunc
#define glutMouseFunc layerGlutMouseFunc
#define glutMotionFunc layerGlutMotionFunc
#define glutCreateMenu layerGlutCreateMenu
#define glutAddMenuEntry layerGlutAddMenuEntry
#define glutAttachMenu layerGlutAttachMenu
#define glutDetachMenu layerGlutDetachMenu
#define glutPostRedisplay layerGlutPostRedisplay
