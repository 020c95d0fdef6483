// gaugeplot2d results pinned bit for bit: level points, frames and listings of fixed scenes.
//
// The checksums were taken from the straightforward code before any optimisation; a faster
// evaluation must reproduce every stored float exactly, in the same order. A failure prints the
// checksum now computed, so a deliberate change of results can update it knowingly.
#include "fixture.h"

#include "checksum.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

namespace gaugeplot2d {
namespace {

using fakegl::recording;

// Cosine and sine of one 50th of a turn: the rings below are built by repeated rotation, plain
// arithmetic that gives the same vertices everywhere.
constexpr double StepCos = 0.99211470131447788;
constexpr double StepSin = 0.12533323356430426;

void setVertex(Polygon& polygon, int slot, int relX, int relY)
{
    polygon.relX[slot] = relX;
    polygon.relY[slot] = relY;
    polygon.screenX[slot] = relX + centreX();
    polygon.screenY[slot] = relY + centreY();
}

// Polygon k: `count` vertices on an ellipse around the centre, half-axes in pixels, its first
// vertex turned by k steps of the ring.
void setRing(int k, int count, double halfWidth, double halfHeight)
{
    Polygon& polygon = store.polygons[k];
    double c = 1, s = 0;
    for (int i = 0; i < k % 7; i++) {
        double t = c * StepCos - s * StepSin;
        s = s * StepCos + c * StepSin;
        c = t;
    }
    // Vertices are spread over the whole turn: the step is 50 / count ring steps, done by rotating
    // once per ring step and keeping every (50 / count)-th point.
    int stride = 50 / count;
    polygon.lastVertex = count - 1;
    for (int j = 0, slot = 0; slot < count; j++) {
        if (j % stride == 0)
            setVertex(polygon, slot++, int(std::lround(halfWidth * c)), int(std::lround(halfHeight * s)));
        double t = c * StepCos - s * StepSin;
        s = s * StepCos + c * StepSin;
        c = t;
    }
}

// Every record finished, each with 50 vertices: the most a frame ever computes.
void fullScene()
{
    for (int k = 0; k < MaxPolygons; k++)
        setRing(k, MaxVertices, 110 + 4 * k, 100 + 2.6 * k);
    store.activePolygon = MaxPolygons;
}

// Five finished octagons of different sizes, and a sixth polygon being drawn.
void typicalScene()
{
    for (int k = 0; k < 5; k++)
        setRing(k, 8, 90 + 30 * k, 160 - 20 * k);
    setRing(5, 8, 200, 200);
    store.activePolygon = 5;
}

// The cases that the arithmetic does not guard: an edge in line with the centre, a two-vertex
// polygon, a one-vertex record, and a polygon away from the centre (gauge 0, F 0, points at
// infinity in some directions).
void awkwardScene()
{
    setRing(0, 10, 120, 90);
    Polygon& throughCentre = store.polygons[1];
    setVertex(throughCentre, 0, -60, -60);
    setVertex(throughCentre, 1, 60, 60);
    setVertex(throughCentre, 2, -70, 90);
    throughCentre.lastVertex = 2;
    Polygon& twoVertices = store.polygons[2];
    setVertex(twoVertices, 0, 130, -200);
    setVertex(twoVertices, 1, 130, 200);
    twoVertices.lastVertex = 1;
    Polygon& oneVertex = store.polygons[3];
    setVertex(oneVertex, 0, 40, 40);
    oneVertex.lastVertex = 0;
    store.activePolygon = 4;
}

void offCentreScene()
{
    setRing(0, 10, 120, 90);
    Polygon& away = store.polygons[1];
    setVertex(away, 0, 150, 150);
    setVertex(away, 1, 200, 150);
    setVertex(away, 2, 200, 200);
    away.lastVertex = 2;
    store.activePolygon = 2;
}

// All 160 outer and inner level points, and the gauge each polygon had at each direction.
Checksum levelPointChecksum()
{
    Checksum sum;
    for (int n = 0; n < BandDirections; n++) {
        int x, y;
        bandDirection(n, &x, &y);
        field.queryX = float(x);
        field.queryY = float(y);
        fieldLevelPoints(GaugeExponent);
        sum.add(field.queryX);
        sum.add(field.queryY);
        sum.add(field.innerX);
        sum.add(field.innerY);
        for (int k = 0; k < finishedPolygons(); k++)
            sum.add(store.polygons[k].gauge);
    }
    return sum;
}

// One frame through the recording fake: every vertex with its colour, size and width.
Checksum frameChecksum()
{
    fakegl::clearFrame();
    onDisplay();
    EXPECT_FALSE(recording.overflow);
    Checksum sum;
    for (int i = 0; i < recording.primitiveCount; i++) {
        const fakegl::Primitive& p = fakegl::primitive(i);
        sum.add(float(p.mode));
        for (int j = 0; j < p.vertexCount; j++) {
            const fakegl::Vertex& v = fakegl::vertexOf(i, j);
            for (float f : {v.x, v.y, v.z, v.r, v.g, v.b, v.pointSize, v.lineWidth})
                sum.add(f);
        }
    }
    return sum;
}

std::string listing()
{
    ::testing::internal::CaptureStdout();
    onMenu(MenuPrintValues);
    return ::testing::internal::GetCapturedStdout();
}

Checksum textChecksum(const std::string& text)
{
    Checksum sum;
    sum.add(text);
    return sum;
}

// The level points of sample n, pinned: floats written with 9 digits read back exactly.
void expectLevelPoints(int n, float outerX, float outerY, float innerX, float innerY)
{
    int x, y;
    bandDirection(n, &x, &y);
    field.queryX = float(x);
    field.queryY = float(y);
    fieldLevelPoints(GaugeExponent);
    EXPECT_EQ(field.queryX, outerX) << n;
    EXPECT_EQ(field.queryY, outerY) << n;
    EXPECT_EQ(field.innerX, innerX) << n;
    EXPECT_EQ(field.innerY, innerY) << n;
}

// The gauge as first written: every edge value stored, then the powers of all of them summed.
float straightforwardGauge(const Polygon& polygon, float queryX, float queryY)
{
    const double X = queryX, Y = queryY, p = GaugeExponent;
    const int last = polygon.lastVertex;
    float values[MaxVertices];
    for (int j = 0; j <= last; j++) {
        const int t = j == last ? 0 : j + 1;
        const double xj = polygon.relX[j], yj = polygon.relY[j];
        const double xt = polygon.relX[t], yt = polygon.relY[t];
        const double d = xj * yt - xt * yj;
        double e = (yt - yj) * X / d + (xj - xt) * Y / d;
        if (!std::isfinite(e))
            e = 0;
        values[j] = float((e + std::fabs(e)) * 0.5);
    }
    float gauge = 0;
    for (int j = 0; j <= last; j++)
        gauge = float(gauge + std::pow(std::fabs(double(values[j])), p));
    return float(std::pow(std::fabs(double(gauge)), 1.0 / p));
}

// A checksum as pinned; a mismatch shows the one now computed, in hex like the pinned one.
void expectChecksum(const Checksum& got, std::uint64_t pinned, const std::string& context = "")
{
    EXPECT_TRUE(matchesPin(got, pinned)) << context;
}

TEST_F(Viewer2d, FullSceneResultsAreUnchanged)
{
    fullScene();
    // Samples 20, 60 and 120 are the directions (20, 0), (0, 20) and (-20, -20).
    expectLevelPoints(20, 645.51593f, 240, 612.964355f, 240);
    expectLevelPoints(60, 320, 486.895599f, 320, 462.206055f);
    expectLevelPoints(120, 123.460052f, 43.4600563f, 143.114044f, 63.114048f);
    expectChecksum(levelPointChecksum(), 0xb3a98b331f73a4a8ull);
    expectChecksum(frameChecksum(), 0xa76cd2a1c7d60581ull);
    EXPECT_EQ(recording.primitiveCount, BandDirections + 1 + 2 * MaxPolygons);
    std::string text = listing();
    EXPECT_EQ(text.substr(0, 32), "     50    4.00\n     49    4.00\n");
    expectChecksum(textChecksum(text), 0x6424ddbb5f7ec846ull);
}

TEST_F(Viewer2d, TypicalSceneResultsAreUnchanged)
{
    typicalScene();
    expectLevelPoints(20, 515.935669f, 240, 496.342102f, 240);
    expectLevelPoints(120, 219.549652f, 139.549652f, 229.594696f, 149.594696f);
    expectChecksum(levelPointChecksum(), 0x70065b09f6229d3ull);
    expectChecksum(frameChecksum(), 0x2fb1763ab7973965ull);
    std::string text = listing();
    expectChecksum(textChecksum(text), 0xbf7bb497c15750c7ull, text);
}

TEST_F(Viewer2d, UnguardedCasesGiveUnchangedResults)
{
    awkwardScene();
    expectLevelPoints(20, 640.189758f, 240, 608.170776f, 240);
    expectChecksum(levelPointChecksum(), 0x4ba75eeff8409ebcull);
    expectChecksum(frameChecksum(), 0xc8c179accebbeeacull);
    std::string text = listing();
    expectChecksum(textChecksum(text), 0xe42e0711ee3a9124ull, text);

    store = PolygonStore();
    offCentreScene();
    expectChecksum(levelPointChecksum(), 0x7dd4267483945289ull);
    expectChecksum(frameChecksum(), 0x6e33311966b6436eull);
}

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b)); }

// The viewer skips edges it can tell are not positive; that must never change a bit, whatever the
// polygon and the query point: not only the band's integer directions but any float, tiny, huge,
// signed zero or not finite, and polygons with edges in line with the centre or repeated vertices.
TEST_F(Viewer2d, GaugeEqualsTheStraightforwardSumAtAnyQueryPoint)
{
    unsigned state = 12345;
    auto next = [&state]() {
        state = state * 1103515245u + 12345u;
        return int((state >> 8) & 0xffff);
    };
    const float queries[][2] = {{20, -20}, {7.25f, -3.5f}, {1e-30f, 3e-41f}, {-0.0f, 0.0f},
                                {1e30f, -2e29f}, {3.4e38f, 3.4e38f}, {INFINITY, 1}, {NAN, 2},
                                {0.1f, 0.3f}, {-19.999f, 13.001f}};
    int compared = 0, positive = 0;
    for (int round = 0; round < 300; round++) {
        Polygon& polygon = store.polygons[0];
        polygon.lastVertex = next() % MaxVertices;
        for (int j = 0; j <= polygon.lastVertex; j++) {
            // Small coordinates make repeated vertices and edges through the centre common.
            const int range = round % 3 == 0 ? 5 : 600;
            polygon.relX[j] = next() % range - range / 2;
            polygon.relY[j] = next() % range - range / 2;
        }
        for (const auto& q : queries) {
            field.queryX = q[0];
            field.queryY = q[1];
            polygonGauge(0, GaugeExponent);
            const float expected = straightforwardGauge(polygon, q[0], q[1]);
            if (std::isnan(expected))
                EXPECT_TRUE(std::isnan(polygon.gauge)) << round;
            else
                EXPECT_EQ(std::memcmp(&polygon.gauge, &expected, sizeof expected), 0)
                    << "round " << round << " at (" << q[0] << ", " << q[1] << "): " << polygon.gauge
                    << " instead of " << expected;
            compared++;
            positive += expected > 0;
        }
        // The same query points side by side (ten: one pass and a part-filled one) against the
        // one-by-one path, with the polygon counted twice so the field's sum has two terms.
        store.polygons[1] = polygon;
        store.activePolygon = 2;
        float points[10][2], inner[10][2];
        std::memcpy(points, queries, sizeof points);
        bandLevelPoints(10, points, inner, GaugeExponent);
        for (int n = 0; n < 10; n++) {
            field.queryX = queries[n][0];
            field.queryY = queries[n][1];
            fieldLevelPoints(GaugeExponent);
            const float one[4] = {field.queryX, field.queryY, field.innerX, field.innerY};
            const float side[4] = {points[n][0], points[n][1], inner[n][0], inner[n][1]};
            for (int i = 0; i < 4; i++)
                EXPECT_TRUE(sameBits(side[i], one[i])) << "round " << round << " point " << n;
        }
    }
    EXPECT_EQ(compared, 3000);
    EXPECT_GT(positive, 1000);  // most comparisons had something to sum
}

// One step of a gauge's sum as first written: the power through pow, the sum rounded to a float.
float powSum(float sum, float value, double p) { return float(sum + std::pow(std::fabs(double(value)), p)); }

// The sum of powers takes the sixth power by multiplications. The stored float must still be the one
// pow gives, above all where the exact sum lies next to the middle between two floats and a unit in
// the last place of the power decides the rounding.
TEST_F(Viewer2d, SumOfPowersRoundsAsWithPow)
{
    unsigned state = 777;
    auto uniform = [&state]() {
        state = state * 1103515245u + 12345u;
        return double((state >> 8) & 0xffffff) / 0x1000000;
    };
    int compared = 0, hard = 0;
    float laneSums[LaneWidth] = {}, laneValues[LaneWidth] = {};  // the last cases, side by side
    auto check = [&](float sum, float value) {
        const float got = addPower(sum, value, GaugeExponent);
        const float expected = powSum(sum, value, GaugeExponent);
        laneSums[compared % LaneWidth] = sum;
        laneValues[compared % LaneWidth] = value;
        float sums[LaneWidth];
        std::memcpy(sums, laneSums, sizeof sums);
        addPowers(sums, laneValues, GaugeExponent);
        for (int i = 0; i < LaneWidth; i++)
            EXPECT_TRUE(sameBits(sums[i], powSum(laneSums[i], laneValues[i], GaugeExponent))) << "lane " << i;
        EXPECT_TRUE(sameBits(got, expected)) << std::hexfloat << sum << " + " << value << "^6: " << got
                                             << " instead of " << expected;
        const double square = double(value) * value;
        hard += !sameBits(float(sum + square * square * square), expected);  // unguarded product
        compared++;
    };
    // Any magnitudes, from the smallest float to where the power leaves the float range.
    for (int i = 0; i < 200000; i++)
        check(float(std::ldexp(uniform(), int(uniform() * 300) - 150)),
              float(std::ldexp(0.5 + uniform(), int(uniform() * 60) - 30)));
    // Sums that land on the middle between two floats, where one unit in the last place of the
    // power decides the rounding: the power (by pow or by products) plus a small float sum that
    // reaches that middle exactly. Such a sum is a float only when the power's last bits are 0.
    int midpoints = 0;
    while (midpoints < 20000) {
        const float value = float(std::ldexp(0.5 + uniform(), int(uniform() * 20) - 10));
        const double square = double(value) * value;
        const double power = uniform() < 0.5 ? std::pow(double(value), 6) : square * square * square;
        int exponent;
        std::frexp(power, &exponent);
        const double unit = std::ldexp(1.0, exponent - 24);  // between floats near the power
        const double middle = (std::floor(power / unit) + 1.5) * unit;
        const float sum = float(middle - power);
        if (double(sum) != middle - power)
            continue;
        check(sum, value);
        midpoints++;
    }
    // The ends of the float range, zeros and values that are not finite.
    const float ends[] = {0, 1.4e-45f, 1.2e-38f, 1, 3.4e38f, INFINITY, NAN};
    for (float sum : ends)
        for (float value : ends)
            check(sum, value);
    EXPECT_EQ(compared, 200000 + 20000 + 49);
#ifndef _WIN32  // MinGW-w64's pow computes whole powers by these very products
    EXPECT_GT(hard, 100);  // the cases above do reach sums the products alone would round wrongly
#endif

    // The field's terms 1 / g^6 by multiplications, above all where sum + term lies next to the
    // middle between two floats.
    int hardTerms = 0;
    for (int round = 0; round < 20000; round++) {
        float gauges[LaneWidth], sums[LaneWidth], expected[LaneWidth];
        for (int i = 0; i < LaneWidth; i++) {
            gauges[i] = float(std::ldexp(0.5 + uniform(), int(uniform() * 40) - 20));
            const double term = 1.0 / std::pow(double(gauges[i]), 6);
            int exponent;
            std::frexp(term, &exponent);
            const double unit = std::ldexp(1.0, exponent - 24);
            const double middle = (std::floor(term / unit) + 1.5) * unit;
            sums[i] = i == 3 ? float(std::ldexp(uniform(), int(uniform() * 80) - 40)) : float(middle - term);
            expected[i] = float(sums[i] + term);
            const double square = double(gauges[i]) * gauges[i];
            hardTerms += !sameBits(float(sums[i] + 1.0 / (square * square * square)), expected[i]);
        }
        addTerms(sums, gauges, GaugeExponent);
        for (int i = 0; i < LaneWidth; i++)
            EXPECT_TRUE(sameBits(sums[i], expected[i])) << std::hexfloat << gauges[i] << ": " << sums[i];
    }
#ifndef _WIN32  // MinGW-w64's pow computes whole powers by these very products
    EXPECT_GT(hardTerms, 100);
#endif
    float zeros[LaneWidth] = {0, 1, INFINITY, 0}, gauges[LaneWidth] = {0, INFINITY, 1, NAN};
    addTerms(zeros, gauges, GaugeExponent);
    EXPECT_TRUE(std::isinf(zeros[0]) && zeros[1] == 1 && std::isinf(zeros[2]) && std::isnan(zeros[3]));

    // Other exponents go to pow as they are.
    for (float p : {2.0f, 2.5f, 7.0f})
        for (float value : {0.3f, 1.7f, 123.0f})
            EXPECT_TRUE(sameBits(addPower(0.25f, value, p), powSum(0.25f, value, p)));
}

}  // namespace
}  // namespace gaugeplot2d
