// gaugeplot3d start-up and input: the window, the camera, the pop-up menu, and the GLUT callbacks.
#pragma once

namespace gaugeplot3d {

// What a left click or a left drag does; chosen from the pop-up menu.
enum EditMode {
    Idle = 0,
    NewPolygon = 1,
    Change = 2,
};

// Values the pop-up menu hands to onMenu.
enum MenuValue {
    MenuExit = 0,
    MenuNewPolygon = 1,
    MenuChange = 2,
    MenuFunction = 3,
    MenuShowPolygons = 4,
};

// Degrees to radians with pi taken as 3.14: the cached sines and cosines, and so the click
// mapping, use this; glRotatef gets the degrees and converts them with its own pi.
constexpr double RadiansPerDegree = 3.14 / 180;

constexpr float StartAngleX = 400.0f;   // degrees; angles are never wrapped into 0..360
constexpr float StartAngleY = 1200.0f;

// Sine and cosine of an angle in degrees, taken in double and rounded to float.
float sineOfDegrees(float degrees);
float cosineOfDegrees(float degrees);

struct ViewerState {
    int windowWidth = 640;        // pixels; replaced by every reshape
    int windowHeight = 640;
    float nearPlane = 0;          // camera constants, set by every reshape (before any input or frame)
    float farPlane = 0;
    float cameraZ = 0;
    float angleX = StartAngleX;   // scene rotation in degrees: about x, applied after the one about y
    float angleY = StartAngleY;
    float sinAngleX = sineOfDegrees(StartAngleX);
    float cosAngleX = cosineOfDegrees(StartAngleX);
    float sinAngleY = sineOfDegrees(StartAngleY);
    float cosAngleY = cosineOfDegrees(StartAngleY);
    EditMode editMode = Idle;
    int showPolygons = 1;         // draw the axes and the polygon edges
    int polygonCount = 0;         // finished polygons; the one being sketched has this index
    int activePolygon = 0;        // being sketched, else last finished or last picked
    int pickedPolygon = -1;       // the vertex held for dragging; -1, -1 when none
    int pickedVertex = -1;
    int fieldDirty = 0;           // requests served, and cleared, by the next band pass
    int addActive = 0;
    int replaceActive = 0;
    int mouseX = 0;               // last button or motion event, pixels from the top-left, y down
    int mouseY = 0;
    int mouseButton = 0;          // GLUT number of the last button event
    int rotating = 0;             // a left drag turns the scene
};

extern ViewerState viewer;

void initWindow();
void initMenu();
void initGL();
// Start angles and their cached sines and cosines.
void initAngles();

void onReshape(int width, int height);
void onKeyboard(unsigned char key, int x, int y);
void onMouse(int button, int state, int x, int y);
void onMotion(int x, int y);
void onMenu(int value);

}  // namespace gaugeplot3d
