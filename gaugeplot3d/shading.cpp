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
constexpr int BeamBatch = 20;    // beams taken together: all edges of a polygon

using lanes::Doubles;
using lanes::Floats;
using lanes::Mask;

// The distance from each of four points, side by side, to the light point.
LANES_INLINE Doubles lightDistance(Doubles x, Doubles y, Doubles z)
{
    const Doubles toLightX = lightPoint[0] - x;
    const Doubles toLightY = lightPoint[1] - y;
    const Doubles toLightZ = lightPoint[2] - z;
    return lanes::sqrt(toLightX * toLightX + toLightY * toLightY + toLightZ * toLightZ);
}

// The corner colours of four quads, each with the roundings of that corner of that quad alone;
// lightLength[i] is the distance of each quad's corner i to the light point.
LANES_INLINE void shadeCorners(const QuadCorners& corners, const Doubles lightLength[4], const float color[3],
                               ShadedQuads& quads)
{
#pragma GCC unroll 4
    for (int i = 0; i < 4; i++)
        lanes::storeRows(quads.corners[i], corners.x[i], corners.y[i], corners.z[i]);
    // Copied first: the colour rows written below could otherwise be the base colour itself.
    const Doubles base[3] = {lanes::splat(color[0]), lanes::splat(color[1]), lanes::splat(color[2])};
    const Doubles ambient[3] = {AmbientShare * base[0], AmbientShare * base[1], AmbientShare * base[2]};
    Doubles x[4], y[4], z[4];
#pragma GCC unroll 4
    for (int i = 0; i < 4; i++) {
        x[i] = lanes::toDoubles(corners.x[i]);
        y[i] = lanes::toDoubles(corners.y[i]);
        z[i] = lanes::toDoubles(corners.z[i]);
    }
    // The normal (c2 − c0) × (c3 − c2), not normalised: it points to the side from which the
    // outline runs counter-clockwise.
    const Doubles px = x[2] - x[0], py = y[2] - y[0], pz = z[2] - z[0];
    const Doubles qx = x[3] - x[2], qy = y[3] - y[2], qz = z[3] - z[2];
    const Doubles normalX = py * qz - pz * qy;
    const Doubles normalY = pz * qx - px * qz;
    const Doubles normalZ = px * qy - py * qx;
    const Doubles normalLength = lanes::sqrt(normalX * normalX + normalY * normalY + normalZ * normalZ);

#pragma GCC unroll 4
    for (int i = 0; i < 4; i++) {
        const Doubles toLightX = lightPoint[0] - x[i];
        const Doubles toLightY = lightPoint[1] - y[i];
        const Doubles toLightZ = lightPoint[2] - z[i];
        Doubles cosine = (normalX * toLightX + normalY * toLightY + normalZ * toLightZ) / (normalLength * lightLength[i]);
        // A collinear outline or a corner on the light point has no direction to shade by.
        cosine = lanes::select(lanes::isFinite(cosine), cosine, lanes::splat(0));
        cosine = lanes::select(lanes::less(cosine, lanes::splat(0)), AwayFactor * lanes::abs(cosine), cosine);

        // Not clamped: up to 1.1 times the colour, which GL clamps. Rows are written whole, so that
        // glColor3fv reading one back is served from the store.
        lanes::storeRows(quads.colors[i], lanes::toFloats(ambient[0] + cosine * base[0]),
                         lanes::toFloats(ambient[1] + cosine * base[1]), lanes::toFloats(ambient[2] + cosine * base[2]));
    }
}

// Something of corner i of a beam's four faces, face f in lane f, from the same of the corners
// around A (A+s, A+t, A−s, A−t) and around B (the same, lanes 4 to 7 of the shuffles).
template <class Lanes>
LANES_INLINE void faceCorners(Lanes atA, Lanes atB, Lanes corner[4])
{
    corner[0] = __builtin_shufflevector(atA, atB, 0, 0, 2, 2);
    corner[1] = __builtin_shufflevector(atA, atB, 1, 3, 6, 6);
    corner[2] = __builtin_shufflevector(atA, atB, 4, 4, 3, 1);
    corner[3] = __builtin_shufflevector(atA, atB, 5, 7, 7, 5);
}

// One beam's faces, corners and colours, from its ends a and b and cross-section vectors s and t.
// The cross-section is the quad s, t, −s, −t; faces 1 and 4 face the axis, 2 and 3 away from it:
//   face 1: A+s, A+t, B+s, B+t      face 2: A+s, A−t, B+s, B−t
//   face 3: A−s, B−s, A−t, B−t      face 4: A−s, B−s, A+t, B+t
// Each of the eight corners is end + fs·s + ft·t, taken once for the faces that share it.
LANES_INLINE void shadeBeam(const double a[3], const double b[3], const double s[3], const double t[3],
                            const float color[3], ShadedQuads& faces)
{
    const Doubles fs = {1, 0, -1, 0};  // the ends' corners +s, +t, −s, −t side by side
    const Doubles ft = {0, 1, 0, -1};
    Floats atA[3], atB[3];
    for (int k = 0; k < 3; k++) {
        atA[k] = lanes::toFloats(a[k] + fs * s[k] + ft * t[k]);
        atB[k] = lanes::toFloats(b[k] + fs * s[k] + ft * t[k]);
    }
    QuadCorners corners;
    faceCorners(atA[0], atB[0], corners.x);
    faceCorners(atA[1], atB[1], corners.y);
    faceCorners(atA[2], atB[2], corners.z);
    // Each corner's distance to the light is taken once, for both faces that share it.
    const Doubles lengthA = lightDistance(lanes::toDoubles(atA[0]), lanes::toDoubles(atA[1]), lanes::toDoubles(atA[2]));
    const Doubles lengthB = lightDistance(lanes::toDoubles(atB[0]), lanes::toDoubles(atB[1]), lanes::toDoubles(atB[2]));
    Doubles lightLength[4];
    faceCorners(lengthA, lengthB, lightLength);
    shadeCorners(corners, lightLength, color, faces);
}

// The cross-section vectors s and t of four beams side by side, lane j beam j, from their ends a
// and b; inUse has bit j set for each lane that holds a beam. Each beam that can be oriented draws
// its generator value, in lane order. Gives the beams to draw, bit j for lane j.
LANES_INLINE unsigned crossSections(const Doubles a[3], const Doubles b[3], unsigned inUse, float halfWidth,
                                    Doubles s[3], Doubles t[3])
{
    const Mask finite = lanes::isFinite(a[0]) & lanes::isFinite(a[1]) & lanes::isFinite(a[2]) &
                        lanes::isFinite(b[0]) & lanes::isFinite(b[1]) & lanes::isFinite(b[2]);
    const Doubles dx = b[0] - a[0], dy = b[1] - a[1], dz = b[2] - a[2];

    // |r·dx + rest| is largest at an end of 0..RandomMax; if it is too small at both, no value
    // of the generator can orient the beam (every zero-length segment is among these).
    const Doubles rest = double(ProbeY) * dy + double(ProbeZ) * dz;
    const Mask hopeless = lanes::less(lanes::abs(rest), lanes::splat(ProbeThreshold)) &
                          lanes::less(lanes::abs(double(RandomMax) * dx + rest), lanes::splat(ProbeThreshold));
    const unsigned oriented = inUse & lanes::bits(finite & ~hopeless);
    double probeX[4] = {};
#pragma GCC unroll 4
    for (int j = 0; j < 4; j++)
        if (oriented & (1u << j))
            probeX[j] = lanes::roundToFloat(probeValue(dx[j], rest[j]));
    const Doubles rx = lanes::make(probeX[0], probeX[1], probeX[2], probeX[3]);

    // s = d × (r, ProbeY, ProbeZ), scaled to L1 norm 1.
    Doubles sx = dy * double(ProbeZ) - dz * double(ProbeY);
    Doubles sy = dz * rx - dx * double(ProbeZ);
    Doubles sz = dx * double(ProbeY) - dy * rx;
    const Doubles sNorm = lanes::abs(sx) + lanes::abs(sy) + lanes::abs(sz);
    // A probe parallel to the segment leaves s without a direction.
    unsigned drawn = oriented & lanes::bits(lanes::greater(sNorm, lanes::splat(0)) & lanes::isFinite(sNorm));
    const Doubles inverse = 1.0 / sNorm;
    sx = inverse * sx;
    sy = inverse * sy;
    sz = inverse * sz;
    // t = d × s, scaled to L1 norm halfWidth; then s to halfWidth too.
    const Doubles tx = dy * sz - dz * sy;
    const Doubles ty = dz * sx - dx * sz;
    const Doubles tz = dx * sy - dy * sx;
    const Doubles tNorm = lanes::abs(tx) + lanes::abs(ty) + lanes::abs(tz);
    drawn &= lanes::bits(lanes::greater(tNorm, lanes::splat(0)) & lanes::isFinite(tNorm));
    const Doubles scale = double(halfWidth) / tNorm;
    t[0] = scale * tx;
    t[1] = scale * ty;
    t[2] = scale * tz;
    s[0] = double(halfWidth) * sx;
    s[1] = double(halfWidth) * sy;
    s[2] = double(halfWidth) * sz;
    return drawn;
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

LANES_DISPATCH
void shadeQuads(const QuadCorners& corners, const Doubles lightLength[4], const float color[3], ShadedQuads& quads)
{
    shadeCorners(corners, lightLength, color, quads);
}

LANES_DISPATCH
void measureLight(PointLanes& points)
{
    points.lightDistance = lightDistance(lanes::toDoubles(points.x), lanes::toDoubles(points.y), lanes::toDoubles(points.z));
}

void outlineQuads(const ShadedQuads& quads, int count)
{
    // Corners in the order c0, c2, c3, c1, written out and unrolled: each row's address is then a
    // constant offset from the quads'.
#pragma GCC unroll 4
    for (int q = 0; q < QuadLanes; q++) {
        if (q >= count)
            break;
        glBegin(GL_POLYGON);
        glColor3fv(quads.colors[0][q]);
        glVertex3fv(quads.corners[0][q]);
        glColor3fv(quads.colors[2][q]);
        glVertex3fv(quads.corners[2][q]);
        glColor3fv(quads.colors[3][q]);
        glVertex3fv(quads.corners[3][q]);
        glColor3fv(quads.colors[1][q]);
        glVertex3fv(quads.corners[1][q]);
        glEnd();
    }
}

void drawShadedQuad(const float corners[4][3], const float color[3])
{
    QuadCorners quad;  // the quad in every lane
    lanes::Doubles lightLength[4];
    for (int i = 0; i < 4; i++) {
        const float* c = corners[i];
        PointLanes corner = {{c[0], c[0], c[0], c[0]}, {c[1], c[1], c[1], c[1]}, {c[2], c[2], c[2], c[2]}, {}};
        measureLight(corner);
        quad.x[i] = corner.x;
        quad.y[i] = corner.y;
        quad.z[i] = corner.z;
        lightLength[i] = corner.lightDistance;
    }
    ShadedQuads quads;
    shadeQuads(quad, lightLength, color, quads);
    outlineQuads(quads, 1);
}

void drawBeam(float ax, float ay, float az, float bx, float by, float bz, float halfWidth,
              const float color[3])
{
    const float ends[1][2][3] = {{{ax, ay, az}, {bx, by, bz}}};
    drawBeams(1, ends, halfWidth, color);
}

LANES_DISPATCH
void drawBeams(int count, const float (*ends)[2][3], float halfWidth, const float color[3])
{
    for (int first = 0; first < count; first += BeamBatch) {
        const int batch = count - first < BeamBatch ? count - first : BeamBatch;
        ShadedQuads beams[BeamBatch];
        int shaded = 0;
        for (int j = 0; j < batch; j += 4) {
            // Four beams side by side; lanes past the batch repeat its last beam and are not in use.
            const int left = batch - j;
            const unsigned inUse = left >= 4 ? 0xFu : (1u << left) - 1;
            const float(*beam[4])[3];
            for (int l = 0; l < 4; l++)
                beam[l] = ends[first + j + (l < left ? l : left - 1)];
            Doubles a[3], b[3], s[3], t[3];
            for (int k = 0; k < 3; k++) {
                a[k] = lanes::make(beam[0][0][k], beam[1][0][k], beam[2][0][k], beam[3][0][k]);
                b[k] = lanes::make(beam[0][1][k], beam[1][1][k], beam[2][1][k], beam[3][1][k]);
            }
            const unsigned drawn = crossSections(a, b, inUse, halfWidth, s, t);
            for (int l = 0; l < 4; l++) {
                if (!(drawn & (1u << l)))
                    continue;
                const double beamA[3] = {a[0][l], a[1][l], a[2][l]};
                const double beamB[3] = {b[0][l], b[1][l], b[2][l]};
                const double beamS[3] = {s[0][l], s[1][l], s[2][l]};
                const double beamT[3] = {t[0][l], t[1][l], t[2][l]};
                shadeBeam(beamA, beamB, beamS, beamT, color, beams[shaded++]);
            }
        }
        for (int j = 0; j < shaded; j++)
            outlineQuads(beams[j], QuadLanes);
    }
}

}  // namespace gaugeplot3d
