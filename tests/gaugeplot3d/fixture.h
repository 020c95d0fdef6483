// Test fixture for gaugeplot3d: every module back at its start state, as after the first reshape,
// with an empty GL recording.
#pragma once

#include <cmath>

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
