// gaugeplot2d field value and level band: the square's level points, the ring, and the guards.
#include "fixture.h"

#include <cmath>

namespace gaugeplot2d {
namespace {

using fakegl::recording;

class Field2d : public Viewer2d {
protected:
    // The square with relative corners (±100, ±100) in a 640 x 480 window, finished.
    static void square() { sketch({{220, 140}, {420, 140}, {420, 340}, {220, 340}}); }

    static void levelPoints(float x, float y)
    {
        field.queryX = x;
        field.queryY = y;
        fieldLevelPoints(GaugeExponent);
    }
};

TEST_F(Field2d, SquareGivesTheWorkedLevelPoints)
{
    square();
    levelPoints(20, 0);
    EXPECT_FLOAT_EQ(store.polygons[0].gauge, 0.2f);
    EXPECT_FLOAT_EQ(field.queryX, 420);
    EXPECT_FLOAT_EQ(field.queryY, 240);
    EXPECT_FLOAT_EQ(field.innerX, 410);
    EXPECT_FLOAT_EQ(field.innerY, 240);

    levelPoints(0, 20);
    EXPECT_FLOAT_EQ(field.queryX, 320);
    EXPECT_FLOAT_EQ(field.queryY, 340);
    EXPECT_FLOAT_EQ(field.innerX, 320);
    EXPECT_FLOAT_EQ(field.innerY, 330);

    // The exponent 6 rounds the corner: the level point lies inside the square's corner (420, 140).
    levelPoints(20, -20);
    EXPECT_NEAR(store.polygons[0].gauge, 0.224492f, 1e-6);
    EXPECT_NEAR(field.queryX, 409.09f, 0.01);
    EXPECT_NEAR(field.queryY, 150.91f, 0.01);
}

TEST_F(Field2d, GaugeIsPositivelyHomogeneous)
{
    square();
    field.queryX = 7;
    field.queryY = -3;
    polygonGauge(0, GaugeExponent);
    float g = store.polygons[0].gauge;
    field.queryX = 14;
    field.queryY = -6;
    polygonGauge(0, GaugeExponent);
    EXPECT_FLOAT_EQ(store.polygons[0].gauge, 2 * g);
}

TEST_F(Field2d, TwoVertexPolygonCountsItsLineTwice)
{
    sketch({{420, 140}, {420, 340}});  // the line x = 100, relative
    field.queryX = 20;
    field.queryY = 0;
    polygonGauge(0, GaugeExponent);
    EXPECT_FLOAT_EQ(store.polygons[0].gauge, 0.2f * std::pow(2.0f, 1.0f / 6));
}

TEST_F(Field2d, FieldNeverExceedsTheSmallestGauge)
{
    square();
    sketch({{270, 40}, {470, 240}, {270, 440}, {170, 240}});
    for (int n = 0; n < BandDirections; n++) {
        int x, y;
        bandDirection(n, &x, &y);
        field.queryX = float(x);
        field.queryY = float(y);
        polygonGauge(0, GaugeExponent);
        polygonGauge(1, GaugeExponent);
        float smallest = std::fmin(store.polygons[0].gauge, store.polygons[1].gauge);
        levelPoints(float(x), float(y));
        // F = |direction| / |level point - centre|.
        double F = std::hypot(x, y) / std::hypot(field.queryX - 320, field.queryY - 240);
        EXPECT_LE(F, smallest * (1 + 1e-6)) << "direction " << n;
    }
}

TEST_F(Field2d, OnlyFinishedPolygonsWithTwoVerticesTakePart)
{
    onMenu(MenuNewPolygon);
    click(100, 100);
    onMenu(MenuNewPolygon);  // one vertex: no part
    click(220, 140);
    click(420, 140);
    click(420, 340);         // being drawn: no part
    levelPoints(20, 0);
    EXPECT_FLOAT_EQ(field.queryX, 320);  // no polygon: F infinite, every point on the centre
    EXPECT_FLOAT_EQ(field.queryY, 240);
    EXPECT_FLOAT_EQ(field.innerX, 320);
}

TEST_F(Field2d, RingWalksClockwiseOnScreenFromTheTopRightCorner)
{
    int x, y;
    const int expected[][3] = {{0, 20, -20}, {39, 20, 19}, {40, 20, 20}, {79, -19, 20},
                               {80, -20, 20}, {119, -20, -19}, {120, -20, -20}, {159, 19, -20}};
    for (const auto& e : expected) {
        bandDirection(e[0], &x, &y);
        EXPECT_EQ(x, e[1]) << "index " << e[0];
        EXPECT_EQ(y, e[2]) << "index " << e[0];
    }
}

TEST_F(Field2d, BandIs160QuadrilateralsInRingOrderThenThePolygons)
{
    square();
    drawLevelBand(GaugeExponent);
    ASSERT_GE(recording.primitiveCount, 160);
    EXPECT_FLOAT_EQ(float(fakegl::findCall("glLineWidth", 0)->args[0]), 2.0f);
    EXPECT_EQ(fakegl::countCalls("glLineWidth"), 2);

    // Quadrilateral 40 starts at direction (20, 20) and joins it to (19, 20): outer, inner, inner, outer.
    float outer[BandDirections][2];
    float inner[BandDirections][2];
    for (int n = 0; n < BandDirections; n++) {
        int x, y;
        bandDirection(n, &x, &y);
        levelPoints(float(x), float(y));
        outer[n][0] = field.queryX, outer[n][1] = field.queryY;
        inner[n][0] = field.innerX, inner[n][1] = field.innerY;
    }
    for (int n = 0; n < BandDirections; n++) {
        int m = (n + 1) % BandDirections;
        ASSERT_EQ(fakegl::primitive(n).mode, GLenum(GL_POLYGON));
        ASSERT_EQ(fakegl::primitive(n).vertexCount, 4);
        const float* corners[] = {outer[n], inner[n], inner[m], outer[m]};
        for (int j = 0; j < 4; j++) {
            const fakegl::Vertex& v = fakegl::vertexOf(n, j);
            EXPECT_FLOAT_EQ(v.x, corners[j][0]) << "quad " << n << " corner " << j;
            EXPECT_FLOAT_EQ(v.y, corners[j][1]) << "quad " << n << " corner " << j;
            EXPECT_FLOAT_EQ(v.r, 0.5f);
            EXPECT_FLOAT_EQ(v.g, 0.8f);
            EXPECT_FLOAT_EQ(v.b, 0.8f);
        }
    }
    // Then the centre point, the square's outline and points, and those of the empty polygon
    // being drawn.
    EXPECT_EQ(fakegl::primitive(160).mode, GLenum(GL_POINTS));
    EXPECT_EQ(fakegl::primitive(161).mode, GLenum(GL_LINE_LOOP));
    EXPECT_FLOAT_EQ(fakegl::vertexOf(161, 0).lineWidth, 2.0f);
    EXPECT_EQ(recording.primitiveCount, 165);
}

TEST_F(Field2d, AnEdgeThroughTheCentreAddsNothingToTheGauge)
{
    // Vertices (100, 0) and (-100, 0), relative, lie in line with the centre.
    sketch({{420, 240}, {220, 240}, {320, 140}});
    field.queryX = 0;
    field.queryY = -20;
    polygonGauge(0, GaugeExponent);
    EXPECT_TRUE(std::isfinite(store.polygons[0].gauge));
    // Only the two slanted edges x ∓ y = ... bound the direction straight up: each gives 0.2.
    EXPECT_FLOAT_EQ(store.polygons[0].gauge, 0.2f * std::pow(2.0f, 1.0f / 6));
}

TEST_F(Field2d, DirectionsWithAGaugeOf0LeaveTheirQuadrilateralsOut)
{
    // A triangle to the right of the centre: its gauge is 0 wherever no edge faces the direction.
    sketch({{420, 140}, {520, 240}, {420, 340}});
    drawLevelBand(GaugeExponent);
    EXPECT_EQ(recording.nonFinite, 0);
    int quads = fakegl::countPrimitives(GL_POLYGON);
    EXPECT_GT(quads, 0);
    EXPECT_LT(quads, BandDirections);
    // The skipped quadrilaterals are those touching a direction of gauge 0 (the level point at infinity).
    int infinite = 0;
    bool atInfinity[BandDirections];
    for (int n = 0; n < BandDirections; n++) {
        int x, y;
        bandDirection(n, &x, &y);
        levelPoints(float(x), float(y));
        atInfinity[n] = !std::isfinite(field.queryX) || !std::isfinite(field.queryY);
        infinite += atInfinity[n];
    }
    int expected = 0;
    for (int n = 0; n < BandDirections; n++)
        expected += !atInfinity[n] && !atInfinity[(n + 1) % BandDirections];
    EXPECT_GT(infinite, 0);
    EXPECT_EQ(quads, expected);
}

}  // namespace
}  // namespace gaugeplot2d
