// gaugeplot2d start-up and input: window, menu, projection, mode table and exit statuses.
#include "fixture.h"

#include <cstdlib>
#include <cstring>

namespace gaugeplot2d {
namespace {

using fakegl::recording;

TEST_F(Viewer2d, WindowIsCentredOnTheScreenWithItsTitleAndCallbacks)
{
    fakegl::answers.screenWidth = 1024;
    fakegl::answers.screenHeight = 768;
    initWindow();
    EXPECT_EQ(recording.displayMode, 18u);
    EXPECT_EQ(recording.windowX, 192);
    EXPECT_EQ(recording.windowY, 144);
    EXPECT_EQ(recording.windowWidth, 640);
    EXPECT_EQ(recording.windowHeight, 480);
    EXPECT_STREQ(recording.windowTitle, "Glut window");
#ifdef _WIN32
    EXPECT_EQ(recording.exitFunction, &std::exit);  // GLUT ends the process through the C library
#endif
    EXPECT_EQ(recording.displayFunc, &onDisplay);
    EXPECT_EQ(recording.reshapeFunc, &onReshape);
    EXPECT_EQ(recording.keyboardFunc, &onKeyboard);
    EXPECT_EQ(recording.mouseFunc, &onMouse);
    EXPECT_EQ(recording.motionFunc, &onMotion);
}

TEST_F(Viewer2d, WindowOpensAt50x50WhenTheScreenSizeIsUnknown)
{
    const int sizes[][2] = {{0, 768}, {1024, 0}, {-1, -1}};
    for (const auto& size : sizes) {
        fakegl::reset();
        fakegl::answers.screenWidth = size[0];
        fakegl::answers.screenHeight = size[1];
        initWindow();
        EXPECT_EQ(recording.windowX, 50);
        EXPECT_EQ(recording.windowY, 50);
    }
    // A screen smaller than the window puts it partly off screen, truncating toward zero.
    fakegl::reset();
    fakegl::answers.screenWidth = 639;
    fakegl::answers.screenHeight = 400;
    initWindow();
    EXPECT_EQ(recording.windowX, 0);
    EXPECT_EQ(recording.windowY, -40);
}

TEST_F(Viewer2d, MenuHasSixEntriesInOrderAttachedToTheRightButton)
{
    initMenu();
    const char* labels[] = {"new polygon", "change", "Yontsal Function", "Polygon Draw", "Print Values",
                            "[Esc] Exit"};
    const int values[] = {1, 2, 3, 4, 5, 0};
    ASSERT_EQ(recording.menuEntryCount, 6);
    for (int i = 0; i < 6; i++) {
        EXPECT_STREQ(recording.menuEntries[i].label, labels[i]);
        EXPECT_EQ(recording.menuEntries[i].value, values[i]);
    }
    EXPECT_EQ(recording.menuFunc, &onMenu);
    EXPECT_TRUE(recording.menuAttached);
}

TEST_F(Viewer2d, InitGLSetsTheBackgroundAndLeavesLightingOff)
{
    initGL();
    const fakegl::Call* clear = fakegl::findCall("glClearColor");
    ASSERT_NE(clear, nullptr);
    EXPECT_FLOAT_EQ(float(clear->args[0]), 0.7f);
    EXPECT_FLOAT_EQ(float(clear->args[1]), 0.8f);
    EXPECT_FLOAT_EQ(float(clear->args[2]), 0.8f);
    EXPECT_EQ(fakegl::findCall("glDisable", 0)->args[0], GL_DEPTH_TEST);
    EXPECT_EQ(fakegl::findCall("glDisable", 1)->args[0], GL_LIGHTING);
    EXPECT_EQ(fakegl::countCalls("glEnable"), 1);
    EXPECT_EQ(fakegl::findCall("glEnable")->args[0], GL_LIGHT0);
    const GLenum names[] = {GL_DIFFUSE, GL_SPECULAR, GL_AMBIENT, GL_POSITION};
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(fakegl::findCall("glLightfv", i)->args[1], names[i]);
    EXPECT_FLOAT_EQ(float(fakegl::findCall("glLightfv", 3)->args[2]), -60.0f);
}

TEST_F(Viewer2d, ReshapeMapsOneUnitToOnePixelWithYDown)
{
    onReshape(800, 600);
    const fakegl::Call* ortho = fakegl::findCall("gluOrtho2D");
    ASSERT_NE(ortho, nullptr);
    EXPECT_EQ(ortho->args[0], 0);
    EXPECT_EQ(ortho->args[1], 800);
    EXPECT_EQ(ortho->args[2], 600);  // bottom
    EXPECT_EQ(ortho->args[3], 0);    // top
    const fakegl::Call* viewport = fakegl::findCall("glViewport");
    EXPECT_EQ(viewport->args[2], 800);
    EXPECT_EQ(viewport->args[3], 600);
    EXPECT_EQ(fakegl::findCall("glMatrixMode", 0)->args[0], GL_PROJECTION);
    EXPECT_EQ(fakegl::findCall("glMatrixMode", 1)->args[0], GL_MODELVIEW);
    EXPECT_EQ(viewer.windowWidth, 800);
    EXPECT_EQ(viewer.windowHeight, 600);

    // The new centre is used from now on: by the centre point and by new vertices.
    onMenu(MenuNewPolygon);
    click(400, 300);
    EXPECT_EQ(store.polygons[0].relX[0], 0);
    EXPECT_EQ(store.polygons[0].relY[0], 0);
}

TEST_F(Viewer2d, MenuMovesToItsModeFromAnyMode)
{
    const int values[] = {MenuNewPolygon, MenuChange, MenuFunction, MenuPolygonDraw};
    const EditMode modes[] = {NewPolygon, Change, Function, PolygonDraw};
    for (int from = 0; from < 4; from++) {
        for (int to = 0; to < 4; to++) {
            onMenu(values[from]);
            onMenu(values[to]);
            EXPECT_EQ(viewer.editMode, modes[to]);
        }
    }
    int before = recording.redisplayCount;
    onMenu(MenuPrintValues);
    EXPECT_EQ(viewer.editMode, PolygonDraw);
    onMenu(42);  // not an entry: nothing but a redisplay
    EXPECT_EQ(viewer.editMode, PolygonDraw);
    EXPECT_EQ(recording.redisplayCount, before + 2);
}

TEST_F(Viewer2d, LeftPressAddsOnlyInNewPolygonAndPicksOnlyInChange)
{
    sketch({{100, 100}, {200, 100}, {200, 200}});
    for (int value : {MenuFunction, MenuPolygonDraw}) {
        onMenu(value);
        onMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 100, 100);
        EXPECT_EQ(store.pickedPolygon, -1);
        EXPECT_EQ(store.activeVertexCount, 0);
        EXPECT_EQ(viewer.mouseX, 100);
    }
    onMenu(MenuChange);
    onMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 102, 101);
    EXPECT_EQ(store.pickedPolygon, 0);
    EXPECT_EQ(store.pickedVertex, 0);
    onMotion(150, 160);
    EXPECT_EQ(store.polygons[0].screenX[0], 150);
    EXPECT_EQ(store.polygons[0].screenY[0], 160);
    EXPECT_EQ(viewer.mouseX, 150);
    onMouse(GLUT_LEFT_BUTTON, GLUT_UP, 150, 160);
    EXPECT_EQ(store.pickedPolygon, -1);
    onMotion(10, 10);  // no pick: nothing moves
    EXPECT_EQ(store.polygons[0].screenX[0], 150);
}

TEST_F(Viewer2d, MiddleButtonNeverDragsButItsReleaseClearsThePick)
{
    sketch({{100, 100}, {200, 100}, {200, 200}});
    onMenu(MenuChange);
    onMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 100, 100);
    onMouse(GLUT_MIDDLE_BUTTON, GLUT_DOWN, 100, 100);
    onMotion(130, 130);  // the last button event was the middle one
    EXPECT_EQ(store.polygons[0].screenX[0], 100);
    EXPECT_EQ(store.pickedPolygon, 0);
    onMouse(GLUT_MIDDLE_BUTTON, GLUT_UP, 130, 130);
    EXPECT_EQ(store.pickedPolygon, -1);
}

TEST_F(Viewer2d, EveryInputHandlerAsksForARedisplay)
{
    onKeyboard('a', 0, 0);
    onMouse(GLUT_MIDDLE_BUTTON, GLUT_DOWN, 1, 1);
    onMotion(2, 2);
    onMenu(MenuPolygonDraw);
    EXPECT_EQ(recording.redisplayCount, 4);
}

TEST_F(Viewer2d, DisplayClearsDrawsTheBandAndSwaps)
{
    onDisplay();
    EXPECT_EQ(fakegl::findCall("glClear")->args[0],
              GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    EXPECT_EQ(fakegl::countCalls("glPushMatrix"), 1);
    EXPECT_EQ(fakegl::countCalls("glPopMatrix"), 1);
    EXPECT_EQ(recording.swapCount, 1);
    EXPECT_EQ(fakegl::countPrimitives(GL_POLYGON), 160);  // no polygon: a band of zero area
    EXPECT_EQ(recording.nestingErrors, 0);
}

// A death test forks, which node cannot: the web build leaves this one to Linux and Windows, and
// its browser tests check the statuses the page shows.
#if GTEST_HAS_DEATH_TEST
using Viewer2dDeathTest = Viewer2d;

TEST_F(Viewer2dDeathTest, EscEndsWithStatus0AndTheMenuExitWithStatus1)
{
    EXPECT_EXIT(onKeyboard(27, 0, 0), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(onMenu(MenuExit), ::testing::ExitedWithCode(1), "");
}
#endif

}  // namespace
}  // namespace gaugeplot2d
