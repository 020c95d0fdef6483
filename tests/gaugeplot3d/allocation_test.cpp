// gaugeplot3d frames allocate nothing: the heap is untouched over many frames, edits and turns.
#include "fixture.h"

#include "allocations.h"

namespace gaugeplot3d {
namespace {

TEST_F(Viewer3d, FramesEditsAndTurnsAllocateNothing)
{
    onDisplay();  // whatever the first frame sets up once is not counted
    const long before = allocations::count();

    // Polygons sketched with clicks and finished with a right press: an add pending each time.
    for (int k = 0; k < 5; k++) {
        int r = 40 + 15 * k;
        onMenu(MenuNewPolygon);
        click(320 + r, 320);
        click(320, 320 + r);
        click(320 - r, 320);
        click(320, 320 - r);
        press(GLUT_RIGHT_BUTTON, 320, 320);
        release(GLUT_RIGHT_BUTTON, 320, 320);
        fakegl::clearFrame();
        onDisplay();
    }
    ASSERT_EQ(viewer.polygonCount, 5);

    // Drag steps (a replace pending each time), then turns of the scene with Alt held.
    onMenu(MenuChange);
    press(GLUT_LEFT_BUTTON, 320 + 100, 320);
    ASSERT_EQ(viewer.pickedPolygon, 4);
    for (int step = 0; step < 100; step++) {
        onMotion(420 + step % 13, 320 - step % 7);
        fakegl::clearFrame();
        onDisplay();
    }
    release(GLUT_LEFT_BUTTON, 430, 320);
    fakegl::answers.modifiers = GLUT_ACTIVE_ALT;
    press(GLUT_LEFT_BUTTON, 100, 100);
    for (int step = 0; step < 100; step++) {
        onMotion(100 + step, 100 + step / 2);
        fakegl::clearFrame();
        onDisplay();
    }
    EXPECT_EQ(allocations::count() - before, 0);
    EXPECT_EQ(fakegl::recording.primitiveCount, 1280 + 4 * (3 + 5 * 4));  // the last frame was whole
}

}  // namespace
}  // namespace gaugeplot3d
