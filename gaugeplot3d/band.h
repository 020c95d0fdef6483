// gaugeplot3d level band: the unit level curve of the field value, drawn as a closed shaded tube.
#pragma once

namespace gaugeplot3d {

constexpr int BandHalfSize = 40;                   // directions are integer points on the square's boundary
constexpr int BandDirections = 8 * BandHalfSize;   // 320, counter-clockwise from the corner (40, -40)
constexpr int MaxBandPoints = 2000;
constexpr float BandHalfThickness = 0.15f;         // scene units across the sketching plane

// Scratch of one pass, filled before any face is drawn: scene points (x, y, z), x across the plane.
struct BandState {
    float outerPoints[MaxBandPoints][3] = {};
    float innerPoints[MaxBandPoints][3] = {};
};

extern BandState band;

// Direction n of the band walk, as an integer point (x, y) of the plane.
void bandDirection(int n, int* x, int* y);

// Samples the level ring into outerPoints and innerPoints, bringing the field value up to date on
// the way; the requests stay pending.
void sampleLevelRing();
// Samples the level ring, draws the band's 1280 faces and clears the field requests.
void drawLevelBand();

}  // namespace gaugeplot3d
