// gaugeplot3d polygon gauges and field value: per direction, kept up to date polygon by polygon.
//
// The field value F = (sum over the copies in the field of g^-8)^(-1/8) is never recomputed from
// all polygons: an add puts the active polygon's term into a running sum kept in double, a replace
// exchanges its latest copy's term for the new one. Where the term taken out was nearly the whole
// sum, what is left would be mostly rounding error, so the other copies' terms are summed afresh
// from their stored values instead; no other gauge is evaluated again. Products, powers and
// reciprocals are taken in double and rounded where they are stored.
#include "field.h"

#include <cmath>

#include "viewer.h"

namespace gaugeplot3d {

FieldState field;

namespace {

constexpr double Rounding = 0x1p-53;  // the largest relative error of one double operation
// A running sum whose error bound passes this share of it is summed afresh: well below the
// precision of the float F, about 2^-24, and reached only after millions of steps or a large drop.
constexpr double SumTolerance = 0x1p-30;

float fieldValueOf(double termSum) { return float(1.0 / std::pow(termSum, 1.0 / FieldExponent)); }

// The sum of every copy's term but polygon k's latest one, added up afresh.
double sumOfOthers(int k, int n)
{
    double sum = field.olderTerms[k][n];
    const int count = viewer.polygonCount < MaxPolygons ? viewer.polygonCount : MaxPolygons;
    for (int j = 0; j < count; j++)
        if (j != k)
            sum += field.latestTerms[j][n] + field.olderTerms[j][n];
    return sum;
}

void addCopy(int k, int n)
{
    polygonGauge(k, n);
    const float gauge = sketch.edgeLines[k].gauge;
    const double term = fieldTerm(gauge);
    if (viewer.polygonCount == 1) {
        // The first polygon: its one copy is the field, copied in bit for bit.
        field.olderTerms[k][n] = 0;
        field.latestTerms[k][n] = term;
        field.termSums[n] = term;
        field.sumErrors[n] = 0;
        field.fieldValues[n] = gauge;
        return;
    }
    field.olderTerms[k][n] += field.latestTerms[k][n];  // the copy before keeps its shape
    field.latestTerms[k][n] = term;
    field.termSums[n] += term;
    field.sumErrors[n] += Rounding * field.termSums[n];
    field.fieldValues[n] = fieldValueOf(field.termSums[n]);
}

void replaceLatestCopy(int k, int n)
{
    double others = field.termSums[n] - field.latestTerms[k][n];
    double error = field.sumErrors[n] + Rounding * std::fabs(others);
    // Also false for a negative, undefined or overflowed difference.
    if (!(error <= SumTolerance * others)) {
        others = sumOfOthers(k, n);
        error = 2 * MaxPolygons * Rounding * others;  // a fresh sum of at most 100 positive terms
    }
    polygonGauge(k, n);
    const double term = fieldTerm(sketch.edgeLines[k].gauge);
    field.latestTerms[k][n] = term;
    field.termSums[n] = others + term;
    field.sumErrors[n] = error + Rounding * field.termSums[n];
    field.fieldValues[n] = fieldValueOf(field.termSums[n]);
}

void serveRequest(int k, int request, int n)
{
    const bool add = (request & AddRequested) != 0;
    const bool replace = (request & ReplaceRequested) != 0;
    // A replace asked for after the add finds the new copy already at the current shape.
    if (replace && (!add || (request & ReplaceBeforeAdd)))
        replaceLatestCopy(k, n);
    if (add)
        addCopy(k, n);
}

void request(int k, int bits)
{
    if (k < 0 || k >= MaxPolygons)
        return;
    if (field.requests[k] == 0)
        field.requestOrder[field.requestCount++] = k;  // each polygon once: never more than MaxPolygons
    if ((bits & AddRequested) && (field.requests[k] & ReplaceRequested))
        bits |= ReplaceBeforeAdd;
    field.requests[k] |= bits;
    viewer.fieldDirty = 1;
    if (bits & AddRequested)
        viewer.addActive = 1;
    if (bits & ReplaceRequested)
        viewer.replaceActive = 1;
}

}  // namespace

double fieldTerm(double x)
{
    if (!std::isfinite(x) || x <= 0)
        return 0;
    return 1.0 / std::pow(x, FieldExponent);
}

void requestAdd(int k) { request(k, AddRequested); }
void requestReplace(int k) { request(k, ReplaceRequested); }

void clearRequests()
{
    for (int i = 0; i < field.requestCount; i++)
        field.requests[field.requestOrder[i]] = 0;
    field.requestCount = 0;
    viewer.fieldDirty = 0;
    viewer.addActive = 0;
    viewer.replaceActive = 0;
}

void polygonGauge(int k, int n)
{
    EdgeLine& line = sketch.edgeLines[k];
    int count = sketch.polygons[k].vertexCount;
    line.gauge = 0;
    for (int i = 1; i <= count; i++) {
        double e = double(line.b[i]) * field.queryY + double(line.c[i]) * field.queryZ +
                   double(line.a[i]) * field.queryX;
        // An edge line through the origin has no finite coefficients and no value.
        if (!std::isfinite(e))
            continue;
        double positive = (e + std::fabs(e)) * 0.5;
        line.gauge = float(line.gauge + std::pow(positive, GaugeExponent));
    }
    line.gauge = float(std::pow(double(line.gauge), 1.0 / GaugeExponent));
    line.gauges[n] = line.gauge;
}

void updateField(int n)
{
    if (field.requestCount == 0) {
        const int request = (viewer.addActive ? AddRequested : 0) | (viewer.replaceActive ? ReplaceRequested : 0);
        serveRequest(viewer.activePolygon, request, n);
        return;
    }
    for (int i = 0; i < field.requestCount; i++) {
        const int k = field.requestOrder[i];
        serveRequest(k, field.requests[k], n);
    }
}

void fieldLevelPoints(int n)
{
    if (viewer.fieldDirty)
        updateField(n);
    const double value = field.fieldValues[n];
    field.innerX = float(field.queryX * InnerFraction / value);
    field.innerY = float(field.queryY * InnerFraction / value);
    field.queryX = float(field.queryX / value);
    field.queryY = float(field.queryY / value);
}

}  // namespace gaugeplot3d
