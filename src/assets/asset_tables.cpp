#include "assets/asset_tables.h"

#include "assets/image_files.h"

const char* const AnimationFiles[AnimationSlotCount] = {};

GLuint TreeTrunkList, TreeTrunkCoarseList, TreeCrownList, TreeCrownCoarseList;
GLuint ShrubTrunkList, ShrubTrunkCoarseList, ShrubCrownList, ShrubCrownCoarseList;
GLuint SphereList, SentryList;

MubModel* cottageModel = nullptr;

void bindTexture(TextureSlot slot) { glBindTexture(GL_TEXTURE_2D, TextureTable[int(slot)]); }

void buildWorldAssets() {}
