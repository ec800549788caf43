// BMP reader: any bytes, through a seekable and an unseekable stream. An
// accepted image always holds every padded row the upload will read.
#include "assets/image_files.h"
#include "fuzz_input.h"

#include <cstdlib>

namespace {

void check(const BmpImage& image)
{
    if (image.width <= 0 || image.height == 0)
        return;
    uint64_t row = (uint64_t(image.width) * 3 + 3) / 4 * 4;
    FUZZ_CHECK(image.pixels.size() >= row * uint64_t(std::llabs(int64_t(image.height))));
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto seekable = seekableStream(data, size);
    BmpImage fromFile;
    bool accepted = readBmp(seekable, fromFile);
    FUZZ_CHECK(accepted || fromFile.pixels.empty());
    if (accepted)
        check(fromFile);

    UnseekableBytes bytes(data, size);
    std::istream pipe(&bytes);
    BmpImage fromPipe;
    FUZZ_CHECK(readBmp(pipe, fromPipe) == accepted);
    FUZZ_CHECK(fromPipe.pixels == fromFile.pixels);
    return 0;
}
