// gaugeplot3d scene: the frame, with the level band, the coordinate axes and the polygon edges.
//
// Every frame is drawn from the state alone; nothing is cached between frames.
#include "scene.h"

#include <algorithm>

#include <GL/glut.h>

#include "band.h"
#include "shading.h"
#include "sketch.h"
#include "viewer.h"

namespace gaugeplot3d {

namespace {

const float lineColor[3] = {0.15f, 0.3f, 0.3f};
const float highlightColor[3] = {0.6f, 0.3f, 0.3f};  // the active polygon's edges

struct Axis {
    float from[3];
    float to[3];
};

const Axis axes[] = {
    {{-0.3f, 0, 0}, {0.3f, 0, 0}},
    {{0, -1.5f, 0}, {0, 1.5f, 0}},
    {{0, 0, -0.3f}, {0, 0, 0.3f}},
};

// Edge beam from vertex i to vertex j, in scene coordinates (planeZ, planeX, planeY).
void drawEdge(const Polygon& p, int i, int j, const float color[3])
{
    drawBeam(p.planeZ[i], p.planeX[i], p.planeY[i], p.planeZ[j], p.planeX[j], p.planeY[j],
             EdgeHalfWidth, color);
}

}  // namespace

void onDisplay()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glPushMatrix();
        // Degrees as they are: GL turns about y first, then about x, then applies the camera.
        glRotatef(viewer.angleX, 1, 0, 0);
        glRotatef(viewer.angleY, 0, 1, 0);
        if (viewer.polygonCount > 0)
            drawLevelBand();
        if (viewer.showPolygons) {
            drawAxes();
            drawPolygons();
        }
    glPopMatrix();
    glutSwapBuffers();
}

void drawAxes()
{
    for (const Axis& axis : axes)
        drawBeam(axis.from[0], axis.from[1], axis.from[2], axis.to[0], axis.to[1], axis.to[2],
                 AxisHalfWidth, lineColor);
}

void drawPolygons()
{
    // Slot polygonCount holds the sketch under way; with a full table there is none.
    const int last = std::min(viewer.polygonCount, MaxPolygons - 1);
    for (int k = 0; k <= last; k++) {
        const Polygon& p = sketch.polygons[k];
        const float* color = k == viewer.activePolygon ? highlightColor : lineColor;
        const int n = p.vertexCount;
        for (int i = 1; i < n; i++)
            drawEdge(p, i, i + 1, color);
        if (n > 2)
            drawEdge(p, n, 1, color);  // two vertices make one beam, not a closed pair
    }
}

}  // namespace gaugeplot3d
