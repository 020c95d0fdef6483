// gaugeplot3d polygon gauges and field value: per direction, kept up to date polygon by polygon.
#pragma once

#include "sketch.h"

namespace gaugeplot3d {

constexpr double GaugeExponent = 3.0;   // p of a polygon gauge's p-norm
constexpr double FieldExponent = 8.0;   // q of the field value's negative power mean
constexpr double InnerFraction = 0.95;  // the band's inner ring, as a fraction of the outer one

// What the input handlers have asked of one polygon's copies in the field, by the next band pass.
enum FieldRequest {
    AddRequested = 1,            // one more copy at its current shape
    ReplaceRequested = 2,        // its latest copy moved to its current shape
    ReplaceBeforeAdd = 4,        // the replace was asked for first: it is served first
};

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

    // The copies of the polygons that the field holds, by direction, as their terms g^-8 in
    // double. The float field value cannot give the other polygons' terms back once one term
    // dominates a direction; these sums can.
    double termSums[MaxDirections] = {};   // every copy's term
    double sumErrors[MaxDirections] = {};  // a bound on the rounding error accumulated in termSums
    // By direction, then polygon: the terms of one direction lie together.
    double latestTerms[MaxDirections][MaxPolygons] = {};  // each polygon's latest copy
    double olderTerms[MaxDirections][MaxPolygons] = {};   // its earlier copies, at the shapes they had
    // Requests waiting for the next band pass: FieldRequest bits per polygon, and the polygons
    // that have any, in the order of their first request.
    int requests[MaxPolygons] = {};
    int requestOrder[MaxPolygons] = {};
    int requestCount = 0;
};

extern FieldState field;

// The field-value term of a gauge, x^-8; a gauge that is 0 or not finite contributes nothing.
double fieldTerm(double x);

// gauge + positive^3 rounded to a float: one step of a gauge's sum, the float pow would give.
float addCube(float gauge, double positive);

// Input handlers ask through these: each raises the viewer's request flags and remembers the
// polygon, so the request is served even if another polygon becomes active before the next pass.
void requestAdd(int k);
void requestReplace(int k);
// The end of a band pass: every request has been served in every direction.
void clearRequests();

// Gauge of polygon k at the query point, stored in its gauge and gauges[n].
void polygonGauge(int k, int n);
// Applies the pending requests to direction n. Request flags raised without requestAdd or
// requestReplace concern the active polygon, an add before a replace.
void updateField(int n);

// Directions a band pass brings up to date side by side.
constexpr int GroupDirections = 8;
// updateField for directions first to first + GroupDirections - 1 at once, direction first + i with
// the query point (queryZ, groupX[i], groupY[i]): every stored value as those calls in turn would
// leave it.
void updateFieldGroup(int first, const float groupX[], const float groupY[]);

// Sets the inner point of direction n and moves the query point to the outer one, with the field
// value as it is.
void placeLevelPoints(int n);
// Brings direction n up to date if a request is pending, then places its level points.
void fieldLevelPoints(int n);

}  // namespace gaugeplot3d
