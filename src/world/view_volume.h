// The view's clip volume in world coordinates, read from GL's projection and
// modelview matrices, for leaving out geometry that cannot make a fragment.
// Used by the terrain and scenery passes; each keeps its own copy.
#pragma once

// A world-space box that holds everything a piece draws.
struct Bounds {
    float lo[3];
    float hi[3];
};

// Six planes a x + b y + c z + d >= 0 inside (-w <= x, y, z <= w in clip
// coordinates), normalised so that d is a distance.
struct ViewVolume {
    float planes[6][4];

    // Takes the current matrices; call with the modelview the drawing uses.
    void capture();
    // True only when the whole box is outside one plane by more than a
    // rounding margin: such a box makes no fragment.
    bool excludes(const Bounds& box) const;
};
