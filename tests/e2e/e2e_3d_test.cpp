// gaugeplot3d, the real program in a real X server: window, menu modes, band, display toggles,
// rotation, vertex editing, exit.
//
// The scene is shaded per face and the beams roll at random from frame to frame, so these tests
// check robust properties (kinds of colour, where they appear, what changed) rather than exact
// pixels. The kinds tell apart by the ratio of red to green, which shading keeps: background
// (19, 38, 38) exactly; axes and other edges (0.15, 0.3, 0.3) shaded, red half the green; band
// (0.4, 0.6, 0.6) shaded, red two thirds of the green; the active polygon's edges (0.6, 0.3, 0.3)
// shaded, red above green.
#include <gtest/gtest.h>

#include <set>

#include "viewer_fixture.h"

namespace e2e {
namespace {

// Menu entries, 1 at the top.
constexpr int NewPolygonEntry = 1;
constexpr int ChangeEntry = 2;
constexpr int ShowHideEntry = 4;
constexpr int ExitEntry = 5;

constexpr Rgb Background{19, 38, 38};  // (0.075, 0.15, 0.15)

bool isBackground(Rgb c) { return near(c, Background); }
bool isBand(Rgb c)
{
    return !isBackground(c) && c.g >= 12 && std::abs(c.g - c.b) <= 2 && std::abs(3 * c.r - 2 * c.g) <= 3 + c.g / 20;
}
bool isActiveEdge(Rgb c) { return c.r > c.g + 10; }

// A quadrilateral around the window centre (320, 320), which maps to the plane's origin.
constexpr int Quad[4][2] = {{200, 200}, {440, 200}, {440, 440}, {200, 440}};

// Window pixels on the long axis above everything else in the starting view.
constexpr int AxisX = 320;
constexpr int AxisTopY[3] = {20, 40, 60};

class Viewer3D : public ViewerTest {
protected:
    Viewer3D() : ViewerTest(GAUGEPLOT3D_PATH, "Lumvar2D") {}

    int count(const Image& s, bool (*kind)(Rgb), Rect area) const
    {
        int n = 0;
        for (int y = area.y; y < area.y + area.height; y++)
            for (int x = area.x; x < area.x + area.width; x++)
                n += kind(pixel(s, x, y)) ? 1 : 0;
        return n;
    }
    int count(const Image& s, bool (*kind)(Rgb)) const { return count(s, kind, {0, 0, window.width, window.height}); }

    bool axisShows(const Image& s) const
    {
        for (int y : AxisTopY)
            if (isBackground(pixel(s, AxisX, y)))
                return false;
        return true;
    }
    bool axisGone(const Image& s) const
    {
        for (int y : AxisTopY)
            if (!isBackground(pixel(s, AxisX, y)))
                return false;
        return true;
    }

    // "New Polygon", a left click per vertex, and the right press that finishes the polygon.
    // Returns the first screenshot that shows the band.
    Image sketchQuad()
    {
        x->chooseMenuEntry(window, NewPolygonEntry);
        for (const auto& p : Quad)
            x->click(window, p[0], p[1]);
        x->click(window, 600, 600, 3);
        return x->waitFor([&](const Image& s) { return count(s, isBand) > 5000; });
    }
};

TEST_F(Viewer3D, OpensA640x640WindowCentredOnTheScreenShowingOnlyTheAxes)
{
    EXPECT_EQ(window.width, 640);
    EXPECT_EQ(window.height, 640);
    if (!UnderWine) {  // Windows puts the frame there, the window's inside a little further in
        EXPECT_EQ(window.x, 192);
        EXPECT_EQ(window.y, 64);
    }

    Image s = x->settle();
    for (auto [px, py] : {std::pair{5, 5}, {634, 5}, {5, 634}, {634, 634}, {100, 320}})
        EXPECT_TRUE(hasColour(pixel(s, px, py), Background)) << "at window pixel (" << px << ", " << py << ")";
    EXPECT_TRUE(axisShows(s)) << "the long axis is missing above the centre";
    EXPECT_EQ(count(s, isBand), 0);
    EXPECT_EQ(count(s, isActiveEdge), 0);
    // The axes are thin: most of the window is background.
    EXPECT_GT(count(s, isBackground), 640 * 640 - 20000);
}

TEST_F(Viewer3D, RightClickOpensTheMenuInIdleOnly)
{
    ASSERT_TRUE(x->openMenu(window, 50, 50)) << "no menu in Idle at start";
    x->click(window, 600, 600);  // outside the menu: closes it, choosing nothing
    x->waitFor([&](const Image&) { return !x->menuVisible(); });
    ASSERT_FALSE(x->menuVisible());

    // In "New Polygon" the right press finishes the polygon instead of opening the menu.
    Image finished = sketchQuad();
    EXPECT_GT(count(finished, isBand), 5000) << "the right press did not finish the polygon";
    x->settle();
    EXPECT_FALSE(x->menuVisible()) << "the menu opened in New Polygon";

    // Back in Idle the menu opens again.
    ASSERT_TRUE(x->openMenu(window, 50, 50)) << "no menu in Idle after finishing a polygon";
    x->click(window, 600, 600);
    x->waitFor([&](const Image&) { return !x->menuVisible(); });

    // In "Change" the right press only returns to Idle; the next one opens the menu.
    x->chooseMenuEntry(window, ChangeEntry);
    x->click(window, 50, 50, 3);
    x->settle();
    EXPECT_FALSE(x->menuVisible()) << "the menu opened in Change";
    EXPECT_TRUE(x->openMenu(window, 50, 50)) << "no menu in Idle after leaving Change";
}

TEST_F(Viewer3D, SketchedPolygonBringsUpTheShadedBandAroundTheCentre)
{
    x->chooseMenuEntry(window, NewPolygonEntry);
    for (const auto& p : Quad)
        x->click(window, p[0], p[1]);
    Image sketching = x->waitFor([&](const Image& s) { return count(s, isActiveEdge) > 500; });
    EXPECT_GT(count(sketching, isActiveEdge), 500) << "the sketch's edges are not drawn";
    sketching = x->settle();
    EXPECT_EQ(count(sketching, isBand), 0) << "a band before the polygon was finished";

    x->click(window, 600, 600, 3);
    Image s = x->waitFor([&](const Image& i) { return count(i, isBand) > 5000; });
    ASSERT_GT(count(s, isBand), 5000) << "no band after finishing the polygon";

    // Shaded: the faces take many shades of the one band colour.
    std::set<std::tuple<int, int, int>> shades;
    for (int y = 0; y < window.height; y++)
        for (int x = 0; x < window.width; x++)
            if (Rgb c = pixel(s, x, y); isBand(c))
                shades.insert({c.r, c.g, c.b});
    EXPECT_GE(shades.size(), 10u);
    // A ring around the centre: band to every side of it, and none at the centre itself.
    EXPECT_GT(count(s, isBand, {200, 260, 100, 120}), 100) << "left";
    EXPECT_GT(count(s, isBand, {340, 260, 100, 120}), 100) << "right";
    EXPECT_GT(count(s, isBand, {260, 170, 120, 100}), 100) << "top";
    EXPECT_GT(count(s, isBand, {260, 350, 120, 100}), 100) << "bottom";
    EXPECT_EQ(count(s, isBand, {300, 300, 40, 40}), 0) << "centre";
    // Far from the polygon nothing changed.
    EXPECT_EQ(count(s, isBand, {0, 0, 640, 120}), 0);
    EXPECT_EQ(count(s, isBand, {0, 540, 640, 100}), 0);
    expectNativePicture([&] { sketchQuad(); });
}

TEST_F(Viewer3D, ShowHidePolygonsHidesAndShowsAxesAndEdgesButNotTheBand)
{
    Image shown = sketchQuad();
    ASSERT_GT(count(shown, isActiveEdge), 500);
    ASSERT_TRUE(axisShows(shown));

    x->chooseMenuEntry(window, ShowHideEntry);
    Image hidden = x->waitFor([&](const Image& s) { return count(s, isActiveEdge) == 0 && axisGone(s); });
    EXPECT_EQ(count(hidden, isActiveEdge), 0) << "polygon edges still drawn";
    EXPECT_TRUE(axisGone(hidden)) << "the long axis is still drawn";
    EXPECT_GT(count(hidden, isBand), 5000) << "the band went away with the polygons";

    x->chooseMenuEntry(window, ShowHideEntry);
    Image again = x->waitFor([&](const Image& s) { return count(s, isActiveEdge) > 500 && axisShows(s); });
    EXPECT_GT(count(again, isActiveEdge), 500) << "polygon edges did not come back";
    EXPECT_TRUE(axisShows(again)) << "the long axis did not come back";
}

TEST_F(Viewer3D, AltLeftDragTurnsTheSceneAndAPlainDragDoesNot)
{
    Image start = x->settle();
    ASSERT_TRUE(axisShows(start));

    x->drag(window, 100, 500, 100, 550);
    Image plain = x->settle();
    EXPECT_TRUE(axisShows(plain)) << "a left drag without Alt turned the scene";

    // 50 pixels down: 50 degrees about the scene's x axis, which turns the long axis from
    // 40 to 90 degrees, towards the eye, so its upper end leaves the top of the window.
    x->drag(window, 100, 500, 100, 550, true);
    Image turned = x->waitFor([&](const Image& s) { return axisGone(s); });
    EXPECT_TRUE(axisGone(turned)) << "an Alt drag did not turn the scene";
    EXPECT_GT(countDifferent(start, turned, windowRect(), 2), 1000);
}

TEST_F(Viewer3D, ChangeDragOfAVertexChangesTheBand)
{
    Image before = sketchQuad();
    const Rect corner{460, 460, 100, 100};  // beyond the corner (440, 440), towards (530, 530)
    ASSERT_EQ(count(before, isBand, corner), 0);

    x->chooseMenuEntry(window, ChangeEntry);
    x->drag(window, 440, 440, 530, 530);
    Image after = x->waitFor([&](const Image& s) { return count(s, isBand, corner) > 1000; });
    EXPECT_GT(count(after, isBand, corner), 1000) << "the band did not follow the vertex";
    EXPECT_GT(count(after, isActiveEdge, {520, 520, 20, 20}), 0) << "no edge reaches the vertex's new place";
    // The opposite side of the band stays where it was.
    EXPECT_EQ(count(after, isBand, {0, 0, 640, 120}), 0);
}

TEST_F(Viewer3D, EscapeKeyEndsTheProgramWithStatusZero)
{
    x->key(window, "Escape");
    std::optional<int> status = viewer->waitExit();
    ASSERT_TRUE(status.has_value()) << "the program " << viewer->describeEnd();
    EXPECT_EQ(*status, 0);
}

TEST_F(Viewer3D, MenuExitEndsTheProgramWithStatusOne)
{
    ASSERT_TRUE(x->openMenu(window, 50, 50));
    x->click(window, 60, 50 + MenuBorder + MenuEntryMiddle + MenuEntryPitch * (ExitEntry - 1));
    std::optional<int> status = viewer->waitExit();
    ASSERT_TRUE(status.has_value()) << "the program " << viewer->describeEnd();
    EXPECT_EQ(*status, 1);
}

}  // namespace
}  // namespace e2e
