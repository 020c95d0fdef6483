// gaugeplot3d shaded primitives: corner shading from the light point, the generator, and beams.
#include <cstring>

#include "fixture.h"

namespace gaugeplot3d {
namespace {

using fakegl::recording;

const float white[3] = {1, 1, 1};

// State after which the generator's next value is 0: x·214013 + 2531011 = 0 (mod 2^32).
std::uint32_t stateBeforeZero()
{
    std::uint32_t inverse = 214013u;  // Newton's iteration for the inverse of an odd number mod 2^32
    for (int i = 0; i < 5; i++)
        inverse *= 2u - 214013u * inverse;
    return (0u - 2531011u) * inverse;
}

void expectCorner(int vertex, float x, float y, float z, float factor)
{
    const fakegl::Vertex& v = fakegl::vertexOf(0, vertex);
    EXPECT_FLOAT_EQ(v.x, x);
    EXPECT_FLOAT_EQ(v.y, y);
    EXPECT_FLOAT_EQ(v.z, z);
    EXPECT_NEAR(v.r, factor, 1e-4) << vertex;
    EXPECT_EQ(v.g, v.r);
    EXPECT_EQ(v.b, v.r);
}

TEST_F(Viewer3d, QuadCornersAreShadedFromTheLightPointAndOutlinedInGridOrder)
{
    const float quad[4][3] = {{0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {1, 1, 0}};
    drawShadedQuad(quad, white);
    ASSERT_EQ(recording.primitiveCount, 1);
    EXPECT_EQ(fakegl::primitive(0).mode, GLenum(GL_POLYGON));
    ASSERT_EQ(fakegl::primitive(0).vertexCount, 4);
    expectCorner(0, 0, 0, 0, 0.7291f);
    expectCorner(1, 1, 0, 0, 0.7732f);
    expectCorner(2, 1, 1, 0, 1.0456f);  // above 1: GL clamps it
    expectCorner(3, 0, 1, 0, 0.9338f);
}

TEST_F(Viewer3d, CornersFacingAwayGetHalfTheirCosine)
{
    const float quad[4][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
    const float color[3] = {0.5f, 0.25f, 1};
    drawShadedQuad(quad, color);
    const float factors[] = {0.4146f, 0.5169f, 0.5728f, 0.4366f};  // outline (0,0), (0,1), (1,1), (1,0)
    for (int i = 0; i < 4; i++) {
        const fakegl::Vertex& v = fakegl::vertexOf(0, i);
        EXPECT_NEAR(v.r, factors[i] * 0.5f, 1e-4);
        EXPECT_NEAR(v.g, factors[i] * 0.25f, 1e-4);
        EXPECT_NEAR(v.b, factors[i] * 1, 1e-4);
    }
}

TEST_F(Viewer3d, PerpendicularOppositeAndDegenerateCornersGetFixedShares)
{
    const float color[3] = {0.2f, 0.4f, 0.8f};
    // In the plane z = 1.25 of the light point, whose normal is +z: every light vector is perpendicular.
    const float flat[4][3] = {{0, 0, 1.25f}, {0, 1, 1.25f}, {1, 0, 1.25f}, {1, 1, 1.25f}};
    drawShadedQuad(flat, color);
    // Straight below the light, normal -z: cos = -1, so 0.1 + 0.5.
    const float below[4][3] = {{0.75f, 1.35f, 0}, {0.75f, 1.35f, 0}, {0.75f, 1.35f, 0}, {0.75f, 1.35f, 0}};
    const float opposite[4][3] = {{0.7f, 1.3f, 0}, {0.8f, 1.3f, 0}, {0.7f, 1.4f, 0}, {0.8f, 1.4f, 0}};
    drawShadedQuad(opposite, color);
    drawShadedQuad(below, color);  // zero-length normal
    const float onLight[4][3] = {{0.75f, 1.35f, 1.25f}, {0, 1, 0}, {1, 0, 0}, {1, 1, 0}};
    drawShadedQuad(onLight, color);

    for (int i = 0; i < 4; i++) {
        EXPECT_FLOAT_EQ(fakegl::vertexOf(0, i).r, float(0.1 * color[0]));
        EXPECT_FLOAT_EQ(fakegl::vertexOf(0, i).b, float(0.1 * color[2]));
        EXPECT_FLOAT_EQ(fakegl::vertexOf(2, i).g, float(0.1 * color[1]));
    }
    EXPECT_NEAR(fakegl::vertexOf(1, 0).r, 0.6f * color[0], 1e-3);
    EXPECT_FLOAT_EQ(fakegl::vertexOf(3, 0).r, float(0.1 * color[0]));  // the corner on the light point
    EXPECT_EQ(recording.nonFinite, 0);
}

TEST_F(Viewer3d, GeneratorRepeatsTheSameSequenceFromEveryStart)
{
    const int expected[] = {41, 18467, 6334, 26500, 19169};
    for (int value : expected)
        EXPECT_EQ(nextRandom(), value);
    shading = ShadingState();
    EXPECT_EQ(nextRandom(), 41);
    for (int i = 0; i < 1000; i++) {
        int r = nextRandom();
        EXPECT_GE(r, 0);
        EXPECT_LE(r, RandomMax);
    }
}

TEST_F(Viewer3d, ProbeRetriesWhileItIsPerpendicularToTheSegment)
{
    shading.randomState = stateBeforeZero();
    EXPECT_EQ(probeValue(0.6, 0), 38);  // 0 fails along the x axis; 38 follows it
    shading.randomState = stateBeforeZero();
    EXPECT_EQ(probeValue(0, 0.5), 0);  // off the x axis any value will do
    EXPECT_EQ(shading.randomState, 0u);
}

TEST_F(Viewer3d, BeamAroundTheXAxisWithTheFirstValue)
{
    const float color[3] = {0.15f, 0.3f, 0.3f};
    drawBeam(-0.3f, 0, 0, 0.3f, 0, 0, 0.015f, color);  // r = 41
    EXPECT_EQ(shading.randomState, 2745024u);  // exactly one value drawn
    ASSERT_EQ(recording.primitiveCount, 4);
    expectOnlyQuads();
    EXPECT_EQ(recording.callCount, 0);

    const float s[3] = {0, -0.0094615f, 0.0055385f};
    const float t[3] = {0, -0.0055385f, -0.0094615f};
    const float a[3] = {-0.3f, 0, 0};
    const float b[3] = {0.3f, 0, 0};
    // Per face, the outline as drawn: which end, and the signs of s and t.
    const struct {
        const float* end;
        int s, t;
    } outlines[4][4] = {
        {{a, 1, 0}, {b, 1, 0}, {b, 0, 1}, {a, 0, 1}},
        {{a, 1, 0}, {b, 1, 0}, {b, 0, -1}, {a, 0, -1}},
        {{a, -1, 0}, {a, 0, -1}, {b, 0, -1}, {b, -1, 0}},
        {{a, -1, 0}, {a, 0, 1}, {b, 0, 1}, {b, -1, 0}},
    };
    for (int face = 0; face < 4; face++) {
        for (int i = 0; i < 4; i++) {
            const auto& c = outlines[face][i];
            const fakegl::Vertex& v = fakegl::vertexOf(face, i);
            const float got[3] = {v.x, v.y, v.z};
            for (int axis = 0; axis < 3; axis++) {
                EXPECT_NEAR(got[axis], c.end[axis] + c.s * s[axis] + c.t * t[axis], 1e-7)
                    << "face " << face + 1 << " corner " << i << " axis " << axis;
            }
            EXPECT_NEAR(v.g / v.r, 2.0f, 1e-5);
        }
    }
}

TEST_F(Viewer3d, BeamsThatCannotBeOrientedDrawNothing)
{
    const float color[3] = {1, 1, 1};
    drawBeam(0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.01f, color);     // zero length
    drawBeam(0, 1.23f, 0, 0, 0, 0.72f, 0.01f, color);  // 0.72·dy + 1.23·dz = 0, dx = 0
    drawBeam(NAN, 0, 0, 1, 0, 0, 0.01f, color);
    drawBeam(0, 0, 0, 1, INFINITY, 0, 0.01f, color);
    EXPECT_EQ(shading.randomState, 1u);  // no value drawn
    EXPECT_EQ(recording.primitiveCount, 0);

    // A probe parallel to the segment: r = 41 next.
    drawBeam(0, 0, 0, 41, 0.72f, 1.23f, 0.01f, color);
    EXPECT_EQ(recording.primitiveCount, 0);
    EXPECT_EQ(recording.nonFinite, 0);
}

TEST_F(Viewer3d, BeamsDrawnTogetherMatchEachDrawnAlone)
{
    // Beams that draw nothing among good ones, in groups of four and past one batch of twenty.
    constexpr int Count = 23;
    float ends[Count][2][3];
    for (int j = 0; j < Count; j++) {
        const float edge[2][3] = {{0, 0.1f * j, -0.05f * j}, {0, 0.3f - 0.02f * j, 0.2f + 0.01f * j}};
        std::memcpy(ends[j], edge, sizeof edge);
    }
    ends[1][1][1] = ends[1][0][1], ends[1][1][2] = ends[1][0][2];  // zero length
    ends[6][0][0] = NAN;
    const float noProbe[2][3] = {{0, 1.23f, 0}, {0, 0, 0.72f}};  // 0.72·dy + 1.23·dz = 0, dx = 0
    std::memcpy(ends[9], noProbe, sizeof noProbe);
    ends[21][1][2] = INFINITY;
    const float color[3] = {0.6f, 0.3f, 0.3f};

    drawBeams(Count, ends, EdgeHalfWidth, color);
    static fakegl::Vertex together[fakegl::MaxVertices];
    const int vertexCount = recording.vertexCount;
    std::memcpy(together, recording.vertices, sizeof together);
    const std::uint32_t stateTogether = shading.randomState;

    fakegl::clearFrame();
    shading = ShadingState();
    for (const auto& e : ends)
        drawBeam(e[0][0], e[0][1], e[0][2], e[1][0], e[1][1], e[1][2], EdgeHalfWidth, color);
    EXPECT_EQ(shading.randomState, stateTogether);
    ASSERT_EQ(recording.vertexCount, 16 * (Count - 4));
    ASSERT_EQ(vertexCount, recording.vertexCount);
    EXPECT_EQ(std::memcmp(together, recording.vertices, vertexCount * sizeof together[0]), 0);
}

}  // namespace
}  // namespace gaugeplot3d
