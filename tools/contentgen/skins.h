// The character skins: file name and picture, in the texture table's order
// of loading. Owned by the content generator.
#pragma once

#include "content_files.h"

#include <utility>
#include <vector>

std::vector<std::pair<const char*, Picture>> paintSkins();
