// Decodes fuzzer input bytes into the GLUT events a user can cause, and checks the GL recording.
#include "events.h"

#include <cstdio>
#include <cstdlib>

#include "allocations.h"
#include "fakegl.h"

namespace fuzz {

FrameSummary lastFrame;

namespace {

constexpr unsigned char EscKey = 27;

int byte(Reader& reader)
{
    if (reader.position == reader.size)
        return 0;
    return reader.data[reader.position++];
}

int word(Reader& reader)
{
    int high = byte(reader);
    return high << 8 | byte(reader);
}

// A window coordinate: mostly inside a window, sometimes just outside it, sometimes far away
// (X reports pointer positions relative to the window, so a drag can leave it in any direction).
int coordinate(Reader& reader)
{
    switch (byte(reader) & 3) {
    case 0: return word(reader) % 1024;
    case 1: return word(reader) % 1400 - 200;
    case 2: return word(reader) - 32768;
    default: return (word(reader) - 32768) * 32;  // up to a million pixels off
    }
}

// A window size, from 1 × 1 up to very large; GLUT also reports 0 for a collapsed window.
int size(Reader& reader)
{
    switch (byte(reader) & 3) {
    case 0: return byte(reader) % 4;
    case 1: return 100 + word(reader) % 1900;
    case 2: return word(reader);
    default: return word(reader) * 64;
    }
}

}  // namespace

bool nextEvent(Reader& reader, Event* event)
{
    if (reader.position == reader.size)
        return false;
    *event = Event();
    int head = byte(reader);
    event->kind = static_cast<EventKind>(head % EventKinds);
    switch (event->kind) {
    case ReshapeEvent:
        event->x = size(reader);
        event->y = size(reader);
        break;
    case PressEvent:
    case ReleaseEvent:
        event->button = (head >> 3) % 3;
        event->alt = (head >> 5) & 1;
        event->x = coordinate(reader);
        event->y = coordinate(reader);
        break;
    case MotionEvent:
        event->x = coordinate(reader);
        event->y = coordinate(reader);
        break;
    case KeyEvent:
        event->key = static_cast<unsigned char>(byte(reader));
        if (event->key == EscKey)
            event->key++;
        break;
    case MenuEvent:
        // Mostly the entries, sometimes values no entry has.
        event->menuValue = (head >> 3) & 1 ? byte(reader) % 6 : word(reader) - 32768;
        if (event->menuValue == 0)
            event->menuValue = 1;
        break;
    default:
        break;
    }
    return true;
}

void breach(const char* what)
{
    std::fprintf(stderr, "breach: %s\n", what);
    std::abort();
}

void checkRecording()
{
    const fakegl::Log& recording = fakegl::recording;
    if (recording.nonFinite != 0)
        breach("a non-finite vertex, colour, point size or line width reached GL");
    if (recording.nestingErrors != 0 || recording.insidePrimitive)
        breach("glBegin and glEnd out of step");
    if (recording.overflow)
        breach("more primitives in one frame than the recording holds");
    if (fakegl::countCalls("glutSwapBuffers") > 0) {
        lastFrame.primitives = recording.primitiveCount;
        lastFrame.polygons = fakegl::countPrimitives(GL_POLYGON);
    }
    fakegl::clearFrame();
}

void drawFrame(void (*display)())
{
    long before = allocations::count();
    display();
    if (allocations::count() != before)
        breach("a frame allocated memory");
}

namespace {

long eventsDelivered = 0;

// Printed beside libFuzzer's own figures when a run ends.
void reportEvents() { std::fprintf(stderr, "stat::events_delivered: %ld\n", eventsDelivered); }

}  // namespace

void play(const std::uint8_t* data, std::size_t size, void (*deliver)(const Event&), void (*checkState)())
{
    static const bool reporting = std::atexit(reportEvents) == 0;
    (void)reporting;
    Reader reader{data, size};
    Event event;
    while (nextEvent(reader, &event)) {
        deliver(event);
        checkRecording();
        checkState();
        eventsDelivered++;
    }
}

}  // namespace fuzz
