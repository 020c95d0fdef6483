// gaugeplot_bench_web: whole frames of one viewer in a browser's WebGL, timed inside the page.
//
// Built with Emscripten and the web layer, run by bench/web/run.mjs in headless Chromium. The
// first argument names the viewer ("2d" or "3d"): the page has one canvas, so one GLUT window.
// Each frame is timed three times over, from the start of onDisplay: to its return (the viewer's
// work and the GL calls handed to the browser), to the return of the glFinish after it, and to
// the return of a one-pixel glReadPixels after that. Chromium's finish() returns once the GPU
// process has taken the calls, before SwiftShader has rasterised them; only the read-back waits
// for the pixels. The medians over the frames go to standard output, one line per scene.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include <GL/glut.h>
#include <emscripten.h>

#include "scenes.h"

#include "gaugeplot2d/field.h"
#include "gaugeplot2d/polygons.h"
#include "gaugeplot2d/viewer.h"
#include "gaugeplot3d/field.h"
#include "gaugeplot3d/scene.h"
#include "gaugeplot3d/sketch.h"
#include "gaugeplot3d/viewer.h"

namespace {

using namespace bench;

// Frames per scene, after untimed ones that let the browser compile its shaders and fill its
// buffers. Emscripten's GL emulation uploads each draw's vertices into the next of a ring of 64
// temporary buffers of its size, which it makes at the first turn; the page then reuses them for
// as long as it runs. Fewer warm-up frames than that would time the making of two buffers in every
// 2D frame (one of 512 KiB at full capacity), which the page does in its first 64 frames alone.
// The full-capacity 3D frame takes tens of milliseconds on SwiftShader.
constexpr int WarmUpFrames = 70;
constexpr int TimedFrames = 41;

double displayTimes[TimedFrames];
double frameTimes[TimedFrames];
double readTimes[TimedFrames];

double median(double* values, int count)
{
    std::sort(values, values + count);
    return count % 2 == 1 ? values[count / 2] : (values[count / 2 - 1] + values[count / 2]) / 2;
}

enum Pending { Nothing, Replace };

// Times the current viewer's frames and prints "name display_ms frame_ms".
void timeFrames(const char* name, void (*display)(), Pending pending = Nothing)
{
    for (int i = -WarmUpFrames; i < TimedFrames; i++) {
        // A drag step: the active polygon's gauge exchanged for itself, all 320 directions.
        if (pending == Replace)
            gaugeplot3d::requestReplace(gaugeplot3d::viewer.activePolygon);
        const double start = emscripten_get_now();
        display();
        const double displayed = emscripten_get_now();
        glFinish();
        const double finished = emscripten_get_now();
        // A pixel read back can only be had once the frame has been rasterised, whatever
        // glFinish waited for.
        unsigned char pixel[4];
        glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
        const double read = emscripten_get_now();
        if (i >= 0) {
            displayTimes[i] = displayed - start;
            frameTimes[i] = finished - start;
            readTimes[i] = read - start;
        }
    }
    std::printf("%-22s %8.3f %8.3f %8.3f\n", name, median(displayTimes, TimedFrames), median(frameTimes, TimedFrames),
                median(readTimes, TimedFrames));
}

// The 2D frame's computation alone, as the native compute2d times it: the display column's share.
float outerPoints[gaugeplot2d::BandDirections][2];
float innerPoints[gaugeplot2d::BandDirections][2];

void compute2d() { levelPoints2d(outerPoints, innerPoints); }

void bench2d()
{
    struct Scene {
        const char* name;
        int polygons, vertices;
    };
    for (const Scene& s : {Scene{"frame2d/empty", 0, 0}, Scene{"frame2d/typical", TypicalPolygons, TypicalVertices},
                           Scene{"frame2d/full", gaugeplot2d::MaxPolygons, Full2dVertices}}) {
        buildScene2d(s.polygons, s.vertices);
        gaugeplot2d::onReshape(gaugeplot2d::viewer.windowWidth, gaugeplot2d::viewer.windowHeight);
        timeFrames(s.name, gaugeplot2d::onDisplay);
    }
    timeFrames("compute2d/full", compute2d);
}

void bench3d()
{
    struct Scene {
        const char* name;
        int polygons, vertices;
        Pending pending;
    };
    for (const Scene& s : {Scene{"frame3d/empty", 0, 0, Nothing}, Scene{"frame3d/typical", TypicalPolygons, TypicalVertices, Nothing},
                           Scene{"frame3d/full", gaugeplot3d::MaxPolygons, Full3dVertices, Nothing},
                           Scene{"frame3d/full_replace", gaugeplot3d::MaxPolygons, Full3dVertices, Replace}}) {
        buildScene3d(s.polygons, s.vertices);
        gaugeplot3d::onReshape(gaugeplot3d::viewer.windowWidth, gaugeplot3d::viewer.windowHeight);
        timeFrames(s.name, gaugeplot3d::onDisplay, s.pending);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const bool threeD = argc > 1 && std::strcmp(argv[1], "3d") == 0;
    glutInit(&argc, argv);
    if (threeD) {
        gaugeplot3d::initAngles();
        gaugeplot3d::initWindow();
        gaugeplot3d::initGL();
    } else {
        gaugeplot2d::initWindow();
        gaugeplot2d::initGL();
    }
    std::printf("%-22s %8s %8s %8s   (medians of %d frames, ms)\n", "scene", "display", "frame", "read", TimedFrames);
    if (threeD)
        bench3d();
    else
        bench2d();
    std::printf("done\n");
    std::fflush(stdout);
    return 0;
}
