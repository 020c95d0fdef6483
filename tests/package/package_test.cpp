// The programs as the Debian package installs them: each one, extracted from the package into a
// scratch folder by check_package.sh, starts and opens its window.
#include "viewer_fixture.h"

namespace e2e {
namespace {

class Packaged3D : public ViewerTest {
protected:
    Packaged3D() : ViewerTest(PACKAGE_ROOT "/usr/bin/gaugeplot3d", "Lumvar2D") {}
};

class Packaged2D : public ViewerTest {
protected:
    Packaged2D() : ViewerTest(PACKAGE_ROOT "/usr/bin/gaugeplot2d", "Glut window") {}
};

TEST_F(Packaged3D, OpensItsWindow)
{
    EXPECT_EQ(window.width, 640);
    EXPECT_EQ(window.height, 640);
    EXPECT_TRUE(viewer->running()) << viewer->describeEnd();
}

TEST_F(Packaged2D, OpensItsWindow)
{
    EXPECT_EQ(window.width, 640);
    EXPECT_EQ(window.height, 480);
    EXPECT_TRUE(viewer->running()) << viewer->describeEnd();
}

}  // namespace
}  // namespace e2e
