// gaugeplot3d start-up and input: window, camera, menu, the mode table and the exit statuses.
#include "fixture.h"

#include <cstdlib>

namespace gaugeplot3d {
namespace {

using fakegl::recording;

TEST_F(Viewer3d, StartsWithAnglesCachedWithPiAs314)
{
    viewer.angleX = 10;
    viewer.sinAngleX = 0;
    initAngles();
    EXPECT_FLOAT_EQ(viewer.angleX, 400.0f);
    EXPECT_FLOAT_EQ(viewer.angleY, 1200.0f);
    for (const ViewerState& state : {viewer, ViewerState()}) {
        EXPECT_NEAR(state.sinAngleX, 0.640072f, 1e-6);  // sin 40° would be 0.642788
        EXPECT_NEAR(state.cosAngleX, 0.768315f, 1e-6);
        EXPECT_NEAR(state.sinAngleY, 0.871285f, 1e-6);
        EXPECT_NEAR(state.cosAngleY, -0.490777f, 1e-6);
    }
    EXPECT_EQ(viewer.editMode, Idle);
    EXPECT_EQ(viewer.showPolygons, 1);
    EXPECT_EQ(viewer.pickedPolygon, -1);
    EXPECT_EQ(viewer.pickedVertex, -1);
}

TEST_F(Viewer3d, ReshapeSetsThePerspectiveCameraWithAspectOne)
{
    for (const auto& size : {std::pair<int, int>{640, 640}, {800, 600}}) {
        fakegl::reset();
        onReshape(size.first, size.second);
        EXPECT_EQ(viewer.windowWidth, size.first);
        EXPECT_EQ(viewer.windowHeight, size.second);
        EXPECT_FLOAT_EQ(viewer.nearPlane, 5.0f);
        EXPECT_FLOAT_EQ(viewer.farPlane, 8.0f);
        EXPECT_FLOAT_EQ(viewer.cameraZ, -6.0f);

        const char* order[] = {"glMatrixMode", "glLoadIdentity", "glViewport", "gluPerspective",
                               "glMatrixMode", "glLoadIdentity", "glTranslatef"};
        ASSERT_EQ(recording.callCount, 7);
        for (int i = 0; i < 7; i++)
            EXPECT_STREQ(recording.calls[i].name, order[i]);
        EXPECT_EQ(recording.calls[0].args[0], GL_PROJECTION);
        EXPECT_EQ(recording.calls[2].args[2], size.first);
        EXPECT_EQ(recording.calls[2].args[3], size.second);
        EXPECT_FLOAT_EQ(float(recording.calls[3].args[0]), 22.631338f);
        EXPECT_EQ(recording.calls[3].args[1], 1.0);
        EXPECT_EQ(recording.calls[3].args[2], 5.0);
        EXPECT_EQ(recording.calls[3].args[3], 8.0);
        EXPECT_EQ(recording.calls[4].args[0], GL_MODELVIEW);
        EXPECT_EQ(recording.calls[6].args[0], 0.0);
        EXPECT_EQ(recording.calls[6].args[1], 0.0);
        EXPECT_EQ(recording.calls[6].args[2], -6.0);
    }
}

TEST_F(Viewer3d, WindowIsCentredOnTheScreenWithItsTitleAndCallbacks)
{
    struct Case {
        int screenWidth, screenHeight, x, y;
    };
    const Case cases[] = {
        {1366, 768, 363, 64},
        {600, 500, -20, -70},
        {639, 768, 0, 64},  // truncated toward zero, not -1
        {1366, 0, 50, 50},  // screen size unknown
        {0, 768, 50, 50},
    };
    for (const Case& c : cases) {
        fakegl::reset();
        fakegl::answers.screenWidth = c.screenWidth;
        fakegl::answers.screenHeight = c.screenHeight;
        initWindow();
        EXPECT_EQ(recording.windowX, c.x) << c.screenWidth << "x" << c.screenHeight;
        EXPECT_EQ(recording.windowY, c.y) << c.screenWidth << "x" << c.screenHeight;
    }
    EXPECT_EQ(recording.displayMode, 18u);
    EXPECT_EQ(recording.windowWidth, 640);
    EXPECT_EQ(recording.windowHeight, 640);
    EXPECT_STREQ(recording.windowTitle, "Lumvar2D");
#ifdef _WIN32
    EXPECT_EQ(recording.exitFunction, &std::exit);  // GLUT ends the process through the C library
#endif
    EXPECT_EQ(recording.displayFunc, &onDisplay);
    EXPECT_EQ(recording.reshapeFunc, &onReshape);
    EXPECT_EQ(recording.keyboardFunc, &onKeyboard);
    EXPECT_EQ(recording.mouseFunc, &onMouse);
    EXPECT_EQ(recording.motionFunc, &onMotion);
}

TEST_F(Viewer3d, MenuHasFiveEntriesInOrderAttachedToTheRightButton)
{
    initMenu();
    const char* labels[] = {"New Polygon", "Change", "Yontsal Function", "Show/Hide Polygons", "[Esc] Exit"};
    const int values[] = {1, 2, 3, 4, 0};
    ASSERT_EQ(recording.menuEntryCount, 5);
    for (int i = 0; i < 5; i++) {
        EXPECT_STREQ(recording.menuEntries[i].label, labels[i]);
        EXPECT_EQ(recording.menuEntries[i].value, values[i]);
    }
    EXPECT_EQ(recording.menuFunc, &onMenu);
    EXPECT_TRUE(recording.menuAttached);
    EXPECT_EQ(fakegl::findCall("glutAttachMenu")->args[0], GLUT_RIGHT_BUTTON);
}

// A death test forks, which node cannot: the web build leaves this one to Linux and Windows, and
// its browser tests check the statuses the page shows.
#if GTEST_HAS_DEATH_TEST
TEST_F(Viewer3d, EscExitsWithZeroAndTheMenuEntryWithOne)
{
    EXPECT_EXIT(onKeyboard(27, 0, 0), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(onMenu(MenuExit), ::testing::ExitedWithCode(1), "");
}
#endif

// Follows the mode table through a session, checking after every event that the menu is
// attached exactly while the mode is Idle and that the event asked for a redisplay.
TEST_F(Viewer3d, ModeTableKeepsTheMenuAttachedExactlyInIdle)
{
    initMenu();
    int redisplays = recording.redisplayCount;
    auto expectMode = [&](EditMode mode) {
        EXPECT_EQ(viewer.editMode, mode);
        EXPECT_EQ(recording.menuAttached, mode == Idle);
        EXPECT_EQ(recording.redisplayCount, redisplays + 1);
        redisplays = recording.redisplayCount;
    };

    click(100, 100);  // Idle: nothing
    redisplays++;     // the click is two events
    expectMode(Idle);
    EXPECT_EQ(sketch.polygons[0].vertexCount, 0);

    onMenu(MenuNewPolygon);
    expectMode(NewPolygon);
    EXPECT_EQ(viewer.activePolygon, 0);
    press(GLUT_LEFT_BUTTON, 100, 100);
    expectMode(NewPolygon);
    release(GLUT_LEFT_BUTTON, 100, 100);
    expectMode(NewPolygon);
    press(GLUT_LEFT_BUTTON, 300, 120);
    expectMode(NewPolygon);
    press(GLUT_LEFT_BUTTON, 200, 400);
    expectMode(NewPolygon);
    EXPECT_EQ(sketch.polygons[0].vertexCount, 3);
    press(GLUT_MIDDLE_BUTTON, 10, 10);  // nothing
    expectMode(NewPolygon);
    EXPECT_EQ(sketch.polygons[0].vertexCount, 3);

    press(GLUT_RIGHT_BUTTON, 50, 50);  // finishes the polygon
    expectMode(Idle);
    EXPECT_EQ(viewer.polygonCount, 1);
    EXPECT_EQ(viewer.activePolygon, 0);
    EXPECT_EQ(viewer.fieldDirty, 1);
    EXPECT_EQ(viewer.addActive, 1);
    EXPECT_EQ(viewer.replaceActive, 0);
    EXPECT_TRUE(std::isfinite(sketch.edgeLines[0].a[3]));

    viewer.fieldDirty = viewer.addActive = 0;
    onMenu(MenuFunction);  // Idle stays Idle
    expectMode(Idle);
    EXPECT_EQ(viewer.fieldDirty, 1);
    EXPECT_EQ(viewer.addActive, 1);

    onMenu(MenuShowPolygons);
    expectMode(Idle);
    EXPECT_EQ(viewer.showPolygons, 0);
    onMenu(MenuShowPolygons);
    expectMode(Idle);
    EXPECT_EQ(viewer.showPolygons, 1);
    onMenu(MenuShowPolygons);
    expectMode(Idle);

    onMenu(MenuChange);  // always shows the polygons
    expectMode(Change);
    EXPECT_EQ(viewer.showPolygons, 1);
    press(GLUT_LEFT_BUTTON, 303, 118);
    expectMode(Change);
    EXPECT_EQ(viewer.pickedPolygon, 0);
    EXPECT_EQ(viewer.pickedVertex, 2);
    onMotion(310, 130);  // a drag: dragVertex asks for a redisplay of its own
    redisplays++;
    expectMode(Change);
    EXPECT_EQ(sketch.polygons[0].screenX[2], 310);
    EXPECT_EQ(sketch.polygons[0].screenY[2], 130);
    EXPECT_EQ(viewer.replaceActive, 1);
    release(GLUT_LEFT_BUTTON, 310, 130);
    expectMode(Change);
    EXPECT_EQ(viewer.pickedPolygon, -1);
    EXPECT_EQ(viewer.pickedVertex, -1);

    press(GLUT_RIGHT_BUTTON, 10, 10);  // back to Idle, nothing finished
    expectMode(Idle);
    EXPECT_EQ(viewer.polygonCount, 1);

    onMenu(99);  // not an entry
    expectMode(Idle);
    onKeyboard('a', 3, 4);  // any key but Esc
    expectMode(Idle);
}

TEST_F(Viewer3d, RightPressWithoutVerticesStillCountsThePolygon)
{
    initMenu();
    onMenu(MenuNewPolygon);
    press(GLUT_RIGHT_BUTTON, 10, 10);
    EXPECT_EQ(viewer.polygonCount, 1);
    EXPECT_EQ(viewer.editMode, Idle);
    EXPECT_TRUE(recording.menuAttached);

    // The next sketch goes into the next record, emptied first.
    sketch.polygons[1].vertexCount = 7;
    onMenu(MenuNewPolygon);
    EXPECT_EQ(viewer.activePolygon, 1);
    EXPECT_EQ(sketch.polygons[1].vertexCount, 0);
}

TEST_F(Viewer3d, NewPolygonIsRefusedWhenTheTableIsFull)
{
    initMenu();
    viewer.polygonCount = MaxPolygons;
    viewer.activePolygon = 3;
    onMenu(MenuNewPolygon);
    EXPECT_EQ(viewer.editMode, Idle);
    EXPECT_EQ(viewer.activePolygon, 3);
    EXPECT_TRUE(recording.menuAttached);
    EXPECT_EQ(recording.detachCount, 0);
    EXPECT_EQ(recording.redisplayCount, 1);
}

TEST_F(Viewer3d, AltDragTurnsTheSceneOneDegreePerPixelAndAddsNoVertex)
{
    onMenu(MenuNewPolygon);
    fakegl::answers.modifiers = GLUT_ACTIVE_ALT;
    press(GLUT_LEFT_BUTTON, 100, 100);
    EXPECT_EQ(viewer.rotating, 1);
    EXPECT_EQ(sketch.polygons[0].vertexCount, 0);
    onMotion(110, 105);
    EXPECT_FLOAT_EQ(viewer.angleX, 405.0f);
    EXPECT_FLOAT_EQ(viewer.angleY, 1210.0f);
    EXPECT_FLOAT_EQ(viewer.sinAngleX, float(std::sin(405 * 3.14 / 180)));
    EXPECT_FLOAT_EQ(viewer.cosAngleY, float(std::cos(1210 * 3.14 / 180)));
    onMotion(100, 100);  // against the previous event, not the press
    EXPECT_FLOAT_EQ(viewer.angleX, 400.0f);
    EXPECT_FLOAT_EQ(viewer.angleY, 1200.0f);
    EXPECT_EQ(viewer.editMode, NewPolygon);

    fakegl::answers.modifiers = 0;
    release(GLUT_LEFT_BUTTON, 100, 100);
    EXPECT_EQ(viewer.rotating, 0);
    onMotion(150, 150);  // released: a left motion no longer turns
    EXPECT_FLOAT_EQ(viewer.angleX, 400.0f);
}

TEST_F(Viewer3d, DragAfterARightOrMiddlePressOnlyMovesThePointer)
{
    onMenu(MenuChange);
    for (int button : {GLUT_MIDDLE_BUTTON, GLUT_RIGHT_BUTTON}) {
        viewer.rotating = 1;
        viewer.pickedPolygon = 0;
        viewer.pickedVertex = 1;
        sketch.polygons[0].vertexCount = 1;
        viewer.polygonCount = 1;
        viewer.editMode = Change;
        press(button, 100, 100);
        ViewerState before = viewer;
        onMotion(140, 170);
        EXPECT_EQ(viewer.mouseX, 140);
        EXPECT_EQ(viewer.mouseY, 170);
        EXPECT_EQ(viewer.angleX, before.angleX);
        EXPECT_EQ(viewer.angleY, before.angleY);
        EXPECT_EQ(viewer.fieldDirty, 0);
        EXPECT_EQ(sketch.polygons[0].screenX[1], 0);
    }
}

TEST_F(Viewer3d, ClicksAreMappedWithTheReshapedWindowSize)
{
    onReshape(800, 600);
    onMenu(MenuNewPolygon);
    click(400, 300);
    ASSERT_EQ(sketch.polygons[0].vertexCount, 1);
    EXPECT_NEAR(sketch.polygons[0].planeX[1], 0.0f, 1e-5);
    EXPECT_NEAR(sketch.polygons[0].planeY[1], 0.0f, 1e-5);
    // The right edge is +1 on the near plane, as the right edge of a 640-pixel window is.
    click(800, 300);
    onReshape(640, 640);
    click(640, 320);
    EXPECT_FLOAT_EQ(sketch.polygons[0].planeX[2], sketch.polygons[0].planeX[3]);
    EXPECT_FLOAT_EQ(sketch.polygons[0].planeY[2], sketch.polygons[0].planeY[3]);
}

}  // namespace
}  // namespace gaugeplot3d
