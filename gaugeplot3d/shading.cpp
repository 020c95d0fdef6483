// gaugeplot3d shaded primitives: quads coloured from a fixed light point, and beams built of them.
#include "shading.h"

#include <cmath>

#include <GL/glut.h>

namespace gaugeplot3d {

ShadingState shading;

namespace {

const double lightPoint[3] = {0.75f, 1.35f, 1.25f};  // scene coordinates
constexpr double AmbientShare = 0.1;
constexpr double AwayFactor = 0.5;       // corners facing away from the light still get some
constexpr double ProbeThreshold = 1e-12;
constexpr float ProbeY = 0.72f;  // the probe is a float vector, like its random x
constexpr float ProbeZ = 1.23f;

struct Vec {
    double x, y, z;
};

Vec operator-(const Vec& p, const Vec& q) { return {p.x - q.x, p.y - q.y, p.z - q.z}; }
Vec operator*(double f, const Vec& p) { return {f * p.x, f * p.y, f * p.z}; }
double dot(const Vec& p, const Vec& q) { return p.x * q.x + p.y * q.y + p.z * q.z; }
Vec cross(const Vec& p, const Vec& q)
{
    return {p.y * q.z - p.z * q.y, p.z * q.x - p.x * q.z, p.x * q.y - p.y * q.x};
}
double length(const Vec& p) { return std::sqrt(dot(p, p)); }
// Sum of the absolute components; beams are sized by this, not by the Euclidean length.
double l1Norm(const Vec& p) { return std::fabs(p.x) + std::fabs(p.y) + std::fabs(p.z); }
Vec point(const float p[3]) { return {p[0], p[1], p[2]}; }

bool isFinite(float x, float y, float z) { return std::isfinite(x) && std::isfinite(y) && std::isfinite(z); }

// Corner of a beam: A or B, plus or minus the cross-section vectors.
void setCorner(float corner[3], const Vec& end, double fs, const Vec& s, double ft, const Vec& t)
{
    corner[0] = float(end.x + fs * s.x + ft * t.x);
    corner[1] = float(end.y + fs * s.y + ft * t.y);
    corner[2] = float(end.z + fs * s.z + ft * t.z);
}

}  // namespace

int nextRandom()
{
    shading.randomState = shading.randomState * 214013u + 2531011u;
    return int((shading.randomState >> 16) & 0x7FFF);
}

int probeValue(double dx, double rest)
{
    int r;
    do
        r = nextRandom();
    while (std::fabs(r * dx + rest) < ProbeThreshold);
    return r;
}

void drawShadedQuad(const float corners[4][3], const float color[3])
{
    const Vec c0 = point(corners[0]), c2 = point(corners[2]), c3 = point(corners[3]);
    // Not normalised: points to the side from which the outline runs counter-clockwise.
    const Vec normal = cross(c2 - c0, c3 - c2);
    const double normalLength = length(normal);
    const Vec light = {lightPoint[0], lightPoint[1], lightPoint[2]};

    float colors[4][3];
    for (int i = 0; i < 4; i++) {
        const Vec toLight = light - point(corners[i]);
        double cosine = dot(normal, toLight) / (normalLength * length(toLight));
        // A collinear outline or a corner on the light point has no direction to shade by.
        if (!std::isfinite(cosine))
            cosine = 0;
        if (cosine < 0)
            cosine = AwayFactor * std::fabs(cosine);
        // Not clamped: up to 1.1 times the colour, which GL clamps.
        for (int j = 0; j < 3; j++)
            colors[i][j] = float(AmbientShare * color[j] + cosine * color[j]);
    }

    static const int outline[4] = {0, 2, 3, 1};
    glBegin(GL_POLYGON);
    for (int i : outline) {
        glColor3fv(colors[i]);
        glVertex3fv(corners[i]);
    }
    glEnd();
}

void drawBeam(float ax, float ay, float az, float bx, float by, float bz, float halfWidth,
              const float color[3])
{
    if (!isFinite(ax, ay, az) || !isFinite(bx, by, bz))
        return;
    const Vec a = {ax, ay, az};
    const Vec b = {bx, by, bz};
    const Vec d = b - a;

    // |r·dx + rest| is largest at an end of 0..RandomMax; if it is too small at both, no value
    // of the generator can orient the beam (every zero-length segment is among these).
    const double rest = ProbeY * d.y + ProbeZ * d.z;
    if (std::fmax(std::fabs(rest), std::fabs(RandomMax * d.x + rest)) < ProbeThreshold)
        return;
    const Vec probe = {double(float(probeValue(d.x, rest))), ProbeY, ProbeZ};

    Vec s = cross(d, probe);
    const double sNorm = l1Norm(s);
    if (!(sNorm > 0) || !std::isfinite(sNorm))
        return;  // probe parallel to the segment
    s = (1.0 / sNorm) * s;
    Vec t = cross(d, s);
    const double tNorm = l1Norm(t);
    if (!(tNorm > 0) || !std::isfinite(tNorm))
        return;
    t = (halfWidth / tNorm) * t;
    s = double(halfWidth) * s;

    // The cross-section is the quad s, t, -s, -t; faces 1 and 4 face the axis, 2 and 3 away from it.
    float faces[4][4][3];
    setCorner(faces[0][0], a, 1, s, 0, t);
    setCorner(faces[0][1], a, 0, s, 1, t);
    setCorner(faces[0][2], b, 1, s, 0, t);
    setCorner(faces[0][3], b, 0, s, 1, t);

    setCorner(faces[1][0], a, 1, s, 0, t);
    setCorner(faces[1][1], a, 0, s, -1, t);
    setCorner(faces[1][2], b, 1, s, 0, t);
    setCorner(faces[1][3], b, 0, s, -1, t);

    setCorner(faces[2][0], a, -1, s, 0, t);
    setCorner(faces[2][1], b, -1, s, 0, t);
    setCorner(faces[2][2], a, 0, s, -1, t);
    setCorner(faces[2][3], b, 0, s, -1, t);

    setCorner(faces[3][0], a, -1, s, 0, t);
    setCorner(faces[3][1], b, -1, s, 0, t);
    setCorner(faces[3][2], a, 0, s, 1, t);
    setCorner(faces[3][3], b, 0, s, 1, t);

    for (const auto& face : faces)
        drawShadedQuad(face, color);
}

}  // namespace gaugeplot3d
