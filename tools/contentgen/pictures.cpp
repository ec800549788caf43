// Every picture of the texture table: ground, foliage, billboards, bark,
// fire, birds, the colour chart, the cottage, the skins and the loading
// screen. TGA pictures carry alpha and have power-of-two sides.
#include "content_generator.h"
#include "cottage.h"
#include "skins.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float Pi = 3.14159265f;

float clamp01(float v)
{
    return std::clamp(v, 0.0f, 1.0f);
}

void setPixel(Picture& pic, int x, int y, float r, float g, float b, float a = 1.0f)
{
    float* p = pic.at(x, y);
    p[0] = clamp01(r);
    p[1] = clamp01(g);
    p[2] = clamp01(b);
    p[3] = clamp01(a);
}

// Light, neutral ground detail that repeats seamlessly: the terrain's vertex
// colours give it its hue.
Picture paintGround()
{
    const int size = 256;
    Picture pic(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float n = fractalNoise(float(x) / 32.0f, float(y) / 32.0f, 8, 5, 11);
            float fine = periodicNoise(float(x) / 2.0f, float(y) / 2.0f, 128, 12);
            float v = 0.78f + (n - 0.5f) * 0.3f + (fine - 0.5f) * 0.08f;
            setPixel(pic, x, y, v * 1.02f, v, v * 0.95f);
        }
    // Pebbles and small clods, wrapped at the edges so the tile repeats.
    Lcg rng(13);
    for (int i = 0; i < 160; ++i) {
        float x = rng.between(0, size), y = rng.between(0, size), r = rng.between(1.0f, 3.2f);
        float shade = rng.between(0.6f, 0.95f);
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy) {
                pic.fillCircle(x + float(dx * size) + 0.6f, y + float(dy * size) + 0.8f, r, 0.5f, 0.48f, 0.45f, 0.5f);
                pic.fillCircle(x + float(dx * size), y + float(dy * size), r, shade, shade * 0.97f, shade * 0.92f);
            }
    }
    return pic;
}

// Conifer foliage seen from the cone's apex: the cones map the picture
// radially (apex at the centre, rim on the circle of radius one half), so
// needles radiate and the rim is fringed by alpha.
Picture paintFoliage(float r0, float g0, float b0, uint32_t seed, int spikes)
{
    const int size = 256;
    Picture pic(size, size);
    float c = size * 0.5f;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float dx = float(x) + 0.5f - c, dy = float(y) + 0.5f - c;
            float r = std::sqrt(dx * dx + dy * dy) / c;
            float a = std::atan2(dy, dx);
            float saw = std::fabs(std::fmod((a / (2 * Pi) + 1.0f) * float(spikes), 1.0f) - 0.5f) * 2;   // 0 at a tip
            float jitter = periodicNoise((a / (2 * Pi) + 1.0f) * 40.0f, 0.5f, 40, seed) * 0.06f;
            float edge = 0.99f - saw * 0.16f - jitter;
            float alpha = clamp01((edge - r) * c * 0.5f + 0.5f);
            float n = fractalNoise(float(x) / 16.0f, float(y) / 16.0f, 16, 4, seed + 1);
            float shade = 0.65f + 0.5f * n + 0.15f * r;
            setPixel(pic, x, y, r0 * shade, g0 * shade, b0 * shade, alpha);
        }
    Lcg rng(seed + 2);
    for (int i = 0; i < 1400; ++i) {
        float a = rng.between(0, 2 * Pi), r = std::sqrt(rng.unit()) * 0.95f * c;
        float len = rng.between(6, 14);
        float x0 = c + std::cos(a) * r, y0 = c + std::sin(a) * r;
        float bend = rng.between(-0.35f, 0.35f);
        float x1 = c + std::cos(a + bend * 0.1f) * (r + len), y1 = c + std::sin(a + bend * 0.1f) * (r + len);
        float k = rng.between(0.7f, 1.5f);
        float cover = pic.at(std::clamp(int(x0), 0, size - 1), std::clamp(int(y0), 0, size - 1))[3];
        if (cover < 0.5f)
            continue;
        pic.line(x0, y0, x1, y1, 1.3f, r0 * k, g0 * k, b0 * k, 0.8f);
    }
    // Keep the fringe: needles never paint outside the alpha edge.
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float dx = float(x) + 0.5f - c, dy = float(y) + 0.5f - c;
            if (std::sqrt(dx * dx + dy * dy) > c * 0.995f)
                pic.at(x, y)[3] = 0;
        }
    return pic;
}

// Tree bark for the trunk tubes: the tube runs s along its height and t
// round it, so the furrows run across the picture.
Picture paintBark()
{
    const int size = 128;
    Picture pic(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float ridge = fractalNoise(float(x) / 32.0f, float(y) / 6.0f, 4, 4, 21);
            float furrow = std::pow(std::fabs(std::sin(ridge * Pi * 3.0f)), 0.6f);
            float spot = fractalNoise(float(x) / 8.0f, float(y) / 8.0f, 16, 2, 22);
            float v = 0.35f + 0.45f * furrow + 0.1f * (spot - 0.5f);
            setPixel(pic, x, y, v * 0.62f, v * 0.45f, v * 0.3f);
        }
    return pic;
}

// Ground billboards: transparent background, bottom edge rooted in the
// ground, soft alpha edges from the antialiased strokes.
Picture paintGrass()
{
    const int size = 128;
    Picture pic(size, size);
    pic.fill(0.35f, 0.6f, 0.2f, 0.0f);
    Lcg rng(31);
    for (int i = 0; i < 70; ++i) {
        float x = rng.between(6, size - 6), h = rng.between(0.45f, 0.97f) * size;
        float lean = rng.between(-22, 22);
        float k = rng.between(0.7f, 1.25f);
        const int steps = 12;
        for (int s = 0; s < steps; ++s) {
            float t0 = float(s) / steps, t1 = float(s + 1) / steps;
            float xa = x + lean * t0 * t0, xb = x + lean * t1 * t1;
            float ya = size - 1 - h * t0, yb = size - 1 - h * t1;
            float w = 3.2f * (1 - t0) + 0.6f;
            pic.line(xa, ya, xb, yb, w, (0.3f + 0.25f * t1) * k, (0.55f + 0.3f * t1) * k, 0.18f * k);
        }
    }
    return pic;
}

Picture paintPlant()
{
    const int size = 128;
    Picture pic(size, size);
    pic.fill(0.25f, 0.5f, 0.2f, 0.0f);
    Lcg rng(41);
    for (int i = 0; i < 12; ++i) {
        float angle = -Pi / 2 + rng.between(-0.85f, 0.85f);
        float len = rng.between(0.5f, 0.8f) * size;
        float bx = size * 0.5f + rng.between(-8, 8), by = size - 2.0f;
        float k = rng.between(0.75f, 1.15f);
        // Broad leaf: a chain of ellipses widest in the middle, with a vein.
        const int steps = 20;
        for (int s = 0; s <= steps; ++s) {
            float t = float(s) / steps;
            float droop = t * t * 0.25f * (std::cos(angle) > 0 ? 1.0f : -1.0f);
            float a = angle + droop;
            float x = bx + std::cos(a) * len * t, y = by + std::sin(angle) * len * t + t * t * len * 0.15f;
            float w = std::sin(Pi * std::min(1.0f, t * 1.1f)) * 9 + 1;
            pic.fillCircle(x, y, w, 0.2f * k, 0.5f * k + 0.1f * t, 0.15f * k);
        }
        for (int s = 0; s < steps; ++s) {
            float t0 = float(s) / steps, t1 = float(s + 1) / steps;
            auto at = [&](float t, float& x, float& y) {
                float droop = t * t * 0.25f * (std::cos(angle) > 0 ? 1.0f : -1.0f);
                x = bx + std::cos(angle + droop) * len * t;
                y = by + std::sin(angle) * len * t + t * t * len * 0.15f;
            };
            float xa, ya, xb, yb;
            at(t0, xa, ya);
            at(t1, xb, yb);
            pic.line(xa, ya, xb, yb, 1.2f, 0.45f * k, 0.7f * k, 0.35f * k);
        }
    }
    return pic;
}

Picture paintFlowers()
{
    const int size = 128;
    Picture pic(size, size);
    pic.fill(0.3f, 0.55f, 0.2f, 0.0f);
    Lcg rng(51);
    const float colours[5][3] = {{0.95f, 0.2f, 0.2f}, {1.0f, 0.85f, 0.15f}, {0.65f, 0.3f, 0.9f}, {1.0f, 1.0f, 1.0f}, {1.0f, 0.5f, 0.75f}};
    for (int i = 0; i < 9; ++i) {
        float x = rng.between(12, size - 12), h = rng.between(0.45f, 0.85f) * size;
        float lean = rng.between(-10, 10);
        float topX = x + lean, topY = size - 1 - h;
        pic.line(x, size - 1, topX, topY, 2.2f, 0.25f, 0.5f, 0.15f);
        pic.fillEllipse(x + lean * 0.3f + 5, size - h * 0.3f, 6, 2.5f, 0.3f, 0.58f, 0.2f);
        const float* c = colours[rng.next() % 5];
        for (int p = 0; p < 6; ++p) {
            float a = float(p) * Pi / 3 + rng.between(0, 0.3f);
            pic.fillCircle(topX + std::cos(a) * 6, topY + std::sin(a) * 6, 4.5f, c[0], c[1], c[2]);
        }
        pic.fillCircle(topX, topY, 3.5f, 0.95f, 0.75f, 0.1f);
    }
    return pic;
}

Picture paintFire()
{
    const int size = 128;
    Picture pic(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float u = (float(x) + 0.5f) / size - 0.5f;        // -0.5 .. 0.5
            float v = 1.0f - (float(y) + 0.5f) / size;        // 0 bottom .. 1 top
            float flick = (fractalNoise(float(x) / 10.0f, float(y) / 14.0f, 13, 3, 61) - 0.5f) * 0.22f;
            float width = 0.42f * std::pow(std::max(0.0f, 1.0f - v), 0.8f) * std::min(1.0f, v * 6.0f + 0.25f);
            float d = std::fabs(u + flick * v) / std::max(width, 1e-3f);   // 0 centre .. 1 edge
            float body = clamp01(1.0f - d);
            float heat = body * (1.0f - v * 0.6f);
            float r = 1.0f, g = clamp01(0.25f + heat * 1.1f), b = clamp01(heat * heat * 0.9f - 0.1f);
            float alpha = clamp01(body * 2.2f) * clamp01((1.0f - v) * 3.0f);
            setPixel(pic, x, y, r, g, b, alpha);
        }
    return pic;
}

Picture paintBirds()
{
    const int size = 128;
    Picture pic(size, size);
    pic.fill(0.2f, 0.2f, 0.2f, 0.0f);
    const float birds[6][3] = {{36, 40, 1.0f}, {80, 30, 0.8f}, {60, 70, 1.1f}, {98, 76, 0.75f}, {30, 92, 0.85f}, {74, 104, 0.9f}};
    for (const auto& b : birds) {
        float x = b[0], y = b[1], s = b[2] * 15;
        // Two swept wings and a body.
        pic.line(x - s, y - s * 0.35f, x - s * 0.45f, y - s * 0.05f, 3.6f * b[2], 0.25f, 0.25f, 0.28f);
        pic.line(x - s * 0.45f, y - s * 0.05f, x, y + s * 0.15f, 4.2f * b[2], 0.25f, 0.25f, 0.28f);
        pic.line(x + s, y - s * 0.35f, x + s * 0.45f, y - s * 0.05f, 3.6f * b[2], 0.25f, 0.25f, 0.28f);
        pic.line(x + s * 0.45f, y - s * 0.05f, x, y + s * 0.15f, 4.2f * b[2], 0.25f, 0.25f, 0.28f);
        pic.fillEllipse(x, y + s * 0.2f, s * 0.16f, s * 0.3f, 0.22f, 0.22f, 0.25f);
    }
    return pic;
}

Picture paintColourChart()
{
    const int size = 64;
    Picture pic(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            int cx = x / 8, cy = y / 8;
            float h = float(cx) / 8.0f * 6.0f, light = 1.0f - float(cy) / 9.0f;
            float r = clamp01(std::fabs(h - 3) - 1), g = clamp01(2 - std::fabs(h - 2)), b = clamp01(2 - std::fabs(h - 4));
            if (cy == 7) {
                r = g = b = float(cx) / 7.0f;
                light = 1;
            }
            setPixel(pic, x, y, r * light, g * light, b * light);
        }
    return pic;
}

// ---- the cottage ----

void timberFrame(Picture& pic, const CottageRegion& r, bool brace)
{
    const float wood[3] = {0.3f, 0.18f, 0.09f};
    float x0 = float(r.x), y0 = float(r.y), x1 = float(r.x + r.w), y1 = float(r.y + r.h);
    pic.fillRect(x0, y0, x0 + 5, y1, wood[0], wood[1], wood[2]);
    pic.fillRect(x1 - 5, y0, x1, y1, wood[0], wood[1], wood[2]);
    pic.fillRect(x0, y0, x1, y0 + 7, wood[0], wood[1], wood[2]);
    pic.fillRect(x0, y1 - 8, x1, y1, wood[0], wood[1], wood[2]);
    pic.fillRect(x0, y0 + float(r.h) * 0.45f, x1, y0 + float(r.h) * 0.45f + 5, wood[0], wood[1], wood[2]);
    if (brace)
        pic.line(x0 + 4, y1 - 8, x1 - 4, y0 + float(r.h) * 0.47f, 5, wood[0], wood[1], wood[2]);
}

void plaster(Picture& pic, const CottageRegion& r, uint32_t seed)
{
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x) {
            float n = fractalNoise(float(x) / 8.0f, float(y) / 8.0f, 32, 3, seed);
            float v = 0.86f + (n - 0.5f) * 0.14f;
            setPixel(pic, x, y, v, v * 0.95f, v * 0.82f);
        }
}

void window(Picture& pic, float cx, float cy)
{
    pic.fillRect(cx - 22, cy - 20, cx + 22, cy + 24, 0.3f, 0.18f, 0.09f);
    pic.fillRect(cx - 17, cy - 15, cx + 17, cy + 19, 0.35f, 0.42f, 0.5f);
    pic.fillRect(cx - 17, cy - 15, cx - 2, cy + 1, 0.55f, 0.62f, 0.7f);
    pic.fillRect(cx - 1.5f, cy - 15, cx + 1.5f, cy + 19, 0.3f, 0.18f, 0.09f);
    pic.fillRect(cx - 17, cy + 0.5f, cx + 17, cy + 3.5f, 0.3f, 0.18f, 0.09f);
    pic.fillRect(cx - 24, cy + 22, cx + 24, cy + 27, 0.4f, 0.25f, 0.12f);
    // Flower box.
    for (int i = 0; i < 6; ++i)
        pic.fillCircle(cx - 18 + float(i) * 7.2f, cy + 21, 3, i % 2 ? 0.9f : 1.0f, i % 2 ? 0.2f : 0.8f, 0.2f);
}

Picture paintCottagePicture()
{
    Picture pic(CottageTextureSize, CottageTextureSize);
    plaster(pic, PlasterPanel, 71);
    timberFrame(pic, PlasterPanel, true);
    plaster(pic, WindowPanel, 72);
    timberFrame(pic, WindowPanel, false);
    window(pic, float(WindowPanel.x) + 32, 40);
    plaster(pic, DoorPanel, 73);
    timberFrame(pic, DoorPanel, false);
    {
        float cx = float(DoorPanel.x) + 32, top = 62, bottom = float(DoorPanel.h) - 8;
        pic.fillRect(cx - 23, top - 4, cx + 23, bottom, 0.3f, 0.18f, 0.09f);
        pic.fillEllipse(cx, top + 4, 23, 12, 0.3f, 0.18f, 0.09f);
        pic.fillRect(cx - 19, top + 4, cx + 19, bottom, 0.52f, 0.32f, 0.16f);
        pic.fillEllipse(cx, top + 5, 19, 9, 0.52f, 0.32f, 0.16f);
        for (int i = 1; i < 5; ++i)
            pic.fillRect(cx - 19 + float(i) * 7.6f, top, cx - 18 + float(i) * 7.6f, bottom, 0.36f, 0.21f, 0.1f);
        for (float y : {top + 18, bottom - 18})
            pic.fillRect(cx - 19, y, cx + 12, y + 3, 0.15f, 0.15f, 0.16f);
        pic.fillCircle(cx + 13, (top + bottom) * 0.5f, 2.5f, 0.8f, 0.7f, 0.3f);
    }
    // Stone: rows of rounded grey stones with dark mortar.
    pic.fillRect(float(StoneWall.x), float(StoneWall.y), float(StoneWall.x + StoneWall.w), float(StoneWall.y + StoneWall.h), 0.25f, 0.24f, 0.22f);
    Lcg rng(74);
    for (int row = 0; row < 12; ++row)
        for (int i = -1; i < 5; ++i) {
            float w = 16, h = 13;
            float x = float(StoneWall.x) + float(i) * w + (row % 2 ? w * 0.5f : 0) + w * 0.5f;
            float y = float(StoneWall.y) + float(row) * h + h * 0.5f;
            float v = rng.between(0.45f, 0.7f);
            if (x > StoneWall.x - 6 && x < StoneWall.x + StoneWall.w + 6)
                pic.fillEllipse(std::clamp(x, float(StoneWall.x) + 7, float(StoneWall.x + StoneWall.w) - 7), y, 7, 5.5f, v, v * 0.97f, v * 0.92f);
        }
    // Thatch: layered straw, strands running down the slope.
    for (int y = Thatch.y; y < Thatch.y + Thatch.h; ++y)
        for (int x = Thatch.x; x < Thatch.x + Thatch.w; ++x) {
            float strands = fractalNoise(float(x) / 1.5f, float(y) / 12.0f, 128, 3, 75);
            float layer = std::fmod(float(y - Thatch.y), 24.0f) / 24.0f;
            float v = 0.55f + 0.35f * strands - 0.22f * layer * layer;
            setPixel(pic, x, y, v * 0.95f, v * 0.78f, v * 0.42f);
        }
    for (int y = Timber.y; y < Timber.y + Timber.h; ++y)
        for (int x = Timber.x; x < Timber.x + Timber.w; ++x) {
            float grain = fractalNoise(float(x) / 16.0f, float(y) / 2.0f, 16, 3, 76);
            float v = 0.28f + 0.14f * grain;
            setPixel(pic, x, y, v, v * 0.62f, v * 0.32f);
        }
    return pic;
}

// ---- the loading screen ----

Picture paintLoadScreen()
{
    const int w = 512, h = 512;
    Picture pic(w, h);
    for (int y = 0; y < h; ++y) {
        float v = float(y) / float(h);
        for (int x = 0; x < w; ++x) {
            float r = 0.08f + 0.75f * v * v, g = 0.1f + 0.35f * v * v, b = 0.28f + 0.1f * v;
            setPixel(pic, x, y, r, g, b);
        }
    }
    pic.fillCircle(390, 120, 36, 0.98f, 0.95f, 0.8f);
    pic.fillCircle(402, 112, 32, 0.2f, 0.2f, 0.4f, 0.25f);
    Lcg rng(81);
    for (int i = 0; i < 90; ++i)
        pic.fillCircle(rng.between(0, w), rng.between(0, h * 0.4f), rng.between(0.6f, 1.4f), 1, 1, 0.9f, rng.between(0.4f, 0.9f));
    // Two ranges of hills, then a forest line and a cottage on the near hill.
    for (int x = 0; x < w; ++x) {
        float far = 330 - 40 * std::sin(float(x) * 0.011f) - 25 * std::sin(float(x) * 0.029f + 1);
        float near = 390 - 30 * std::sin(float(x) * 0.007f + 2) - 12 * std::sin(float(x) * 0.031f);
        for (int y = int(far); y < h; ++y)
            setPixel(pic, x, y, 0.16f, 0.17f, 0.28f);
        for (int y = int(near); y < h; ++y)
            setPixel(pic, x, y, 0.07f, 0.1f, 0.12f);
    }
    for (int i = 0; i < 40; ++i) {
        float x = rng.between(0, w);
        float base = 390 - 30 * std::sin(x * 0.007f + 2) - 12 * std::sin(x * 0.031f) + 4;
        if (x > 300 && x < 380)
            continue;
        float th = rng.between(40, 80), tw = th * 0.32f;
        for (int k = 0; k < 4; ++k) {
            float ty = base - th * (0.25f + 0.25f * float(k));
            float cw = tw * (1.0f - 0.2f * float(k));
            for (int yy = 0; yy < int(th * 0.35f); ++yy) {
                float f = float(yy) / (th * 0.35f);
                pic.fillRect(x - cw * f, ty + float(yy) - th * 0.2f, x + cw * f, ty + float(yy) - th * 0.2f + 1, 0.04f, 0.07f, 0.08f);
            }
        }
        pic.fillRect(x - 2, base - th * 0.25f, x + 2, base, 0.04f, 0.05f, 0.06f);
    }
    {
        float cx = 340, base = 372;
        pic.fillRect(cx - 26, base - 28, cx + 26, base, 0.05f, 0.07f, 0.09f);
        for (int yy = 0; yy < 26; ++yy)
            pic.fillRect(cx - 32 + float(yy) * 1.2f, base - 28 - float(yy), cx + 32 - float(yy) * 1.2f, base - 27 - float(yy), 0.05f, 0.07f, 0.09f);
        pic.fillRect(cx - 14, base - 20, cx - 4, base - 10, 1.0f, 0.75f, 0.3f);
        pic.fillRect(cx + 6, base - 20, cx + 16, base - 10, 1.0f, 0.75f, 0.3f);
    }
    // The title, with a drop shadow, and the line below it.
    const char* title = "Thornwick";
    float px = 9;
    float tw = Picture::textWidth(title, px);
    float tx = (float(w) - tw) * 0.5f, ty = 150;
    pic.text(title, tx + 4, ty + 4, px, 0.02f, 0.02f, 0.05f);
    pic.text(title, tx, ty, px, 0.98f, 0.82f, 0.35f);
    const char* line = "LOADING...";
    float lp = 4;
    pic.text(line, (float(w) - Picture::textWidth(line, lp)) * 0.5f, 440, lp, 0.85f, 0.85f, 0.9f);
    return pic;
}

bool writeBmp(const std::string& root, const char* path, const Picture& pic)
{
    return writeContentFile(root, path, encodeBmp(pic));
}

bool writeTga(const std::string& root, const char* path, const Picture& pic)
{
    return writeContentFile(root, path, encodeTga(pic));
}

}

bool writePictures(const std::string& root)
{
    bool ok = true;
    ok = writeTga(root, "Images/tree.tga", paintFoliage(0.18f, 0.42f, 0.16f, 91, 36)) && ok;
    ok = writeTga(root, "Images/TreeBase.tga", paintFoliage(0.2f, 0.33f, 0.12f, 92, 28)) && ok;
    ok = writeTga(root, "Images/Birds.tga", paintBirds()) && ok;
    ok = writeTga(root, "Images/Grass.tga", paintGrass()) && ok;
    ok = writeTga(root, "Images/Fire.tga", paintFire()) && ok;
    ok = writeTga(root, "Images/Flowers.tga", paintFlowers()) && ok;
    ok = writeTga(root, "Images/Plant.tga", paintPlant()) && ok;
    ok = writeBmp(root, "Images/Pyramid.bmp", paintGround()) && ok;
    ok = writeBmp(root, "Images/Bark.bmp", paintBark()) && ok;
    ok = writeBmp(root, "Images/COL.bmp", paintColourChart()) && ok;
    for (const auto& [path, pic] : paintSkins())
        ok = writeBmp(root, path, pic) && ok;
    ok = writeBmp(root, "Images/Cottage.bmp", paintCottagePicture()) && ok;
    ok = writeBmp(root, "Images/LoadScreen.bmp", paintLoadScreen()) && ok;
    return ok;
}
