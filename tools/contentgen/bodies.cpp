// The five bodies (rigid parts, one mesh each) and their 28 animations. The
// joint hierarchy lives only here: every frame is written as each part's full
// transform in the character's own frame (feet on y = 0, up +y, facing -x).
#include "body_parts.h"
#include "content_generator.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

const SkinRegion SkinAreas[SkinAreaCount] = {
    {0, 0, 128, 64},     // head
    {0, 64, 128, 80},    // torso
    {0, 144, 128, 48},   // pelvis (and skirt)
    {128, 0, 64, 64},    // upper arm
    {192, 0, 64, 64},    // lower arm
    {128, 64, 64, 32},   // hand
    {128, 96, 64, 64},   // thigh
    {192, 96, 64, 64},   // shin
    {128, 160, 64, 32},  // foot
    {192, 160, 64, 32},  // gold
    {192, 192, 64, 32},  // ivory
    {192, 224, 64, 32},  // gear
};

namespace {

constexpr float Pi = 3.14159265f;
constexpr float Degree = Pi / 180.0f;

// ---- matrices (column-major, as glMultMatrixf takes them) ----

Matrix identity()
{
    return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}

Matrix multiply(const Matrix& a, const Matrix& b)
{
    Matrix r{};
    for (int c = 0; c < 4; ++c)
        for (int row = 0; row < 4; ++row) {
            float s = 0;
            for (int k = 0; k < 4; ++k)
                s += a[k * 4 + row] * b[c * 4 + k];
            r[c * 4 + row] = s;
        }
    return r;
}

Matrix translate(float x, float y, float z)
{
    Matrix m = identity();
    m[12] = x;
    m[13] = y;
    m[14] = z;
    return m;
}

Matrix rotateX(float degrees)
{
    float c = std::cos(degrees * Degree), s = std::sin(degrees * Degree);
    Matrix m = identity();
    m[5] = c;
    m[6] = s;
    m[9] = -s;
    m[10] = c;
    return m;
}

Matrix rotateY(float degrees)
{
    float c = std::cos(degrees * Degree), s = std::sin(degrees * Degree);
    Matrix m = identity();
    m[0] = c;
    m[2] = -s;
    m[8] = s;
    m[10] = c;
    return m;
}

Matrix rotateZ(float degrees)
{
    float c = std::cos(degrees * Degree), s = std::sin(degrees * Degree);
    Matrix m = identity();
    m[0] = c;
    m[1] = s;
    m[4] = -s;
    m[5] = c;
    return m;
}

void transformPoint(const Matrix& m, const float in[3], float out[3], float w)
{
    for (int r = 0; r < 3; ++r)
        out[r] = m[r] * in[0] + m[4 + r] * in[1] + m[8 + r] * in[2] + m[12 + r] * w;
}

// ---- part meshes ----

struct Ring {
    float y, rx, rz;
};

void normalise(float v[3])
{
    float l = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (l > 1e-6f)
        for (int i = 0; i < 3; ++i)
            v[i] /= l;
}

struct Corner {
    float p[3], n[3], s, t;
};

// Appends a triangle wound counter-clockwise as seen from the side its
// normals face, so back-face culling keeps the outside.
void triangle(Mesh& mesh, Corner a, Corner b, Corner c)
{
    float e1[3] = {b.p[0] - a.p[0], b.p[1] - a.p[1], b.p[2] - a.p[2]};
    float e2[3] = {c.p[0] - a.p[0], c.p[1] - a.p[1], c.p[2] - a.p[2]};
    float f[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
    float n[3] = {a.n[0] + b.n[0] + c.n[0], a.n[1] + b.n[1] + c.n[1], a.n[2] + b.n[2] + c.n[2]};
    float area = f[0] * f[0] + f[1] * f[1] + f[2] * f[2];
    if (area < 1e-12f)
        return;
    if (f[0] * n[0] + f[1] * n[1] + f[2] * n[2] < 0)
        std::swap(b, c);
    for (const Corner* k : {&a, &b, &c})
        mesh.vertex(k->p, k->n, k->s, k->t);
}

float texS(const SkinRegion& r, float u)
{
    return (float(r.x) + u * float(r.w)) / float(SkinSize);
}

float texT(const SkinRegion& r, float v)   // v = 0 at the region's top edge
{
    return 1.0f - (float(r.y) + v * float(r.h)) / float(SkinSize);
}

// A lathed body round the y axis through (cx, cz): rings from bottom to top,
// the texture wrapped round the region with the front (-x) in its middle.
// `place` moves the finished shape (used for tusks, ears and weapons).
void lathe(Mesh& mesh, SkinArea area, const std::vector<Ring>& rings, int sides, float cx, float cz,
           bool capBottom = true, bool capTop = true)
{
    const SkinRegion& region = SkinAreas[area];
    const float inset = 1.0f / float(region.w);
    float y0 = rings.front().y, y1 = rings.back().y;
    float offset = sides == 4 ? Pi / 4 : Pi / float(sides);
    auto corner = [&](size_t i, int k) {
        const Ring& r = rings[i];
        float phi = -Pi + offset + 2 * Pi * float(k) / float(sides);
        float c = std::cos(phi), s = std::sin(phi);
        float widen = sides == 4 ? std::sqrt(2.0f) : 1.0f;
        Corner out;
        out.p[0] = cx - r.rx * widen * c;
        out.p[1] = r.y;
        out.p[2] = cz + r.rz * widen * s;
        const Ring& below = rings[i > 0 ? i - 1 : i];
        const Ring& above = rings[i + 1 < rings.size() ? i + 1 : i];
        float dy = std::max(above.y - below.y, 1e-4f);
        float dr = ((above.rx + above.rz) - (below.rx + below.rz)) * 0.5f;
        float n[3] = {-c / std::max(r.rx, 1e-3f), 0, s / std::max(r.rz, 1e-3f)};
        normalise(n);
        n[1] = -dr / dy;
        normalise(n);
        std::copy(n, n + 3, out.n);
        float u = (phi + Pi) / (2 * Pi);
        out.s = texS(region, std::clamp(u, inset, 1 - inset));
        out.t = texT(region, std::clamp((y1 - r.y) / std::max(y1 - y0, 1e-4f), 0.02f, 0.98f));
        return out;
    };
    for (size_t i = 0; i + 1 < rings.size(); ++i)
        for (int k = 0; k < sides; ++k) {
            Corner a = corner(i, k), b = corner(i, k + 1), c = corner(i + 1, k + 1), d = corner(i + 1, k);
            triangle(mesh, a, b, c);
            triangle(mesh, a, c, d);
        }
    auto cap = [&](size_t i, float ny) {
        if (rings[i].rx <= 0.0f && rings[i].rz <= 0.0f)
            return;
        Corner centre = corner(i, 0);
        centre.p[0] = cx;
        centre.p[2] = cz;
        centre.n[0] = 0;
        centre.n[1] = ny;
        centre.n[2] = 0;
        centre.s = texS(region, 0.5f);
        for (int k = 0; k < sides; ++k) {
            Corner a = corner(i, k), b = corner(i, k + 1);
            a.n[0] = b.n[0] = 0;
            a.n[1] = b.n[1] = ny;
            a.n[2] = b.n[2] = 0;
            triangle(mesh, centre, a, b);
        }
    };
    if (capBottom)
        cap(0, -1.0f);
    if (capTop)
        cap(rings.size() - 1, 1.0f);
}

// Moves the vertices appended since `first` by a placement matrix.
void placeFrom(Mesh& mesh, size_t first, const Matrix& place)
{
    for (size_t v = first; v < mesh.vertexCount(); ++v) {
        float p[3], n[3];
        transformPoint(place, &mesh.positions[v * 3], p, 1.0f);
        transformPoint(place, &mesh.normals[v * 3], n, 0.0f);
        normalise(n);
        std::copy(p, p + 3, &mesh.positions[v * 3]);
        std::copy(n, n + 3, &mesh.normals[v * 3]);
    }
}

// A pointed spike (tusk, ear, crown point) from base centre along a
// direction given as two angles: tilt from +y about z, then turn about y.
void spike(Mesh& mesh, SkinArea area, float x, float y, float z, float length, float radius, float tiltZ,
           float turnY, float flatten = 1.0f)
{
    size_t first = mesh.vertexCount();
    lathe(mesh, area, {{0, radius, radius * flatten}, {length * 0.6f, radius * 0.6f, radius * 0.6f * flatten}, {length, 0, 0}}, 6, 0, 0);
    placeFrom(mesh, first, multiply(translate(x, y, z), multiply(rotateY(turnY), rotateZ(tiltZ))));
}

// ---- bodies ----

enum Extras : int {
    ExtraNone = 0,
    ExtraCrown = 1,
    ExtraTusks = 2,
    ExtraEars = 4,
    ExtraClub = 8,
    ExtraDagger = 16,
    ExtraSkirt = 32,
    ExtraHairBun = 64,
};

struct BodyPlan {
    const char* file;
    // joints
    float pelvisUp, neckY, shoulderY, shoulderZ;
    float upperArm, lowerArm;
    float hipZ, thigh, shin, ankle;
    // girths
    float waist[2], chest[2], shoulders[2];
    float pelvis[2];
    float head[3];   // depth, height, width
    float arm, leg, hand, foot;   // thickness multipliers
    int extras;

    float hipHeight() const { return thigh + shin + ankle; }
};

const BodyPlan MaleBody = {
    "Data/Bones/MaleBones.mub",
    0.10f, 0.90f, 0.80f, 0.38f, 0.60f, 0.55f, 0.16f, 0.75f, 0.73f, 0.12f,
    {0.17f, 0.26f}, {0.21f, 0.32f}, {0.19f, 0.36f}, {0.18f, 0.28f},
    {0.42f, 0.50f, 0.38f}, 1.0f, 1.0f, 1.0f, 1.0f, ExtraNone};

const BodyPlan FemaleBody = {
    "Data/Bones/FemaleBones.mub",
    0.08f, 0.84f, 0.74f, 0.33f, 0.56f, 0.50f, 0.15f, 0.72f, 0.70f, 0.11f,
    {0.14f, 0.21f}, {0.21f, 0.28f}, {0.16f, 0.31f}, {0.19f, 0.30f},
    {0.40f, 0.48f, 0.36f}, 0.85f, 0.9f, 0.9f, 0.9f, ExtraSkirt | ExtraHairBun};

// The zombie king plays the male set, so its joints are the male's; only the
// parts are heavier, and the crown makes it tower over the villagers.
const BodyPlan ZombieKingBody = {
    "Data/Bones/ZombieKingBones.mub",
    0.10f, 0.90f, 0.80f, 0.38f, 0.60f, 0.55f, 0.16f, 0.75f, 0.73f, 0.12f,
    {0.25f, 0.36f}, {0.30f, 0.44f}, {0.27f, 0.46f}, {0.26f, 0.38f},
    {0.50f, 0.60f, 0.44f}, 1.45f, 1.4f, 1.4f, 1.25f, ExtraCrown};

const BodyPlan OrcBody = {
    "Data/Bones/OrcBones.mub",
    0.12f, 0.98f, 0.82f, 0.55f, 0.70f, 0.65f, 0.22f, 0.70f, 0.65f, 0.14f,
    {0.26f, 0.40f}, {0.32f, 0.50f}, {0.28f, 0.56f}, {0.26f, 0.40f},
    {0.50f, 0.52f, 0.46f}, 1.6f, 1.5f, 1.5f, 1.3f, ExtraTusks | ExtraClub};

const BodyPlan GoblinBody = {
    "Data/Bones/GoblinBones.mub",
    0.06f, 0.50f, 0.44f, 0.22f, 0.40f, 0.38f, 0.11f, 0.40f, 0.38f, 0.08f,
    {0.13f, 0.17f}, {0.15f, 0.20f}, {0.13f, 0.22f}, {0.13f, 0.18f},
    {0.46f, 0.55f, 0.42f}, 0.6f, 0.6f, 0.8f, 0.8f, ExtraEars | ExtraDagger};

Mesh pelvisMesh(const BodyPlan& b)
{
    Mesh m;
    m.name = "Pelvis";
    float rx = b.pelvis[0], rz = b.pelvis[1];
    if (b.extras & ExtraSkirt) {
        float hem = -(b.thigh * 0.8f);
        lathe(m, AreaPelvis, {{hem, rx * 1.9f, rz * 1.5f}, {hem * 0.5f, rx * 1.45f, rz * 1.25f}, {0, rx * 1.1f, rz * 1.05f},
                              {b.pelvisUp + 0.05f, b.waist[0], b.waist[1]}}, 10, 0, 0);
    } else {
        lathe(m, AreaPelvis, {{-0.16f, rx * 0.85f, rz * 0.9f}, {-0.05f, rx, rz}, {b.pelvisUp + 0.05f, b.waist[0], b.waist[1]}}, 8, 0, 0);
    }
    return m;
}

Mesh torsoMesh(const BodyPlan& b)
{
    Mesh m;
    m.name = "Torso";
    float n = b.neckY;
    lathe(m, AreaTorso, {{-0.02f, b.waist[0], b.waist[1]}, {n * 0.35f, b.waist[0] * 1.05f, b.waist[1] * 1.05f},
                         {n * 0.62f, b.chest[0], b.chest[1]}, {n * 0.86f, b.shoulders[0], b.shoulders[1]},
                         {n * 0.97f, b.shoulders[0] * 0.6f, b.shoulders[1] * 0.55f}, {n + 0.02f, 0.09f, 0.09f}}, 8, 0, 0);
    return m;
}

Mesh headMesh(const BodyPlan& b)
{
    Mesh m;
    m.name = "Head";
    float d = b.head[0] * 0.5f, h = b.head[1], w = b.head[2] * 0.5f;
    float neck = std::min(d, w) * 0.45f;
    lathe(m, AreaHead, {{-0.02f, neck, neck}, {h * 0.14f, neck * 1.05f, neck * 1.05f}, {h * 0.22f, d * 0.82f, w * 0.72f},
                        {h * 0.42f, d * 0.97f, w * 0.93f}, {h * 0.66f, d, w}, {h * 0.86f, d * 0.85f, w * 0.85f},
                        {h, d * 0.45f, w * 0.45f}}, 10, 0, 0);
    // The nose: a small wedge on the face.
    spike(m, AreaHand, -d * 0.9f, h * 0.44f, 0, d * 0.35f, d * 0.14f, 90, 0);
    if (b.extras & ExtraCrown) {
        float cy = h * 0.80f, r = std::max(d, w) * 1.02f;
        lathe(m, AreaGold, {{cy, r * 0.95f, r * 0.95f}, {cy + h * 0.18f, r, r}}, 10, 0, 0, false, false);
        for (int i = 0; i < 6; ++i) {
            float a = float(i) * 60.0f;
            float x = -std::cos(a * Degree) * r * 0.9f, z = std::sin(a * Degree) * r * 0.9f;
            spike(m, AreaGold, x, cy + h * 0.16f, z, h * 0.22f, h * 0.06f, 0, 0);
        }
    }
    if (b.extras & ExtraTusks) {
        spike(m, AreaIvory, -d * 0.75f, h * 0.2f, w * 0.45f, h * 0.32f, h * 0.06f, 20, 0);
        spike(m, AreaIvory, -d * 0.75f, h * 0.2f, -w * 0.45f, h * 0.32f, h * 0.06f, 20, 0);
    }
    if (b.extras & ExtraEars) {
        size_t first = m.vertexCount();
        lathe(m, AreaGear, {{0, h * 0.12f, h * 0.12f * 0.35f}, {w * 0.8f, h * 0.07f, h * 0.04f}, {w * 1.3f, 0, 0}}, 6, 0, 0);
        placeFrom(m, first, multiply(translate(0.02f, h * 0.58f, w * 0.8f), rotateX(70)));
        first = m.vertexCount();
        lathe(m, AreaGear, {{0, h * 0.12f, h * 0.12f * 0.35f}, {w * 0.8f, h * 0.07f, h * 0.04f}, {w * 1.3f, 0, 0}}, 6, 0, 0);
        placeFrom(m, first, multiply(translate(0.02f, h * 0.58f, -w * 0.8f), rotateX(-70)));
    }
    if (b.extras & ExtraHairBun)
        spike(m, AreaGear, d * 0.85f, h * 0.55f, 0, d * 0.45f, d * 0.32f, -95, 0);
    return m;
}

Mesh upperArmMesh(const BodyPlan& b, const char* name)
{
    Mesh m;
    m.name = name;
    float r = 0.095f * b.arm, l = b.upperArm;
    lathe(m, AreaUpperArm, {{-l - 0.02f, r * 0.75f, r * 0.75f}, {-l * 0.5f, r * 0.9f, r * 0.9f}, {-0.02f, r * 1.05f, r * 1.1f}, {0.08f, r * 0.7f, r * 0.8f}}, 8, 0, 0);
    return m;
}

Mesh lowerArmMesh(const BodyPlan& b, const char* name)
{
    Mesh m;
    m.name = name;
    float r = 0.08f * b.arm, l = b.lowerArm;
    lathe(m, AreaLowerArm, {{-l, r * 0.65f, r * 0.7f}, {-l * 0.6f, r * 0.9f, r * 0.9f}, {0.03f, r, r}}, 8, 0, 0);
    return m;
}

Mesh handMesh(const BodyPlan& b, const char* name, bool weaponHand)
{
    Mesh m;
    m.name = name;
    float s = b.hand;
    lathe(m, AreaHand, {{-0.2f * s, 0.04f * s, 0.06f * s}, {-0.1f * s, 0.06f * s, 0.08f * s}, {0.01f, 0.045f * s, 0.06f * s}}, 6, 0, 0);
    if (weaponHand && (b.extras & ExtraClub)) {
        size_t first = m.vertexCount();
        lathe(m, AreaGear, {{-0.25f, 0.05f, 0.05f}, {0.35f, 0.08f, 0.08f}, {0.75f, 0.14f, 0.14f}, {0.95f, 0.11f, 0.11f}}, 8, 0, 0);
        // Held in the fist, pointing forward out of the hand.
        placeFrom(m, first, multiply(translate(0, -0.12f * s, 0), rotateZ(100)));
    }
    if (weaponHand && (b.extras & ExtraDagger)) {
        size_t first = m.vertexCount();
        lathe(m, AreaIvory, {{0, 0.03f, 0.01f}, {0.28f, 0.025f, 0.008f}, {0.36f, 0, 0}}, 4, 0, 0);
        placeFrom(m, first, multiply(translate(0, -0.12f * s, 0), rotateZ(90)));
    }
    return m;
}

Mesh thighMesh(const BodyPlan& b, const char* name)
{
    Mesh m;
    m.name = name;
    float r = 0.13f * b.leg, l = b.thigh;
    lathe(m, AreaThigh, {{-l - 0.02f, r * 0.7f, r * 0.7f}, {-l * 0.45f, r * 0.95f, r * 0.95f}, {0.06f, r, r}}, 8, 0, 0);
    return m;
}

Mesh shinMesh(const BodyPlan& b, const char* name)
{
    Mesh m;
    m.name = name;
    float r = 0.095f * b.leg, l = b.shin;
    lathe(m, AreaShin, {{-l, r * 0.65f, r * 0.65f}, {-l * 0.35f, r * 0.95f, r * 0.9f}, {0.03f, r * 0.85f, r * 0.85f}}, 8, 0, 0);
    return m;
}

Mesh footMesh(const BodyPlan& b, const char* name)
{
    Mesh m;
    m.name = name;
    float s = b.foot;
    float a = b.ankle;
    float back = 0.09f * s, front = 0.30f * s;
    lathe(m, AreaFoot, {{-a, (front + back) * 0.5f, 0.085f * s}, {-a * 0.4f, (front + back) * 0.5f, 0.085f * s},
                        {0.04f, (front + back) * 0.3f, 0.07f * s}}, 4, -(front - back) * 0.5f, 0);
    return m;
}

std::vector<Mesh> bodyMeshes(const BodyPlan& b)
{
    std::vector<Mesh> parts;
    parts.push_back(pelvisMesh(b));
    parts.push_back(torsoMesh(b));
    parts.push_back(headMesh(b));
    parts.push_back(upperArmMesh(b, "UpperArmLeft"));
    parts.push_back(lowerArmMesh(b, "LowerArmLeft"));
    parts.push_back(handMesh(b, "HandLeft", false));
    parts.push_back(upperArmMesh(b, "UpperArmRight"));
    parts.push_back(lowerArmMesh(b, "LowerArmRight"));
    parts.push_back(handMesh(b, "HandRight", true));
    parts.push_back(thighMesh(b, "ThighLeft"));
    parts.push_back(shinMesh(b, "ShinLeft"));
    parts.push_back(footMesh(b, "FootLeft"));
    parts.push_back(thighMesh(b, "ThighRight"));
    parts.push_back(shinMesh(b, "ShinRight"));
    parts.push_back(footMesh(b, "FootRight"));
    return parts;
}

// ---- poses ----

// Joint angles in degrees. Arms and legs: `swing` raises the limb forward
// (toward -x), `out` spreads it sideways, `bend` folds the elbow forward or
// the knee backward. Root pitch leans the whole body forward.
struct Limb {
    float swing = 0, out = 0, bend = 0, end = 0;
};

struct Pose {
    float rootX = 0, rootY = 0, rootZ = 0;
    float rootPitch = 0, rootRoll = 0, rootYaw = 0;
    float spineBend = 0, spineTwist = 0, spineRoll = 0;
    float neck = 0, headTurn = 0;
    Limb arm[2];   // 0 left (+z), 1 right (-z)
    Limb leg[2];
};

Pose mix(const Pose& a, const Pose& b, float t)
{
    auto f = [t](float x, float y) { return x + (y - x) * t; };
    Pose r;
    r.rootX = f(a.rootX, b.rootX);
    r.rootY = f(a.rootY, b.rootY);
    r.rootZ = f(a.rootZ, b.rootZ);
    r.rootPitch = f(a.rootPitch, b.rootPitch);
    r.rootRoll = f(a.rootRoll, b.rootRoll);
    r.rootYaw = f(a.rootYaw, b.rootYaw);
    r.spineBend = f(a.spineBend, b.spineBend);
    r.spineTwist = f(a.spineTwist, b.spineTwist);
    r.spineRoll = f(a.spineRoll, b.spineRoll);
    r.neck = f(a.neck, b.neck);
    r.headTurn = f(a.headTurn, b.headTurn);
    for (int s = 0; s < 2; ++s) {
        r.arm[s] = {f(a.arm[s].swing, b.arm[s].swing), f(a.arm[s].out, b.arm[s].out), f(a.arm[s].bend, b.arm[s].bend), f(a.arm[s].end, b.arm[s].end)};
        r.leg[s] = {f(a.leg[s].swing, b.leg[s].swing), f(a.leg[s].out, b.leg[s].out), f(a.leg[s].bend, b.leg[s].bend), f(a.leg[s].end, b.leg[s].end)};
    }
    return r;
}

float ease(float t)
{
    t = std::clamp(t, 0.0f, 1.0f);
    return t * t * (3 - 2 * t);
}

std::vector<Matrix> partMatrices(const BodyPlan& b, const Pose& p)
{
    std::vector<Matrix> m(BodyPartCount);
    Matrix root = multiply(translate(p.rootX, p.rootY, p.rootZ),
                           multiply(rotateY(p.rootYaw), multiply(rotateZ(p.rootPitch), rotateX(p.rootRoll))));
    m[PartPelvis] = root;
    Matrix spine = multiply(root, multiply(translate(0, b.pelvisUp, 0),
                                           multiply(rotateZ(p.spineBend), multiply(rotateY(p.spineTwist), rotateX(p.spineRoll)))));
    m[PartTorso] = spine;
    m[PartHead] = multiply(spine, multiply(translate(0, b.neckY, 0), multiply(rotateZ(p.neck), rotateY(p.headTurn))));
    for (int s = 0; s < 2; ++s) {
        float side = s == 0 ? 1.0f : -1.0f;
        const Limb& a = p.arm[s];
        Matrix upper = multiply(spine, multiply(translate(0, b.shoulderY, side * b.shoulderZ),
                                                multiply(rotateZ(-a.swing), rotateX(-side * a.out))));
        Matrix lower = multiply(upper, multiply(translate(0, -b.upperArm, 0), rotateZ(-a.bend)));
        Matrix hand = multiply(lower, multiply(translate(0, -b.lowerArm, 0), rotateZ(-a.end)));
        int base = s == 0 ? PartUpperArmLeft : PartUpperArmRight;
        m[base] = upper;
        m[base + 1] = lower;
        m[base + 2] = hand;
        const Limb& l = p.leg[s];
        Matrix thigh = multiply(root, multiply(translate(0, 0, side * b.hipZ),
                                               multiply(rotateZ(-l.swing), rotateX(-side * l.out))));
        Matrix shin = multiply(thigh, multiply(translate(0, -b.thigh, 0), rotateZ(l.bend)));
        Matrix foot = multiply(shin, multiply(translate(0, -b.shin, 0), rotateZ(l.end)));
        int legBase = s == 0 ? PartThighLeft : PartThighRight;
        m[legBase] = thigh;
        m[legBase + 1] = shin;
        m[legBase + 2] = foot;
    }
    return m;
}

// Places a leg so that its ankle reaches (dx, dy) from the hip in the
// sagittal plane, knee forward, sole kept at the given pitch.
void reach(const BodyPlan& b, Limb& leg, float dx, float dy, float solePitch)
{
    float l1 = b.thigh, l2 = b.shin;
    float dist = std::sqrt(dx * dx + dy * dy);
    dist = std::clamp(dist, std::fabs(l1 - l2) + 0.01f, (l1 + l2) * 0.999f);
    float alpha = std::atan2(dx, -dy);
    float beta = std::acos(std::clamp((l1 * l1 + dist * dist - l2 * l2) / (2 * l1 * dist), -1.0f, 1.0f));
    float knee = Pi - std::acos(std::clamp((l1 * l1 + l2 * l2 - dist * dist) / (2 * l1 * l2), -1.0f, 1.0f));
    float thighAngle = alpha - beta;   // rotation about z of the thigh
    leg.swing = -thighAngle / Degree;
    leg.bend = knee / Degree;
    // The foot's own rotation undoes the thigh's and the knee's.
    leg.end = solePitch - (thighAngle / Degree + leg.bend);
}

Pose standing(const BodyPlan& b)
{
    Pose p;
    p.rootY = b.hipHeight();
    p.arm[0].out = p.arm[1].out = 6;
    p.arm[0].bend = p.arm[1].bend = 8;
    return p;
}

struct Gait {
    int frames;
    float stridePerFrame;   // model units the ground moves per frame
    float duty;             // share of the cycle a foot is planted
    float lift, bob, lean, armSwing, elbow;
};

// One looping walk cycle with planted feet: a planted foot moves back at
// the ground's speed, so at the playback speed the game uses it does not skate.
Pose gaitPose(const BodyPlan& b, const Gait& g, float t)
{
    Pose p = standing(b);
    float reachLimit = (b.thigh + b.shin) * 0.55f;
    float half = std::min(g.stridePerFrame * float(g.frames) * g.duty * 0.5f, reachLimit);
    // Lowest while a foot is planted, highest in the flight between steps.
    p.rootY = b.hipHeight() * 0.93f - g.bob * (0.5f + 0.5f * std::cos(4 * Pi * (t - g.duty * 0.5f)));
    p.spineBend = g.lean;
    float footX[2];
    for (int s = 0; s < 2; ++s) {
        float phase = std::fmod(t + (s == 0 ? 0.0f : 0.5f), 1.0f);
        float x, y = b.ankle, pitch = 0;
        if (phase < g.duty) {
            float u = phase / g.duty;
            x = -half + 2 * half * u;
        } else {
            float u = (phase - g.duty) / (1 - g.duty);
            x = half - 2 * half * ease(u);
            y += g.lift * std::sin(Pi * u);
            pitch = 20 * std::sin(Pi * u);
        }
        footX[s] = x;
        reach(b, p.leg[s], x - p.rootX, y - p.rootY, pitch);
    }
    for (int s = 0; s < 2; ++s) {
        float other = footX[1 - s] / std::max(half, 1e-3f);   // -1 forward .. 1 back
        p.arm[s].swing = -other * g.armSwing;
        p.arm[s].bend = g.elbow + std::max(0.0f, -other) * g.elbow * 0.5f;
        p.arm[s].out = 8;
    }
    p.spineTwist = (footX[0] - footX[1]) / std::max(half, 1e-3f) * 5.0f;
    return p;
}

std::vector<AnimationFrameData> framesOf(const BodyPlan& b, const std::vector<Pose>& poses, float fps)
{
    std::vector<AnimationFrameData> frames;
    for (size_t i = 0; i < poses.size(); ++i) {
        AnimationFrameData f;
        f.time = double(i) / double(fps);
        f.matrices = partMatrices(b, poses[i]);
        frames.push_back(std::move(f));
    }
    return frames;
}

std::vector<Pose> walkPoses(const BodyPlan& b, const Gait& g, bool afraid)
{
    std::vector<Pose> poses;
    for (int i = 0; i < g.frames; ++i) {
        float t = float(i) / float(g.frames);
        Pose p = gaitPose(b, g, t);
        if (afraid) {
            // Arms thrown up over the head, waving, head tossed back.
            for (int s = 0; s < 2; ++s) {
                float wave = std::sin(2 * Pi * (2 * t + 0.5f * float(s)));
                p.arm[s].swing = 150 + 15 * wave;
                p.arm[s].out = 35 + 10 * wave;
                p.arm[s].bend = 25 - 15 * wave;
            }
            p.neck = -18 + 6 * std::sin(4 * Pi * t);
            p.spineBend = -4;
        }
        poses.push_back(p);
    }
    return poses;
}

// A swing with the right arm: ready, wind up over the shoulder, strike that
// connects on frame 11, recover into the ready pose so the loop is seamless.
std::vector<Pose> attackPoses(const BodyPlan& b, int frames, float heft)
{
    Pose ready = standing(b);
    ready.rootY = b.hipHeight() - 0.08f;
    ready.spineBend = 6;
    ready.arm[1] = {35, 12, 70, 0};
    ready.arm[0] = {45, 10, 80, 0};
    Pose windup = ready;
    windup.spineTwist = 25;
    windup.spineBend = -6;
    windup.arm[1] = {165, 20, 60, 10};
    windup.arm[0] = {60, 15, 70, 0};
    windup.neck = -5;
    Pose strike = ready;
    strike.spineTwist = -20;
    strike.spineBend = 20 * heft;
    strike.rootY = b.hipHeight() - 0.14f;
    strike.arm[1] = {80, 5, 5, -10};
    strike.arm[0] = {20, 25, 60, 0};
    strike.neck = 8;
    std::vector<Pose> poses;
    for (int i = 0; i < frames; ++i) {
        Pose p;
        if (i <= 2)
            p = ready;
        else if (i <= 8)
            p = mix(ready, windup, ease(float(i - 2) / 6.0f));
        else if (i <= 11)
            p = mix(windup, strike, float(i - 8) / 3.0f);
        else
            p = mix(strike, ready, ease(float(i - 11) / float(frames - 11)));
        // Feet planted in a fighting stance, left foot forward.
        float hipY = p.rootY;
        reach(b, p.leg[0], -0.35f * b.thigh, b.ankle - hipY, 0);
        reach(b, p.leg[1], 0.35f * b.thigh, b.ankle - hipY, 0);
        poses.push_back(p);
    }
    return poses;
}

std::vector<Pose> idlePoses(const BodyPlan& b, int frames)
{
    std::vector<Pose> poses;
    for (int i = 0; i < frames; ++i) {
        float t = float(i) / float(frames);
        float breath = std::sin(2 * Pi * t);
        Pose p = standing(b);
        p.rootY = b.hipHeight() - 0.01f + 0.01f * breath;
        p.spineBend = -1.5f * breath;
        p.neck = 2 * breath;
        for (int s = 0; s < 2; ++s) {
            p.arm[s].out = 7 + 2.5f * breath;
            p.arm[s].swing = 3 + 2 * breath;
        }
        reach(b, p.leg[0], 0.02f, b.ankle - p.rootY, 0);
        reach(b, p.leg[1], -0.02f, b.ankle - p.rootY, 0);
        poses.push_back(p);
    }
    return poses;
}

// Falls backward and ends flat on the ground, holding still.
std::vector<Pose> diePoses(const BodyPlan& b, int frames)
{
    Pose start = standing(b);
    Pose buckle = start;
    buckle.rootY = b.hipHeight() * 0.8f;
    buckle.rootX = 0.1f;
    buckle.rootPitch = -15;
    buckle.spineBend = 15;
    buckle.neck = 20;
    buckle.arm[0] = {40, 30, 40, 0};
    buckle.arm[1] = {50, 35, 50, 0};
    buckle.leg[0] = {35, 5, 60, 0};
    buckle.leg[1] = {25, 5, 40, 0};
    Pose tumble = buckle;
    tumble.rootY = b.hipHeight() * 0.45f;
    tumble.rootX = 0.45f * b.hipHeight();
    tumble.rootPitch = -55;
    tumble.spineBend = -10;
    tumble.neck = -15;
    tumble.arm[0] = {110, 50, 20, 0};
    tumble.arm[1] = {100, 55, 20, 0};
    tumble.leg[0] = {55, 8, 50, 0};
    tumble.leg[1] = {40, 8, 30, 0};
    Pose lying;
    float thick = std::max(b.pelvis[0], b.chest[0]) * 0.95f;
    lying.rootY = thick;
    lying.rootX = 0.7f * b.hipHeight();
    lying.rootPitch = -90;
    lying.neck = -8;
    // Hands turned flat so whatever they hold lies on the ground too.
    lying.arm[0] = {8, 30, 10, -90};
    lying.arm[1] = {12, 25, 15, -90};
    lying.leg[0] = {4, 8, 6, 10};
    lying.leg[1] = {0, 12, 0, 5};
    std::vector<Pose> poses;
    int last = frames - 1;
    for (int i = 0; i < frames; ++i) {
        float t = float(i) / float(last);
        Pose p;
        if (t < 0.3f)
            p = mix(start, buckle, ease(t / 0.3f));
        else if (t < 0.6f)
            p = mix(buckle, tumble, (t - 0.3f) / 0.3f);
        else if (t < 0.85f)
            p = mix(tumble, lying, ease((t - 0.6f) / 0.25f));
        else
            p = lying;
        // A small bounce as the back hits the ground.
        if (t >= 0.85f && i < last)
            p.rootY += 0.04f * std::sin(Pi * (t - 0.85f) / 0.15f);
        poses.push_back(p);
    }
    return poses;
}

// Front crawl: body flat at the surface, arms circling in turn, legs kicking.
std::vector<Pose> swimPoses(const BodyPlan& b, int frames, float surface)
{
    std::vector<Pose> poses;
    for (int i = 0; i < frames; ++i) {
        float t = float(i) / float(frames);
        Pose p;
        p.rootY = surface;
        p.rootX = 0.2f * b.hipHeight();
        p.rootPitch = 84;
        p.rootRoll = 12 * std::sin(2 * Pi * t);
        p.neck = -40;
        for (int s = 0; s < 2; ++s) {
            float phase = t + 0.5f * float(s);
            p.arm[s].swing = 180 - 360 * phase;
            p.arm[s].out = 15;
            p.arm[s].bend = 15 + 20 * std::max(0.0f, std::sin(2 * Pi * phase));
            float kick = std::sin(2 * Pi * (2 * t + 0.5f * float(s)));
            p.leg[s] = {12 * kick, 6, 10 + 8 * kick, -60};
        }
        poses.push_back(p);
    }
    return poses;
}

// Treading water upright-ish and striking with the right arm on frame 11.
std::vector<Pose> swimAttackPoses(const BodyPlan& b, int frames, float surface)
{
    std::vector<Pose> swing = attackPoses(b, frames, 0.6f);
    std::vector<Pose> poses;
    for (int i = 0; i < frames; ++i) {
        float t = float(i) / float(frames);
        Pose p = swing[size_t(i)];
        p.rootY = surface - 0.4f * b.hipHeight();
        p.rootPitch = 35;
        p.rootX = 0.1f;
        p.neck = -20;
        for (int s = 0; s < 2; ++s) {
            float kick = std::sin(2 * Pi * (2 * t + 0.5f * float(s)));
            p.leg[s] = {20 + 20 * kick, 10, 30 - 15 * kick, -50};
        }
        poses.push_back(p);
    }
    return poses;
}

// Tumbling through the air: arms windmilling, legs pedalling.
std::vector<Pose> fallPoses(const BodyPlan& b, int frames)
{
    std::vector<Pose> poses;
    for (int i = 0; i < frames; ++i) {
        float t = float(i) / float(frames);
        Pose p = standing(b);
        p.rootPitch = -10 + 6 * std::sin(2 * Pi * t);
        p.spineBend = -8;
        p.neck = -15;
        for (int s = 0; s < 2; ++s) {
            float phase = 2 * Pi * (t + 0.5f * float(s));
            p.arm[s].swing = 110 + 55 * std::sin(phase);
            p.arm[s].out = 55 + 25 * std::cos(phase);
            p.arm[s].bend = 30 + 20 * std::cos(phase);
            p.leg[s].swing = 25 + 25 * std::sin(phase + Pi);
            p.leg[s].out = 12;
            p.leg[s].bend = 45 + 30 * std::cos(phase);
            p.leg[s].end = -20;
        }
        poses.push_back(p);
    }
    return poses;
}

bool writeAnimation(const std::string& root, const char* stem, const BodyPlan& b, const std::vector<Pose>& poses, float fps)
{
    std::string path = std::string("Data/Animations/") + stem + ".anim";
    return writeContentFile(root, path, encodeAnimation(framesOf(b, poses, fps)));
}

// Playback speeds and walking speeds the characters use, turned into the
// ground's travel per frame in model units (characters are drawn at 0.6).
float groundPerFrame(float worldSpeed, float drawScale, float framesPerSecond)
{
    return worldSpeed / (drawScale * framesPerSecond);
}

bool writeHumanSet(const std::string& root, const char* prefix, const BodyPlan& b)
{
    // Villagers run at 7 units a second, played at 30 frames a second.
    Gait run = {16, groundPerFrame(7.0f, 0.6f, 30.0f), 0.22f, 0.35f, 0.08f, 8, 40, 70};
    // The water surface lies about 2 units (3.3 model units) above a swimmer's feet.
    float surface = 3.1f;
    std::string p = prefix;
    bool ok = true;
    ok = writeAnimation(root, (p + "Walk").c_str(), b, walkPoses(b, run, false), 30) && ok;
    ok = writeAnimation(root, (p + "WalkAfraid").c_str(), b, walkPoses(b, run, true), 30) && ok;
    ok = writeAnimation(root, (p + "Attack").c_str(), b, attackPoses(b, 18, 1.0f), 40) && ok;
    ok = writeAnimation(root, (p + "Idle").c_str(), b, idlePoses(b, 6), 1) && ok;
    ok = writeAnimation(root, (p + "Die").c_str(), b, diePoses(b, 16), 20) && ok;
    ok = writeAnimation(root, (p + "Swim").c_str(), b, swimPoses(b, 12, surface), 10) && ok;
    ok = writeAnimation(root, (p + "SwimAttack").c_str(), b, swimAttackPoses(b, 18, surface), 40) && ok;
    ok = writeAnimation(root, (p + "Fall").c_str(), b, fallPoses(b, 12), 20) && ok;
    return ok;
}

bool writeBeastSet(const std::string& root, const char* prefix, const BodyPlan& b, const Gait& walk, float heft,
                   float surface)
{
    std::string p = prefix;
    bool ok = true;
    ok = writeAnimation(root, (p + "Walk").c_str(), b, walkPoses(b, walk, false), 20) && ok;
    ok = writeAnimation(root, (p + "Attack").c_str(), b, attackPoses(b, 18, heft), 20) && ok;
    ok = writeAnimation(root, (p + "Idle").c_str(), b, idlePoses(b, 6), 1) && ok;
    ok = writeAnimation(root, (p + "Die").c_str(), b, diePoses(b, 16), 10) && ok;
    ok = writeAnimation(root, (p + "Swim").c_str(), b, swimPoses(b, 12, surface), 10) && ok;
    ok = writeAnimation(root, (p + "Fall").c_str(), b, fallPoses(b, 12), 2) && ok;
    return ok;
}

}

bool writeBodies(const std::string& root)
{
    bool ok = true;
    for (const BodyPlan* b : {&MaleBody, &FemaleBody, &ZombieKingBody, &GoblinBody, &OrcBody})
        ok = writeContentFile(root, b->file, encodeBones(bodyMeshes(*b))) && ok;
    ok = writeHumanSet(root, "Male", MaleBody) && ok;
    ok = writeHumanSet(root, "Female", FemaleBody) && ok;
    // Orcs walk at 5.6 played at 20 frames a second, drawn at about 0.7 with
    // their strength; goblins walk at 3, drawn at 0.6.
    Gait orcWalk = {12, groundPerFrame(5.6f, 0.72f, 20.0f), 0.28f, 0.22f, 0.08f, 12, 30, 40};
    ok = writeBeastSet(root, "Orc", OrcBody, orcWalk, 1.4f, 2.8f) && ok;
    Gait goblinWalk = {10, groundPerFrame(3.0f, 0.6f, 20.0f), 0.30f, 0.16f, 0.06f, 10, 35, 50};
    ok = writeBeastSet(root, "Goblin", GoblinBody, goblinWalk, 1.0f, 3.2f) && ok;
    return ok;
}
