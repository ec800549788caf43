#include "assets/image_files.h"

GLuint TextureTable[TextureCount];

bool readBmp(std::istream&, BmpImage&) { return false; }
bool readBmp(const char*, BmpImage&) { return false; }
bool readTga(std::istream&, TgaImage&) { return false; }
bool readTga(const char*, TgaImage&) { return false; }
void loadBmpTexture(const char*, GLuint*, int) {}
void loadTgaTexture(const char*, GLuint*, int) {}
