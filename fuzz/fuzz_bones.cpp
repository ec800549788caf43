// Bones reader: any bytes as a bones file. Parts are only made for bytes the
// file holds, and each part's vertices are whole.
#include "assets/animation.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto seekable = seekableStream(data, size);
    Skeleton skeleton;
    skeleton.read(seekable);
    // The count takes 4 bytes, and every part at least one.
    FUZZ_CHECK(skeleton.parts.size() <= (size < 4 ? 0 : size - 4));
    for (const auto& part : skeleton.parts) {
        FUZZ_CHECK(part->positions.size() == part->normals.size());
        FUZZ_CHECK(part->positions.size() == part->texCoords.size());
    }

    UnseekableBytes bytes(data, size);
    std::istream pipe(&bytes);
    Skeleton fromPipe;
    fromPipe.read(pipe);
    FUZZ_CHECK(fromPipe.parts.size() == skeleton.parts.size());
    return 0;
}
