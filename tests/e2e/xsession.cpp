#include "xsession.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace e2e {

namespace {

using Clock = std::chrono::steady_clock;

// Between two looks at the screen; short enough to be quick, long enough not to spin.
constexpr auto PollInterval = std::chrono::milliseconds(100);

[[noreturn]] void fail(const std::string& message) { throw std::runtime_error(message); }

std::vector<std::string> environmentWith(const std::string& display)
{
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; e++) {
        if (std::strncmp(*e, "DISPLAY=", 8) != 0)
            env.emplace_back(*e);
    }
    if (!display.empty())
        env.push_back("DISPLAY=" + display);
    return env;
}

std::vector<char*> pointers(std::vector<std::string>& strings)
{
    std::vector<char*> result;
    for (std::string& s : strings)
        result.push_back(s.data());
    result.push_back(nullptr);
    return result;
}

void makePipe(int fds[2])
{
    if (pipe2(fds, O_CLOEXEC) != 0)
        fail(std::string("pipe: ") + std::strerror(errno));
}

// Starts argv[0] (searched in PATH) with the given environment; `redirect` holds
// (fd in the parent, fd number in the child) pairs, `closed` descriptors the child starts without.
pid_t spawn(std::vector<std::string> argv, std::vector<std::string> env,
            const std::vector<std::pair<int, int>>& redirect, const std::vector<int>& closed = {})
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (auto [from, to] : redirect)
        posix_spawn_file_actions_adddup2(&actions, from, to);
    for (int fd : closed)
        posix_spawn_file_actions_addclose(&actions, fd);
    std::vector<char*> args = pointers(argv);
    std::vector<char*> envp = pointers(env);
    pid_t pid = -1;
    int error = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        fail("cannot start " + argv[0] + ": " + std::strerror(error) +
             " (scripts/setup.sh installs what the end-to-end tests need)");
    return pid;
}

// Reads what is available from the descriptor into `into`; false at end of file.
bool drain(int fd, std::string& into)
{
    char buffer[65536];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n > 0) {
            into.append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        return n < 0 && errno == EAGAIN;
    }
}

std::string regexQuote(const std::string& text)
{
    std::string quoted;
    for (char c : text) {
        if (std::strchr("\\^$.|?*+()[]{}", c) != nullptr)
            quoted += '\\';
        quoted += c;
    }
    return "^" + quoted + "$";
}

}  // namespace

bool near(Rgb actual, Rgb expected, int tolerance)
{
    return std::abs(actual.r - expected.r) <= tolerance && std::abs(actual.g - expected.g) <= tolerance &&
           std::abs(actual.b - expected.b) <= tolerance;
}

std::string describe(Rgb colour)
{
    std::ostringstream s;
    s << "(" << colour.r << ", " << colour.g << ", " << colour.b << ")";
    return s.str();
}

Rgb Image::at(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        fail("pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") lies outside the screenshot");
    std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
    return {rgb[i], rgb[i + 1], rgb[i + 2]};
}

bool Image::operator==(const Image& other) const
{
    return width == other.width && height == other.height && rgb == other.rgb;
}

Image decodePpm(const std::string& bytes)
{
    // Header: "P6", width, height, maximum value, separated by white space (comments allowed),
    // then exactly one white-space byte before the samples.
    std::size_t pos = 0;
    auto skipSpace = [&] {
        while (pos < bytes.size()) {
            if (bytes[pos] == '#') {
                while (pos < bytes.size() && bytes[pos] != '\n')
                    pos++;
            } else if (std::isspace(static_cast<unsigned char>(bytes[pos]))) {
                pos++;
            } else {
                break;
            }
        }
    };
    auto number = [&] {
        skipSpace();
        int value = 0;
        bool any = false;
        while (pos < bytes.size() && std::isdigit(static_cast<unsigned char>(bytes[pos]))) {
            value = value * 10 + (bytes[pos++] - '0');
            any = true;
        }
        if (!any)
            fail("screenshot is not a binary PPM: bad header");
        return value;
    };
    if (bytes.compare(0, 2, "P6") != 0)
        fail("screenshot is not a binary PPM (no P6 magic); " + std::to_string(bytes.size()) + " bytes");
    pos = 2;
    Image image;
    image.width = number();
    image.height = number();
    int maxValue = number();
    // 8-bit samples are one byte; deeper ones are two, most significant first.
    int sampleBytes = maxValue == 255 ? 1 : maxValue == 65535 ? 2 : 0;
    if (sampleBytes == 0)
        fail("screenshot PPM has maximum value " + std::to_string(maxValue) + ", expected 255 or 65535");
    pos++;
    std::size_t samples = static_cast<std::size_t>(image.width) * image.height * 3;
    if (bytes.size() < pos + samples * sampleBytes)
        fail("screenshot PPM is truncated");
    image.rgb.resize(samples);
    for (std::size_t i = 0; i < samples; i++)
        image.rgb[i] = static_cast<std::uint8_t>(bytes[pos + i * sampleBytes]);
    return image;
}

int countDifferent(const Image& a, const Image& b, Rect area, int tolerance)
{
    int count = 0;
    for (int y = area.y; y < area.y + area.height; y++)
        for (int x = area.x; x < area.x + area.width; x++)
            if (!near(a.at(x, y), b.at(x, y), tolerance))
                count++;
    return count;
}

int countColour(const Image& image, Rect area, Rgb colour, int tolerance)
{
    int count = 0;
    for (int y = area.y; y < area.y + area.height; y++)
        for (int x = area.x; x < area.x + area.width; x++)
            if (near(image.at(x, y), colour, tolerance))
                count++;
    return count;
}

ToolResult runTool(const std::vector<std::string>& argv, const std::string& display)
{
    int out[2], err[2];
    makePipe(out);
    makePipe(err);
    pid_t pid;
    try {
        pid = spawn(argv, environmentWith(display), {{out[1], 1}, {err[1], 2}});
    } catch (...) {
        close(out[0]), close(out[1]), close(err[0]), close(err[1]);
        throw;
    }
    close(out[1]);
    close(err[1]);
    ToolResult result;
    // Both pipes are read together, so a chatty standard error cannot block the tool.
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int open = 2;
    while (open > 0) {
        if (poll(fds, 2, -1) < 0 && errno != EINTR)
            break;
        for (int i = 0; i < 2; i++) {
            if (fds[i].fd >= 0 && fds[i].revents != 0) {
                char buffer[65536];
                ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
                if (n > 0) {
                    sinks[i]->append(buffer, static_cast<std::size_t>(n));
                } else if (n == 0 || errno != EINTR) {
                    close(fds[i].fd);
                    fds[i].fd = -1;
                    open--;
                }
            }
        }
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

Process::Process(const std::string& path, const std::vector<std::string>& args, const std::string& display,
                 Stdout output, const std::string& file)
{
    int out[2], err[2];
    makePipe(out);
    makePipe(err);
    if (output == Stdout::File) {
        close(out[1]);
        out[1] = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (out[1] < 0) {
            close(out[0]), close(err[0]), close(err[1]);
            fail("cannot create " + file + ": " + std::strerror(errno));
        }
    }
    std::vector<std::string> argv{path};
    argv.insert(argv.end(), args.begin(), args.end());
    try {
        if (output == Stdout::None)
            pid_ = spawn(argv, environmentWith(display), {{err[1], 2}}, {1});
        else
            pid_ = spawn(argv, environmentWith(display), {{out[1], 1}, {err[1], 2}});
    } catch (...) {
        close(out[0]), close(out[1]), close(err[0]), close(err[1]);
        throw;
    }
    close(out[1]);
    close(err[1]);
    outFd_ = out[0];
    errFd_ = err[0];
    if (output != Stdout::Pipe)
        closeStdout();
    else
        fcntl(outFd_, F_SETFL, O_NONBLOCK);
    fcntl(errFd_, F_SETFL, O_NONBLOCK);
}

std::string waitForFile(const std::string& path, std::size_t bytes, Seconds timeout)
{
    auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(timeout);
    for (;;) {
        std::ifstream in(path, std::ios::binary);
        std::string held((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (held.size() >= bytes || Clock::now() >= deadline)
            return held;
        std::this_thread::sleep_for(PollInterval);
    }
}

Process::~Process()
{
    // A test that failed half-way leaves no program behind.
    if (pid_ > 0 && !exited_) {
        kill(pid_, SIGKILL);
        reap(true);
    }
    if (outFd_ >= 0)
        close(outFd_);
    if (errFd_ >= 0)
        close(errFd_);
}

void Process::pump(int timeoutMs)
{
    pollfd fds[2];
    int n = 0;
    if (outFd_ >= 0)
        fds[n++] = {outFd_, POLLIN, 0};
    if (errFd_ >= 0)
        fds[n++] = {errFd_, POLLIN, 0};
    if (n == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
        return;
    }
    if (poll(fds, static_cast<nfds_t>(n), timeoutMs) <= 0)
        return;
    if (outFd_ >= 0 && !drain(outFd_, out_)) {
        close(outFd_);
        outFd_ = -1;
    }
    if (errFd_ >= 0 && !drain(errFd_, err_)) {
        close(errFd_);
        errFd_ = -1;
    }
}

void Process::reap(bool block)
{
    if (exited_)
        return;
    int status = 0;
    pid_t r;
    do {
        r = waitpid(pid_, &status, block ? 0 : WNOHANG);
    } while (r < 0 && errno == EINTR);
    if (r == pid_) {
        exited_ = true;
        waitStatus_ = status;
    }
}

bool Process::running()
{
    reap(false);
    return !exited_;
}

void Process::closeStdout()
{
    if (outFd_ >= 0)
        close(outFd_);
    outFd_ = -1;
}

std::optional<int> Process::waitExit(Seconds timeout)
{
    auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(timeout);
    while (running() && Clock::now() < deadline)
        pump(20);
    if (!exited_)
        return std::nullopt;
    // Whatever the program wrote before it ended is still in the pipes; a child of its own
    // could keep them open, hence the deadline.
    deadline = Clock::now() + std::chrono::seconds(5);
    while ((outFd_ >= 0 || errFd_ >= 0) && Clock::now() < deadline)
        pump(50);
    if (WIFEXITED(waitStatus_))
        return WEXITSTATUS(waitStatus_);
    return std::nullopt;
}

const std::string& Process::waitForStdout(std::size_t bytes, Seconds timeout)
{
    auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(timeout);
    while (out_.size() < bytes && outFd_ >= 0 && Clock::now() < deadline)
        pump(20);
    return out_;
}

std::string Process::describeEnd() const
{
    if (!exited_)
        return "still running";
    if (WIFEXITED(waitStatus_))
        return "exited with status " + std::to_string(WEXITSTATUS(waitStatus_));
    if (WIFSIGNALED(waitStatus_))
        return std::string("killed by signal ") + strsignal(WTERMSIG(waitStatus_));
    return "ended";
}

XSession::XSession()
{
    // Xvfb picks a free display number itself and writes it to the descriptor given with
    // -displayfd once it accepts connections, so parallel tests cannot collide.
    int ready[2];
    makePipe(ready);
    char logName[] = "/tmp/gaugeplot-e2e-xvfb-XXXXXX";
    int log = mkstemp(logName);
    if (log < 0)
        fail(std::string("cannot create a log file for Xvfb: ") + std::strerror(errno));
    unlink(logName);
    constexpr int ReadyFd = 3;
    try {
        xvfb_ = spawn({"Xvfb", "-displayfd", std::to_string(ReadyFd), "-screen", "0",
                       std::to_string(ScreenWidth) + "x" + std::to_string(ScreenHeight) + "x24",
                       "-nolisten", "tcp", "-noreset"},
                      environmentWith(""), {{ready[1], ReadyFd}, {log, 1}, {log, 2}});
    } catch (const std::exception& e) {
        close(ready[0]), close(ready[1]), close(log);
        fail(std::string("the X server for the end-to-end tests could not start: ") + e.what() +
             "; Xvfb comes with the Debian package xvfb");
    }
    close(ready[1]);

    std::string number;
    auto deadline = Clock::now() + std::chrono::seconds(30);
    while (Clock::now() < deadline && number.find('\n') == std::string::npos) {
        pollfd fd{ready[0], POLLIN, 0};
        if (poll(&fd, 1, 100) > 0) {
            char buffer[32];
            ssize_t n = read(ready[0], buffer, sizeof buffer);
            if (n <= 0)
                break;  // Xvfb closed the descriptor without naming a display: it failed
            number.append(buffer, static_cast<std::size_t>(n));
        }
    }
    close(ready[0]);
    if (number.find('\n') == std::string::npos) {
        kill(xvfb_, SIGKILL);
        waitpid(xvfb_, nullptr, 0);
        xvfb_ = -1;
        std::string said;
        lseek(log, 0, SEEK_SET);
        char buffer[4096];
        ssize_t n = read(log, buffer, sizeof buffer);
        if (n > 0)
            said.assign(buffer, static_cast<std::size_t>(n));
        close(log);
        fail("the X server for the end-to-end tests (Xvfb -screen 0 1024x768x24) could not start; Xvfb said:\n" +
             said);
    }
    close(log);
    display_ = ":" + number.substr(0, number.find('\n'));
}

XSession::~XSession()
{
    if (xvfb_ <= 0)
        return;
    kill(xvfb_, SIGTERM);
    auto deadline = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < deadline) {
        if (waitpid(xvfb_, nullptr, WNOHANG) == xvfb_)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(xvfb_, SIGKILL);
    waitpid(xvfb_, nullptr, 0);
}

Process XSession::launch(const std::string& path, const std::vector<std::string>& args)
{
    return Process(path, args, display_);
}

void XSession::xdotool(const std::vector<std::string>& args)
{
    std::vector<std::string> argv{"xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    ToolResult r = runTool(argv, display_);
    if (r.status != 0) {
        std::string command;
        for (const std::string& a : argv)
            command += a + " ";
        fail("xdotool failed (" + command + "): " + r.err);
    }
}

Window XSession::waitForWindow(const std::string& title, Seconds timeout)
{
    Window w = findWindow(title, timeout);
    // The window is mapped before its first frame: wait until its centre is no longer the
    // root window's black, then until the picture stops changing.
    int cx = std::clamp(w.x + w.width / 2, 0, ScreenWidth - 1);
    int cy = std::clamp(w.y + w.height / 2, 0, ScreenHeight - 1);
    waitFor([&](const Image& s) { return !near(s.at(cx, cy), Rgb{0, 0, 0}, 0); }, timeout);
    settle(timeout);
    return w;
}

bool XSession::visible(const std::string& title)
{
    ToolResult r = runTool({"xdotool", "search", "--onlyvisible", "--name", regexQuote(title)}, display_);
    return r.status == 0 && !r.out.empty();
}

Window XSession::findWindow(const std::string& title, Seconds timeout)
{
    auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(timeout);
    std::string id;
    for (;;) {
        ToolResult r = runTool({"xdotool", "search", "--onlyvisible", "--name", regexQuote(title)}, display_);
        if (r.status == 0 && !r.out.empty()) {
            id = r.out.substr(0, r.out.find('\n'));
            break;
        }
        if (Clock::now() >= deadline)
            fail("no visible window titled \"" + title + "\" appeared on " + display_);
        std::this_thread::sleep_for(PollInterval);
    }

    ToolResult g = runTool({"xdotool", "getwindowgeometry", "--shell", id}, display_);
    if (g.status != 0)
        fail("xdotool cannot tell the geometry of window " + id + ": " + g.err);
    Window w;
    w.id = std::stoul(id);
    std::istringstream lines(g.out);
    for (std::string line; std::getline(lines, line);) {
        auto eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        std::string key = line.substr(0, eq);
        int value = std::atoi(line.c_str() + eq + 1);
        if (key == "X")
            w.x = value;
        else if (key == "Y")
            w.y = value;
        else if (key == "WIDTH")
            w.width = value;
        else if (key == "HEIGHT")
            w.height = value;
    }
    return w;
}

Image XSession::screenshot()
{
    ToolResult r = runTool({"import", "-silent", "-window", "root", "-depth", "8", "ppm:-"}, display_);
    if (r.status != 0)
        fail("ImageMagick import could not take a screenshot of " + display_ + ": " + r.err);
    return decodePpm(r.out);
}

Image XSession::settle(Seconds timeout)
{
    // Three equal screenshots in a row, 100 ms apart: an event still on its way would have
    // produced a new frame by then on any machine that is not stalled.
    auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(timeout);
    Image last = screenshot();
    int equal = 0;
    while (equal < 2 && Clock::now() < deadline) {
        std::this_thread::sleep_for(PollInterval);
        Image next = screenshot();
        equal = next == last ? equal + 1 : 0;
        last = std::move(next);
    }
    return last;
}

Image XSession::waitFor(const std::function<bool(const Image&)>& done, Seconds timeout)
{
    auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(timeout);
    for (;;) {
        Image image = screenshot();
        if (done(image) || Clock::now() >= deadline)
            return image;
        std::this_thread::sleep_for(PollInterval);
    }
}

void XSession::moveTo(const Window& w, int x, int y)
{
    xdotool({"mousemove", std::to_string(screenX(w, x)), std::to_string(screenY(w, y))});
}

void XSession::click(const Window& w, int x, int y, int button)
{
    xdotool({"mousemove", std::to_string(screenX(w, x)), std::to_string(screenY(w, y)), "click",
             std::to_string(button)});
}

void XSession::drag(const Window& w, int fromX, int fromY, int toX, int toY, bool alt, int steps)
{
    std::vector<std::string> args;
    if (alt)
        args.insert(args.end(), {"keydown", "alt"});
    args.insert(args.end(), {"mousemove", std::to_string(screenX(w, fromX)), std::to_string(screenY(w, fromY)),
                             "mousedown", "1"});
    for (int i = 1; i <= steps; i++) {
        int x = fromX + (toX - fromX) * i / steps;
        int y = fromY + (toY - fromY) * i / steps;
        args.insert(args.end(), {"mousemove", std::to_string(screenX(w, x)), std::to_string(screenY(w, y))});
    }
    args.insert(args.end(), {"mouseup", "1"});
    if (alt)
        args.insert(args.end(), {"keyup", "alt"});
    xdotool(args);
}

void XSession::key(const Window& w, const std::string& keysym)
{
    moveTo(w, w.width / 2, w.height / 2);
    // Wine gives keys only to the active window, which a click makes; the viewers ignore the
    // middle button.
    if (UnderWine)
        click(w, w.width / 2, w.height / 2, 2);
    xdotool({"key", keysym});
}

bool XSession::menuVisible() { return visible("freeglut menu"); }

bool XSession::openMenu(const Window& w, int x, int y, Seconds timeout)
{
    click(w, x, y, 3);
    auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(timeout);
    while (!menuVisible()) {
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(PollInterval);
    }
    return true;
}

void XSession::chooseMenuEntry(const Window& w, int n, int x, int y)
{
    if (!openMenu(w, x, y))
        fail("the pop-up menu did not open after a right click at window pixel (" + std::to_string(x) + ", " +
             std::to_string(y) + ")");
    // A little right of the pointer, so the click lands on the entry rather than the border.
    click(w, x + 10, y + MenuBorder + MenuEntryMiddle + MenuEntryPitch * (n - 1));
    auto deadline = Clock::now() + DefaultTimeout;
    while (menuVisible()) {
        if (Clock::now() >= deadline)
            fail("the pop-up menu stayed open after choosing entry " + std::to_string(n));
        std::this_thread::sleep_for(PollInterval);
    }
}

}  // namespace e2e
