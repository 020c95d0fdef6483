// gaugeplot2d polygon store: the sketched polygons in window pixels, and the editing operations.
#pragma once

namespace gaugeplot2d {

constexpr int MaxVertices = 50;   // vertex slots 0 to 49 per polygon
constexpr int MaxPolygons = 50;   // polygon records in the table
constexpr int VertexSpacing = 25; // a new vertex lies more than this from the last one (Manhattan pixels)

struct Polygon {
    int screenX[MaxVertices];  // window pixels, 0 at the left edge
    int screenY[MaxVertices];  // window pixels, 0 at the top edge, y down
    int lastVertex;            // vertices are slots 0 to lastVertex
    int relX[MaxVertices];     // screenX - windowWidth / 2 when stored or moved
    int relY[MaxVertices];     // screenY - windowHeight / 2 (y still down)
    float gauge;               // the polygon gauge at the current query point
};

// Polygons 0 to activePolygon - 1 are finished; activePolygon is the one being drawn.
// When every record is finished, activePolygon is MaxPolygons and there is none being drawn.
struct PolygonStore {
    Polygon polygons[MaxPolygons] = {};
    int activePolygon = -1;      // -1 before the first "new polygon"
    int activeVertexCount = 0;   // vertices of the active polygon, also its next free slot
    int pickedPolygon = -1;      // the vertex held for dragging; -1, -1 when none
    int pickedVertex = -1;
    int pickRadius = 8;          // Manhattan pixels
};

extern PolygonStore store;

// Number of finished polygons: they take part in the field value, the picking and the listing.
int finishedPolygons();

// Finishes the active polygon and makes the next record active.
void startPolygon();
// Appends the point (mouseX, mouseY) to the active polygon.
void addVertex();
void pickVertex(int x, int y);
void clearPick();
void dragVertex(int x, int y);

}  // namespace gaugeplot2d
