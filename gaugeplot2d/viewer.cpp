// gaugeplot2d start-up and input: the window, the pop-up menu, and the GLUT callbacks.
//
// Input handlers only change state and call the editing operations; every one that does not end
// the process asks for a redisplay, and onDisplay redraws everything from the state.
#include "viewer.h"

#include <cstdlib>

#include <GL/glut.h>

#include "drawing.h"
#include "field.h"
#include "polygons.h"

namespace gaugeplot2d {

namespace {

constexpr int EscKey = 27;

struct MenuItem {
    const char* label;
    int value;
};

const MenuItem menuItems[] = {
    {"new polygon", MenuNewPolygon},
    {"change", MenuChange},
    {"Yontsal Function", MenuFunction},
    {"Polygon Draw", MenuPolygonDraw},
    {"Print Values", MenuPrintValues},
    {"[Esc] Exit", MenuExit},
};

}  // namespace

ViewerState viewer;

int centreX() { return viewer.windowWidth / 2; }
int centreY() { return viewer.windowHeight / 2; }

void initWindow()
{
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);

    // Centred on the screen; (50, 50) when GLUT cannot tell the screen size.
    int x = 50;
    int y = 50;
    int screenWidth = glutGet(GLUT_SCREEN_WIDTH);
    int screenHeight = glutGet(GLUT_SCREEN_HEIGHT);
    if (screenWidth >= 1 && screenHeight >= 1) {
        x = (screenWidth - viewer.windowWidth) / 2;
        y = (screenHeight - viewer.windowHeight) / 2;
    }
    glutInitWindowPosition(x, y);
    glutInitWindowSize(viewer.windowWidth, viewer.windowHeight);
    glutCreateWindow("Glut window");

    glutDisplayFunc(onDisplay);
    glutReshapeFunc(onReshape);
    glutKeyboardFunc(onKeyboard);
    glutMouseFunc(onMouse);
    glutMotionFunc(onMotion);
}

void initMenu()
{
    glutCreateMenu(onMenu);
    for (const MenuItem& item : menuItems)
        glutAddMenuEntry(item.label, item.value);
    glutAttachMenu(GLUT_RIGHT_BUTTON);
}

void initGL()
{
    static const GLfloat diffuse[] = {1, 1, 1, 1};
    static const GLfloat specular[] = {1, 1, 1, 1};
    static const GLfloat ambient[] = {0.1f, 0.1f, 0.1f, 0.1f};
    static const GLfloat position[] = {-60, 80, 100, 0};

    glClearColor(0.7f, 0.8f, 0.8f, 0.0f);
    glDisable(GL_DEPTH_TEST);
    // Light 0 is set up, but lighting stays off: every primitive shows its plain colour.
    glDisable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, specular);
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_POSITION, position);
}

void onDisplay()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glPushMatrix();
    drawLevelBand(GaugeExponent);
    glPopMatrix();
    glutSwapBuffers();
}

void onReshape(int width, int height)
{
    // One unit per pixel, origin at the top-left, y down: the same as GLUT's mouse positions.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glViewport(0, 0, width, height);
    gluOrtho2D(0, width, height, 0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    viewer.windowWidth = width;
    viewer.windowHeight = height;
}

void onKeyboard(unsigned char key, int x, int y)
{
    (void)x; (void)y;  // Unused
    if (key == EscKey)
        std::exit(0);
    glutPostRedisplay();
}

void onMouse(int button, int state, int x, int y)
{
    viewer.mouseButton = button;
    viewer.mouseX = x;
    viewer.mouseY = y;
    if (state != GLUT_DOWN) {
        clearPick();
    } else if (button == GLUT_LEFT_BUTTON) {
        if (viewer.editMode == NewPolygon)
            addVertex();
        else if (viewer.editMode == Change)
            pickVertex(x, y);
    }
    glutPostRedisplay();
}

void onMotion(int x, int y)
{
    if (viewer.mouseButton == GLUT_LEFT_BUTTON && viewer.editMode == Change)
        dragVertex(x, y);
    viewer.mouseX = x;
    viewer.mouseY = y;
    glutPostRedisplay();
}

void onMenu(int value)
{
    switch (value) {
    case MenuExit:
        std::exit(1);
    case MenuNewPolygon:
        startPolygon();
        viewer.editMode = NewPolygon;
        break;
    case MenuChange: viewer.editMode = Change; break;
    case MenuFunction: viewer.editMode = Function; break;
    case MenuPolygonDraw: viewer.editMode = PolygonDraw; break;
    case MenuPrintValues: printValues(); break;
    default: break;  // not an entry: nothing changes
    }
    glutPostRedisplay();
}

}  // namespace gaugeplot2d
