// gaugeplot2d polygon store: the sketched polygons in window pixels, and the editing operations.
//
// Polygons are only ever added: none is deleted, reordered or reopened. A record that never got a
// vertex reads as one vertex at pixel (0, 0), since the table starts zero-filled.
#include "polygons.h"

#include <cstdlib>

#include <GL/glut.h>

#include "viewer.h"

namespace gaugeplot2d {

PolygonStore store;

namespace {

int manhattan(int x0, int y0, int x1, int y1) { return std::abs(x0 - x1) + std::abs(y0 - y1); }

// Stores a vertex position, in pixels and relative to the current window centre.
void placeVertex(Polygon& polygon, int slot, int x, int y)
{
    polygon.screenX[slot] = x;
    polygon.screenY[slot] = y;
    polygon.relX[slot] = x - centreX();
    polygon.relY[slot] = y - centreY();
}

}  // namespace

int finishedPolygons() { return store.activePolygon < 0 ? 0 : store.activePolygon; }

void startPolygon()
{
    // With every record finished there is no record left to start; the choice changes nothing.
    if (store.activePolygon == MaxPolygons)
        return;
    store.activePolygon++;
    store.activeVertexCount = 0;
    if (store.activePolygon == MaxPolygons)
        return;  // the last record is finished, and none is being drawn
    Polygon& polygon = store.polygons[store.activePolygon];
    polygon.screenX[0] = 0;
    polygon.screenY[0] = 0;
}

void addVertex()
{
    int k = store.activePolygon;
    int n = store.activeVertexCount;
    int x = viewer.mouseX;
    int y = viewer.mouseY;
    // No polygon being drawn, or no slot left in it: the click is ignored.
    bool stored = k >= 0 && k < MaxPolygons && n < MaxVertices;
    if (stored && n > 0) {
        const Polygon& polygon = store.polygons[k];
        stored = manhattan(x, y, polygon.screenX[n - 1], polygon.screenY[n - 1]) > VertexSpacing;
    }
    if (stored) {
        Polygon& polygon = store.polygons[k];
        polygon.lastVertex = n;
        placeVertex(polygon, n, x, y);
        store.activeVertexCount = n + 1;
    }
    glutPostRedisplay();
}

void pickVertex(int x, int y)
{
    for (int i = 0; i < finishedPolygons(); i++) {
        const Polygon& polygon = store.polygons[i];
        for (int j = 0; j <= polygon.lastVertex; j++) {
            if (manhattan(x, y, polygon.screenX[j], polygon.screenY[j]) <= store.pickRadius) {
                store.pickedPolygon = i;
                store.pickedVertex = j;
                return;
            }
        }
    }
    clearPick();
}

void clearPick()
{
    store.pickedPolygon = -1;
    store.pickedVertex = -1;
}

void dragVertex(int x, int y)
{
    if (store.pickedPolygon < 0 || store.pickedVertex < 0)
        return;
    placeVertex(store.polygons[store.pickedPolygon], store.pickedVertex, x, y);
    glutPostRedisplay();
}

}  // namespace gaugeplot2d
