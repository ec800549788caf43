// BMP and TGA readers and the two operations that load a file into a slot of
// the texture table. The 19 GL texture names are made once at GL start-up;
// the loaders only fill the image of an existing name. The readers take a
// stream or a path and touch no GL, so they can be exercised without one.
#pragma once

#include "platform/content_file.h"

#include <GL/gl.h>

#include <cstdint>
#include <istream>
#include <vector>

constexpr int TextureCount = 19;
extern GLuint TextureTable[TextureCount];

struct BmpImage {
    std::vector<uint8_t> pixels;   // blue, green, red rows in file order; empty on failure
    int32_t width = 0;
    int32_t height = 0;
    ContentFailure failure = ContentFailure::None;   // why the last read failed
};

struct TgaImage {
    std::vector<uint8_t> pixels;   // 1, 3 or 4 bytes per pixel; empty on failure
    int width = 0;
    int height = 0;
    GLint internalFormat = GL_RGB8;
    GLenum pixelFormat = GL_BGR_EXT;
    ContentFailure failure = ContentFailure::None;
};

// Both readers return false, with no pixels and the reason in failure, for
// anything they do not accept, including a pixel block shorter than what the
// upload will read. Given a path they read only a regular file of at most
// PictureFileLimit bytes.
bool readBmp(std::istream& in, BmpImage& image);
bool readBmp(const char* fileName, BmpImage& image);
bool readTga(std::istream& in, TgaImage& image);
bool readTga(const char* fileName, TgaImage& image);

// Bind table[slot], read the file and upload it; a failure shows the notice
// (text: the file name as passed, caption "BMPOrvel"), names the file and
// the reason on standard error, and leaves the slot's image as it was.
void loadBmpTexture(const char* fileName, GLuint* table, int slot);
void loadTgaTexture(const char* fileName, GLuint* table, int slot);
