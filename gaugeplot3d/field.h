// gaugeplot3d polygon gauges and field value: per direction, kept up to date polygon by polygon.
#pragma once

#include "sketch.h"

namespace gaugeplot3d {

constexpr double GaugeExponent = 3.0;   // p of a polygon gauge's p-norm
constexpr double FieldExponent = 8.0;   // q of the field value's negative power mean
constexpr double InnerFraction = 0.95;  // the band's inner ring, as a fraction of the outer one

struct FieldState {
    float fieldValues[MaxDirections] = {};  // by direction index; 0 until the first polygon is added
    // In: a direction as a scene point (queryZ across the plane, always 0; queryX pairs with
    // planeX, queryY with planeY). Out, after fieldLevelPoints: the outer level point.
    float queryZ = 0;
    float queryX = 0;
    float queryY = 0;
    float innerZ = 0;  // out: the inner level point; innerZ stays 0
    float innerX = 0;
    float innerY = 0;
};

extern FieldState field;

// The field-value term of a gauge, x^-8; a gauge that is 0 or not finite contributes nothing.
double fieldTerm(double x);

// Gauge of polygon k at the query point, stored in its gauge and gauges[n].
void polygonGauge(int k, int n);
// Applies the pending add or replace request for the active polygon to direction n.
void updateField(int n);
// Brings direction n up to date if a request is pending, then sets the inner point and moves the
// query point to the outer one.
void fieldLevelPoints(int n);

}  // namespace gaugeplot3d
