// What both viewers share outside a running X server, and the pixel reading the suite relies on.
#include <gtest/gtest.h>

#include <cstdlib>

#include "xsession.h"

namespace e2e {
namespace {

// With no display freeglut cannot open a window; the user must learn why, and scripts must
// see a failure.
void expectClearFailureWithoutDisplay(const std::string& program)
{
    Process p(program, {}, "");
    std::optional<int> status = p.waitExit();
    ASSERT_TRUE(status.has_value()) << "the program " << p.describeEnd();
    EXPECT_NE(*status, 0);
    EXPECT_NE(p.err().find("display"), std::string::npos) << "standard error was: " << p.err();
    EXPECT_TRUE(p.out().empty()) << "standard output was: " << p.out();
}

TEST(NoDisplay, Viewer2DSaysItCannotOpenTheDisplayAndFails)
{
    expectClearFailureWithoutDisplay(GAUGEPLOT2D_PATH);
}

TEST(NoDisplay, Viewer3DSaysItCannotOpenTheDisplayAndFails)
{
    expectClearFailureWithoutDisplay(GAUGEPLOT3D_PATH);
}

TEST(XServer, AMissingXvfbFailsWithTheReasonInsteadOfSkipping)
{
    std::string path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
    setenv("PATH", "/nonexistent", 1);
    std::string message;
    try {
        XSession session;
    } catch (const std::runtime_error& e) {
        message = e.what();
    }
    setenv("PATH", path.c_str(), 1);
    EXPECT_NE(message.find("could not start"), std::string::npos) << message;
    EXPECT_NE(message.find("xvfb"), std::string::npos) << message;
}

TEST(XServer, StartsA1024x768ScreenOnItsOwnDisplay)
{
    XSession session;
    EXPECT_EQ(session.display().rfind(':', 0), 0u) << session.display();
    Image screen = session.screenshot();
    EXPECT_EQ(screen.width, 1024);
    EXPECT_EQ(screen.height, 768);
    EXPECT_FALSE(session.menuVisible());
}

TEST(Screenshot, DecodesBinaryPpmWithCommentsRowByRowFromTheTop)
{
    std::string ppm = "P6\n# from import\n2 2\n255\n";
    const unsigned char samples[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 250, 251, 252};
    ppm.append(reinterpret_cast<const char*>(samples), sizeof samples);
    Image image = decodePpm(ppm);
    ASSERT_EQ(image.width, 2);
    ASSERT_EQ(image.height, 2);
    EXPECT_TRUE(near(image.at(1, 0), (Rgb{4, 5, 6}), 0));
    EXPECT_TRUE(near(image.at(0, 1), (Rgb{7, 8, 9}), 0));
    EXPECT_TRUE(near(image.at(1, 1), (Rgb{250, 251, 252}), 0));
    EXPECT_THROW(decodePpm(ppm.substr(0, ppm.size() - 1)), std::runtime_error);
    EXPECT_THROW(decodePpm("P3\n1 1\n255\n0 0 0\n"), std::runtime_error);
    // Sixteen-bit samples keep their most significant byte.
    Image deep = decodePpm(std::string("P6 1 1 65535\n\x12\x34\x56\x78\x9a\xbc", 19));
    EXPECT_TRUE(near(deep.at(0, 0), (Rgb{0x12, 0x56, 0x9a}), 0));
}

TEST(Screenshot, CountsDifferingAndMatchingPixelsOnlyInsideTheRectangle)
{
    Image a{3, 2, std::vector<std::uint8_t>(18, 100)};
    Image b = a;
    b.rgb[0] = 103;         // pixel (0, 0), red channel off by 3
    b.rgb[3 * 5 + 2] = 0;   // pixel (2, 1), blue channel
    EXPECT_EQ(countDifferent(a, b, {0, 0, 3, 2}), 2);
    EXPECT_EQ(countDifferent(a, b, {0, 0, 3, 2}, 3), 1);
    EXPECT_EQ(countDifferent(a, b, {1, 0, 2, 1}), 0);
    EXPECT_EQ(countColour(b, {0, 0, 3, 2}, Rgb{100, 100, 100}, 2), 4);
}

}  // namespace
}  // namespace e2e
