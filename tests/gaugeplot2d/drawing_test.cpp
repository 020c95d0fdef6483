// gaugeplot2d drawing and listing: the centre point, outlines and points, and "Print Values".
#include "fixture.h"

#include <string>

namespace gaugeplot2d {
namespace {

using fakegl::recording;

std::string listing()
{
    ::testing::internal::CaptureStdout();
    onMenu(MenuPrintValues);
    return ::testing::internal::GetCapturedStdout();
}

TEST_F(Viewer2d, ListingOfTheWorkedExample)
{
    sketch({{220, 190}, {440, 160}, {410, 350}, {260, 310}});
    EXPECT_EQ(listing(),
              "      1    4.00\n"
              "      3    4.00\n"
              "   0.00   30.00  190.00\n"
              "   0.00  150.00  -40.00\n"
              "   0.00 -180.00 -150.00\n");
    EXPECT_EQ(viewer.editMode, NewPolygon);  // printing leaves the mode alone
}

TEST_F(Viewer2d, ListingBeforeAnyPolygonIsOneLine)
{
    EXPECT_EQ(listing(), "     -1    4.00\n");
}

TEST_F(Viewer2d, ListingLeavesOutThePolygonBeingDrawn)
{
    onMenu(MenuNewPolygon);
    click(100, 100);
    click(200, 100);
    EXPECT_EQ(listing(), "      0    4.00\n");
}

TEST_F(Viewer2d, DegeneratePolygonsListTheirClosingEdgeAsNaN)
{
    onMenu(MenuNewPolygon);
    onMenu(MenuNewPolygon);  // finished without a vertex: edge (0, 1), both (0, 0)
    click(100, 100);
    click(200, 100);         // two vertices: only slot 1 is listed, its edge (1, 1)
    onMenu(MenuNewPolygon);
    // The same bytes on every processor and C library, whatever sign 0 / 0 gives its NaN there.
    std::string nanLine = "   0.00    -nan    -nan\n";
    EXPECT_EQ(listing(), "      2    4.00\n"
                    "      0    4.00\n" + nanLine +
                    "      1    4.00\n" + nanLine);
}

TEST_F(Viewer2d, CentrePointComesFirstAndFollowsTheWindow)
{
    drawPolygons();
    ASSERT_EQ(recording.primitiveCount, 1);  // before the first "new polygon": the centre alone
    EXPECT_EQ(fakegl::primitive(0).mode, GLenum(GL_POINTS));
    const fakegl::Vertex& centre = fakegl::vertexOf(0, 0);
    EXPECT_FLOAT_EQ(centre.x, 320);
    EXPECT_FLOAT_EQ(centre.y, 240);
    EXPECT_FLOAT_EQ(centre.r, 0.7f);
    EXPECT_FLOAT_EQ(centre.g, 0.1f);
    EXPECT_FLOAT_EQ(centre.b, 0.1f);
    EXPECT_FLOAT_EQ(centre.pointSize, 5.0f);

    fakegl::reset();
    onReshape(801, 601);
    drawPolygons();
    EXPECT_FLOAT_EQ(fakegl::vertexOf(0, 0).x, 400);
    EXPECT_FLOAT_EQ(fakegl::vertexOf(0, 0).y, 300);
}

TEST_F(Viewer2d, EachPolygonIsABlackLoopThenItsPointsAtTheStoredPixels)
{
    sketch({{100, 100}, {200, 100}, {200, 200}});
    click(400, 400);  // the polygon being drawn shows as well
    onReshape(1000, 800);
    drawPolygons();
    ASSERT_EQ(recording.primitiveCount, 5);
    const GLenum modes[] = {GL_POINTS, GL_LINE_LOOP, GL_POINTS, GL_LINE_LOOP, GL_POINTS};
    for (int i = 0; i < 5; i++)
        EXPECT_EQ(fakegl::primitive(i).mode, modes[i]);
    ASSERT_EQ(fakegl::primitive(1).vertexCount, 3);
    ASSERT_EQ(fakegl::primitive(2).vertexCount, 3);
    const float pixels[][2] = {{100, 100}, {200, 100}, {200, 200}};
    for (int j = 0; j < 3; j++) {
        for (int i : {1, 2}) {
            const fakegl::Vertex& v = fakegl::vertexOf(i, j);
            EXPECT_FLOAT_EQ(v.x, pixels[j][0]);
            EXPECT_FLOAT_EQ(v.y, pixels[j][1]);
            EXPECT_FLOAT_EQ(v.r + v.g + v.b, 0.0f);
        }
    }
    EXPECT_FLOAT_EQ(fakegl::vertexOf(2, 0).pointSize, 5.0f);
    EXPECT_EQ(fakegl::primitive(3).vertexCount, 1);
    EXPECT_FLOAT_EQ(fakegl::vertexOf(4, 0).x, 400);
}

TEST_F(Viewer2d, AFreshPolygonShowsAsOnePointAtTheTopLeftCorner)
{
    onMenu(MenuNewPolygon);
    drawPolygons();
    ASSERT_EQ(recording.primitiveCount, 3);
    EXPECT_EQ(fakegl::primitive(2).vertexCount, 1);
    EXPECT_FLOAT_EQ(fakegl::vertexOf(2, 0).x, 0);
    EXPECT_FLOAT_EQ(fakegl::vertexOf(2, 0).y, 0);
}

}  // namespace
}  // namespace gaugeplot2d
