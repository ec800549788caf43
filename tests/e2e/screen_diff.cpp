// Counts the pixels that differ between two screen grabs written by
// `xwd -root -silent`, so the end-to-end tests need nothing beyond the X
// tools they already run. Usage:
//   screen_diff A.xwd B.xwd [--region WxH+X+Y] [--tolerance N]
// A pixel differs when any of its red, green or blue values (0..255) differs
// by more than N (default 0). Prints the count; exits 2 on a bad file or
// argument, never reads past what a file holds.
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

uint32_t bigEndian32(const uint8_t* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
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

bool readScreen(const char* path, Screen& screen)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return fail(std::string("cannot open ") + path);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
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

int usage()
{
    std::fprintf(stderr, "usage: screen_diff A.xwd B.xwd [--region WxH+X+Y] [--tolerance N]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return usage();
    Region region;
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
        } else {
            return usage();
        }
    }
    Screen a, b;
    if (!readScreen(argv[1], a) || !readScreen(argv[2], b))
        return 2;
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
    std::printf("%ld\n", countDifferences(a, b, region, tolerance));
    return 0;
}
