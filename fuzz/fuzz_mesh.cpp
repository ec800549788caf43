// Mesh reader: any bytes as one .mub mesh, through a seekable and an
// unseekable stream. Every vertex kept is whole, and both streams agree.
#include "assets/mub_model.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto seekable = seekableStream(data, size);
    MubModel fromFile;
    fromFile.read(seekable);
    FUZZ_CHECK(fromFile.positions.size() == fromFile.normals.size());
    FUZZ_CHECK(fromFile.positions.size() == fromFile.texCoords.size());
    FUZZ_CHECK(fromFile.positions.size() * 32 <= size);
    fromFile.flipZ();

    UnseekableBytes bytes(data, size);
    std::istream pipe(&bytes);
    MubModel fromPipe;
    fromPipe.read(pipe);
    FUZZ_CHECK(fromPipe.positions.size() == fromFile.positions.size());
    return 0;
}
