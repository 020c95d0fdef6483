// A test fixture that starts a private X server and one viewer program in it, and stops both
// when the test ends, whether it passed or not.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "xsession.h"

namespace e2e {

// A colour within 2 per channel of the expected one, with both named when it is not.
inline ::testing::AssertionResult hasColour(Rgb actual, Rgb expected)
{
    if (near(actual, expected))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "colour " << describe(actual) << ", expected " << describe(expected);
}

class ViewerTest : public ::testing::Test {
protected:
    ViewerTest(std::string program, std::string title) : program_(std::move(program)), title_(std::move(title)) {}

    void SetUp() override
    {
        try {
            x.emplace();
        } catch (const std::exception& e) {
            FAIL() << e.what();
        }
        if (UnderWine) {
            std::string exe = std::string(WindowsPrograms) + "/" + program_.substr(program_.rfind('/') + 1) + ".exe";
            // Without standard output, through Wine's `start`, which starts the program as the
            // Start menu or a double click does: with no standard handles and no console.
            std::vector<std::string> args{exe};
            if (output == Stdout::None)
                args.insert(args.begin(), {"start", "/wait", "/unix"});
            viewer.emplace(WineLoader, args, x->display(), output, outputFile);
        } else if (UnderQemu) {
            std::string program = std::string(Arm64Programs) + "/" + program_.substr(program_.rfind('/') + 1);
            viewer.emplace(QemuLoader, std::vector<std::string>{program}, x->display(), output, outputFile);
        } else {
            viewer.emplace(program_, std::vector<std::string>{}, x->display(), output, outputFile);
        }
        try {
            window = x->waitForWindow(title_);
        } catch (const std::exception& e) {
            FAIL() << e.what() << "\nthe program " << viewer->describeEnd() << "; its standard error:\n"
                   << viewer->err();
        }
    }

    void TearDown() override
    {
        viewer.reset();
        // Wine's own processes would stay on with this test's X server, which is about to go.
        if (UnderWine)
            runTool({"/usr/lib/wine/wineserver64", "-k"}, "");
        x.reset();
    }

    // The colour of a window pixel in a screenshot.
    Rgb pixel(const Image& s, int wx, int wy) const { return s.at(window.x + wx, window.y + wy); }

    // Whether some pixel within `radius` (a square) of the window pixel has the colour: for
    // thin lines and points, whose exact rasterisation is not worth pinning down.
    bool colourNear(const Image& s, int wx, int wy, int radius, Rgb colour, int tolerance = 2) const
    {
        Rect area{window.x + wx - radius, window.y + wy - radius, 2 * radius + 1, 2 * radius + 1};
        return countColour(s, area, colour, tolerance) > 0;
    }

    Rect windowRect() const { return {window.x, window.y, window.width, window.height}; }

    // Under qemu: the settled window against the native program's after the same session, in
    // the same X server and rasteriser. The arithmetic gives the same bits, so what may differ is
    // a 3D face lit a little differently by the frames' random beams: at most 0.1 % of the pixels.
    void expectNativePicture(const std::function<void()>& session)
    {
        if (!UnderQemu)
            return;
        Image emulated = x->settle();
        viewer.reset();
        x->waitFor([&](const Image&) { return !x->visible(title_); });
        viewer.emplace(program_, std::vector<std::string>{}, x->display(), output, outputFile);
        Window native = x->waitForWindow(title_);
        ASSERT_TRUE(native.x == window.x && native.y == window.y && native.width == window.width &&
                    native.height == window.height) << "the native program's window lies elsewhere";
        session();
        int different = countDifferent(emulated, x->settle(), windowRect(), 1);
        EXPECT_LE(different, window.width * window.height / 1000) << "pixels unlike the native program's";
    }

    std::optional<XSession> x;
    std::optional<Process> viewer;
    Window window;
    // Where the program's standard output goes, set by a fixture's constructor.
    Stdout output = Stdout::Pipe;
    std::string outputFile;

private:
    std::string program_;
    std::string title_;
};

}  // namespace e2e
