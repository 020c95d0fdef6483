// gaugeplot3d gauges and field value: the 3-norm gauge, the incremental add and replace, level points.
#include "fixture.h"

#include <cstring>

namespace gaugeplot3d {
namespace {

class Field3d : public Viewer3d {
protected:
    static void query(float x, float y)
    {
        field.queryZ = 0;
        field.queryX = x;
        field.queryY = y;
    }

    // The pending request applied to direction 0 at (x, y), as the band pass would.
    static float update(float x, float y)
    {
        query(x, y);
        updateField(0);
        return field.fieldValues[0];
    }

    static float gaugeAt(int k, float x, float y)
    {
        query(x, y);
        polygonGauge(k, 0);
        return sketch.edgeLines[k].gauge;
    }
};

TEST_F(Field3d, GaugeIsTheThreeNormOfThePositiveEdgeValues)
{
    setSquare(0, 1);
    EXPECT_FLOAT_EQ(gaugeAt(0, 40, 0), 40.0f);
    EXPECT_FLOAT_EQ(gaugeAt(0, 40, -40), float(40 * std::cbrt(2.0)));
    EXPECT_FLOAT_EQ(gaugeAt(0, -3, 4), float(std::cbrt(27.0 + 64.0)));
    // Homogeneous of degree 1.
    EXPECT_FLOAT_EQ(gaugeAt(0, 6, 8), 2 * gaugeAt(0, 3, 4));

    query(2, 1);
    polygonGauge(0, 17);
    EXPECT_EQ(sketch.edgeLines[0].gauges[17], sketch.edgeLines[0].gauge);
    EXPECT_EQ(sketch.edgeLines[0].gauges[18], 0.0f);  // only the evaluated direction is written
}

// The cube is taken by multiplications; the stored float must be the one pow gives, above all
// where the sum lies next to the middle between two floats, and for bases out of the normal range.
TEST_F(Field3d, SumOfCubesRoundsAsWithPow)
{
    unsigned state = 99;
    auto uniform = [&state]() {
        state = state * 1103515245u + 12345u;
        return double((state >> 8) & 0xffffff) / 0x1000000;
    };
    auto same = [](float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; };
    int hard = 0;
    for (int i = 0; i < 40000; i++) {
        const double positive = std::ldexp(0.5 + uniform(), int(uniform() * 40) - 20) * (1 + uniform() * 0x1p-30);
        const double cube = std::pow(positive, 3.0);
        int exponent;
        std::frexp(cube, &exponent);
        const double unit = std::ldexp(1.0, exponent - 24);
        const float gauge = i % 2 ? float((std::floor(cube / unit) + 1.5) * unit - cube) : float(uniform() * cube);
        const float expected = float(gauge + cube);
        EXPECT_TRUE(same(addCube(gauge, positive), expected)) << std::hexfloat << gauge << " + " << positive;
        hard += !same(float(gauge + positive * positive * positive), expected);
    }
#ifndef _WIN32  // MinGW-w64's pow computes whole powers by these very products
    EXPECT_GT(hard, 100);
#endif
    for (double positive : {0.0, 0x1p-400, 0x1p-1070, 0x1p400, 1e300})
        EXPECT_TRUE(same(addCube(1, positive), float(1 + std::pow(positive, 3.0)))) << positive;
}

TEST_F(Field3d, GaugeIsZeroWithoutPositiveOrFiniteEdges)
{
    EXPECT_EQ(gaugeAt(0, 40, 0), 0.0f);  // no vertices
    setPolygon(1, {{0.5f, 0.5f}});       // one vertex: its only edge has no line
    EXPECT_EQ(gaugeAt(1, 40, 0), 0.0f);
    setPolygon(2, {{1, 1}, {2, 1}, {1, 2}});  // off the origin: all edge values negative towards -x-y
    EXPECT_EQ(gaugeAt(2, -1, -1), 0.0f);
    // An edge through the origin is skipped; the others still count.
    setPolygon(3, {{1, 0}, {-1, 0}, {0, 1}});
    EXPECT_TRUE(std::isfinite(gaugeAt(3, 0, 5)));
    EXPECT_FLOAT_EQ(gaugeAt(3, 0, 5), float(std::cbrt(2 * 125.0)));
}

TEST_F(Field3d, FirstPolygonIsCopiedBitForBitAndItsFirstReplaceExchangesIt)
{
    setSquare(0, 1);
    finishPolygon(0);
    const float g = update(3, 7);
    EXPECT_EQ(g, sketch.edgeLines[0].gauges[0]);
    EXPECT_EQ(g, gaugeAt(0, 3, 7));

    // "Yontsal Function" with one polygon copies it again: nothing changes.
    EXPECT_EQ(update(3, 7), g);

    viewer.addActive = 0;
    viewer.replaceActive = 1;
    setSquare(0, 0.5f);  // the drag shrank it: the gauge doubles
    EXPECT_FLOAT_EQ(update(3, 7), 2 * g);
    EXPECT_EQ(sketch.edgeLines[0].gauges[0], 2 * g);
}

TEST_F(Field3d, TwoEqualGaugesGiveTwoToTheMinusOneEighthOfEither)
{
    setSquare(0, 1);
    setSquare(1, 1);
    finishPolygon(0);
    const float g = update(5, 2);
    finishPolygon(1);
    EXPECT_FLOAT_EQ(update(5, 2), float(std::pow(2.0, -0.125) * g));

    // Adding polygon 1 again weighs it twice: three equal terms.
    EXPECT_FLOAT_EQ(update(5, 2), float(std::pow(3.0, -0.125) * g));
}

TEST_F(Field3d, AnAddIsKeptWhenAReplaceIsPendingToo)
{
    setSquare(0, 1);
    setPolygon(1, {{2, 0.5f}, {-0.5f, 1}, {-1, -1}, {1, -2}});
    finishPolygon(0);
    const double g0 = update(4, 3);
    finishPolygon(1);
    viewer.replaceActive = 1;  // a drag of the polygon just finished, before the pass
    const double g1 = gaugeAt(1, 4, 3);
    EXPECT_FLOAT_EQ(update(4, 3), float(std::pow(std::pow(g0, -8) + std::pow(g1, -8), -0.125)));
}

// Where one polygon's term dominates, the float field value holds nothing of the others; taking
// that term out must still leave them.
TEST_F(Field3d, ReplacingADominantTermKeepsTheOthers)
{
    setSquare(0, 1);
    finishPolygon(0);
    update(40, 0);
    setSquare(1, 100);  // gauge 0.4: the first square's term is 1e-16 of its own
    finishPolygon(1);
    EXPECT_FLOAT_EQ(update(40, 0), 0.4f);

    viewer.addActive = 0;
    viewer.replaceActive = 1;
    setSquare(1, 0.5f);  // dragged in past the first: gauges 40 and 80
    EXPECT_FLOAT_EQ(update(40, 0), float(std::pow(std::pow(40.0, -8) + std::pow(80.0, -8), -0.125)));
    setSquare(1, 1e-6f);  // and far in: only the first square is left
    EXPECT_FLOAT_EQ(update(40, 0), 40.0f);
}

TEST_F(Field3d, DegeneratePolygonsAddNoTerm)
{
    setSquare(0, 1);
    finishPolygon(0);
    const float g = update(40, 10);

    // A right press that finished a polygon without vertices.
    finishPolygon(1);
    EXPECT_FLOAT_EQ(update(40, 10), g);
    setPolygon(2, {{0.3f, 0.3f}});
    finishPolygon(2);
    EXPECT_FLOAT_EQ(update(40, 10), g);

    // A proper polygon added after them still combines with the first one only.
    setSquare(3, 1);
    finishPolygon(3);
    EXPECT_FLOAT_EQ(update(40, 10), float(std::pow(2.0, -0.125) * g));
}

TEST_F(Field3d, AfterADegenerateFirstPolygonTheNextAddStillWorks)
{
    finishPolygon(0);  // no vertices: its gauge 0 is copied in
    EXPECT_EQ(update(40, 0), 0.0f);
    setSquare(1, 1);
    finishPolygon(1);
    EXPECT_FLOAT_EQ(update(40, 0), 40.0f);
}

// A band pass serves a group of directions side by side; every stored bit must be the one
// updateField leaves direction by direction, on the rare paths too: sums of cubes on the middle
// between two floats (1 + 2^-24) or past the float range, edges without a line, a running sum whose
// root lies on such a middle or is 0, a dominant copy taken out and the others summed afresh, the
// first copy.
TEST_F(Field3d, AGroupOfDirectionsLeavesEveryBitAsOneByOne)
{
    static FieldState before, scalar;
    static SketchState sketchBefore, scalarSketch;
    unsigned state = 5;
    auto pick = [&state](unsigned count) {
        state = state * 1103515245u + 12345u;
        return (state >> 8) % count;
    };
    const float coefficients[] = {1, 0x1p-8f, 0, -1, 3e38f, INFINITY, NAN, 0.7f, -0.3f, 0x1p-149f};
    const float queries[] = {1, 0, -1, 40, 3e38f, 0x1p-149f, INFINITY};
    const double sums[] = {std::pow(1 + 0x1p-24, -8.0), 0, 1e-12, 0x1p-1074, 3.5};
    for (int round = 0; round < 400; round++) {
        viewer.polygonCount = 1 + pick(3);
        for (int k = 0; k < 3; k++) {
            sketch.polygons[k].vertexCount = pick(5);
            for (int i = 1; i < 5; i++) {
                sketch.edgeLines[k].a[i] = coefficients[pick(10)];
                sketch.edgeLines[k].b[i] = pick(2) ? 0 : coefficients[pick(10)];
                sketch.edgeLines[k].c[i] = pick(4) ? 0 : coefficients[pick(10)];
            }
        }
        const int first = GroupDirections * pick(BandDirections / GroupDirections);
        float X[GroupDirections], Y[GroupDirections];
        for (int i = 0; i < GroupDirections; i++) {
            const int n = first + i;
            X[i] = queries[pick(7)];
            Y[i] = pick(2) ? 0 : queries[pick(7)];
            field.termSums[n] = sums[pick(5)];
            field.sumErrors[n] = pick(2) ? 0 : 1e-20;
            for (int k = 0; k < 3; k++) {
                field.latestTerms[n][k] = pick(2) ? field.termSums[n] : sums[pick(5)] / 4;
                field.olderTerms[n][k] = pick(2) ? 0 : sums[pick(5)];
            }
        }
        clearRequests();
        for (int r = pick(4); r > 0; r--)
            (pick(2) ? requestAdd : requestReplace)(pick(3));
        // With no request, the active polygon's flags.
        viewer.fieldDirty = viewer.addActive = viewer.replaceActive = 1;
        viewer.activePolygon = pick(3);
        field.queryZ = pick(3) ? 0 : 1;
        before = field;
        sketchBefore = sketch;
        for (int i = 0; i < GroupDirections; i++) {
            field.queryX = X[i];
            field.queryY = Y[i];
            updateField(first + i);
        }
        scalar = field;
        scalarSketch = sketch;
        field = before;
        sketch = sketchBefore;
        updateFieldGroup(first, X, Y);
        auto same = [](const void* a, const void* b, size_t size) { return std::memcmp(a, b, size) == 0; };
        EXPECT_TRUE(same(field.fieldValues, scalar.fieldValues, sizeof field.fieldValues)) << round;
        EXPECT_TRUE(same(field.termSums, scalar.termSums, sizeof field.termSums)) << round;
        EXPECT_TRUE(same(field.sumErrors, scalar.sumErrors, sizeof field.sumErrors)) << round;
        EXPECT_TRUE(same(field.latestTerms, scalar.latestTerms, sizeof field.latestTerms)) << round;
        EXPECT_TRUE(same(field.olderTerms, scalar.olderTerms, sizeof field.olderTerms)) << round;
        for (int k = 0; k < 3; k++) {
            const EdgeLine &line = sketch.edgeLines[k], &expected = scalarSketch.edgeLines[k];
            EXPECT_TRUE(same(&line.gauge, &expected.gauge, sizeof line.gauge)) << round;
            EXPECT_TRUE(same(line.gauges, expected.gauges, sizeof line.gauges)) << round;
        }
    }
}

TEST_F(Field3d, LevelPointsLieWhereTheFieldIsOneAndAt95Percent)
{
    field.fieldValues[7] = 40;
    query(40, -20);
    fieldLevelPoints(7);  // nothing pending: only divisions
    EXPECT_FLOAT_EQ(field.queryX, 1.0f);
    EXPECT_FLOAT_EQ(field.queryY, -0.5f);
    EXPECT_EQ(field.queryZ, 0.0f);
    EXPECT_FLOAT_EQ(field.innerX, 0.95f);
    EXPECT_FLOAT_EQ(field.innerY, -0.475f);
    EXPECT_EQ(field.innerZ, 0.0f);
    EXPECT_EQ(field.fieldValues[7], 40.0f);

    // With a request pending the direction is updated first, from the query point as it came in.
    setSquare(0, 2);
    finishPolygon(0);
    query(40, 0);
    fieldLevelPoints(9);
    EXPECT_FLOAT_EQ(field.fieldValues[9], 20.0f);
    EXPECT_FLOAT_EQ(field.queryX, 2.0f);
    EXPECT_FLOAT_EQ(field.innerX, 1.9f);
}

}  // namespace
}  // namespace gaugeplot3d
