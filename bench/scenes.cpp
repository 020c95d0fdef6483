// Benchmark scenes for both viewers, built straight into their tables (no clicks, no GL calls).
#include "scenes.h"

#include <cmath>

// Both viewers' headers declare the same names in their own namespaces.
#include "gaugeplot2d/field.h"
#include "gaugeplot2d/polygons.h"
#include "gaugeplot2d/viewer.h"
#include "gaugeplot3d/band.h"
#include "gaugeplot3d/field.h"
#include "gaugeplot3d/shading.h"
#include "gaugeplot3d/sketch.h"
#include "gaugeplot3d/viewer.h"

namespace bench {

namespace {

constexpr double Pi = 3.14159265358979323846;

// Point j of `count` points spread over a turn, on the ellipse with the given half-axes, the
// first point turned by `turn` 50ths of a turn.
void ringPoint(int j, int count, int turn, double halfWidth, double halfHeight, double* x, double* y)
{
    const double angle = 2 * Pi * (double(j) / count + turn / 50.0);
    *x = halfWidth * std::cos(angle);
    *y = halfHeight * std::sin(angle);
}

}  // namespace

void buildScene2d(int polygons, int vertices)
{
    using namespace gaugeplot2d;
    viewer = ViewerState();
    store = PolygonStore();
    field = FieldState();
    for (int k = 0; k < polygons; k++) {
        Polygon& p = store.polygons[k];
        p.lastVertex = vertices - 1;
        for (int j = 0; j < vertices; j++) {
            double x, y;
            // Half-axes 110..306 by 100..227 pixels: inside the window, at least 12 pixels apart.
            ringPoint(j, vertices, k % 7, 110 + 4 * k, 100 + 2.6 * k, &x, &y);
            p.relX[j] = int(std::lround(x));
            p.relY[j] = int(std::lround(y));
            p.screenX[j] = p.relX[j] + centreX();
            p.screenY[j] = p.relY[j] + centreY();
        }
    }
    // With none, the state before the first "new polygon"; else a fresh record being drawn
    // (when one is left), which takes no part in the band.
    store.activePolygon = polygons == 0 ? -1 : polygons;
}

void levelPoints2d(float (*outer)[2], float (*inner)[2])
{
    using namespace gaugeplot2d;
    for (int n = 0; n < BandDirections; n++) {
        int x, y;
        bandDirection(n, &x, &y);
        outer[n][0] = float(x);
        outer[n][1] = float(y);
    }
    bandLevelPoints(BandDirections, outer, inner, GaugeExponent);
}

void buildScene3d(int polygons, int vertices, double lastScale)
{
    using namespace gaugeplot3d;
    viewer = ViewerState();
    sketch = SketchState();
    field = FieldState();
    band = BandState();
    shading = ShadingState();
    for (int k = 0; k < polygons; k++) {
        Polygon& p = sketch.polygons[k];
        p.vertexCount = vertices;
        for (int j = 1; j <= vertices; j++) {
            double x, y;
            // Plane units: half-axes 0.4..1.38 by 0.9..0.41, all around the origin.
            ringPoint(j - 1, vertices, k % 5, 0.4 + 0.02 * k, 0.9 - 0.01 * k, &x, &y);
            const double scale = k == polygons - 1 ? lastScale : 1;
            p.planeX[j] = float(scale * x);
            p.planeY[j] = float(scale * y);
        }
        computeEdgeLines(k);
        viewer.activePolygon = k;
        viewer.polygonCount = k + 1;
        requestAdd(k);
        fieldPass3d();
    }
}

void fieldPass3d(float (*outer)[2])
{
    using namespace gaugeplot3d;
    sampleLevelRing();
    if (outer) {
        for (int n = 0; n < BandDirections; n++) {
            outer[n][0] = band.outerPoints[n][1];  // scene (x, y, z) is (queryZ, queryX, queryY)
            outer[n][1] = band.outerPoints[n][2];
        }
    }
    clearRequests();
}

}  // namespace bench
