// TGA reader: any bytes, through a seekable and an unseekable stream. An
// accepted image holds exactly width x height x bytes-per-pixel samples.
#include "assets/image_files.h"
#include "fuzz_input.h"

namespace {

uint64_t bytesPerPixel(GLenum format)
{
    return format == GL_LUMINANCE ? 1 : format == GL_BGR_EXT ? 3 : 4;
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto seekable = seekableStream(data, size);
    TgaImage fromFile;
    bool accepted = readTga(seekable, fromFile);
    FUZZ_CHECK(accepted || fromFile.pixels.empty());
    if (accepted)
        FUZZ_CHECK(fromFile.pixels.size() == uint64_t(fromFile.width) * uint64_t(fromFile.height) *
                                                 bytesPerPixel(fromFile.pixelFormat));

    UnseekableBytes bytes(data, size);
    std::istream pipe(&bytes);
    TgaImage fromPipe;
    FUZZ_CHECK(readTga(pipe, fromPipe) == accepted);
    FUZZ_CHECK(fromPipe.pixels == fromFile.pixels);
    return 0;
}
