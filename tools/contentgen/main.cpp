// thornwick-contentgen ROOT: writes the game's whole content tree under ROOT.
#include "content_generator.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: thornwick-contentgen OUTPUT_DIR\n");
        return 2;
    }
    if (!generateContent(argv[1])) {
        std::fprintf(stderr, "thornwick-contentgen: could not write the content under %s\n", argv[1]);
        return 1;
    }
    return 0;
}
