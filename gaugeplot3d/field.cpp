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

#include "lanes.h"
#include "viewer.h"

namespace gaugeplot3d {

FieldState field;

namespace {

constexpr double Rounding = 0x1p-53;  // the largest relative error of one double operation
// A running sum whose error bound passes this share of it is summed afresh: well below the
// precision of the float F, about 2^-24, and reached only after millions of steps or a large drop.
constexpr double SumTolerance = 0x1p-30;

// Direction n's new running sum with its error bound, and the field value it gives.
void storeSum(int n, double termSum, double error)
{
    field.termSums[n] = termSum;
    field.sumErrors[n] = error + Rounding * termSum;
    field.fieldValues[n] = float(1.0 / std::pow(termSum, 1.0 / FieldExponent));
}

// Every copy's term in direction n, added up afresh in four partial sums that need not wait for
// one another.
double sumOfCopies(int n)
{
    const double* latest = field.latestTerms[n];
    const double* older = field.olderTerms[n];
    const int count = viewer.polygonCount < MaxPolygons ? viewer.polygonCount : MaxPolygons;
    double s0 = 0, s1 = 0, s2 = 0, s3 = 0;
    int j = 0;
    for (; j + 4 <= count; j += 4) {
        s0 += latest[j] + older[j];
        s1 += latest[j + 1] + older[j + 1];
        s2 += latest[j + 2] + older[j + 2];
        s3 += latest[j + 3] + older[j + 3];
    }
    for (; j < count; j++)
        s0 += latest[j] + older[j];
    return (s0 + s1) + (s2 + s3);
}

void addCopy(int k, int n)
{
    polygonGauge(k, n);
    const float gauge = sketch.edgeLines[k].gauge;
    const double term = fieldTerm(gauge);
    if (viewer.polygonCount == 1) {
        // The first polygon: its one copy is the field, copied in bit for bit.
        field.olderTerms[n][k] = 0;
        field.latestTerms[n][k] = term;
        field.termSums[n] = term;
        field.sumErrors[n] = 0;
        field.fieldValues[n] = gauge;
        return;
    }
    field.olderTerms[n][k] += field.latestTerms[n][k];  // the copy before keeps its shape
    field.latestTerms[n][k] = term;
    storeSum(n, field.termSums[n] + term, field.sumErrors[n]);
}

void replaceLatestCopy(int k, int n)
{
    double others = field.termSums[n] - field.latestTerms[n][k];
    double error = field.sumErrors[n] + Rounding * std::fabs(others);
    // Also false for a negative, undefined or overflowed difference.
    if (!(error <= SumTolerance * others)) {
        field.latestTerms[n][k] = 0;  // the copy that moves
        others = sumOfCopies(n);
        error = 2 * MaxPolygons * Rounding * others;  // a fresh sum of at most 100 positive terms
    }
    polygonGauge(k, n);
    const double term = fieldTerm(sketch.edgeLines[k].gauge);
    field.latestTerms[n][k] = term;
    storeSum(n, others + term, error);
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

// The cube is taken by two multiplications: where it stays a normal double (bases from 2^-300 to
// 2^300), both products are within 2 units in the last place of the exact cube and glibc's pow
// within 1, so the two double sums differ by less than 2^-50 of the sum. Where the margin test
// passes, the float from pow is that one too; sums next to the middle between two floats, and bases
// out of that range, go to pow.
float addCube(float gauge, double positive)
{
    static_assert(GaugeExponent == 3, "the cube is taken by multiplications");
    if (positive == 0 || (positive > 0x1p-300 && positive < 0x1p300)) {
        const double total = gauge + positive * positive * positive;
        if (lanes::roundsAlike(total))
            return static_cast<float>(total);
    }
    return static_cast<float>(gauge + std::pow(positive, GaugeExponent));
}

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
        line.gauge = addCube(line.gauge, positive);
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
