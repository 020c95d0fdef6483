// gaugeplot2d field value and level band: polygon gauges, their blend, and the band they bound.
//
// Everything is recomputed on every frame from the polygon table; nothing is cached. Products,
// powers and reciprocals are taken in double precision and rounded where they are stored.
#include "field.h"

#include <cmath>

#include <GL/glut.h>

#include "drawing.h"
#include "lanes.h"
#include "polygons.h"
#include "viewer.h"

namespace gaugeplot2d {

FieldState field;

namespace {

const GLfloat bandColor[] = {0.5f, 0.8f, 0.8f};

bool isFinite(const float p[2]) { return std::isfinite(p[0]) && std::isfinite(p[1]); }

// Value a·X + b·Y of the line a·x + b·y = 1 through vertices j and t, at the query point.
// An edge whose line passes through the window centre (D = 0) has no such line; it gives NaN.
double edgeValue(const Polygon& polygon, int j, int t, double X, double Y)
{
    double xj = polygon.relX[j], yj = polygon.relY[j];
    double xt = polygon.relX[t], yt = polygon.relY[t];
    double d = xj * yt - xt * yj;
    return (yt - yj) * X / d + (xj - xt) * Y / d;
}

using lanes::roundsAlike;
using lanes::Doubles;
using lanes::Mask;

// Directions evaluated side by side: Groups groups of lanes::Width lanes, whose independent sums
// let the processor overlap one group's chain of roundings with the other's.
constexpr int Groups = 2;
constexpr int GroupLanes = Groups * lanes::Width;

// The lanes in mask that need pow: next = sum + value^p, or sum + 1 / value^p where reciprocal is
// set, rounded to a float. Out of line and over plain arrays, so that the common path keeps its
// vectors in registers.
__attribute__((noinline)) void stepsByPow(double next[], const double sum[], const double value[],
                                          unsigned mask, double exponent, bool reciprocal)
{
    for (int i = 0; i < lanes::Width; i++) {
        if (!(mask & (1u << i)))
            continue;
        const double power = std::pow(value[i], exponent);
        next[i] = lanes::roundToFloat(sum[i] + (reciprocal ? 1.0 / power : power));
    }
}

LANES_INLINE Doubles byPow(Doubles next, Doubles sum, Doubles value, unsigned mask, double exponent,
                           bool reciprocal)
{
    double nextLanes[lanes::Width], sumLanes[lanes::Width], valueLanes[lanes::Width];
    lanes::store(nextLanes, next);
    lanes::store(sumLanes, sum);
    lanes::store(valueLanes, value);
    stepsByPow(nextLanes, sumLanes, valueLanes, mask, exponent, reciprocal);
    return lanes::load(nextLanes);
}

// addPower in every lane where active is set; value is +0 in the other lanes, which adding +0 to a
// sum never below +0 leaves as they are.
LANES_INLINE Doubles addPowerLanes(Doubles sum, Doubles value, Mask active, double exponent)
{
    if (exponent != 6)
        return byPow(sum, sum, value, lanes::bits(active), exponent, false);
    const Doubles square = value * value;
    const Doubles total = sum + square * square * square;
    const lanes::FloatMask viaPow = ~roundsAlike(total);
    if (lanes::any(viaPow))
        return byPow(lanes::toFloatAndBack(total), sum, value, lanes::bits(viaPow), exponent, false);
    return lanes::toFloatAndBack(total);
}

// sum + 1 / |gauge|^p rounded to a float in every lane: one polygon's term of the field's sum.
//
// For p = 6 the power is again taken by multiplications. The sixth power of any finite float is a
// normal double (2^-894 to 2^768), so the two products are within 2 units in the last place of
// the exact power and the reciprocal within half a unit more; glibc's pow is within 1 unit. The two
// terms, and so the two double sums, differ by less than 2^-49 of the sum, far inside the 2^-40 of
// the margin test: where it passes, both round to the same float. A gauge of 0 gives an infinite sum,
// which fails the test and goes to pow like NaN does; an infinite gauge adds +0 either way.
LANES_INLINE Doubles addTermLanes(Doubles sum, Doubles gauge, double exponent)
{
    const Doubles base = lanes::abs(gauge);
    if (exponent != 6)
        return byPow(sum, sum, base, lanes::bits(lanes::everyLane()), exponent, true);
    const Doubles square = base * base;
    const Doubles total = sum + 1.0 / (square * square * square);
    const lanes::FloatMask viaPow = ~roundsAlike(total);
    if (lanes::any(viaPow))
        return byPow(lanes::toFloatAndBack(total), sum, base, lanes::bits(viaPow), exponent, true);
    return lanes::toFloatAndBack(total);
}

// One edge's step of one group's gauge sums, in the lanes where the sign test passed.
LANES_INLINE Doubles edgeStep(Doubles gauge, Doubles X, Doubles Y, Mask positive, double dy, double dx,
                              double d, double exponent)
{
    Doubles e = dy * X / d + dx * Y / d;
    e = lanes::select(lanes::isFinite(e), e, lanes::splat(0));
    Doubles value = lanes::toFloatAndBack((e + lanes::abs(e)) * 0.5);
    positive &= lanes::greater(value, lanes::splat(0));
    value = lanes::select(positive, value, lanes::splat(0));
    return addPowerLanes(gauge, value, positive, exponent);
}

// polygonGauge for one query point per lane, each lane with exactly the scalar roundings.
LANES_INLINE void gaugeLanes(const Polygon& polygon, const Doubles X[Groups], const Doubles Y[Groups],
                             Doubles gauge[Groups], double exponent)
{
    static_assert(Groups == 2, "the edge loop below is written out for two groups");
    const int last = polygon.lastVertex;
    Doubles sum0 = lanes::splat(0), sum1 = lanes::splat(0);
    for (int j = 0; j <= last; j++) {
        const int t = j == last ? 0 : j + 1;
        const double xj = polygon.relX[j], yj = polygon.relY[j];
        const double xt = polygon.relX[t], yt = polygon.relY[t];
        const double d = xj * yt - xt * yj;
        const double dy = yt - yj, dx = xj - xt;
        // The sign test of polygonGauge, lane by lane; neighbouring directions mostly agree, so an
        // edge that faces away from a whole group costs it no division.
        const Mask positive0 = lanes::greater((dy * X[0] + dx * Y[0]) * d, lanes::splat(0));
        const Mask positive1 = lanes::greater((dy * X[1] + dx * Y[1]) * d, lanes::splat(0));
        if (lanes::any(positive0))
            sum0 = edgeStep(sum0, X[0], Y[0], positive0, dy, dx, d, exponent);
        if (lanes::any(positive1))
            sum1 = edgeStep(sum1, X[1], Y[1], positive1, dy, dx, d, exponent);
    }
    gauge[0] = sum0;
    gauge[1] = sum1;
    for (int g = 0; g < Groups; g++)
        for (int i = 0; i < lanes::Width; i++)
            gauge[g][i] = lanes::roundToFloat(std::pow(std::fabs(gauge[g][i]), 1.0 / exponent));
}

}  // namespace

static_assert(LaneWidth == lanes::Width, "the lane steps take one group of lanes");

void addPowers(float sums[LaneWidth], const float values[LaneWidth], float p)
{
    Doubles sum, value;
    for (int i = 0; i < LaneWidth; i++) {
        sum[i] = sums[i];
        value[i] = std::fabs(double(values[i]));
    }
    const Doubles next = addPowerLanes(sum, value, lanes::everyLane(), p);
    for (int i = 0; i < LaneWidth; i++)
        sums[i] = static_cast<float>(next[i]);
}

void addTerms(float sums[LaneWidth], const float gauges[LaneWidth], float p)
{
    Doubles sum, gauge;
    for (int i = 0; i < LaneWidth; i++) {
        sum[i] = sums[i];
        gauge[i] = gauges[i];
    }
    const Doubles next = addTermLanes(sum, gauge, p);
    for (int i = 0; i < LaneWidth; i++)
        sums[i] = static_cast<float>(next[i]);
}

LANES_DISPATCH
void bandLevelPoints(int count, float points[][2], float inner[][2], float p)
{
    const double exponent = p;
    const double cx = centreX();
    const double cy = centreY();
    for (int first = 0; first < count; first += GroupLanes) {
        // A last pass short of its lanes repeats its last direction in the spare ones.
        int lane[GroupLanes];
        Doubles X[Groups], Y[Groups], sum[Groups];
        for (int g = 0; g < Groups; g++) {
            for (int i = 0; i < lanes::Width; i++) {
                const int n = g * lanes::Width + i;
                lane[n] = first + n < count ? first + n : count - 1;
                X[g][i] = points[lane[n]][0];
                Y[g][i] = points[lane[n]][1];
            }
            sum[g] = lanes::splat(0);
        }
        for (int k = 0; k < finishedPolygons(); k++) {
            Polygon& polygon = store.polygons[k];
            if (polygon.lastVertex < 1)
                continue;
            Doubles gauge[Groups];
            gaugeLanes(polygon, X, Y, gauge, exponent);
            polygon.gauge = static_cast<float>(gauge[Groups - 1][lanes::Width - 1]);
            for (int g = 0; g < Groups; g++)
                sum[g] = addTermLanes(sum[g], gauge[g], exponent);
        }
        for (int g = 0; g < Groups; g++) {
            Doubles F;
            for (int i = 0; i < lanes::Width; i++)
                F[i] = 1.0 / std::pow(std::fabs(sum[g][i]), 1.0 / exponent);
            const lanes::Floats innerX = lanes::toFloats(InnerFraction * X[g] / F + cx);
            const lanes::Floats innerY = lanes::toFloats(InnerFraction * Y[g] / F + cy);
            const lanes::Floats outerX = lanes::toFloats(X[g] / F + cx);
            const lanes::Floats outerY = lanes::toFloats(Y[g] / F + cy);
            for (int i = 0; i < lanes::Width; i++) {
                const int n = lane[g * lanes::Width + i];
                inner[n][0] = innerX[i];
                inner[n][1] = innerY[i];
                points[n][0] = outerX[i];
                points[n][1] = outerY[i];
            }
        }
    }
    if (count > 0) {
        field.queryX = points[count - 1][0];
        field.queryY = points[count - 1][1];
        field.innerX = inner[count - 1][0];
        field.innerY = inner[count - 1][1];
    }
}

float addPower(float sum, float value, float p)
{
    double base = std::fabs(double(value));
    double exponent = p;
    // Most of a frame's time went into this pow, one call per positive edge value. For the
    // display's exponent 6 the power is taken by three multiplications instead: the square of a
    // float is exact in double, and two more roundings keep it within about two units in the last
    // place of pow's result. The stored float sum is then the same as pow would give, unless the
    // sum lies next to the middle between two floats; that rare case goes to pow.
    if (exponent == 6) {
        double square = base * base;
        double total = sum + square * square * square;
        if (roundsAlike(total))
            return lanes::roundToFloat(total);
    }
    return lanes::roundToFloat(sum + std::pow(base, exponent));
}

void bandDirection(int n, int* x, int* y)
{
    const int side = 2 * BandHalfSize;  // samples per side
    int i = n % side;
    switch (n / side) {
    case 0: *x = BandHalfSize; *y = -BandHalfSize + i; break;   // down the right side (y down)
    case 1: *x = BandHalfSize - i; *y = BandHalfSize; break;    // left along the bottom
    case 2: *x = -BandHalfSize; *y = BandHalfSize - i; break;   // up the left side
    default: *x = -BandHalfSize + i; *y = -BandHalfSize; break; // right along the top
    }
}

void polygonGauge(int k, float p)
{
    Polygon& polygon = store.polygons[k];
    double X = field.queryX;
    double Y = field.queryY;
    int last = polygon.lastVertex;
    double exponent = p;
    float gauge = 0;
    for (int j = 0; j <= last; j++) {
        int t = j == last ? 0 : j + 1;
        // Most of the time goes into pow, and about half of a polygon's edges face away from any
        // one direction. An edge whose value is not positive adds pow(+0, p) = +0 to a sum that
        // is never below +0, which leaves every bit of the sum as it was, so it is skipped.
        //
        // The sign of e is known before the divisions: the numerators dy·X and dx·Y (integer
        // pixels times a float) and the denominator D are exact in double, and rounding the two
        // quotients keeps their order, so e ≤ 0 whenever (dy·X + dx·Y) / D ≤ 0; that sum may
        // round but never changes sign. D = 0, or anything not finite, makes e not finite, which
        // counts as 0.
        double xj = polygon.relX[j], yj = polygon.relY[j];
        double xt = polygon.relX[t], yt = polygon.relY[t];
        double d = xj * yt - xt * yj;
        if (!(((yt - yj) * X + (xj - xt) * Y) * d > 0))
            continue;
        double e = edgeValue(polygon, j, t, X, Y);
        // An edge through the centre bounds nothing around it: it adds nothing to the gauge.
        if (!std::isfinite(e))
            e = 0;
        float value = lanes::roundToFloat((e + std::fabs(e)) * 0.5);
        if (value == 0)
            continue;  // a positive e below the smallest float
        gauge = addPower(gauge, value, p);
    }
    polygon.gauge = static_cast<float>(std::pow(std::fabs(double(gauge)), 1.0 / exponent));
}

void fieldLevelPoints(float p)
{
    double X = field.queryX;
    double Y = field.queryY;
    double exponent = p;
    float sum = 0;
    for (int i = 0; i < finishedPolygons(); i++) {
        if (store.polygons[i].lastVertex < 1)
            continue;  // fewer than two vertices: no part in the field
        polygonGauge(i, p);
        sum = lanes::roundToFloat(sum + 1.0 / std::pow(std::fabs(double(store.polygons[i].gauge)), exponent));
    }
    // With no polygon the sum is 0 and F infinite: both level points fall on the centre.
    // A gauge of 0 makes the sum infinite and F 0: that direction's level points are not finite.
    double F = 1.0 / std::pow(std::fabs(double(sum)), 1.0 / exponent);
    double cx = centreX();
    double cy = centreY();
    field.innerX = static_cast<float>(InnerFraction * X / F + cx);
    field.innerY = static_cast<float>(InnerFraction * Y / F + cy);
    field.queryX = static_cast<float>(X / F + cx);
    field.queryY = static_cast<float>(Y / F + cy);
}

void drawLevelBand(float p)
{
    float outer[BandDirections][2];  // directions in, outer level points out
    float inner[BandDirections][2];
    for (int n = 0; n < BandDirections; n++) {
        int x, y;
        bandDirection(n, &x, &y);
        outer[n][0] = static_cast<float>(x);
        outer[n][1] = static_cast<float>(y);
    }
    bandLevelPoints(BandDirections, outer, inner, p);

    glLineWidth(2.0f);
    glColor3fv(bandColor);
    for (int n = 0; n < BandDirections; n++) {
        int m = (n + 1) % BandDirections;  // the last quadrilateral closes the band
        // A quadrilateral that would reach a level point at infinity is left out.
        if (!isFinite(outer[n]) || !isFinite(inner[n]) || !isFinite(inner[m]) || !isFinite(outer[m]))
            continue;
        glBegin(GL_POLYGON);
        glVertex2f(outer[n][0], outer[n][1]);
        glVertex2f(inner[n][0], inner[n][1]);
        glVertex2f(inner[m][0], inner[m][1]);
        glVertex2f(outer[m][0], outer[m][1]);
        glEnd();
    }

    glLineWidth(2.0f);  // the polygon outlines are drawn with this width
    drawPolygons();
}

}  // namespace gaugeplot2d
