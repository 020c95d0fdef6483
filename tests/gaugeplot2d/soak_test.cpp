// gaugeplot2d soak: many frames with every polygon record at its vertex limit, a vertex dragged
// between frames; nothing allocated and no memory growth.
#include "fixture.h"

#include <cmath>

#include "allocations.h"

namespace gaugeplot2d {
namespace {

constexpr int SoakFrames = 100000;
constexpr int WarmUpFrames = 100;  // first runs of every path fault in code and data pages

class Soak2d : public Viewer2d {
protected:
    // Every record finished, each with 50 vertices on a circle of radius 230 around the centre,
    // clicked in as a user would (neighbours are about 29 pixels apart).
    static void fillTables()
    {
        for (int k = 0; k < MaxPolygons; k++) {
            onMenu(MenuNewPolygon);
            for (int j = 0; j < MaxVertices; j++) {
                double angle = 2 * M_PI * j / MaxVertices + 0.01 * k;
                click(320 + int(std::lround(230 * std::cos(angle))),
                      240 + int(std::lround(230 * std::sin(angle))));
            }
        }
        onMenu(MenuNewPolygon);
    }

    // A drag step of the picked vertex, then the frame. False if the frame was wrong.
    static bool dragAndDraw(int frame, int x, int y)
    {
        onMotion(x + frame % 2, y);
        onDisplay();
        bool good = fakegl::countPrimitives(GL_POLYGON) == BandDirections && fakegl::recording.nonFinite == 0;
        fakegl::clearFrame();
        return good;
    }
};

TEST_F(Soak2d, HundredThousandFullFramesAllocateNothingAndKeepTheirMemory)
{
    fillTables();
    ASSERT_EQ(finishedPolygons(), MaxPolygons);
    for (int k = 0; k < MaxPolygons; k++)
        ASSERT_EQ(store.polygons[k].lastVertex, MaxVertices - 1) << "polygon " << k;

    onMenu(MenuChange);
    const int x = store.polygons[0].screenX[0];
    const int y = store.polygons[0].screenY[0];
    onMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, x, y);
    ASSERT_EQ(store.pickedPolygon, 0);

    for (int frame = 0; frame < WarmUpFrames; frame++)
        ASSERT_TRUE(dragAndDraw(frame, x, y)) << "frame " << frame;
    const long residentBefore = allocations::residentKilobytes();
    const long allocationsBefore = allocations::count();
    for (int frame = 0; frame < SoakFrames; frame++)
        ASSERT_TRUE(dragAndDraw(frame, x, y)) << "frame " << frame;
    EXPECT_EQ(allocations::count(), allocationsBefore);
    EXPECT_EQ(allocations::residentKilobytes(), residentBefore);
    EXPECT_FALSE(fakegl::recording.overflow);
}

}  // namespace
}  // namespace gaugeplot2d
