// Benchmark scenes for both viewers, built straight into their tables (no clicks, no GL calls).
#pragma once

namespace bench {

// The sizes measured: a typical scene, and every polygon record in use at its vertex limit.
constexpr int TypicalPolygons = 5;
constexpr int TypicalVertices = 8;
constexpr int Full2dVertices = 50;  // gaugeplot2d: slots 0 to 49
constexpr int Full3dVertices = 19;  // gaugeplot3d: slots 1 to 19

// gaugeplot2d in a 640 x 480 window: `polygons` finished polygons of `vertices` vertices each on
// ellipses around the centre, and no polygon being drawn when the table is full.
void buildScene2d(int polygons, int vertices);
// One 2D frame's computation: the level points of all 160 directions, every gauge recomputed, as
// drawLevelBand computes them, into outer and inner; no drawing.
void levelPoints2d(float (*outer)[2], float (*inner)[2]);

// gaugeplot3d: `polygons` polygons of `vertices` vertices each, finished one by one, each add
// folded into the field by a band pass as the frames would, nothing pending afterwards. The last
// polygon is the active one; its ring is made `lastScale` times as large, so that with a large
// scale its term dominates every direction.
void buildScene3d(int polygons, int vertices, double lastScale = 1);
// One band pass's field computation: the level points of all 320 directions, with whatever update
// is pending, then the requests cleared; no drawing. Each direction's outer level point goes to
// outer[n] when outer is given.
void fieldPass3d(float (*outer)[2] = nullptr);

}  // namespace bench
