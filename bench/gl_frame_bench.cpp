// gaugeplot_bench_gl: whole frames of both viewers on a real GL context.
//
// Opens one GLUT window per viewer on the X display in DISPLAY (run-gl.sh starts a private Xvfb,
// where Mesa renders in software) and times each viewer's onDisplay followed by glFinish, so that
// the rasterisation the frame queued is inside the measurement, buffer swap included.
#include <cstdio>
#include <cstdlib>
#include <string>

#include <GL/freeglut.h>  // glutMainLoopEvent
#include <benchmark/benchmark.h>

#include "medians.h"
#include "scenes.h"

#include "gaugeplot2d/polygons.h"
#include "gaugeplot2d/viewer.h"
#include "gaugeplot3d/field.h"
#include "gaugeplot3d/scene.h"
#include "gaugeplot3d/sketch.h"
#include "gaugeplot3d/viewer.h"

namespace {

using namespace bench;

int window2d = 0;
int window3d = 0;

// Lets GLUT map the windows and deliver their first reshape and display, as the main loop would.
void settle()
{
    for (int i = 0; i < 20; i++)
        glutMainLoopEvent();
}

void frame2d(benchmark::State& state, int polygons, int vertices)
{
    glutSetWindow(window2d);
    bench::buildScene2d(polygons, vertices);
    gaugeplot2d::onReshape(gaugeplot2d::viewer.windowWidth, gaugeplot2d::viewer.windowHeight);
    settle();
    for (auto _ : state) {
        gaugeplot2d::onDisplay();
        glFinish();
    }
}

enum Pending { Nothing, Replace };

void frame3d(benchmark::State& state, int polygons, int vertices, Pending pending)
{
    glutSetWindow(window3d);
    bench::buildScene3d(polygons, vertices);
    gaugeplot3d::onReshape(gaugeplot3d::viewer.windowWidth, gaugeplot3d::viewer.windowHeight);
    settle();
    for (auto _ : state) {
        // A drag step: the active polygon's gauge exchanged for itself, all 320 directions.
        if (pending == Replace)
            gaugeplot3d::requestReplace(gaugeplot3d::viewer.activePolygon);
        gaugeplot3d::onDisplay();
        glFinish();
    }
}

// No polygon: the floor of every frame, clearing, the swap and glFinish.
BENCHMARK_CAPTURE(frame2d, empty, 0, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(frame3d, empty, 0, 0, Nothing)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(frame2d, typical, TypicalPolygons, TypicalVertices)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(frame2d, full, gaugeplot2d::MaxPolygons, Full2dVertices)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(frame3d, typical, TypicalPolygons, TypicalVertices, Nothing)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(frame3d, full, gaugeplot3d::MaxPolygons, Full3dVertices, Nothing)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(frame3d, full_replace, gaugeplot3d::MaxPolygons, Full3dVertices, Replace)->Unit(benchmark::kMillisecond);

}  // namespace

// Standard output carries Google Benchmark's report alone, in the format asked for; the summary
// goes to standard error.
int main(int argc, char** argv)
{
    const std::string format = bench::formatArgument(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    // freeglut ends the process with its own message when it cannot open the display; say why first.
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || display[0] == '\0') {
        std::fprintf(stderr, "error: gaugeplot_bench_gl needs an X display and DISPLAY is not set; "
                             "run it through bench/run-gl.sh, which starts Xvfb\n");
        return 2;
    }
    glutInit(&argc, argv);

    gaugeplot2d::initWindow();
    gaugeplot2d::initGL();
    window2d = glutGetWindow();
    gaugeplot3d::initAngles();
    gaugeplot3d::initWindow();
    gaugeplot3d::initGL();
    window3d = glutGetWindow();
    settle();

    benchmark::AddCustomContext("gl_renderer", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    benchmark::AddCustomContext("gl_version", reinterpret_cast<const char*>(glGetString(GL_VERSION)));

    bench::MedianReporter reporter(format);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    // The 2D frame has a budget of its own; the 3D frame on a software rasteriser is its fill of
    // the faces the scene prescribes, so its goal is the viewer's share: display3d/full_* of
    // gaugeplot_bench at most 5 % of frame3d/full.
    std::fprintf(stderr, "\nWhole frames (wall-clock medians):\n");
    for (const char* name : {"frame2d/empty", "frame3d/empty", "frame2d/typical", "frame2d/full", "frame3d/typical", "frame3d/full", "frame3d/full_replace"}) {
        const double seconds = reporter.seconds(name);
        if (seconds < 0)
            continue;
        std::fprintf(stderr, "  %-22s %7.3f ms", name, seconds * 1e3);
        if (name[5] == '2')
            std::fprintf(stderr, "   budget 8 ms: %s", seconds <= 8e-3 ? "met" : "MISSED");
        std::fprintf(stderr, "\n");
    }
    return 0;
}
