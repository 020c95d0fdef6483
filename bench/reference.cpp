// The straightforward evaluation the viewers' computation is measured against.
#include "reference.h"

#include <cmath>
#include <cstring>

#include "gaugeplot2d/field.h"
#include "gaugeplot2d/polygons.h"
#include "gaugeplot2d/viewer.h"
#include "gaugeplot3d/band.h"
#include "gaugeplot3d/sketch.h"
#include "gaugeplot3d/viewer.h"

namespace bench {

void referenceLevelPoints2d(float outer[][2], float inner[][2])
{
    using namespace gaugeplot2d;
    const double p = 6.0;
    for (int n = 0; n < BandDirections; n++) {
        int dx, dy;
        bandDirection(n, &dx, &dy);
        const double X = dx, Y = dy;
        float sum = 0;
        for (int i = 0; i < finishedPolygons(); i++) {
            const Polygon& polygon = store.polygons[i];
            const int last = polygon.lastVertex;
            if (last < 1)
                continue;
            float gauge = 0;
            for (int j = 0; j <= last; j++) {
                const int t = j == last ? 0 : j + 1;
                const double xj = polygon.relX[j], yj = polygon.relY[j];
                const double xt = polygon.relX[t], yt = polygon.relY[t];
                const double d = xj * yt - xt * yj;
                double e = (yt - yj) * X / d + (xj - xt) * Y / d;
                if (!std::isfinite(e))
                    e = 0;  // the viewer's choice for an edge in line with the centre
                const float positive = float((e + std::fabs(e)) * 0.5);
                gauge = float(gauge + std::pow(std::fabs(double(positive)), p));
            }
            gauge = float(std::pow(std::fabs(double(gauge)), 1.0 / p));
            sum = float(sum + 1.0 / std::pow(std::fabs(double(gauge)), p));
        }
        const double F = 1.0 / std::pow(std::fabs(double(sum)), 1.0 / p);
        const double cx = centreX(), cy = centreY();
        inner[n][0] = float(0.9 * X / F + cx);
        inner[n][1] = float(0.9 * Y / F + cy);
        outer[n][0] = float(X / F + cx);
        outer[n][1] = float(Y / F + cy);
    }
}

void referenceLevelPoints3d(float outer[][2], float inner[][2])
{
    using namespace gaugeplot3d;
    for (int n = 0; n < BandDirections; n++) {
        int dx, dy;
        bandDirection(n, &dx, &dy);
        const float x = float(dx), y = float(dy);
        double sum = 0;
        for (int k = 0; k < viewer.polygonCount; k++) {
            const EdgeLine& line = sketch.edgeLines[k];
            float gauge = 0;
            for (int i = 1; i <= sketch.polygons[k].vertexCount; i++) {
                const double e = double(line.b[i]) * y + double(line.c[i]) * 0.0f + double(line.a[i]) * x;
                if (!std::isfinite(e))
                    continue;  // the viewer's choice for an edge line through the origin
                gauge = float(gauge + std::pow((e + std::fabs(e)) * 0.5, 3.0));
            }
            gauge = float(std::pow(double(gauge), 1.0 / 3.0));
            if (std::isfinite(gauge) && gauge > 0)
                sum += 1.0 / std::pow(double(gauge), 8.0);
        }
        const double F = float(1.0 / std::pow(sum, 0.125));
        inner[n][0] = float(x * 0.95 / F);
        inner[n][1] = float(y * 0.95 / F);
        outer[n][0] = float(x / F);
        outer[n][1] = float(y / F);
    }
}

double compareLevelPoints(const float (*a)[2], const float (*b)[2], int count, int* differing)
{
    double largest = 0;
    *differing = 0;
    for (int n = 0; n < count; n++) {
        if (std::memcmp(a[n], b[n], sizeof a[n]) == 0)
            continue;
        ++*differing;
        const bool finiteA = std::isfinite(a[n][0]) && std::isfinite(a[n][1]);
        const bool finiteB = std::isfinite(b[n][0]) && std::isfinite(b[n][1]);
        if (!finiteA || !finiteB) {
            if (finiteA != finiteB)
                largest = INFINITY;
            continue;
        }
        const double distance = std::hypot(double(b[n][0]), double(b[n][1]));
        const double gap = std::hypot(double(a[n][0]) - b[n][0], double(a[n][1]) - b[n][1]);
        if (gap / distance > largest)
            largest = gap / distance;
    }
    return largest;
}

}  // namespace bench
