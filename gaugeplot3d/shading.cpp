// gaugeplot3d shaded primitives: quads coloured from a fixed light point, and beams built of them.
#include "shading.h"

#include <cmath>

#include <GL/glut.h>

#include "lanes.h"

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

namespace {

// The corner colours of one quad, a row per corner padded to four floats: the four corners side by
// side, lane i corner i, each with the roundings of one corner alone.
LANES_INLINE void shadeCorners(const float corners[4][3], const float color[3], float colors[4][4])
{
    const Vec c0 = point(corners[0]), c2 = point(corners[2]), c3 = point(corners[3]);
    // Not normalised: points to the side from which the outline runs counter-clockwise.
    const Vec normal = cross(c2 - c0, c3 - c2);
    const double normalLength = length(normal);

    using lanes::Doubles;
    const Doubles x = lanes::make(corners[0][0], corners[1][0], corners[2][0], corners[3][0]);
    const Doubles y = lanes::make(corners[0][1], corners[1][1], corners[2][1], corners[3][1]);
    const Doubles z = lanes::make(corners[0][2], corners[1][2], corners[2][2], corners[3][2]);
    const Doubles toLightX = lightPoint[0] - x;
    const Doubles toLightY = lightPoint[1] - y;
    const Doubles toLightZ = lightPoint[2] - z;
    const Doubles toLightLength = lanes::sqrt(toLightX * toLightX + toLightY * toLightY + toLightZ * toLightZ);
    Doubles cosine = (normal.x * toLightX + normal.y * toLightY + normal.z * toLightZ) / (normalLength * toLightLength);
    // A collinear outline or a corner on the light point has no direction to shade by.
    cosine = lanes::select(lanes::isFinite(cosine), cosine, lanes::splat(0));
    cosine = lanes::select(lanes::less(cosine, lanes::splat(0)), AwayFactor * lanes::abs(cosine), cosine);

    // Not clamped: up to 1.1 times the colour, which GL clamps. Rows are written whole, so that
    // glColor3fv reading one back is served from the store.
    lanes::Floats component[3];
    for (int j = 0; j < 3; j++)
        component[j] = lanes::toFloats(AmbientShare * color[j] + cosine * double(color[j]));
    lanes::storeRows(colors, component[0], component[1], component[2]);
}

void outlineQuad(const float corners[4][3], const float colors[4][4])
{
    static const int outline[4] = {0, 2, 3, 1};
    glBegin(GL_POLYGON);
    for (int i : outline) {
        glColor3fv(colors[i]);
        glVertex3fv(corners[i]);
    }
    glEnd();
}

}  // namespace

LANES_DISPATCH
void drawShadedQuad(const float corners[4][3], const float color[3])
{
    float colors[4][4];
    shadeCorners(corners, color, colors);
    outlineQuad(corners, colors);
}

// Every quad's shading is taken before any is drawn: the quads' chains of square roots and
// divisions are independent and overlap, where GL calls in between would keep them apart.
LANES_DISPATCH
void drawShadedQuads(int count, const float (*quads)[4][3], const float color[3])
{
    float colors[MaxQuads][4][4];
    for (int q = 0; q < count && q < MaxQuads; q++)
        shadeCorners(quads[q], color, colors[q]);
    for (int q = 0; q < count && q < MaxQuads; q++)
        outlineQuad(quads[q], colors[q]);
}

LANES_DISPATCH
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
    // Each face's four corners are taken side by side: corner i = end + fs[i]·s + ft[i]·t.
    struct FaceCorners {
        bool atB[4];
        double fs[4];
        double ft[4];
    };
    static const FaceCorners faceCorners[4] = {
        {{false, false, true, true}, {1, 0, 1, 0}, {0, 1, 0, 1}},
        {{false, false, true, true}, {1, 0, 1, 0}, {0, -1, 0, -1}},
        {{false, true, false, true}, {-1, -1, 0, 0}, {0, 0, -1, -1}},
        {{false, true, false, true}, {-1, -1, 0, 0}, {0, 0, 1, 1}},
    };
    using lanes::Doubles;
    const double ends[3][2] = {{a.x, b.x}, {a.y, b.y}, {a.z, b.z}};
    const double sides[3] = {s.x, s.y, s.z};
    const double tops[3] = {t.x, t.y, t.z};
    float faces[4][4][3];
    for (int f = 0; f < 4; f++) {
        const FaceCorners& c = faceCorners[f];
        const Doubles fs = lanes::load(c.fs);
        const Doubles ft = lanes::load(c.ft);
        for (int k = 0; k < 3; k++) {
            const double* end = ends[k];
            const Doubles from = lanes::make(end[c.atB[0]], end[c.atB[1]], end[c.atB[2]], end[c.atB[3]]);
            const lanes::Floats corner = lanes::toFloats(from + fs * sides[k] + ft * tops[k]);
            for (int i = 0; i < 4; i++)
                faces[f][i][k] = corner[i];
        }
    }

    drawShadedQuads(4, faces, color);
}

}  // namespace gaugeplot3d
