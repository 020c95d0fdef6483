// gaugeplot3d polygon sketching: the polygon and edge-line tables, and clicks mapped onto the plane.
//
// The sketching plane is the scene's plane x = 0. A point of it has the plane coordinates
// (planeX, planeY) = (scene y, scene z); planeZ, the scene x, is 0 for every vertex.
#pragma once

namespace gaugeplot3d {

constexpr int MaxPolygons = 50;     // records in the polygon and edge-line tables
constexpr int VertexSlots = 20;     // vertices live in slots 1 to 19; slot 0 is never a vertex
constexpr int MaxDirections = 2048; // direction slots of the gauge and field tables; 0 to 319 used
constexpr int VertexSpacing = 25;   // a new vertex lies more than this from the last one (Manhattan pixels)
constexpr int PickRadius = 8;       // Manhattan pixels

struct Polygon {
    int screenX[VertexSlots] = {};   // window pixels at the last click or drag, 0 at the left edge
    int screenY[VertexSlots] = {};   // window pixels, 0 at the top edge, y down
    int vertexCount = 0;
    float planeZ[VertexSlots] = {};  // scene x; always 0
    float planeX[VertexSlots] = {};  // scene y
    float planeY[VertexSlots] = {};  // scene z
};

// Edge i joins vertex i to vertex i + 1, the last one back to vertex 1; it lies on the line
// a·planeX + b·planeY = 1 (c pairs with planeZ and is 0). An edge whose line passes through the
// origin has no such line: its coefficients are infinite or NaN.
struct EdgeLine {
    float c[VertexSlots] = {};
    float a[VertexSlots] = {};
    float b[VertexSlots] = {};
    float gauges[MaxDirections] = {};  // the polygon gauge by direction, from its latest evaluation
    float gauge = 0;                   // running sum during an evaluation, then the gauge
};

struct SketchState {
    Polygon polygons[MaxPolygons];
    EdgeLine edgeLines[MaxPolygons];
};

extern SketchState sketch;

// Plane coordinates seen through the window point (x, y) with the current camera and rotation.
// False, with nothing written, when they are not finite: the line of sight runs parallel to the plane.
bool mapWindowPoint(int x, int y, float* planeX, float* planeY);
// Maps the vertex's stored window position onto the plane; a non-finite result is not stored.
void mapVertexToPlane(int polygon, int vertex);
void computeEdgeLines(int polygon);

// Empties the record about to be sketched.
void startPolygon(int polygon);
// Appends the point (mouseX, mouseY) to the active polygon.
void addVertex();
void pickVertex(int x, int y);
void clearPick();
void dragVertex(int x, int y);

}  // namespace gaugeplot3d
