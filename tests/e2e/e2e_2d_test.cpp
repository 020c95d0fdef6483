// gaugeplot2d, the real program in a real X server: window, band, listing, editing, exit.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>

#include "viewer_fixture.h"

namespace e2e {
namespace {

// Menu entries, 1 at the top.
constexpr int NewPolygonEntry = 1;
constexpr int ChangeEntry = 2;
constexpr int PrintValuesEntry = 5;
constexpr int ExitEntry = 6;

// Colours of the 2D viewer in 8-bit RGB.
constexpr Rgb Background{179, 204, 204};  // (0.7, 0.8, 0.8)
constexpr Rgb Band{128, 204, 204};        // (0.5, 0.8, 0.8)
constexpr Rgb CentrePoint{179, 26, 26};   // (0.7, 0.1, 0.1)
constexpr Rgb Outline{0, 0, 0};

// The square with corners 100 pixels around the window centre (320, 240), in window pixels.
constexpr int Square[4][2] = {{220, 140}, {420, 140}, {420, 340}, {220, 340}};

class Viewer2D : public ViewerTest {
protected:
    Viewer2D() : ViewerTest(GAUGEPLOT2D_PATH, "Glut window") {}

    // "new polygon", the clicks, then "new polygon" again, which finishes the polygon: only
    // finished polygons take part in the band and the listing.
    void sketchFinishedPolygon(const int (*points)[2], int count)
    {
        x->chooseMenuEntry(window, NewPolygonEntry);
        for (int i = 0; i < count; i++)
            x->click(window, points[i][0], points[i][1]);
        x->chooseMenuEntry(window, NewPolygonEntry);
    }

    bool isBand(const Image& s, int wx, int wy) const { return near(pixel(s, wx, wy), Band); }

    // Sketches the worked example's polygon and chooses "Print Values"; returns its listing.
    std::string printWorkedExample()
    {
        const int polygon[4][2] = {{220, 190}, {440, 160}, {410, 350}, {260, 310}};
        sketchFinishedPolygon(polygon, 4);
        x->chooseMenuEntry(window, PrintValuesEntry);
        // Lines end in CR LF on Windows, as its text output does.
        const std::string nl = UnderWine ? "\r\n" : "\n";
        return "      1    4.00" + nl + "      3    4.00" + nl + "   0.00   30.00  190.00" + nl +
               "   0.00  150.00  -40.00" + nl + "   0.00 -180.00 -150.00" + nl;
    }
};

TEST_F(Viewer2D, OpensA640x480WindowCentredOnTheScreenWithOnlyTheRedCentrePoint)
{
    EXPECT_EQ(window.width, 640);
    EXPECT_EQ(window.height, 480);
    if (!UnderWine) {  // Windows puts the frame there, the window's inside a little further in
        EXPECT_EQ(window.x, 192);
        EXPECT_EQ(window.y, 144);
    }

    Image s = x->settle();
    EXPECT_TRUE(hasColour(pixel(s, 320, 240), CentrePoint));
    EXPECT_TRUE(hasColour(pixel(s, 319, 239), CentrePoint));
    // Nothing else: the rest of the window is background.
    int area = window.width * window.height;
    EXPECT_GE(countColour(s, windowRect(), Background), area - 30);
    EXPECT_EQ(countColour(s, windowRect(), Band), 0);
}

TEST_F(Viewer2D, SquareAroundTheCentreGivesTheBandBetweenItsLevelPoints)
{
    sketchFinishedPolygon(Square, 4);
    // Direction (20, 0): outer level point (420, 240), inner (410, 240).
    Image s = x->waitFor([&](const Image& i) { return isBand(i, 415, 240); });

    EXPECT_TRUE(hasColour(pixel(s, 415, 240), Band));
    EXPECT_TRUE(hasColour(pixel(s, 405, 240), Background)) << "inside the 0.9 curve";
    EXPECT_TRUE(hasColour(pixel(s, 425, 240), Background)) << "outside the square";
    // Direction (0, 20): outer (320, 340), inner (320, 330).
    EXPECT_TRUE(hasColour(pixel(s, 320, 335), Band));
    EXPECT_TRUE(hasColour(pixel(s, 320, 325), Background));
    // The left and top sides mirror them.
    EXPECT_TRUE(hasColour(pixel(s, 225, 240), Band));
    EXPECT_TRUE(hasColour(pixel(s, 320, 145), Band));
    // Inside the 0.9 curve the background shows, around the red centre point.
    EXPECT_TRUE(hasColour(pixel(s, 360, 240), Background));
    EXPECT_TRUE(hasColour(pixel(s, 320, 200), Background));
    EXPECT_TRUE(hasColour(pixel(s, 320, 240), CentrePoint));
    // The exponent 6 rounds the corners: along the diagonal the band lies between about
    // 80 and 89 pixels from the centre, and the square's corner beyond it is background.
    EXPECT_TRUE(hasColour(pixel(s, 405, 155), Band));
    EXPECT_TRUE(hasColour(pixel(s, 413, 147), Background));
    EXPECT_TRUE(hasColour(pixel(s, 227, 333), Background));
    // The outline and the vertex points are black.
    EXPECT_TRUE(colourNear(s, 420, 240, 1, Outline));
    EXPECT_TRUE(colourNear(s, 220, 340, 1, Outline));
    expectNativePicture([&] {
        sketchFinishedPolygon(Square, 4);
        x->waitFor([&](const Image& i) { return isBand(i, 415, 240); });
    });
}

TEST_F(Viewer2D, PolygonBeingDrawnHasNoBandUntilItIsFinished)
{
    x->chooseMenuEntry(window, NewPolygonEntry);
    for (const auto& p : Square)
        x->click(window, p[0], p[1]);
    Image drawing = x->waitFor([&](const Image& i) { return colourNear(i, 220, 340, 1, Outline); });
    ASSERT_TRUE(colourNear(drawing, 220, 340, 1, Outline)) << "the last vertex was not drawn";
    drawing = x->settle();
    EXPECT_EQ(countColour(drawing, windowRect(), Band), 0);

    x->chooseMenuEntry(window, NewPolygonEntry);
    Image finished = x->waitFor([&](const Image& i) { return isBand(i, 415, 240); });
    EXPECT_GT(countColour(finished, windowRect(), Band), 1000);
}

TEST_F(Viewer2D, PrintValuesWritesTheWorkedListingOnAPipeWhileRunning)
{
    const std::string expected = printWorkedExample();
    EXPECT_EQ(viewer->waitForStdout(expected.size()), expected);
    // Seen while the program still runs: the listing was flushed, not left in a buffer.
    EXPECT_TRUE(viewer->running());
}

// Standard output redirected to a file, as `gaugeplot2d > listing.txt`.
class Viewer2DIntoAFile : public Viewer2D {
protected:
    Viewer2DIntoAFile()
    {
        output = Stdout::File;
        outputFile = ::testing::TempDir() + "gaugeplot2d-listing-" + std::to_string(getpid()) + ".txt";
    }
    ~Viewer2DIntoAFile() override { std::remove(outputFile.c_str()); }
};

TEST_F(Viewer2DIntoAFile, PrintValuesWritesTheWorkedListingIntoTheFileWhileRunning)
{
    const std::string expected = printWorkedExample();
    EXPECT_EQ(waitForFile(outputFile, expected.size()), expected);
    EXPECT_TRUE(viewer->running());
}

TEST_F(Viewer2D, ListingsIntoAClosedPipeAreDroppedAndTheSketchStays)
{
    sketchFinishedPolygon(Square, 4);
    Image before = x->waitFor([&](const Image& i) { return isBand(i, 405, 325); });
    viewer->closeStdout();  // as `gaugeplot2d | head -5` once head has ended
    x->chooseMenuEntry(window, PrintValuesEntry);
    x->chooseMenuEntry(window, PrintValuesEntry);
    Image after = x->settle();
    EXPECT_TRUE(viewer->running()) << "the program " << viewer->describeEnd();
    EXPECT_EQ(countDifferent(before, after, windowRect()), 0) << "the sketch did not stay";
}

// Started with no standard output at all, as Windows starts a program from the Start menu or a
// double click. On Linux a program always has one (a closed descriptor would be taken by the
// next file the program opens, here its X connection), so this is Windows only.
class Viewer2DWithoutOutput : public Viewer2D {
protected:
    Viewer2DWithoutOutput() { output = Stdout::None; }

    void SetUp() override
    {
        if (!UnderWine)
            GTEST_SKIP() << "only a Windows program can start with no standard output";
        Viewer2D::SetUp();
    }

    // The listing window's text: light on the console's black.
    static int lightPixels(const Image& s, Rect area)
    {
        int count = 0;
        for (int y = area.y; y < area.y + area.height && y < s.height; y++)
            for (int x = area.x; x < area.x + area.width && x < s.width; x++) {
                Rgb c = s.at(x, y);
                count += c.r > 150 && c.g > 150 && c.b > 150;
            }
        return count;
    }

    static constexpr const char* ListingWindow = "gaugeplot2d listing";
};

TEST_F(Viewer2DWithoutOutput, PrintValuesOpensAListingWindowWhoseClosingLeavesTheProgramAndTheSketch)
{
    sketchFinishedPolygon(Square, 4);
    Image before = x->waitFor([&](const Image& i) { return isBand(i, 405, 325); });
    ASSERT_TRUE(isBand(before, 405, 325));
    EXPECT_FALSE(x->visible(ListingWindow)) << "a listing window opened before any listing";

    x->chooseMenuEntry(window, PrintValuesEntry);
    Window listing;
    ASSERT_NO_THROW(listing = x->findWindow(ListingWindow)) << "the program " << viewer->describeEnd();
    // Five lines of listing in the window's top rows; the scroll bar on its right is light too.
    Rect rows{listing.x, listing.y, listing.width - 40, 100};
    Image shown = x->waitFor([&](const Image& i) { return lightPixels(i, rows) > 200; });
    EXPECT_GT(lightPixels(shown, rows), 200) << "no text in the listing window";
    EXPECT_TRUE(viewer->running()) << "the program " << viewer->describeEnd();

    // Closed as its close box closes it: Windows' WM_CLOSE to the console's window.
    runTool({WineLoader, "taskkill", "/IM", "conhost.exe"}, x->display());
    Image after = x->waitFor([&](const Image&) { return !x->visible(ListingWindow); });
    EXPECT_FALSE(x->visible(ListingWindow)) << "the listing window did not close";
    after = x->settle();
    EXPECT_TRUE(viewer->running()) << "the program " << viewer->describeEnd();
    EXPECT_EQ(countDifferent(before, after, windowRect()), 0) << "the sketch did not stay";

    // The next listing opens a new window.
    x->chooseMenuEntry(window, PrintValuesEntry);
    EXPECT_NO_THROW(x->findWindow(ListingWindow));
}

TEST_F(Viewer2D, DraggingAVertexInChangeMovesItsOutlineAndTheBand)
{
    sketchFinishedPolygon(Square, 4);
    Image before = x->waitFor([&](const Image& i) { return isBand(i, 405, 325); });
    ASSERT_TRUE(hasColour(pixel(before, 405, 325), Band)) << "no band along the diagonal before the drag";
    ASSERT_TRUE(colourNear(before, 420, 300, 1, Outline));

    // The bottom-right corner (420, 340) to (480, 400): the right side now runs to x = 457
    // at y = 300, and the band along the diagonal moves out from 80..89 to 128..142 pixels.
    x->chooseMenuEntry(window, ChangeEntry);
    x->drag(window, 420, 340, 480, 400);
    Image after = x->waitFor([&](const Image& i) { return isBand(i, 455, 375); });

    EXPECT_TRUE(hasColour(pixel(after, 455, 375), Band));
    EXPECT_TRUE(hasColour(pixel(after, 405, 325), Background));
    EXPECT_TRUE(colourNear(after, 480, 400, 1, Outline)) << "no vertex point where the drag ended";
    EXPECT_FALSE(colourNear(after, 420, 340, 1, Outline)) << "the vertex point stayed behind";
    EXPECT_TRUE(colourNear(after, 457, 300, 2, Outline)) << "the right side did not follow the vertex";
    EXPECT_FALSE(colourNear(after, 420, 300, 1, Outline)) << "the old right side is still drawn";
    // The sides that do not touch the vertex stay where they were.
    EXPECT_TRUE(colourNear(after, 320, 140, 1, Outline));
    EXPECT_TRUE(colourNear(after, 220, 240, 1, Outline));
}

TEST_F(Viewer2D, EscapeKeyEndsTheProgramWithStatusZero)
{
    x->key(window, "Escape");
    std::optional<int> status = viewer->waitExit();
    ASSERT_TRUE(status.has_value()) << "the program " << viewer->describeEnd();
    EXPECT_EQ(*status, 0);
}

TEST_F(Viewer2D, MenuExitEndsTheProgramWithStatusOne)
{
    ASSERT_TRUE(x->openMenu(window, 100, 100));
    x->click(window, 110, 100 + MenuBorder + MenuEntryMiddle + MenuEntryPitch * (ExitEntry - 1));
    std::optional<int> status = viewer->waitExit();
    ASSERT_TRUE(status.has_value()) << "the program " << viewer->describeEnd();
    EXPECT_EQ(*status, 1);
}

}  // namespace
}  // namespace e2e
