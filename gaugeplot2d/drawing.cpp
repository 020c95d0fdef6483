// gaugeplot2d drawing and listing: the centre point, the polygon outlines, and "Print Values".
#include "drawing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <GL/glut.h>

#include "lanes.h"
#include "polygons.h"
#include "viewer.h"

namespace gaugeplot2d {

namespace {

const GLfloat centreColor[] = {0.7f, 0.1f, 0.1f};
const GLfloat polygonColor[] = {0.0f, 0.0f, 0.0f};
constexpr float PointSize = 5.0f;
constexpr double ListedValue = 4.0;  // printed after every count

void drawVertices(const Polygon& polygon, GLenum mode)
{
    glBegin(mode);
    for (int j = 0; j <= polygon.lastVertex; j++)
        glVertex2f(static_cast<float>(polygon.screenX[j]), static_cast<float>(polygon.screenY[j]));
    glEnd();
}

// One listed difference, "%7.2f". A NaN is written as "-nan", as glibc has always shown the NaN
// of 0 / 0 on x86-64: the sign of that NaN is the processor's (clear on arm64), and Windows' C
// library shows none, so printf alone would make listings differ between machines.
const char* listedValue(double value, char (&text)[32])
{
    if (std::isnan(value))
        return "   -nan";
    std::snprintf(text, sizeof text, "%7.2f", value);
    return text;
}

}  // namespace

void drawPolygons()
{
    glColor3fv(centreColor);
    glPointSize(PointSize);
    glBegin(GL_POINTS);
    glVertex2f(static_cast<float>(centreX()), static_cast<float>(centreY()));
    glEnd();

    // Polygons are drawn at their stored pixels, the finished ones and the one being drawn.
    int last = std::min(store.activePolygon, MaxPolygons - 1);
    for (int k = 0; k <= last; k++) {
        glColor3fv(polygonColor);
        drawVertices(store.polygons[k], GL_LINE_LOOP);
        glPointSize(PointSize);
        drawVertices(store.polygons[k], GL_POINTS);
    }
}

void printValues()
{
    std::printf("%7d %7.2f\n", store.activePolygon, ListedValue);
    // Once a write has failed, the rest of this listing is dropped too.
    for (int i = 0; i < finishedPolygons() && !std::ferror(stdout); i++) {
        std::printf("%7d %7.2f\n", store.polygons[i].lastVertex, ListedValue);
        printPolygon(i);
    }
    // A pipe sees the listing at once. A listing that cannot be written is dropped: the failed
    // flush has emptied the buffer, and clearing the error lets a later listing go out whole.
    std::fflush(stdout);
    std::clearerr(stdout);
}

void printPolygon(int polygon)
{
    // Edges (1, 2), ..., (L - 1, L), then (L, 1): the listing starts at slot 1, and slot 0 is
    // never listed. For L = 0 and L = 1 only the closing edge remains, (0, 1) or (1, 1).
    const Polygon& p = store.polygons[polygon];
    int last = p.lastVertex;
    int first = std::min(1, last);
    for (int s = first; s <= last; s++) {
        int t = s < last ? s + 1 : 1;
        double xs = p.relX[s], ys = p.relY[s];
        double xt = p.relX[t], yt = p.relY[t];
        double d = lanes::roundToFloat(xs * yt - xt * ys);
        // Divided and multiplied back: the coordinate differences, or NaN where D is 0.
        char x[32], y[32];
        std::printf("%7.2f %s %s\n", 0.0, listedValue(((xs - xt) / d) * d, x), listedValue(((yt - ys) / d) * d, y));
    }
}

}  // namespace gaugeplot2d
