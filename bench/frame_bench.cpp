// gaugeplot_bench: what a frame's computation costs in both viewers, on the recording fake of GL.
//
// Frames here draw into the fake (tests/support/fakegl), so they time the viewers' own work: the
// field, the band and the shading, and the fake's recording of every vertex, not rasterisation.
// gaugeplot_bench_gl times whole frames on a real GL context.
#include <cstdio>
#include <cstring>
#include <string>

#include <benchmark/benchmark.h>

#include "fakegl.h"
#include "medians.h"
#include "reference.h"
#include "scenes.h"

#include "gaugeplot2d/field.h"
#include "gaugeplot2d/polygons.h"
#include "gaugeplot2d/viewer.h"
#include "gaugeplot3d/band.h"
#include "gaugeplot3d/field.h"
#include "gaugeplot3d/scene.h"
#include "gaugeplot3d/sketch.h"
#include "gaugeplot3d/viewer.h"

namespace {

using namespace bench;

struct Size {
    int polygons;
    int vertices;
};

constexpr Size Typical = {TypicalPolygons, TypicalVertices};
constexpr Size Full2d = {gaugeplot2d::MaxPolygons, Full2dVertices};
constexpr Size Full3d = {gaugeplot3d::MaxPolygons, Full3dVertices};

float outerPoints[gaugeplot3d::BandDirections][2];
float innerPoints[gaugeplot3d::BandDirections][2];

// ---- gaugeplot2d ----

void setUp2d(Size size)
{
    fakegl::reset();
    bench::buildScene2d(size.polygons, size.vertices);
    gaugeplot2d::onReshape(640, 480);
}

void compute2d(benchmark::State& state, Size size)
{
    setUp2d(size);
    for (auto _ : state) {
        levelPoints2d(outerPoints, innerPoints);
        benchmark::DoNotOptimize(outerPoints);
    }
}

void reference2d(benchmark::State& state, Size size)
{
    setUp2d(size);
    for (auto _ : state) {
        referenceLevelPoints2d(outerPoints, innerPoints);
        benchmark::DoNotOptimize(outerPoints);
    }
}

void display2d(benchmark::State& state, Size size)
{
    setUp2d(size);
    for (auto _ : state) {
        fakegl::clearFrame();
        gaugeplot2d::onDisplay();
    }
    if (fakegl::recording.overflow)
        state.SkipWithError("the fake's recording overflowed");
}

BENCHMARK_CAPTURE(compute2d, typical, Typical)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(compute2d, full, Full2d)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(reference2d, typical, Typical)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(reference2d, full, Full2d)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(display2d, typical, Typical)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(display2d, full, Full2d)->Unit(benchmark::kMicrosecond);

// ---- gaugeplot3d ----

enum Pending { Nothing, Add, Replace };

// The field's tables for the band's directions as the scene left them: the field values, the
// running sums and the active polygon's copies.
struct SavedField {
    float fieldValues[gaugeplot3d::BandDirections];
    double termSums[gaugeplot3d::BandDirections];
    double sumErrors[gaugeplot3d::BandDirections];
    double latestTerms[gaugeplot3d::BandDirections];
    double olderTerms[gaugeplot3d::BandDirections];
};
SavedField saved;


void setUp3d(Size size, double lastScale = 1)
{
    using gaugeplot3d::field;
    fakegl::reset();
    bench::buildScene3d(size.polygons, size.vertices, lastScale);
    gaugeplot3d::onReshape(640, 640);
    const int k = gaugeplot3d::viewer.activePolygon;
    std::memcpy(saved.fieldValues, field.fieldValues, sizeof saved.fieldValues);
    std::memcpy(saved.termSums, field.termSums, sizeof saved.termSums);
    std::memcpy(saved.sumErrors, field.sumErrors, sizeof saved.sumErrors);
    for (int n = 0; n < gaugeplot3d::BandDirections; n++) {
        saved.latestTerms[n] = field.latestTerms[n][k];
        saved.olderTerms[n] = field.olderTerms[n][k];
    }
}

// Raises the request as the input handlers would, with the field as it was after the scene was
// built: repeated adds would otherwise keep weighing the active polygon in again. Restoring the
// tables costs far less than the pass it precedes.
void request(Pending pending)
{
    using gaugeplot3d::field;
    using gaugeplot3d::viewer;
    if (pending == Nothing)
        return;
    const int k = viewer.activePolygon;
    std::memcpy(field.fieldValues, saved.fieldValues, sizeof saved.fieldValues);
    std::memcpy(field.termSums, saved.termSums, sizeof saved.termSums);
    std::memcpy(field.sumErrors, saved.sumErrors, sizeof saved.sumErrors);
    for (int n = 0; n < gaugeplot3d::BandDirections; n++) {
        field.latestTerms[n][k] = saved.latestTerms[n];
        field.olderTerms[n][k] = saved.olderTerms[n];
    }
    if (pending == Add)
        gaugeplot3d::requestAdd(k);
    else
        gaugeplot3d::requestReplace(k);
}

// The active polygon made this many times as large: every other polygon's term is then far
// below 1e-9 of its own in every direction, and a replace takes out nearly the whole sum.
constexpr double DominantScale = 100;

bool activeTermDominates()
{
    using namespace gaugeplot3d;
    const int k = viewer.activePolygon;
    for (int n = 0; n < BandDirections; n++)
        for (int j = 0; j < viewer.polygonCount; j++)
            if (j != k && !(field.latestTerms[n][j] < 1e-9 * field.latestTerms[n][k]))
                return false;
    return true;
}

void display3d(benchmark::State& state, Size size, Pending pending)
{
    setUp3d(size);
    for (auto _ : state) {
        request(pending);
        fakegl::clearFrame();
        gaugeplot3d::onDisplay();
    }
    if (fakegl::recording.overflow)
        state.SkipWithError("the fake's recording overflowed");
}

// The field's share of one band pass with polygons of 8 vertices, state.range(0) of them in use.
void field3d(benchmark::State& state, Pending pending, double lastScale = 1)
{
    setUp3d({int(state.range(0)), TypicalVertices}, lastScale);
    if (lastScale != 1 && !activeTermDominates()) {
        state.SkipWithError("the active polygon's term does not dominate every direction");
        return;
    }
    for (auto _ : state) {
        request(pending);
        bench::fieldPass3d();
        benchmark::DoNotOptimize(gaugeplot3d::field.queryX);
    }
}

void edit3d(benchmark::State& state) { field3d(state, Replace); }
void add3d(benchmark::State& state) { field3d(state, Add); }
void idle3d(benchmark::State& state) { field3d(state, Nothing); }
void dominant3d(benchmark::State& state) { field3d(state, Replace, DominantScale); }

void reference3d(benchmark::State& state)
{
    setUp3d({int(state.range(0)), TypicalVertices});
    for (auto _ : state) {
        referenceLevelPoints3d(outerPoints, innerPoints);
        benchmark::DoNotOptimize(outerPoints);
    }
}

BENCHMARK_CAPTURE(display3d, typical_idle, Typical, Nothing)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(display3d, full_idle, Full3d, Nothing)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(display3d, typical_add, Typical, Add)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(display3d, full_add, Full3d, Add)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(display3d, typical_replace, Typical, Replace)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(display3d, full_replace, Full3d, Replace)->Unit(benchmark::kMicrosecond);
BENCHMARK(edit3d)->Arg(1)->Arg(50)->Unit(benchmark::kMicrosecond);
BENCHMARK(add3d)->Arg(1)->Arg(50)->Unit(benchmark::kMicrosecond);
BENCHMARK(idle3d)->Arg(1)->Arg(50)->Unit(benchmark::kMicrosecond);
BENCHMARK(dominant3d)->Arg(50)->Unit(benchmark::kMicrosecond);
BENCHMARK(reference3d)->Arg(1)->Arg(50)->Unit(benchmark::kMicrosecond);

// ---- agreement with the reference ----

// The viewer's level points, by its own computation, against the reference's. 2D must agree bit
// for bit; 3D to rounding, since its field value is reached by single-precision steps.
bool checkAgreement()
{
    static float viewerOuter[gaugeplot3d::BandDirections][2];
    bool agree = true;
    const Size sizes2d[] = {Typical, Full2d};
    for (Size size : sizes2d) {
        setUp2d(size);
        levelPoints2d(outerPoints, innerPoints);
        std::memcpy(viewerOuter, outerPoints, sizeof viewerOuter);
        float viewerInner[gaugeplot2d::BandDirections][2];
        std::memcpy(viewerInner, innerPoints, sizeof viewerInner);
        referenceLevelPoints2d(outerPoints, innerPoints);
        int outerDiffering, innerDiffering;
        compareLevelPoints(viewerOuter, outerPoints, gaugeplot2d::BandDirections, &outerDiffering);
        compareLevelPoints(viewerInner, innerPoints, gaugeplot2d::BandDirections, &innerDiffering);
        std::fprintf(stderr,
                     "agreement 2D %2d x %2d: %d of %d outer and %d inner level points differ from the reference\n",
                     size.polygons, size.vertices, outerDiffering, gaugeplot2d::BandDirections, innerDiffering);
        agree = agree && outerDiffering == 0 && innerDiffering == 0;
    }
    // The viewer's F comes from a running double sum of the copies' terms, the reference's from
    // one summed afresh; both round F to a float (relative 6e-8).
    const double tolerance = 1e-6;
    struct Scene3d {
        Size size;
        double lastScale;
    };
    const Scene3d scenes3d[] = {{{1, TypicalVertices}, 1}, {{50, TypicalVertices}, 1},
                                {{50, TypicalVertices}, DominantScale}, {Full3d, 1}};
    for (const Scene3d& scene : scenes3d) {
        for (Pending pending : {Nothing, Replace}) {
            setUp3d(scene.size, scene.lastScale);
            request(pending);
            using namespace gaugeplot3d;
            bench::fieldPass3d(viewerOuter);
            referenceLevelPoints3d(outerPoints, innerPoints);
            int differing;
            double largest = compareLevelPoints(viewerOuter, outerPoints, BandDirections, &differing);
            std::fprintf(stderr, "agreement 3D %2d x %2d%s%s: %3d of %d outer level points not bit-identical, "
                                 "largest relative difference %.2g (tolerance %.0e)\n",
                         scene.size.polygons, scene.size.vertices, scene.lastScale != 1 ? ", one dominant" : "",
                         pending == Replace ? ", after a replace" : "", differing, BandDirections, largest, tolerance);
            agree = agree && largest <= tolerance;
        }
    }
    return agree;
}

}  // namespace

// Standard output carries Google Benchmark's report alone, in the format asked for, so that
// --benchmark_format=json can be piped on; everything else goes to standard error.
int main(int argc, char** argv)
{
    const std::string format = bench::formatArgument(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    if (!checkAgreement()) {
        std::fprintf(stderr, "error: the viewers' level points disagree with the reference evaluation\n");
        return 1;
    }
    std::fflush(stdout);

    bench::MedianReporter reporter(format);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::fprintf(stderr, "\nRatios of wall-clock medians in this run:\n");
    reporter.printRatio("compute2d/typical", "reference2d/typical");
    reporter.printRatio("compute2d/full", "reference2d/full");
    reporter.printRatio("edit3d/1", "reference3d/1");
    reporter.printRatio("edit3d/50", "reference3d/50");
    reporter.printRatio("idle3d/50", "reference3d/50");
    reporter.printRatio("edit3d/50", "edit3d/1", 1.2);
    reporter.printRatio("dominant3d/50", "edit3d/1", 3);
    reporter.printRatio("edit3d/50", "idle3d/50", 0, 10);
    return 0;
}
