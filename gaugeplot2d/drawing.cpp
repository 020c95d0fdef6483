// gaugeplot2d drawing and listing: the centre point, the polygon outlines, and "Print Values".
#include "drawing.h"

#include <algorithm>
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
        std::printf("%7.2f %7.2f %7.2f\n", 0.0, ((xs - xt) / d) * d, ((yt - ys) / d) * d);
    }
}

}  // namespace gaugeplot2d
