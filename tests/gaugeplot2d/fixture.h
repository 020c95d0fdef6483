// Test fixture for gaugeplot2d: every module back at its start state and an empty GL recording.
#pragma once

#include <gtest/gtest.h>

#include "drawing.h"
#include "fakegl.h"
#include "field.h"
#include "polygons.h"
#include "viewer.h"

namespace gaugeplot2d {

class Viewer2d : public ::testing::Test {
protected:
    void SetUp() override
    {
        viewer = ViewerState();
        store = PolygonStore();
        field = FieldState();
        fakegl::reset();
    }

    // A left press and release at (x, y), as GLUT delivers a click.
    static void click(int x, int y)
    {
        onMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, x, y);
        onMouse(GLUT_LEFT_BUTTON, GLUT_UP, x, y);
    }

    // Clicks the given window pixels into the polygon being drawn (starting the first one if need
    // be) and finishes it with "new polygon", as a user would; the next polygon is then active.
    static void sketch(std::initializer_list<std::pair<int, int>> vertices)
    {
        if (store.activePolygon < 0)
            onMenu(MenuNewPolygon);
        for (const auto& v : vertices)
            click(v.first, v.second);
        onMenu(MenuNewPolygon);
    }
};

}  // namespace gaugeplot2d
