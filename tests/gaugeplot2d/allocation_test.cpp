// gaugeplot2d frames allocate nothing: the heap is untouched over many frames and edits.
#include "fixture.h"

#include <cstdlib>

#include "allocations.h"

namespace gaugeplot2d {
namespace {

TEST_F(Viewer2d, FramesAndDragsAllocateNothing)
{
    // Five finished polygons around the centre (320, 240), and a sixth being drawn.
    for (int k = 0; k < 5; k++) {
        int r = 60 + 25 * k;
        sketch({{320 + r, 240}, {320 + r, 240 + r}, {320, 240 + r}, {320 - r, 240},
                {320 - r, 240 - r}, {320, 240 - r}});
    }
    click(300, 100);
    click(340, 380);
    onMenu(MenuChange);
    onDisplay();  // whatever the first frame sets up once is not counted

    const long before = allocations::count();
    int frames = 0;
    for (int step = 0; step < 200; step++) {
        // Drag a vertex of the largest polygon back and forth, a frame after every motion.
        onMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 420, 240 + step % 2);
        onMotion(420 + step % 17, 241);
        onMouse(GLUT_LEFT_BUTTON, GLUT_UP, 420 + step % 17, 241);
        fakegl::clearFrame();
        onDisplay();
        frames++;
    }
    const long during = allocations::count() - before;

    // The counter does see an allocation made here, so the zero above is a real one.
    void* volatile probe = std::malloc(16);
    std::free(probe);
    EXPECT_EQ(allocations::count() - before, during + 1);
    EXPECT_EQ(during, 0) << "over " << frames << " frames";
    EXPECT_EQ(store.pickedPolygon, -1);
    EXPECT_EQ(fakegl::countPrimitives(GL_POLYGON), BandDirections);  // the last frame was whole
}

}  // namespace
}  // namespace gaugeplot2d
