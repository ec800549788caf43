// The cottage picture's layout, shared by the mesh's texture coordinates and
// the painter. Owned by the content generator.
#pragma once

#include "content_files.h"

constexpr int CottageTextureSize = 256;

struct CottageRegion {
    int x, y, w, h;   // pixels, row 0 at the top
};

constexpr CottageRegion PlasterPanel = {0, 0, 64, 160};
constexpr CottageRegion WindowPanel = {64, 0, 64, 160};
constexpr CottageRegion DoorPanel = {128, 0, 64, 160};
constexpr CottageRegion StoneWall = {192, 0, 64, 160};
constexpr CottageRegion Thatch = {0, 160, 192, 96};
constexpr CottageRegion Timber = {192, 160, 64, 96};

