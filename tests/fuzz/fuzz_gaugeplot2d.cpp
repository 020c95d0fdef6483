// Fuzz harness for gaugeplot2d: any sequence of user events, checked after every one.
//
// Events reach the viewer as GLUT delivers them: the menu is always attached to the right button,
// so right presses and releases open the menu and never reach onMouse.
#include <cstring>

#include <GL/glut.h>

#include "drawing.h"
#include "events.h"
#include "fakegl.h"
#include "field.h"
#include "polygons.h"
#include "viewer.h"

using namespace gaugeplot2d;

namespace {

void deliver(const fuzz::Event& event)
{
    switch (event.kind) {
    case fuzz::ReshapeEvent: onReshape(event.x, event.y); break;
    case fuzz::PressEvent:
    case fuzz::ReleaseEvent:
        if (event.button != GLUT_RIGHT_BUTTON)
            onMouse(event.button, event.kind == fuzz::PressEvent ? GLUT_DOWN : GLUT_UP, event.x, event.y);
        break;
    case fuzz::MotionEvent: onMotion(event.x, event.y); break;
    case fuzz::KeyEvent: onKeyboard(event.key, event.x, event.y); break;
    case fuzz::MenuEvent: onMenu(event.menuValue); break;
    default: fuzz::drawFrame(onDisplay); break;
    }
}

void checkState()
{
    if (viewer.editMode < Idle || viewer.editMode > PolygonDraw)
        fuzz::breach("edit mode out of range");
    int active = store.activePolygon;
    if (active < -1 || active > MaxPolygons)
        fuzz::breach("active polygon out of range");
    if (store.activeVertexCount < 0 || store.activeVertexCount > MaxVertices)
        fuzz::breach("vertex count out of range");
    if (active < 0 && store.activeVertexCount != 0)
        fuzz::breach("vertices without a polygon");
    if (active >= 0 && active < MaxPolygons) {
        int expected = store.activeVertexCount > 0 ? store.activeVertexCount - 1 : 0;
        if (store.polygons[active].lastVertex != expected)
            fuzz::breach("last vertex and vertex count disagree");
    }
    int last = active < MaxPolygons ? active : MaxPolygons - 1;
    for (int k = 0; k <= last; k++)
        if (store.polygons[k].lastVertex < 0 || store.polygons[k].lastVertex >= MaxVertices)
            fuzz::breach("last vertex out of range");
    // Records past the active one are never written.
    static const Polygon blank = {};
    for (int k = active + 1; k < MaxPolygons; k++)
        if (std::memcmp(&store.polygons[k], &blank, sizeof blank) != 0)
            fuzz::breach("a record past the active polygon was written");
    bool noPick = store.pickedPolygon == -1 && store.pickedVertex == -1;
    bool validPick = store.pickedPolygon >= 0 && store.pickedPolygon < finishedPolygons() &&
                     store.pickedVertex >= 0 &&
                     store.pickedVertex <= store.polygons[store.pickedPolygon].lastVertex;
    if (!noPick && !validPick)
        fuzz::breach("the pick names no vertex of a finished polygon");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    viewer = ViewerState();
    store = PolygonStore();
    field = FieldState();
    fakegl::reset();
    initWindow();
    initMenu();
    initGL();
    onReshape(viewer.windowWidth, viewer.windowHeight);  // GLUT reshapes before any other event

    fuzz::play(data, size, deliver, checkState);
    return 0;
}
