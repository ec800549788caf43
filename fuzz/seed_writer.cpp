// Writes the fuzzers' seed files: one folder per reader under the given
// directory, each holding a few small good files built like the tests' own.
#include "asset_files.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

using namespace assetfiles;

namespace {

void write(const std::filesystem::path& path, const std::string& bytes)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <seed directory>\n", argv[0]);
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::vector<Bgr> four = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {0, 255, 255}};
    write(dir / "bmp/stated.bmp", bmpFile(2, 2, four, 16));
    write(dir / "bmp/computed.bmp", bmpFile(4, 1, four, 0));
    write(dir / "bmp/topdown.bmp", bmpFile(2, -2, four, 16));
    write(dir / "bmp/longinfo.bmp", bmpFile(3, 2, four, 24, 24, 56));

    write(dir / "tga/grey.tga", tgaFile(2, 2, 8, "\x10\x20\x30\x40"));
    write(dir / "tga/colour.tga", tgaFile(2, 1, 24, "abcdef"));
    write(dir / "tga/alpha.tga", tgaFile(1, 2, 32, "abcdefgh"));
    write(dir / "tga/id.tga", tgaFile(1, 1, 24, "Iabc", 1, 0x20));

    write(dir / "mesh/triangle.mub", meshBytes("tri\r", triangle()));
    write(dir / "mesh/empty.mub", meshBytes("", {}));
    write(dir / "mesh/longname.mub", meshBytes(std::string(254, 'n'), triangle(0.5f)));

    write(dir / "bones/three.mub",
          bonesFile({meshBytes("head", triangle()), meshBytes("arm", {}), meshBytes("leg", triangle(1))}));
    write(dir / "bones/one.mub", bonesFile({meshBytes("only", triangle())}));

    write(dir / "animation/walk.anim",
          animationFile({{0.0, {translation(1, 0, 0), filled(2)}}, {0.5, {filled(3), filled(4)}},
                         {1.0, {filled(5)}}}));
    write(dir / "animation/single.anim", animationFile({{0.0, {filled(1)}}}));
    write(dir / "animation/empty.anim", animationFile({}));
    return 0;
}
