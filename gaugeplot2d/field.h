// gaugeplot2d field value and level band: polygon gauges, their blend, and the band they bound.
#pragma once

namespace gaugeplot2d {

constexpr int BandDirections = 160;  // integer points on the boundary of the square [-20, 20]^2
constexpr int BandHalfSize = 20;
constexpr double InnerFraction = 0.9;  // the inner ring, as a fraction of the outer one

struct FieldState {
    float queryX = 0;  // in: a direction, pixels from the centre, y down; out: the outer level point
    float queryY = 0;
    float innerX = 0;  // out: the inner level point, window pixels
    float innerY = 0;
};

extern FieldState field;

// Direction n of the band walk, as an integer point (x, y) on the square's boundary.
void bandDirection(int n, int* x, int* y);

// sum + |value|^p, rounded to a float: one step of a gauge's sum of powers. The result is the
// float that rounding sum + pow(|value|, p) in double gives.
float addPower(float sum, float value, float p);
// Gauge of polygon k at the query point, stored in its record's gauge.
void polygonGauge(int k, float p);
// Blends the gauges of the finished polygons at the query point, then moves the query point to
// the outer level point and sets the inner one, both in window pixels.
void fieldLevelPoints(float p);
// fieldLevelPoints for count query points at once, several side by side, every stored value with
// the same bits: points holds the query points on entry and the outer level points on return,
// inner receives the inner ones. Polygon gauges, the query point and the inner point are left as
// fieldLevelPoints leaves them for the last one.
void bandLevelPoints(int count, float points[][2], float inner[][2], float p);
// The steps it takes side by side, LaneWidth at once, each lane bit for bit the scalar step:
// addPower, and sum + 1 / |gauge|^p rounded to a float, the field sum's step.
constexpr int LaneWidth = 4;
void addPowers(float sums[LaneWidth], const float values[LaneWidth], float p);
void addTerms(float sums[LaneWidth], const float gauges[LaneWidth], float p);
// Samples the level ring, fills the band, then draws the polygons on top.
void drawLevelBand(float p);

}  // namespace gaugeplot2d
