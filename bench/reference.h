// The straightforward evaluation the viewers' computation is measured against: the field value's
// formula evaluated directly, every polygon in every direction, with no state kept between calls.
#pragma once

namespace bench {

// gaugeplot2d's 160 level points of the current polygon table and window, in window pixels:
// outer[n] and inner[n] are (x, y) pairs. Arithmetic as the viewer's: the results must agree bit
// for bit.
void referenceLevelPoints2d(float outer[][2], float inner[][2]);

// gaugeplot3d's 320 level points of the current polygon and edge-line tables, in plane
// coordinates, with F = (sum over the polygons in use of g^-8)^(-1/8) summed afresh in double.
// The viewer reaches F by single-precision steps, one add or replace at a time, so the two agree
// to rounding, not bit for bit.
void referenceLevelPoints3d(float outer[][2], float inner[][2]);

// Compares a viewer's level points with the reference's; the largest difference relative to the
// point's distance from the origin (0 when identical), and the number of points not bit-identical.
// Points that are not finite in both count as equal when both are.
double compareLevelPoints(const float (*a)[2], const float (*b)[2], int count, int* differing);

}  // namespace bench
