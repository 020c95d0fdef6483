// gaugeplot3d start-up and input: the window, the camera, the pop-up menu, and the GLUT callbacks.
//
// Input handlers only change state and call the sketching operations; every one that does not end
// the process asks for a redisplay, and onDisplay redraws everything from the state.
#include "viewer.h"

#include <cmath>
#include <cstdlib>

#include <GL/glut.h>

#include "field.h"
#include "scene.h"
#include "sketch.h"

namespace gaugeplot3d {

namespace {

constexpr int EscKey = 27;

constexpr float NearPlane = 5.0f;   // scene units from the eye; the near plane shows about ±1
constexpr float FarPlane = 8.0f;
constexpr float CameraZ = -6.0f;    // puts the scene origin 6 units in front of the eye
constexpr double FullDegreesPerHalfRadian = 360 / 3.14;  // full field-of-view angle from its half, pi as 3.14

struct MenuItem {
    const char* label;
    int value;
};

const MenuItem menuItems[] = {
    {"New Polygon", MenuNewPolygon},
    {"Change", MenuChange},
    {"Yontsal Function", MenuFunction},
    {"Show/Hide Polygons", MenuShowPolygons},
    {"[Esc] Exit", MenuExit},
};

void updateAngleCache()
{
    viewer.sinAngleX = sineOfDegrees(viewer.angleX);
    viewer.cosAngleX = cosineOfDegrees(viewer.angleX);
    viewer.sinAngleY = sineOfDegrees(viewer.angleY);
    viewer.cosAngleY = cosineOfDegrees(viewer.angleY);
}

}  // namespace

ViewerState viewer;

float sineOfDegrees(float degrees) { return float(std::sin(degrees * RadiansPerDegree)); }
float cosineOfDegrees(float degrees) { return float(std::cos(degrees * RadiansPerDegree)); }

void initWindow()
{
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);

    // Centred on the screen, possibly partly off it; (50, 50) when GLUT cannot tell the screen size.
    int x = 50;
    int y = 50;
    int screenWidth = glutGet(GLUT_SCREEN_WIDTH);
    int screenHeight = glutGet(GLUT_SCREEN_HEIGHT);
    if (screenWidth > 0 && screenHeight > 0) {
        x = (screenWidth - viewer.windowWidth) / 2;
        y = (screenHeight - viewer.windowHeight) / 2;
    }
    glutInitWindowPosition(x, y);
    glutInitWindowSize(viewer.windowWidth, viewer.windowHeight);
    glutCreateWindow("Lumvar2D");

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
    glClearColor(0.075f, 0.15f, 0.15f, 0.0f);
    glEnable(GL_DEPTH_TEST);
    // Every corner gets the colour that the shading module computes; GL lighting would override it.
    glDisable(GL_LIGHTING);
}

void initAngles()
{
    viewer.angleX = StartAngleX;
    viewer.angleY = StartAngleY;
    updateAngleCache();
}

void onReshape(int width, int height)
{
    viewer.windowWidth = width;
    viewer.windowHeight = height;
    viewer.nearPlane = NearPlane;
    viewer.farPlane = FarPlane;
    viewer.cameraZ = CameraZ;

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glViewport(0, 0, width, height);
    // The full angle whose half has the tangent 1/near: the near plane reaches about ±1, which the
    // click mapping takes as exact. The aspect stays 1 whatever the window's shape.
    float fov = float(std::atan2(1.0 / viewer.nearPlane, 1.0) * FullDegreesPerHalfRadian);
    gluPerspective(fov, 1.0, viewer.nearPlane, viewer.farPlane);

    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0, 0, viewer.cameraZ);
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
    viewer.mouseX = x;
    viewer.mouseY = y;
    bool alt = (glutGetModifiers() & GLUT_ACTIVE_ALT) != 0;

    if (state == GLUT_UP) {
        viewer.rotating = 0;
        clearPick();
    } else if (button == GLUT_LEFT_BUTTON) {
        if (alt)
            viewer.rotating = 1;
        else if (viewer.editMode == NewPolygon)
            addVertex();
        else if (viewer.editMode == Change)
            pickVertex(x, y);
    } else if (button == GLUT_RIGHT_BUTTON) {
        // Only reached outside Idle: in Idle the attached menu takes the right button.
        if (viewer.editMode == NewPolygon) {
            computeEdgeLines(viewer.activePolygon);
            viewer.polygonCount++;
            requestAdd(viewer.activePolygon);
        }
        viewer.editMode = Idle;
        glutAttachMenu(GLUT_RIGHT_BUTTON);
    }

    viewer.mouseButton = button;
    glutPostRedisplay();
}

void onMotion(int x, int y)
{
    if (viewer.mouseButton == GLUT_LEFT_BUTTON) {
        if (viewer.rotating) {
            // One degree per pixel, against the previous event: down turns about x, right about y.
            viewer.angleX += y - viewer.mouseY;
            viewer.angleY += x - viewer.mouseX;
            updateAngleCache();
        }
        if (viewer.editMode == Change)
            dragVertex(x, y);
    }
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
        // A full table refuses the command: there is no record left to sketch into.
        if (viewer.polygonCount >= MaxPolygons)
            break;
        viewer.activePolygon = viewer.polygonCount;
        startPolygon(viewer.activePolygon);
        viewer.editMode = NewPolygon;
        glutDetachMenu(GLUT_RIGHT_BUTTON);
        break;
    case MenuChange:
        viewer.editMode = Change;
        glutDetachMenu(GLUT_RIGHT_BUTTON);
        viewer.showPolygons = 1;
        break;
    case MenuFunction:
        computeEdgeLines(viewer.activePolygon);
        requestAdd(viewer.activePolygon);
        break;
    case MenuShowPolygons:
        viewer.showPolygons = viewer.showPolygons == 0 ? 1 : 0;
        break;
    default:
        break;  // not an entry: nothing changes
    }
    glutPostRedisplay();
}

}  // namespace gaugeplot3d
