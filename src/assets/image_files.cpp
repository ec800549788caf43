#include "assets/image_files.h"

#include "platform/notice.h"

#include <GL/glu.h>

#include <algorithm>
#include <cstdlib>
#include <new>
#include <sstream>
#include <utility>

GLuint TextureTable[TextureCount];

namespace {

const char* const ImageFailureCaption = "BMPOrvel";

uint32_t littleU32(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
           uint32_t(bytes[3]) << 24;
}

uint16_t littleU16(const uint8_t* bytes) { return uint16_t(bytes[0] | bytes[1] << 8); }

bool readExactly(std::istream& in, uint8_t* into, std::streamsize count)
{
    in.read(reinterpret_cast<char*>(into), count);
    return in.gcount() == count;
}

// Skips count bytes, false when the stream ends first. In slices, as
// std::streamsize is 32 bits wide where size_t is (the browser build), and an
// offset of up to 4 GiB taken as one would turn negative and skip nothing.
bool skipExactly(std::istream& in, uint64_t count)
{
    constexpr uint64_t Slice = uint64_t(1) << 30;
    while (count > 0) {
        const std::streamsize step = std::streamsize(std::min(count, Slice));
        if (in.ignore(step).gcount() != step)
            return false;
        count -= uint64_t(step);
    }
    return true;
}

// Bytes between the read position and the end, or -1 when the stream cannot
// tell. Sizes come from headers anyone can edit, so nothing is allocated for a
// block the file cannot hold.
int64_t bytesLeft(std::istream& in)
{
    std::streampos here = in.tellg();
    if (here == std::streampos(-1))
        return -1;
    in.seekg(0, std::ios::end);
    std::streampos end = in.tellg();
    in.seekg(here);
    if (end == std::streampos(-1) || !in)
        return -1;
    return int64_t(end - here);
}

// Reads a pixel block of `size` bytes in one call, once the stream has shown
// it holds that many. A stream that cannot tell its length is read in growing
// slices, so a lying header allocates at most about twice what the stream
// delivers.
bool readPixelBlockOrThrow(std::istream& in, uint64_t size, std::vector<uint8_t>& pixels)
{
    int64_t left = bytesLeft(in);
    if (left >= 0) {
        if (size > uint64_t(left))
            return false;
        pixels.resize(size);
        return readExactly(in, pixels.data(), std::streamsize(size));
    }
    uint64_t slice = 64 * 1024;
    pixels.clear();
    while (pixels.size() < size) {
        size_t start = pixels.size();
        size_t count = size_t(std::min<uint64_t>(slice, size - start));
        pixels.resize(start + count);
        if (!readExactly(in, pixels.data() + start, std::streamsize(count)))
            return false;
        slice = std::min<uint64_t>(slice * 2, 64 << 20);
    }
    return true;
}

// A real file can hold more than the memory left. Then this one picture
// fails like any unreadable one: the loader shows its notice and loading
// goes on with the next file.
ContentFailure readPixelBlock(std::istream& in, uint64_t size, std::vector<uint8_t>& pixels)
{
    try {
        return readPixelBlockOrThrow(in, size, pixels) ? ContentFailure::None : ContentFailure::Truncated;
    } catch (const std::bad_alloc&) {
        pixels.clear();
        pixels.shrink_to_fit();
        return ContentFailure::OutOfMemory;
    }
}

// Bytes GL reads for a BGR image at the default unpack alignment of 4. With
// 32-bit sides the product stays below 2^64.
uint64_t paddedBgrBytes(int32_t width, int32_t height)
{
    if (width <= 0 || height == 0)
        return 0;
    uint64_t row = (uint64_t(width) * 3 + 3) / 4 * 4;
    return row * uint64_t(std::llabs(int64_t(height)));
}

template <typename Image>
bool fail(Image& image, ContentFailure why)
{
    image.pixels.clear();
    image.failure = why;
    return false;
}

// A picture file read whole, within its kind's limit, then taken apart by
// the stream reader.
template <typename Image>
bool readPictureFile(const char* fileName, Image& image, bool (*readStream)(std::istream&, Image&))
{
    std::string bytes;
    const ContentFailure failure = readContentFile(fileName, PictureFileLimit, bytes);
    if (failure != ContentFailure::None)
        return fail(image, failure);
    std::istringstream in(std::move(bytes));
    return readStream(in, image);
}

// A picture the reader took that GL would still refuse, or upload as no
// picture at all, fails as an unreadable one does: named, with its notice.
// The BMP's mipmap step scales one larger than GL's textures down to fit,
// so only a TGA has a largest size.
ContentFailure uploadFailure(int64_t width, int64_t height, bool hasLargest)
{
    if (width == 0 || height == 0)
        return ContentFailure::Empty;
    if (height < 0)
        return ContentFailure::TopDown;
    if (width < 0)
        return ContentFailure::WrongFormat;
    if (hasLargest) {
        GLint largest = 0;
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
        if (largest > 0 && (width > largest || height > largest))
            return ContentFailure::TooLargeForGl;
    }
    return ContentFailure::None;
}

void reportImageFailure(const char* fileName, ContentFailure failure)
{
    reportContentFailure(fileName, failure);
    showNotice(fileName, ImageFailureCaption);
}

void setTextureParameters()
{
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
}

}

bool readBmp(std::istream& in, BmpImage& image)
{
    image.pixels.clear();
    image.failure = ContentFailure::None;
    uint8_t header[14];
    if (!readExactly(in, header, sizeof header))
        return fail(image, ContentFailure::Truncated);
    if (header[0] != 'B' || header[1] != 'M')
        return fail(image, ContentFailure::WrongFormat);

    // The info block runs from the end of the header to the pixel data; only
    // its first 24 bytes matter, the rest is skipped but must be there.
    uint32_t pixelOffset = littleU32(header + 10);
    if (pixelOffset < 14 + 24)
        return fail(image, ContentFailure::WrongFormat);
    uint8_t info[24];
    if (!readExactly(in, info, sizeof info))
        return fail(image, ContentFailure::Truncated);
    if (!skipExactly(in, uint64_t(pixelOffset) - 14 - 24))
        return fail(image, ContentFailure::Truncated);

    image.width = int32_t(littleU32(info + 4));
    image.height = int32_t(littleU32(info + 8));
    if (littleU16(info + 14) != 24)
        return fail(image, ContentFailure::WrongFormat);

    uint64_t blockSize = littleU32(info + 20);
    if (blockSize == 0) {
        int64_t rowBytes = (int64_t(image.width) * 24 + 7) / 8;
        if (rowBytes < 0)
            return fail(image, ContentFailure::WrongFormat);
        blockSize = uint64_t(std::llabs(int64_t(image.height))) * uint64_t(rowBytes);
    }
    // The upload reads whole padded rows; a smaller block would be read past
    // its end.
    if (blockSize < paddedBgrBytes(image.width, image.height))
        return fail(image, ContentFailure::WrongFormat);
    const ContentFailure pixels = readPixelBlock(in, blockSize, image.pixels);
    if (pixels != ContentFailure::None)
        return fail(image, pixels);
    return true;
}

bool readBmp(const char* fileName, BmpImage& image)
{
    return readPictureFile<BmpImage>(fileName, image, readBmp);
}

bool readTga(std::istream& in, TgaImage& image)
{
    image = TgaImage{};
    uint8_t header[18];
    if (!readExactly(in, header, sizeof header))
        return fail(image, ContentFailure::Truncated);
    image.width = littleU16(header + 12);
    image.height = littleU16(header + 14);
    int bytesPerPixel = 0;
    switch (header[16]) {
    case 8:
        bytesPerPixel = 1;
        image.internalFormat = GL_LUMINANCE8;
        image.pixelFormat = GL_LUMINANCE;
        break;
    case 24:
        bytesPerPixel = 3;
        image.internalFormat = GL_RGB8;
        image.pixelFormat = GL_BGR_EXT;
        break;
    case 32:
        bytesPerPixel = 4;
        image.internalFormat = GL_RGBA8;
        image.pixelFormat = GL_BGRA_EXT;
        break;
    default:
        return fail(image, ContentFailure::WrongFormat);
    }
    uint64_t blockSize = uint64_t(image.width) * uint64_t(image.height) * uint64_t(bytesPerPixel);
    const ContentFailure pixels = readPixelBlock(in, blockSize, image.pixels);
    if (pixels != ContentFailure::None)
        return fail(image, pixels);
    return true;
}

bool readTga(const char* fileName, TgaImage& image)
{
    return readPictureFile<TgaImage>(fileName, image, readTga);
}

void loadBmpTexture(const char* fileName, GLuint* table, int slot)
{
    glBindTexture(GL_TEXTURE_2D, table[slot]);
    BmpImage image;
    if (!readBmp(fileName, image))
        return reportImageFailure(fileName, image.failure);
    if (const ContentFailure failure = uploadFailure(image.width, image.height, false);
        failure != ContentFailure::None)
        return reportImageFailure(fileName, failure);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, image.width, image.height, 0, GL_BGR_EXT, GL_UNSIGNED_BYTE,
                 image.pixels.data());
    gluBuild2DMipmaps(GL_TEXTURE_2D, 3, image.width, image.height, GL_BGR_EXT, GL_UNSIGNED_BYTE,
                      image.pixels.data());
    image.pixels = {};
    setTextureParameters();
}

void loadTgaTexture(const char* fileName, GLuint* table, int slot)
{
    glBindTexture(GL_TEXTURE_2D, table[slot]);
    TgaImage image;
    if (!readTga(fileName, image))
        return reportImageFailure(fileName, image.failure);
    if (const ContentFailure failure = uploadFailure(image.width, image.height, true);
        failure != ContentFailure::None)
        return reportImageFailure(fileName, failure);
    // TGA rows carry no padding: read at the default alignment of 4, a row of
    // 1 or 2 grey or colour pixels would be taken from the wrong bytes and the
    // last rows read past the block.
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, image.internalFormat, image.width, image.height, 0,
                 image.pixelFormat, GL_UNSIGNED_BYTE, image.pixels.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    image.pixels = {};
    setTextureParameters();
}
