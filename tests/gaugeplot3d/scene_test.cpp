// gaugeplot3d scene: the frame's call order, what each frame draws, and the edge colours.
#include "fixture.h"

namespace gaugeplot3d {
namespace {

using fakegl::recording;

// Beams whose corners have the colour ratio of highlightColor (red twice green) from primitive first on.
int highlightedBeams(int first)
{
    int quads = 0;
    for (int i = first; i < recording.primitiveCount; i++)
        if (std::fabs(fakegl::vertexOf(i, 0).r / fakegl::vertexOf(i, 0).g - 2.0f) < 1e-4f)
            quads++;
    return quads / 4;
}

TEST_F(Viewer3d, FrameClearsTurnsDrawsAndSwapsInOrder)
{
    onDisplay();
    const char* order[] = {"glClear", "glPushMatrix", "glRotatef", "glRotatef", "glPopMatrix", "glutSwapBuffers"};
    ASSERT_EQ(recording.callCount, 6);
    for (int i = 0; i < 6; i++)
        EXPECT_STREQ(recording.calls[i].name, order[i]);
    EXPECT_EQ(recording.calls[0].args[0], 0x4500);
    const double turnX[] = {400, 1, 0, 0};
    const double turnY[] = {1200, 0, 1, 0};
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(recording.calls[2].args[i], turnX[i]);
        EXPECT_EQ(recording.calls[3].args[i], turnY[i]);
    }
    EXPECT_EQ(recording.swapCount, 1);

    // At start: the three axes only, in lineColor, and all finite.
    EXPECT_EQ(recording.primitiveCount, 12);
    expectOnlyQuads();
    EXPECT_EQ(highlightedBeams(0), 0);
    EXPECT_EQ(recording.nonFinite, 0);
    EXPECT_EQ(recording.nestingErrors, 0);
}

TEST_F(Viewer3d, FrameWithAPolygonDrawsBandAxesAndEdges)
{
    setSquare(0, 1);
    finishPolygon(0);
    viewer.polygonCount = 1;
    onDisplay();
    EXPECT_EQ(recording.primitiveCount, 1280 + 12 + 16);
    expectOnlyQuads();
    EXPECT_EQ(highlightedBeams(1280), 4);  // the band first, then axes, then the active square
    EXPECT_EQ(viewer.fieldDirty, 0);
    EXPECT_EQ(recording.nonFinite, 0);

    fakegl::reset();
    onMenu(MenuShowPolygons);
    onDisplay();
    EXPECT_EQ(recording.primitiveCount, 1280);  // the band is drawn whether or not polygons show

    fakegl::reset();
    viewer.polygonCount = 0;
    viewer.fieldDirty = viewer.addActive = 1;
    onDisplay();
    EXPECT_EQ(recording.primitiveCount, 0);  // only the background
    EXPECT_EQ(viewer.fieldDirty, 1);         // no band pass, the request waits
    EXPECT_EQ(recording.swapCount, 1);
}

TEST_F(Viewer3d, PolygonsDrawOneBeamPerEdgeAndTwoVerticesMakeOne)
{
    const int counts[] = {0, 1, 2, 3, 5};
    const int beams[] = {0, 0, 1, 3, 5};
    for (int i = 0; i < 5; i++) {
        fakegl::reset();
        sketch = SketchState();
        Polygon& p = sketch.polygons[0];
        p.vertexCount = counts[i];
        for (int v = 1; v <= counts[i]; v++) {
            p.planeX[v] = std::cos(v * 1.1f);
            p.planeY[v] = std::sin(v * 1.1f);
        }
        drawPolygons();
        EXPECT_EQ(recording.primitiveCount, 4 * beams[i]) << counts[i] << " vertices";
    }
}

TEST_F(Viewer3d, TheActivePolygonIsHighlightedAndTheSketchShowsWhileItGrows)
{
    setSquare(0, 1);
    setSquare(1, 0.5f);
    setPolygon(2, {{0.2f, 0.1f}, {-0.3f, 0.4f}});  // being sketched
    viewer.polygonCount = 2;
    viewer.activePolygon = 2;
    drawPolygons();
    EXPECT_EQ(recording.primitiveCount, 4 * (4 + 4 + 1));
    EXPECT_EQ(highlightedBeams(0), 1);
    EXPECT_EQ(highlightedBeams(32), 1);

    fakegl::reset();
    viewer.activePolygon = 1;  // a vertex of polygon 1 was picked
    drawPolygons();
    EXPECT_EQ(highlightedBeams(0), 4);
    EXPECT_EQ(highlightedBeams(16), 4);
    EXPECT_EQ(highlightedBeams(32), 0);
}

TEST_F(Viewer3d, AFullTableDrawsItsFiftyPolygonsAndNoMore)
{
    for (int k = 0; k < MaxPolygons; k++)
        setPolygon(k, {{0.1f * k, 1}, {-1, 0.1f * k}});
    viewer.polygonCount = MaxPolygons;
    viewer.activePolygon = MaxPolygons - 1;
    drawPolygons();
    EXPECT_EQ(recording.primitiveCount, 4 * MaxPolygons);
    EXPECT_EQ(highlightedBeams(0), 1);
}

TEST_F(Viewer3d, CoincidentVerticesGiveNoBeamAndNothingNonFinite)
{
    // Edges through one point: one of zero length, two on the line y = 0.5; the field is 0 wherever
    // no edge value is positive, so part of the band has no level points.
    setPolygon(0, {{0.5f, 0.5f}, {0.5f, 0.5f}, {-0.5f, 0.5f}});
    drawPolygons();
    EXPECT_EQ(recording.primitiveCount, 4 * 2);

    fakegl::reset();
    viewer.polygonCount = 1;
    viewer.fieldDirty = viewer.addActive = 1;
    onDisplay();
    EXPECT_GT(recording.primitiveCount, 12 + 8);
    EXPECT_LT(recording.primitiveCount, 1280 + 12 + 8);
    expectOnlyQuads();
    EXPECT_EQ(recording.nonFinite, 0);
}

}  // namespace
}  // namespace gaugeplot3d
