// gaugeplot2d: sketch polygons and see the unit level curve of their blended gauges, flat.
//
// Controls:
//   right button        pop-up menu: "new polygon", "change", "Yontsal Function", "Polygon Draw",
//                       "Print Values" (listing on standard output), "[Esc] Exit" (status 1)
//   left click          in "new polygon": add a vertex (more than 25 pixels from the last one)
//   left drag           in "change": move the vertex picked within 8 pixels of the press
//   Esc                 quit (status 0)
#include <csignal>

#include <GL/glut.h>

#include "viewer.h"
#ifdef _WIN32
#include "listing_console.h"
#endif

int main(int argc, char** argv)
{
    using namespace gaugeplot2d;
#ifdef _WIN32
    // Built without a console: the listing goes to a redirection, a console or a window of its own.
    gaugeplot_windows::routeStandardOutput(argc, argv);
#endif
#ifdef SIGPIPE
    // A listing whose reader has gone is dropped rather than ending the process and the sketch.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    glutInit(&argc, argv);
    initWindow();
    initMenu();
    initGL();
    glutMainLoop();
    return 0;
}
