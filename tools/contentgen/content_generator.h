// The content generator: paints, models, animates and synthesises every file
// the game loads, deterministically, into a content tree (Images/, Data/,
// Sounds/). Owned by the content generator tool; the tests call it directly.
#pragma once

#include <string>

// The skins are one atlas layout for every body: this many pixels square.
constexpr int SkinSize = 256;

bool writePictures(const std::string& root);
bool writeBodies(const std::string& root);
bool writeCottage(const std::string& root);
bool writeSounds(const std::string& root);

// Writes the whole tree under root; false when any file could not be written.
bool generateContent(const std::string& root);
