// The BMP and TGA readers on small files written here: accepted forms,
// rejected forms, and damaged headers that must neither crash nor allocate
// what the file does not hold.
#include "assets/image_files.h"
#include "asset_files.h"
#include "support/gl_context.h"

#include <sstream>

using namespace assetfiles;

namespace {

std::vector<Bgr> fourColours() { return {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {0, 255, 255}}; }

std::string bytesOf(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values)
        out += char(v);
    return out;
}

bool readBmpBytes(const std::string& bytes, BmpImage& image)
{
    std::istringstream in(bytes);
    return readBmp(in, image);
}

bool readTgaBytes(const std::string& bytes, TgaImage& image)
{
    std::istringstream in(bytes);
    return readTga(in, image);
}

}

TEST(BmpReader, ReadsTwentyFourBitFilesWithComputedOrStatedSize)
{
    ScratchDir dir;
    // 4 pixels wide: rows of 12 bytes need no padding, so size 0 works.
    std::vector<Bgr> pixels;
    for (int i = 0; i < 8; ++i)
        pixels.push_back({uint8_t(i), uint8_t(10 + i), uint8_t(20 + i)});
    writeFile(dir.file("computed.bmp"), bmpFile(4, 2, pixels, 0));
    BmpImage image;
    ASSERT_TRUE(readBmp(dir.file("computed.bmp").c_str(), image));
    EXPECT_EQ(image.width, 4);
    EXPECT_EQ(image.height, 2);
    ASSERT_EQ(image.pixels.size(), 24u);
    EXPECT_EQ(image.pixels[0], 0);
    EXPECT_EQ(image.pixels[1], 10);
    EXPECT_EQ(image.pixels[2], 20);
    EXPECT_EQ(image.pixels[23], 27);   // red of the last pixel: file order kept

    // A stated size is read as stated, even beyond width x height x 3.
    std::string stated = bmpFile(2, 2, fourColours(), 20);
    stated += std::string(4, '\x7f');
    BmpImage statedImage;
    ASSERT_TRUE(readBmpBytes(stated, statedImage));
    ASSERT_EQ(statedImage.pixels.size(), 20u);
    EXPECT_EQ(statedImage.pixels[0], 255);   // first pixel's blue
    EXPECT_EQ(statedImage.pixels[6], 0);     // row padding
    EXPECT_EQ(statedImage.pixels[19], 0x7f);

    // An info block longer than 40 bytes is skipped up to the pixel offset.
    BmpImage longInfo;
    ASSERT_TRUE(readBmpBytes(bmpFile(2, 2, fourColours(), 16, 24, 64), longInfo));
    EXPECT_EQ(longInfo.pixels[3], 0);
    EXPECT_EQ(longInfo.pixels[4], 255);   // second pixel's green
}

TEST(BmpReader, RejectsOtherDepthsShortPartsAndMissingFiles)
{
    BmpImage image;
    EXPECT_FALSE(readBmpBytes(bmpFile(2, 2, fourColours(), 16, 32), image));
    EXPECT_TRUE(image.pixels.empty());
    EXPECT_FALSE(readBmpBytes(bmpFile(2, 2, fourColours(), 16, 8), image));
    EXPECT_EQ(image.failure, ContentFailure::WrongFormat);
    EXPECT_FALSE(readBmp("no/such/file.bmp", image));
    EXPECT_EQ(image.failure, ContentFailure::Missing);
    EXPECT_FALSE(readBmp(".", image)) << "a directory";
    EXPECT_EQ(image.failure, ContentFailure::NotRegular);
    EXPECT_FALSE(readBmpBytes("BM", image));
    EXPECT_EQ(image.failure, ContentFailure::Truncated);
    std::string wrongMagic = bmpFile(2, 2, fourColours(), 16);
    wrongMagic[0] = 'X';
    EXPECT_FALSE(readBmpBytes(wrongMagic, image));
    EXPECT_EQ(image.failure, ContentFailure::WrongFormat);
    // Pixel offset leaving an info block under 24 bytes.
    EXPECT_FALSE(readBmpBytes(bmpFile(2, 2, fourColours(), 16, 24, 20), image));
    // Info block cut short by the end of the file.
    EXPECT_FALSE(readBmpBytes(bmpFile(2, 2, fourColours(), 16).substr(0, 40), image));
    // Pixel block shorter than the size the header states.
    std::string cut = bmpFile(2, 2, fourColours(), 16);
    cut.resize(cut.size() - 1);
    EXPECT_FALSE(readBmpBytes(cut, image));
    EXPECT_TRUE(image.pixels.empty());
}

TEST(BmpReader, RejectsPixelBlocksSmallerThanTheUploadReads)
{
    BmpImage image;
    // 2 x 2 needs two rows of 8 bytes; the computed size (12) counts no padding.
    EXPECT_FALSE(readBmpBytes(bmpFile(2, 2, fourColours(), 0), image));
    // A stated size one byte short of the padded rows.
    EXPECT_FALSE(readBmpBytes(bmpFile(2, 2, fourColours(), 15), image));
    EXPECT_TRUE(readBmpBytes(bmpFile(2, 2, fourColours(), 16), image));
    // A height whose rows the file cannot hold, stated or computed.
    std::string tall = bmpFile(4, 2, {}, 0);
    std::memcpy(&tall[22], "\x00\x00\x00\x40", 4);   // height 2^30
    EXPECT_FALSE(readBmpBytes(tall, image));
    std::memcpy(&tall[34], "\xff\xff\xff\xff", 4);   // and a stated size of 4 GiB
    EXPECT_FALSE(readBmpBytes(tall, image));
    std::memcpy(&tall[22], "\x00\x00\x00\x80", 4);   // height -2^31
    EXPECT_FALSE(readBmpBytes(tall, image));
    // The largest sides: sizes beyond 64-bit signed range, computed or padded.
    std::memcpy(&tall[18], "\xff\xff\xff\x7f", 4);   // width 2^31 - 1
    std::memcpy(&tall[34], "\x00\x00\x00\x00", 4);   // size computed
    EXPECT_FALSE(readBmpBytes(tall, image));
    std::memcpy(&tall[18], "\xfe\xff\xff\xff", 4);   // width -2: no size to compute
    EXPECT_FALSE(readBmpBytes(tall, image));
    EXPECT_TRUE(image.pixels.empty());
    // A pixel offset of 4 GiB: the info block is skipped, never allocated.
    std::string farOffset = bmpFile(2, 2, fourColours(), 16);
    std::memcpy(&farOffset[10], "\xff\xff\xff\xff", 4);
    EXPECT_FALSE(readBmpBytes(farOffset, image));
}

TEST(BmpReader, TopDownFilesKeepTheirNegativeHeight)
{
    BmpImage image;
    ASSERT_TRUE(readBmpBytes(bmpFile(2, -2, fourColours(), 16), image));
    EXPECT_EQ(image.height, -2);
    EXPECT_EQ(image.pixels.size(), 16u);
}

TEST(TgaReader, ReadsEightTwentyFourAndThirtyTwoBitImages)
{
    TgaImage grey;
    ASSERT_TRUE(readTgaBytes(tgaFile(2, 2, 8, bytesOf({1, 2, 3, 4})), grey));
    EXPECT_EQ(grey.width, 2);
    EXPECT_EQ(grey.height, 2);
    EXPECT_EQ(grey.internalFormat, GL_LUMINANCE8);
    EXPECT_EQ(grey.pixelFormat, GLenum(GL_LUMINANCE));
    EXPECT_EQ(grey.pixels, std::vector<uint8_t>({1, 2, 3, 4}));

    TgaImage colour;
    ASSERT_TRUE(readTgaBytes(tgaFile(1, 2, 24, bytesOf({1, 2, 3, 4, 5, 6})), colour));
    EXPECT_EQ(colour.internalFormat, GL_RGB8);
    EXPECT_EQ(colour.pixelFormat, GLenum(GL_BGR_EXT));
    EXPECT_EQ(colour.pixels.size(), 6u);

    TgaImage alpha;
    ASSERT_TRUE(readTgaBytes(tgaFile(1, 1, 32, bytesOf({1, 2, 3, 4})), alpha));
    EXPECT_EQ(alpha.internalFormat, GL_RGBA8);
    EXPECT_EQ(alpha.pixelFormat, GLenum(GL_BGRA_EXT));
    EXPECT_EQ(alpha.pixels, std::vector<uint8_t>({1, 2, 3, 4}));

    // Bytes after the block are not part of the image.
    TgaImage trailing;
    ASSERT_TRUE(readTgaBytes(tgaFile(1, 1, 8, bytesOf({9, 8, 7})), trailing));
    EXPECT_EQ(trailing.pixels, std::vector<uint8_t>({9}));
}

TEST(TgaReader, ReadsAnImageIdAsPixelsShiftedNotRejected)
{
    TgaImage image;
    ASSERT_TRUE(readTgaBytes(tgaFile(2, 1, 8, bytesOf({'I', 5, 6}), 1), image));
    EXPECT_EQ(image.pixels, std::vector<uint8_t>({'I', 5}));
}

TEST(TgaReader, RejectsOtherDepthsShortFilesAndShortPixelBlocks)
{
    TgaImage image;
    EXPECT_FALSE(readTgaBytes(tgaFile(1, 1, 16, bytesOf({1, 2})), image));
    EXPECT_FALSE(readTgaBytes(tgaFile(1, 1, 24, "").substr(0, 17), image));
    EXPECT_FALSE(readTga("no/such/file.tga", image));
    EXPECT_FALSE(readTgaBytes(tgaFile(2, 2, 24, bytesOf({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11})), image));
    EXPECT_EQ(image.failure, ContentFailure::Truncated);
    EXPECT_TRUE(image.pixels.empty());
    // 65535 x 65535 x 4 bytes claimed by a header with nothing after it.
    EXPECT_FALSE(readTgaBytes(tgaFile(65535, 65535, 32, bytesOf({1, 2, 3, 4})), image));
    EXPECT_TRUE(image.pixels.empty());
}

TEST(ImageReaders, ReadStreamsThatCannotTellTheirLength)
{
    // A pipe-like stream: no seeking, so the block is read in slices.
    struct NoSeekBuf : std::stringbuf {
        using std::stringbuf::stringbuf;
        pos_type seekoff(off_type, std::ios::seekdir, std::ios::openmode) override { return -1; }
        pos_type seekpos(pos_type, std::ios::openmode) override { return -1; }
    };
    NoSeekBuf good(tgaFile(2, 1, 24, bytesOf({1, 2, 3, 4, 5, 6})));
    std::istream goodIn(&good);
    TgaImage image;
    ASSERT_TRUE(readTga(goodIn, image));
    EXPECT_EQ(image.pixels.size(), 6u);

    NoSeekBuf lying(tgaFile(65535, 65535, 32, bytesOf({1, 2, 3, 4})));
    std::istream lyingIn(&lying);
    EXPECT_FALSE(readTga(lyingIn, image));
    EXPECT_TRUE(image.pixels.empty());
}
