// gaugeplot3d scene: the frame, with the level band, the coordinate axes and the polygon edges.
#pragma once

namespace gaugeplot3d {

constexpr float AxisHalfWidth = 0.015f;   // scene units
constexpr float EdgeHalfWidth = 0.0125f;

void onDisplay();
// The three axis beams; y, along planeX, is the long one.
void drawAxes();
// The edges of every finished polygon and of the one being sketched.
void drawPolygons();

}  // namespace gaugeplot3d
