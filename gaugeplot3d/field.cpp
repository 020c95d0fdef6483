// gaugeplot3d polygon gauges and field value: per direction, kept up to date polygon by polygon.
//
// The field value F = (sum over the copies in the field of g^-8)^(-1/8) is never recomputed from
// all polygons: an add puts the active polygon's term into a running sum kept in double, a replace
// exchanges its latest copy's term for the new one. Where the term taken out was nearly the whole
// sum, what is left would be mostly rounding error, so the other copies' terms are summed afresh
// from their stored values instead; no other gauge is evaluated again. Products, powers and
// reciprocals are taken in double and rounded where they are stored. A band pass serves the
// requests for a group of directions at once, in lanes, with the bits the scalar code gives.
#include "field.h"

#include <cmath>
#include <cstring>

#include "lanes.h"
#include "viewer.h"

namespace gaugeplot3d {

FieldState field;

namespace {

constexpr double Rounding = 0x1p-53;  // the largest relative error of one double operation
// A running sum whose error bound passes this share of it is summed afresh: well below the
// precision of the float F, about 2^-24, and reached only after millions of steps or a large drop.
constexpr double SumTolerance = 0x1p-30;

// The field value a running sum gives.
float fieldValueOf(double termSum) { return float(1.0 / std::pow(termSum, 1.0 / FieldExponent)); }

// Direction n's new running sum with its error bound, and the field value it gives.
void storeSum(int n, double termSum, double error)
{
    field.termSums[n] = termSum;
    field.sumErrors[n] = error + Rounding * termSum;
    field.fieldValues[n] = fieldValueOf(termSum);
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

// The first polygon: its one copy is the field, copied in bit for bit.
void copyFirstPolygon(int k, int n, float gauge, double term)
{
    field.olderTerms[n][k] = 0;
    field.latestTerms[n][k] = term;
    field.termSums[n] = term;
    field.sumErrors[n] = 0;
    field.fieldValues[n] = gauge;
}

// Polygon k's new copy in direction n; the running sum with its term, still to be stored.
double addTerm(int k, int n, double term)
{
    field.olderTerms[n][k] += field.latestTerms[n][k];  // the copy before keeps its shape
    field.latestTerms[n][k] = term;
    return field.termSums[n] + term;
}

void addCopy(int k, int n)
{
    polygonGauge(k, n);
    const float gauge = sketch.edgeLines[k].gauge;
    const double term = fieldTerm(gauge);
    if (viewer.polygonCount == 1) {
        copyFirstPolygon(k, n, gauge, term);
        return;
    }
    const double error = field.sumErrors[n];
    storeSum(n, addTerm(k, n, term), error);
}

// The sum of every copy in direction n but polygon k's latest, with its error bound.
double otherCopies(int k, int n, double* error)
{
    double others = field.termSums[n] - field.latestTerms[n][k];
    *error = field.sumErrors[n] + Rounding * std::fabs(others);
    // Also false for a negative, undefined or overflowed difference.
    if (!(*error <= SumTolerance * others)) {
        field.latestTerms[n][k] = 0;  // the copy that moves
        others = sumOfCopies(n);
        *error = 2 * MaxPolygons * Rounding * others;  // a fresh sum of at most 100 positive terms
    }
    return others;
}

void replaceLatestCopy(int k, int n)
{
    double error;
    const double others = otherCopies(k, n, &error);
    polygonGauge(k, n);
    const double term = fieldTerm(sketch.edgeLines[k].gauge);
    field.latestTerms[n][k] = term;
    storeSum(n, others + term, error);
}

// Whether serving the request replaces the latest copy before any add: a replace asked for after
// the add finds the new copy already at the current shape.
bool replacesFirst(int request)
{
    return (request & ReplaceRequested) && (!(request & AddRequested) || (request & ReplaceBeforeAdd));
}

void serveRequest(int k, int request, int n)
{
    if (replacesFirst(request))
        replaceLatestCopy(k, n);
    if (request & AddRequested)
        addCopy(k, n);
}

// The request flags raised without requestAdd or requestReplace, for the active polygon.
int activeRequest()
{
    return (viewer.addActive ? AddRequested : 0) | (viewer.replaceActive ? ReplaceRequested : 0);
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

// The sum of the cubes of polygon k's positive edge values at the query point (queryZ, queryX,
// queryY), rounded to a float step by step.
float sumOfCubes(int k, float queryZ, float queryX, float queryY)
{
    const EdgeLine& line = sketch.edgeLines[k];
    const int count = sketch.polygons[k].vertexCount;
    float sum = 0;
    for (int i = 1; i <= count; i++) {
        double e = double(line.b[i]) * queryY + double(line.c[i]) * queryZ + double(line.a[i]) * queryX;
        // An edge line through the origin has no finite coefficients and no value.
        if (!std::isfinite(e))
            continue;
        double positive = (e + std::fabs(e)) * 0.5;
        sum = addCube(sum, positive);
    }
    return sum;
}

// A gauge from its sum of cubes.
float gaugeRoot(float sum) { return float(std::pow(double(sum), 1.0 / GaugeExponent)); }

// ---- Directions side by side ----
//
// A band pass serves the requests for GroupDirections directions at once, one direction per lane.
// Each lane takes exactly the operations, in the same order, that the scalar code above takes for
// its direction, and every request is served in each direction in the same order as there; where a
// lane takes a shortcut, its result is shown below to be the scalar one, and where that cannot be
// shown the lane goes through the scalar function.

using lanes::Doubles;
using lanes::roundsAlike;

// A group is two sets of lanes, whose independent chains of roundings in the edge loop the
// processor can overlap.
constexpr int Sets = 2;
static_assert(GroupDirections == Sets * lanes::Width, "a group of directions is two sets of lanes");

// The query points of a group: (Z, X, Y) of direction first + 4s + i in lane i of set s, and the
// directions whose point is not finite, direction first + j in bit j.
struct Query {
    Doubles Z, X[Sets], Y[Sets];
    unsigned notFinite;
};

// One edge's step of one set's sums, the cube taken by multiplications; the lanes whose sum fails
// the margin test are gathered in unsure.
LANES_INLINE Doubles cubeStep(Doubles gauge, Doubles X, Doubles Y, Doubles Z, double a, double b, double c,
                              lanes::FloatMask& unsure)
{
    const Doubles e = b * Y + c * Z + a * X;
    const Doubles positive = (e + lanes::abs(e)) * 0.5;
    const Doubles total = gauge + positive * positive * positive;
    unsure |= ~roundsAlike(total);
    return lanes::toFloatAndBack(total);
}

// polygonGauge for the group's directions: gauges[first + j] from its lane, and the gauge the last
// direction leaves.
//
// The lanes take sumOfCubes' steps where its outcome is known without comparing doubles, which
// plain SSE2 can only do lane by lane. A lane whose query point is not finite has its sum taken by
// sumOfCubes itself, after the loop. In the others, an edge value is finite exactly when the
// edge's coefficients are: infinity times 0 is undefined, times any other number infinite, and a
// sum with a term that is not finite is not finite either; so the edges that sumOfCubes skips in
// any direction are skipped here in all. The remaining coefficients and the coordinates are finite
// floats: each product is exact in double, a multiple of 2^-298 below 2^256, and each rounded sum
// of them is too, below 2^258 (a double from 2^-245 up lies on a grid of 2^-297 or coarser; below,
// the sum is exact). A base is thus 0 or from 2^-298 to 2^258, always in addCube's range for
// multiplications, so addCube rounds this very sum where it passes the margin test. A lane where
// some step fails the test has its sum taken again by sumOfCubes after the loop, so that the loop
// has no call and keeps its vectors in registers.
LANES_INLINE void polygonGauges(int k, int first, const Query& query)
{
    static_assert(Sets == 2, "the edge loop below is written out for two sets");
    EdgeLine& line = sketch.edgeLines[k];
    const int count = sketch.polygons[k].vertexCount;
    Doubles gauge0 = lanes::splat(0), gauge1 = lanes::splat(0);
    lanes::FloatMask unsure0 = {}, unsure1 = {};
    for (int i = 1; i <= count; i++) {
        const double a = line.a[i], b = line.b[i], c = line.c[i];
        if (!(std::isfinite(a) && std::isfinite(b) && std::isfinite(c)))
            continue;
        gauge0 = cubeStep(gauge0, query.X[0], query.Y[0], query.Z, a, b, c, unsure0);
        gauge1 = cubeStep(gauge1, query.X[1], query.Y[1], query.Z, a, b, c, unsure1);
    }
    const unsigned again = query.notFinite | lanes::bits(unsure0) | lanes::bits(unsure1) << lanes::Width;
    const Doubles gauge[Sets] = {gauge0, gauge1};
    for (int j = 0; j < GroupDirections; j++) {
        const int s = j / lanes::Width, i = j % lanes::Width;
        const float sum = again & (1u << j)
                              ? sumOfCubes(k, lanes::roundToFloat(query.Z[i]), lanes::roundToFloat(query.X[s][i]),
                                           lanes::roundToFloat(query.Y[s][i]))
                              : lanes::roundToFloat(gauge[s][i]);
        line.gauges[first + j] = gaugeRoot(sum);
    }
    line.gauge = line.gauges[first + GroupDirections - 1];
}

// The lanes in mask whose field value needs pow.
__attribute__((noinline)) void fieldValuesByPow(int first, unsigned mask)
{
    for (int i = 0; i < lanes::Width; i++)
        if (mask & (1u << i))
            field.fieldValues[first + i] = fieldValueOf(field.termSums[first + i]);
}

// storeSum for the group's directions.
//
// The root sum^(1/8) is taken by three square roots. Each is correctly rounded, within 2^-53 of
// its result relative to it, and an error d in a root's argument becomes d/2 in the root, so the
// third root is within (1/4 + 1/2 + 1)·2^-53 of the exact root and the reciprocal within 2.75·2^-53
// of the exact value sum^(-1/8) (less than 2^-51, higher orders included). glibc's pow is within
// 1 unit in the last place, 2^-52, and its reciprocal within 3·2^-53. The two doubles thus differ
// by less than 2^-50 of either, far inside the margin of lanes::roundsAlike: where it passes, both
// round to the same float. The roots of a positive finite double and their reciprocals are normal
// doubles, so these relative bounds hold down to the smallest sums. A sum of +0 (an infinite
// value), a negative or undefined one fails the test and goes to pow; an infinite sum gives +0
// both ways.
LANES_INLINE void storeSums(int first, Doubles termSum, Doubles error)
{
    static_assert(FieldExponent == 8, "the eighth root is taken by three square roots");
    lanes::store(&field.termSums[first], termSum);
    lanes::store(&field.sumErrors[first], error + Rounding * termSum);
    const Doubles value = 1.0 / lanes::sqrt(lanes::sqrt(lanes::sqrt(termSum)));
    const lanes::Floats values = lanes::toFloats(value);
    std::memcpy(&field.fieldValues[first], &values, sizeof values);
    const unsigned viaPow = lanes::bits(~roundsAlike(value));
    if (viaPow != 0)
        fieldValuesByPow(first, viaPow);
}

LANES_INLINE void addCopies(int k, int first, const Query& query)
{
    polygonGauges(k, first, query);
    const float* gauges = &sketch.edgeLines[k].gauges[first];
    if (viewer.polygonCount == 1) {
        for (int j = 0; j < GroupDirections; j++)
            copyFirstPolygon(k, first + j, gauges[j], fieldTerm(gauges[j]));
        return;
    }
    for (int s = 0; s < Sets; s++) {
        const int set = first + s * lanes::Width;
        Doubles sum, error = lanes::load(&field.sumErrors[set]);
        for (int i = 0; i < lanes::Width; i++)
            sum[i] = addTerm(k, set + i, fieldTerm(gauges[s * lanes::Width + i]));
        storeSums(set, sum, error);
    }
}

LANES_INLINE void replaceLatestCopies(int k, int first, const Query& query)
{
    Doubles others[Sets], error[Sets];
    for (int j = 0; j < GroupDirections; j++) {
        double laneError;
        others[j / lanes::Width][j % lanes::Width] = otherCopies(k, first + j, &laneError);
        error[j / lanes::Width][j % lanes::Width] = laneError;
    }
    polygonGauges(k, first, query);
    const float* gauges = &sketch.edgeLines[k].gauges[first];
    for (int s = 0; s < Sets; s++) {
        const int set = first + s * lanes::Width;
        Doubles term;
        for (int i = 0; i < lanes::Width; i++) {
            term[i] = fieldTerm(gauges[s * lanes::Width + i]);
            field.latestTerms[set + i][k] = term[i];
        }
        storeSums(set, others[s] + term, error[s]);
    }
}

LANES_INLINE void serveRequests(int k, int request, int first, const Query& query)
{
    if (replacesFirst(request))
        replaceLatestCopies(k, first, query);
    if (request & AddRequested)
        addCopies(k, first, query);
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
            return lanes::roundToFloat(total);
    }
    return lanes::roundToFloat(gauge + std::pow(positive, GaugeExponent));
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
    line.gauge = gaugeRoot(sumOfCubes(k, field.queryZ, field.queryX, field.queryY));
    line.gauges[n] = line.gauge;
}

void updateField(int n)
{
    if (field.requestCount == 0) {
        serveRequest(viewer.activePolygon, activeRequest(), n);
        return;
    }
    for (int i = 0; i < field.requestCount; i++) {
        const int k = field.requestOrder[i];
        serveRequest(k, field.requests[k], n);
    }
}

LANES_DISPATCH
void updateFieldGroup(int first, const float groupX[], const float groupY[])
{
    Query query;
    query.notFinite = 0;
    for (int j = 0; j < GroupDirections; j++) {
        query.X[j / lanes::Width][j % lanes::Width] = groupX[j];
        query.Y[j / lanes::Width][j % lanes::Width] = groupY[j];
        if (!(std::isfinite(groupX[j]) && std::isfinite(groupY[j]) && std::isfinite(field.queryZ)))
            query.notFinite |= 1u << j;
    }
    query.Z = lanes::splat(field.queryZ);
    if (field.requestCount == 0) {
        serveRequests(viewer.activePolygon, activeRequest(), first, query);
        return;
    }
    for (int i = 0; i < field.requestCount; i++) {
        const int k = field.requestOrder[i];
        serveRequests(k, field.requests[k], first, query);
    }
}

void placeLevelPoints(int n)
{
    const double value = field.fieldValues[n];
    field.innerX = float(field.queryX * InnerFraction / value);
    field.innerY = float(field.queryY * InnerFraction / value);
    field.queryX = float(field.queryX / value);
    field.queryY = float(field.queryY / value);
}

void fieldLevelPoints(int n)
{
    if (viewer.fieldDirty)
        updateField(n);
    placeLevelPoints(n);
}

}  // namespace gaugeplot3d
