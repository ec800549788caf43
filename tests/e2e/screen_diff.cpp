// Counts the pixels that differ between two screen grabs written by
// `xwd -root -silent`, so the end-to-end tests need nothing beyond the X
// tools they already run, or between two PNG captures (the Windows build's
// scenes against Linux's). Usage:
//   screen_diff A.xwd|A.png B.xwd|B.bmp|B.png [--region WxH+X+Y] [--tolerance N] [--cells CxR]
// A pixel differs when any of its red, green or blue values (0..255) differs
// by more than N (default 0). A picture (an uncompressed 24 or 32-bit BMP) in
// place of the second grab is stretched over the whole of the first, as a
// textured quad over the screen shows it. With --cells the region is cut into
// C x R cells and the cells whose mean colours differ by more than N are
// counted instead, which a picture drawn through a filtering texture passes.
// Prints the count; exits 2 on a bad file or argument, never reads past what
// a file holds.
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct Screen {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb; // 3 bytes a pixel, rows top to bottom
};

struct Region {
    int width = -1, height = -1, x = 0, y = 0;
};

struct Cells {
    int columns = 0, rows = 0;
};

uint32_t bigEndian32(const uint8_t* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

uint32_t littleEndian32(const uint8_t* p)
{
    return uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

// A colour mask's channel scaled to 0..255.
uint8_t channel(uint32_t pixel, uint32_t mask)
{
    if (!mask)
        return 0;
    int shift = 0;
    while (!((mask >> shift) & 1))
        ++shift;
    const uint32_t max = mask >> shift;
    return uint8_t(((pixel & mask) >> shift) * 255u / max);
}

bool fail(const std::string& why)
{
    std::fprintf(stderr, "screen_diff: %s\n", why.c_str());
    return false;
}

// The header fields of an XWD file (version 7), in file order.
enum Field {
    HeaderSize, FileVersion, PixmapFormat, PixmapDepth, Width, Height, XOffset,
    ByteOrder, BitmapUnit, BitmapBitOrder, BitmapPad, BitsPerPixel, BytesPerLine,
    VisualClass, RedMask, GreenMask, BlueMask, BitsPerRgb, ColormapEntries, ColourCount,
    FieldCount
};

bool readFile(const char* path, std::vector<uint8_t>& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return fail(std::string("cannot open ") + path);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
    return true;
}

bool readScreen(const char* path, const std::vector<uint8_t>& bytes, Screen& screen)
{
    if (bytes.size() < FieldCount * 4)
        return fail(std::string(path) + ": too short for an XWD header");
    uint32_t h[FieldCount];
    for (int i = 0; i < FieldCount; ++i)
        h[i] = bigEndian32(&bytes[i * 4]);
    if (h[FileVersion] != 7 || h[PixmapFormat] != 2)
        return fail(std::string(path) + ": not a version 7 ZPixmap XWD file");
    if (h[BitsPerPixel] != 32 && h[BitsPerPixel] != 24)
        return fail(std::string(path) + ": only 24 and 32 bits a pixel are read");
    if (h[Width] == 0 || h[Height] == 0 || h[Width] > 16384 || h[Height] > 16384)
        return fail(std::string(path) + ": implausible size");
    const uint64_t bytesPerPixel = h[BitsPerPixel] / 8;
    if (uint64_t(h[BytesPerLine]) < h[Width] * bytesPerPixel)
        return fail(std::string(path) + ": rows shorter than the width");
    const uint64_t start = uint64_t(h[HeaderSize]) + uint64_t(h[ColourCount]) * 12;
    const uint64_t end = start + uint64_t(h[BytesPerLine]) * h[Height];
    if (h[HeaderSize] < FieldCount * 4 || end > bytes.size())
        return fail(std::string(path) + ": pixel data cut short");

    screen.width = int(h[Width]);
    screen.height = int(h[Height]);
    screen.rgb.resize(size_t(screen.width) * screen.height * 3);
    const bool msbFirst = h[ByteOrder] != 0;
    for (int y = 0; y < screen.height; ++y) {
        const uint8_t* row = &bytes[start + uint64_t(y) * h[BytesPerLine]];
        for (int x = 0; x < screen.width; ++x) {
            const uint8_t* p = row + x * bytesPerPixel;
            uint32_t pixel = 0;
            for (uint64_t b = 0; b < bytesPerPixel; ++b)
                pixel |= uint32_t(p[b]) << (msbFirst ? 8 * (bytesPerPixel - 1 - b) : 8 * b);
            uint8_t* out = &screen.rgb[(size_t(y) * screen.width + x) * 3];
            out[0] = channel(pixel, h[RedMask]);
            out[1] = channel(pixel, h[GreenMask]);
            out[2] = channel(pixel, h[BlueMask]);
        }
    }
    return true;
}

bool isBmp(const std::vector<uint8_t>& bytes)
{
    return bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M';
}

// An uncompressed BMP, its rows stored bottom up unless its height is negative.
bool readBmp(const char* path, const std::vector<uint8_t>& bytes, Screen& picture)
{
    if (bytes.size() < 54)
        return fail(std::string(path) + ": too short for a BMP header");
    const uint32_t start = littleEndian32(&bytes[10]);
    const int32_t width = int32_t(littleEndian32(&bytes[18]));
    const int32_t height = int32_t(littleEndian32(&bytes[22]));
    const int bitsPerPixel = bytes[28] | bytes[29] << 8;
    if (littleEndian32(&bytes[30]) != 0 || (bitsPerPixel != 24 && bitsPerPixel != 32))
        return fail(std::string(path) + ": only uncompressed 24 and 32-bit BMPs are read");
    const int64_t storedRows = height < 0 ? -int64_t(height) : height;
    if (width <= 0 || width > 16384 || storedRows == 0 || storedRows > 16384)
        return fail(std::string(path) + ": implausible size");
    const int rows = int(storedRows);
    const uint64_t bytesPerPixel = bitsPerPixel / 8;
    const uint64_t rowBytes = (uint64_t(width) * bytesPerPixel + 3) / 4 * 4;
    if (uint64_t(start) + rowBytes * rows > bytes.size())
        return fail(std::string(path) + ": pixel data cut short");

    picture.width = width;
    picture.height = rows;
    picture.rgb.resize(size_t(width) * rows * 3);
    for (int y = 0; y < rows; ++y) {
        const int stored = height < 0 ? y : rows - 1 - y;
        const uint8_t* row = &bytes[start + uint64_t(stored) * rowBytes];
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = row + x * bytesPerPixel; // blue, green, red
            uint8_t* out = &picture.rgb[(size_t(y) * width + x) * 3];
            out[0] = p[2];
            out[1] = p[1];
            out[2] = p[0];
        }
    }
    return true;
}

// The picture stretched to the given size, each pixel taken from the
// picture's pixel under its centre.
Screen stretched(const Screen& picture, int width, int height)
{
    Screen screen;
    screen.width = width;
    screen.height = height;
    screen.rgb.resize(size_t(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int u = int((2 * int64_t(x) + 1) * picture.width / (2 * int64_t(width)));
            const int v = int((2 * int64_t(y) + 1) * picture.height / (2 * int64_t(height)));
            std::memcpy(&screen.rgb[(size_t(y) * width + x) * 3],
                        &picture.rgb[(size_t(v) * picture.width + u) * 3], 3);
        }
    return screen;
}

bool parseRegion(const char* text, Region& region)
{
    char tail = 0;
    return std::sscanf(text, "%dx%d+%d+%d%c", &region.width, &region.height, &region.x,
                       &region.y, &tail) == 4 &&
           region.width > 0 && region.height > 0 && region.x >= 0 && region.y >= 0;
}

long countDifferences(const Screen& a, const Screen& b, const Region& region, int tolerance)
{
    long count = 0;
    for (int y = region.y; y < region.y + region.height; ++y)
        for (int x = region.x; x < region.x + region.width; ++x) {
            const size_t i = (size_t(y) * a.width + x) * 3;
            for (int c = 0; c < 3; ++c)
                if (std::abs(int(a.rgb[i + c]) - int(b.rgb[i + c])) > tolerance) {
                    ++count;
                    break;
                }
        }
    return count;
}

bool parseCells(const char* text, Cells& cells)
{
    char tail = 0;
    return std::sscanf(text, "%dx%d%c", &cells.columns, &cells.rows, &tail) == 2 &&
           cells.columns > 0 && cells.rows > 0;
}

// Mean red, green and blue of a rectangle, rounded.
void meanColour(const Screen& screen, int x0, int y0, int x1, int y1, int mean[3])
{
    long sum[3] = {};
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            for (int c = 0; c < 3; ++c)
                sum[c] += screen.rgb[(size_t(y) * screen.width + x) * 3 + c];
    const long count = long(x1 - x0) * (y1 - y0);
    for (int c = 0; c < 3; ++c)
        mean[c] = int((sum[c] + count / 2) / count);
}

long countCellDifferences(const Screen& a, const Screen& b, const Region& region, const Cells& cells,
                          int tolerance)
{
    long count = 0;
    for (int row = 0; row < cells.rows; ++row)
        for (int column = 0; column < cells.columns; ++column) {
            const int x0 = region.x + column * region.width / cells.columns;
            const int x1 = region.x + (column + 1) * region.width / cells.columns;
            const int y0 = region.y + row * region.height / cells.rows;
            const int y1 = region.y + (row + 1) * region.height / cells.rows;
            int meanA[3], meanB[3];
            meanColour(a, x0, y0, x1, y1, meanA);
            meanColour(b, x0, y0, x1, y1, meanB);
            for (int c = 0; c < 3; ++c)
                if (std::abs(meanA[c] - meanB[c]) > tolerance) {
                    ++count;
                    break;
                }
        }
    return count;
}

bool isPng(const std::vector<uint8_t>& bytes)
{
    return bytes.size() >= 8 && png_sig_cmp(bytes.data(), 0, 8) == 0;
}

bool readPng(const char* path, const std::vector<uint8_t>& bytes, Screen& screen)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
        return fail(std::string(path) + ": " + image.message);
    image.format = PNG_FORMAT_RGB;
    screen.width = int(image.width);
    screen.height = int(image.height);
    screen.rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, screen.rgb.data(), 0, nullptr))
        return fail(std::string(path) + ": " + image.message);
    return true;
}

// A screen grab or a PNG capture.
bool readGrab(const char* path, const std::vector<uint8_t>& bytes, Screen& screen)
{
    return isPng(bytes) ? readPng(path, bytes, screen) : readScreen(path, bytes, screen);
}

int usage()
{
    std::fprintf(stderr, "usage: screen_diff A.xwd|A.png B.xwd|B.bmp|B.png [--region WxH+X+Y] [--tolerance N] "
                         "[--cells CxR]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return usage();
    Region region;
    Cells cells;
    int tolerance = 0;
    for (int i = 3; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--region") && i + 1 < argc) {
            if (!parseRegion(argv[++i], region))
                return usage();
        } else if (!std::strcmp(argv[i], "--tolerance") && i + 1 < argc) {
            char* end = nullptr;
            tolerance = int(std::strtol(argv[++i], &end, 10));
            if (*end || tolerance < 0 || tolerance > 255)
                return usage();
        } else if (!std::strcmp(argv[i], "--cells") && i + 1 < argc) {
            if (!parseCells(argv[++i], cells))
                return usage();
        } else {
            return usage();
        }
    }
    std::vector<uint8_t> bytesA, bytesB;
    Screen a, b;
    if (!readFile(argv[1], bytesA) || !readGrab(argv[1], bytesA, a) || !readFile(argv[2], bytesB))
        return 2;
    if (isBmp(bytesB)) {
        Screen picture;
        if (!readBmp(argv[2], bytesB, picture))
            return 2;
        b = stretched(picture, a.width, a.height);
    } else if (!readGrab(argv[2], bytesB, b)) {
        return 2;
    }
    if (a.width != b.width || a.height != b.height) {
        fail("the two grabs differ in size");
        return 2;
    }
    if (region.width < 0) {
        region.width = a.width;
        region.height = a.height;
    }
    if (region.x + region.width > a.width || region.y + region.height > a.height) {
        fail("the region lies outside the screen");
        return 2;
    }
    if (cells.columns > region.width || cells.rows > region.height) {
        fail("more cells than pixels");
        return 2;
    }
    if (cells.columns > 0)
        std::printf("%ld\n", countCellDifferences(a, b, region, cells, tolerance));
    else
        std::printf("%ld\n", countDifferences(a, b, region, tolerance));
    return 0;
}
