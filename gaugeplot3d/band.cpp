// gaugeplot3d level band: the unit level curve of the field value, drawn as a closed shaded tube.
#include "band.h"

#include <cmath>

#include "field.h"
#include "lanes.h"
#include "shading.h"
#include "viewer.h"

namespace gaugeplot3d {

BandState band;

namespace {

const float bandColor[3] = {0.4f, 0.6f, 0.6f};

void setPoint(float to[3], float x, float y, float z)
{
    to[0] = x;
    to[1] = y;
    to[2] = z;
}

bool isFinite(const float p[3]) { return std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]); }

// Direction n's level points moved across the plane to both faces of the band, side by side:
// outer −, outer +, inner −, inner +; measured against the light. False where a field value of 0
// or NaN left a level point infinite or undefined.
bool bandSide(int n, PointLanes& side)
{
    const float* outer = band.outerPoints[n];
    const float* inner = band.innerPoints[n];
    if (!isFinite(outer) || !isFinite(inner))
        return false;
    using lanes::Floats;
    const Floats thickness = {-BandHalfThickness, BandHalfThickness, -BandHalfThickness, BandHalfThickness};
    side.x = Floats{outer[0], outer[0], inner[0], inner[0]} + thickness;
    side.y = Floats{outer[1], outer[1], inner[1], inner[1]};
    side.z = Floats{outer[2], outer[2], inner[2], inner[2]};
    measureLight(side);
    return true;
}

// Something of corner i of the four quads between directions n and m, from the same of the points
// at n (lanes 0 to 3 of the shuffles) and at m (lanes 4 to 7).
template <class Lanes>
void spreadCorners(Lanes n, Lanes m, Lanes corner[4])
{
    corner[0] = __builtin_shufflevector(n, m, 0, 1, 0, 2);  // outer N −, outer N +, outer N −, inner N −
    corner[1] = __builtin_shufflevector(n, m, 1, 3, 4, 3);  // outer N +, inner N +, outer M −, inner N +
    corner[2] = __builtin_shufflevector(n, m, 4, 5, 2, 6);  // outer M −, outer M +, inner N −, inner M −
    corner[3] = __builtin_shufflevector(n, m, 5, 7, 6, 7);  // outer M +, inner M +, inner M −, inner M +
}

// The four quads of the band between the sides at directions n and m, side by side in the order
// they are drawn: outer wall, side at x = +0.15, side at x = −0.15, inner wall, and their corners'
// distances to the light. Corners in grid order; normals point away from the origin on both walls,
// away from the plane on both sides.
void segmentQuads(const PointLanes& n, const PointLanes& m, QuadCorners& quads, lanes::Doubles lightLength[4])
{
    spreadCorners(n.x, m.x, quads.x);
    spreadCorners(n.y, m.y, quads.y);
    spreadCorners(n.z, m.z, quads.z);
    spreadCorners(n.lightDistance, m.lightDistance, lightLength);
}

}  // namespace

void bandDirection(int n, int* x, int* y)
{
    const int side = 2 * BandHalfSize;  // samples per side; each corner is sampled once
    int i = n % side;
    switch (n / side) {
    case 0: *x = BandHalfSize; *y = -BandHalfSize + i; break;   // up the right side
    case 1: *x = BandHalfSize - i; *y = BandHalfSize; break;    // left along the top
    case 2: *x = -BandHalfSize; *y = BandHalfSize - i; break;   // down the left side
    default: *x = -BandHalfSize + i; *y = -BandHalfSize; break; // right along the bottom
    }
}

void sampleLevelRing()
{
    // With a request pending, the field is brought up to date a group of directions at a time.
    static_assert(BandDirections % GroupDirections == 0, "the band's directions fill whole groups");
    field.queryZ = 0;
    for (int first = 0; first < BandDirections; first += GroupDirections) {
        float groupX[GroupDirections], groupY[GroupDirections];
        for (int i = 0; i < GroupDirections; i++) {
            int x, y;
            bandDirection(first + i, &x, &y);
            groupX[i] = float(x);
            groupY[i] = float(y);
        }
        if (viewer.fieldDirty)
            updateFieldGroup(first, groupX, groupY);
        for (int i = 0; i < GroupDirections; i++) {
            const int n = first + i;
            field.queryX = groupX[i];
            field.queryY = groupY[i];
            placeLevelPoints(n);
            setPoint(band.outerPoints[n], field.queryZ, field.queryX, field.queryY);
            setPoint(band.innerPoints[n], field.innerZ, field.innerX, field.innerY);
        }
    }
}

void drawLevelBand()
{
    sampleLevelRing();

    // Each direction's points are moved and measured once, for both segments that share them; a
    // segment with a point that is not finite is left out. Segments are shaded a batch at a time
    // before any of them is drawn, so that their long chains of square roots and divisions overlap.
    PointLanes start, sides[2];
    const bool startFinite = bandSide(0, start);
    bool finite[2] = {startFinite, false};
    sides[0] = start;
    constexpr int Batch = 16;
    for (int first = 0; first < BandDirections; first += Batch) {
        ShadedQuads segments[Batch];
        int count = 0;
        for (int n = first; n < first + Batch && n < BandDirections; n++) {
            const int here = n % 2, next = (n + 1) % 2;
            if (n + 1 < BandDirections) {
                finite[next] = bandSide(n + 1, sides[next]);
            } else {
                finite[next] = startFinite;  // the last segment closes the ring
                sides[next] = start;
            }
            if (finite[here] && finite[next]) {
                QuadCorners quads;
                lanes::Doubles lightLength[4];
                segmentQuads(sides[here], sides[next], quads, lightLength);
                shadeQuads(quads, lightLength, bandColor, segments[count++]);
            }
        }
        for (int j = 0; j < count; j++)
            outlineQuads(segments[j], QuadLanes);
    }

    // Only now: every request pending at the start has reached all directions.
    clearRequests();
}

}  // namespace gaugeplot3d
