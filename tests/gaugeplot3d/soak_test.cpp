// gaugeplot3d soak: many frames with every polygon record at its vertex limit, add and replace
// requests between frames; nothing allocated and no memory growth.
#include "fixture.h"

#include <cmath>
#include <vector>

#include "allocations.h"

namespace gaugeplot3d {
namespace {

constexpr int SoakFrames = 100000;
constexpr int WarmUpFrames = 100;  // first runs of every path fault in code and data pages
constexpr int FrameFaces = 1280 + 4 * (3 + MaxPolygons * (VertexSlots - 1));

class Soak3d : public Viewer3d {
protected:
    // Every record finished, each with 19 vertices on a circle of radius 200 pixels around the
    // window centre, clicked in as a user would.
    static void fillTables()
    {
        for (int k = 0; k < MaxPolygons; k++) {
            onMenu(MenuNewPolygon);
            for (int j = 0; j < VertexSlots - 1; j++) {
                double angle = 2 * M_PI * j / (VertexSlots - 1) + 0.01 * k;
                int x = 320 + int(std::lround(200 * std::cos(angle)));
                int y = 320 + int(std::lround(200 * std::sin(angle)));
                onMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, x, y);
                onMouse(GLUT_LEFT_BUTTON, GLUT_UP, x, y);
            }
            onMouse(GLUT_RIGHT_BUTTON, GLUT_DOWN, 0, 0);  // finishes the polygon
        }
    }

    // An add request ("Yontsal Function") before even frames, a drag step to a pixel beside
    // polygon 7's first vertex (a replace request) before odd ones; then the frame. False if the
    // frame was wrong.
    static bool editAndDraw(int frame)
    {
        if (frame % 2 == 0) {
            onMenu(MenuFunction);
        } else {
            const Polygon& p = sketch.polygons[7];
            int x = p.screenX[1], y = p.screenY[1];
            onMenu(MenuChange);
            onMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, x, y);
            onMotion(x + (frame % 4 == 1 ? 1 : -1), y);
            onMouse(GLUT_LEFT_BUTTON, GLUT_UP, x, y);
            onMouse(GLUT_RIGHT_BUTTON, GLUT_DOWN, 0, 0);
            if (viewer.replaceActive != 1)
                return false;
        }
        onDisplay();
        bool good = fakegl::countPrimitives(GL_POLYGON) == FrameFaces && fakegl::recording.nonFinite == 0;
        fakegl::clearFrame();
        return good;
    }
};

TEST(Allocations, CountsHeapAllocations)
{
    long before = allocations::count();
    std::vector<int> v(10);
    EXPECT_GT(allocations::count(), before);
    EXPECT_GT(allocations::residentKilobytes(), 0);
}

TEST_F(Soak3d, HundredThousandFullFramesWithEditsAllocateNothingAndKeepTheirMemory)
{
    fillTables();
    ASSERT_EQ(viewer.polygonCount, MaxPolygons);
    for (int k = 0; k < MaxPolygons; k++)
        ASSERT_EQ(sketch.polygons[k].vertexCount, VertexSlots - 1) << "polygon " << k;

    for (int frame = 0; frame < WarmUpFrames; frame++)
        ASSERT_TRUE(editAndDraw(frame)) << "frame " << frame;
    const long residentBefore = allocations::residentKilobytes();
    const long allocationsBefore = allocations::count();
    for (int frame = 0; frame < SoakFrames; frame++)
        ASSERT_TRUE(editAndDraw(frame)) << "frame " << frame;
    EXPECT_EQ(allocations::count(), allocationsBefore);
    EXPECT_EQ(allocations::residentKilobytes(), residentBefore);
    EXPECT_FALSE(fakegl::recording.overflow);

    // However long the session, the band is that of the copies in the field. The drags move the
    // vertex that a press on polygon 7's first vertex picks (the first within reach in table
    // order, of an earlier polygon) to a pixel right or left of it, and each "Yontsal Function"
    // then adds a copy of that polygon at its shape. The first choice, for polygon 49, waits for
    // the first frame with the fifty finishes and is one request with polygon 49's own. So the
    // field holds one copy of every polygon, and of the dragged polygon one per choice besides:
    // half of its copies with the vertex on the left, where it is now, half with it on the right.
    const Polygon& seven = sketch.polygons[7];
    pickVertex(seven.screenX[1], seven.screenY[1]);
    const int dragged = viewer.pickedPolygon;
    const int vertex = viewer.pickedVertex;
    clearPick();
    ASSERT_GE(dragged, 0);
    std::vector<Copies> copies;
    for (int k = 0; k < MaxPolygons; k++)
        if (k != dragged)
            copies.push_back(directGauges(k));
    const int adds = (WarmUpFrames - 2) / 2 + SoakFrames / 2;
    const double eachShape = (1 + adds) / 2.0;
    copies.push_back({directGauges(dragged), eachShape});
    sketch.polygons[dragged].screenX[vertex] += 2;
    mapVertexToPlane(dragged, vertex);
    computeEdgeLines(dragged);
    copies.push_back({directGauges(dragged), eachShape});
    expectBandOfCopies(copies, "after the soak");
}

}  // namespace
}  // namespace gaugeplot3d
