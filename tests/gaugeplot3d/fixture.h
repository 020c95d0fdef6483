// Test fixture for gaugeplot3d: every module back at its start state, as after the first reshape,
// with an empty GL recording.
#pragma once

#include <array>
#include <cmath>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "band.h"
#include "fakegl.h"
#include "field.h"
#include "scene.h"
#include "shading.h"
#include "sketch.h"
#include "viewer.h"

namespace gaugeplot3d {

class Viewer3d : public ::testing::Test {
protected:
    void SetUp() override
    {
        viewer = ViewerState();
        sketch = SketchState();
        field = FieldState();
        band = BandState();
        shading = ShadingState();
        fakegl::reset();
        onReshape(640, 640);  // GLUT reshapes before any input or frame
        fakegl::reset();
    }

    // Stores polygon k with the given plane vertices and its edge lines, without clicks.
    static void setPolygon(int k, std::initializer_list<std::pair<float, float>> vertices)
    {
        Polygon& p = sketch.polygons[k];
        p.vertexCount = 0;
        for (const auto& v : vertices) {
            p.vertexCount++;
            p.planeX[p.vertexCount] = v.first;
            p.planeY[p.vertexCount] = v.second;
        }
        computeEdgeLines(k);
    }

    // The square with vertices (±s, ±s) as polygon k.
    static void setSquare(int k, float s) { setPolygon(k, {{s, s}, {-s, s}, {-s, -s}, {s, -s}}); }

    // Finishes polygon k as a right press in NewPolygon would, without clicks.
    static void finishPolygon(int k)
    {
        viewer.activePolygon = k;
        viewer.polygonCount = k + 1;
        viewer.fieldDirty = 1;
        viewer.addActive = 1;
    }

    static void press(int button, int x, int y) { onMouse(button, GLUT_DOWN, x, y); }
    static void release(int button, int x, int y) { onMouse(button, GLUT_UP, x, y); }
    static void click(int x, int y)
    {
        press(GLUT_LEFT_BUTTON, x, y);
        release(GLUT_LEFT_BUTTON, x, y);
    }

    // A frame as GLUT would draw it after the events so far.
    static void frame()
    {
        fakegl::clearFrame();
        onDisplay();
    }

    // A polygon sketched through the handlers: "New Polygon", a left click per vertex, the right
    // press that finishes it. No frame follows.
    static void sketchPolygon(std::initializer_list<std::pair<int, int>> clicks)
    {
        onMenu(MenuNewPolygon);
        for (const auto& c : clicks)
            click(c.first, c.second);
        press(GLUT_RIGHT_BUTTON, clicks.begin()->first, clicks.begin()->second);
    }

    // In "Change": presses on (x0, y0) and drags to (x1, y1) in `steps` motions, a frame after each.
    static void dragWithMouse(int x0, int y0, int x1, int y1, int steps = 8)
    {
        press(GLUT_LEFT_BUTTON, x0, y0);
        for (int s = 1; s <= steps; s++) {
            onMotion(x0 + (x1 - x0) * s / steps, y0 + (y1 - y0) * s / steps);
            frame();
        }
        release(GLUT_LEFT_BUTTON, x1, y1);
    }

    using Gauges = std::array<double, BandDirections>;

    // Polygon k's gauge in every band direction, evaluated directly from its current edge lines.
    static Gauges directGauges(int k)
    {
        Gauges g{};
        for (int n = 0; n < BandDirections; n++) {
            int x, y;
            bandDirection(n, &x, &y);
            double sum = 0;
            for (int i = 1; i <= sketch.polygons[k].vertexCount; i++) {
                const double e = double(sketch.edgeLines[k].a[i]) * x + double(sketch.edgeLines[k].b[i]) * y;
                if (std::isfinite(e) && e > 0)
                    sum += e * e * e;
            }
            g[n] = std::cbrt(sum);
        }
        return g;
    }

    // Copies of one polygon's shape in the field: its gauges by direction, and how many.
    struct Copies {
        Copies(const Gauges& g, double n = 1) : gauges(g), count(n) {}
        Gauges gauges;
        double count;
    };

    // Every level point of the last band pass lies within a relative 1e-6 of the point where the
    // field of exactly these copies is 1 (and 0.95).
    static void expectBandOfCopies(const std::vector<Copies>& copies, const char* when)
    {
        double worst = 0;
        int worstDirection = -1;
        for (int n = 0; n < BandDirections; n++) {
            double sum = 0;
            for (const Copies& c : copies)
                sum += c.count * std::pow(c.gauges[n], -8.0);
            const double F = std::pow(sum, -0.125);
            int x, y;
            bandDirection(n, &x, &y);
            const double gaps[] = {
                std::hypot(band.outerPoints[n][1] - x / F, band.outerPoints[n][2] - y / F),
                std::hypot(band.innerPoints[n][1] - 0.95 * x / F, band.innerPoints[n][2] - 0.95 * y / F) / 0.95,
            };
            for (double gap : gaps) {
                const double relative = gap / (std::hypot(x, y) / F);
                if (!(relative <= worst)) {
                    worst = relative;
                    worstDirection = n;
                }
            }
        }
        EXPECT_LE(worst, 1e-6) << when << ": worst at direction " << worstDirection;
    }

    // Every primitive recorded so far is a quad drawn as GL_POLYGON with four vertices.
    static void expectOnlyQuads()
    {
        for (int i = 0; i < fakegl::recording.primitiveCount; i++) {
            EXPECT_EQ(fakegl::primitive(i).mode, GLenum(GL_POLYGON));
            EXPECT_EQ(fakegl::primitive(i).vertexCount, 4);
        }
    }
};

}  // namespace gaugeplot3d
