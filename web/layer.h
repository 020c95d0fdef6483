// The web layer's header, force-included (-include) into every viewer source of the web build.
//
// It maps the GL and GLUT entry points the web layer supplies or changes onto the layer's own
// functions (web/layer.cpp, web/layer.js); the calls it lets pass go to Emscripten's GLUT and GL
// emulation. The viewers' sources stay as they are: only their calls are renamed here.
//
// The layer's surface, in the lists below. The web build's configuration (web/surface.cmake)
// checks them against the definitions in this file, and stops, naming the call and the file,
// when a viewer source calls a GL, GLU or GLUT function that the first three lists do not name;
// at a call of the last list it says that the web build does not support it.
//
// supplies: glBegin glEnd glVertex2f glVertex3f glVertex3fv glColor3f glColor3fv glLineWidth
//   glPointSize glViewport glutInitWindowSize glutCreateWindow glutGet glutGetModifiers
//   glutDisplayFunc glutReshapeFunc glutKeyboardFunc glutMouseFunc glutMotionFunc glutCreateMenu
//   glutAddMenuEntry glutAttachMenu glutDetachMenu
// passes after drawing the waiting polygons: glClear glEnable glDisable glLightfv glLoadIdentity
//   glPopMatrix glRotatef glTranslatef gluOrtho2D gluPerspective glutSwapBuffers
// passes: glClearColor glMatrixMode glPushMatrix glutInit glutInitDisplayMode
//   glutInitWindowPosition glutMainLoop glutPostRedisplay
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
void gaugeplotWebFlush(void);
void gaugeplotWebBegin(GLenum mode);
void gaugeplotWebEnd(void);
void gaugeplotWebVertex2f(GLfloat x, GLfloat y);
void gaugeplotWebVertex3f(GLfloat x, GLfloat y, GLfloat z);
void gaugeplotWebVertex3fv(const GLfloat* v);
void gaugeplotWebColor3f(GLfloat r, GLfloat g, GLfloat b);
void gaugeplotWebColor3fv(const GLfloat* c);
void gaugeplotWebLineWidth(GLfloat width);
void gaugeplotWebPointSize(GLfloat size);
void gaugeplotWebViewport(GLint x, GLint y, GLsizei width, GLsizei height);

// The window, its callbacks and menus (web/layer.cpp, web/layer.js).
void gaugeplotWebInitWindowSize(int width, int height);
int gaugeplotWebCreateWindow(const char* title);
int gaugeplotWebGet(GLenum what);
int gaugeplotWebGetModifiers(void);
void gaugeplotWebDisplayFunc(void (*callback)(void));
void gaugeplotWebReshapeFunc(void (*callback)(int, int));
void gaugeplotWebKeyboardFunc(void (*callback)(unsigned char, int, int));
void gaugeplotWebMouseFunc(void (*callback)(int, int, int, int));
void gaugeplotWebMotionFunc(void (*callback)(int, int));
int gaugeplotWebCreateMenu(void (*callback)(int));
void gaugeplotWebAddMenuEntry(const char* label, int value);
void gaugeplotWebAttachMenu(int button);
void gaugeplotWebDetachMenu(int button);

#ifdef __cplusplus
}
#endif

#define glBegin gaugeplotWebBegin
#define glEnd gaugeplotWebEnd
#define glVertex2f gaugeplotWebVertex2f
#define glVertex3f gaugeplotWebVertex3f
#define glVertex3fv gaugeplotWebVertex3fv
#define glColor3f gaugeplotWebColor3f
#define glColor3fv gaugeplotWebColor3fv
#define glLineWidth gaugeplotWebLineWidth
#define glPointSize gaugeplotWebPointSize
#define glViewport gaugeplotWebViewport

// Polygons wait to be drawn together: every call the viewers make between primitives that changes
// what they would become draws them first. (A function-like macro does not expand within itself,
// so each still calls the real function.)
#define glClear(mask) (gaugeplotWebFlush(), glClear(mask))
#define glEnable(cap) (gaugeplotWebFlush(), glEnable(cap))
#define glDisable(cap) (gaugeplotWebFlush(), glDisable(cap))
#define glLightfv(light, name, params) (gaugeplotWebFlush(), glLightfv(light, name, params))
#define glLoadIdentity() (gaugeplotWebFlush(), glLoadIdentity())
#define glPopMatrix() (gaugeplotWebFlush(), glPopMatrix())
#define glRotatef(angle, x, y, z) (gaugeplotWebFlush(), glRotatef(angle, x, y, z))
#define glTranslatef(x, y, z) (gaugeplotWebFlush(), glTranslatef(x, y, z))
#define gluOrtho2D(left, right, bottom, top) (gaugeplotWebFlush(), gluOrtho2D(left, right, bottom, top))
#define gluPerspective(fovy, aspect, near, far) (gaugeplotWebFlush(), gluPerspective(fovy, aspect, near, far))
#define glutSwapBuffers() (gaugeplotWebFlush(), glutSwapBuffers())

#define glutInitWindowSize gaugeplotWebInitWindowSize
#define glutCreateWindow gaugeplotWebCreateWindow
#define glutGet gaugeplotWebGet
#define glutGetModifiers gaugeplotWebGetModifiers
#define glutDisplayFunc gaugeplotWebDisplayFunc
#define glutReshapeFunc gaugeplotWebReshapeFunc
#define glutKeyboardFunc gaugeplotWebKeyboardFunc
#define glutMouseFunc gaugeplotWebMouseFunc
#define glutMotionFunc gaugeplotWebMotionFunc
#define glutCreateMenu gaugeplotWebCreateMenu
#define glutAddMenuEntry gaugeplotWebAddMenuEntry
#define glutAttachMenu gaugeplotWebAttachMenu
#define glutDetachMenu gaugeplotWebDetachMenu
