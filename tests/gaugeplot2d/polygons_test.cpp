// gaugeplot2d polygon store: spacing, picking, dragging, and the table's limits.
#include "fixture.h"

namespace gaugeplot2d {
namespace {

using fakegl::recording;

TEST_F(Viewer2d, FirstClickIsAlwaysStoredAndSpacingIsStrictlyMoreThan25)
{
    onMenu(MenuNewPolygon);
    click(0, 0);
    EXPECT_EQ(store.activeVertexCount, 1);
    click(20, 5);  // 25 from the previous vertex: ignored
    EXPECT_EQ(store.activeVertexCount, 1);
    click(20, 6);  // 26: stored
    EXPECT_EQ(store.activeVertexCount, 2);
    EXPECT_EQ(store.polygons[0].lastVertex, 1);
    EXPECT_EQ(store.polygons[0].screenX[1], 20);
    EXPECT_EQ(store.polygons[0].relX[1], 20 - 320);
    EXPECT_EQ(store.polygons[0].relY[1], 6 - 240);
    // Only the previous vertex counts: back near the first one is a new vertex.
    click(60, 6);
    click(1, 1);
    EXPECT_EQ(store.activeVertexCount, 4);
    EXPECT_EQ(store.polygons[0].lastVertex, 3);
}

TEST_F(Viewer2d, NewPolygonFinishesTheActiveOneWhateverItHolds)
{
    onMenu(MenuNewPolygon);
    EXPECT_EQ(store.activePolygon, 0);
    onMenu(MenuNewPolygon);  // twice in a row: an empty finished polygon
    EXPECT_EQ(store.activePolygon, 1);
    EXPECT_EQ(finishedPolygons(), 1);
    EXPECT_EQ(store.polygons[0].lastVertex, 0);
    EXPECT_EQ(store.polygons[0].screenX[0], 0);
    EXPECT_EQ(store.polygons[0].relX[0], 0);

    // Its only slot sits at the top-left corner and can be picked and dragged there.
    onMenu(MenuChange);
    onMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 5, 3);
    EXPECT_EQ(store.pickedPolygon, 0);
    EXPECT_EQ(store.pickedVertex, 0);
    onMotion(100, 50);
    EXPECT_EQ(store.polygons[0].relX[0], 100 - 320);
    EXPECT_EQ(store.polygons[0].relY[0], 50 - 240);
}

TEST_F(Viewer2d, PickReachesEightPixelsAndTheFirstMatchWins)
{
    sketch({{100, 100}, {200, 100}, {200, 200}});
    sketch({{104, 102}, {300, 300}, {100, 300}});
    onMenu(MenuChange);
    pickVertex(105, 103);  // 8 from polygon 0's vertex, 2 from polygon 1's: the lower index wins
    EXPECT_EQ(store.pickedPolygon, 0);
    EXPECT_EQ(store.pickedVertex, 0);
    pickVertex(209, 100);  // 9: too far
    EXPECT_EQ(store.pickedPolygon, -1);
    EXPECT_EQ(store.pickedVertex, -1);
    pickVertex(204, 204);  // 8
    EXPECT_EQ(store.pickedPolygon, 0);
    EXPECT_EQ(store.pickedVertex, 2);
    pickVertex(108, 300);
    EXPECT_EQ(store.pickedPolygon, 1);
    EXPECT_EQ(store.pickedVertex, 2);
}

TEST_F(Viewer2d, VerticesOfThePolygonBeingDrawnAreNeverPicked)
{
    onMenu(MenuNewPolygon);
    click(100, 100);
    pickVertex(100, 100);
    EXPECT_EQ(store.pickedPolygon, -1);
}

TEST_F(Viewer2d, DragMovesPixelsAndRelativeCoordinatesFromTheCurrentCentre)
{
    sketch({{100, 100}, {200, 100}, {200, 200}});
    onMenu(MenuChange);
    onMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 200, 100);
    onReshape(1000, 1000);  // stored vertices keep their relative coordinates
    EXPECT_EQ(store.polygons[0].relX[0], 100 - 320);
    int before = recording.redisplayCount;
    dragVertex(201, 101);  // no spacing rule for drags
    EXPECT_EQ(recording.redisplayCount, before + 1);
    EXPECT_EQ(store.polygons[0].screenX[1], 201);
    EXPECT_EQ(store.polygons[0].relX[1], 201 - 500);
    EXPECT_EQ(store.polygons[0].relY[1], 101 - 500);
    EXPECT_EQ(store.polygons[0].lastVertex, 2);

    clearPick();
    before = recording.redisplayCount;
    dragVertex(0, 0);  // nothing picked: not even a redisplay
    EXPECT_EQ(recording.redisplayCount, before);
}

TEST_F(Viewer2d, AFullPolygonIgnoresFurtherClicks)
{
    onMenu(MenuNewPolygon);
    for (int i = 0; i < MaxVertices + 5; i++)
        click(30 * (i % 20), 30 * (i / 20));
    EXPECT_EQ(store.activeVertexCount, MaxVertices);
    EXPECT_EQ(store.polygons[0].lastVertex, MaxVertices - 1);
    EXPECT_EQ(store.polygons[1].screenX[0], 0);  // nothing written past the record
    EXPECT_EQ(store.polygons[1].lastVertex, 0);
}

TEST_F(Viewer2d, AFullTableFinishesItsLastPolygonAndThenRefusesNewOnes)
{
    for (int k = 0; k < MaxPolygons; k++) {
        onMenu(MenuNewPolygon);
        click(100, 100);
        click(200, 100);
        click(150, 200);
    }
    EXPECT_EQ(store.activePolygon, MaxPolygons - 1);
    onMenu(MenuNewPolygon);  // finishes the last record; none is left to draw into
    EXPECT_EQ(store.activePolygon, MaxPolygons);
    EXPECT_EQ(finishedPolygons(), MaxPolygons);
    onMenu(MenuNewPolygon);  // refused
    EXPECT_EQ(store.activePolygon, MaxPolygons);
    click(300, 300);         // ignored: no polygon is being drawn
    EXPECT_EQ(store.activeVertexCount, 0);
    EXPECT_EQ(store.polygons[MaxPolygons - 1].lastVertex, 2);

    // Every polygon still takes part and is drawn once; nothing is read past the table.
    onDisplay();
    EXPECT_EQ(fakegl::countPrimitives(GL_LINE_LOOP), MaxPolygons);
    onMenu(MenuChange);
    pickVertex(150, 200);
    EXPECT_EQ(store.pickedPolygon, 0);
}

}  // namespace
}  // namespace gaugeplot2d
