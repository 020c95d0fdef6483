// The web layer's primitives against the recording fake: fans, gathered draws, points and wide lines.
#include <gtest/gtest.h>

#include <algorithm>

#include "fakegl.h"
#include "layer.h"
#include "primitives.h"

namespace {

using fakegl::recording;

constexpr float Width = 640, Height = 480;
constexpr float ColourStep = 0.5f / 255;  // colours are drawn as bytes

class WebPrimitives : public ::testing::Test {
protected:
    void SetUp() override
    {
        fakegl::reset();
        layerSetPixelRatio(1);
        layerGlViewport(0, 0, int(Width), int(Height));
        fakegl::clearFrame();
    }
    void TearDown() override { layerFlush(); }

    // The projection gaugeplot2d sets, gluOrtho2D(0, width, height, 0): window pixels, y down.
    static void useWindowPixels(float width, float height)
    {
        const float ortho[16] = {2 / width, 0, 0, 0, 0, -2 / height, 0, 0, 0, 0, -1, 0, -1, 1, 0, 1};
        std::copy(ortho, ortho + 16, fakegl::answers.projection);
    }
};

// The window pixel, y up, that a recorded vertex (drawn with both matrices the identity) lands on.
float windowX(const fakegl::Vertex& v, float width = Width) { return (v.x + 1) / 2 * width; }
float windowY(const fakegl::Vertex& v, float height = Height) { return (v.y + 1) / 2 * height; }

// The extent of recorded primitive p's vertices first to first + count - 1, in window pixels.
struct Extent {
    float left = 1e9f, right = -1e9f, bottom = 1e9f, top = -1e9f;
};
Extent extentOf(int p, int first, int count, float width = Width, float height = Height)
{
    Extent e;
    for (int j = first; j < first + count; j++) {
        const fakegl::Vertex& v = fakegl::vertexOf(p, j);
        e.left = std::min(e.left, windowX(v, width));
        e.right = std::max(e.right, windowX(v, width));
        e.bottom = std::min(e.bottom, windowY(v, height));
        e.top = std::max(e.top, windowY(v, height));
    }
    return e;
}

TEST_F(WebPrimitives, PolygonsWaitAndAreDrawnTogetherAsFansInTheirColours)
{
    const float quad[4][3] = {{0, 0, 0}, {10, 0, 1}, {10, 10, 2}, {0, 10, 3}};
    const float colours[4][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0.7f, 0.1f, 0.1f}};
    layerGlBegin(GL_POLYGON);
    for (int i = 0; i < 4; i++) {
        layerGlColor3fv(colours[i]);
        layerGlVertex3fv(quad[i]);
    }
    layerGlEnd();
    layerGlBegin(GL_POLYGON);
    for (int i = 0; i < 3; i++)
        layerGlVertex2f(quad[i][0] + 20, quad[i][1]);
    layerGlEnd();
    EXPECT_EQ(recording.primitiveCount, 0);  // nothing drawn before a call that needs it

    layerFlush();
    ASSERT_EQ(recording.primitiveCount, 1);
    ASSERT_EQ(fakegl::primitive(0).mode, GLenum(GL_TRIANGLES));
    ASSERT_EQ(fakegl::primitive(0).vertexCount, 9);
    const int fan[6] = {0, 1, 2, 0, 2, 3};
    for (int j = 0; j < 6; j++) {
        const fakegl::Vertex& v = fakegl::vertexOf(0, j);
        EXPECT_EQ(v.x, quad[fan[j]][0]);
        EXPECT_EQ(v.y, quad[fan[j]][1]);
        EXPECT_EQ(v.z, quad[fan[j]][2]);
        EXPECT_NEAR(v.r, colours[fan[j]][0], ColourStep);
        EXPECT_NEAR(v.g, colours[fan[j]][1], ColourStep);
        EXPECT_NEAR(v.b, colours[fan[j]][2], ColourStep);
    }
    for (int j = 6; j < 9; j++) {
        EXPECT_EQ(fakegl::vertexOf(0, j).x, quad[j - 6][0] + 20);
        EXPECT_NEAR(fakegl::vertexOf(0, j).r, 0.7f, ColourStep);  // the colour last set
    }
    layerFlush();
    EXPECT_EQ(recording.primitiveCount, 1);
    EXPECT_EQ(recording.nestingErrors, 0);
}

// Squares and quads placed in window pixels wait too, apart from what the matrices place.
TEST_F(WebPrimitives, PolygonsAndSquaresWaitingAreDrawnBeforeOneAnotherOrAViewport)
{
    layerGlBegin(GL_POLYGON);
    layerGlVertex2f(0, 0);
    layerGlVertex2f(0.5f, 0);
    layerGlVertex2f(0.5f, 0.5f);
    layerGlEnd();
    layerGlBegin(GL_POINTS);
    layerGlVertex2f(0, 0);
    layerGlEnd();
    ASSERT_EQ(recording.primitiveCount, 1);
    EXPECT_EQ(fakegl::primitive(0).vertexCount, 3);  // the polygon, then the point's square

    layerGlBegin(GL_POLYGON);
    layerGlVertex2f(0, 0);
    layerGlVertex2f(0.5f, 0);
    layerGlVertex2f(0.5f, 0.5f);
    layerGlEnd();
    ASSERT_EQ(recording.primitiveCount, 2);
    EXPECT_EQ(fakegl::primitive(1).vertexCount, 6);
    layerGlViewport(0, 0, 10, 10);
    EXPECT_EQ(recording.primitiveCount, 3);
}

// GL's aliased points snap an odd size's centre to a pixel centre, an even size's to a corner.
TEST_F(WebPrimitives, APointIsASquareOnThePixelsGLsAliasedPointCovers)
{
    layerGlColor3f(0.7f, 0.1f, 0.1f);
    for (float size : {5.0f, 4.0f}) {
        layerGlPointSize(size);
        layerGlBegin(GL_POINTS);
        layerGlVertex2f(320.3f / 320 - 1, 240.7f / 240 - 1);  // window (320.3, 240.7)
        layerGlEnd();
        layerFlush();
    }
    ASSERT_EQ(recording.primitiveCount, 2);
    Extent odd = extentOf(0, 0, 6);
    EXPECT_FLOAT_EQ(odd.left, 318);
    EXPECT_FLOAT_EQ(odd.right, 323);
    EXPECT_FLOAT_EQ(odd.bottom, 238);
    EXPECT_FLOAT_EQ(odd.top, 243);
    Extent even = extentOf(1, 0, 6);
    EXPECT_FLOAT_EQ(even.left, 318);
    EXPECT_FLOAT_EQ(even.right, 322);
    EXPECT_FLOAT_EQ(even.bottom, 239);
    EXPECT_FLOAT_EQ(even.top, 243);
    EXPECT_NEAR(fakegl::vertexOf(0, 0).r, 0.7f, ColourStep);
}

// gaugeplot2d's points through its own projection: the desktop's pixels from two left of the
// vertex to two right and, y down, from three above to one below. At y = 340 the product of the
// matrices lands just below a whole number, which the desktop's subpixel grid rounds away.
TEST_F(WebPrimitives, TheVertexPointsOfGaugeplot2dCoverTheDesktopsPixels)
{
    useWindowPixels(Width, Height);
    layerGlPointSize(5);
    const float points[3][2] = {{320, 240}, {120, 140}, {520, 340}};
    for (const auto& p : points) {
        layerGlBegin(GL_POINTS);
        layerGlVertex2f(p[0], p[1]);
        layerGlEnd();
    }
    layerFlush();
    ASSERT_EQ(recording.primitiveCount, 1);  // the three squares in one draw
    ASSERT_EQ(fakegl::primitive(0).vertexCount, 18);
    for (int i = 0; i < 3; i++) {
        Extent e = extentOf(0, 6 * i, 6);
        EXPECT_FLOAT_EQ(e.left, points[i][0] - 2) << "point " << i;
        EXPECT_FLOAT_EQ(e.right, points[i][0] + 3) << "point " << i;
        EXPECT_FLOAT_EQ(Height - e.top, points[i][1] - 3) << "point " << i;
        EXPECT_FLOAT_EQ(Height - e.bottom, points[i][1] + 2) << "point " << i;
    }
}

TEST_F(WebPrimitives, WideLinesWidenAcrossTheirMinorAxisAndThinOnesGoThrough)
{
    useWindowPixels(Width, Height);
    const float loop[3][2] = {{100, 100}, {300, 120}, {310, 400}};
    for (float width : {2.0f, 1.0f}) {
        layerGlLineWidth(width);
        layerGlBegin(GL_LINE_LOOP);
        for (const auto& p : loop)
            layerGlVertex2f(p[0], p[1]);
        layerGlEnd();
    }
    ASSERT_EQ(recording.primitiveCount, 2);
    ASSERT_EQ(fakegl::primitive(0).mode, GLenum(GL_TRIANGLES));
    ASSERT_EQ(fakegl::primitive(0).vertexCount, 18);  // a quad per segment, the closing one too
    // Window y up: 480 - y. The first segment runs along x, the others along y.
    Extent first = extentOf(0, 0, 6), second = extentOf(0, 6, 6), closing = extentOf(0, 12, 6);
    EXPECT_FLOAT_EQ(first.left, 100);
    EXPECT_FLOAT_EQ(first.right, 300);
    EXPECT_FLOAT_EQ(first.bottom, 480 - 120 - 1);
    EXPECT_FLOAT_EQ(first.top, 480 - 100 + 1);
    EXPECT_FLOAT_EQ(second.left, 300 - 1);
    EXPECT_FLOAT_EQ(second.right, 310 + 1);
    EXPECT_FLOAT_EQ(second.bottom, 480 - 400);
    EXPECT_FLOAT_EQ(closing.left, 100 - 1);
    EXPECT_FLOAT_EQ(closing.right, 310 + 1);

    EXPECT_EQ(fakegl::primitive(1).mode, GLenum(GL_LINE_LOOP));
    ASSERT_EQ(fakegl::primitive(1).vertexCount, 3);
    EXPECT_EQ(fakegl::vertexOf(1, 2).x, 310);
}

TEST_F(WebPrimitives, AtDoubleDensityViewportsLinesAndPointsAreTwiceAsManyPixels)
{
    layerSetPixelRatio(2);
    layerGlViewport(0, 0, int(Width), int(Height));
    const fakegl::Call* viewport = fakegl::findCall("glViewport");
    ASSERT_NE(viewport, nullptr);
    EXPECT_EQ(viewport->args[2], 2 * Width);
    EXPECT_EQ(viewport->args[3], 2 * Height);

    useWindowPixels(Width, Height);
    layerGlPointSize(5);
    layerGlBegin(GL_POINTS);
    layerGlVertex2f(320, 240);
    layerGlEnd();
    layerFlush();
    Extent point = extentOf(0, 0, 6, 2 * Width, 2 * Height);
    EXPECT_FLOAT_EQ(point.left, 635);
    EXPECT_FLOAT_EQ(point.right, 645);

    layerGlLineWidth(1);  // two pixels wide now: a quad
    layerGlBegin(GL_LINES);
    layerGlVertex2f(100, 100);
    layerGlVertex2f(300, 100);
    layerGlEnd();
    layerFlush();
    ASSERT_EQ(recording.primitiveCount, 2);
    Extent line = extentOf(1, 0, 6, 2 * Width, 2 * Height);
    EXPECT_FLOAT_EQ(line.right - line.left, 400);
    EXPECT_FLOAT_EQ(line.top - line.bottom, 2);
}

TEST_F(WebPrimitives, DrawingInWindowPixelsLeavesTheMatricesAndTheirModeAsTheyWere)
{
    glMatrixMode(GL_PROJECTION);
    layerGlBegin(GL_POINTS);
    layerGlVertex2f(0, 0);
    layerGlEnd();
    layerFlush();
    EXPECT_EQ(fakegl::countCalls("glPushMatrix"), 2);
    EXPECT_EQ(fakegl::countCalls("glPushMatrix"), fakegl::countCalls("glPopMatrix"));
    EXPECT_EQ(recording.matrixMode, GLenum(GL_PROJECTION));
    EXPECT_EQ(fakegl::countCalls("glEnableClientState"), fakegl::countCalls("glDisableClientState"));

    // The matrices are read back once between flushes, and anew after one.
    useWindowPixels(Width, Height);
    layerGlPointSize(5);
    layerGlBegin(GL_POINTS);
    layerGlVertex2f(100, 100);
    layerGlEnd();
    layerFlush();
    EXPECT_NEAR(extentOf(1, 0, 6).left, 100 - 2, 0.01);
}

}  // namespace
