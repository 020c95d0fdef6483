// gaugeplot3d results pinned bit for bit: field values, gauges, level points and frames of fixed
// editing sessions.
//
// The checksums were taken from the straightforward code before any optimisation; a faster
// evaluation must reproduce every stored float exactly, in the same order. A failure prints the
// checksum now computed, so a deliberate change of results can update it knowingly.
#include "fixture.h"

#include "checksum.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace gaugeplot3d {
namespace {

using fakegl::recording;

// Cosine and sine of one 19th of a turn: rings are built by repeated rotation, plain arithmetic
// that gives the same vertices everywhere.
constexpr double StepCos = 0.94581724170063464;
constexpr double StepSin = 0.32469946920468346;

// Polygon k: `count` vertices (at most 19, spread over the turn) on an ellipse around the plane's
// origin, half-axes in plane units, its first vertex turned by a k-dependent number of steps.
void setRing(int k, int count, double halfWidth, double halfHeight)
{
    Polygon& p = sketch.polygons[k];
    double c = 1, s = 0;
    for (int i = 0; i < k % 5; i++) {
        double t = c * StepCos - s * StepSin;
        s = s * StepCos + c * StepSin;
        c = t;
    }
    const int stride = 19 / count;
    p.vertexCount = 0;
    for (int j = 0; p.vertexCount < count; j++) {
        if (j % stride == 0) {
            p.vertexCount++;
            p.planeX[p.vertexCount] = float(halfWidth * c);
            p.planeY[p.vertexCount] = float(halfHeight * s);
        }
        double t = c * StepCos - s * StepSin;
        s = s * StepCos + c * StepSin;
        c = t;
    }
    computeEdgeLines(k);
}

// Polygon k finished, as a right press while sketching leaves it: an add pending.
void finish(int k)
{
    viewer.activePolygon = k;
    viewer.polygonCount = k + 1;
    viewer.fieldDirty = 1;
    viewer.addActive = 1;
}

// Field values, the active polygon's gauges and both rings after one band pass.
void addPass(Checksum& sum)
{
    drawLevelBand();
    for (int n = 0; n < BandDirections; n++) {
        sum.add(field.fieldValues[n]);
        sum.add(sketch.edgeLines[viewer.activePolygon].gauges[n]);
        for (int i = 0; i < 3; i++) {
            sum.add(band.outerPoints[n][i]);
            sum.add(band.innerPoints[n][i]);
        }
    }
}

// One frame through the recording fake: every vertex with its colour.
Checksum frameChecksum()
{
    fakegl::clearFrame();
    onDisplay();
    EXPECT_FALSE(recording.overflow);
    Checksum sum;
    for (int i = 0; i < recording.primitiveCount; i++) {
        const fakegl::Primitive& p = fakegl::primitive(i);
        for (int j = 0; j < p.vertexCount; j++) {
            const fakegl::Vertex& v = fakegl::vertexOf(i, j);
            for (float f : {v.x, v.y, v.z, v.r, v.g, v.b})
                sum.add(f);
        }
    }
    return sum;
}

// Adds `count` rings of `vertices` vertices one by one, a pass after each as the frames would,
// then drags, re-adds and an add with a replace pending together.
Checksum editingSession(int count, int vertices)
{
    Checksum sum;
    for (int k = 0; k < count; k++) {
        setRing(k, vertices, 0.4 + 0.02 * k, 0.9 - 0.01 * k);
        finish(k);
        addPass(sum);
    }
    // Drag steps: a vertex of an earlier polygon moves outward, then back in past its start.
    const int dragged = count / 2;
    viewer.activePolygon = dragged;
    for (float factor : {1.1f, 1.25f, 0.8f}) {
        Polygon& p = sketch.polygons[dragged];
        p.planeX[2] *= factor;
        p.planeY[2] *= factor;
        computeEdgeLines(dragged);
        viewer.fieldDirty = 1;
        viewer.replaceActive = 1;
        addPass(sum);
    }
    // "Yontsal Function" on the polygon just dragged: it weighs twice.
    viewer.fieldDirty = 1;
    viewer.addActive = 1;
    addPass(sum);
    // An add and a replace pending in one pass.
    viewer.fieldDirty = 1;
    viewer.addActive = 1;
    viewer.replaceActive = 1;
    addPass(sum);
    for (int k = 0; k < count; k++)
        for (int n = 0; n < BandDirections; n++)
            sum.add(sketch.edgeLines[k].gauges[n]);
    return sum;
}

// A checksum as pinned; a mismatch shows the one now computed, in hex like the pinned one.
void expectChecksum(const Checksum& got, std::uint64_t pinned, const std::string& context = "")
{
    EXPECT_TRUE(matchesPin(got, pinned)) << context;
}

TEST_F(Viewer3d, FullCapacitySessionResultsAreUnchanged)
{
    expectChecksum(editingSession(MaxPolygons, VertexSlots - 1), 0x9ec1eb77242dea4aull);
}

TEST_F(Viewer3d, TypicalSessionResultsAreUnchanged)
{
    expectChecksum(editingSession(5, 8), 0xfe37be4fa84aa12dull);
}

TEST_F(Viewer3d, FullCapacityFramesAreUnchanged)
{
    for (int k = 0; k < MaxPolygons; k++)
        setRing(k, VertexSlots - 1, 0.4 + 0.02 * k, 0.9 - 0.01 * k);
    finish(0);
    viewer.polygonCount = MaxPolygons;
    // With an add pending, then with nothing pending: 1280 band faces and 3 + 950 beams.
    expectChecksum(frameChecksum(), 0xe7f12ee35adb398dull);
    EXPECT_EQ(recording.primitiveCount, 1280 + 4 * (3 + MaxPolygons * (VertexSlots - 1)));
    expectChecksum(frameChecksum(), 0x959e464f5ca817acull);
}

}  // namespace
}  // namespace gaugeplot3d
