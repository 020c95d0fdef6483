// Decodes fuzzer input bytes into the GLUT events a user can cause, and checks the GL recording.
#pragma once

#include <cstddef>
#include <cstdint>

namespace fuzz {

enum EventKind {
    ReshapeEvent,
    PressEvent,
    ReleaseEvent,
    MotionEvent,
    KeyEvent,
    MenuEvent,
    DisplayEvent,
    EventKinds
};

struct Event {
    EventKind kind = DisplayEvent;
    int button = 0;           // GLUT numbering: 0 left, 1 middle, 2 right
    bool alt = false;         // Alt held during a press or release
    int x = 0;                // window pixels, or the new size for a reshape
    int y = 0;
    unsigned char key = 0;    // never Esc: that ends the process
    int menuValue = 0;        // never the exit entry's 0
};

struct Reader {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t position = 0;
};

// The next event, or false when the input is used up.
bool nextEvent(Reader& reader, Event* event);

// Aborts with a message naming the breach.
[[noreturn]] void breach(const char* what);

// What the last frame sent to GL, kept when the recording is cleared.
struct FrameSummary {
    int primitives = 0;
    int polygons = 0;  // GL_POLYGON primitives
};

extern FrameSummary lastFrame;

// What GL must never receive: a non-finite number, a vertex outside glBegin/glEnd, more than the
// recording holds. Aborts on a breach, then sums up a frame in lastFrame and clears the recording.
void checkRecording();

// Calls the display callback as GLUT would for a frame; a breach if the frame allocated memory.
void drawFrame(void (*display)());

// Delivers the input's events in turn; after each one, checks the recording, then the viewer's
// own state with checkState.
void play(const std::uint8_t* data, std::size_t size, void (*deliver)(const Event&), void (*checkState)());

}  // namespace fuzz
