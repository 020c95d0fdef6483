// gaugeplot3d: sketch polygons in a rotatable 3D scene and see the unit level curve of their blended gauges.
//
// Controls:
//   right button        pop-up menu (in Idle): "New Polygon", "Change", "Yontsal Function",
//                       "Show/Hide Polygons", "[Esc] Exit" (status 1)
//   left click          in "New Polygon": add a vertex (more than 25 pixels from the last one)
//   right click         in "New Polygon": finish the polygon; in "Change": back to Idle
//   left drag           in "Change": move the vertex picked within 8 pixels of the press
//   Alt + left drag     turn the scene, one degree per pixel
//   Esc                 quit (status 0)
#include <GL/glut.h>

#include "viewer.h"

int main(int argc, char** argv)
{
    using namespace gaugeplot3d;
    glutInit(&argc, argv);
    initWindow();
    initMenu();
    initGL();
    initAngles();
    glutMainLoop();
    return 0;
}
