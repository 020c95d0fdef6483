// Fuzz harness for gaugeplot3d: any sequence of user events, checked after every one.
//
// Events reach the viewer as GLUT delivers them: while the menu is attached (the Idle mode) the
// right button opens it and never reaches onMouse, and menu choices arrive only then.
#include <cmath>

#include <GL/glut.h>

#include "band.h"
#include "events.h"
#include "fakegl.h"
#include "field.h"
#include "scene.h"
#include "shading.h"
#include "sketch.h"
#include "viewer.h"

using namespace gaugeplot3d;

namespace {

// After a frame every request has been served: the field never exceeds the gauge of a polygon
// it holds a copy of, so the band never cuts inside that polygon's unit curve.
void checkField()
{
    if (viewer.polygonCount == 0)
        return;
    for (int k = 0; k < viewer.polygonCount; k++)
        for (int n = 0; n < BandDirections; n++)
            if (field.latestTerms[n][k] > 0 && !(field.fieldValues[n] <= sketch.edgeLines[k].gauges[n] * (1 + 1e-6)))
                fuzz::breach("the field value exceeds the gauge of a polygon in the field");
}

void deliver(const fuzz::Event& event)
{
    bool menuOpen = fakegl::recording.menuAttached;
    switch (event.kind) {
    case fuzz::ReshapeEvent: onReshape(event.x, event.y); break;
    case fuzz::PressEvent:
    case fuzz::ReleaseEvent:
        if (event.button == GLUT_RIGHT_BUTTON && menuOpen)
            break;
        fakegl::answers.modifiers = event.alt ? GLUT_ACTIVE_ALT : 0;
        onMouse(event.button, event.kind == fuzz::PressEvent ? GLUT_DOWN : GLUT_UP, event.x, event.y);
        break;
    case fuzz::MotionEvent: onMotion(event.x, event.y); break;
    case fuzz::KeyEvent: onKeyboard(event.key, event.x, event.y); break;
    case fuzz::MenuEvent:
        if (menuOpen)
            onMenu(event.menuValue);
        break;
    default:
        fuzz::drawFrame(onDisplay);
        checkField();
        break;
    }
}

bool isFlag(int flag) { return flag == 0 || flag == 1; }

void checkState()
{
    if (viewer.editMode < Idle || viewer.editMode > Change)
        fuzz::breach("edit mode out of range");
    if (fakegl::recording.menuAttached != (viewer.editMode == Idle))
        fuzz::breach("the menu is attached outside Idle, or detached in Idle");
    if (viewer.polygonCount < 0 || viewer.polygonCount > MaxPolygons)
        fuzz::breach("polygon count out of range");
    if (viewer.activePolygon < 0 || viewer.activePolygon >= MaxPolygons)
        fuzz::breach("active polygon out of range");
    if (viewer.editMode == NewPolygon && viewer.activePolygon != viewer.polygonCount)
        fuzz::breach("the polygon being sketched is not the next one");
    if (!isFlag(viewer.fieldDirty) || !isFlag(viewer.addActive) || !isFlag(viewer.replaceActive) ||
        !isFlag(viewer.showPolygons) || !isFlag(viewer.rotating))
        fuzz::breach("a flag is neither 0 nor 1");
    if (viewer.fieldDirty != (viewer.addActive | viewer.replaceActive))
        fuzz::breach("a field request without its kind, or the other way round");
    if (field.requestCount < 0 || field.requestCount > MaxPolygons || viewer.fieldDirty != (field.requestCount > 0))
        fuzz::breach("the requests waiting and the request flags disagree");
    int listed = 0;
    for (int i = 0; i < field.requestCount; i++)
        if (field.requestOrder[i] < 0 || field.requestOrder[i] >= MaxPolygons || field.requests[field.requestOrder[i]] == 0)
            fuzz::breach("a polygon listed with no request");
    for (int k = 0; k < MaxPolygons; k++)
        listed += field.requests[k] != 0;
    if (listed != field.requestCount)
        fuzz::breach("a request for a polygon not listed");
    for (int k = 0; k < MaxPolygons; k++) {
        const Polygon& p = sketch.polygons[k];
        if (p.vertexCount < 0 || p.vertexCount >= VertexSlots)
            fuzz::breach("vertex count out of range");
        for (int i = 1; i <= p.vertexCount; i++)
            if (!std::isfinite(p.planeX[i]) || !std::isfinite(p.planeY[i]) || p.planeZ[i] != 0)
                fuzz::breach("a vertex off the plane or not finite");
    }
    bool noPick = viewer.pickedPolygon == -1 && viewer.pickedVertex == -1;
    bool validPick = viewer.pickedPolygon >= 0 && viewer.pickedPolygon < viewer.polygonCount &&
                     viewer.pickedVertex >= 1 &&
                     viewer.pickedVertex <= sketch.polygons[viewer.pickedPolygon].vertexCount;
    if (!noPick && !validPick)
        fuzz::breach("the pick names no vertex of a finished polygon");
    if (!std::isfinite(viewer.sinAngleX) || !std::isfinite(viewer.cosAngleY))
        fuzz::breach("the rotation is not finite");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    viewer = ViewerState();
    sketch = SketchState();
    field = FieldState();
    band = BandState();
    shading = ShadingState();
    fakegl::reset();
    initWindow();
    initMenu();
    initGL();
    initAngles();
    onReshape(viewer.windowWidth, viewer.windowHeight);  // GLUT reshapes before any other event

    fuzz::play(data, size, deliver, checkState);
    return 0;
}
