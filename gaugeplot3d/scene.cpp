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

// Each axis from one end to the other.
const float axisEnds[3][2][3] = {
    {{-0.3f, 0, 0}, {0.3f, 0, 0}},
    {{0, -1.5f, 0}, {0, 1.5f, 0}},
    {{0, 0, -0.3f}, {0, 0, 0.3f}},
};

// Vertex i of the polygon as a scene point (planeZ, planeX, planeY).
void setScenePoint(float to[3], const Polygon& p, int i)
{
    to[0] = p.planeZ[i];
    to[1] = p.planeX[i];
    to[2] = p.planeY[i];
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
    drawBeams(3, axisEnds, AxisHalfWidth, lineColor);
}

void drawPolygons()
{
    // Slot polygonCount holds the sketch under way; with a full table there is none.
    const int last = std::min(viewer.polygonCount, MaxPolygons - 1);
    for (int k = 0; k <= last; k++) {
        const Polygon& p = sketch.polygons[k];
        const float* color = k == viewer.activePolygon ? highlightColor : lineColor;
        const int n = std::min(p.vertexCount, VertexSlots - 1);
        // Edge i runs from vertex i to vertex i + 1, the last one back to vertex 1.
        float edges[VertexSlots][2][3];
        int count = 0;
        for (int i = 1; i < n; i++) {
            setScenePoint(edges[count][0], p, i);
            setScenePoint(edges[count++][1], p, i + 1);
        }
        if (n > 2) {  // two vertices make one beam, not a closed pair
            setScenePoint(edges[count][0], p, n);
            setScenePoint(edges[count++][1], p, 1);
        }
        drawBeams(count, edges, EdgeHalfWidth, color);
    }
}

}  // namespace gaugeplot3d
