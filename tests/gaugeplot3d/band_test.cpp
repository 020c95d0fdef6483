// gaugeplot3d level band: the direction walk, the sampled rings, the faces, and the cleared requests.
#include "fixture.h"

namespace gaugeplot3d {
namespace {

using fakegl::recording;

void expectVertex(int primitive, int vertex, float x, float y, float z)
{
    const fakegl::Vertex& v = fakegl::vertexOf(primitive, vertex);
    EXPECT_FLOAT_EQ(v.x, x) << primitive << "/" << vertex;
    EXPECT_FLOAT_EQ(v.y, y) << primitive << "/" << vertex;
    EXPECT_FLOAT_EQ(v.z, z) << primitive << "/" << vertex;
}

TEST_F(Viewer3d, DirectionsWalkTheSquareCounterClockwiseOnceRound)
{
    const int corners[][3] = {{0, 40, -40}, {79, 40, 39}, {80, 40, 40}, {159, -39, 40},
                              {160, -40, 40}, {239, -40, -39}, {240, -40, -40}, {319, 39, -40}};
    for (const auto& c : corners) {
        int x, y;
        bandDirection(c[0], &x, &y);
        EXPECT_EQ(x, c[1]) << c[0];
        EXPECT_EQ(y, c[2]) << c[0];
    }
    for (int n = 0; n < BandDirections; n++) {
        int x0, y0, x1, y1;
        bandDirection(n, &x0, &y0);
        bandDirection((n + 1) % BandDirections, &x1, &y1);
        EXPECT_EQ(std::abs(x1 - x0) + std::abs(y1 - y0), 1) << n;
        EXPECT_EQ(std::max(std::abs(x0), std::abs(y0)), 40) << n;
        EXPECT_GT(x0 * y1 - x1 * y0, 0) << n;  // counter-clockwise
    }
}

TEST_F(Viewer3d, SquareBandSamplesLieOnTheSquareAndInsideItsCorners)
{
    setSquare(0, 1);
    finishPolygon(0);
    drawLevelBand();
    const float* outer40 = band.outerPoints[40];
    const float* inner40 = band.innerPoints[40];
    EXPECT_FLOAT_EQ(outer40[0], 0.0f);
    EXPECT_FLOAT_EQ(outer40[1], 1.0f);
    EXPECT_NEAR(outer40[2], 0.0f, 1e-7);
    EXPECT_FLOAT_EQ(inner40[0], 0.0f);
    EXPECT_FLOAT_EQ(inner40[1], 0.95f);
    EXPECT_NEAR(inner40[2], 0.0f, 1e-7);

    const float corner = float(std::pow(2.0, -1.0 / 3));
    EXPECT_FLOAT_EQ(band.outerPoints[0][0], 0.0f);
    EXPECT_FLOAT_EQ(band.outerPoints[0][1], corner);
    EXPECT_FLOAT_EQ(band.outerPoints[0][2], -corner);

    for (int n = 0; n < BandDirections; n++)
        EXPECT_EQ(field.fieldValues[n], sketch.edgeLines[0].gauges[n]) << n;
    EXPECT_EQ(field.queryZ, 0.0f);
    EXPECT_EQ(viewer.fieldDirty, 0);
    EXPECT_EQ(viewer.addActive, 0);
    EXPECT_EQ(viewer.replaceActive, 0);
}

TEST_F(Viewer3d, BandDrawsFourShadedFacesPerSegmentAroundTheRing)
{
    setSquare(0, 1);
    finishPolygon(0);
    drawLevelBand();
    ASSERT_EQ(recording.primitiveCount, 4 * BandDirections);
    EXPECT_EQ(fakegl::countPrimitives(GL_POLYGON), 1280);
    expectOnlyQuads();
    EXPECT_EQ(recording.vertexCount, 5120);
    EXPECT_EQ(recording.nonFinite, 0);
    EXPECT_EQ(recording.nestingErrors, 0);

    // Faces as outlined c0 → c2 → c3 → c1, for the first segment (0 to 1) and the closing one (319 to 0).
    const float* o0 = band.outerPoints[0];
    const float* o1 = band.outerPoints[1];
    const float* i0 = band.innerPoints[0];
    const float* i1 = band.innerPoints[1];
    const float h = BandHalfThickness;
    expectVertex(0, 0, -h, o0[1], o0[2]);  // outer wall
    expectVertex(0, 1, -h, o1[1], o1[2]);
    expectVertex(0, 2, +h, o1[1], o1[2]);
    expectVertex(0, 3, +h, o0[1], o0[2]);
    expectVertex(1, 0, +h, o0[1], o0[2]);  // side at +0.15: O[n], O[m], I[m], I[n]
    expectVertex(1, 1, +h, o1[1], o1[2]);
    expectVertex(1, 2, +h, i1[1], i1[2]);
    expectVertex(1, 3, +h, i0[1], i0[2]);
    expectVertex(2, 0, -h, o0[1], o0[2]);  // side at -0.15: O[n], I[n], I[m], O[m]
    expectVertex(2, 1, -h, i0[1], i0[2]);
    expectVertex(2, 2, -h, i1[1], i1[2]);
    expectVertex(2, 3, -h, o1[1], o1[2]);
    expectVertex(3, 0, -h, i0[1], i0[2]);  // inner wall
    expectVertex(3, 1, -h, i1[1], i1[2]);
    expectVertex(3, 2, +h, i1[1], i1[2]);
    expectVertex(3, 3, +h, i0[1], i0[2]);
    const float* o319 = band.outerPoints[319];
    expectVertex(1276, 0, -h, o319[1], o319[2]);
    expectVertex(1276, 1, -h, o0[1], o0[2]);

    // Every corner is bandColor times a factor between 0.1 and 1.1.
    for (int v = 0; v < recording.vertexCount; v++) {
        const fakegl::Vertex& vertex = recording.vertices[v];
        const float factor = vertex.r / 0.4f;
        EXPECT_GE(factor, 0.0999f);
        EXPECT_LE(factor, 1.1001f);
        EXPECT_NEAR(vertex.g, factor * 0.6f, 1e-5);
        EXPECT_NEAR(vertex.b, factor * 0.6f, 1e-5);
    }
}

TEST_F(Viewer3d, SegmentsTouchingANonFiniteLevelPointAreLeftOut)
{
    setSquare(0, 1);
    finishPolygon(0);
    drawLevelBand();
    fakegl::reset();

    field.fieldValues[5] = 0;           // level point at infinity
    field.fieldValues[0] = NAN;         // the closing segment and the first one
    drawLevelBand();
    EXPECT_EQ(recording.primitiveCount, 4 * (BandDirections - 4));
    EXPECT_EQ(recording.nonFinite, 0);
}

TEST_F(Viewer3d, ADegeneratePolygonLeavesTheBandIntact)
{
    setSquare(0, 1);
    finishPolygon(0);
    drawLevelBand();
    const BandState before = band;
    fakegl::reset();

    finishPolygon(1);  // right press without vertices
    drawLevelBand();
    for (int n = 0; n < BandDirections; n++) {
        EXPECT_FLOAT_EQ(band.outerPoints[n][1], before.outerPoints[n][1]) << n;
        EXPECT_FLOAT_EQ(band.outerPoints[n][2], before.outerPoints[n][2]) << n;
    }
    EXPECT_EQ(recording.primitiveCount, 1280);
    EXPECT_EQ(recording.nonFinite, 0);
}

TEST_F(Viewer3d, RequestsAreServedOnceAndADragDoesNotBlockTheNextAdd)
{
    setSquare(0, 1);
    finishPolygon(0);
    drawLevelBand();

    viewer.replaceActive = 1;  // a drag that shrank the square
    viewer.fieldDirty = 1;
    setSquare(0, 0.5f);
    drawLevelBand();
    EXPECT_FLOAT_EQ(field.fieldValues[40], 80.0f);
    EXPECT_EQ(viewer.replaceActive, 0);

    setSquare(1, 0.5f);
    finishPolygon(1);
    drawLevelBand();
    EXPECT_FLOAT_EQ(field.fieldValues[40], float(80 * std::pow(2.0, -0.125)));
    drawLevelBand();  // nothing pending: the same again
    EXPECT_FLOAT_EQ(field.fieldValues[40], float(80 * std::pow(2.0, -0.125)));
}

// A small square around the centre and a large one around it; then the large one's vertices are
// dragged, one by one, into the small one, whose unit curve becomes the outer one.
TEST_F(Viewer3d, BandFollowsPolygonsDraggedInsideOneAnother)
{
    sketchPolygon({{300, 300}, {345, 300}, {345, 345}, {300, 345}});
    frame();
    sketchPolygon({{150, 150}, {490, 150}, {490, 490}, {150, 490}});
    frame();
    expectBandOfCopies({directGauges(0), directGauges(1)}, "sketched");

    onMenu(MenuChange);
    dragWithMouse(150, 150, 310, 310);
    dragWithMouse(490, 150, 335, 310);
    dragWithMouse(490, 490, 335, 335);
    dragWithMouse(150, 490, 310, 335);
    expectBandOfCopies({directGauges(0), directGauges(1)}, "dragged inside");
}

// Two polygons of similar size; a vertex dragged out towards the window's corner and back.
TEST_F(Viewer3d, BandReturnsWhenAVertexIsDraggedOutAndBack)
{
    sketchPolygon({{250, 250}, {390, 250}, {390, 390}, {250, 390}});
    frame();
    sketchPolygon({{230, 280}, {320, 230}, {410, 300}, {330, 400}, {240, 380}});
    frame();
    const BandState start = band;

    onMenu(MenuChange);
    dragWithMouse(250, 250, 5, 5, 30);
    expectBandOfCopies({directGauges(0), directGauges(1)}, "dragged out");
    dragWithMouse(5, 5, 250, 250, 30);
    expectBandOfCopies({directGauges(0), directGauges(1)}, "dragged back");
    double worst = 0;
    for (int n = 0; n < BandDirections; n++) {
        const float* was = start.outerPoints[n];
        const float* is = band.outerPoints[n];
        worst = std::fmax(worst, std::hypot(is[1] - was[1], is[2] - was[2]) / std::hypot(was[1], was[2]));
    }
    EXPECT_LE(worst, 1e-6) << "the band moved from where it started";
}

// "Yontsal Function" adds a second copy; a drag then moves only the latest one.
TEST_F(Viewer3d, DragOfAPolygonAddedTwiceMovesItsLatestCopy)
{
    sketchPolygon({{250, 250}, {390, 250}, {390, 390}, {250, 390}});
    frame();
    sketchPolygon({{270, 200}, {440, 320}, {270, 440}});
    frame();
    onMenu(MenuFunction);
    frame();
    const Gauges first = directGauges(1);
    expectBandOfCopies({directGauges(0), first, first}, "added twice");

    onMenu(MenuChange);
    dragWithMouse(440, 320, 360, 320);
    expectBandOfCopies({directGauges(0), first, directGauges(1)}, "latest copy dragged");
}

// Input faster than the frames: requests of several polygons wait for one pass, and each one is
// served for the polygon it was made for.
TEST_F(Viewer3d, RequestsWaitingForOnePassAreEachServed)
{
    sketchPolygon({{250, 250}, {390, 250}, {390, 390}, {250, 390}});
    frame();
    // The second polygon is finished, then a vertex of the first is dragged, before any frame.
    sketchPolygon({{200, 300}, {320, 200}, {440, 300}, {320, 420}});
    onMenu(MenuChange);
    press(GLUT_LEFT_BUTTON, 250, 250);
    onMotion(240, 240);
    release(GLUT_LEFT_BUTTON, 240, 240);
    EXPECT_EQ(viewer.activePolygon, 0);
    frame();
    expectBandOfCopies({directGauges(0), directGauges(1)}, "add and drag in one pass");

    // A drag of the second polygon, then "Yontsal Function" for it: both copies at the new shape.
    press(GLUT_LEFT_BUTTON, 440, 300);
    onMotion(430, 310);
    release(GLUT_LEFT_BUTTON, 430, 310);
    press(GLUT_RIGHT_BUTTON, 430, 310);
    onMenu(MenuFunction);
    frame();
    expectBandOfCopies({directGauges(0), directGauges(1), directGauges(1)}, "drag, then add");
    EXPECT_EQ(field.requestCount, 0);
    EXPECT_EQ(viewer.fieldDirty, 0);
}

}  // namespace
}  // namespace gaugeplot3d
