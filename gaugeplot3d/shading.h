// gaugeplot3d shaded primitives: quads coloured from a fixed light point, and beams built of them.
//
// OpenGL lighting stays off; every corner gets its own colour here and GL interpolates across the
// face. All coordinates are scene coordinates, so the light turns with the scene.
#pragma once

#include <cstdint>

#include "lanes.h"

namespace gaugeplot3d {

constexpr int RandomMax = 32767;  // the generator's values run from 0 to this

// The beams' own generator: the same sequence in every run, whatever the platform's rand gives.
struct ShadingState {
    std::uint32_t randomState = 1;
};

extern ShadingState shading;

// Next value, 0 to RandomMax.
int nextRandom();
// First generator value r for which the probe (r, 0.72, 1.23) is not perpendicular to a segment,
// that is |r·dx + rest| ≥ 1e-12 with rest = 0.72·dy + 1.23·dz. The caller makes sure one exists.
int probeValue(double dx, double rest);

// One quad; corners in grid order (c0, c1 one row, c2, c3 the other), outlined c0 → c2 → c3 → c1.
void drawShadedQuad(const float corners[4][3], const float color[3]);
// The four open side faces of a thin prism around the segment from A to B.
void drawBeam(float ax, float ay, float az, float bx, float by, float bz, float halfWidth,
              const float color[3]);

// Four quads side by side, quad q in lane q: corner i of each, in grid order, is (x[i], y[i], z[i]).
constexpr int QuadLanes = lanes::Width;
struct QuadCorners {
    lanes::Floats x[4], y[4], z[4];
};

// Four quads ready to draw, kept by corner then quad: corners[i][q] is corner i of quad q. Each
// row's first three floats are the corner, or its colour; the fourth only pads the row.
struct ShadedQuads {
    float corners[4][QuadLanes][4];
    float colors[4][QuadLanes][4];
};

// Four points side by side, and their distances to the light point once measured.
struct PointLanes {
    lanes::Floats x, y, z;
    lanes::Doubles lightDistance;
};
void measureLight(PointLanes& points);

// Four quads at once, each shaded as drawShadedQuad shades it: their corners and corner colours
// from the base colour color. lightLength[i] is the distance of each quad's corner i to the light
// point, so that quads sharing corners measure each point once (measureLight).
void shadeQuads(const QuadCorners& corners, const lanes::Doubles lightLength[4], const float color[3],
                ShadedQuads& quads);

// Outlines the first count quads, in order, as drawShadedQuad does.
void outlineQuads(const ShadedQuads& quads, int count);

// drawBeam for count beams, ends[j] running from A to B: every beam's geometry and shading is
// taken before the first is drawn, so that the beams' long chains of arithmetic overlap.
void drawBeams(int count, const float (*ends)[2][3], float halfWidth, const float color[3]);

}  // namespace gaugeplot3d
