// The cottage: a 7 x 7 half-timbered house, 3.4 high at the eaves and 6 at
// the ridge, centred on its origin, door on the -x gable, thatched roof.
#include "content_generator.h"
#include "cottage.h"

#include <algorithm>
#include <cmath>

namespace {

struct Point {
    float x, y, z;
};

struct Uv {
    float s, t;
};

Uv regionUv(const CottageRegion& r, float u, float v)   // v = 0 at the region's top
{
    const float inset = 0.5f;
    float px = float(r.x) + inset + std::clamp(u, 0.0f, 1.0f) * (float(r.w) - 2 * inset);
    float py = float(r.y) + inset + std::clamp(v, 0.0f, 1.0f) * (float(r.h) - 2 * inset);
    return {px / float(CottageTextureSize), 1.0f - py / float(CottageTextureSize)};
}

// One triangle facing `normal`, wound counter-clockwise from that side.
void face(Mesh& m, Point a, Point b, Point c, Uv ua, Uv ub, Uv uc, Point normal)
{
    float e1[3] = {b.x - a.x, b.y - a.y, b.z - a.z}, e2[3] = {c.x - a.x, c.y - a.y, c.z - a.z};
    float f[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
    if (f[0] * normal.x + f[1] * normal.y + f[2] * normal.z < 0) {
        std::swap(b, c);
        std::swap(ub, uc);
    }
    float n[3] = {normal.x, normal.y, normal.z};
    for (auto [p, uv] : {std::pair{a, ua}, std::pair{b, ub}, std::pair{c, uc}}) {
        float pos[3] = {p.x, p.y, p.z};
        m.vertex(pos, n, uv.s, uv.t);
    }
}

// A quad given by its corners in order round the edge, textured with the
// whole region: corner 0 at the region's bottom left, 2 at its top right.
void quad(Mesh& m, Point p0, Point p1, Point p2, Point p3, const CottageRegion& r, Point normal,
          float u0 = 0, float u1 = 1, float v0 = 0, float v1 = 1)
{
    Uv a = regionUv(r, u0, v1), b = regionUv(r, u1, v1), c = regionUv(r, u1, v0), d = regionUv(r, u0, v0);
    face(m, p0, p1, p2, a, b, c, normal);
    face(m, p0, p2, p3, a, c, d, normal);
}

constexpr float Half = 3.5f;
constexpr float Eaves = 3.4f;
constexpr float Ridge = 6.0f;
constexpr int Panels = 5;

// A wall along one side: `along` runs from corner a to corner b on the
// ground, panels textured one by one; `special` picks a panel per index.
void wall(Mesh& m, Point a, Point b, Point normal, const CottageRegion* (*panelFor)(int))
{
    for (int i = 0; i < Panels; ++i) {
        float t0 = float(i) / Panels, t1 = float(i + 1) / Panels;
        Point p0 = {a.x + (b.x - a.x) * t0, 0, a.z + (b.z - a.z) * t0};
        Point p1 = {a.x + (b.x - a.x) * t1, 0, a.z + (b.z - a.z) * t1};
        Point p2 = {p1.x, Eaves, p1.z}, p3 = {p0.x, Eaves, p0.z};
        quad(m, p0, p1, p2, p3, *panelFor(i), normal);
    }
}

const CottageRegion* frontPanel(int i)
{
    return i == 2 ? &DoorPanel : i == 0 || i == 4 ? &PlasterPanel : &WindowPanel;
}

const CottageRegion* sidePanel(int i)
{
    return i == 1 || i == 3 ? &WindowPanel : &PlasterPanel;
}

const CottageRegion* backPanel(int i)
{
    return i == 2 ? &WindowPanel : &PlasterPanel;
}

// The triangle of wall under the roof at one gable end.
void gable(Mesh& m, float x, Point normal)
{
    for (int i = 0; i < Panels; ++i) {
        float z0 = -Half + 2 * Half * float(i) / Panels, z1 = -Half + 2 * Half * float(i + 1) / Panels;
        auto roofAt = [](float z) { return Eaves + (Ridge - Eaves) * (1 - std::fabs(z) / Half); };
        float y0 = roofAt(z0), y1 = roofAt(z1);
        float span = Ridge - Eaves;
        Point p0 = {x, Eaves, z0}, p1 = {x, Eaves, z1}, p2 = {x, y1, z1}, p3 = {x, y0, z0};
        Uv a = regionUv(PlasterPanel, 0, 1), b = regionUv(PlasterPanel, 1, 1);
        Uv c = regionUv(PlasterPanel, 1, 1 - (y1 - Eaves) / span), d = regionUv(PlasterPanel, 0, 1 - (y0 - Eaves) / span);
        face(m, p0, p1, p2, a, b, c, normal);
        face(m, p0, p2, p3, a, c, d, normal);
    }
}

void box(Mesh& m, Point lo, Point hi, const CottageRegion& r)
{
    quad(m, {lo.x, lo.y, lo.z}, {lo.x, lo.y, hi.z}, {lo.x, hi.y, hi.z}, {lo.x, hi.y, lo.z}, r, {-1, 0, 0});
    quad(m, {hi.x, lo.y, lo.z}, {hi.x, lo.y, hi.z}, {hi.x, hi.y, hi.z}, {hi.x, hi.y, lo.z}, r, {1, 0, 0});
    quad(m, {lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, hi.y, lo.z}, {lo.x, hi.y, lo.z}, r, {0, 0, -1});
    quad(m, {lo.x, lo.y, hi.z}, {hi.x, lo.y, hi.z}, {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z}, r, {0, 0, 1});
    quad(m, {lo.x, hi.y, lo.z}, {hi.x, hi.y, lo.z}, {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z}, r, {0, 1, 0}, 0, 1, 0, 0.2f);
}

Mesh cottageMesh()
{
    Mesh m;
    m.name = "Cottage";
    wall(m, {-Half, 0, -Half}, {-Half, 0, Half}, {-1, 0, 0}, frontPanel);
    wall(m, {Half, 0, Half}, {Half, 0, -Half}, {1, 0, 0}, backPanel);
    wall(m, {Half, 0, -Half}, {-Half, 0, -Half}, {0, 0, -1}, sidePanel);
    wall(m, {-Half, 0, Half}, {Half, 0, Half}, {0, 0, 1}, sidePanel);
    gable(m, -Half, {-1, 0, 0});
    gable(m, Half, {1, 0, 0});

    // Thatch: two slopes with a little overhang, seen from above and below.
    const float over = 0.3f, eaveY = Eaves - over * (Ridge - Eaves) / Half;
    const float x0 = -Half - over, x1 = Half + over, edge = Half + over;
    float slope = std::atan2(Ridge - Eaves, Half);
    for (int side : {-1, 1}) {
        Point up = {0, std::cos(slope), float(side) * std::sin(slope)};
        Point down = {0, -up.y, -up.z};
        const int tilesX = 4, tilesUp = 2;
        for (int i = 0; i < tilesX; ++i)
            for (int j = 0; j < tilesUp; ++j) {
                float xa = x0 + (x1 - x0) * float(i) / tilesX, xb = x0 + (x1 - x0) * float(i + 1) / tilesX;
                float fa = float(j) / tilesUp, fb = float(j + 1) / tilesUp;
                float za = float(side) * edge * (1 - fa), zb = float(side) * edge * (1 - fb);
                float ya = eaveY + (Ridge - eaveY) * fa, yb = eaveY + (Ridge - eaveY) * fb;
                quad(m, {xa, ya, za}, {xb, ya, za}, {xb, yb, zb}, {xa, yb, zb}, Thatch, up);
                quad(m, {xa, ya, za}, {xb, ya, za}, {xb, yb, zb}, {xa, yb, zb}, Timber, down, 0, 1, 0.8f, 1);
            }
        // The thatch's thick lower edge.
        quad(m, {x0, eaveY - 0.25f, float(side) * edge}, {x1, eaveY - 0.25f, float(side) * edge}, {x1, eaveY, float(side) * edge},
             {x0, eaveY, float(side) * edge}, Thatch, {0, 0, float(side)}, 0, 1, 0.85f, 1);
    }
    // Ridge beam, corner posts and a stone chimney.
    box(m, {x0, Ridge - 0.12f, -0.15f}, {x1, Ridge + 0.12f, 0.15f}, Timber);
    for (float cx : {-Half, Half})
        for (float cz : {-Half, Half})
            box(m, {cx - 0.12f, 0, cz - 0.12f}, {cx + 0.12f, Eaves, cz + 0.12f}, Timber);
    box(m, {1.6f, 3.5f, 1.0f}, {2.4f, 6.4f, 1.8f}, StoneWall);
    // A low stone footing all round.
    for (int s = 0; s < 4; ++s) {
        float a = -Half - 0.08f, b = Half + 0.08f;
        Point lo = s == 0 ? Point{a, 0, a} : s == 1 ? Point{b - 0.16f, 0, a} : s == 2 ? Point{a, 0, a} : Point{a, 0, b - 0.16f};
        Point hi = s == 0 ? Point{a + 0.16f, 0.4f, b} : s == 1 ? Point{b, 0.4f, b} : s == 2 ? Point{b, 0.4f, a + 0.16f} : Point{b, 0.4f, b};
        box(m, lo, hi, StoneWall);
    }
    return m;
}

}

bool writeCottage(const std::string& root)
{
    return writeContentFile(root, "Data/Objects/Cottage.mub", encodeMesh(cottageMesh()));
}
