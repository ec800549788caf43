// What the bodies and the skins agree on: the order of the rigid parts and
// the atlas region of the skin picture each kind of surface is painted in.
// Owned by the content generator.
#pragma once

#include "content_files.h"

// Part order in every bones file and matrix order in every animation frame.
enum BodyPart : int {
    PartPelvis,
    PartTorso,
    PartHead,
    PartUpperArmLeft,
    PartLowerArmLeft,
    PartHandLeft,
    PartUpperArmRight,
    PartLowerArmRight,
    PartHandRight,
    PartThighLeft,
    PartShinLeft,
    PartFootLeft,
    PartThighRight,
    PartShinRight,
    PartFootRight,
    BodyPartCount
};

// Pixel rectangles of the skin atlas (row 0 at the top of the picture).
struct SkinRegion {
    int x, y, w, h;
};

enum SkinArea : int {
    AreaHead,       // wraps round the head; the middle quarter is the face
    AreaTorso,
    AreaPelvis,
    AreaUpperArm,
    AreaLowerArm,
    AreaHand,
    AreaThigh,
    AreaShin,
    AreaFoot,
    AreaGold,       // crown
    AreaIvory,      // tusks, horns, teeth
    AreaGear,       // weapons and ears
    SkinAreaCount
};

extern const SkinRegion SkinAreas[SkinAreaCount];
