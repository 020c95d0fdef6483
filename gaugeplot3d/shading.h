// gaugeplot3d shaded primitives: quads coloured from a fixed light point, and beams built of them.
//
// OpenGL lighting stays off; every corner gets its own colour here and GL interpolates across the
// face. All coordinates are scene coordinates, so the light turns with the scene.
#pragma once

#include <cstdint>

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
// drawShadedQuad on each of count quads in turn, at most MaxQuads.
constexpr int MaxQuads = 4;
void drawShadedQuads(int count, const float (*quads)[4][3], const float color[3]);
// The four open side faces of a thin prism around the segment from A to B.
void drawBeam(float ax, float ay, float az, float bx, float by, float bz, float halfWidth,
              const float color[3]);

}  // namespace gaugeplot3d
