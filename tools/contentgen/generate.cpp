// The whole content tree, in one call.
#include "content_generator.h"

#include <cstdio>

bool generateContent(const std::string& root)
{
    bool ok = writePictures(root);
    ok = writeCottage(root) && ok;
    ok = writeBodies(root) && ok;
    ok = writeSounds(root) && ok;
    return ok;
}
