// Support for the end-to-end tests: a private Xvfb, the real viewer programs running in it,
// input through xdotool and pixels read back through ImageMagick's `import`.
//
// Every wait polls with a generous timeout, because CI machines can be slow; nothing here
// measures how fast anything is. Positions are window pixels (origin at the window's top-left
// corner, y down), converted to screen pixels through the window's geometry.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

using Seconds = std::chrono::duration<double>;

// The arm64 programs under qemu-user instead of the Linux ones: GAUGEPLOT_E2E_ARM64 names the
// folder that holds them (the arm64 build's tests set it).
inline const char* const Arm64Programs = std::getenv("GAUGEPLOT_E2E_ARM64");
inline const bool UnderQemu = Arm64Programs != nullptr;
constexpr const char* QemuLoader = "/usr/bin/qemu-aarch64";

// Long enough for a loaded CI machine, and for emulation; the tests never depend on how much of
// it is used.
inline const Seconds DefaultTimeout{UnderQemu ? 60.0 : 15.0};

struct Rgb {
    int r = 0, g = 0, b = 0;
};

bool near(Rgb actual, Rgb expected, int tolerance = 2);
std::string describe(Rgb colour);

// A screenshot: 8-bit RGB, row by row from the top.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;

    Rgb at(int x, int y) const;
    bool operator==(const Image& other) const;
    bool operator!=(const Image& other) const { return !(*this == other); }
};

// Decodes a binary PPM (P6, maximum value 255) as written by `import ... ppm:-`.
Image decodePpm(const std::string& bytes);

struct Rect {
    int x, y, width, height;
};

// Pixels in the rectangle whose channels differ by more than `tolerance` anywhere.
int countDifferent(const Image& a, const Image& b, Rect area, int tolerance = 0);
// Pixels in the rectangle within `tolerance` of the colour.
int countColour(const Image& image, Rect area, Rgb colour, int tolerance = 2);

// Runs a helper program to completion; its standard output is returned.
struct ToolResult {
    int status = -1;  // exit status, or -1 when it did not exit normally
    std::string out;
    std::string err;
};
ToolResult runTool(const std::vector<std::string>& argv, const std::string& display);

// Where a program's standard output goes: a pipe read here, a file, or nowhere at all (the
// descriptor closed).
enum class Stdout { Pipe, File, None };

// Waits until the file holds at least `bytes` bytes; returns what it holds then.
std::string waitForFile(const std::string& path, std::size_t bytes, Seconds timeout = DefaultTimeout);

// A program started with its standard output (unless told otherwise) and standard error on pipes.
class Process {
public:
    // `display` empty: DISPLAY is removed from the environment. `file` names the file for
    // Stdout::File, which is emptied first.
    Process(const std::string& path, const std::vector<std::string>& args, const std::string& display,
            Stdout output = Stdout::Pipe, const std::string& file = "");
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // Exit status once the process exited normally, nullopt on timeout or death by a signal.
    std::optional<int> waitExit(Seconds timeout = DefaultTimeout);
    // Waits until standard output holds at least `bytes` bytes, or the process has ended.
    const std::string& waitForStdout(std::size_t bytes, Seconds timeout = DefaultTimeout);
    bool running();
    // Closes the reading end of the program's standard output, as a reader that has gone does.
    void closeStdout();
    const std::string& out() const { return out_; }
    const std::string& err() const { return err_; }
    std::string describeEnd() const;

private:
    void pump(int timeoutMs);
    void reap(bool block);

    pid_t pid_ = -1;
    int outFd_ = -1;
    int errFd_ = -1;
    std::string out_;
    std::string err_;
    bool exited_ = false;
    int waitStatus_ = 0;
};

struct Window {
    unsigned long id = 0;
    int x = 0, y = 0, width = 0, height = 0;  // position on the screen and size, pixels
};

// A private X server, 1024 x 768 x 24, on a display number that Xvfb itself finds free.
class XSession {
public:
    static constexpr int ScreenWidth = 1024;
    static constexpr int ScreenHeight = 768;

    // Throws std::runtime_error with the reason (and Xvfb's own words) when Xvfb cannot start.
    XSession();
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    const std::string& display() const { return display_; }

    // Starts a program on this display.
    Process launch(const std::string& path, const std::vector<std::string>& args = {});

    // Waits until a visible window with exactly this title exists and its picture has settled.
    Window waitForWindow(const std::string& title, Seconds timeout = DefaultTimeout);
    // Waits until a visible window with exactly this title exists, whatever it shows.
    Window findWindow(const std::string& title, Seconds timeout = DefaultTimeout);
    // Whether a visible window with exactly this title exists now.
    bool visible(const std::string& title);

    Image screenshot();
    // Screenshots until two in a row are equal: the program has drawn everything it will.
    Image settle(Seconds timeout = DefaultTimeout);
    // Screenshots until `done` holds for one; returns the last one either way.
    Image waitFor(const std::function<bool(const Image&)>& done, Seconds timeout = DefaultTimeout);

    void moveTo(const Window& w, int x, int y);
    void click(const Window& w, int x, int y, int button = 1);
    // A left drag from one window pixel to another through `steps` motion events, optionally
    // with Alt held from before the press until after the release.
    void drag(const Window& w, int fromX, int fromY, int toX, int toY, bool alt = false, int steps = 4);
    // A key by its X keysym name ("Escape"); the pointer is moved over the window first,
    // because without a window manager the window under the pointer gets the keys.
    void key(const Window& w, const std::string& keysym);

    // Whether freeglut's pop-up menu window ("freeglut menu") is on the screen.
    bool menuVisible();
    // Opens the pop-up menu with a right click at the window pixel and waits until it shows.
    // False when no menu showed up.
    bool openMenu(const Window& w, int x, int y, Seconds timeout = DefaultTimeout);
    // Opens the menu at the window pixel and chooses entry n (1 is the top entry).
    void chooseMenuEntry(const Window& w, int n, int x = 100, int y = 100);

    // Screen pixel of a window pixel.
    static int screenX(const Window& w, int x) { return w.x + x; }
    static int screenY(const Window& w, int y) { return w.y + y; }

private:
    void xdotool(const std::vector<std::string>& args);

    pid_t xvfb_ = -1;
    std::string display_;
};

// The Windows programs under Wine instead of the Linux ones: GAUGEPLOT_E2E_WINDOWS names the
// folder that holds the .exe files (scripts/test.sh sets it for the cases that apply there).
inline const char* const WindowsPrograms = std::getenv("GAUGEPLOT_E2E_WINDOWS");
inline const bool UnderWine = WindowsPrograms != nullptr;
constexpr const char* WineLoader = "/usr/lib/wine/wine64";

// Geometry of freeglut's pop-up menu under Xvfb: it opens with its top-left corner at the
// pointer, a 2-pixel border, then entries 25 pixels apart; 12 reaches an entry's middle. Under
// Wine it is a native Windows menu, also titled "freeglut menu", with entries 16 pixels apart.
constexpr int MenuBorder = 2;
inline const int MenuEntryMiddle = UnderWine ? 8 : 12;
inline const int MenuEntryPitch = UnderWine ? 16 : 25;

}  // namespace e2e
