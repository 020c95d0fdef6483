// Plays a session in a native viewer under a private Xvfb, as the end-to-end tests do, and keeps
// what it showed and printed: the browser tests compare the web build with that.
//   gaugeplot_e2e_play VIEWER PICTURE LISTING STEP...
// VIEWER is gaugeplot2d or gaugeplot3d. PICTURE receives the settled window as a binary PPM,
// LISTING what the viewer wrote on standard output. Steps, in window pixels: menu=N (entry N, 1 at
// the top), click=X,Y (left), right=X,Y, drag=X,Y,X,Y (left), altdrag=X,Y,X,Y (with Alt held).
// Every wait has the suite's deadline; a step that cannot be played ends the program with status 1.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <limits>
#include <sstream>
#include <stdexcept>

#include "xsession.h"

using namespace e2e;

namespace {

void play(XSession& x, const Window& w, const std::string& step)
{
    const std::size_t eq = step.find('=');
    const std::string kind = step.substr(0, eq);
    std::vector<int> n;
    std::istringstream numbers(eq == std::string::npos ? "" : step.substr(eq + 1));
    for (std::string number; std::getline(numbers, number, ',');)
        n.push_back(std::stoi(number));
    if (kind == "menu" && n.size() == 1)
        x.chooseMenuEntry(w, n[0]);
    else if ((kind == "click" || kind == "right") && n.size() == 2)
        x.click(w, n[0], n[1], kind == "click" ? 1 : 3);
    else if ((kind == "drag" || kind == "altdrag") && n.size() == 4)
        x.drag(w, n[0], n[1], n[2], n[3], kind == "altdrag");
    else
        throw std::runtime_error("a step it cannot play: " + step);
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string viewer = argc > 1 ? argv[1] : "";
    if (argc < 4 || (viewer != "gaugeplot2d" && viewer != "gaugeplot3d")) {
        std::cerr << "usage: gaugeplot_e2e_play gaugeplot2d|gaugeplot3d PICTURE LISTING STEP...\n";
        return 2;
    }
    try {
        XSession x;
        Process program(viewer == "gaugeplot2d" ? GAUGEPLOT2D_PATH : GAUGEPLOT3D_PATH, {}, x.display());
        const Window w = x.waitForWindow(viewer == "gaugeplot2d" ? "Glut window" : "Lumvar2D");
        for (int i = 4; i < argc; i++)
            play(x, w, argv[i]);
        const Image screen = x.settle();
        std::ofstream picture(argv[2], std::ios::binary);
        picture << "P6\n" << w.width << " " << w.height << "\n255\n";
        for (int y = 0; y < w.height; y++)
            picture.write(reinterpret_cast<const char*>(&screen.rgb[3 * ((w.y + y) * screen.width + w.x)]), 3 * w.width);
        // The listing is flushed as it is written, so it is in the pipe by the time the picture settled.
        std::ofstream(argv[3], std::ios::binary) << program.waitForStdout(std::numeric_limits<std::size_t>::max(), Seconds{0.2});
        if (!picture || !program.running())
            throw std::runtime_error(picture ? "the viewer " + program.describeEnd() : std::string("cannot write ") + argv[2]);
    } catch (const std::exception& e) {
        std::cerr << "gaugeplot_e2e_play: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
