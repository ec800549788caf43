// The seven character skins, painted into the atlas layout the body parts'
// texture coordinates assume (body_parts.h).
#include "body_parts.h"
#include "content_generator.h"
#include "skins.h"

#include <algorithm>
#include <cmath>

namespace {

struct Rgb {
    float r, g, b;
};

Rgb scaled(Rgb c, float k)
{
    return {c.r * k, c.g * k, c.b * k};
}

struct SkinStyle {
    Rgb skin, hair, tunic, trousers, boots, trim, eye, lips;
    bool beard, longHair, ragged, dress, rolledSleeves, bald, fangs;
    uint32_t seed;
    bool torn = true;   // holes in the clothes (ragged ones only)
};

// Fills a region with a colour, a soft top-to-bottom shade and a weave or
// grain noise, so large areas never look flat.
void cloth(Picture& pic, const SkinRegion& r, Rgb c, uint32_t seed, float grain = 0.08f)
{
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x) {
            float n = fractalNoise(float(x) * 0.25f, float(y) * 0.25f, 64, 3, seed) - 0.5f;
            float weave = ((x + y) % 2 == 0 ? 0.02f : -0.02f);
            float k = 1.0f + n * grain * 2 + weave;
            float* p = pic.at(x, y);
            p[0] = std::clamp(c.r * k, 0.0f, 1.0f);
            p[1] = std::clamp(c.g * k, 0.0f, 1.0f);
            p[2] = std::clamp(c.b * k, 0.0f, 1.0f);
            p[3] = 1;
        }
}

void band(Picture& pic, const SkinRegion& r, float v0, float v1, Rgb c, uint32_t seed, float grain = 0.08f)
{
    SkinRegion part = {r.x, r.y + int(std::lround(v0 * float(r.h))), r.w, int(std::lround((v1 - v0) * float(r.h)))};
    if (part.h > 0)
        cloth(pic, part, c, seed, grain);
}

// Torn hems: jagged holes showing the skin underneath.
void tears(Picture& pic, const SkinRegion& r, Rgb under, uint32_t seed, int count)
{
    Lcg rng(seed);
    for (int i = 0; i < count; ++i) {
        float x = float(r.x) + rng.between(2, float(r.w) - 2);
        float y = float(r.y) + rng.between(2, float(r.h) - 2);
        float w = rng.between(2, 6), h = rng.between(3, 8);
        pic.fillEllipse(x, y, w, h, under.r * 0.85f, under.g * 0.85f, under.b * 0.85f);
    }
}

void paintFace(Picture& pic, const SkinStyle& s)
{
    const SkinRegion& head = SkinAreas[AreaHead];
    float cx = float(head.x) + float(head.w) * 0.5f;
    float top = float(head.y);
    cloth(pic, head, s.skin, s.seed + 1, 0.05f);
    // Ears at the sides.
    for (float side : {0.25f, 0.75f}) {
        float ex = float(head.x) + float(head.w) * side;
        pic.fillEllipse(ex, top + 30, 4, 7, s.skin.r * 0.85f, s.skin.g * 0.8f, s.skin.b * 0.8f);
    }
    if (!s.bald) {
        // Hair: cap over the top, lower at the back and sides than over the brow.
        for (int x = head.x; x < head.x + head.w; ++x) {
            float u = (float(x - head.x) + 0.5f) / float(head.w);
            float fromFront = std::fabs(u - 0.5f) * 2;   // 0 at the face, 1 at the back
            float line = s.longHair ? 13 + 50 * std::pow(fromFront, 0.7f) : 12 + 26 * std::pow(fromFront, 1.5f);
            if (s.longHair && fromFront > 0.35f)
                line = std::max(line, 62.0f);
            for (int y = head.y; y < head.y + int(line) && y < head.y + head.h; ++y) {
                float strand = fractalNoise(float(x) * 0.8f, float(y) * 0.08f, 128, 2, s.seed + 5);
                float k = 0.75f + 0.5f * strand;
                pic.blend(x, y, s.hair.r * k, s.hair.g * k, s.hair.b * k, 1.0f);
            }
        }
    } else {
        pic.fillRect(float(head.x), top, float(head.x + head.w), top + 4, s.skin.r * 0.8f, s.skin.g * 0.8f, s.skin.b * 0.8f);
    }
    // Brows, eyes, nose shadow, mouth: large enough to read at a distance.
    float eyeY = top + 27;
    for (float dx : {-7.0f, 7.0f}) {
        pic.fillRect(cx + dx - 4, eyeY - 6, cx + dx + 4, eyeY - 4, s.hair.r * 0.6f, s.hair.g * 0.6f, s.hair.b * 0.6f);
        if (s.ragged) {
            pic.fillEllipse(cx + dx, eyeY, 4, 3.5f, 0.08f, 0.06f, 0.05f);
            pic.fillCircle(cx + dx, eyeY, 1.5f, s.eye.r, s.eye.g, s.eye.b);
        } else {
            pic.fillEllipse(cx + dx, eyeY, 3.6f, 2.6f, 0.97f, 0.97f, 0.95f);
            pic.fillCircle(cx + dx + (dx < 0 ? 0.6f : -0.6f), eyeY, 1.8f, s.eye.r, s.eye.g, s.eye.b);
            pic.fillCircle(cx + dx + (dx < 0 ? 0.6f : -0.6f), eyeY, 0.9f, 0.02f, 0.02f, 0.02f);
        }
    }
    pic.fillRect(cx - 1.5f, eyeY + 3, cx + 1.5f, eyeY + 10, s.skin.r * 0.75f, s.skin.g * 0.7f, s.skin.b * 0.7f);
    float mouthY = top + 44;
    if (s.beard) {
        for (int y = int(top) + 36; y < int(top) + 56; ++y)
            for (int x = int(cx) - 18; x < int(cx) + 18; ++x) {
                float dx = (float(x) - cx) / 18.0f, dy = (float(y) - top - 36) / 20.0f;
                if (dx * dx * 0.7f + (1 - dy) * (1 - dy) * 0.1f < 0.8f - dy * 0.3f) {
                    float k = 0.7f + 0.5f * fractalNoise(float(x) * 0.9f, float(y) * 0.2f, 256, 2, s.seed + 9);
                    pic.blend(x, y, s.hair.r * k, s.hair.g * k, s.hair.b * k, 1.0f);
                }
            }
    }
    if (s.fangs) {
        pic.fillRect(cx - 7, mouthY - 1, cx + 7, mouthY + 3, 0.15f, 0.03f, 0.03f);
        for (float dx : {-5.0f, 5.0f})
            pic.fillRect(cx + dx - 1, mouthY - 1, cx + dx + 1, mouthY + 3, 0.95f, 0.92f, 0.8f);
    } else {
        pic.fillRect(cx - 5, mouthY, cx + 5, mouthY + 2, s.lips.r, s.lips.g, s.lips.b);
    }
    if (!s.beard && !s.ragged)
        for (float dx : {-10.0f, 10.0f})
            pic.fillCircle(cx + dx, mouthY - 5, 3, s.lips.r, s.lips.g * 0.9f, s.lips.b * 0.9f, 0.2f);
}

Picture paintSkin(const SkinStyle& s)
{
    Picture pic(SkinSize, SkinSize);
    pic.fill(s.tunic.r, s.tunic.g, s.tunic.b);
    cloth(pic, {0, 192, 128, 64}, s.tunic, s.seed + 2);
    paintFace(pic, s);

    const SkinRegion& torso = SkinAreas[AreaTorso];
    cloth(pic, torso, s.tunic, s.seed + 3);
    band(pic, torso, 0.0f, 0.1f, s.skin, s.seed + 4, 0.04f);   // neck
    // Neckline, lacing and belt on the front.
    float cx = float(torso.x) + float(torso.w) * 0.5f;
    for (int i = 0; i < 10; ++i) {
        float y = float(torso.y) + 8 + float(i);
        pic.fillRect(cx - (10 - float(i)), y, cx + (10 - float(i)), y + 1, s.skin.r, s.skin.g, s.skin.b);
    }
    if (!s.ragged)
        for (int i = 0; i < 4; ++i) {
            float y = float(torso.y) + 20 + float(i) * 7;
            pic.line(cx - 3, y, cx + 3, y + 4, 1.2f, s.trim.r, s.trim.g, s.trim.b);
            pic.line(cx + 3, y, cx - 3, y + 4, 1.2f, s.trim.r, s.trim.g, s.trim.b);
        }
    band(pic, torso, 0.88f, 1.0f, s.dress ? s.trim : s.boots, s.seed + 6, 0.04f);
    pic.fillRect(cx - 5, float(torso.y + torso.h) - 9, cx + 5, float(torso.y + torso.h) - 1, 0.8f, 0.7f, 0.3f);
    // Side seams.
    for (float u : {0.25f, 0.75f})
        pic.fillRect(float(torso.x) + u * float(torso.w) - 0.5f, float(torso.y) + 8, float(torso.x) + u * float(torso.w) + 0.5f,
                     float(torso.y + torso.h) - 10, s.tunic.r * 0.7f, s.tunic.g * 0.7f, s.tunic.b * 0.7f);

    const SkinRegion& pelvis = SkinAreas[AreaPelvis];
    cloth(pic, pelvis, s.dress ? s.tunic : s.trousers, s.seed + 7);
    band(pic, pelvis, 0.0f, 0.15f, s.dress ? s.trim : s.boots, s.seed + 8, 0.04f);
    if (s.dress) {
        // Apron at the front, a hem line at the bottom.
        pic.fillRect(cx - 14, float(pelvis.y) + 7, cx + 14, float(pelvis.y + pelvis.h) - 4, 0.92f, 0.9f, 0.82f);
        band(pic, pelvis, 0.9f, 1.0f, s.trim, s.seed + 9, 0.04f);
        for (int i = 0; i < 8; ++i) {
            float x = float(pelvis.x) + 8 + float(i) * 16;
            pic.fillRect(x, float(pelvis.y) + 8, x + 1, float(pelvis.y + pelvis.h) - 5, s.tunic.r * 0.75f, s.tunic.g * 0.75f, s.tunic.b * 0.75f);
        }
    }

    cloth(pic, SkinAreas[AreaUpperArm], s.tunic, s.seed + 10);
    band(pic, SkinAreas[AreaUpperArm], 0.0f, 0.12f, scaled(s.tunic, 0.8f), s.seed + 11);
    const SkinRegion& lower = SkinAreas[AreaLowerArm];
    cloth(pic, lower, s.skin, s.seed + 12, 0.05f);
    if (!s.rolledSleeves)
        band(pic, lower, 0.0f, 0.75f, s.tunic, s.seed + 13);
    else
        band(pic, lower, 0.0f, 0.3f, s.tunic, s.seed + 13);
    cloth(pic, SkinAreas[AreaHand], s.skin, s.seed + 14, 0.05f);

    const SkinRegion& thigh = SkinAreas[AreaThigh];
    cloth(pic, thigh, s.dress ? s.skin : s.trousers, s.seed + 15);
    const SkinRegion& shin = SkinAreas[AreaShin];
    cloth(pic, shin, s.dress ? s.skin : s.trousers, s.seed + 16);
    band(pic, shin, 0.45f, 1.0f, s.boots, s.seed + 17, 0.1f);
    band(pic, shin, 0.45f, 0.52f, scaled(s.boots, 0.7f), s.seed + 18, 0.05f);
    cloth(pic, SkinAreas[AreaFoot], s.boots, s.seed + 19, 0.1f);
    band(pic, SkinAreas[AreaFoot], 0.85f, 1.0f, scaled(s.boots, 0.5f), s.seed + 20, 0.05f);

    const SkinRegion& gold = SkinAreas[AreaGold];
    cloth(pic, gold, {0.95f, 0.78f, 0.2f}, s.seed + 21, 0.15f);
    for (int i = 0; i < 4; ++i)
        pic.fillCircle(float(gold.x) + 8 + float(i) * 16, float(gold.y) + 18, 4, i % 2 ? 0.8f : 0.1f, 0.1f, i % 2 ? 0.1f : 0.7f);
    cloth(pic, SkinAreas[AreaIvory], {0.93f, 0.9f, 0.78f}, s.seed + 22, 0.06f);
    if (s.ragged && s.torn) {
        tears(pic, torso, s.skin, s.seed + 23, 14);
        tears(pic, pelvis, s.skin, s.seed + 24, 8);
        tears(pic, SkinAreas[AreaUpperArm], s.skin, s.seed + 25, 5);
        tears(pic, thigh, s.skin, s.seed + 26, 5);
    }
    return pic;
}

Picture paintOrc()
{
    SkinStyle s = {{0.35f, 0.55f, 0.22f}, {0.1f, 0.1f, 0.08f}, {0.35f, 0.25f, 0.16f}, {0.25f, 0.2f, 0.15f},
                   {0.2f, 0.14f, 0.1f}, {0.6f, 0.6f, 0.62f}, {0.95f, 0.2f, 0.1f}, {0.2f, 0.1f, 0.08f},
                   false, false, false, false, true, true, true, 300};
    Picture pic = paintSkin(s);
    // Iron-studded leather on the chest and a heavy brow.
    const SkinRegion& torso = SkinAreas[AreaTorso];
    for (int row = 0; row < 4; ++row)
        for (int i = 0; i < 12; ++i)
            pic.fillCircle(float(torso.x) + 6 + float(i) * 10.5f, float(torso.y) + 22 + float(row) * 12, 1.6f, 0.7f, 0.7f, 0.72f);
    const SkinRegion& head = SkinAreas[AreaHead];
    pic.fillRect(float(head.x) + 48, float(head.y) + 19, float(head.x) + 80, float(head.y) + 23, 0.22f, 0.36f, 0.14f);
    // Warpaint stripes.
    for (float dx : {-12.0f, 12.0f})
        pic.line(64 + dx, 30, 64 + dx * 0.8f, 44, 2.0f, 0.6f, 0.08f, 0.05f);
    // The club: dark wood with grain.
    const SkinRegion& gear = SkinAreas[AreaGear];
    cloth(pic, gear, {0.4f, 0.26f, 0.12f}, 333, 0.25f);
    for (int i = 0; i < 6; ++i)
        pic.line(float(gear.x), float(gear.y) + 3 + float(i) * 5, float(gear.x + gear.w), float(gear.y) + 5 + float(i) * 5, 1, 0.25f, 0.15f, 0.07f);
    cloth(pic, SkinAreas[AreaIvory], {0.9f, 0.86f, 0.7f}, 334, 0.08f);
    return pic;
}

Picture paintGoblin()
{
    SkinStyle s = {{0.62f, 0.68f, 0.25f}, {0.2f, 0.15f, 0.1f}, {0.45f, 0.3f, 0.18f}, {0.35f, 0.28f, 0.2f},
                   {0.3f, 0.22f, 0.15f}, {0.5f, 0.4f, 0.2f}, {1.0f, 0.85f, 0.1f}, {0.3f, 0.1f, 0.1f},
                   false, false, true, false, true, true, true, 400};
    s.ragged = false;
    Picture pic = paintSkin(s);
    // Big yellow eyes and a wide grin.
    for (float dx : {-8.0f, 8.0f}) {
        pic.fillEllipse(64 + dx, 27, 5, 4, 1.0f, 0.85f, 0.1f);
        pic.fillEllipse(64 + dx, 27, 1.2f, 3, 0.05f, 0.05f, 0.0f);
    }
    pic.fillRect(52, 43, 76, 46, 0.2f, 0.05f, 0.05f);
    for (int i = 0; i < 6; ++i)
        pic.fillRect(53 + float(i) * 4, 43, 55 + float(i) * 4, 45, 0.95f, 0.95f, 0.85f);
    // Ears: skin with a darker inner fold.
    const SkinRegion& gear = SkinAreas[AreaGear];
    cloth(pic, gear, s.skin, 401, 0.06f);
    pic.fillRect(float(gear.x) + 24, float(gear.y) + 4, float(gear.x) + 40, float(gear.y) + 28, 0.75f, 0.45f, 0.35f);
    tears(pic, SkinAreas[AreaTorso], s.skin, 402, 10);
    // The dagger: steel.
    cloth(pic, SkinAreas[AreaIvory], {0.75f, 0.78f, 0.82f}, 403, 0.1f);
    return pic;
}

}

std::vector<std::pair<const char*, Picture>> paintSkins()
{
    // skin, hair, tunic, trousers, boots, trim, eye, lips
    SkinStyle male = {{0.93f, 0.74f, 0.6f}, {0.28f, 0.17f, 0.08f}, {0.55f, 0.38f, 0.2f}, {0.3f, 0.42f, 0.22f},
                      {0.3f, 0.2f, 0.12f}, {0.2f, 0.12f, 0.06f}, {0.25f, 0.4f, 0.65f}, {0.7f, 0.35f, 0.3f},
                      true, false, false, false, true, false, false, 100};
    SkinStyle male2 = {{0.95f, 0.78f, 0.66f}, {0.85f, 0.7f, 0.35f}, {0.25f, 0.4f, 0.65f}, {0.45f, 0.33f, 0.2f},
                       {0.28f, 0.18f, 0.1f}, {0.9f, 0.85f, 0.7f}, {0.3f, 0.5f, 0.3f}, {0.75f, 0.4f, 0.35f},
                       false, false, false, false, false, false, false, 110};
    SkinStyle female = {{0.96f, 0.8f, 0.7f}, {0.55f, 0.25f, 0.1f}, {0.65f, 0.15f, 0.18f}, {0.6f, 0.15f, 0.18f},
                        {0.35f, 0.22f, 0.12f}, {0.95f, 0.85f, 0.5f}, {0.2f, 0.45f, 0.3f}, {0.8f, 0.25f, 0.3f},
                        false, true, false, true, true, false, false, 120};
    SkinStyle zombie = {{0.5f, 0.62f, 0.45f}, {0.2f, 0.22f, 0.18f}, {0.42f, 0.4f, 0.36f}, {0.3f, 0.3f, 0.28f},
                        {0.22f, 0.2f, 0.18f}, {0.3f, 0.28f, 0.25f}, {0.9f, 0.15f, 0.1f}, {0.25f, 0.15f, 0.15f},
                        false, false, true, false, true, false, false, 130};
    SkinStyle king = {{0.6f, 0.58f, 0.68f}, {0.85f, 0.85f, 0.88f}, {0.38f, 0.1f, 0.45f}, {0.2f, 0.08f, 0.25f},
                      {0.15f, 0.1f, 0.12f}, {0.95f, 0.78f, 0.2f}, {0.3f, 1.0f, 0.5f}, {0.2f, 0.1f, 0.2f},
                      true, true, true, false, false, false, false, 140, false};
    std::vector<std::pair<const char*, Picture>> skins;
    skins.emplace_back("Images/PessentMale.bmp", paintSkin(male));
    skins.emplace_back("Images/PessentMale2.bmp", paintSkin(male2));
    skins.emplace_back("Images/PessentFemale.bmp", paintSkin(female));
    skins.emplace_back("Images/ZombieMale.bmp", paintSkin(zombie));
    Picture kingPic = paintSkin(king);
    // A gold-trimmed royal robe.
    const SkinRegion& torso = SkinAreas[AreaTorso];
    kingPic.fillRect(float(torso.x) + 58, float(torso.y) + 8, float(torso.x) + 70, float(torso.y + torso.h), 0.95f, 0.78f, 0.2f);
    const SkinRegion& pelvis = SkinAreas[AreaPelvis];
    kingPic.fillRect(float(pelvis.x) + 58, float(pelvis.y), float(pelvis.x) + 70, float(pelvis.y + pelvis.h), 0.95f, 0.78f, 0.2f);
    skins.emplace_back("Images/ZombieKing.bmp", kingPic);
    skins.emplace_back("Images/Orc.bmp", paintOrc());
    skins.emplace_back("Images/Goblin.bmp", paintGoblin());
    // The gear area is hair on the villager and zombie skins (the bun).
    for (size_t i = 0; i < 5; ++i) {
        const SkinStyle& st = i == 0 ? male : i == 1 ? male2 : i == 2 ? female : i == 3 ? zombie : king;
        cloth(skins[i].second, SkinAreas[AreaGear], st.hair, 150 + uint32_t(i), 0.3f);
    }
    return skins;
}
