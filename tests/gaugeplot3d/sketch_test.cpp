// gaugeplot3d polygon sketching: clicks mapped onto the plane, spacing, picking, dragging, edge lines.
#include "fixture.h"

namespace gaugeplot3d {
namespace {

using fakegl::recording;

class Sketch3d : public Viewer3d {
protected:
    // Looks at the plane edge-on: no turn about y.
    static void viewEdgeOn()
    {
        viewer.angleY = 0;
        viewer.sinAngleY = sineOfDegrees(0);
        viewer.cosAngleY = cosineOfDegrees(0);
    }

    // Finished polygon k with one vertex per window point, mapped as clicks would be.
    static void clickPolygon(int k, std::initializer_list<std::pair<int, int>> points)
    {
        viewer.activePolygon = k;
        startPolygon(k);
        for (const auto& p : points) {
            viewer.mouseX = p.first;
            viewer.mouseY = p.second;
            addVertex();
        }
        computeEdgeLines(k);
        viewer.polygonCount = k + 1;
    }
};

TEST_F(Sketch3d, ClicksAtStartLandOnThePlaneThroughTheRotation)
{
    struct Case {
        int x, y;
        float planeX, planeY;
    };
    const Case cases[] = {
        {320, 320, 0, 0},
        {0, 0, 1.6181f, -1.0488f},
        {640, 320, -0.6599f, 1.6139f},
        {320, 0, 1.3388f, 0},
    };
    for (const Case& c : cases) {
        float x = 99, y = 99;
        ASSERT_TRUE(mapWindowPoint(c.x, c.y, &x, &y));
        EXPECT_NEAR(x, c.planeX, 1e-4) << c.x << "," << c.y;
        EXPECT_NEAR(y, c.planeY, 1e-4) << c.x << "," << c.y;
    }

    // The vertex keeps its window position and gets the plane position, with planeZ 0.
    viewer.mouseX = 0;
    viewer.mouseY = 0;
    addVertex();
    const Polygon& p = sketch.polygons[0];
    ASSERT_EQ(p.vertexCount, 1);
    EXPECT_EQ(p.screenX[1], 0);
    EXPECT_EQ(p.screenY[1], 0);
    EXPECT_NEAR(p.planeX[1], 1.6181f, 1e-4);
    EXPECT_NEAR(p.planeY[1], -1.0488f, 1e-4);
    EXPECT_EQ(p.planeZ[1], 0.0f);
}

TEST_F(Sketch3d, EdgeOnClicksLandOnOnePointAndTheCentreLineAddsNothing)
{
    viewEdgeOn();
    viewer.activePolygon = 0;
    for (const auto& p : {std::pair<int, int>{100, 200}, {600, 50}}) {
        float x, y;
        ASSERT_TRUE(mapWindowPoint(p.first, p.second, &x, &y));
        EXPECT_NEAR(x, 6 * viewer.sinAngleX, 1e-5);
        EXPECT_NEAR(y, 6 * viewer.cosAngleX, 1e-5);
    }

    // The line of sight through the centre line runs in the plane: no point to store.
    float x = 7, y = 7;
    EXPECT_FALSE(mapWindowPoint(320, 100, &x, &y));
    EXPECT_EQ(x, 7.0f);
    viewer.mouseX = 320;
    viewer.mouseY = 100;
    addVertex();
    EXPECT_EQ(sketch.polygons[0].vertexCount, 0);
    mapVertexToPlane(0, 1);  // the stored window position (0, 0) is off the line
    EXPECT_NEAR(sketch.polygons[0].planeX[1], 6 * viewer.sinAngleX, 1e-5);
}

TEST_F(Sketch3d, NewVertexMustLieMoreThan25PixelsFromTheLastOne)
{
    viewer.activePolygon = 0;
    const struct {
        int x, y, count;
    } clicks[] = {
        {100, 100, 1},  // the first is always taken
        {110, 115, 1},  // 25 away
        {110, 116, 2},  // 26 away
        {100, 100, 3},  // 26 from the last, whatever the first
        {100, 100, 3},  // on the last
    };
    for (const auto& c : clicks) {
        viewer.mouseX = c.x;
        viewer.mouseY = c.y;
        addVertex();
        EXPECT_EQ(sketch.polygons[0].vertexCount, c.count) << c.x << "," << c.y;
    }
    EXPECT_EQ(sketch.polygons[0].screenX[2], 110);
    EXPECT_EQ(sketch.polygons[0].screenY[2], 116);
}

TEST_F(Sketch3d, AFullPolygonIgnoresFurtherClicks)
{
    viewer.activePolygon = 4;
    for (int i = 0; i < VertexSlots + 3; i++) {
        viewer.mouseX = 30 * i;
        viewer.mouseY = 10;
        addVertex();
    }
    EXPECT_EQ(sketch.polygons[4].vertexCount, VertexSlots - 1);
    EXPECT_EQ(sketch.polygons[4].screenX[VertexSlots - 1], 30 * (VertexSlots - 2));
    EXPECT_EQ(sketch.polygons[5].screenX[0], 0);  // nothing spilled into the next record
}

TEST_F(Sketch3d, PickReachesEightPixelsAndTheFirstMatchInTableOrderWins)
{
    clickPolygon(0, {{100, 100}, {200, 100}, {150, 200}});
    clickPolygon(1, {{300, 300}, {204, 104}, {400, 300}});
    viewer.activePolygon = 1;

    pickVertex(109, 100);  // 9 away
    EXPECT_EQ(viewer.pickedPolygon, -1);
    EXPECT_EQ(viewer.pickedVertex, -1);
    EXPECT_EQ(viewer.activePolygon, 1);

    pickVertex(104, 96);  // 8 away
    EXPECT_EQ(viewer.pickedPolygon, 0);
    EXPECT_EQ(viewer.pickedVertex, 1);
    EXPECT_EQ(viewer.activePolygon, 0);

    pickVertex(202, 102);  // within reach of vertex 2 of both polygons
    EXPECT_EQ(viewer.pickedPolygon, 0);
    EXPECT_EQ(viewer.pickedVertex, 2);

    pickVertex(298, 302);
    EXPECT_EQ(viewer.pickedPolygon, 1);
    EXPECT_EQ(viewer.pickedVertex, 1);
    EXPECT_EQ(viewer.activePolygon, 1);

    // The polygon being sketched is not pickable.
    viewer.polygonCount = 1;
    pickVertex(298, 302);
    EXPECT_EQ(viewer.pickedPolygon, -1);

    viewer.pickedPolygon = 1;
    viewer.pickedVertex = 2;
    clearPick();
    EXPECT_EQ(viewer.pickedPolygon, -1);
    EXPECT_EQ(viewer.pickedVertex, -1);
}

TEST_F(Sketch3d, SquareGetsOneEdgeLinePerSide)
{
    setSquare(0, 1);
    const float expected[4][2] = {{0, 1}, {-1, 0}, {0, -1}, {1, 0}};
    const EdgeLine& line = sketch.edgeLines[0];
    for (int i = 1; i <= 4; i++) {
        EXPECT_FLOAT_EQ(line.a[i], expected[i - 1][0]) << "edge " << i;
        EXPECT_FLOAT_EQ(line.b[i], expected[i - 1][1]) << "edge " << i;
        EXPECT_EQ(line.c[i], 0.0f);
    }
}

// Each edge divides by m rounded to a float, in every build: an optimised build once divided some
// edges of polygons of 4, 8, 12 and 16 vertices by the unrounded double, one unit off in a or b.
TEST_F(Sketch3d, EdgeLinesDivideByTheRoundedDeterminantInEveryEdge)
{
    int edges = 0;
    for (int count : {4, 8, 12, 16}) {
        for (int trial = 0; trial < 50; trial++) {
            Polygon& p = sketch.polygons[0];
            p.vertexCount = count;
            for (int i = 1; i <= count; i++) {
                p.planeX[i] = float((i * 37 + trial * 11) % 101) / 7.0f - 5;
                p.planeY[i] = float((i * 53 + trial * 29) % 97) / 3.0f - 12;
            }
            computeEdgeLines(0);
            for (int i = 1; i <= count; i++) {
                const int j = i < count ? i + 1 : 1;
                // volatile: this reference rounds m whatever the optimiser does.
                volatile float m = float(double(p.planeX[i]) * p.planeY[j] - double(p.planeX[j]) * p.planeY[i]);
                ASSERT_EQ(sketch.edgeLines[0].a[i], float((double(p.planeY[j]) - p.planeY[i]) / m))
                    << count << " vertices, trial " << trial << ", edge " << i;
                ASSERT_EQ(sketch.edgeLines[0].b[i], float((double(p.planeX[i]) - p.planeX[j]) / m))
                    << count << " vertices, trial " << trial << ", edge " << i;
                edges++;
            }
        }
    }
    EXPECT_EQ(edges, 50 * (4 + 8 + 12 + 16));
}

TEST_F(Sketch3d, DegenerateEdgesKeepWhatIEEEGives)
{
    setPolygon(0, {{1, 0}, {-1, 0}});  // a line through the origin
    EXPECT_TRUE(std::isnan(sketch.edgeLines[0].a[1]));
    EXPECT_TRUE(std::isinf(sketch.edgeLines[0].b[1]));

    setPolygon(1, {{0.5f, 0.25f}});  // one vertex: the closing edge to itself
    EXPECT_TRUE(std::isnan(sketch.edgeLines[1].a[1]));
    EXPECT_TRUE(std::isnan(sketch.edgeLines[1].b[1]));

    setPolygon(2, {{1, 2}, {3, 1}});  // two vertices: there and back on one line
    const EdgeLine& line = sketch.edgeLines[2];
    EXPECT_FLOAT_EQ(line.a[1], line.a[2]);
    EXPECT_FLOAT_EQ(line.b[1], line.b[2]);
    EXPECT_FLOAT_EQ(line.a[1] * 1 + line.b[1] * 2, 1.0f);
    EXPECT_FLOAT_EQ(line.a[1] * 3 + line.b[1] * 1, 1.0f);
}

TEST_F(Sketch3d, DragMovesThePickedVertexAndRefreshesItsPolygon)
{
    clickPolygon(0, {{200, 200}, {440, 200}, {440, 440}, {200, 440}});
    const EdgeLine before = sketch.edgeLines[0];

    dragVertex(300, 300);  // nothing picked
    EXPECT_EQ(sketch.polygons[0].screenX[1], 200);
    EXPECT_EQ(recording.redisplayCount, 0);

    pickVertex(200, 200);
    dragVertex(180, 190);
    dragVertex(150, 170);  // no spacing rule for drags
    const Polygon& p = sketch.polygons[0];
    EXPECT_EQ(p.screenX[1], 150);
    EXPECT_EQ(p.screenY[1], 170);
    float x, y;
    ASSERT_TRUE(mapWindowPoint(150, 170, &x, &y));
    EXPECT_EQ(p.planeX[1], x);
    EXPECT_EQ(p.planeY[1], y);
    EXPECT_NE(sketch.edgeLines[0].a[1], before.a[1]);
    EXPECT_FLOAT_EQ(sketch.edgeLines[0].a[1] * p.planeX[1] + sketch.edgeLines[0].b[1] * p.planeY[1], 1.0f);
    EXPECT_EQ(viewer.fieldDirty, 1);
    EXPECT_EQ(viewer.replaceActive, 1);
    EXPECT_EQ(viewer.addActive, 0);
    EXPECT_EQ(recording.redisplayCount, 2);
}

TEST_F(Sketch3d, EdgeOnDragOntoTheCentreLineMovesNothing)
{
    clickPolygon(0, {{200, 200}, {440, 200}, {440, 440}});
    pickVertex(440, 200);
    const Polygon before = sketch.polygons[0];
    const EdgeLine lineBefore = sketch.edgeLines[0];
    viewEdgeOn();
    dragVertex(320, 250);
    const Polygon& p = sketch.polygons[0];
    EXPECT_EQ(p.screenX[2], 440);
    EXPECT_EQ(p.screenY[2], 200);
    EXPECT_EQ(p.planeX[2], before.planeX[2]);
    EXPECT_EQ(p.planeY[2], before.planeY[2]);
    EXPECT_EQ(sketch.edgeLines[0].a[2], lineBefore.a[2]);
    EXPECT_EQ(viewer.fieldDirty, 0);
    EXPECT_EQ(viewer.replaceActive, 0);
}

}  // namespace
}  // namespace gaugeplot3d
