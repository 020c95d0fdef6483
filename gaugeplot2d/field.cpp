// gaugeplot2d field value and level band: polygon gauges, their blend, and the band they bound.
//
// Everything is recomputed on every frame from the polygon table; nothing is cached. Products,
// powers and reciprocals are taken in double precision and rounded where they are stored.
#include "field.h"

#include <cmath>

#include <GL/glut.h>

#include "drawing.h"
#include "polygons.h"
#include "viewer.h"

namespace gaugeplot2d {

FieldState field;

namespace {

struct Point {
    float x;
    float y;
};

const GLfloat bandColor[] = {0.5f, 0.8f, 0.8f};

bool isFinite(const Point& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// Value a·X + b·Y of the line a·x + b·y = 1 through vertices j and t, at the query point.
// An edge whose line passes through the window centre (D = 0) has no such line; it gives NaN.
double edgeValue(const Polygon& polygon, int j, int t, double X, double Y)
{
    double xj = polygon.relX[j], yj = polygon.relY[j];
    double xt = polygon.relX[t], yt = polygon.relY[t];
    double d = xj * yt - xt * yj;
    return (yt - yj) * X / d + (xj - xt) * Y / d;
}

// Margin, relative to a sum, within which a sum reached by multiplications lies around the one
// reached through pow: a few units in the last place of a double, with room to spare.
constexpr double SumMargin = 0x1p-40;

// Whether every double within SumMargin of the sum rounds to the same float as the sum itself.
// Rounding is monotone, so it is enough that both ends of that interval round alike. A sum that is
// not finite, or whose ends are not, fails the test.
bool roundsAlike(double sum)
{
    double margin = sum * SumMargin;
    return static_cast<float>(sum - margin) == static_cast<float>(sum + margin);
}

}  // namespace

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
            return static_cast<float>(total);
    }
    return static_cast<float>(sum + std::pow(base, exponent));
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
        float value = static_cast<float>((e + std::fabs(e)) * 0.5);
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
        sum = static_cast<float>(sum + 1.0 / std::pow(std::fabs(double(store.polygons[i].gauge)), exponent));
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
    Point outer[BandDirections];
    Point inner[BandDirections];
    for (int n = 0; n < BandDirections; n++) {
        int x, y;
        bandDirection(n, &x, &y);
        field.queryX = static_cast<float>(x);
        field.queryY = static_cast<float>(y);
        fieldLevelPoints(p);
        outer[n] = {field.queryX, field.queryY};
        inner[n] = {field.innerX, field.innerY};
    }

    glLineWidth(2.0f);
    glColor3fv(bandColor);
    for (int n = 0; n < BandDirections; n++) {
        int m = (n + 1) % BandDirections;  // the last quadrilateral closes the band
        // A quadrilateral that would reach a level point at infinity is left out.
        if (!isFinite(outer[n]) || !isFinite(inner[n]) || !isFinite(inner[m]) || !isFinite(outer[m]))
            continue;
        glBegin(GL_POLYGON);
        glVertex2f(outer[n].x, outer[n].y);
        glVertex2f(inner[n].x, inner[n].y);
        glVertex2f(inner[m].x, inner[m].y);
        glVertex2f(outer[m].x, outer[m].y);
        glEnd();
    }

    glLineWidth(2.0f);  // the polygon outlines are drawn with this width
    drawPolygons();
}

}  // namespace gaugeplot2d
