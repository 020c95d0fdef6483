// gaugeplot2d start-up and input: the window, the pop-up menu, and the GLUT callbacks.
#pragma once

namespace gaugeplot2d {

// What a left click or a left drag does; chosen from the pop-up menu.
enum EditMode {
    Idle = 0,
    NewPolygon = 1,
    Change = 2,
    Function = 3,
    PolygonDraw = 4,
};

// Values the pop-up menu hands to onMenu.
enum MenuValue {
    MenuExit = 0,
    MenuNewPolygon = 1,
    MenuChange = 2,
    MenuFunction = 3,
    MenuPolygonDraw = 4,
    MenuPrintValues = 5,
};

// The exponent of the polygon gauges and of their blend.
constexpr float GaugeExponent = 6.0f;

struct ViewerState {
    int windowWidth = 640;   // pixels; replaced by every reshape
    int windowHeight = 480;
    EditMode editMode = Idle;
    int mouseX = 0;          // last button or motion event, pixels from the top-left, y down
    int mouseY = 0;
    int mouseButton = 0;     // GLUT number of the last button event
};

extern ViewerState viewer;

// The window centre in pixels: integer halves of the window size.
int centreX();
int centreY();

void initWindow();
void initMenu();
void initGL();

void onDisplay();
void onReshape(int width, int height);
void onKeyboard(unsigned char key, int x, int y);
void onMouse(int button, int state, int x, int y);
void onMotion(int x, int y);
void onMenu(int value);

}  // namespace gaugeplot2d
