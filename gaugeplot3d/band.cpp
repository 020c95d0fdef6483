// gaugeplot3d level band: the unit level curve of the field value, drawn as a closed shaded tube.
#include "band.h"

#include <cmath>

#include "field.h"
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

// The point moved across the sketching plane to one face of the band: side is +1 or -1.
void offset(float to[3], const float from[3], float side)
{
    setPoint(to, from[0] + side * BandHalfThickness, from[1], from[2]);
}

void drawSegment(int n, int m)
{
    const float* outerN = band.outerPoints[n];
    const float* outerM = band.outerPoints[m];
    const float* innerN = band.innerPoints[n];
    const float* innerM = band.innerPoints[m];
    // A field value of 0 or NaN leaves a level point infinite or undefined: the segment is left out.
    if (!isFinite(outerN) || !isFinite(outerM) || !isFinite(innerN) || !isFinite(innerM))
        return;

    // Corners in grid order; normals point away from the origin on both walls, away from the
    // plane on both sides.
    float quads[4][4][3];

    // outer wall
    offset(quads[0][0], outerN, -1);
    offset(quads[0][1], outerN, +1);
    offset(quads[0][2], outerM, -1);
    offset(quads[0][3], outerM, +1);
    // side at x = +0.15
    offset(quads[1][0], outerN, +1);
    offset(quads[1][1], innerN, +1);
    offset(quads[1][2], outerM, +1);
    offset(quads[1][3], innerM, +1);
    // side at x = -0.15
    offset(quads[2][0], outerN, -1);
    offset(quads[2][1], outerM, -1);
    offset(quads[2][2], innerN, -1);
    offset(quads[2][3], innerM, -1);
    // inner wall
    offset(quads[3][0], innerN, -1);
    offset(quads[3][1], innerN, +1);
    offset(quads[3][2], innerM, -1);
    offset(quads[3][3], innerM, +1);
    drawShadedQuads(4, quads, bandColor);
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

void drawLevelBand()
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

    for (int n = 0; n < BandDirections; n++)
        drawSegment(n, (n + 1) % BandDirections);

    // Only now: every request pending at the start has reached all directions.
    clearRequests();
}

}  // namespace gaugeplot3d
