// gaugeplot3d polygon sketching: the polygon and edge-line tables, and clicks mapped onto the plane.
//
// A vertex's plane position is fixed when it is clicked or dragged, with the rotation and window
// size of that moment; it is not recomputed when the view changes later.
#include "sketch.h"

#include <cmath>
#include <cstdlib>

#include <GL/glut.h>

#include "field.h"
#include "lanes.h"
#include "viewer.h"

namespace gaugeplot3d {

SketchState sketch;

namespace {

int manhattan(int x0, int y0, int x1, int y1) { return std::abs(x0 - x1) + std::abs(y0 - y1); }

}  // namespace

bool mapWindowPoint(int x, int y, float* planeX, float* planeY)
{
    const float sX = viewer.sinAngleX, cX = viewer.cosAngleX;
    const float sY = viewer.sinAngleY, cY = viewer.cosAngleY;
    const float t = viewer.cameraZ;

    // The window spans -1 to +1 on the near plane, v up.
    float u = 2.0f * float(x) / float(viewer.windowWidth) - 1.0f;
    float v = 2.0f * float(viewer.windowHeight - y) / float(viewer.windowHeight) - 1.0f;
    float d = -viewer.nearPlane - t;

    // Undo the rotation about x, then the one about y: the clicked point N in scene coordinates.
    float y1 = sX * d + cX * v;
    float z1 = cX * d - sX * v;
    float x2 = cY * u - sY * z1;
    float z2 = cY * z1 + sY * u;

    // The eye E in scene coordinates, and where the line of sight from E through N meets x = 0.
    float eyeX = t * cX * sY;
    float eyeY = -t * sX;
    float eyeZ = -t * cX * cY;
    float lambda = eyeX / (eyeX - x2);
    float px = (1 - lambda) * eyeY + lambda * y1;
    float py = (1 - lambda) * eyeZ + lambda * z2;
    if (!std::isfinite(px) || !std::isfinite(py))
        return false;
    *planeX = px;
    *planeY = py;
    return true;
}

void mapVertexToPlane(int polygon, int vertex)
{
    Polygon& p = sketch.polygons[polygon];
    float x, y;
    if (!mapWindowPoint(p.screenX[vertex], p.screenY[vertex], &x, &y))
        return;
    p.planeX[vertex] = x;
    p.planeY[vertex] = y;
    p.planeZ[vertex] = 0;
}

void computeEdgeLines(int polygon)
{
    const Polygon& p = sketch.polygons[polygon];
    EdgeLine& line = sketch.edgeLines[polygon];
    int n = p.vertexCount;
    for (int i = 1; i <= n; i++) {
        int j = i < n ? i + 1 : 1;
        // Zero for an edge through the origin or with coincident vertices: stored as IEEE gives it.
        float m = lanes::roundToFloat(double(p.planeX[i]) * p.planeY[j] - double(p.planeX[j]) * p.planeY[i]);
        line.a[i] = float((double(p.planeY[j]) - p.planeY[i]) / m);
        line.b[i] = float((double(p.planeX[i]) - p.planeX[j]) / m);
        line.c[i] = 0;
    }
}

void startPolygon(int polygon) { sketch.polygons[polygon].vertexCount = 0; }

void addVertex()
{
    Polygon& p = sketch.polygons[viewer.activePolygon];
    int n = p.vertexCount;
    int x = viewer.mouseX;
    int y = viewer.mouseY;
    if (n == VertexSlots - 1)
        return;  // every slot taken
    if (n > 0 && manhattan(x, y, p.screenX[n], p.screenY[n]) <= VertexSpacing)
        return;
    float planeX, planeY;
    if (!mapWindowPoint(x, y, &planeX, &planeY))
        return;

    n++;
    p.vertexCount = n;
    p.screenX[n] = x;
    p.screenY[n] = y;
    mapVertexToPlane(viewer.activePolygon, n);
}

void pickVertex(int x, int y)
{
    for (int i = 0; i < viewer.polygonCount; i++) {
        const Polygon& p = sketch.polygons[i];
        for (int j = 1; j <= p.vertexCount; j++) {
            if (manhattan(x, y, p.screenX[j], p.screenY[j]) <= PickRadius) {
                viewer.pickedPolygon = i;
                viewer.pickedVertex = j;
                viewer.activePolygon = i;
                return;
            }
        }
    }
    clearPick();
}

void clearPick()
{
    viewer.pickedPolygon = -1;
    viewer.pickedVertex = -1;
}

void dragVertex(int x, int y)
{
    if (viewer.pickedPolygon < 0 || viewer.pickedVertex < 0)
        return;
    float planeX, planeY;
    if (!mapWindowPoint(x, y, &planeX, &planeY))
        return;  // seen edge-on: the vertex stays where it was

    Polygon& p = sketch.polygons[viewer.pickedPolygon];
    p.screenX[viewer.pickedVertex] = x;
    p.screenY[viewer.pickedVertex] = y;
    mapVertexToPlane(viewer.pickedPolygon, viewer.pickedVertex);
    // The pick made the picked polygon active.
    computeEdgeLines(viewer.activePolygon);
    requestReplace(viewer.activePolygon);
    glutPostRedisplay();
}

}  // namespace gaugeplot3d
